#include "codec_mpg123.h"

#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The decoder reads the bytes in place through these, never a copy of them.
// Every read asks whether to stop: past damage the decoder may read a long
// way without a frame, and a stop ends the stream there.
struct Input {
  const unsigned char* pData;
  size_t iSize;
  off_t iOffset;
  const DecodeProgress& Progress;
  bool bStopped;
};

mpg123_ssize_t ReadBytes(void* pHandle, void* pOut, size_t iCount) {
  auto* pInput = static_cast<Input*>(pHandle);
  if (pInput->bStopped || pInput->Progress.Stopping()) {
    pInput->bStopped = true;
    return 0;
  }
  const size_t iOffset = static_cast<size_t>(pInput->iOffset);
  const size_t iTaken = iOffset < pInput->iSize ? std::min(iCount, pInput->iSize - iOffset) : 0;
  std::memcpy(pOut, pInput->pData + iOffset, iTaken);
  pInput->iOffset += static_cast<off_t>(iTaken);
  return static_cast<mpg123_ssize_t>(iTaken);
}

off_t SeekBytes(void* pHandle, off_t iOffset, int iWhence) {
  auto* pInput = static_cast<Input*>(pHandle);
  const off_t iSize = static_cast<off_t>(pInput->iSize);
  const off_t iBase = iWhence == SEEK_SET ? 0 : iWhence == SEEK_CUR ? pInput->iOffset : iSize;
  const off_t iTarget = iBase + iOffset;
  if (iTarget < 0 || iTarget > iSize) return -1;
  pInput->iOffset = iTarget;
  return iTarget;
}

}  // namespace

size_t Mpg123Codec::Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                          const DecodeProgress& Progress) {
  static const bool bLibraryReady = mpg123_init() == MPG123_OK;
  const int iChannels = Format.iChannels;
  if (!bLibraryReady || (iChannels != 1 && iChannels != 2) || Format.iRate <= 0 || Pcm.iRate != Format.iRate ||
      Pcm.iChannels != iChannels) {
    return 0;
  }
  int iError = MPG123_OK;
  const std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> pHandle(mpg123_new(nullptr, &iError), mpg123_delete);
  if (pHandle == nullptr) return 0;
  mpg123_handle* h = pHandle.get();
  // One output format, the first frame's: a frame of another rate is
  // resampled and one of another channel count mixed to it, instead of
  // changing the format in the middle of the sound. Past damage, the decoder
  // looks for the next frame as far as it must. Quiet: a damaged frame is
  // skipped without a word.
  const bool bMono = iChannels == 1;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | (bMono ? MPG123_FORCE_MONO : MPG123_FORCE_STEREO), 0);
  mpg123_param(h, MPG123_RESYNC_LIMIT, -1, 0);
  mpg123_format_none(h);
  if (mpg123_format(h, Format.iRate, bMono ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
    return 0;
  }
  Input input{pData, iSize, 0, Progress, false};
  if (mpg123_replace_reader_handle(h, ReadBytes, SeekBytes, nullptr) != MPG123_OK ||
      mpg123_open_handle(h, &input) != MPG123_OK) {
    return 0;
  }
  // Each piece is decoded straight into the sound, whose frames past the
  // count published are no voice's yet.
  constexpr size_t kPieceSamples = 16384;
  const size_t iEnd = Pcm.FrameCount() * static_cast<size_t>(iChannels);
  size_t iWritten = 0;
  // An error that moves the decoder no further through the bytes ends it.
  off_t iStuckAt = -1;
  while (iWritten < iEnd && !input.bStopped) {
    const size_t iRoom = std::min(kPieceSamples, iEnd - iWritten);
    size_t iDone = 0;
    const int iResult = mpg123_read(h, Pcm.Samples.data() + iWritten, iRoom * sizeof(int16_t), &iDone);
    iWritten += iDone / sizeof(int16_t);
    if (iDone > 0) Progress.Tell(iWritten / static_cast<size_t>(iChannels));
    if (iResult == MPG123_OK || iResult == MPG123_NEW_FORMAT) continue;
    if (iResult == MPG123_DONE || input.iOffset == iStuckAt) break;
    iStuckAt = input.iOffset;
  }
  return input.bStopped ? 0 : iWritten / static_cast<size_t>(iChannels);
}

Mp3Codec& PlatformMp3Codec() {
  static Mpg123Codec* pCodec = new Mpg123Codec();
  return *pCodec;
}

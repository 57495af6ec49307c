#include "codec_mpg123.h"

#include <mpg123.h>
#include <sys/types.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>

namespace {

// The decoder reads the bytes in place through these, never a copy of them.
struct Input {
  const unsigned char* pData;
  size_t iSize;
  off_t iOffset;
};

mpg123_ssize_t ReadBytes(void* pHandle, void* pOut, size_t iCount) {
  auto* pInput = static_cast<Input*>(pHandle);
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

bool DecodeMp3WithMpg123(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames,
                         PcmSound& Pcm, const DecodeProgress& Progress) {
  static const bool bLibraryReady = mpg123_init() == MPG123_OK;
  if (!bLibraryReady || (Format.iChannels != 1 && Format.iChannels != 2) || Format.iRate <= 0) return false;
  int iError = MPG123_OK;
  const std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> pHandle(mpg123_new(nullptr, &iError), mpg123_delete);
  if (pHandle == nullptr) return false;
  mpg123_handle* h = pHandle.get();
  // One output format, the first frame's: a frame of another rate is
  // resampled and one of another channel count mixed to it, instead of
  // changing the format in the middle of the sound. Past damage, the decoder
  // looks for the next frame as far as it must.
  const bool bMono = Format.iChannels == 1;
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET | (bMono ? MPG123_FORCE_MONO : MPG123_FORCE_STEREO), 0);
  mpg123_param(h, MPG123_RESYNC_LIMIT, -1, 0);
  mpg123_format_none(h);
  if (mpg123_format(h, Format.iRate, bMono ? MPG123_MONO : MPG123_STEREO, MPG123_ENC_SIGNED_16) != MPG123_OK) {
    return false;
  }
  Input input{pData, iSize, 0};
  if (mpg123_replace_reader_handle(h, ReadBytes, SeekBytes, nullptr) != MPG123_OK ||
      mpg123_open_handle(h, &input) != MPG123_OK) {
    return false;
  }
  Pcm.iRate = Format.iRate;
  Pcm.iChannels = Format.iChannels;
  const size_t iMaxSamples = iMaxFrames * static_cast<size_t>(Format.iChannels);
  int16_t Piece[16384];
  // An error that moves the decoder no further through the bytes ends it.
  off_t iStuckAt = -1;
  while (Pcm.Samples.size() < iMaxSamples) {
    size_t iDone = 0;
    const int iResult = mpg123_read(h, Piece, sizeof Piece, &iDone);
    const size_t iTaken = std::min(iDone / 2, iMaxSamples - Pcm.Samples.size());
    Pcm.Samples.insert(Pcm.Samples.end(), Piece, Piece + iTaken);
    if (iTaken > 0 && Progress && !Progress(Pcm)) return false;
    if (iResult == MPG123_OK || iResult == MPG123_NEW_FORMAT) continue;
    if (iResult == MPG123_DONE || input.iOffset == iStuckAt) break;
    iStuckAt = input.iOffset;
  }
  Pcm.Samples.resize(Pcm.FrameCount() * static_cast<size_t>(Format.iChannels));
  return Pcm.FrameCount() > 0;
}

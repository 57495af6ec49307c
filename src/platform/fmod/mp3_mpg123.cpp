#include "mp3_mpg123.h"

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

bool DecodeMp3WithMpg123(const unsigned char* pData, size_t iSize, size_t iMaxFrames, PcmSound& Pcm) {
  static const bool bLibraryReady = mpg123_init() == MPG123_OK;
  if (!bLibraryReady) return false;
  int iError = MPG123_OK;
  const std::unique_ptr<mpg123_handle, void (*)(mpg123_handle*)> pHandle(mpg123_new(nullptr, &iError), mpg123_delete);
  if (pHandle == nullptr) return false;
  mpg123_handle* h = pHandle.get();
  mpg123_param(h, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  // 16-bit output at the stream's own rate and channel count.
  mpg123_format_none(h);
  const long* pRates = nullptr;
  size_t iRateCount = 0;
  mpg123_rates(&pRates, &iRateCount);
  for (size_t i = 0; i < iRateCount; ++i) mpg123_format(h, pRates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  Input input{pData, iSize, 0};
  long iRate = 0;
  int iChannels = 0, iEncoding = 0;
  if (mpg123_replace_reader_handle(h, ReadBytes, SeekBytes, nullptr) != MPG123_OK ||
      mpg123_open_handle(h, &input) != MPG123_OK || mpg123_getformat(h, &iRate, &iChannels, &iEncoding) != MPG123_OK ||
      iRate <= 0 || (iChannels != 1 && iChannels != 2))
    return false;
  Pcm.iRate = static_cast<int>(iRate);
  Pcm.iChannels = iChannels;
  const size_t iMaxSamples = iMaxFrames * static_cast<size_t>(iChannels);
  int16_t Piece[16384];
  for (;;) {
    size_t iDone = 0;
    const int iResult = mpg123_read(h, Piece, sizeof Piece, &iDone);
    const size_t iTaken = std::min(iDone / 2, iMaxSamples - Pcm.Samples.size());
    Pcm.Samples.insert(Pcm.Samples.end(), Piece, Piece + iTaken);
    if (iResult != MPG123_OK || Pcm.Samples.size() >= iMaxSamples) break;
  }
  Pcm.Samples.resize(Pcm.FrameCount() * static_cast<size_t>(iChannels));
  return Pcm.FrameCount() > 0;
}

#include "mp3_stream.h"

#include <mpg123.h>
#include <sys/mman.h>
#include <sys/types.h>

#include <algorithm>
#include <cstring>

struct Mp3Stream::Decoder {
  ~Decoder() {
    if (pHandle != nullptr) mpg123_delete(pHandle);
    if (pConverter != nullptr) SDL_FreeAudioStream(pConverter);
  }
  const std::vector<unsigned char>* pBytes = nullptr;
  off_t iOffset = 0;  // read position of the decoder in pBytes
  mpg123_handle* pHandle = nullptr;
  SDL_AudioStream* pConverter = nullptr;  // the file's rate and channels to the mixer's
  size_t iWritten = 0;                    // bytes of Pcm written so far
};

namespace {

struct PlayState {
  Mp3Stream* pStream;
  size_t iCursor;  // bytes of the chunk the mixer has taken so far
};

mpg123_ssize_t ReadBytes(void* pHandle, void* pOut, size_t iCount) {
  auto* pDecoder = static_cast<Mp3Stream::Decoder*>(pHandle);
  const std::vector<unsigned char>& Bytes = *pDecoder->pBytes;
  const size_t iOffset = static_cast<size_t>(pDecoder->iOffset);
  const size_t iTaken = iOffset < Bytes.size() ? std::min(iCount, Bytes.size() - iOffset) : 0;
  std::memcpy(pOut, Bytes.data() + iOffset, iTaken);
  pDecoder->iOffset += static_cast<off_t>(iTaken);
  return static_cast<mpg123_ssize_t>(iTaken);
}

off_t SeekBytes(void* pHandle, off_t iOffset, int iWhence) {
  auto* pDecoder = static_cast<Mp3Stream::Decoder*>(pHandle);
  const off_t iSize = static_cast<off_t>(pDecoder->pBytes->size());
  const off_t iBase = iWhence == SEEK_SET ? 0 : iWhence == SEEK_CUR ? pDecoder->iOffset : iSize;
  const off_t iTarget = iBase + iOffset;
  if (iTarget < 0 || iTarget > iSize) return -1;
  pDecoder->iOffset = iTarget;
  return iTarget;
}

}  // namespace

bool Mp3Stream::IsMpegAudio(const std::vector<unsigned char>& Bytes) {
  if (Bytes.size() >= 3 && std::memcmp(Bytes.data(), "ID3", 3) == 0) return true;
  return Bytes.size() >= 2 && Bytes[0] == 0xFF && (Bytes[1] & 0xE0) == 0xE0;
}

std::unique_ptr<Mp3Stream> Mp3Stream::Start(std::vector<unsigned char> Bytes, int iRate, int iChannels,
                                            double fMaxSeconds, double fHeadSeconds) {
  if (!IsMpegAudio(Bytes) || iRate <= 0 || iChannels <= 0) return nullptr;
  static const bool bLibraryReady = mpg123_init() == MPG123_OK;
  if (!bLibraryReady) return nullptr;
  std::unique_ptr<Mp3Stream> pStream(new Mp3Stream());
  pStream->Bytes = std::move(Bytes);
  pStream->pDecoder = std::make_unique<Decoder>();
  Decoder& decoder = *pStream->pDecoder;
  decoder.pBytes = &pStream->Bytes;
  int iError = MPG123_OK;
  decoder.pHandle = mpg123_new(nullptr, &iError);
  if (decoder.pHandle == nullptr) return nullptr;
  mpg123_handle* pHandle = decoder.pHandle;
  mpg123_param(pHandle, MPG123_ADD_FLAGS, MPG123_QUIET, 0);
  // 16-bit output at the file's own rate and channel count.
  mpg123_format_none(pHandle);
  const long* pRates = nullptr;
  size_t iRateCount = 0;
  mpg123_rates(&pRates, &iRateCount);
  for (size_t i = 0; i < iRateCount; ++i) mpg123_format(pHandle, pRates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16);
  if (mpg123_replace_reader_handle(pHandle, ReadBytes, SeekBytes, nullptr) != MPG123_OK ||
      mpg123_open_handle(pHandle, &decoder) != MPG123_OK)
    return nullptr;
  long iFileRate = 0;
  int iFileChannels = 0, iEncoding = 0;
  if (mpg123_getformat(pHandle, &iFileRate, &iFileChannels, &iEncoding) != MPG123_OK || iFileRate <= 0) return nullptr;
  // The exact length needs every frame header; that is quick from memory.
  if (mpg123_scan(pHandle) != MPG123_OK) return nullptr;
  const off_t iFileFrames = mpg123_length(pHandle);
  if (iFileFrames <= 0 || static_cast<double>(iFileFrames) / static_cast<double>(iFileRate) > fMaxSeconds) return nullptr;
  decoder.pConverter = SDL_NewAudioStream(AUDIO_S16SYS, static_cast<Uint8>(iFileChannels), static_cast<int>(iFileRate),
                                          AUDIO_S16SYS, static_cast<Uint8>(iChannels), iRate);
  if (decoder.pConverter == nullptr) return nullptr;

  pStream->iFrameBytes = static_cast<size_t>(2 * iChannels);
  const uint64_t iFrames = (static_cast<uint64_t>(iFileFrames) * static_cast<uint64_t>(iRate) +
                            static_cast<uint64_t>(iFileRate) - 1) / static_cast<uint64_t>(iFileRate);
  pStream->iTotalBytes = static_cast<size_t>(iFrames) * pStream->iFrameBytes;
  if (pStream->iTotalBytes == 0 || pStream->iTotalBytes > UINT32_MAX) return nullptr;
  pStream->pPcm = std::make_unique_for_overwrite<unsigned char[]>(pStream->iTotalBytes);
  // Fresh anonymous pages read as zeros without ever being written.
  pStream->pSilence = mmap(nullptr, pStream->iTotalBytes, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (pStream->pSilence == MAP_FAILED) {
    pStream->pSilence = nullptr;
    return nullptr;
  }
  pStream->pChunk = Mix_QuickLoad_RAW(static_cast<Uint8*>(pStream->pSilence), static_cast<Uint32>(pStream->iTotalBytes));
  if (pStream->pChunk == nullptr) return nullptr;

  const size_t iHeadBytes = static_cast<size_t>(fHeadSeconds * iRate) * pStream->iFrameBytes;
  if (!pStream->DecodeUntil(std::min(iHeadBytes, pStream->iTotalBytes)) ||
      pStream->DecodedBytes() >= pStream->iTotalBytes) {
    pStream->Finish();
  } else {
    Mp3Stream* pSelf = pStream.get();
    pStream->Worker = std::thread([pSelf] {
      pSelf->DecodeUntil(pSelf->iTotalBytes);
      pSelf->Finish();
    });
  }
  return pStream;
}

Mp3Stream::~Mp3Stream() {
  // Freeing the chunk halts the channels that play it, and with them the
  // effects that read this stream.
  if (pChunk != nullptr) Mix_FreeChunk(pChunk);
  bStop = true;
  if (Worker.joinable()) Worker.join();
  if (pSilence != nullptr) munmap(pSilence, iTotalBytes);
}

bool Mp3Stream::DecodeUntil(size_t iUntil) {
  Decoder& decoder = *pDecoder;
  unsigned char Piece[32768];
  bool bInputLeft = true;
  while (decoder.iWritten < iUntil && !bStop.load(std::memory_order_relaxed)) {
    const int iAvailable = SDL_AudioStreamAvailable(decoder.pConverter);
    if (iAvailable > 0) {
      const size_t iRoom = iTotalBytes - decoder.iWritten;
      // What the length estimate did not foresee is dropped.
      const int iGot = iRoom > 0 ? SDL_AudioStreamGet(decoder.pConverter, pPcm.get() + decoder.iWritten,
                                                        static_cast<int>(std::min<size_t>(iRoom, iAvailable)))
                                 : SDL_AudioStreamGet(decoder.pConverter, Piece, std::min<int>(iAvailable, sizeof Piece));
      if (iGot <= 0) break;
      if (iRoom > 0) decoder.iWritten += static_cast<size_t>(iGot);
      iDecoded.store(decoder.iWritten - decoder.iWritten % iFrameBytes, std::memory_order_release);
      { std::lock_guard<std::mutex> Guard(Lock); }
      Progress.notify_all();
      continue;
    }
    if (!bInputLeft) return false;
    size_t iDone = 0;
    const int iResult = mpg123_read(decoder.pHandle, Piece, sizeof Piece, &iDone);
    if (iDone > 0) SDL_AudioStreamPut(decoder.pConverter, Piece, static_cast<int>(iDone));
    if (iResult != MPG123_OK && iResult != MPG123_NEW_FORMAT) {
      // The end of the data (or a fault in it): what the converter still holds comes out.
      SDL_AudioStreamFlush(decoder.pConverter);
      bInputLeft = false;
      if (SDL_AudioStreamAvailable(decoder.pConverter) <= 0) return false;
    }
  }
  return decoder.iWritten < iTotalBytes && !bStop;
}

void Mp3Stream::Finish() {
  const size_t iWritten = pDecoder->iWritten;
  std::fill(pPcm.get() + iWritten, pPcm.get() + iTotalBytes, 0);
  // The file is read no more.
  pDecoder.reset();
  std::vector<unsigned char>().swap(Bytes);
  iDecoded.store(iTotalBytes, std::memory_order_release);
  {
    std::lock_guard<std::mutex> Guard(Lock);
    bEnded = true;
  }
  Progress.notify_all();
}

size_t Mp3Stream::WaitFor(size_t iBytes) {
  size_t iReady = iDecoded.load(std::memory_order_acquire);
  if (iReady >= iBytes) return iReady;
  std::unique_lock<std::mutex> Guard(Lock);
  Progress.wait(Guard, [&] { return bEnded || iDecoded.load(std::memory_order_acquire) >= iBytes; });
  return iDecoded.load(std::memory_order_acquire);
}

bool Mp3Stream::AttachTo(int iChannel) {
  auto* pPlay = new PlayState{this, 0};
  if (Mix_RegisterEffect(iChannel, Effect, EffectDone, pPlay) == 0) {
    delete pPlay;
    return false;
  }
  return true;
}

void Mp3Stream::DetachFrom(int iChannel) { Mix_UnregisterEffect(iChannel, Effect); }

void Mp3Stream::Effect(int, void* pOut, int iLength, void* pPlayState) {
  auto* pPlay = static_cast<PlayState*>(pPlayState);
  Mp3Stream& stream = *pPlay->pStream;
  const size_t iCursor = pPlay->iCursor;
  const size_t iWanted = iCursor < stream.iTotalBytes ? std::min<size_t>(static_cast<size_t>(iLength), stream.iTotalBytes - iCursor) : 0;
  const size_t iReady = stream.WaitFor(iCursor + iWanted);
  if (iReady > iCursor) std::memcpy(pOut, stream.pPcm.get() + iCursor, std::min(iWanted, iReady - iCursor));
  pPlay->iCursor += static_cast<size_t>(iLength);
}

void Mp3Stream::EffectDone(int, void* pPlayState) { delete static_cast<PlayState*>(pPlayState); }

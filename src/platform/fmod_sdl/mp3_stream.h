// An MP3 sample that plays before it is wholly decoded. Loading decodes the
// first seconds; a worker thread decodes the rest into the same buffer, far
// faster than the mixer plays it. The chunk the mixer plays is silent: an
// effect registered on the playing channel puts the decoded data in its place
// and, should the mixer ever catch up with the worker, waits for it, so the
// mixer never reads what is still being written.
#pragma once

#include <SDL_mixer.h>

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class Mp3Stream {
 public:
  struct Decoder;
  // An ID3 tag or an MPEG frame's sync bits at the start: MPEG audio, which
  // this stream decodes (the decoder resynchronises on anything, so other
  // files are kept away from it).
  static bool IsMpegAudio(const std::vector<unsigned char>& Bytes);

  // Decoded at load: enough for the worker to get well ahead of the mixer.
  static constexpr double kHeadSeconds = 2.0;

  // Starts decoding MPEG audio Bytes into the mixer's format (16-bit, iChannels
  // channels at iRate Hz); null when Bytes are not MPEG audio, their length
  // cannot be known or is above fMaxSeconds.
  static std::unique_ptr<Mp3Stream> Start(std::vector<unsigned char> Bytes, int iRate, int iChannels,
                                          double fMaxSeconds, double fHeadSeconds = kHeadSeconds);
  ~Mp3Stream();
  Mp3Stream(const Mp3Stream&) = delete;
  Mp3Stream& operator=(const Mp3Stream&) = delete;

  // The chunk to play: the full length, silent until the effect fills it.
  Mix_Chunk* Chunk() const { return pChunk; }
  // Puts the decoded data on iChannel from the start of the chunk; call
  // before the chunk starts playing there. False when the mixer refuses.
  bool AttachTo(int iChannel);
  // Takes the effect off iChannel again (a start that failed).
  static void DetachFrom(int iChannel);

  size_t TotalBytes() const { return iTotalBytes; }
  size_t DecodedBytes() const { return iDecoded.load(std::memory_order_acquire); }
  // Waits until iBytes are decoded or decoding has ended; the bytes decoded.
  size_t WaitFor(size_t iBytes);
  // The decoded data (valid up to DecodedBytes()).
  const unsigned char* Data() const { return pPcm.get(); }

 private:
  Mp3Stream() = default;
  // Decodes until iUntil bytes are out or the data ends; false at the end.
  bool DecodeUntil(size_t iUntil);
  void Finish();
  static void Effect(int iChannel, void* pStream, int iLength, void* pPlay);
  static void EffectDone(int iChannel, void* pPlay);

  std::vector<unsigned char> Bytes;
  std::unique_ptr<Decoder> pDecoder;
  // Left unwritten at load: its pages are touched only as the decoder fills them.
  std::unique_ptr<unsigned char[]> pPcm;
  void* pSilence = nullptr;  // zero pages of the chunk's length, never written
  Mix_Chunk* pChunk = nullptr;
  size_t iTotalBytes = 0;
  size_t iFrameBytes = 4;
  std::atomic<size_t> iDecoded{0};
  std::atomic<bool> bStop{false};
  std::mutex Lock;
  std::condition_variable Progress;
  bool bEnded = false;
  std::thread Worker;
};

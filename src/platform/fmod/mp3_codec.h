// MP3 decoding, beside the outputs: the platform's codec (libmpg123 on Linux,
// the Audio Compression Manager on Windows, the browser's decodeAudioData on
// the page), chosen as the output is, one per platform. The core's readers
// have found the stream's format and counted its length before a codec sees
// it; the core asks the codec, not the output, whether it decodes on a thread.
#pragma once

#include <atomic>
#include <cstddef>
#include <functional>

#include "sound_files.h"

// What a codec on a thread tells the core, and how the core stops it.
struct DecodeProgress {
  // Frames from the first on that are written (after each piece); may be empty.
  std::function<void(size_t iFrames)> Decoded;
  // Asked for every piece of input consumed, whether it decodes to sound or
  // not, so that a long stretch of junk never holds up a stop.
  const std::atomic<bool>* pStop = nullptr;

  void Tell(size_t iFrames) const {
    if (Decoded) Decoded(iFrames);
  }
  bool Stopping() const { return pStop != nullptr && pStop->load(std::memory_order_relaxed); }
};

class Mp3Codec {
 public:
  virtual ~Mp3Codec() = default;

  // Whether Decode may run on a thread of the core's own while the program
  // goes on (not in the browser, whose codec answers on the page's thread).
  virtual bool DecodesOnThread() const = 0;

  // Decodes MPEG audio layer III from its first frame (pData), of the format
  // the core's reader found, and returns the frames written (0: nothing
  // decoded). A codec on a thread writes into Pcm as it is handed over: at
  // Format's rate and channel count, with its whole counted length, silent;
  // each piece goes in place from the first frame on, never past the end,
  // frames of another rate or channel count converted, damaged ones skipped,
  // and it ends when Pcm is full or the stream ends. A codec that chooses the
  // sound's format and length itself (the browser's) gets Pcm empty and sets
  // all of it, at most kMaxSampleSeconds.
  virtual size_t Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                        const DecodeProgress& Progress) = 0;
};

// The platform's codec, created on first use and never destroyed.
Mp3Codec& PlatformMp3Codec();
// Routes the core to pCodec (not owned) for tests; null restores the platform's.
void FmodSetMp3Codec(Mp3Codec* pCodec);

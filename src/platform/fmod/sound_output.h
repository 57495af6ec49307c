// The narrow seam below the sound library's core: an output plays voices of
// decoded PCM, each with its own left and right gain, and decodes MP3 with the
// platform's codec. The core (fmod.cpp) owns every table, check, reader and
// cap; an output only carries sound to the platform. Outputs: Linux
// (PulseAudio or SDL), Windows (DirectSound, waveOut, silent) and Web Audio.
//
// The Linux and Windows outputs mix every voice themselves (mixer.h) and a
// device stream pulls the mix. The web output works per voice instead: each
// voice is a node of the page's audio graph, mixed by the browser on its own
// audio thread, since a mix pulled by the page's single thread would stop
// whenever the page is busy drawing.
#pragma once

#include <cstddef>
#include <atomic>
#include <cstdint>
#include <functional>
#include <vector>

struct Mp3Format;  // sound_files.h

// 16-bit signed PCM, interleaved when there are two channels. A sound still
// being decoded has its whole length from the start; pReady then counts the
// frames decoded so far (from the first on), which a mixer may play.
struct PcmSound {
  int iRate = 0;
  int iChannels = 0;  // 1 or 2
  std::vector<int16_t> Samples;
  const std::atomic<size_t>* pReady = nullptr;  // null: all of it

  size_t FrameCount() const { return iChannels > 0 ? Samples.size() / static_cast<size_t>(iChannels) : 0; }
  size_t FramesReady() const { return pReady != nullptr ? pReady->load(std::memory_order_acquire) : FrameCount(); }
};

// What a codec has decoded so far, after each piece; false stops it.
using DecodeProgress = std::function<bool(const PcmSound& SoFar)>;

class SoundOutput {
 public:
  virtual ~SoundOutput() = default;

  // Picks an output type (FSOUND_OUTPUT_*) for the next Open: the number of
  // its devices, 0 when this platform has none of that type. The silent type
  // always has one. Only while closed.
  virtual int Select(int iOutputType) = 0;
  // Opens device iDriver of the selected type as 16-bit stereo at iRate with
  // iVoices silent voices; false when the platform refuses.
  virtual bool Open(int iDriver, int iRate, int iVoices) = 0;
  // Stops every voice and song and closes the device; harmless when closed.
  virtual void Close() = 0;

  // Starts Sound on a voice from its first frame at its own rate, with the
  // gains of SetGains; Sound outlives its playing (the core stops its voices
  // before freeing it).
  virtual void Start(int iVoice, const PcmSound& Sound, float fLeft, float fRight) = 0;
  virtual void Stop(const PcmSound& Sound) = 0;
  virtual bool Playing(int iVoice) = 0;
  // Gains 0..1 of a voice's left and right side (volume, master volume and pan
  // already applied by the core).
  virtual void SetGains(int iVoice, float fLeft, float fRight) = 0;

  // Decodes MPEG audio layer III with the platform's codec, from its first
  // frame (pData) on, whose format the core's reader found: at most iMaxFrames
  // frames, at that frame's rate and channel count. A damaged frame, or one of
  // another format, is skipped or converted, and decoding goes on to the end;
  // false when nothing decodes. Progress (if any) sees Pcm after each piece.
  virtual bool DecodeMp3(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames,
                         PcmSound& Pcm, const DecodeProgress& Progress) = 0;
  // Whether DecodeMp3 may run on a thread of the core's own while the program
  // goes on (it may not in the browser, whose codec answers on the page's
  // thread, nor where its sound is of another format than the first frame's).
  virtual bool DecodesInBackground() const { return false; }

  // Tracker modules (MOD, S3M, XM, IT; the core has checked the signature):
  // a song id, or -1 where the platform has no player. Songs go with Close.
  virtual int LoadSong(const std::vector<unsigned char>&) { return -1; }
  virtual bool PlaySong(int, float) { return false; }  // replaces any song playing
  virtual void SetSongGain(int, float) {}
};

// The platform's output, created on first use and never destroyed.
SoundOutput& PlatformSoundOutput();
// Routes the core to pOutput (not owned) for tests; null restores the platform's.
void FmodSetSoundOutput(SoundOutput* pOutput);

// The narrow seam below the sound library's core: an output plays voices of
// decoded PCM, each with its own left and right gain. The core (fmod.cpp) owns
// every table, check, reader and cap, and MP3 goes to the platform's codec
// beside the output (mp3_codec.h); an output only carries sound to the
// platform. Outputs: Linux (PulseAudio or SDL), Windows (DirectSound,
// waveOut, silent) and Web Audio.
//
// The Linux and Windows outputs mix every voice themselves (mixer.h) and a
// device stream pulls the mix. The web output works per voice instead: each
// voice is a node of the page's audio graph, mixed by the browser on its own
// audio thread, since a mix pulled by the page's single thread would stop
// whenever the page is busy drawing.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

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

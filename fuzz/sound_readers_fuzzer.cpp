// The sound library's readers over any bytes, through FSOUND_Sample_Load as
// the demo calls it: the WAV and raw readers, the MP3 frame walk and length
// cap, and libmpg123 behind them on its own thread, decoding into the sample
// as the program's does. The first byte picks the mode (bit 7
// FSOUND_LOADRAW, bit 3 FSOUND_8BITS, bit 5 FSOUND_MONO); the rest is the
// file. Whatever loads must reach the output as sound the mixer can play,
// while it decodes; the next input's load stops the decoding of the last.
#include <cstdint>
#include <cstdio>
#include <cstdlib>

#include "fmod.h"
#include "memory_file.h"
#include "sound_files.h"
#include "sound_output.h"

namespace {

void Check(bool bHolds, const char* pszWhat) {
  if (bHolds) return;
  std::fprintf(stderr, "broken: %s\n", pszWhat);
  std::abort();
}

// Plays nothing; checks every sound it is handed.
class CheckingOutput final : public SoundOutput {
 public:
  int Select(int) override { return 1; }
  bool Open(int, int, int) override { return true; }
  void Close() override {}
  void Start(int, const PcmSound& Sound, float fLeft, float fRight) override {
    Check(Sound.iChannels == 1 || Sound.iChannels == 2, "one or two channels");
    Check(Sound.iRate > 0 && Sound.iRate <= 192000, "a rate the mixer can step through");
    Check(Sound.Samples.size() % static_cast<size_t>(Sound.iChannels) == 0, "whole frames");
    Check(Sound.FrameCount() > 0, "a sound at all");
    Check(static_cast<double>(Sound.FrameCount()) / Sound.iRate <= kMaxSampleSeconds, "at most ten minutes");
    Check(fLeft == 1.0f && fRight == 1.0f, "full volume, centred");
    Check(Sound.FramesReady() <= Sound.FrameCount(), "decoded within the sound");
    // What is published as decoded is read as a mixer would (the sanitizer
    // sees a race or a stray write).
    const size_t iReady = Sound.FramesReady() * static_cast<size_t>(Sound.iChannels);
    int iSum = 0;
    for (size_t i = 0; i < iReady; ++i) iSum += Sound.Samples[i];
    (void)iSum;
  }
  void Stop(const PcmSound&) override {}
  bool Playing(int) override { return false; }
  void SetGains(int, float, float) override {}
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
  static CheckingOutput Output;
  static MemoryFile File;
  static const bool bOpen = [] {
    FmodSetSoundOutput(&Output);
    return FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) != 0 && FSOUND_Init(44100, 1, 0) != 0;
  }();
  Check(bOpen, "the library opens");
  if (iSize < 1) return 0;
  const unsigned int dwMode = (pData[0] & (FSOUND_8BITS | FSOUND_MONO)) | ((pData[0] & 0x80) != 0 ? FSOUND_LOADRAW : 0);
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(0, File.Hold(pData + 1, iSize - 1), dwMode, 0);
  if (pSample != nullptr) Check(FSOUND_PlaySound(FSOUND_FREE, pSample) == 0, "a loaded sample plays");
  return 0;
}

// The demo's sound output: the sound library started with a chain of fallback
// output types, samples and songs loaded and started with fixed volumes.
#pragma once

#include "fmod.h"

class SoundSystem {
 public:
  SoundSystem();
  ~SoundSystem();
  SoundSystem(const SoundSystem&) = delete;
  SoundSystem& operator=(const SoundSystem&) = delete;

  // Tries the requested output type (unless it is 2), then 2, 1 and 0; only the
  // first attempt uses the requested driver. A refused driver ends it with false.
  bool Init(int iOutputType, int iDriver, int iMixRate, int iChannels, unsigned int dwFlags);
  void Close();
  FSOUND_SAMPLE* LoadSample(const char* pFileName, int iSampleIndex, unsigned int dwMode);
  FMUSIC_MODULE* LoadSong(const char* pFileName);
  // The channel the sample plays on, or -1.
  int PlaySample(FSOUND_SAMPLE* pSample, int iPan, int iChannel);
  // 1 started, 0 refused by the library, -1 when the music volume is 0.
  int PlaySong(FMUSIC_MODULE* pSong, int iKeepFree, int iMinVolume);

  int iSampleVolume = 255;
  int iMusicVolume = 255;
  bool bInitialised = false;
  int iChannelCount = 0;
};

#include "host/music.h"

#include "host/data_files.h"

FSOUND_SAMPLE* StartMusic(SoundSystem& FMod) {
  FMod.Init(2, 0, 44100, 32, 0);
  FSOUND_SAMPLE* pSample = FMod.LoadSample(kDataFileNames[kMusicFile], -1, 41);
  if (pSample != nullptr) FMod.PlaySample(pSample, 128, -1);
  return pSample;
}

// Seam of the sound library: every FSOUND_/FMUSIC_ call goes to the current
// implementation (the library itself unless a test routes it elsewhere), so a test
// can script the library's answers and record the calls a caller makes, in
// order.
#pragma once

#include "fmod.h"

class FmodApi {
 public:
  virtual ~FmodApi() = default;

  virtual float GetVersion() = 0;
  virtual signed char SetOutput(int iOutputType) = 0;
  virtual signed char SetDriver(int iDriver) = 0;
  virtual signed char Init(int iMixRate, int iChannels, unsigned int dwFlags) = 0;
  virtual void Close() = 0;
  virtual void SetSfxMasterVolume(int iVolume) = 0;
  virtual FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) = 0;
  virtual int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) = 0;
  virtual signed char SetVolume(int iChannel, int iVolume) = 0;
  virtual signed char SetPan(int iChannel, int iPan) = 0;
  virtual FMUSIC_MODULE* LoadSong(const char* pName) = 0;
  virtual signed char SetMusicMasterVolume(FMUSIC_MODULE* pModule, int iVolume) = 0;
  virtual signed char OptimizeChannels(FMUSIC_MODULE* pModule, int iMaxChannels, int iMinVolume) = 0;
  virtual signed char PlaySong(FMUSIC_MODULE* pModule) = 0;
};

// Routes the library calls to pApi (not owned); null restores the library.
void FmodSetApi(FmodApi* pApi);

#include "sound/sound_system.h"

namespace {

constexpr double kMinVersion = 3.5;
// Output types tried after the requested one, always with driver 0.
constexpr int kFallbackOutputs[3] = {FSOUND_OUTPUT_DSOUND, FSOUND_OUTPUT_WINMM, FSOUND_OUTPUT_NOSOUND};

enum class Attempt { Opened, Failed, DriverRefused };

// One attempt: output, driver, open. A refused driver is final for the whole
// Init; a refused output or a failed open lets Init try the next type.
Attempt TryOutput(int iOutputType, int iDriver, int iMixRate, int iChannels, unsigned int dwFlags) {
  if (FSOUND_SetOutput(iOutputType) == 0) return Attempt::Failed;
  if (FSOUND_SetDriver(iDriver) == 0) return Attempt::DriverRefused;
  return FSOUND_Init(iMixRate, iChannels, dwFlags) != 0 ? Attempt::Opened : Attempt::Failed;
}

}  // namespace

SoundSystem::SoundSystem() { FSOUND_SetSFXMasterVolume(255); }

SoundSystem::~SoundSystem() {
  if (bInitialised) Close();
}

bool SoundSystem::Init(int iOutputType, int iDriver, int iMixRate, int iChannels, unsigned int dwFlags) {
  iChannelCount = iChannels;
  if (bInitialised) Close();
  if (FSOUND_GetVersion() < kMinVersion) return false;

  Attempt Result = Attempt::Failed;
  if (iOutputType != FSOUND_OUTPUT_DSOUND) Result = TryOutput(iOutputType, iDriver, iMixRate, iChannels, dwFlags);
  for (int i = 0; i < 3 && Result == Attempt::Failed; ++i)
    Result = TryOutput(kFallbackOutputs[i], 0, iMixRate, iChannels, dwFlags);

  if (Result == Attempt::Failed) Close();
  bInitialised = Result == Attempt::Opened;
  return bInitialised;
}

void SoundSystem::Close() {
  FSOUND_Close();
  bInitialised = false;
}

FSOUND_SAMPLE* SoundSystem::LoadSample(const char* pFileName, int iSampleIndex, unsigned int dwMode) {
  return FSOUND_Sample_Load(iSampleIndex, pFileName, dwMode, 0);
}

FMUSIC_MODULE* SoundSystem::LoadSong(const char* pFileName) { return FMUSIC_LoadSong(pFileName); }

int SoundSystem::PlaySample(FSOUND_SAMPLE* pSample, int iPan, int iChannel) {
  if (iSampleVolume == 0) return -1;
  const int iPlaying = FSOUND_PlaySound(iChannel, pSample);
  if (iPlaying == -1) return -1;
  FSOUND_SetVolume(iPlaying, iSampleVolume);
  FSOUND_SetPan(iPlaying, iPan);
  return iPlaying;
}

int SoundSystem::PlaySong(FMUSIC_MODULE* pSong, int iKeepFree, int iMinVolume) {
  if (iMusicVolume == 0) return -1;
  FMUSIC_SetMasterVolume(pSong, iMusicVolume);
  FMUSIC_OptimizeChannels(pSong, iChannelCount - iKeepFree, iMinVolume);
  return static_cast<int>(FMUSIC_PlaySong(pSong));
}

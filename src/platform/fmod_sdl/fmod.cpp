// The library's entry points: each forwards to the current backend. Shared by
// every platform's sound layer; each defines its PlatformFmodBackend().
#include "fmod_seams.h"

namespace {
FmodBackend* pOverride = nullptr;

FmodBackend& Backend() { return pOverride != nullptr ? *pOverride : PlatformFmodBackend(); }
}  // namespace

void FmodSetBackend(FmodBackend* pBackend) { pOverride = pBackend; }

float FSOUND_GetVersion() { return Backend().GetVersion(); }
signed char FSOUND_SetOutput(int outputtype) { return Backend().SetOutput(outputtype); }
signed char FSOUND_SetDriver(int driver) { return Backend().SetDriver(driver); }
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags) {
  return Backend().Init(mixrate, maxsoftwarechannels, flags);
}
void FSOUND_Close() { Backend().Close(); }
void FSOUND_SetSFXMasterVolume(int volume) { Backend().SetSfxMasterVolume(volume); }
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset) {
  return Backend().SampleLoad(index, name, mode, offset);
}
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr) { return Backend().PlaySound(channel, sptr); }
signed char FSOUND_SetVolume(int channel, int vol) { return Backend().SetVolume(channel, vol); }
signed char FSOUND_SetPan(int channel, int pan) { return Backend().SetPan(channel, pan); }
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) { return Backend().LoadSong(name); }
signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE* mod, int volume) {
  return Backend().SetMusicMasterVolume(mod, volume);
}
signed char FMUSIC_OptimizeChannels(FMUSIC_MODULE* mod, int maxchannels, int minvolume) {
  return Backend().OptimizeChannels(mod, maxchannels, minvolume);
}
signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod) { return Backend().PlaySong(mod); }

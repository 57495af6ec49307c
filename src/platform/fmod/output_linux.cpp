// The Linux output: the voices are the core's own mixer, pulled by a stream
// of a PulseAudio server where one answers (libpulse, output_pulse.cpp), else
// added to SDL_mixer's output in its post-mix hook; SDL_mixer plays tracker
// modules. SDL_mixer's sample decoders are never used: every sample file has
// been read by the core's readers, so SDL's WAV, ADPCM or FLAC parsers never
// see a data file.
//
// Each output type has its ways to a device in order (kOpeners): type 2 is
// the sound server's stream when SDL_AUDIODRIVER names no other driver (or
// names "pulseaudio") and a server answers, else the SDL audio driver SDL
// chooses by itself (SDL_AUDIODRIVER decides when set); 1 the second real SDL
// driver that starts on this machine; 0 SDL's "dummy" driver, which consumes
// the mix in real time and plays nothing, so a silent run does the same work
// as one with sound. The device is opened as 16-bit stereo at the requested
// rate; SDL converts to whatever the hardware wants.
#include <SDL.h>
#include <SDL_mixer.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <memory>
#include <vector>

#include "fmod.h"
#include "mixer.h"
#include "output_linux_quiet.h"
#include "output_pulse.h"

namespace {

// About 23 ms at 44100 Hz. SDL's lead is about that chunk, and whatever SDL has
// queued when a sound starts delays it: at 1536 or 2048 frames the music
// started up to 104 ms after the first frame. The deep lead is the sound
// server stream's, which starts a sound at once.
constexpr int kChunkFrames = 1024;

void SayWhenSilent() {
  static bool bSaid = false;
  const char* pszDriver = SDL_GetCurrentAudioDriver();
  if (bSaid || pszDriver == nullptr || std::strcmp(pszDriver, "dummy") != 0) return;
  std::fprintf(stderr, "no sound output: playing silently\n");
  bSaid = true;
}

// The server's own stream unless SDL_AUDIODRIVER asks for another driver.
bool ServerStreamWanted() {
  const char* pszDriver = SDL_getenv("SDL_AUDIODRIVER");
  return pszDriver == nullptr || *pszDriver == '\0' || std::strcmp(pszDriver, "pulseaudio") == 0;
}

int MixerVolume(float fGain) { return static_cast<int>(std::lround(fGain * MIX_MAX_VOLUME)); }

class LinuxOutput final : public MixingOutput {
 public:
  int Select(int iOutputType) override {
    StopAudio();
    iSelected = iOutputType;
    // The first way of the type that starts here gives the device count: the
    // server's stream has one, and SDL starts only behind it (Open).
    for (const Opener& Way : kOpeners)
      if (Way.iOutputType == iOutputType && (this->*Way.Start)())
        return bAudioUp ? std::max(1, SDL_GetNumAudioDevices(0)) : 1;
    return 0;
  }

  bool Open(int iDriver, int iRate, int iVoices) override {
    if (bOpen) return false;
    Mixing.Reset(iRate, iVoices);
    bOpen = std::any_of(std::begin(kOpeners), std::end(kOpeners), [&](const Opener& Way) {
      return Way.iOutputType == iSelected && (this->*Way.Start)() && (this->*Way.Open)(iDriver, iRate);
    });
    if (!bOpen) {
      Mixing.Reset(iRate, 0);
      return false;
    }
    iOpenRate = iRate;
    return true;
  }

  void Close() override {
    pStream.reset();  // stops the pulling thread before the voices go
    if (bMixerOpen) {
      Mix_SetPostMix(nullptr, nullptr);
      Mix_HaltMusic();
      Songs.clear();
      Mix_CloseAudio();
      Mix_Quit();
      bMixerOpen = false;
    }
    Mixing.Reset(44100, 0);
    bOpen = false;
    StopAudio();
  }

  int LoadSong(const std::vector<unsigned char>& Bytes) override {
    // Beside the server's stream, songs have an SDL device of their own.
    if (!bOpen || (!bMixerOpen && !(StartAudio(nullptr) && OpenMixer(0, iOpenRate)))) return -1;
    auto pSong = std::make_unique<Song>(Bytes);
    pSong->pMusic = Mix_LoadMUSType_RW(SDL_RWFromConstMem(pSong->Bytes.data(), static_cast<int>(pSong->Bytes.size())),
                                       MUS_MOD, 1);
    if (pSong->pMusic == nullptr) return -1;
    Songs.push_back(std::move(pSong));
    return static_cast<int>(Songs.size()) - 1;
  }

  bool PlaySong(int iSong, float fGain) override {
    if (iSong < 0 || iSong >= static_cast<int>(Songs.size())) return false;
    Mix_VolumeMusic(MixerVolume(fGain));
    return Mix_PlayMusic(Songs[static_cast<size_t>(iSong)]->pMusic, 0) == 0;
  }

  void SetSongGain(int, float fGain) override { Mix_VolumeMusic(MixerVolume(fGain)); }

 private:
  // A song plays from the file's bytes, which it keeps for its whole life.
  struct Song {
    explicit Song(const std::vector<unsigned char>& FileBytes) : Bytes(FileBytes) {}
    ~Song() {
      if (pMusic != nullptr) Mix_FreeMusic(pMusic);
    }
    Song(const Song&) = delete;
    Song& operator=(const Song&) = delete;
    std::vector<unsigned char> Bytes;
    Mix_Music* pMusic = nullptr;
  };

  // A way to a device: Start readies it (idempotent; SDL's audio driver, or
  // nothing for the server's stream), Open opens device iDriver at iRate.
  struct Opener {
    int iOutputType;
    bool (LinuxOutput::*Start)();
    bool (LinuxOutput::*Open)(int iDriver, int iRate);
  };
  static const Opener kOpeners[4];

  bool StartServer() { return ServerStreamWanted(); }
  bool StartSdlChoice() { return StartAudio(nullptr); }
  bool StartSdlDummy() { return StartAudio("dummy"); }

  bool OpenServerStream(int, int iRate) {
    pStream = OpenPulseStream(iRate, *this);
    return pStream != nullptr;
  }

  bool OpenSdlMixer(int iDriver, int iRate) {
    if (!OpenMixer(iDriver, iRate)) return false;
    Mix_SetPostMix(AddVoices, this);
    SayWhenSilent();
    return true;
  }

  static void AddVoices(void* pSelf, Uint8* pStream, int iBytes) {
    static_cast<LinuxOutput*>(pSelf)->Mixing.MixInto(reinterpret_cast<int16_t*>(pStream), iBytes / 4);
  }

  bool OpenMixer(int iDriver, int iRate) {
    Mix_Init(MIX_INIT_MOD);  // a missing module player only fails the songs
    const char* pDevice = iDriver > 0 ? SDL_GetAudioDeviceName(iDriver, 0) : nullptr;
    int iOpened = 0;
    {
      StderrSilenced Quiet;
      iOpened = Mix_OpenAudioDevice(iRate, AUDIO_S16SYS, 2, kChunkFrames, pDevice, 0);
    }
    if (iOpened != 0) {
      Mix_Quit();
      return false;
    }
    Mix_AllocateChannels(0);
    bMixerOpen = true;
    return true;
  }

  bool StartAudio(const char* pDriverName) {
    if (bAudioUp) return true;
    QuietenOutputSearch();
    if (pDriverName != nullptr) SDL_SetHintWithPriority(SDL_HINT_AUDIODRIVER, pDriverName, SDL_HINT_OVERRIDE);
    {
      StderrSilenced Quiet;
      bAudioUp = SDL_InitSubSystem(SDL_INIT_AUDIO) == 0;
    }
    if (pDriverName != nullptr) SDL_ResetHint(SDL_HINT_AUDIODRIVER);
    return bAudioUp;
  }

  void StopAudio() {
    if (bAudioUp) SDL_QuitSubSystem(SDL_INIT_AUDIO);
    bAudioUp = false;
  }

  // The first real driver that starts is the one a default output would
  // normally take; output 1 is the next one after it.
  bool StartSecondRealDriver() {
    if (bAudioUp) return true;
    int iStarted = 0;
    for (int i = 0; i < SDL_GetNumAudioDrivers(); ++i) {
      const char* pName = SDL_GetAudioDriver(i);
      if (std::strcmp(pName, "dummy") == 0 || std::strcmp(pName, "disk") == 0) continue;
      if (!StartAudio(pName)) continue;
      if (++iStarted == 2) return true;
      StopAudio();
    }
    return false;
  }

  int iSelected = FSOUND_OUTPUT_NOSOUND;
  bool bAudioUp = false;    // SDL's audio subsystem started
  bool bMixerOpen = false;  // SDL_mixer's device open (voices without a server, songs)
  bool bOpen = false;
  int iOpenRate = 44100;
  std::vector<std::unique_ptr<Song>> Songs;
};

// In order of preference within each output type.
const LinuxOutput::Opener LinuxOutput::kOpeners[4] = {
    {FSOUND_OUTPUT_DSOUND, &LinuxOutput::StartServer, &LinuxOutput::OpenServerStream},
    {FSOUND_OUTPUT_DSOUND, &LinuxOutput::StartSdlChoice, &LinuxOutput::OpenSdlMixer},
    {FSOUND_OUTPUT_WINMM, &LinuxOutput::StartSecondRealDriver, &LinuxOutput::OpenSdlMixer},
    {FSOUND_OUTPUT_NOSOUND, &LinuxOutput::StartSdlDummy, &LinuxOutput::OpenSdlMixer},
};

}  // namespace

SoundOutput& PlatformSoundOutput() {
  static LinuxOutput* pOutput = new LinuxOutput();
  return *pOutput;
}

// The Linux output: the voices are the core's own mixer, pulled by a stream
// of a PulseAudio server where one answers (output_pulse.cpp), else added to
// SDL_mixer's output in its post-mix hook; SDL_mixer plays tracker modules;
// MP3 decodes with libmpg123. SDL_mixer's sample decoders are never used:
// every sample file has been read by the core's readers, so SDL's WAV, ADPCM
// or FLAC parsers never see a data file.
//
// Output type 2 is the sound server's stream when SDL_AUDIODRIVER names no
// other driver (or names "pulseaudio") and a server answers; otherwise, like
// the others, it picks an SDL audio driver: 2 the one SDL chooses by itself
// (SDL_AUDIODRIVER decides when set), 1 the second real driver that starts on
// this machine, 0 SDL's "dummy" driver, which consumes the mix in real time
// and plays nothing, so a silent run does the same work as one with sound.
// The device is opened as 16-bit stereo at the requested rate; SDL converts
// to whatever the hardware wants.
#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "fmod.h"
#include "mixer.h"
#include "codec_mpg123.h"
#include "output_pulse.h"

namespace {

// About 23 ms at 44100 Hz. SDL's lead is about that chunk, and whatever SDL has
// queued when a sound starts delays it: at 1536 or 2048 frames the music
// started up to 104 ms after the first frame. The deep lead is the sound
// server stream's, which starts a sound at once.
constexpr int kChunkFrames = 1024;

// Looking for an output on a machine without one makes ALSA print a dozen
// lines of its own; the library says it once, plainly, instead.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// SDL's own messages about the audio drivers it tried are dropped; every
// other message goes to stderr as SDL would print it.
void RouteSdlLog(void*, int iCategory, SDL_LogPriority Priority, const char* pszMessage) {
  if (iCategory == SDL_LOG_CATEGORY_AUDIO) return;
  static const char* const kPriorities[SDL_NUM_LOG_PRIORITIES] = {"",     "VERBOSE", "DEBUG",   "INFO",
                                                                  "WARN", "ERROR",   "CRITICAL"};
  const bool bKnown = Priority > 0 && Priority < SDL_NUM_LOG_PRIORITIES;
  std::fprintf(stderr, "%s: %s\n", bKnown ? kPriorities[Priority] : "LOG", pszMessage);
}

// Some output libraries print their failures straight to stderr (sndio's
// ALSA backend does): while SDL looks for an output, stderr is /dev/null.
class StderrSilenced {
 public:
  StderrSilenced() {
    std::fflush(stderr);
    iSaved = dup(STDERR_FILENO);
    const int iNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (iSaved >= 0 && iNull >= 0) dup2(iNull, STDERR_FILENO);
    if (iNull >= 0) close(iNull);
  }
  ~StderrSilenced() {
    if (iSaved < 0) return;
    dup2(iSaved, STDERR_FILENO);
    close(iSaved);
  }
  StderrSilenced(const StderrSilenced&) = delete;
  StderrSilenced& operator=(const StderrSilenced&) = delete;

 private:
  int iSaved = -1;
};

void QuietenOutputSearch() {
  static const bool bDone = [] {
    snd_lib_error_set_handler(IgnoreAlsaError);
    SDL_LogSetOutputFunction(RouteSdlLog, nullptr);
    return true;
  }();
  (void)bDone;
}

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

class SdlOutput final : public MixingOutput {
 public:
  int Select(int iOutputType) override {
    StopAudio();
    bServerFirst = iOutputType == FSOUND_OUTPUT_DSOUND && ServerStreamWanted();
    if (bServerFirst) return 1;  // SDL's own choice stands behind the server (Open)
    if (iOutputType == FSOUND_OUTPUT_DSOUND) StartAudio(nullptr);
    if (iOutputType == FSOUND_OUTPUT_WINMM) StartSecondRealDriver();
    if (iOutputType == FSOUND_OUTPUT_NOSOUND) StartAudio("dummy");
    return bAudioUp ? std::max(1, SDL_GetNumAudioDevices(0)) : 0;
  }

  bool Open(int iDriver, int iRate, int iVoices) override {
    if (bOpen) return false;
    Mixing.Reset(iRate, iVoices);
    if (bServerFirst) pStream = OpenPulseStream(iRate, *this);
    if (pStream == nullptr) {
      if (bServerFirst) StartAudio(nullptr);
      if (!bAudioUp || !OpenMixer(iDriver, iRate)) {
        Mixing.Reset(iRate, 0);
        return false;
      }
      Mix_SetPostMix(AddVoices, this);
      SayWhenSilent();
    }
    iOpenRate = iRate;
    bOpen = true;
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

  bool DecodeMp3(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames,
                 PcmSound& Pcm, const DecodeProgress& Progress) override {
    return DecodeMp3WithMpg123(pData, iSize, Format, iMaxFrames, Pcm, Progress);
  }
  bool DecodesInBackground() const override { return true; }

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

  static void AddVoices(void* pSelf, Uint8* pStream, int iBytes) {
    static_cast<SdlOutput*>(pSelf)->Mixing.MixInto(reinterpret_cast<int16_t*>(pStream), iBytes / 4);
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

  bool bServerFirst = false;  // output 2 tries the sound server's stream first
  bool bAudioUp = false;      // SDL's audio subsystem started
  bool bMixerOpen = false;    // SDL_mixer's device open (voices without a server, songs)
  bool bOpen = false;
  int iOpenRate = 44100;
  std::vector<std::unique_ptr<Song>> Songs;
};

}  // namespace

SoundOutput& PlatformSoundOutput() {
  static SdlOutput* pOutput = new SdlOutput();
  return *pOutput;
}

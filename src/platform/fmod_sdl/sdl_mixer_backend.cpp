// FSOUND_/FMUSIC_ over SDL2_mixer.
//
// Output types pick an SDL audio driver: 2 the one SDL chooses by itself
// (SDL_AUDIODRIVER decides when set), 1 the second real driver that starts on
// this machine, 0 SDL's "dummy" driver, which consumes the mix in real time and
// plays nothing. Output 0 runs the same decoding, channels and clock as a real
// output: samples load and play (silently), so a silent run does the same work
// at start-up as one with sound. The device is opened as 16-bit stereo at the
// requested rate; SDL converts to whatever the hardware wants.
#include "sdl_mixer_backend.h"

#include "mp3_stream.h"
#include "read_whole_file.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

// A sample is a chunk decoded at load, or an MP3 whose decoding goes on while
// it plays (the stream owns its chunk).
struct FSOUND_SAMPLE {
  explicit FSOUND_SAMPLE(Mix_Chunk* pLoaded) : pChunk(pLoaded) {}
  explicit FSOUND_SAMPLE(std::unique_ptr<Mp3Stream> pDecoding)
      : pChunk(pDecoding->Chunk()), pStream(std::move(pDecoding)) {}
  ~FSOUND_SAMPLE() {
    if (!pStream) Mix_FreeChunk(pChunk);
  }
  FSOUND_SAMPLE(const FSOUND_SAMPLE&) = delete;
  FSOUND_SAMPLE& operator=(const FSOUND_SAMPLE&) = delete;
  Mix_Chunk* pChunk;
  std::unique_ptr<Mp3Stream> pStream;
};

// The song plays from the file's bytes, which it keeps for its whole life.
struct FMUSIC_MODULE {
  explicit FMUSIC_MODULE(std::vector<unsigned char> FileBytes) : Bytes(std::move(FileBytes)) {}
  ~FMUSIC_MODULE() {
    if (pMusic != nullptr) Mix_FreeMusic(pMusic);
  }
  FMUSIC_MODULE(const FMUSIC_MODULE&) = delete;
  FMUSIC_MODULE& operator=(const FMUSIC_MODULE&) = delete;
  std::vector<unsigned char> Bytes;
  Mix_Music* pMusic = nullptr;
  int iVolume = 255;
};

namespace {

constexpr float kVersion = 3.75f;
constexpr int kMaxVolume = 255;
constexpr int kSampleSlots = 1024;  // sample indices 0..1023, as a bound on what a caller can make us allocate
constexpr int kChunkFrames = 1024;  // about 23 ms at 44100 Hz: low latency without underruns on a busy CPU
constexpr int kRawRate = 44100;
constexpr int kDecoders = MIX_INIT_MP3 | MIX_INIT_OGG | MIX_INIT_MOD;
// Longest sound a sample may hold. A sample is decoded whole into the mixer's
// format, and a small file of a low rate can hold hours: 10 minutes are about
// 106 MB at 44.1 kHz stereo, far more than any demo's music.
constexpr double kMaxSampleSeconds = 10 * 60;

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

int ClampVolume(int iVolume) { return std::clamp(iVolume, 0, kMaxVolume); }

// 0..255 library volume to SDL_mixer's 0..128.
int MixerVolume(int iVolume, int iMaster) {
  const int iScale = kMaxVolume * kMaxVolume;
  return (iVolume * iMaster * MIX_MAX_VOLUME + iScale / 2) / iScale;
}

void PutLe(std::vector<unsigned char>& Out, uint32_t dwValue, int iBytes) {
  for (int i = 0; i < iBytes; ++i) Out.push_back(static_cast<unsigned char>(dwValue >> (8 * i)));
}

void PutTag(std::vector<unsigned char>& Out, const char* pTag) { Out.insert(Out.end(), pTag, pTag + 4); }

// Headerless PCM becomes a WAV image, so SDL_mixer converts it like any file.
Mix_Chunk* DecodeRaw(const unsigned char* pData, size_t iSize, unsigned int dwMode) {
  const uint32_t dwChannels = (dwMode & FSOUND_MONO) != 0 ? 1 : 2;
  const uint32_t dwBits = (dwMode & FSOUND_8BITS) != 0 ? 8 : 16;
  const uint32_t dwFrameBytes = dwChannels * dwBits / 8;
  const size_t iDataBytes = iSize - iSize % dwFrameBytes;
  if (iDataBytes == 0 || iDataBytes > UINT32_MAX - 36) return nullptr;
  if (static_cast<double>(iDataBytes / dwFrameBytes) / kRawRate > kMaxSampleSeconds) return nullptr;
  std::vector<unsigned char> Wav;
  Wav.reserve(44 + iDataBytes);
  PutTag(Wav, "RIFF");
  PutLe(Wav, static_cast<uint32_t>(36 + iDataBytes), 4);
  PutTag(Wav, "WAVE");
  PutTag(Wav, "fmt ");
  PutLe(Wav, 16, 4);
  PutLe(Wav, 1, 2);  // integer PCM
  PutLe(Wav, dwChannels, 2);
  PutLe(Wav, kRawRate, 4);
  PutLe(Wav, kRawRate * dwFrameBytes, 4);
  PutLe(Wav, dwFrameBytes, 2);
  PutLe(Wav, dwBits, 2);
  PutTag(Wav, "data");
  PutLe(Wav, static_cast<uint32_t>(iDataBytes), 4);
  Wav.insert(Wav.end(), pData, pData + iDataBytes);
  return Mix_LoadWAV_RW(SDL_RWFromConstMem(Wav.data(), static_cast<int>(Wav.size())), 1);
}

// Seconds of MPEG audio in the bytes, counted frame by frame: a length header
// (Xing, VBRI) speaks only for the first of several files joined into one.
double MpegAudioSeconds(const unsigned char* pData, size_t iSize) {
  static const int kBitrates[2][3][15] = {
      // MPEG-1, layers I, II, III (kbit/s)
      {{0, 32, 64, 96, 128, 160, 192, 224, 256, 288, 320, 352, 384, 416, 448},
       {0, 32, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320, 384},
       {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320}},
      // MPEG-2 and 2.5
      {{0, 32, 48, 56, 64, 80, 96, 112, 128, 144, 160, 176, 192, 224, 256},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160},
       {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160}}};
  static const int kRates[4][3] = {{11025, 12000, 8000}, {0, 0, 0}, {22050, 24000, 16000}, {44100, 48000, 32000}};
  size_t i = 0;
  if (iSize >= 10 && std::memcmp(pData, "ID3", 3) == 0) {
    const size_t iTag = size_t(pData[6] & 0x7F) << 21 | size_t(pData[7] & 0x7F) << 14 | size_t(pData[8] & 0x7F) << 7 |
                        size_t(pData[9] & 0x7F);
    i = 10 + iTag + ((pData[5] & 0x10) != 0 ? 10 : 0);
  }
  double fSeconds = 0;
  while (i + 4 <= iSize) {
    const uint32_t dwHeader = uint32_t(pData[i]) << 24 | uint32_t(pData[i + 1]) << 16 | uint32_t(pData[i + 2]) << 8 |
                              uint32_t(pData[i + 3]);
    const int iVersion = (dwHeader >> 19) & 3;  // 0: 2.5, 2: 2, 3: 1
    const int iLayer = 4 - static_cast<int>((dwHeader >> 17) & 3);
    const int iBitrateIndex = (dwHeader >> 12) & 15;
    const int iRateIndex = (dwHeader >> 10) & 3;
    if ((dwHeader & 0xFFE00000) != 0xFFE00000 || iVersion == 1 || iLayer == 4 || iBitrateIndex == 0 ||
        iBitrateIndex == 15 || iRateIndex == 3) {
      ++i;
      continue;
    }
    const bool bMpeg1 = iVersion == 3;
    const int iBitrate = kBitrates[bMpeg1 ? 0 : 1][iLayer - 1][iBitrateIndex] * 1000;
    const int iRate = kRates[iVersion][iRateIndex];
    const int iPadding = (dwHeader >> 9) & 1;
    const int iSamples = iLayer == 1 ? 384 : iLayer == 2 || bMpeg1 ? 1152 : 576;
    const int iFrameBytes =
        iLayer == 1 ? (12 * iBitrate / iRate + iPadding) * 4 : iSamples / 8 * iBitrate / iRate + iPadding;
    fSeconds += static_cast<double>(iSamples) / iRate;
    i += static_cast<size_t>(std::max(iFrameBytes, 1));
  }
  return fSeconds;
}

// Seconds of sound a file holds, as far as can be told before decoding it;
// -1 when it cannot be told.
double SoundSeconds(const unsigned char* pData, size_t iSize) {
#if SDL_MIXER_VERSION_ATLEAST(2, 6, 0)
  Mix_Music* pMusic = Mix_LoadMUS_RW(SDL_RWFromConstMem(pData, static_cast<int>(iSize)), 1);
  if (pMusic == nullptr) return -1;
  double fSeconds = Mix_MusicDuration(pMusic);
  if (Mix_GetMusicType(pMusic) == MUS_MP3) fSeconds = std::max(fSeconds, MpegAudioSeconds(pData, iSize));
  Mix_FreeMusic(pMusic);
  return fSeconds;
#else
  return MpegAudioSeconds(pData, iSize);
#endif
}

Mix_Chunk* DecodeFile(const unsigned char* pData, size_t iSize) {
  if (iSize > INT32_MAX || SoundSeconds(pData, iSize) > kMaxSampleSeconds) return nullptr;
  return Mix_LoadWAV_RW(SDL_RWFromConstMem(pData, static_cast<int>(iSize)), 1);
}

bool TagAt(const std::vector<unsigned char>& Header, size_t iOffset, const char* pTag) {
  const size_t iLength = std::strlen(pTag);
  return Header.size() >= iOffset + iLength && std::memcmp(Header.data() + iOffset, pTag, iLength) == 0;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// SDL_mixer's module players also take WAV and other files as "modules", so a
// song must carry the signature of MOD, S3M, XM or IT. Soundtracker files of
// 15 samples have none and are refused.
bool HasModuleSignature(const std::vector<unsigned char>& Header) {
  if (TagAt(Header, 0, "Extended Module: ") || TagAt(Header, 0, "IMPM") || TagAt(Header, 44, "SCRM")) return true;
  if (Header.size() < 1084) return false;
  const unsigned char* pTag = Header.data() + 1080;
  for (const char* pKnown : {"M.K.", "M!K!", "FLT4", "FLT8", "CD81", "OKTA", "OCTA"})
    if (TagAt(Header, 1080, pKnown)) return true;
  const bool bDigitCHN = IsDigit(pTag[0]) && TagAt(Header, 1081, "CHN");
  const bool bDigitsCH =
      IsDigit(pTag[0]) && IsDigit(pTag[1]) && (TagAt(Header, 1082, "CH") || TagAt(Header, 1082, "CN"));
  return bDigitCHN || bDigitsCH;
}

class SdlMixerBackend final : public FmodBackend {
 public:
  float GetVersion() override { return kVersion; }

  signed char SetOutput(int iOutputType) override {
    if (bOpen) return 0;
    StopAudio();
    iDriver = 0;
    switch (iOutputType) {
      case FSOUND_OUTPUT_DSOUND:
        return StartAudio(nullptr);
      case FSOUND_OUTPUT_WINMM:
        return StartSecondRealDriver();
      case FSOUND_OUTPUT_NOSOUND:
        return StartAudio("dummy");
      default:
        return 0;
    }
  }

  signed char SetDriver(int iNewDriver) override {
    if (!bAudioUp || bOpen || iNewDriver < 0) return 0;
    if (iNewDriver > 0 && iNewDriver >= SDL_GetNumAudioDevices(0)) return 0;
    iDriver = iNewDriver;
    return 1;
  }

  signed char Init(int iMixRate, int iChannels, unsigned int) override {
    if (!bAudioUp || bOpen || iMixRate <= 0 || iChannels < 0) return 0;
    Mix_Init(kDecoders);  // a decoder that is missing only fails the files that need it
    const char* pDevice = iDriver > 0 ? SDL_GetAudioDeviceName(iDriver, 0) : nullptr;
    int iOpened = 0;
    {
      StderrSilenced Quiet;
      iOpened = Mix_OpenAudioDevice(iMixRate, AUDIO_S16SYS, 2, kChunkFrames, pDevice, 0);
    }
    if (iOpened != 0) {
      Mix_Quit();
      return 0;
    }
    Mix_AllocateChannels(iChannels);
    ChannelVolumes.assign(static_cast<size_t>(iChannels), kMaxVolume);
    bOpen = true;
    for (int i = 0; i < iChannels; ++i) ApplyChannelVolume(i);
    SayWhenSilent();
    return 1;
  }

  void Close() override {
    if (bOpen) {
      Mix_HaltChannel(-1);
      Mix_HaltMusic();
      Samples.clear();
      Modules.clear();
      pPlaying = nullptr;
      ChannelVolumes.clear();
      Mix_CloseAudio();
      Mix_Quit();
      bOpen = false;
    }
    StopAudio();
    iDriver = 0;
  }

  void SetSfxMasterVolume(int iVolume) override {
    iSfxMasterVolume = ClampVolume(iVolume);
    for (int i = 0; i < ChannelCount(); ++i) ApplyChannelVolume(i);
  }

  FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) override {
    if (!bOpen || pName == nullptr || iOffset < 0 || iIndex < FSOUND_FREE || iIndex >= kSampleSlots) return nullptr;
    const int iSlot = iIndex == FSOUND_FREE ? FreeSampleSlot() : iIndex;
    if (iSlot < 0) return nullptr;
    std::vector<unsigned char> Bytes;
    if (!ReadWholeFile(pName, kMaxSoundFileBytes, Bytes) || static_cast<size_t>(iOffset) >= Bytes.size()) return nullptr;
    if (iOffset > 0) Bytes.erase(Bytes.begin(), Bytes.begin() + iOffset);
    std::unique_ptr<FSOUND_SAMPLE> pLoaded;
    if ((dwMode & FSOUND_LOADRAW) == 0 && Mp3Stream::IsMpegAudio(Bytes)) {
      // An MP3 plays as soon as its first seconds are decoded.
      if (MpegAudioSeconds(Bytes.data(), Bytes.size()) > kMaxSampleSeconds) return nullptr;
      int iRate = 0, iChannels = 0;
      Uint16 wFormat = 0;
      Mix_QuerySpec(&iRate, &wFormat, &iChannels);
      std::unique_ptr<Mp3Stream> pStream = Mp3Stream::Start(std::move(Bytes), iRate, iChannels, kMaxSampleSeconds);
      if (!pStream) return nullptr;
      pLoaded = std::make_unique<FSOUND_SAMPLE>(std::move(pStream));
    } else {
      Mix_Chunk* pChunk = (dwMode & FSOUND_LOADRAW) != 0 ? DecodeRaw(Bytes.data(), Bytes.size(), dwMode)
                                                          : DecodeFile(Bytes.data(), Bytes.size());
      if (pChunk == nullptr) return nullptr;
      pLoaded = std::make_unique<FSOUND_SAMPLE>(pChunk);
    }
    if (static_cast<size_t>(iSlot) >= Samples.size()) Samples.resize(static_cast<size_t>(iSlot) + 1);
    Samples[static_cast<size_t>(iSlot)] = std::move(pLoaded);
    return Samples[static_cast<size_t>(iSlot)].get();
  }

  int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) override {
    if (!bOpen || !OwnsSample(pSample)) return -1;
    const int iChosen = iChannel == FSOUND_FREE ? FreeChannel() : iChannel;
    if (!ValidChannel(iChosen)) return -1;
    // A new sound starts at full volume and centred, whatever the channel played before.
    ChannelVolumes[static_cast<size_t>(iChosen)] = kMaxVolume;
    ApplyChannelVolume(iChosen);
    Mix_SetPanning(iChosen, 255, 255);
    if (pSample->pStream) {
      // The stream's effect must be the channel's first, so stop what plays
      // there (and its effects) before attaching it.
      Mix_HaltChannel(iChosen);
      if (!pSample->pStream->AttachTo(iChosen)) return -1;
    }
    if (Mix_PlayChannel(iChosen, pSample->pChunk, 0) == iChosen) return iChosen;
    if (pSample->pStream) Mp3Stream::DetachFrom(iChosen);
    return -1;
  }

  signed char SetVolume(int iChannel, int iVolume) override {
    if (!ValidChannel(iChannel)) return 0;
    ChannelVolumes[static_cast<size_t>(iChannel)] = ClampVolume(iVolume);
    ApplyChannelVolume(iChannel);
    return 1;
  }

  signed char SetPan(int iChannel, int iPan) override {
    if (!ValidChannel(iChannel)) return 0;
    // Centre keeps both sides at full level; either way one side fades out.
    const int iClamped = ClampVolume(iPan);
    const int iLeft = iClamped <= 128 ? 255 : 255 * (255 - iClamped) / 127;
    const int iRight = iClamped >= 128 ? 255 : 255 * iClamped / 128;
    return Mix_SetPanning(iChannel, static_cast<Uint8>(iLeft), static_cast<Uint8>(iRight)) != 0 ? 1 : 0;
  }

  FMUSIC_MODULE* LoadSong(const char* pName) override {
    if (!bOpen || pName == nullptr) return nullptr;
    std::vector<unsigned char> Bytes;
    if (!ReadWholeFile(pName, kMaxSoundFileBytes, Bytes) || !HasModuleSignature(Bytes)) return nullptr;
    auto pModule = std::make_unique<FMUSIC_MODULE>(std::move(Bytes));
    SDL_RWops* pFile = SDL_RWFromConstMem(pModule->Bytes.data(), static_cast<int>(pModule->Bytes.size()));
    pModule->pMusic = Mix_LoadMUSType_RW(pFile, MUS_MOD, 1);
    if (pModule->pMusic == nullptr) return nullptr;
    Modules.push_back(std::move(pModule));
    return Modules.back().get();
  }

  signed char SetMusicMasterVolume(FMUSIC_MODULE* pModule, int iVolume) override {
    if (!OwnsModule(pModule)) return 0;
    pModule->iVolume = ClampVolume(iVolume);
    if (pModule == pPlaying) Mix_VolumeMusic(MixerVolume(pModule->iVolume, kMaxVolume));
    return 1;
  }

  // SDL_mixer's module players mix every voice of a song themselves, so a
  // channel limit is accepted for a valid song and changes nothing.
  signed char OptimizeChannels(FMUSIC_MODULE* pModule, int, int) override { return OwnsModule(pModule) ? 1 : 0; }

  signed char PlaySong(FMUSIC_MODULE* pModule) override {
    if (!OwnsModule(pModule)) return 0;
    Mix_VolumeMusic(MixerVolume(pModule->iVolume, kMaxVolume));
    if (Mix_PlayMusic(pModule->pMusic, 0) != 0) return 0;
    pPlaying = pModule;
    return 1;
  }

 private:
  bool StartAudio(const char* pDriverName) {
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

  int ChannelCount() const { return static_cast<int>(ChannelVolumes.size()); }
  bool ValidChannel(int iChannel) const { return bOpen && iChannel >= 0 && iChannel < ChannelCount(); }

  void ApplyChannelVolume(int iChannel) {
    Mix_Volume(iChannel, MixerVolume(ChannelVolumes[static_cast<size_t>(iChannel)], iSfxMasterVolume));
  }

  int FreeChannel() const {
    for (int i = 0; i < ChannelCount(); ++i)
      if (Mix_Playing(i) == 0) return i;
    return -1;
  }

  int FreeSampleSlot() const {
    const auto itFree = std::find(Samples.begin(), Samples.end(), nullptr);
    const size_t iSlot = static_cast<size_t>(itFree - Samples.begin());
    return iSlot < static_cast<size_t>(kSampleSlots) ? static_cast<int>(iSlot) : -1;
  }

  bool OwnsSample(const FSOUND_SAMPLE* pSample) const {
    return pSample != nullptr &&
           std::any_of(Samples.begin(), Samples.end(), [&](const auto& pOwned) { return pOwned.get() == pSample; });
  }

  bool OwnsModule(const FMUSIC_MODULE* pModule) const {
    return pModule != nullptr &&
           std::any_of(Modules.begin(), Modules.end(), [&](const auto& pOwned) { return pOwned.get() == pModule; });
  }

  bool bAudioUp = false;  // SDL's audio subsystem started by SetOutput
  bool bOpen = false;     // FSOUND_Init succeeded
  int iDriver = 0;
  int iSfxMasterVolume = kMaxVolume;
  std::vector<int> ChannelVolumes;                      // library volume (0..255) of each mixer channel
  std::vector<std::unique_ptr<FSOUND_SAMPLE>> Samples;  // indexed by sample slot; empty slots are null
  std::vector<std::unique_ptr<FMUSIC_MODULE>> Modules;
  FMUSIC_MODULE* pPlaying = nullptr;
};

}  // namespace

FmodBackend& SdlMixerBackendInstance() {
  static SdlMixerBackend* pInstance = new SdlMixerBackend();
  return *pInstance;
}

FmodBackend& PlatformFmodBackend() { return SdlMixerBackendInstance(); }

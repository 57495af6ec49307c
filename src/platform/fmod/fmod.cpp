// The sound library's FSOUND_/FMUSIC_ subset, once for every platform: the
// library's state, the sample and channel tables, every argument check, the
// readers and caps (sound_files.h). Below it one SoundOutput carries the sound
// to the platform: PulseAudio or SDL on Linux, DirectSound/waveOut on
// Windows, Web Audio in the browser; beside it one Mp3Codec decodes MP3.
//
// Output types: 2 the platform's default output, 1 a second one where the
// platform has it, 0 silent with the same timing. SetOutput picks, SetDriver
// picks a device of it (0 is the default), FSOUND_Init opens. Samples are
// decoded whole at load: WAV and headerless data by our readers, MP3 by the
// platform's codec after the readers found its format and counted its length
// (where the codec may run on a thread of its own, it does: the load returns
// once half a second is decoded, with the counted length, and the rest is
// decoded straight into the sample ahead of what plays); other formats are
// refused as missing. Songs (tracker modules) play where the output has a
// player (SDL); elsewhere FMUSIC_LoadSong returns null and the other FMUSIC_
// calls refuse, as they do for any handle that is not a loaded song.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "fmod_seams.h"
#include "mp3_codec.h"
#include "read_whole_file.h"
#include "sound_files.h"
#include "sound_output.h"

// A sample, and the thread that may still be decoding it (see SampleLoad).
struct FSOUND_SAMPLE {
  PcmSound Pcm;
  std::atomic<size_t> iReady{0};  // frames of Pcm decoded so far, while decoding
  std::atomic<bool> bStop{false};
  std::mutex Lock;
  std::condition_variable Progressed;
  bool bDone = false;     // the decoding thread has finished
  bool bDecoded = false;  // and its codec decoded the sound
  std::thread Decoding;

  FSOUND_SAMPLE() = default;
  FSOUND_SAMPLE(const FSOUND_SAMPLE&) = delete;
  FSOUND_SAMPLE& operator=(const FSOUND_SAMPLE&) = delete;
  ~FSOUND_SAMPLE() {
    bStop = true;
    if (Decoding.joinable()) Decoding.join();
  }
};

struct FMUSIC_MODULE {
  int iSong;  // the output's id
  int iVolume;
};

namespace {

constexpr float kVersion = 3.75f;
constexpr int kMaxVolume = 255;
constexpr int kCentre = 128;
// Sample indices and channels 0..1023, as a bound on what a caller can make us allocate.
constexpr int kSampleSlots = 1024;
constexpr int kMaxChannels = 1024;
constexpr int kNoOutput = -1;

int Clamp255(int iValue) { return std::clamp(iValue, 0, kMaxVolume); }

// The pan law: the centre keeps both sides at full level and either side
// fades out towards the other end.
float PanLeft(int iPan) { return iPan <= kCentre ? 1.0f : static_cast<float>(255 - iPan) / 127; }
float PanRight(int iPan) { return iPan >= kCentre ? 1.0f : static_cast<float>(iPan) / kCentre; }

template <typename T>
bool Owns(const std::vector<std::unique_ptr<T>>& Table, const T* pItem) {
  return pItem != nullptr &&
         std::any_of(Table.begin(), Table.end(), [&](const auto& pOwned) { return pOwned.get() == pItem; });
}

SoundOutput* pOutputOverride = nullptr;
Mp3Codec* pCodecOverride = nullptr;
FmodApi* pApiOverride = nullptr;

class SoundLibrary final : public FmodApi {
 public:
  float GetVersion() override { return kVersion; }

  signed char SetOutput(int iType) override {
    if (bOpen) return 0;
    const bool bKnown =
        iType == FSOUND_OUTPUT_NOSOUND || iType == FSOUND_OUTPUT_WINMM || iType == FSOUND_OUTPUT_DSOUND;
    iDriverCount = bKnown ? Output().Select(iType) : 0;
    iOutputType = iDriverCount > 0 ? iType : kNoOutput;
    iDriver = 0;
    return iOutputType != kNoOutput;
  }

  signed char SetDriver(int iNew) override {
    if (bOpen || iOutputType == kNoOutput || iNew < 0 || (iNew > 0 && iNew >= iDriverCount)) return 0;
    iDriver = iNew;
    return 1;
  }

  signed char Init(int iMixRate, int iChannels, unsigned int) override {
    if (bOpen || iOutputType == kNoOutput || iMixRate <= 0 || iChannels < 0) return 0;
    iChannels = std::min(iChannels, kMaxChannels);
    if (!Output().Open(iDriver, iMixRate, iChannels)) return 0;
    Channels.assign(static_cast<size_t>(iChannels), Channel{});
    bOpen = true;
    return 1;
  }

  void Close() override {
    Output().Close();  // stops every voice before the samples go
    Samples.clear();
    Songs.clear();
    Channels.clear();
    pPlaying = nullptr;
    bOpen = false;
    iOutputType = kNoOutput;
    iDriver = 0;
  }

  void SetSfxMasterVolume(int iVolume) override {
    iMasterVolume = Clamp255(iVolume);
    for (int i = 0; i < ChannelCount(); ++i) ApplyGains(i);
  }

  FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) override {
    if (!bOpen || pName == nullptr || iOffset < 0 || iIndex < FSOUND_FREE || iIndex >= kSampleSlots) return nullptr;
    const int iSlot = iIndex == FSOUND_FREE ? FreeSampleSlot() : iIndex;
    if (iSlot < 0) return nullptr;
    std::vector<unsigned char> Bytes;
    if (!ReadWholeFile(pName, kMaxSoundFileBytes, Bytes) || static_cast<size_t>(iOffset) >= Bytes.size()) {
      return nullptr;
    }
    auto pSample = std::make_unique<FSOUND_SAMPLE>();
    if (!Decode(std::move(Bytes), static_cast<size_t>(iOffset), dwMode, *pSample)) return nullptr;
    if (static_cast<size_t>(iSlot) >= Samples.size()) Samples.resize(static_cast<size_t>(iSlot) + 1);
    std::unique_ptr<FSOUND_SAMPLE>& pOld = Samples[static_cast<size_t>(iSlot)];
    if (pOld != nullptr) Output().Stop(pOld->Pcm);
    pOld = std::move(pSample);
    return pOld.get();
  }

  int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) override {
    if (!bOpen || !Owns(Samples, pSample)) return -1;
    const int iChosen = iChannel == FSOUND_FREE ? FreeChannel() : iChannel;
    if (!ValidChannel(iChosen)) return -1;
    // A new sound starts at full volume and centred, whatever the channel played before.
    Channels[static_cast<size_t>(iChosen)] = Channel{};
    Output().Start(iChosen, pSample->Pcm, Gain(iChosen, PanLeft), Gain(iChosen, PanRight));
    return iChosen;
  }

  signed char SetVolume(int iChannel, int iVolume) override {
    if (!ValidChannel(iChannel)) return 0;
    Channels[static_cast<size_t>(iChannel)].iVolume = Clamp255(iVolume);
    ApplyGains(iChannel);
    return 1;
  }

  signed char SetPan(int iChannel, int iPan) override {
    if (!ValidChannel(iChannel)) return 0;
    Channels[static_cast<size_t>(iChannel)].iPan = Clamp255(iPan);
    ApplyGains(iChannel);
    return 1;
  }

  FMUSIC_MODULE* LoadSong(const char* pName) override {
    if (!bOpen || pName == nullptr) return nullptr;
    std::vector<unsigned char> Bytes;
    if (!ReadWholeFile(pName, kMaxSoundFileBytes, Bytes) || !HasModuleSignature(Bytes)) return nullptr;
    const int iSong = Output().LoadSong(Bytes);
    if (iSong < 0) return nullptr;
    Songs.push_back(std::make_unique<FMUSIC_MODULE>(FMUSIC_MODULE{iSong, kMaxVolume}));
    return Songs.back().get();
  }

  signed char SetMusicMasterVolume(FMUSIC_MODULE* pSong, int iVolume) override {
    if (!Owns(Songs, pSong)) return 0;
    pSong->iVolume = Clamp255(iVolume);
    if (pSong == pPlaying) Output().SetSongGain(pSong->iSong, static_cast<float>(pSong->iVolume) / kMaxVolume);
    return 1;
  }

  // A module player mixes every voice of a song itself, so a channel limit is
  // accepted for a loaded song and changes nothing.
  signed char OptimizeChannels(FMUSIC_MODULE* pSong, int, int) override { return Owns(Songs, pSong) ? 1 : 0; }

  signed char PlaySong(FMUSIC_MODULE* pSong) override {
    if (!Owns(Songs, pSong) ||
        !Output().PlaySong(pSong->iSong, static_cast<float>(pSong->iVolume) / kMaxVolume))
      return 0;
    pPlaying = pSong;
    return 1;
  }

 private:
  struct Channel {
    int iVolume = kMaxVolume;
    int iPan = kCentre;
  };

  static SoundOutput& Output() { return pOutputOverride != nullptr ? *pOutputOverride : PlatformSoundOutput(); }
  static Mp3Codec& Codec() { return pCodecOverride != nullptr ? *pCodecOverride : PlatformMp3Codec(); }

  bool Decode(std::vector<unsigned char>&& Bytes, size_t iOffset, unsigned int dwMode, FSOUND_SAMPLE& Sample) {
    const unsigned char* pData = Bytes.data() + iOffset;
    const size_t iSize = Bytes.size() - iOffset;
    PcmSound& Pcm = Sample.Pcm;
    if ((dwMode & FSOUND_LOADRAW) != 0) return DecodeRaw(pData, iSize, dwMode, Pcm);
    if (IsWav(pData, iSize)) return DecodeWav(pData, iSize, Pcm);
    Mp3Format Format;
    if (!FindMp3Format(pData, iSize, Format)) return false;
    const double fSeconds = Mp3Seconds(pData, iSize, Format);
    if (fSeconds > kMaxSampleSeconds) return false;
    const auto iMaxFrames = static_cast<size_t>(kMaxSampleSeconds * Format.iRate);
    if (Codec().DecodesOnThread()) {
      const auto iCounted = std::min(iMaxFrames, static_cast<size_t>(std::llround(fSeconds * Format.iRate)));
      Bytes.resize(iOffset + GatherMp3Frames(Bytes.data() + iOffset, iSize, Format));
      return DecodeInBackground(Sample, std::move(Bytes), iOffset, Format, iCounted);
    }
    return Codec().Decode(pData + Format.iFirstFrame, iSize - Format.iFirstFrame, Format, Pcm, {}) > 0 &&
           (Pcm.iChannels == 1 || Pcm.iChannels == 2) && Pcm.iRate > 0 && Pcm.FrameCount() > 0 &&
           Pcm.FrameCount() <= iMaxFrames;
  }

  // The sound gets the counted length at once, silent; a thread decodes the
  // counted frames (gathered, so that it never searches junk) straight into
  // it, publishing how far it got, and the load waits for the first half
  // second. What the codec does not fill (a frame it skipped, its
  // own delay at the end) stays silent, so the sound always plays its whole
  // length.
  static bool DecodeInBackground(FSOUND_SAMPLE& Sample, std::vector<unsigned char>&& Bytes, size_t iOffset,
                                 const Mp3Format& Format, size_t iFrames) {
    if (iFrames == 0) return false;
    PcmSound& Pcm = Sample.Pcm;
    Pcm.iRate = Format.iRate;
    Pcm.iChannels = Format.iChannels;
    Pcm.Samples.assign(iFrames * static_cast<size_t>(Format.iChannels), 0);
    Pcm.pReady = &Sample.iReady;
    Sample.Decoding = std::thread([&Sample, &Decoder = Codec(), Bytes = std::move(Bytes), iOffset, Format] {
      DecodeProgress Progress;
      Progress.pStop = &Sample.bStop;
      Progress.Decoded = [&Sample](size_t iDecoded) {
        Sample.iReady.store(iDecoded, std::memory_order_release);
        { std::lock_guard Guard(Sample.Lock); }  // the load is waiting, or sees the count before it waits
        Sample.Progressed.notify_all();
      };
      const size_t iFirst = iOffset + Format.iFirstFrame;
      const bool bOk = Decoder.Decode(Bytes.data() + iFirst, Bytes.size() - iFirst, Format, Sample.Pcm, Progress) > 0;
      Sample.iReady.store(Sample.Pcm.FrameCount(), std::memory_order_release);
      std::lock_guard Guard(Sample.Lock);
      Sample.bDone = true;
      Sample.bDecoded = bOk;
      Sample.Progressed.notify_all();
    });
    const size_t iEnough = std::min(iFrames, static_cast<size_t>(Format.iRate / 2));
    std::unique_lock Guard(Sample.Lock);
    Sample.Progressed.wait(Guard, [&] { return Sample.bDone || Sample.iReady.load() >= iEnough; });
    return !Sample.bDone || Sample.bDecoded;
  }

  int ChannelCount() const { return static_cast<int>(Channels.size()); }
  bool ValidChannel(int iChannel) const { return bOpen && iChannel >= 0 && iChannel < ChannelCount(); }

  float Gain(int iChannel, float (*pSide)(int)) const {
    const Channel& channel = Channels[static_cast<size_t>(iChannel)];
    return static_cast<float>(channel.iVolume * iMasterVolume) / (kMaxVolume * kMaxVolume) * pSide(channel.iPan);
  }

  void ApplyGains(int iChannel) { Output().SetGains(iChannel, Gain(iChannel, PanLeft), Gain(iChannel, PanRight)); }

  int FreeChannel() {
    for (int i = 0; i < ChannelCount(); ++i)
      if (!Output().Playing(i)) return i;
    return -1;
  }

  int FreeSampleSlot() const {
    const auto itFree = std::find(Samples.begin(), Samples.end(), nullptr);
    const size_t iSlot = static_cast<size_t>(itFree - Samples.begin());
    return iSlot < static_cast<size_t>(kSampleSlots) ? static_cast<int>(iSlot) : -1;
  }

  int iOutputType = kNoOutput;
  int iDriverCount = 0;
  int iDriver = 0;
  bool bOpen = false;
  int iMasterVolume = kMaxVolume;
  std::vector<Channel> Channels;
  std::vector<std::unique_ptr<FSOUND_SAMPLE>> Samples;  // indexed by sample slot; empty slots are null
  std::vector<std::unique_ptr<FMUSIC_MODULE>> Songs;
  FMUSIC_MODULE* pPlaying = nullptr;
};

// Lives until the process ends; FSOUND_Close releases what it holds.
FmodApi& Api() {
  static SoundLibrary* pLibrary = new SoundLibrary();
  return pApiOverride != nullptr ? *pApiOverride : *pLibrary;
}

}  // namespace

void FmodSetApi(FmodApi* pApi) { pApiOverride = pApi; }
void FmodSetSoundOutput(SoundOutput* pOutput) { pOutputOverride = pOutput; }
void FmodSetMp3Codec(Mp3Codec* pCodec) { pCodecOverride = pCodec; }

float FSOUND_GetVersion() { return Api().GetVersion(); }
signed char FSOUND_SetOutput(int outputtype) { return Api().SetOutput(outputtype); }
signed char FSOUND_SetDriver(int driver) { return Api().SetDriver(driver); }
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int flags) {
  return Api().Init(mixrate, maxsoftwarechannels, flags);
}
void FSOUND_Close() { Api().Close(); }
void FSOUND_SetSFXMasterVolume(int volume) { Api().SetSfxMasterVolume(volume); }
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset) {
  return Api().SampleLoad(index, name, mode, offset);
}
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr) { return Api().PlaySound(channel, sptr); }
signed char FSOUND_SetVolume(int channel, int vol) { return Api().SetVolume(channel, vol); }
signed char FSOUND_SetPan(int channel, int pan) { return Api().SetPan(channel, pan); }
FMUSIC_MODULE* FMUSIC_LoadSong(const char* name) { return Api().LoadSong(name); }
signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE* mod, int volume) {
  return Api().SetMusicMasterVolume(mod, volume);
}
signed char FMUSIC_OptimizeChannels(FMUSIC_MODULE* mod, int maxchannels, int minvolume) {
  return Api().OptimizeChannels(mod, maxchannels, minvolume);
}
signed char FMUSIC_PlaySong(FMUSIC_MODULE* mod) { return Api().PlaySong(mod); }

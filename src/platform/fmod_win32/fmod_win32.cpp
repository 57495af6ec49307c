// FSOUND_/FMUSIC_ on Windows: a software mixer over the system's outputs.
//
// Output 2 is DirectSound, 1 WinMM waveOut, 0 a silent output that pulls the
// mix in real time, so a silent run decodes, mixes and keeps the same clock as
// one with sound. SetOutput only chooses; FSOUND_Init opens the device and
// fails when the system has none. Samples are decoded whole at load: WAV and
// raw data here, MP3 by the system's codec. No system component plays
// modules, so FMUSIC_LoadSong returns null and the other FMUSIC_ calls refuse.
#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "fmod.h"
#include "mixer.h"
#include "read_whole_file.h"
#include "sound_files.h"
#include "sound_layer.h"

struct FSOUND_SAMPLE {
  PcmSound Pcm;
};

namespace {

constexpr float kVersion = 3.75f;
constexpr int kSampleSlots = 1024;  // sample indices 0..1023, as a bound on what a caller can make us allocate

// Pulls the mix at the output rate and throws it away.
class SilentOutput final : public SoundOutput {
 public:
  SilentOutput(int iRate, PcmSource& Source) : Thread([this, iRate, &Source] { Run(iRate, Source); }) {}
  ~SilentOutput() override {
    {
      std::lock_guard Guard(Lock);
      bStop = true;
    }
    Wake.notify_all();
    Thread.join();
  }

 private:
  void Run(int iRate, PcmSource& Source) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kPeriod = std::chrono::milliseconds(20);
    std::vector<int16_t> Scratch;
    const Clock::time_point Start = Clock::now();
    int64_t iMixed = 0;
    std::unique_lock Guard(Lock);
    while (!Wake.wait_for(Guard, kPeriod, [this] { return bStop; })) {
      const double fSeconds = std::chrono::duration<double>(Clock::now() - Start).count();
      const int iDue = static_cast<int>(static_cast<int64_t>(fSeconds * iRate) - iMixed);
      if (iDue <= 0) continue;
      Scratch.resize(static_cast<size_t>(iDue) * 2);
      Source.Mix(Scratch.data(), iDue);
      iMixed += iDue;
    }
  }

  std::mutex Lock;
  std::condition_variable Wake;
  bool bStop = false;
  std::thread Thread;
};

class SoundLibrary {
 public:
  SoundLayer& Layer() { return pLayer != nullptr ? *pLayer : SystemSoundLayer(); }
  void SetLayer(SoundLayer* pNew) { pLayer = pNew; }

  signed char SetOutput(int iType) {
    if (bOpen) return 0;
    if (iType != FSOUND_OUTPUT_NOSOUND && iType != FSOUND_OUTPUT_WINMM && iType != FSOUND_OUTPUT_DSOUND) return 0;
    iOutputType = iType;
    iDriver = 0;
    return 1;
  }

  signed char SetDriver(int iNew) {
    if (bOpen || iNew < 0) return 0;
    const int iCount = iOutputType == FSOUND_OUTPUT_NOSOUND ? 1 : Layer().DriverCount(iOutputType);
    if (iNew > 0 && iNew >= iCount) return 0;
    iDriver = iNew;
    return 1;
  }

  signed char Init(int iMixRate, int iChannels) {
    if (bOpen || iMixRate <= 0 || iChannels < 0) return 0;
    MixerState.Reset(iMixRate, iChannels);
    if (iOutputType == FSOUND_OUTPUT_NOSOUND) {
      pOutput = std::make_unique<SilentOutput>(iMixRate, MixerState);
    } else {
      pOutput = Layer().Open(iOutputType, iDriver, iMixRate, MixerState);
    }
    if (pOutput == nullptr) {
      MixerState.Reset(iMixRate, 0);
      return 0;
    }
    bOpen = true;
    return 1;
  }

  void Close() {
    pOutput.reset();  // stops the pulling thread before the samples go
    MixerState.Reset(44100, 0);
    Samples.clear();
    bOpen = false;
    iDriver = 0;
  }

  void SetMasterVolume(int iVolume) { MixerState.SetMasterVolume(iVolume); }

  FSOUND_SAMPLE* Load(int iIndex, const char* pName, unsigned int dwMode, int iOffset) {
    if (!bOpen || pName == nullptr || iOffset < 0 || iIndex < FSOUND_FREE || iIndex >= kSampleSlots) return nullptr;
    const int iSlot = iIndex == FSOUND_FREE ? FreeSampleSlot() : iIndex;
    if (iSlot < 0) return nullptr;
    std::vector<unsigned char> Bytes;
    if (!ReadWholeFile(pName, kMaxSoundFileBytes, Bytes) || static_cast<size_t>(iOffset) >= Bytes.size()) {
      return nullptr;
    }
    const unsigned char* pData = Bytes.data() + iOffset;
    const size_t iSize = Bytes.size() - static_cast<size_t>(iOffset);
    auto pSample = std::make_unique<FSOUND_SAMPLE>();
    if (!Decode(pData, iSize, dwMode, pSample->Pcm) || pSample->Pcm.FrameCount() == 0) return nullptr;
    if (static_cast<size_t>(iSlot) >= Samples.size()) Samples.resize(static_cast<size_t>(iSlot) + 1);
    if (Samples[static_cast<size_t>(iSlot)] != nullptr) MixerState.StopSound(&Samples[static_cast<size_t>(iSlot)]->Pcm);
    Samples[static_cast<size_t>(iSlot)] = std::move(pSample);
    return Samples[static_cast<size_t>(iSlot)].get();
  }

  int Play(int iChannel, FSOUND_SAMPLE* pSample) {
    if (!bOpen || !OwnsSample(pSample)) return -1;
    const int iChosen = iChannel == FSOUND_FREE ? FreeChannel() : iChannel;
    if (iChosen < 0 || iChosen >= MixerState.ChannelCount()) return -1;
    MixerState.Play(iChosen, &pSample->Pcm);
    return iChosen;
  }

  signed char SetVolume(int iChannel, int iVolume) { return bOpen && MixerState.SetVolume(iChannel, iVolume); }
  signed char SetPan(int iChannel, int iPan) { return bOpen && MixerState.SetPan(iChannel, iPan); }

 private:
  bool Decode(const unsigned char* pData, size_t iSize, unsigned int dwMode, PcmSound& Pcm) {
    if ((dwMode & FSOUND_LOADRAW) != 0) return DecodeRaw(pData, iSize, dwMode, Pcm);
    if (DecodeWav(pData, iSize, Pcm)) return true;
    Mp3Format Format;
    if (!FindMp3Format(pData, iSize, Format) || Mp3Seconds(pData, iSize, Format) > kMaxSampleSeconds) return false;
    return Layer().DecodeMp3(pData + Format.iFirstFrame, iSize - Format.iFirstFrame, Pcm) &&
           (Pcm.iChannels == 1 || Pcm.iChannels == 2) && Pcm.iRate > 0;
  }

  int FreeChannel() {
    for (int i = 0; i < MixerState.ChannelCount(); ++i)
      if (!MixerState.Playing(i)) return i;
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

  SoundLayer* pLayer = nullptr;
  int iOutputType = FSOUND_OUTPUT_DSOUND;
  int iDriver = 0;
  bool bOpen = false;
  Mixer MixerState;
  std::unique_ptr<SoundOutput> pOutput;
  std::vector<std::unique_ptr<FSOUND_SAMPLE>> Samples;  // indexed by sample slot; empty slots are null
};

// Lives until the process ends; FSOUND_Close releases what it holds.
SoundLibrary& Library() {
  static SoundLibrary* pLibrary = new SoundLibrary();
  return *pLibrary;
}

}  // namespace

void FmodSetSoundLayer(SoundLayer* pLayer) { Library().SetLayer(pLayer); }

float FSOUND_GetVersion() { return kVersion; }
signed char FSOUND_SetOutput(int outputtype) { return Library().SetOutput(outputtype); }
signed char FSOUND_SetDriver(int driver) { return Library().SetDriver(driver); }
signed char FSOUND_Init(int mixrate, int maxsoftwarechannels, unsigned int) {
  return Library().Init(mixrate, maxsoftwarechannels);
}
void FSOUND_Close() { Library().Close(); }
void FSOUND_SetSFXMasterVolume(int volume) { Library().SetMasterVolume(volume); }
FSOUND_SAMPLE* FSOUND_Sample_Load(int index, const char* name, unsigned int mode, int offset) {
  return Library().Load(index, name, mode, offset);
}
int FSOUND_PlaySound(int channel, FSOUND_SAMPLE* sptr) { return Library().Play(channel, sptr); }
signed char FSOUND_SetVolume(int channel, int vol) { return Library().SetVolume(channel, vol); }
signed char FSOUND_SetPan(int channel, int pan) { return Library().SetPan(channel, pan); }

FMUSIC_MODULE* FMUSIC_LoadSong(const char*) { return nullptr; }
signed char FMUSIC_SetMasterVolume(FMUSIC_MODULE*, int) { return 0; }
signed char FMUSIC_OptimizeChannels(FMUSIC_MODULE*, int, int) { return 0; }
signed char FMUSIC_PlaySong(FMUSIC_MODULE*) { return 0; }

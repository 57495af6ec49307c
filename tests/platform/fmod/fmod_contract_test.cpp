// One contract for the sound library over every output that runs here: the
// core's answers to the FSOUND_/FMUSIC_ calls, its readers' refusals, and
// what reaches the output (volume, pan, rate, mixing). The Linux output runs
// for real over SDL's disk driver (what it plays is read back from the file);
// the Windows output runs over a scripted system whose streams the test pulls
// by hand. MP3 decodes with this platform's codec, libmpg123, beside either.
// The Web Audio output has no browser here; the page's tests play it.
#include <gtest/gtest.h>

#include <algorithm>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include <cmath>
#include <cstdint>
#include <fstream>
#include <iterator>

#include "disk_output.h"
#include "fmod.h"
#include "codec_mpg123.h"
#include "mp3_codec.h"
#include "sound/sound_system.h"
#include "sound_output.h"
#include "output_windows.h"

namespace {

constexpr unsigned int kDemoMode = FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO;
constexpr int kRate = 44100;

// ---- the outputs under test --------------------------------------------------

// The Windows output over a scripted system: every stream opens unless its
// type is refused; an open stream does not pull by itself.
class ScriptedSystem final : public WindowsDevices {
 public:
  std::set<int> Refused;
  std::vector<std::string> Opens;  // "2 0 44100": type, driver, rate
  PcmSource* pSource = nullptr;
  int iRestarts = 0;  // of which the voice had started by the rewrite
  int iRestartsSounding = 0;

  int DriverCount(int) override { return 3; }
  std::unique_ptr<DeviceStream> Open(int iType, int iDriver, int iRate, PcmSource& Source) override {
    Opens.push_back(std::to_string(iType) + " " + std::to_string(iDriver) + " " + std::to_string(iRate));
    if (Refused.count(iType) != 0) return nullptr;
    pSource = &Source;
    return std::make_unique<Stream>(*this);
  }

 private:
  struct Stream final : DeviceStream {
    explicit Stream(ScriptedSystem& System) : System(System) {}
    ~Stream() override { System.pSource = nullptr; }
    void Restart(const std::function<void()>& StartVoice) override {
      StartVoice();
      ++System.iRestarts;
      System.iRestartsSounding += System.pSource->Sounding() ? 1 : 0;
    }
    ScriptedSystem& System;
  };
};

struct WindowsRig {
  static constexpr bool kPlaysSongs = false;
  ScriptedSystem System;
  std::unique_ptr<SoundOutput> pOutput = MakeWindowsOutput(System);
  WindowsRig() { FmodSetSoundOutput(pOutput.get()); }
  ~WindowsRig() { FmodSetSoundOutput(nullptr); }
  // The next iFrames of the mix.
  std::vector<int16_t> Hear(int iFrames) {
    std::vector<int16_t> Stereo(static_cast<size_t>(iFrames) * 2, 0);
    if (System.pSource != nullptr) System.pSource->Mix(Stereo.data(), iFrames);
    return Stereo;
  }
};

// The Linux output as the program has it, its default output being SDL's
// disk driver: what it heard is the file, from its start up to iFrames.
struct LinuxRig {
  static constexpr bool kPlaysSongs = true;
  TempFolder Folder;
  std::string strOutput = Folder.File("output.raw");
  LinuxRig() { UseDiskOutput(strOutput); }
  std::vector<int16_t> Hear(int iFrames) {
    WaitForOutput(strOutput, iFrames);
    FSOUND_Close();  // finishes the file
    std::ifstream File(strOutput, std::ios::binary);
    std::vector<int16_t> Stereo(static_cast<size_t>(iFrames) * 2, 0);
    File.read(reinterpret_cast<char*>(Stereo.data()), static_cast<std::streamsize>(Stereo.size() * 2));
    return Stereo;
  }
};

struct Peaks {
  int iLeft = 0, iRight = 0, iSoundingFrames = 0;
};

Peaks Measure(const std::vector<int16_t>& Stereo) {
  Peaks Result;
  for (size_t i = 0; i + 1 < Stereo.size(); i += 2) {
    Result.iLeft = std::max(Result.iLeft, std::abs(int(Stereo[i])));
    Result.iRight = std::max(Result.iRight, std::abs(int(Stereo[i + 1])));
    if (Stereo[i] != 0 || Stereo[i + 1] != 0) ++Result.iSoundingFrames;
  }
  return Result;
}

// An MPEG-1 layer III stream of iFrames silent frames (128 kbit/s, 44100 Hz,
// joint stereo) after an ID3v2 tag of iTagBytes holding stray sync bytes.
std::vector<unsigned char> Mp3Stream(int iFrames, int iTagBytes) {
  std::vector<unsigned char> Bytes(10 + static_cast<size_t>(iTagBytes), 0);
  Bytes[0] = 'I', Bytes[1] = 'D', Bytes[2] = '3', Bytes[3] = 4, Bytes[9] = static_cast<unsigned char>(iTagBytes);
  if (iTagBytes >= 4) Bytes[12] = 0xFF, Bytes[13] = 0xFB;
  for (int i = 0; i < iFrames; ++i) {
    const size_t iAt = Bytes.size();
    Bytes.resize(iAt + 417, 0);  // 144 * 128000 / 44100
    Bytes[iAt] = 0xFF, Bytes[iAt + 1] = 0xFB, Bytes[iAt + 2] = 0x90, Bytes[iAt + 3] = 0x44;
  }
  return Bytes;
}

template <typename Rig>
class SoundContract : public testing::Test {
 protected:
  Rig rig;
  TempFolder Folder;
  std::string File(const std::string& strName) { return Folder.File(strName); }
  void Open() {
    ASSERT_EQ(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND), 1);
    ASSERT_EQ(FSOUND_SetDriver(0), 1);
    ASSERT_EQ(FSOUND_Init(kRate, 32, 0), 1);
  }
  void TearDown() override {
    FSOUND_Close();
    FSOUND_SetSFXMasterVolume(255);
  }
};

using Outputs = testing::Types<WindowsRig, LinuxRig>;
class OutputNames {
 public:
  template <typename T>
  static std::string GetName(int) {
    return std::is_same_v<T, WindowsRig> ? "Windows" : "Linux";
  }
};
TYPED_TEST_SUITE(SoundContract, Outputs, OutputNames);

}  // namespace

TYPED_TEST(SoundContract, OpeningFollowsTheLibrarysOrder) {
  EXPECT_EQ(FSOUND_GetVersion(), 3.75f);
  EXPECT_EQ(FSOUND_Init(kRate, 32, 0), 0) << "no output chosen";
  EXPECT_EQ(FSOUND_SetDriver(0), 0) << "no output chosen";
  EXPECT_EQ(FSOUND_SetOutput(7), 0);
  EXPECT_EQ(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND), 1);
  EXPECT_EQ(FSOUND_SetDriver(-1), 0);
  EXPECT_EQ(FSOUND_SetDriver(1000), 0);
  EXPECT_EQ(FSOUND_Init(0, 32, 0), 0);
  EXPECT_EQ(FSOUND_Init(kRate, -1, 0), 0);
  this->Open();
  EXPECT_EQ(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND), 0) << "open";
  EXPECT_EQ(FSOUND_SetDriver(0), 0) << "open";
  EXPECT_EQ(FSOUND_Init(kRate, 32, 0), 0) << "open";
  FSOUND_Close();
  EXPECT_EQ(FSOUND_Init(kRate, 32, 0), 0) << "closing forgets the output";
  // The demo's chain ends open, on the first output that opens.
  SoundSystem FMod;
  EXPECT_TRUE(FMod.Init(FSOUND_OUTPUT_DSOUND, 0, kRate, 32, 0));
}

TYPED_TEST(SoundContract, RefusalsAreReturnValues) {
  WriteMonoWav(this->File("a.wav"), SquareWave(441, 8000), kRate);
  const std::string strWav = this->File("a.wav");
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), 0, 0), nullptr) << "before Init";
  EXPECT_EQ(FSOUND_SetVolume(0, 255), 0) << "before Init";
  this->Open();
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, 0, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), 0, -1), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), 0, 1 << 20), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(-2, strWav.c_str(), 0, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(1024, strWav.c_str(), 0, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, this->File("missing.wav").c_str(), 0, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, this->Folder.File("").c_str(), 0, 0), nullptr) << "a directory";
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), 0, 0);
  ASSERT_NE(pSample, nullptr);
  int iStranger = 0;
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, reinterpret_cast<FSOUND_SAMPLE*>(&iStranger)), -1);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
  EXPECT_EQ(FSOUND_PlaySound(32, pSample), -1);
  EXPECT_EQ(FSOUND_PlaySound(-2, pSample), -1);
  EXPECT_EQ(FSOUND_SetVolume(32, 255), 0);
  EXPECT_EQ(FSOUND_SetPan(-1, 128), 0);
  EXPECT_EQ(FSOUND_SetVolume(31, 300), 1) << "out-of-range values are clamped";
  // Songs: a WAV is no module; no handle is any song.
  EXPECT_EQ(FMUSIC_LoadSong(strWav.c_str()), nullptr);
  EXPECT_EQ(FMUSIC_LoadSong(nullptr), nullptr);
  EXPECT_EQ(FMUSIC_PlaySong(nullptr), 0);
  EXPECT_EQ(FMUSIC_SetMasterVolume(reinterpret_cast<FMUSIC_MODULE*>(&iStranger), 255), 0);
  EXPECT_EQ(FMUSIC_OptimizeChannels(nullptr, 32, 0), 0);
  FSOUND_Close();
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), -1) << "Close frees every sample";
}

TYPED_TEST(SoundContract, SamplesTakeTheirSlotsAndChannelsTheFirstFree) {
  WriteMonoWav(this->File("a.wav"), SquareWave(kRate, 8000), kRate);
  const char* pName = nullptr;
  const std::string strWav = this->File("a.wav");
  pName = strWav.c_str();
  this->Open();
  FSOUND_SAMPLE* pFirst = FSOUND_Sample_Load(FSOUND_FREE, pName, 0, 0);
  FSOUND_SAMPLE* pFifth = FSOUND_Sample_Load(5, pName, 0, 0);
  ASSERT_NE(pFirst, nullptr);
  ASSERT_NE(pFifth, nullptr);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pFirst), 0);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pFifth), 1);
  EXPECT_EQ(FSOUND_PlaySound(7, pFirst), 7);
  EXPECT_EQ(FSOUND_PlaySound(0, pFirst), 0) << "a busy channel restarts";
  FSOUND_SAMPLE* pReplaced = FSOUND_Sample_Load(5, pName, 0, 0);
  ASSERT_NE(pReplaced, nullptr);
  if (pReplaced != pFifth) {
    EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pFifth), -1) << "the replaced sample is gone";
  }
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pReplaced), 1) << "the replaced sample stopped on its channel";
}

TYPED_TEST(SoundContract, ReadersDecideWhatTheOutputIsHanded) {
  this->Open();
  struct Case {
    const char* pName;
    std::vector<unsigned char> Bytes;
    unsigned int dwMode;
    bool bLoads;
  };
  std::vector<unsigned char> Wav0;
  WriteMonoWav(this->File("tmp.wav"), SquareWave(4410, 8000), kRate);
  std::ifstream In(this->File("tmp.wav"), std::ios::binary);
  const std::vector<unsigned char> Wav((std::istreambuf_iterator<char>(In)), std::istreambuf_iterator<char>());
  std::vector<unsigned char> NoChannels = Wav, Adpcm = Wav;
  NoChannels[22] = 0;
  Adpcm[20] = 0x11;  // IMA ADPCM
  std::vector<unsigned char> Flac = {'f', 'L', 'a', 'C', 0, 0, 0, 34};
  Flac.resize(4096, 0);
  // Ten minutes and a little of MPEG-2.5 frames (8 kbit/s, 8000 Hz, 72 ms in
  // 72 bytes), the first two valid, then a stray byte the decoder skips.
  std::vector<unsigned char> LongMp3;
  for (int i = 0; i < 8400; ++i) {
    if (i == 2) LongMp3.push_back(0x00);
    for (const unsigned char c : {0xFF, 0xE3, 0x18, 0xC0}) LongMp3.push_back(c);
    LongMp3.resize(LongMp3.size() + 68, 0);
  }
  const std::vector<Case> Cases = {
      {"pcm.wav", Wav, 0, true},
      {"raw.pcm", std::vector<unsigned char>(1000, 0x80), kDemoMode | FSOUND_LOADRAW, true},
      {"short.mp3", Mp3Stream(40, 32), kDemoMode, true},
      {"nochannels.wav", NoChannels, 0, false},
      {"adpcm.wav", Adpcm, 0, false},
      {"truncated.wav", std::vector<unsigned char>(Wav.begin(), Wav.begin() + 40), 0, false},
      {"long.flac", Flac, 0, false},
      {"junk.bin", std::vector<unsigned char>(4096, 0x42), 0, false},
      {"long.mp3", LongMp3, kDemoMode, false},
  };
  for (const Case& c : Cases) {
    WriteBytes(this->File(c.pName), c.Bytes);
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, this->File(c.pName).c_str(), c.dwMode, 0) != nullptr, c.bLoads) << c.pName;
  }
}

TYPED_TEST(SoundContract, SoundsReachTheOutputWithVolumePanAndRate) {
  // A square wave at half the mixing rate lasts twice as long at the output.
  WriteMonoWav(this->File("half.wav"), SquareWave(2205, 8000), kRate / 2);
  this->Open();
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, this->File("half.wav").c_str(), 0, 0);
  ASSERT_NE(pSample, nullptr);
  FSOUND_SetSFXMasterVolume(255);
  const int iChannel = FSOUND_PlaySound(FSOUND_FREE, pSample);
  ASSERT_GE(iChannel, 0);
  EXPECT_EQ(FSOUND_SetVolume(iChannel, 128), 1);
  EXPECT_EQ(FSOUND_SetPan(iChannel, 0), 1);
  const Peaks Heard = Measure(this->rig.Hear(kRate / 2));
  EXPECT_NEAR(Heard.iLeft, 8000 * 128 / 255, 80);
  EXPECT_EQ(Heard.iRight, 0) << "full left";
  EXPECT_NEAR(Heard.iSoundingFrames, 4410, 1024 + 4);
}

TYPED_TEST(SoundContract, TheDemosMusicDecodes) {
  this->Open();
  const std::string strMusic = std::string(VIMRA_TEST_DATA_DIR) + "/demodemo.mp3";
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strMusic.c_str(), kDemoMode, 0);
  ASSERT_NE(pSample, nullptr);
  ASSERT_GE(FSOUND_PlaySound(FSOUND_FREE, pSample), 0);
  EXPECT_GT(Measure(this->rig.Hear(kRate)).iLeft, 1000) << "the first second is not silent";
}

TYPED_TEST(SoundContract, SongsPlayWhereTheOutputHasAModulePlayer) {
  WriteModule(this->File("tune.mod"));
  EXPECT_EQ(FMUSIC_LoadSong(this->File("tune.mod").c_str()), nullptr) << "before Init";
  this->Open();
  FMUSIC_MODULE* pSong = FMUSIC_LoadSong(this->File("tune.mod").c_str());
  if (!TypeParam::kPlaysSongs) {
    EXPECT_EQ(pSong, nullptr);
    return;
  }
  ASSERT_NE(pSong, nullptr);
  for (auto [pTag, iChannels] : {std::pair{"FLT4", 4}, {"6CHN", 6}, {"10CH", 10}}) {
    WriteModule(this->File("variant.mod"), pTag, iChannels);
    EXPECT_NE(FMUSIC_LoadSong(this->File("variant.mod").c_str()), nullptr) << pTag;
  }
  EXPECT_EQ(FMUSIC_SetMasterVolume(pSong, 255), 1);
  EXPECT_EQ(FMUSIC_OptimizeChannels(pSong, -3, 0), 1) << "a limit of no channels is accepted";
  EXPECT_EQ(FMUSIC_PlaySong(pSong), 1);
  EXPECT_GT(Measure(this->rig.Hear(kRate / 5)).iLeft, 1000);
}

namespace {

// Writes a ramp (never 0) straight into the sound in 0.1 s pieces, and holds
// after the fifth, the half second, until released.
class HeldRampCodec final : public Mp3Codec {
 public:
  static constexpr size_t kHeld = 5 * 4410;
  explicit HeldRampCodec(size_t iHoldAt = kHeld) : iHoldAt(iHoldAt) {}
  static int16_t Ramp(size_t iFrame) { return static_cast<int16_t>(1 + iFrame % 1000); }
  // The sound's length and the stream's bytes as the codec was handed them,
  // once it was.
  size_t LengthGiven() {
    std::unique_lock Guard(Lock);
    Released.wait(Guard, [&] { return iLengthGiven > 0; });
    return iLengthGiven;
  }
  size_t BytesGiven() {
    LengthGiven();
    std::lock_guard Guard(Lock);
    return iBytesGiven;
  }

  void Release() {
    {
      std::lock_guard Guard(Lock);
      bReleased = true;
    }
    Released.notify_all();
  }

  bool DecodesOnThread() const override { return true; }
  size_t Decode(const unsigned char*, size_t iSize, const Mp3Format&, PcmSound& Pcm,
                const DecodeProgress& Progress) override {
    {
      std::lock_guard Guard(Lock);
      iLengthGiven = Pcm.FrameCount();
      iBytesGiven = iSize;
    }
    Released.notify_all();
    size_t iFrame = 0;
    while (iFrame < Pcm.FrameCount() && !Progress.Stopping()) {
      if (iFrame == iHoldAt) {
        std::unique_lock Guard(Lock);
        Released.wait(Guard, [&] { return bReleased; });
      }
      for (int i = 0; i < 4410 && iFrame < Pcm.FrameCount(); ++i, ++iFrame)
        Pcm.Samples[2 * iFrame] = Pcm.Samples[2 * iFrame + 1] = Ramp(iFrame);
      Progress.Tell(iFrame);
    }
    return iFrame;
  }

 private:
  size_t iHoldAt;
  size_t iLengthGiven = 0;
  size_t iBytesGiven = 0;
  std::mutex Lock;
  std::condition_variable Released;
  bool bReleased = false;
};

// However a test ends, the codec goes on and the library stops it.
struct CodecInUse {
  HeldRampCodec& Codec;
  explicit CodecInUse(HeldRampCodec& Codec) : Codec(Codec) { FmodSetMp3Codec(&Codec); }
  ~CodecInUse() {
    Codec.Release();
    FSOUND_Close();
    FmodSetMp3Codec(nullptr);
  }
};

}  // namespace

// The load waits for half a second of the music, not for all of it; a voice
// that reaches what is not decoded yet waits there, and the whole sound plays
// without a gap.
TEST(Mp3Loading, MusicLoadsBeforeItIsDecodedWholeAndPlaysWithoutAGap) {
  WindowsRig rig;
  constexpr size_t kFrames = 100 * 1152;  // the stream's 100 frames
  constexpr size_t kHeld = HeldRampCodec::kHeld;
  const auto Ramp = HeldRampCodec::Ramp;
  HeldRampCodec Codec;
  CodecInUse Using(Codec);
  TempFolder Folder;
  WriteBytes(Folder.File("music.mp3"), Mp3Stream(100, 0));
  ASSERT_EQ(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND), 1);
  ASSERT_EQ(FSOUND_Init(kRate, 4, 0), 1);
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, Folder.File("music.mp3").c_str(), kDemoMode, 0);
  ASSERT_NE(pSample, nullptr) << "loaded while the codec holds";
  EXPECT_EQ(Codec.LengthGiven(), kFrames) << "the codec writes into the counted length";
  ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), 0);
  std::vector<int16_t> Heard = rig.Hear(kRate);
  for (size_t i = 0; i < size_t{kRate}; ++i)
    ASSERT_EQ(Heard[2 * i], i < kHeld ? Ramp(i) : 0) << "frame " << i << ": the voice waits where decoding is";
  Codec.Release();
  // Heard until the voice ends; the decoder may still be behind now and
  // then, which only adds silence.
  while (rig.pOutput->Playing(0)) {
    const std::vector<int16_t> More = rig.Hear(4410);
    Heard.insert(Heard.end(), More.begin(), More.end());
  }
  std::vector<int16_t> Sounding;
  for (size_t i = 0; i < Heard.size(); i += 2)
    if (Heard[i] != 0) Sounding.push_back(Heard[i]);
  ASSERT_EQ(Sounding.size(), kFrames);
  for (size_t i = 0; i < kFrames; ++i) ASSERT_EQ(Sounding[i], Ramp(i)) << "frame " << i;
}

// Two frames, then junk with a valid-looking header every 3000 bytes: the
// sound is the two frames' length, and the codec is handed those frames
// alone, never the junk to search.
TEST(Mp3Loading, ScatteredHeadersAreNoMusicAndNeverReachTheCodec) {
  WindowsRig rig;
  HeldRampCodec Codec(SIZE_MAX);
  CodecInUse Using(Codec);
  std::vector<unsigned char> Bytes = Mp3Stream(2, 0);
  const std::vector<unsigned char> Header(Bytes.begin(), Bytes.begin() + 4);
  for (int i = 0; i < 300; ++i) {
    const size_t iAt = Bytes.size();
    Bytes.resize(iAt + 3000, 0x42);
    std::copy(Header.begin(), Header.end(), Bytes.begin() + static_cast<std::ptrdiff_t>(iAt + 1000));
  }
  TempFolder Folder;
  WriteBytes(Folder.File("music.mp3"), Bytes);
  ASSERT_EQ(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND), 1);
  ASSERT_EQ(FSOUND_Init(kRate, 4, 0), 1);
  EXPECT_NE(FSOUND_Sample_Load(FSOUND_FREE, Folder.File("music.mp3").c_str(), kDemoMode, 0), nullptr);
  EXPECT_EQ(Codec.LengthGiven(), 2 * 1152);
  EXPECT_EQ(Codec.BytesGiven(), 2 * 417);
}

// ---- the Linux codec -----------------------------------------------------------

namespace {

// Decoded into room for two minutes; the seconds written.
double SecondsDecoded(const std::vector<unsigned char>& Bytes, double& fLateRms) {
  Mp3Format Format;
  if (!FindMp3Format(Bytes.data(), Bytes.size(), Format)) return 0;
  PcmSound Pcm;
  Pcm.iRate = Format.iRate;
  Pcm.iChannels = Format.iChannels;
  Pcm.Samples.resize(size_t{120} * Format.iRate * Format.iChannels);
  Mpg123Codec Codec;
  const size_t iFrames =
      Codec.Decode(Bytes.data() + Format.iFirstFrame, Bytes.size() - Format.iFirstFrame, Format, Pcm, {});
  Pcm.Samples.resize(iFrames * Format.iChannels);
  // The level of 60..70 s: music there, not silence after a stop.
  double fSum = 0;
  const size_t iFrom = 60 * static_cast<size_t>(Pcm.iRate) * Pcm.iChannels;
  const size_t iTo = std::min(Pcm.Samples.size(), 70 * static_cast<size_t>(Pcm.iRate) * Pcm.iChannels);
  for (size_t i = iFrom; i < iTo; ++i) fSum += double(Pcm.Samples[i]) * Pcm.Samples[i];
  fLateRms = iTo > iFrom ? std::sqrt(fSum / double(iTo - iFrom)) : 0;
  return double(Pcm.FrameCount()) / Pcm.iRate;
}

}  // namespace

// A bad download or disk flips bytes here and there; an edited file changes
// rate halfway. Either plays on to its end, as decoders do.
TEST(Mpg123Codec, DamagedOrChangingMusicDecodesToItsEnd) {
  std::ifstream File(std::string(VIMRA_TEST_DATA_DIR) + "/demodemo.mp3", std::ios::binary);
  const std::vector<unsigned char> Music{std::istreambuf_iterator<char>(File), {}};
  double fRms = 0;
  const double fWhole = SecondsDecoded(Music, fRms);
  ASSERT_GT(fWhole, 85);

  std::vector<unsigned char> Flipped = Music;
  uint32_t iState = 12345;
  for (size_t i = 4096; i < Flipped.size(); i += 1000) {
    iState = iState * 1664525u + 1013904223u;
    Flipped[i + iState % 1000 % (Flipped.size() - i)] ^= static_cast<unsigned char>(1u << (iState >> 29));
  }
  double fFlippedRms = 0;
  EXPECT_NEAR(SecondsDecoded(Flipped, fFlippedRms), fWhole, 1.0) << "one byte in a thousand flipped";
  EXPECT_GT(fFlippedRms, fRms / 2);

  // Then 10 s of MPEG-2 frames at 22.05 kHz, mono, 8 kbit/s (26 bytes, silent).
  std::vector<unsigned char> Changing = Music;
  for (int i = 0; i < 10 * 22050 / 576; ++i) {
    const unsigned char Frame[26] = {0xFF, 0xF3, 0x10, 0xC0};
    Changing.insert(Changing.end(), Frame, Frame + sizeof Frame);
  }
  double fChangingRms = 0;
  EXPECT_NEAR(SecondsDecoded(Changing, fChangingRms), fWhole + 10, 1.0) << "the rate halves for the last 10 s";
}

// ---- the Windows output's own -------------------------------------------------

TEST(WindowsOutput, DemoChainSettlesOnTheFirstStreamThatOpens) {
  WindowsRig rig;
  rig.System.Refused = {FSOUND_OUTPUT_DSOUND};
  {
    SoundSystem FMod;
    EXPECT_TRUE(FMod.Init(FSOUND_OUTPUT_DSOUND, 0, kRate, 32, 0));
  }
  EXPECT_EQ(rig.System.Opens, (std::vector<std::string>{"2 0 44100", "1 0 44100"}));
  rig.System.Refused = {FSOUND_OUTPUT_DSOUND, FSOUND_OUTPUT_WINMM};
  SoundSystem FMod;
  EXPECT_TRUE(FMod.Init(FSOUND_OUTPUT_DSOUND, 0, kRate, 32, 0)) << "the silent output always opens";
}

// Voices add up and end once; the stream rewrites its lead only for a sound
// that starts on a silent output, with the voice already started, and the
// mix tells it how far sound reached.
TEST(WindowsOutput, SoundsAddUpEndOnceAndRestartOnlyASilentStream) {
  WindowsRig rig;
  TempFolder Folder;
  WriteMonoWav(Folder.File("a.wav"), std::vector<int16_t>(100, 20000), kRate);
  ASSERT_EQ(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND), 1);
  ASSERT_EQ(FSOUND_Init(kRate, 4, 0), 1);
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, Folder.File("a.wav").c_str(), 0, 0);
  std::vector<int16_t> Heard(2 * 200);
  EXPECT_EQ(rig.System.pSource->Mix(Heard.data(), 200), 0) << "silence";
  ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), 0);
  ASSERT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), 1);
  EXPECT_EQ(rig.System.iRestarts, 1) << "the second sound joins the first";
  EXPECT_EQ(rig.System.iRestartsSounding, 1);
  EXPECT_EQ(rig.System.pSource->Mix(Heard.data(), 200), 100) << "sound reached 100 frames";
  EXPECT_EQ(Heard[0], 32767) << "two voices of 20000 saturate";
  EXPECT_EQ(Measure(Heard).iSoundingFrames, 100);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), 0) << "ended voices are free again";
  EXPECT_EQ(rig.System.iRestarts, 2) << "silent again once both ended";
  FSOUND_Close();
}


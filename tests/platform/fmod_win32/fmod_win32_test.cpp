// The Windows sound library against a scripted system layer: which outputs
// the demo's chain of attempts ends on, what reaches the output (volume, pan,
// rate), what the MP3 codec is handed, and the silent output's clock.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "disk_output.h"
#include "fmod.h"
#include "mixer.h"
#include "read_whole_file.h"
#include "sound/sound_system.h"
#include "sound_files.h"
#include "sound_layer.h"

namespace {

constexpr unsigned int kDemoMode = FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO;

// Outputs open unless refused; an opened output does not pull by itself, the
// test pulls the mix through Pull(). The codec answers with a scripted sound.
class ScriptedLayer final : public SoundLayer {
 public:
  ScriptedLayer() { FmodSetSoundLayer(this); }
  ~ScriptedLayer() override {
    FSOUND_Close();
    FSOUND_SetSFXMasterVolume(255);
    FmodSetSoundLayer(nullptr);
  }

  std::set<int> RefusedOutputs;
  int iDrivers = 1;
  bool bCodecWorks = true;
  PcmSound Decoded{44100, 2, std::vector<int16_t>(2 * 4410, 1000)};
  std::vector<std::string> Opens;         // "2 0 44100": type, driver, rate
  std::vector<unsigned char> CodecInput;  // what the codec was handed
  PcmSource* pSource = nullptr;
  int iClosed = 0;

  int DriverCount(int) override { return iDrivers; }
  std::unique_ptr<SoundOutput> Open(int iType, int iDriver, int iRate, PcmSource& Source) override {
    Opens.push_back(std::to_string(iType) + " " + std::to_string(iDriver) + " " + std::to_string(iRate));
    if (RefusedOutputs.count(iType) != 0) return nullptr;
    pSource = &Source;
    return std::make_unique<Output>(*this);
  }
  bool DecodeMp3(const unsigned char* pData, size_t iSize, PcmSound& Pcm) override {
    CodecInput.assign(pData, pData + iSize);
    if (!bCodecWorks) return false;
    Pcm = Decoded;
    return true;
  }

  std::vector<int16_t> Pull(int iFrames) {
    std::vector<int16_t> Stereo(static_cast<size_t>(iFrames) * 2, 0);
    pSource->Mix(Stereo.data(), iFrames);
    return Stereo;
  }

 private:
  struct Output final : SoundOutput {
    explicit Output(ScriptedLayer& Layer) : Layer(Layer) {}
    ~Output() override {
      ++Layer.iClosed;
      Layer.pSource = nullptr;
    }
    ScriptedLayer& Layer;
  };
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

// An MPEG-1 layer III stream of iFrames frames (128 kbit/s, 44100 Hz, joint
// stereo) after an ID3v2 tag of iTagBytes, with stray sync bytes in the tag.
std::vector<unsigned char> Mp3Stream(int iFrames, int iTagBytes) {
  std::vector<unsigned char> Bytes = {'I', 'D', '3', 4, 0, 0, 0, 0, 0, static_cast<unsigned char>(iTagBytes)};
  Bytes.resize(10 + static_cast<size_t>(iTagBytes), 0);
  if (iTagBytes >= 4) Bytes[12] = 0xFF, Bytes[13] = 0xFB;
  for (int i = 0; i < iFrames; ++i) {
    const size_t iAt = Bytes.size();
    Bytes.resize(iAt + 417, 0x55);  // 144 * 128000 / 44100
    Bytes[iAt] = 0xFF, Bytes[iAt + 1] = 0xFB, Bytes[iAt + 2] = 0x90, Bytes[iAt + 3] = 0x44;
  }
  return Bytes;
}

// An MPEG-2.5 layer III stream at 8 kbit/s, 8000 Hz mono: 72 ms per 72-byte frame.
std::vector<unsigned char> LowRateMp3(int iFrames) {
  std::vector<unsigned char> Bytes;
  for (int i = 0; i < iFrames; ++i) {
    const size_t iAt = Bytes.size();
    Bytes.resize(iAt + 72, 0x55);
    Bytes[iAt] = 0xFF, Bytes[iAt + 1] = 0xE3, Bytes[iAt + 2] = 0x18, Bytes[iAt + 3] = 0xC0;
  }
  return Bytes;
}

class WindowsSound : public testing::Test {
 protected:
  ScriptedLayer Layer;
  TempFolder Folder;
  std::string File(const std::string& strName) { return Folder.File(strName); }
};

}  // namespace

// ---- the chain of outputs ----------------------------------------------------

TEST_F(WindowsSound, DemoChainSettlesOnTheFirstOutputThatOpens) {
  struct Case {
    std::set<int> Refused;
    std::vector<std::string> Opens;
    bool bSilent;
  };
  const Case Cases[] = {
      {{}, {"2 0 44100"}, false},
      {{FSOUND_OUTPUT_DSOUND}, {"2 0 44100", "1 0 44100"}, false},
      {{FSOUND_OUTPUT_DSOUND, FSOUND_OUTPUT_WINMM}, {"2 0 44100", "1 0 44100"}, true},
  };
  for (const Case& c : Cases) {
    Layer.RefusedOutputs = c.Refused;
    Layer.Opens.clear();
    SoundSystem Sound;
    // A machine without any sound device still plays, silently.
    ASSERT_TRUE(Sound.Init(FSOUND_OUTPUT_DSOUND, 0, 44100, 32, 0));
    EXPECT_EQ(Layer.Opens, c.Opens);
    EXPECT_EQ(Layer.pSource == nullptr, c.bSilent);
    const std::string strWav = File("tone.wav");
    WriteMonoWav(strWav, SquareWave(441, 8000), 44100);
    FSOUND_SAMPLE* pSample = Sound.LoadSample(strWav.c_str(), -1, kDemoMode);
    ASSERT_NE(pSample, nullptr);
    EXPECT_EQ(Sound.PlaySample(pSample, 128, -1), 0);
  }
}

TEST_F(WindowsSound, DriverMustBeOneTheSystemHas) {
  Layer.iDrivers = 3;
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_WINMM));
  EXPECT_FALSE(FSOUND_SetDriver(3));
  EXPECT_FALSE(FSOUND_SetDriver(-1));
  EXPECT_TRUE(FSOUND_SetDriver(2));
  ASSERT_TRUE(FSOUND_Init(22050, 8, 0));
  EXPECT_EQ(Layer.Opens, std::vector<std::string>{"1 2 22050"});
  // Nothing changes while open; an unknown output type is refused.
  EXPECT_FALSE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
  EXPECT_FALSE(FSOUND_Init(44100, 8, 0));
  FSOUND_Close();
  EXPECT_EQ(Layer.iClosed, 1);
  EXPECT_FALSE(FSOUND_SetOutput(7));
}

// ---- what reaches the output ---------------------------------------------------

TEST_F(WindowsSound, VolumePanAndMasterVolumeScaleEachSide) {
  struct MixCase {
    int iVolume, iPan, iMaster, iLeft, iRight;
  };
  const MixCase Cases[] = {{255, 0, 255, 8000, 0},     {255, 255, 255, 0, 8000}, {128, 128, 255, 4015, 4015},
                           {255, 128, 128, 4015, 4015}, {255, 192, 255, 3952, 8000}, {255, 128, 0, 0, 0}};
  const std::string strWav = File("tone.wav");
  WriteMonoWav(strWav, SquareWave(4410, 8000), 44100);
  for (const MixCase& c : Cases) {
    FSOUND_SetSFXMasterVolume(c.iMaster);
    ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) && FSOUND_Init(44100, 4, 0));
    FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), kDemoMode, 0);
    const int iChannel = FSOUND_PlaySound(FSOUND_FREE, pSample);
    ASSERT_EQ(iChannel, 0);
    EXPECT_TRUE(FSOUND_SetVolume(iChannel, c.iVolume));
    EXPECT_TRUE(FSOUND_SetPan(iChannel, c.iPan));
    const Peaks Result = Measure(Layer.Pull(8820));
    EXPECT_NEAR(Result.iLeft, c.iLeft, 2) << c.iVolume << " " << c.iPan << " " << c.iMaster;
    EXPECT_NEAR(Result.iRight, c.iRight, 2) << c.iVolume << " " << c.iPan << " " << c.iMaster;
    if (c.iLeft + c.iRight > 0) {
      EXPECT_EQ(Result.iSoundingFrames, 4410);
    }
    FSOUND_Close();
  }
}

TEST_F(WindowsSound, SoundsPlayOnceAtTheirOwnRateAndAddUp) {
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) && FSOUND_Init(44100, 2, 0));
  const std::string strSlow = File("slow.wav");
  WriteMonoWav(strSlow, std::vector<int16_t>(2205, 20000), 22050);  // 100 ms at half the rate
  FSOUND_SAMPLE* pSlow = FSOUND_Sample_Load(FSOUND_FREE, strSlow.c_str(), kDemoMode, 0);
  ASSERT_NE(pSlow, nullptr);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSlow), 0);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSlow), 1);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSlow), -1) << "both channels busy";
  const Peaks Result = Measure(Layer.Pull(8820));
  EXPECT_EQ(Result.iSoundingFrames, 4410);
  EXPECT_EQ(Result.iLeft, 32767) << "two sounds of 20000 add up and clip";
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSlow), 0) << "a channel is free again once its sound ended";
}

// ---- what loads ------------------------------------------------------------------

TEST_F(WindowsSound, Mp3GoesToTheSystemCodecFromItsFirstFrame) {
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND) && FSOUND_Init(44100, 4, 0));
  const std::string strMp3 = File("music.mp3");
  const std::vector<unsigned char> Stream = Mp3Stream(3, 40);
  WriteBytes(strMp3, Stream);
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strMp3.c_str(), kDemoMode, 0);
  ASSERT_NE(pSample, nullptr);
  EXPECT_EQ(Layer.CodecInput, std::vector<unsigned char>(Stream.begin() + 50, Stream.end()));
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), 0);

  // No codec, a file that is no MP3, a missing file, an offset past the end.
  Layer.bCodecWorks = false;
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strMp3.c_str(), kDemoMode, 0), nullptr);
  Layer.bCodecWorks = true;
  Layer.CodecInput.clear();
  const std::string strJunk = File("junk.mp3");
  WriteBytes(strJunk, std::vector<unsigned char>(5000, 0xFF));
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strJunk.c_str(), kDemoMode, 0), nullptr);
  EXPECT_TRUE(Layer.CodecInput.empty());
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, File("missing.mp3").c_str(), kDemoMode, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strMp3.c_str(), kDemoMode, static_cast<int>(Stream.size())), nullptr);
  // A small file can hold hours at a low rate: over ten minutes is refused
  // before anything is decoded.
  Layer.CodecInput.clear();
  const std::string strLong = File("long.mp3");
  WriteBytes(strLong, LowRateMp3(8400));  // 604.8 s
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strLong.c_str(), kDemoMode, 0), nullptr);
  EXPECT_TRUE(Layer.CodecInput.empty());
  WriteBytes(strLong, LowRateMp3(8300));  // 597.6 s
  EXPECT_NE(FSOUND_Sample_Load(FSOUND_FREE, strLong.c_str(), kDemoMode, 0), nullptr);
  // Modules have no player on Windows.
  EXPECT_EQ(FMUSIC_LoadSong(strMp3.c_str()), nullptr);
  EXPECT_EQ(FMUSIC_PlaySong(nullptr), 0);
}

TEST_F(WindowsSound, NothingLoadsOrPlaysBeforeInitOrAfterClose) {
  const std::string strWav = File("tone.wav");
  WriteMonoWav(strWav, SquareWave(441, 8000), 44100);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), kDemoMode, 0), nullptr);
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) && FSOUND_Init(44100, 4, 0));
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(3, strWav.c_str(), kDemoMode, 0);
  ASSERT_NE(pSample, nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(1024, strWav.c_str(), kDemoMode, 0), nullptr);
  EXPECT_EQ(FSOUND_PlaySound(4, pSample), -1) << "no channel 4 of 4";
  EXPECT_FALSE(FSOUND_SetVolume(4, 10));
  FSOUND_Close();
  EXPECT_EQ(Layer.iClosed, 1);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), -1);
  EXPECT_FALSE(FSOUND_SetPan(0, 10));
}

// The silent output consumes the mix at the output rate: a sound lasts as
// long as it would on a device, no longer and no shorter.
TEST_F(WindowsSound, SilentOutputKeepsRealTime) {
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND) && FSOUND_Init(44100, 2, 0));
  const std::string strShort = File("short.wav"), strLong = File("long.wav");
  WriteMonoWav(strShort, SquareWave(4410, 8000), 44100);     // 100 ms
  WriteMonoWav(strLong, SquareWave(441000, 8000), 44100);    // 10 s
  ASSERT_EQ(FSOUND_PlaySound(0, FSOUND_Sample_Load(0, strShort.c_str(), kDemoMode, 0)), 0);
  ASSERT_EQ(FSOUND_PlaySound(1, FSOUND_Sample_Load(1, strLong.c_str(), kDemoMode, 0)), 1);
  std::this_thread::sleep_for(std::chrono::milliseconds(1500));
  // Channel 0 is free again, channel 1 still busy.
  FSOUND_SAMPLE* pAgain = FSOUND_Sample_Load(2, strShort.c_str(), kDemoMode, 0);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pAgain), 0);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pAgain), -1);
}

// ---- the readers ---------------------------------------------------------------

TEST(SoundFiles, Mp3FrameHeaderGivesTheCodecFormat) {
  Mp3Format Format;
  const std::vector<unsigned char> Stream = Mp3Stream(2, 20);
  ASSERT_TRUE(FindMp3Format(Stream.data(), Stream.size(), Format));
  EXPECT_EQ(Format.iFirstFrame, 30u);
  EXPECT_EQ(Format.iRate, 44100);
  EXPECT_EQ(Format.iChannels, 2);
  EXPECT_EQ(Format.iBitRate, 128000);
  EXPECT_EQ(Format.iFrameBytes, 417);
  // One frame alone cannot be told from stray bytes.
  const std::vector<unsigned char> One = Mp3Stream(1, 0);
  EXPECT_FALSE(FindMp3Format(One.data(), One.size(), Format));

  std::vector<unsigned char> Bytes;
  ASSERT_TRUE(ReadWholeFile((std::string(VIMRA_TEST_DATA_DIR) + "/demodemo.mp3").c_str(), kMaxSoundFileBytes, Bytes));
  ASSERT_TRUE(FindMp3Format(Bytes.data(), Bytes.size(), Format));
  EXPECT_EQ(Format.iRate, 44100);
  EXPECT_EQ(Format.iChannels, 2);
  EXPECT_EQ(Format.iVersion, 1);
  // The music's length frame by frame; the system codec decodes it to 86.07 s.
  EXPECT_NEAR(Mp3Seconds(Bytes.data(), Bytes.size(), Format), 86.07, 0.1);

  const std::vector<unsigned char> Low = LowRateMp3(100);
  ASSERT_TRUE(FindMp3Format(Low.data(), Low.size(), Format));
  EXPECT_EQ(Format.iVersion, 25);
  EXPECT_EQ(Format.iRate, 8000);
  EXPECT_EQ(Format.iChannels, 1);
  EXPECT_NEAR(Mp3Seconds(Low.data(), Low.size(), Format), 7.2, 1e-9);
}

TEST(SoundFiles, RawAndWavWidenTo16Bits) {
  PcmSound Pcm;
  const unsigned char Raw8[] = {0, 128, 255};
  ASSERT_TRUE(DecodeRaw(Raw8, sizeof(Raw8), FSOUND_LOADRAW | FSOUND_8BITS | FSOUND_MONO, Pcm));
  EXPECT_EQ(Pcm.Samples, (std::vector<int16_t>{-32768, 0, 32512}));
  const unsigned char Raw16[] = {0x01, 0x80, 0xFF, 0x7F, 0x00};  // a partial frame at the end
  ASSERT_TRUE(DecodeRaw(Raw16, sizeof(Raw16), FSOUND_LOADRAW, Pcm));
  EXPECT_EQ(Pcm.iChannels, 2);
  EXPECT_EQ(Pcm.Samples, (std::vector<int16_t>{-32767, 32767}));
  EXPECT_FALSE(DecodeRaw(Raw16, 3, FSOUND_LOADRAW, Pcm));
  // Over ten minutes of raw data is refused (8-bit mono: one byte a frame).
  const std::vector<unsigned char> Long(44100 * 600 + 1, 128);
  EXPECT_FALSE(DecodeRaw(Long.data(), Long.size(), FSOUND_LOADRAW | FSOUND_8BITS | FSOUND_MONO, Pcm));
  EXPECT_TRUE(DecodeRaw(Long.data(), Long.size() - 1, FSOUND_LOADRAW | FSOUND_8BITS | FSOUND_MONO, Pcm));

  const unsigned char Truncated[] = {'R', 'I', 'F', 'F', 0, 0, 0, 0, 'W', 'A', 'V', 'E', 'f', 'm', 't', ' ', 99, 0, 0, 0};
  EXPECT_FALSE(DecodeWav(Truncated, sizeof(Truncated), Pcm));
}

// The sound library over SDL2_mixer: what reaches the output, what loads, and
// that every refusal is a return value.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <fstream>
#include <iterator>
#include <random>

#include "disk_output.h"
#include "fmod.h"

namespace {

constexpr int kRate = 44100;
constexpr int kSampleFrames = 4410;  // 100 ms
constexpr int kMargin = kRate / 4;   // output waited for after a sound should have ended
constexpr unsigned int kDemoMode = FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO;

bool Open(int iOutputType, int iChannels) {
  return FSOUND_SetOutput(iOutputType) != 0 && FSOUND_SetDriver(0) != 0 && FSOUND_Init(kRate, iChannels, 0) != 0;
}

class SoundBackend : public testing::Test {
 protected:
  void SetUp() override { WriteMonoWav(strWav, SquareWave(kSampleFrames, 8000), kRate); }
  void TearDown() override {
    FSOUND_Close();
    FSOUND_SetSFXMasterVolume(255);
  }
  TempFolder Folder;
  const std::string strWav = Folder.File("tone.wav");
  const std::string strOutput = Folder.File("output.raw");
};

void ExpectNear(int iActual, int iExpected, const char* pWhat) {
  EXPECT_NEAR(iActual, iExpected, iExpected / 50 + 1) << pWhat;
}

}  // namespace

struct MixCase {
  int iVolume, iPan, iMaster;
  int iLeft, iRight;
};

void PrintTo(const MixCase& Case, std::ostream* pOut) {
  *pOut << "volume" << Case.iVolume << "_pan" << Case.iPan << "_master" << Case.iMaster;
}

class SamplePlayback : public SoundBackend, public testing::WithParamInterface<MixCase> {};

// The demo's own mode asks for 8-bit mono, which a WAV file overrides: the
// 16-bit tone comes out at its own level and length.
TEST_P(SamplePlayback, WavReachesTheOutputWithVolumeAndPan) {
  const MixCase& Case = GetParam();
  UseDiskOutput(strOutput);
  FSOUND_SetSFXMasterVolume(Case.iMaster);
  ASSERT_TRUE(Open(FSOUND_OUTPUT_DSOUND, 32));
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), kDemoMode, 0);
  ASSERT_NE(pSample, nullptr);
  const int iChannel = FSOUND_PlaySound(FSOUND_FREE, pSample);
  ASSERT_GE(iChannel, 0);
  EXPECT_TRUE(FSOUND_SetVolume(iChannel, Case.iVolume));
  EXPECT_TRUE(FSOUND_SetPan(iChannel, Case.iPan));
  WaitForOutput(strOutput, kSampleFrames + kMargin);
  FSOUND_Close();
  const OutputSummary Summary = SummariseOutput(strOutput);
  ExpectNear(Summary.iPeakLeft, Case.iLeft, "left");
  ExpectNear(Summary.iPeakRight, Case.iRight, "right");
  if (Case.iLeft + Case.iRight > 0) ExpectNear(Summary.iSoundingFrames, kSampleFrames, "length");
}

INSTANTIATE_TEST_SUITE_P(SoundLibrary, SamplePlayback,
                         testing::Values(MixCase{255, 0, 255, 8000, 0},
                                         MixCase{255, 255, 255, 0, 8000}, MixCase{128, 128, 255, 4000, 4000},
                                         MixCase{255, 128, 0, 0, 0}));

struct RawCase {
  unsigned int dwFlags;
  int iFrames, iLevel;
};

void PrintTo(const RawCase& Case, std::ostream* pOut) { *pOut << "flags" << Case.dwFlags; }

class RawPlayback : public SoundBackend, public testing::WithParamInterface<RawCase> {};

// 8820 bytes of 0xC0: unsigned 8-bit +64 (16384 at 16 bits), or signed 16-bit
// 0xC0C0 (-16192); the flags decide how many frames the bytes make.
TEST_P(RawPlayback, HeaderlessDataFollowsTheModeFlags) {
  const RawCase& Case = GetParam();
  const std::string strRaw = Folder.File("tone.raw");
  WriteBytes(strRaw, std::vector<unsigned char>(8820, 0xC0));
  UseDiskOutput(strOutput);
  ASSERT_TRUE(Open(FSOUND_OUTPUT_DSOUND, 4));
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strRaw.c_str(), FSOUND_LOADRAW | Case.dwFlags, 0);
  ASSERT_NE(pSample, nullptr);
  ASSERT_GE(FSOUND_PlaySound(FSOUND_FREE, pSample), 0);
  WaitForOutput(strOutput, Case.iFrames + kMargin);
  FSOUND_Close();
  const OutputSummary Summary = SummariseOutput(strOutput);
  ExpectNear(Summary.iSoundingFrames, Case.iFrames, "length");
  ExpectNear(Summary.iPeakLeft, Case.iLevel, "level");
}

INSTANTIATE_TEST_SUITE_P(SoundLibrary, RawPlayback,
                         testing::Values(RawCase{FSOUND_8BITS | FSOUND_MONO, 8820, 16384},
                                         RawCase{FSOUND_MONO, 4410, 16192}, RawCase{FSOUND_8BITS, 4410, 16384},
                                         RawCase{0, 2205, 16192}));

TEST_F(SoundBackend, UnreadableFilesGiveNoHandle) {
  std::mt19937 Random(7);
  std::vector<unsigned char> Garbage(4096);
  for (unsigned char& b : Garbage) b = static_cast<unsigned char>(Random());
  std::ifstream Wav(strWav, std::ios::binary);
  std::vector<unsigned char> Truncated(30);
  Wav.read(reinterpret_cast<char*>(Truncated.data()), 30);
  WriteBytes(Folder.File("garbage.mp3"), Garbage);
  WriteBytes(Folder.File("empty.wav"), {});
  WriteBytes(Folder.File("text.ogg"), std::vector<unsigned char>(200, 'a'));
  WriteBytes(Folder.File("truncated.wav"), Truncated);

  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), 0, 0), nullptr) << "before the library is open";
  ASSERT_TRUE(Open(FSOUND_OUTPUT_NOSOUND, 8));
  for (const char* pName : {"missing.mp3", "garbage.mp3", "empty.wav", "text.ogg", "truncated.wav"})
    EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, Folder.File(pName).c_str(), kDemoMode, 0), nullptr) << pName;
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, nullptr, 0, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), 0, 1 << 20), nullptr) << "offset past the end";
  EXPECT_EQ(FSOUND_Sample_Load(-2, strWav.c_str(), 0, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(1024, strWav.c_str(), 0, 0), nullptr);
  EXPECT_NE(FSOUND_Sample_Load(1023, strWav.c_str(), 0, 0), nullptr);
}

// A small file can hold hours of sound that would take gigabytes decoded: a
// sample longer than ten minutes is refused, WAV, MP3 or raw, and so is
// anything that is not a regular file.
TEST_F(SoundBackend, SamplesThatWouldExhaustMemoryGiveNoHandle) {
  constexpr uint32_t kLowRate = 2000;
  const std::string strLong = Folder.File("long.wav");
  WriteMonoWav(strLong, std::vector<int16_t>(size_t{kLowRate} * 11 * 60, 100), kLowRate);
  const std::string strShort = Folder.File("short.wav");
  WriteMonoWav(strShort, std::vector<int16_t>(size_t{kLowRate} * 60, 100), kLowRate);
  const std::string strRaw = Folder.File("long.raw");  // 11 minutes of 8-bit mono at 44.1 kHz
  WriteBytes(strRaw, std::vector<unsigned char>(size_t{44100} * 11 * 60, 0x80));
  // Eight copies of the demo's 85 s of music joined: the first copy's length
  // header speaks for itself alone.
  std::ifstream Music(std::string(VIMRA_TEST_DATA_DIR) + "/demodemo.mp3", std::ios::binary);
  const std::vector<unsigned char> MusicBytes((std::istreambuf_iterator<char>(Music)), {});
  ASSERT_GT(MusicBytes.size(), 100000u);
  std::vector<unsigned char> Joined;
  for (int i = 0; i < 8; ++i) Joined.insert(Joined.end(), MusicBytes.begin(), MusicBytes.end());
  const std::string strJoined = Folder.File("joined.mp3");
  WriteBytes(strJoined, Joined);
  const std::string strFifo = Folder.File("fifo.mp3");
  ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);

  ASSERT_TRUE(Open(FSOUND_OUTPUT_NOSOUND, 8));
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strLong.c_str(), kDemoMode, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strRaw.c_str(), FSOUND_LOADRAW | kDemoMode, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strJoined.c_str(), kDemoMode, 0), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, strFifo.c_str(), kDemoMode, 0), nullptr);
  EXPECT_EQ(FMUSIC_LoadSong(strFifo.c_str()), nullptr);
  EXPECT_EQ(FSOUND_Sample_Load(FSOUND_FREE, Folder.File("").c_str(), kDemoMode, 0), nullptr) << "a directory";
  EXPECT_NE(FSOUND_Sample_Load(FSOUND_FREE, strShort.c_str(), kDemoMode, 0), nullptr);
  WriteBytes(strJoined, MusicBytes);
  EXPECT_NE(FSOUND_Sample_Load(FSOUND_FREE, strJoined.c_str(), kDemoMode, 0), nullptr);
}

// With no audio device anywhere the silent output still opens, loads and
// plays in real time: a sound occupies its channel for its length.
TEST_F(SoundBackend, SilentOutputWorksWithoutAnyDevice) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  EXPECT_FALSE(FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND));
  ASSERT_TRUE(Open(FSOUND_OUTPUT_NOSOUND, 1));
  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(FSOUND_FREE, strWav.c_str(), kDemoMode, 0);
  ASSERT_NE(pSample, nullptr);
  const Uint64 iStart = SDL_GetTicks64();
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), 0);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), -1) << "the only channel is busy";
  while (FSOUND_PlaySound(FSOUND_FREE, pSample) == -1 && SDL_GetTicks64() - iStart < 3000) SDL_Delay(5);
  EXPECT_GE(SDL_GetTicks64() - iStart, 80u) << "a 100 ms sound ended early";
  EXPECT_LT(SDL_GetTicks64() - iStart, 3000u) << "the channel never came free";
}

TEST_F(SoundBackend, RefusalsAreReturnValues) {
  EXPECT_FALSE(FSOUND_SetDriver(0)) << "no output chosen";
  EXPECT_FALSE(FSOUND_Init(kRate, 4, 0)) << "no output chosen";
  EXPECT_FALSE(FSOUND_SetOutput(7));
  EXPECT_FALSE(FSOUND_SetOutput(-1));
  ASSERT_TRUE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND));
  EXPECT_FALSE(FSOUND_SetDriver(999));
  EXPECT_FALSE(FSOUND_SetDriver(-1));
  ASSERT_TRUE(FSOUND_SetDriver(0));
  EXPECT_FALSE(FSOUND_Init(0, 4, 0));
  EXPECT_FALSE(FSOUND_Init(kRate, -1, 0));
  ASSERT_TRUE(FSOUND_Init(kRate, 4, 0));
  EXPECT_FALSE(FSOUND_Init(kRate, 4, 0)) << "already open";
  EXPECT_FALSE(FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND)) << "already open";

  FSOUND_SAMPLE* pSample = FSOUND_Sample_Load(2, strWav.c_str(), 0, 0);
  ASSERT_NE(pSample, nullptr);
  unsigned char Foreign = 0;
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, nullptr), -1);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, reinterpret_cast<FSOUND_SAMPLE*>(&Foreign)), -1);
  EXPECT_EQ(FSOUND_PlaySound(4, pSample), -1);
  EXPECT_EQ(FSOUND_PlaySound(-2, pSample), -1);
  EXPECT_EQ(FSOUND_PlaySound(3, pSample), 3);
  EXPECT_FALSE(FSOUND_SetVolume(4, 100));
  EXPECT_FALSE(FSOUND_SetPan(-1, 100));

  FSOUND_SAMPLE* pReplacement = FSOUND_Sample_Load(2, strWav.c_str(), 0, 0);
  ASSERT_NE(pReplacement, nullptr);
  EXPECT_NE(FSOUND_PlaySound(FSOUND_FREE, pReplacement), -1);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pSample), -1) << "slot 2 was reloaded";

  FSOUND_Close();
  ASSERT_TRUE(Open(FSOUND_OUTPUT_NOSOUND, 4));
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pReplacement), -1) << "closing frees every sample";
}

TEST_F(SoundBackend, ModuleSongReachesTheOutput) {
  const std::string strModule = Folder.File("tune.mod");
  WriteModule(strModule);
  UseDiskOutput(strOutput);
  ASSERT_TRUE(Open(FSOUND_OUTPUT_DSOUND, 32));
  FMUSIC_MODULE* pSong = FMUSIC_LoadSong(strModule.c_str());
  ASSERT_NE(pSong, nullptr);
  EXPECT_TRUE(FMUSIC_SetMasterVolume(pSong, 255));
  EXPECT_TRUE(FMUSIC_OptimizeChannels(pSong, -3, 0)) << "a limit of no channels is accepted";
  EXPECT_TRUE(FMUSIC_PlaySong(pSong));
  WaitForOutput(strOutput, kRate / 5);
  FSOUND_Close();
  EXPECT_GT(SummariseOutput(strOutput).iPeakLeft, 1000);
}

TEST_F(SoundBackend, OnlyModulesLoadAsSongs) {
  std::mt19937 Random(11);
  std::vector<unsigned char> Garbage(4096);
  for (unsigned char& b : Garbage) b = static_cast<unsigned char>(Random());
  WriteBytes(Folder.File("garbage.xm"), Garbage);
  WriteModule(Folder.File("tune.mod"));
  EXPECT_EQ(FMUSIC_LoadSong(Folder.File("tune.mod").c_str()), nullptr) << "before the library is open";
  ASSERT_TRUE(Open(FSOUND_OUTPUT_NOSOUND, 8));
  for (const std::string& strName : {Folder.File("missing.it"), Folder.File("garbage.xm"), strWav})
    EXPECT_EQ(FMUSIC_LoadSong(strName.c_str()), nullptr) << strName;
  EXPECT_EQ(FMUSIC_LoadSong(nullptr), nullptr);
  for (auto [pTag, iChannels] : {std::pair{"M.K.", 4}, {"FLT4", 4}, {"6CHN", 6}, {"10CH", 10}}) {
    WriteModule(Folder.File("variant.mod"), pTag, iChannels);
    EXPECT_NE(FMUSIC_LoadSong(Folder.File("variant.mod").c_str()), nullptr) << pTag;
  }
  EXPECT_FALSE(FMUSIC_PlaySong(nullptr));
  EXPECT_FALSE(FMUSIC_SetMasterVolume(nullptr, 255));
  EXPECT_FALSE(FMUSIC_OptimizeChannels(nullptr, 8, 0));
}

TEST_F(SoundBackend, DemoMusicDecodesFromMp3) {
  const char* pData = std::getenv("VIMRA_DATA");
  const std::string strMusic = std::string(pData != nullptr ? pData : "data") + "/demodemo.mp3";
  if (!std::filesystem::exists(strMusic)) GTEST_SKIP() << "no " << strMusic;
  ASSERT_TRUE(Open(FSOUND_OUTPUT_NOSOUND, 32));
  FSOUND_SAMPLE* pMusic = FSOUND_Sample_Load(FSOUND_FREE, strMusic.c_str(), kDemoMode, 0);
  ASSERT_NE(pMusic, nullptr);
  EXPECT_EQ(FSOUND_PlaySound(FSOUND_FREE, pMusic), 0);
}

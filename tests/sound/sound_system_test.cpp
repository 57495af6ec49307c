// SoundSystem against a scripted library: which library calls it makes, in
// which order, and what it answers.
#include <gtest/gtest.h>

#include <optional>

#include "scripted_library.h"
#include "sound/sound_system.h"

using Calls = std::vector<std::string>;

namespace {

unsigned char SampleStorage, SongStorage;
FSOUND_SAMPLE* const kSample = reinterpret_cast<FSOUND_SAMPLE*>(&SampleStorage);
FMUSIC_MODULE* const kSong = reinterpret_cast<FMUSIC_MODULE*>(&SongStorage);

// A SoundSystem made with the library already scripted, its construction call
// checked and forgotten, so each test sees only its own calls.
struct Wrapper {
  ScriptedLibrary Library;
  std::optional<SoundSystem> Sound;
  Wrapper() {
    Library.pLoadedSample = kSample;
    Library.pLoadedSong = kSong;
    Sound.emplace();
    EXPECT_EQ(Library.Calls, Calls{"SetSFXMasterVolume 255"});
    Library.Calls.clear();
  }
  ~Wrapper() { Sound.reset(); }  // before the library stops answering
};

}  // namespace

struct InitCase {
  const char* pName;
  int iOutputType, iDriver;
  std::set<int> RefusedOutputs, FailingInits;
  std::set<std::pair<int, int>> RefusedDrivers;
  bool bResult;
  Calls Expected;
};

void PrintTo(const InitCase& Case, std::ostream* pOut) { *pOut << Case.pName; }

class InitChain : public testing::TestWithParam<InitCase> {};

TEST_P(InitChain, TriesOutputsInOrderWithTheRightDrivers) {
  const InitCase& Case = GetParam();
  Wrapper W;
  W.Library.RefusedOutputs = Case.RefusedOutputs;
  W.Library.FailingInits = Case.FailingInits;
  W.Library.RefusedDrivers = Case.RefusedDrivers;
  EXPECT_EQ(W.Sound->Init(Case.iOutputType, Case.iDriver, 44100, 32, 0), Case.bResult);
  EXPECT_EQ(W.Sound->bInitialised, Case.bResult);
  EXPECT_EQ(W.Sound->iChannelCount, 32);
  Calls Expected = {"GetVersion"};
  Expected.insert(Expected.end(), Case.Expected.begin(), Case.Expected.end());
  EXPECT_EQ(W.Library.Calls, Expected);
}

#define OPEN(o, d) "SetOutput " #o, "SetDriver " #d, "Init 44100 32 0"

INSTANTIATE_TEST_SUITE_P(
    SoundSystem, InitChain,
    testing::Values(
        InitCase{"DefaultOutputIgnoresRequestedDriver", 2, 3, {}, {}, {}, true, {OPEN(2, 0)}},
        InitCase{"NothingOpensTriesThreeTypesThenCloses", 2, 0, {}, {0, 1, 2}, {}, false,
                 {OPEN(2, 0), OPEN(1, 0), OPEN(0, 0), "Close"}},
        InitCase{"RefusedRequestedDriverEndsAtOnce", 5, 3, {}, {}, {{5, 3}}, false, {"SetOutput 5", "SetDriver 3"}},
        InitCase{"OtherTypeUsesRequestedDriver", 1, 3, {}, {}, {}, true, {OPEN(1, 3)}},
        InitCase{"RefusedTypeFallsBackToDefaultWithDriver0", 5, 3, {5}, {}, {}, true, {"SetOutput 5", OPEN(2, 0)}},
        InitCase{"FailedOpensNeedNoCloseBetweenAttempts", 0, 2, {1, 2}, {0}, {}, false,
                 {OPEN(0, 2), "SetOutput 2", "SetOutput 1", OPEN(0, 0), "Close"}},
        InitCase{"RefusedDriverInFallbackEndsWithoutClose", 2, 0, {}, {2}, {{1, 0}}, false,
                 {OPEN(2, 0), "SetOutput 1", "SetDriver 0"}},
        InitCase{"SilentOutputIsTheLastResort", 2, 0, {1}, {2}, {}, true, {OPEN(2, 0), "SetOutput 1", OPEN(0, 0)}}),
    [](const testing::TestParamInfo<InitCase>& Info) { return Info.param.pName; });

TEST(SoundSystem, VersionBelowThreePointFiveFailsBeforeAnyOutput) {
  for (float fVersion : {3.49f, 3.5f}) {
    Wrapper W;
    W.Library.fVersion = fVersion;
    const bool bPasses = fVersion >= 3.5f;
    EXPECT_EQ(W.Sound->Init(2, 0, 22050, 16, 0), bPasses) << fVersion;
    EXPECT_EQ(W.Sound->iChannelCount, 16);
    EXPECT_EQ(W.Library.Calls.size(), bPasses ? 4u : 1u) << fVersion;
  }
}

TEST(SoundSystem, InitOnAnOpenLibraryClosesItBeforeTheVersionCheck) {
  Wrapper W;
  ASSERT_TRUE(W.Sound->Init(2, 0, 44100, 32, 0));
  W.Library.Calls.clear();
  W.Library.fVersion = 3.0f;
  EXPECT_FALSE(W.Sound->Init(2, 0, 44100, 8, 0));
  EXPECT_EQ(W.Library.Calls, (Calls{"Close", "GetVersion"}));
  EXPECT_FALSE(W.Sound->bInitialised);
  EXPECT_EQ(W.Sound->iChannelCount, 8);
}

TEST(SoundSystem, CloseAlwaysClosesTheLibrary) {
  Wrapper W;
  W.Sound->Close();
  ASSERT_TRUE(W.Sound->Init(2, 0, 44100, 32, 0));
  W.Sound->Close();
  EXPECT_FALSE(W.Sound->bInitialised);
  EXPECT_EQ(W.Library.Calls, (Calls{"Close", "GetVersion", OPEN(2, 0), "Close"}));
}

TEST(SoundSystem, DestructionClosesOnlyAnOpenLibrary) {
  struct Case {
    bool bOpens, bClosesFirst;
    Calls Expected;
  };
  for (const Case& C : {Case{false, false, {}}, Case{true, false, {"Close"}}, Case{true, true, {}}}) {
    Wrapper W;
    if (!C.bOpens) W.Library.FailingInits = {0, 1, 2};
    W.Sound->Init(2, 0, 44100, 32, 0);
    if (C.bClosesFirst) W.Sound->Close();
    W.Library.Calls.clear();
    W.Sound.reset();
    EXPECT_EQ(W.Library.Calls, C.Expected) << C.bOpens << C.bClosesFirst;
  }
}

TEST(SoundSystem, PlaySampleStartsThenSetsVolumeAndPan) {
  Wrapper W;
  W.Library.iPlayChannel = 7;
  EXPECT_EQ(W.Sound->PlaySample(kSample, 128, -1), 7);
  W.Sound->iSampleVolume = 100;
  EXPECT_EQ(W.Sound->PlaySample(kSample, 0, 7), 7);
  EXPECT_EQ(W.Library.Calls, (Calls{"PlaySound -1 loaded", "SetVolume 7 255", "SetPan 7 128",
                                    "PlaySound 7 loaded", "SetVolume 7 100", "SetPan 7 0"}));
}

TEST(SoundSystem, NoFreeChannelLeavesVolumeAndPanAlone) {
  Wrapper W;
  W.Library.iPlayChannel = -1;
  EXPECT_EQ(W.Sound->PlaySample(kSample, 128, -1), -1);
  EXPECT_EQ(W.Library.Calls, Calls{"PlaySound -1 loaded"});
}

TEST(SoundSystem, ZeroVolumesRefuseToPlayWithoutCallingTheLibrary) {
  Wrapper W;
  W.Sound->iSampleVolume = 0;
  W.Sound->iMusicVolume = 0;
  EXPECT_EQ(W.Sound->PlaySample(kSample, 128, -1), -1);
  EXPECT_EQ(W.Sound->PlaySong(kSong, 0, 0), -1);
  EXPECT_TRUE(W.Library.Calls.empty());
}

// The song is loaded through the wrapper as the design loads it; the sample's
// load is checked with the music's start (tests/host/start_music_test.cpp).
TEST(SoundSystem, PlaySongKeepsChannelsFreeFromTheInitCount) {
  struct Case {
    int iChannels, iKeepFree;
    signed char cLibraryResult;
    int iResult;
  };
  for (const Case& C : {Case{32, 4, 1, 1}, Case{8, 8, 0, 0}, Case{2, 5, -1, -1}, Case{0, 0, 1, 1}}) {
    Wrapper W;
    W.Sound->Init(2, 0, 44100, C.iChannels, 0);
    W.Library.Calls.clear();
    W.Library.cPlaySongResult = C.cLibraryResult;
    FMUSIC_MODULE* pSong = W.Sound->LoadSong("tune.xm");
    EXPECT_EQ(pSong, kSong);
    EXPECT_EQ(W.Sound->PlaySong(pSong, C.iKeepFree, 12), C.iResult);
    const std::string strOptimize = "OptimizeChannels loaded " + std::to_string(C.iChannels - C.iKeepFree) + " 12";
    EXPECT_EQ(W.Library.Calls,
              (Calls{"LoadSong tune.xm", "SetMasterVolume loaded 255", strOptimize, "PlaySong loaded"}));
  }
}

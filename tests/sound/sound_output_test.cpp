// SoundSystem over the real sound library, called as the demo calls it.
#include <gtest/gtest.h>

#include "disk_output.h"
#include "sound/sound_system.h"

// Probing ALSA on a machine without sound cards leaks a small logging record
// inside libasound; the leak checker of sanitised builds is told to ignore it.
extern "C" const char* __lsan_default_suppressions() { return "leak:libasound.so\n"; }

namespace {

constexpr int kFrames = 4410;  // 100 ms at 44100 Hz

struct SoundOutput : testing::Test {
  TempFolder Folder;
  const std::string strMusic = Folder.File("demodemo.wav");
  const std::string strOutput = Folder.File("output.raw");
  void SetUp() override { WriteMonoWav(strMusic, SquareWave(kFrames, 8000), 44100); }
};

}  // namespace

TEST_F(SoundOutput, DemoSequencePlaysTheMusicAndClosesAtTheEnd) {
  UseDiskOutput(strOutput);
  {
    SoundSystem FMod;
    ASSERT_TRUE(FMod.Init(2, 0, 44100, 32, 0));
    FSOUND_SAMPLE* pSample = FMod.LoadSample(strMusic.c_str(), -1, 41);
    ASSERT_NE(pSample, nullptr);
    EXPECT_GE(FMod.PlaySample(pSample, 128, -1), 0);
    WaitForOutput(strOutput, kFrames + 11025);
  }  // destruction closes the library, which finishes the output file
  const OutputSummary Summary = SummariseOutput(strOutput);
  EXPECT_NEAR(Summary.iPeakLeft, 8000, 160);
  EXPECT_NEAR(Summary.iPeakRight, 8000, 160);
  EXPECT_NEAR(Summary.iSoundingFrames, kFrames, 90);
}

TEST_F(SoundOutput, WithoutAnyDeviceTheDemoStillLoadsAndPlaysSilently) {
  setenv("SDL_AUDIODRIVER", "no-such-driver", 1);
  SoundSystem FMod;
  EXPECT_TRUE(FMod.Init(2, 0, 44100, 32, 0));
  FSOUND_SAMPLE* pSample = FMod.LoadSample(strMusic.c_str(), -1, 41);
  ASSERT_NE(pSample, nullptr);
  EXPECT_GE(FMod.PlaySample(pSample, 128, -1), 0);
  EXPECT_EQ(FMod.LoadSample(Folder.File("missing.mp3").c_str(), -1, 41), nullptr);
}

// The music's start against a scripted sound library: the output the design
// opens, the music file's name and mode, and a play only when it loaded.
#include <gtest/gtest.h>

#include "host/music.h"
#include "scripted_library.h"

namespace {

using Calls = std::vector<std::string>;

unsigned char SampleStorage;
FSOUND_SAMPLE* const kSample = reinterpret_cast<FSOUND_SAMPLE*>(&SampleStorage);

}  // namespace

TEST(StartMusic, OpensTheOutputLoadsTheMusicAndPlaysItOnlyWhenItLoaded) {
  const Calls Opening = {"GetVersion", "SetOutput 2", "SetDriver 0", "Init 44100 32 0",
                         "Sample_Load -1 demodemo.mp3 41 0"};
  for (FSOUND_SAMPLE* pLoaded : {kSample, static_cast<FSOUND_SAMPLE*>(nullptr)}) {
    ScriptedLibrary Library;
    Library.pLoadedSample = pLoaded;
    Library.iPlayChannel = 3;
    {
      SoundSystem FMod;
      EXPECT_EQ(StartMusic(FMod), pLoaded);
    }
    Calls Expected = {"SetSFXMasterVolume 255"};
    Expected.insert(Expected.end(), Opening.begin(), Opening.end());
    if (pLoaded != nullptr) Expected.insert(Expected.end(), {"PlaySound -1 loaded", "SetVolume 3 255", "SetPan 3 128"});
    Expected.push_back("Close");
    EXPECT_EQ(Library.Calls, Expected) << (pLoaded != nullptr ? "loaded" : "missing");
  }
}

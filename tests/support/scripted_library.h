// A sound library whose answers a test scripts; it records every call, in
// order, as text ("SetOutput 2", "Init 44100 32 0"; handles as "loaded" when
// they are the scripted ones).
#pragma once

#include <set>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "fmod_seams.h"

class ScriptedLibrary final : public FmodApi {
 public:
  ScriptedLibrary() { FmodSetApi(this); }
  ~ScriptedLibrary() override { FmodSetApi(nullptr); }

  float fVersion = 3.75f;
  std::set<int> RefusedOutputs;
  std::set<int> FailingInits;                    // output types whose FSOUND_Init fails
  std::set<std::pair<int, int>> RefusedDrivers;  // (output type, driver)
  FSOUND_SAMPLE* pLoadedSample = nullptr;
  FMUSIC_MODULE* pLoadedSong = nullptr;
  int iPlayChannel = 0;
  signed char cPlaySongResult = 1;
  std::vector<std::string> Calls;

  float GetVersion() override { return Answer(fVersion, "GetVersion"); }
  signed char SetOutput(int iType) override {
    iOutput = iType;
    return Answer(!RefusedOutputs.count(iType), "SetOutput", iType);
  }
  signed char SetDriver(int iDriver) override {
    return Answer(!RefusedDrivers.count({iOutput, iDriver}), "SetDriver", iDriver);
  }
  signed char Init(int iRate, int iChannels, unsigned int dwFlags) override {
    return Answer(!FailingInits.count(iOutput), "Init", iRate, iChannels, dwFlags);
  }
  void Close() override { Record("Close"); }
  void SetSfxMasterVolume(int iVolume) override { Record("SetSFXMasterVolume", iVolume); }
  FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) override {
    return Answer(pLoadedSample, "Sample_Load", iIndex, pName, dwMode, iOffset);
  }
  int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) override {
    return Answer(iPlayChannel, "PlaySound", iChannel, Name(pSample));
  }
  signed char SetVolume(int iChannel, int iVolume) override { return Answer(1, "SetVolume", iChannel, iVolume); }
  signed char SetPan(int iChannel, int iPan) override { return Answer(1, "SetPan", iChannel, iPan); }
  FMUSIC_MODULE* LoadSong(const char* pName) override { return Answer(pLoadedSong, "LoadSong", pName); }
  signed char SetMusicMasterVolume(FMUSIC_MODULE* pSong, int iVolume) override {
    return Answer(1, "SetMasterVolume", Name(pSong), iVolume);
  }
  signed char OptimizeChannels(FMUSIC_MODULE* pSong, int iMax, int iMinVolume) override {
    return Answer(1, "OptimizeChannels", Name(pSong), iMax, iMinVolume);
  }
  signed char PlaySong(FMUSIC_MODULE* pSong) override { return Answer(cPlaySongResult, "PlaySong", Name(pSong)); }

 private:
  template <class... Args>
  void Record(const char* pCall, const Args&... Arguments) {
    std::ostringstream Text;
    Text << pCall;
    ((Text << ' ' << Arguments), ...);
    Calls.push_back(Text.str());
  }
  template <class Result, class... Args>
  Result Answer(Result Value, const char* pCall, const Args&... Arguments) {
    Record(pCall, Arguments...);
    return Value;
  }
  const char* Name(const void* pHandle) const {
    return pHandle == pLoadedSample || pHandle == pLoadedSong ? "loaded" : "other";
  }
  int iOutput = -1;
};

// A sound library whose answers a test scripts; it records every call, in
// order, as text ("SetOutput 2", "Init 44100 32 0").
#pragma once

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "fmod_seams.h"

class ScriptedLibrary final : public FmodBackend {
 public:
  ScriptedLibrary() { FmodSetBackend(this); }
  ~ScriptedLibrary() override { FmodSetBackend(nullptr); }

  float fVersion = 3.75f;
  std::set<int> RefusedOutputs;
  std::set<int> FailingInits;                    // output types whose FSOUND_Init fails
  std::set<std::pair<int, int>> RefusedDrivers;  // (output type, driver)
  FSOUND_SAMPLE* pLoadedSample = nullptr;
  FMUSIC_MODULE* pLoadedSong = nullptr;
  int iPlayChannel = 0;
  signed char cPlaySongResult = 1;
  std::vector<std::string> Calls;

  float GetVersion() override {
    Record("GetVersion");
    return fVersion;
  }
  signed char SetOutput(int iOutputType) override {
    Record("SetOutput " + std::to_string(iOutputType));
    iOutput = iOutputType;
    return RefusedOutputs.count(iOutputType) == 0;
  }
  signed char SetDriver(int iDriver) override {
    Record("SetDriver " + std::to_string(iDriver));
    return RefusedDrivers.count({iOutput, iDriver}) == 0;
  }
  signed char Init(int iMixRate, int iChannels, unsigned int dwFlags) override {
    Record("Init " + std::to_string(iMixRate) + " " + std::to_string(iChannels) + " " + std::to_string(dwFlags));
    return FailingInits.count(iOutput) == 0;
  }
  void Close() override { Record("Close"); }
  void SetSfxMasterVolume(int iVolume) override { Record("SetSFXMasterVolume " + std::to_string(iVolume)); }
  FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) override {
    Record("Sample_Load " + std::to_string(iIndex) + " " + pName + " " + std::to_string(dwMode) + " " +
           std::to_string(iOffset));
    return pLoadedSample;
  }
  int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) override {
    Record("PlaySound " + std::to_string(iChannel) + (pSample == pLoadedSample ? " loaded" : " other"));
    return iPlayChannel;
  }
  signed char SetVolume(int iChannel, int iVolume) override {
    Record("SetVolume " + std::to_string(iChannel) + " " + std::to_string(iVolume));
    return 1;
  }
  signed char SetPan(int iChannel, int iPan) override {
    Record("SetPan " + std::to_string(iChannel) + " " + std::to_string(iPan));
    return 1;
  }
  FMUSIC_MODULE* LoadSong(const char* pName) override {
    Record(std::string("LoadSong ") + pName);
    return pLoadedSong;
  }
  signed char SetMusicMasterVolume(FMUSIC_MODULE* pModule, int iVolume) override {
    Record("SetMasterVolume" + Song(pModule) + " " + std::to_string(iVolume));
    return 1;
  }
  signed char OptimizeChannels(FMUSIC_MODULE* pModule, int iMaxChannels, int iMinVolume) override {
    Record("OptimizeChannels" + Song(pModule) + " " + std::to_string(iMaxChannels) + " " + std::to_string(iMinVolume));
    return 1;
  }
  signed char PlaySong(FMUSIC_MODULE* pModule) override {
    Record("PlaySong" + Song(pModule));
    return cPlaySongResult;
  }

 private:
  void Record(std::string strCall) { Calls.push_back(std::move(strCall)); }
  std::string Song(FMUSIC_MODULE* pModule) const { return pModule == pLoadedSong ? " loaded" : " other"; }
  int iOutput = -1;
};

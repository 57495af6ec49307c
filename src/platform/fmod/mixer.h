// The software mixer of the outputs that pull their sound (SDL, Windows):
// voices that each play one sound once, at its own rate, with a gain per side.
// The output's thread pulls the mix while the program's thread changes voices,
// so every member takes the lock.
#pragma once

#include <mutex>
#include <vector>

#include "sound_output.h"

class Mixer {
 public:
  // iVoices silent voices mixing at iRate.
  void Reset(int iRate, int iVoices);
  void Start(int iVoice, const PcmSound& Sound, float fLeft, float fRight);
  void Stop(const PcmSound& Sound);
  bool Playing(int iVoice);
  void SetGains(int iVoice, float fLeft, float fRight);
  // Adds iFrames stereo frames of the mix to pStereo, saturating.
  void MixInto(int16_t* pStereo, int iFrames);

 private:
  struct Voice {
    const PcmSound* pSound = nullptr;  // null: silent
    double fPosition = 0;              // in the sound's frames
    float fLeft = 1, fRight = 1;
  };
  bool Valid(int iVoice) const { return iVoice >= 0 && iVoice < static_cast<int>(Voices.size()); }

  std::mutex Lock;
  int iRate = 44100;
  std::vector<Voice> Voices;
  std::vector<float> Sum;  // scratch of MixInto
};

// An output over the mixer: the voice calls are the mixer's; the device
// pulls with MixInto from a thread of its own.
class MixingOutput : public SoundOutput {
 public:
  void Start(int iVoice, const PcmSound& Sound, float fLeft, float fRight) override {
    Mixing.Start(iVoice, Sound, fLeft, fRight);
  }
  void Stop(const PcmSound& Sound) override { Mixing.Stop(Sound); }
  bool Playing(int iVoice) override { return Mixing.Playing(iVoice); }
  void SetGains(int iVoice, float fLeft, float fRight) override { Mixing.SetGains(iVoice, fLeft, fRight); }

 protected:
  Mixer Mixing;
};

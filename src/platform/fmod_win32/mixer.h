// The software mixer behind every output: channels that each play one sound
// once, at its own rate, with volume (0..255, times the master volume) and pan.
// The output's thread calls Mix while the program's thread changes channels,
// so every member takes the lock.
#pragma once

#include <mutex>
#include <vector>

#include "sound_layer.h"

class Mixer final : public PcmSource {
 public:
  // Sizes the mixer: iChannels silent channels mixing at iRate.
  void Reset(int iRate, int iChannels);
  int ChannelCount();
  bool Playing(int iChannel);
  // Starts pSound on a channel at full volume, centred; pSound must outlive
  // its playing (StopSound before freeing it).
  void Play(int iChannel, const PcmSound* pSound);
  void StopSound(const PcmSound* pSound);
  bool SetVolume(int iChannel, int iVolume);
  bool SetPan(int iChannel, int iPan);
  void SetMasterVolume(int iVolume);

  void Mix(int16_t* pStereo, int iFrames) override;

 private:
  struct Channel {
    const PcmSound* pSound = nullptr;  // null: silent
    double fPosition = 0;              // in the sound's frames
    int iVolume = 255;
    int iPan = 128;
  };

  std::mutex Lock;
  int iRate = 44100;
  int iMasterVolume = 255;
  std::vector<Channel> Channels;
};

// Gains of the pan law, 0..255 per side: the centre keeps both sides at full
// level and either side fades out towards the other end.
int PanLeft(int iPan);
int PanRight(int iPan);

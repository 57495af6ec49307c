// The software mixer of the outputs that pull their sound (PulseAudio and SDL
// on Linux, DirectSound and waveOut on Windows): voices that each play one
// sound once, at its own rate, with a gain per side. A device stream's thread
// pulls the mix while the program's thread changes voices, so every member
// takes the lock.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
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
  // True while any voice plays.
  bool Sounding();
  void SetGains(int iVoice, float fLeft, float fRight);
  // Adds iFrames stereo frames of the mix to pStereo, saturating; the number
  // of frames from the first on in which a voice sounded (0: all silent).
  int MixInto(int16_t* pStereo, int iFrames);

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

// What a device stream pulls: iFrames stereo frames of 16-bit PCM at the
// stream's rate (with MixInto's count of sounding frames), and whether
// anything sounds now.
class PcmSource {
 public:
  virtual ~PcmSource() = default;
  virtual int Mix(int16_t* pStereo, int iFrames) = 0;
  virtual bool Sounding() = 0;
};

// An open device that pulls from a PcmSource on a thread of its own;
// destroying it stops that thread and closes the device.
//
// A stream keeps a deep lead (100 ms or more) written ahead of what is heard,
// so that the pulling thread may be held up that long without a gap. Mixed
// ahead, music is not late: a lead only delays a sound that starts while
// silence is queued. So the first voice on a silent output starts through
// Restart: the stream runs StartVoice while its thread cannot mix, and then
// replaces the silence it has queued with the new mix at once (where a stream
// queues nothing while silent, it writes the new mix at once). Sound still
// queued is never replaced.
class DeviceStream {
 public:
  virtual ~DeviceStream() = default;
  virtual void Restart(const std::function<void()>& StartVoice) { StartVoice(); }
};

// An output over the mixer: the voice calls are the mixer's; the device
// stream, if the output has one, pulls with Mix.
class MixingOutput : public SoundOutput, protected PcmSource {
 public:
  void Start(int iVoice, const PcmSound& Sound, float fLeft, float fRight) override {
    const auto StartVoice = [&] { Mixing.Start(iVoice, Sound, fLeft, fRight); };
    if (pStream != nullptr && !Mixing.Sounding()) {
      pStream->Restart(StartVoice);
    } else {
      StartVoice();
    }
  }
  void Stop(const PcmSound& Sound) override { Mixing.Stop(Sound); }
  bool Playing(int iVoice) override { return Mixing.Playing(iVoice); }
  void SetGains(int iVoice, float fLeft, float fRight) override { Mixing.SetGains(iVoice, fLeft, fRight); }

 protected:
  int Mix(int16_t* pStereo, int iFrames) override {
    std::fill(pStereo, pStereo + 2 * static_cast<size_t>(iFrames), int16_t{0});
    return Mixing.MixInto(pStereo, iFrames);
  }
  bool Sounding() override { return Mixing.Sounding(); }

  Mixer Mixing;
  std::unique_ptr<DeviceStream> pStream;
};

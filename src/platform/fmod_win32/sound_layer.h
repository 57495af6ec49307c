// The system side of the sound library on Windows: outputs that pull the mix
// on a thread of their own (DirectSound, WinMM waveOut) and the system's MP3
// codec. The library talks to the system only through this seam, so a test
// can script which outputs open and what the codec answers.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

// 16-bit signed PCM, interleaved when there are two channels.
struct PcmSound {
  int iRate = 0;
  int iChannels = 0;  // 1 or 2
  std::vector<int16_t> Samples;

  size_t FrameCount() const { return iChannels > 0 ? Samples.size() / static_cast<size_t>(iChannels) : 0; }
};

// What an output pulls: iFrames stereo frames of 16-bit PCM at the output's rate.
class PcmSource {
 public:
  virtual ~PcmSource() = default;
  virtual void Mix(int16_t* pStereo, int iFrames) = 0;
};

// An open output; destroying it stops the pulling thread and closes the device.
class SoundOutput {
 public:
  virtual ~SoundOutput() = default;
};

class SoundLayer {
 public:
  virtual ~SoundLayer() = default;
  // Devices of an output type (FSOUND_OUTPUT_DSOUND or _WINMM); 0 when it has none.
  virtual int DriverCount(int iOutputType) = 0;
  // Opens device iDriver of an output type as 16-bit stereo at iRate, pulling
  // from Source until destroyed; null when the system refuses.
  virtual std::unique_ptr<SoundOutput> Open(int iOutputType, int iDriver, int iRate, PcmSource& Source) = 0;
  // Decodes a whole MP3 stream (from its first frame) to 16-bit PCM; false when
  // the system has no codec for it or the data does not decode.
  virtual bool DecodeMp3(const unsigned char* pData, size_t iSize, PcmSound& Pcm) = 0;
};

// Routes the library to pLayer (not owned); null restores the system's layer.
void FmodSetSoundLayer(SoundLayer* pLayer);

// The system's layer: DirectSound, waveOut and the Audio Compression Manager
// on Windows; elsewhere one with no devices and no codec.
SoundLayer& SystemSoundLayer();

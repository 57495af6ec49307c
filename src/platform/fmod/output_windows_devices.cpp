// The system's side of the Windows output: the streams
// (output_windows_streams.cpp) and MP3 decoding through the Audio Compression
// Manager (codec_acm.cpp).
#include "codec_acm.h"
#include "fmod.h"
#include "output_windows_streams.h"

namespace {

class SystemDevices final : public WindowsDevices {
 public:
  int DriverCount(int iOutputType) override {
    // Device 0 is the system's default; waveOut's devices follow it.
    if (iOutputType == FSOUND_OUTPUT_WINMM) return 1 + static_cast<int>(waveOutGetNumDevs());
    return iOutputType == FSOUND_OUTPUT_DSOUND ? 1 : 0;
  }

  std::unique_ptr<DeviceStream> Open(int iOutputType, int iDriver, int iRate, PcmSource& Source) override {
    if (iOutputType == FSOUND_OUTPUT_DSOUND) return OpenDirectSoundStream(iRate, Source);
    if (iOutputType == FSOUND_OUTPUT_WINMM) return OpenWaveOutStream(iDriver, iRate, Source);
    return nullptr;
  }

  bool DecodeMp3(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames, PcmSound& Pcm, const DecodeProgress& Progress) override {
    return DecodeMp3WithAcm(pData, iSize, Format, iMaxFrames, Pcm, Progress);
  }
};

}  // namespace

WindowsDevices& WindowsSoundDevices() {
  static SystemDevices System;
  return System;
}

SoundOutput& PlatformSoundOutput() {
  static SoundOutput* pOutput = MakeWindowsOutput(WindowsSoundDevices()).release();
  return *pOutput;
}

// The system's side of the Windows output: the streams
// (output_windows_streams.cpp).
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

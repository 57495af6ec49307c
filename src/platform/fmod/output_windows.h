// The Windows output: the core's mixer pulled by a stream of the system's
// (DirectSound for output 2, waveOut for 1) or, for output 0, by a silent
// stream in real time (MP3 goes to the system's codec beside it, codec_acm.h).
// The system side is a seam, so the output runs over a scripted system on
// Linux.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

#include "mixer.h"

class WindowsDevices {
 public:
  virtual ~WindowsDevices() = default;
  // Devices of an output type (FSOUND_OUTPUT_DSOUND or _WINMM); 0 when it has none.
  virtual int DriverCount(int iOutputType) = 0;
  // Opens device iDriver of an output type as 16-bit stereo at iRate, pulling
  // from Source until destroyed; null when the system refuses.
  virtual std::unique_ptr<DeviceStream> Open(int iOutputType, int iDriver, int iRate, PcmSource& Source) = 0;
};

std::unique_ptr<SoundOutput> MakeWindowsOutput(WindowsDevices& System);

// The system's side on Windows: DirectSound and waveOut.
WindowsDevices& WindowsSoundDevices();

// The system's streams on Windows; null when the system refuses.
#pragma once

#include "win32.h"

#include <mmreg.h>

#include "output_windows.h"

std::unique_ptr<DeviceStream> OpenDirectSoundStream(int iRate, PcmSource& Source);
// Driver 0 is the wave mapper; waveOut's devices follow it.
std::unique_ptr<DeviceStream> OpenWaveOutStream(int iDriver, int iRate, PcmSource& Source);

// 16-bit integer PCM.
WAVEFORMATEX PcmFormat(int iRate, int iChannels);

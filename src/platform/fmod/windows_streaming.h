// The system's streams on Windows; null when the system refuses.
#pragma once

#include "win32.h"

#include <mmreg.h>

#include "windows_output.h"

std::unique_ptr<SoundStream> OpenDirectSoundStream(int iRate, PcmSource& Source);
// Driver 0 is the wave mapper; waveOut's devices follow it.
std::unique_ptr<SoundStream> OpenWaveOutStream(int iDriver, int iRate, PcmSource& Source);

// 16-bit integer PCM.
WAVEFORMATEX PcmFormat(int iRate, int iChannels);

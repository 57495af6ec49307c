// The demo's music: started once, right before the demo clock.
#pragma once

#include "sound/sound_system.h"

// Opens the sound output (type 2, driver 0, 44100 Hz, 32 channels), loads
// the music file as a sample (mode 41) and plays it centred on a free
// channel. The sample, or null when the file did not load (nothing plays).
FSOUND_SAMPLE* StartMusic(SoundSystem& FMod);

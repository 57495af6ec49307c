// The real backend of the sound-library stand-in, over SDL2_mixer.
#pragma once

#include "fmod_seams.h"

// One instance per process, created on first use and never destroyed: the
// library lives until the process ends, and FSOUND_Close releases all it holds.
FmodBackend& SdlMixerBackendInstance();

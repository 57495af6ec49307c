// The Linux output's stream to a PulseAudio server (PipeWire's too), where one
// answers: a stream of the server's own, so that the output decides how deep
// its lead is and what the server holds when a sound starts. Elsewhere SDL
// carries the sound (output_linux.cpp).
#pragma once

#include <memory>

#include "mixer.h"

// How far the stream writes ahead of what is heard: the longest the mixing
// thread may be held up without a gap.
constexpr int kPulseLeadMs = 200;

// A stream of 16-bit stereo at iRate to the server's default sink, pulling
// from Source while anything sounds; null when no server answers.
std::unique_ptr<DeviceStream> OpenPulseStream(int iRate, PcmSource& Source);

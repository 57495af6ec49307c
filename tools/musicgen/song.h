// The demo's music: the score, its arrangement over the demo's scenes and
// the master stage that turns the mix into 16-bit stereo.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

#include "dsp.h"
#include "grid.h"

namespace musicgen {

// The last chord sounds from bar 40 (83.0 s) and is faded to silence by
// 85.0 s; the file runs on a little so the demo's end (about 85.08 s) never
// outlasts it.
constexpr double kSilentFromSeconds = 85.0;
constexpr double kSongSeconds = 86.0;
constexpr std::size_t kSongFrames = static_cast<std::size_t>(kSongSeconds * kSampleRate);

struct Section {
  const char* pName;
  int iFirstBar;
};

// Each section starts on a scene change of the demo: 0, 20.75, 41.5, 74.7 s.
constexpr std::array<Section, 4> kSections = {{
    {"intro", 0},
    {"build", 10},
    {"theme", 20},
    {"closing", 36},
}};

// The harmony voice: a diatonic third below in A minor (natural), any octave.
int ThirdBelow(int pitch);

// All instruments, effects included, before the master stage.
StereoBuffer RenderMix();

// Master gain, limiter and final fade; interleaved left/right samples.
std::vector<std::int16_t> Master(const StereoBuffer& mix);

std::vector<std::int16_t> RenderSong();

}  // namespace musicgen

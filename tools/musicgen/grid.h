// Time grid of the music. One timeline unit of the demo (4150 ms) is two 4/4
// bars, so a bar lasts exactly 2075 ms (about 115.66 BPM). Positions are kept
// in beats and turned into samples in one place so that every part of the
// score lands on the same grid as the demo's scene changes.
#pragma once

#include <cmath>
#include <cstddef>

namespace musicgen {

constexpr int kSampleRate = 44100;
constexpr double kBarMilliseconds = 2075.0;
// 91507.5 and 22876.875 are exact in binary, so whole bars land on exact samples.
constexpr double kSamplesPerBar = kBarMilliseconds * kSampleRate / 1000.0;
constexpr double kSamplesPerBeat = kSamplesPerBar / 4.0;
constexpr double kBeatSeconds = kSamplesPerBeat / kSampleRate;
constexpr double kTempoBpm = 60.0 / kBeatSeconds;

inline std::size_t SampleAtBeat(double beat) {
  return static_cast<std::size_t>(std::llround(beat * kSamplesPerBeat));
}

inline std::size_t SampleAtBar(double bar) { return SampleAtBeat(bar * 4.0); }

inline std::size_t SampleAtSeconds(double seconds) {
  return static_cast<std::size_t>(std::llround(seconds * kSampleRate));
}

}  // namespace musicgen

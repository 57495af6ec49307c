#include "voices.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "grid.h"

namespace musicgen {

namespace {

constexpr double kPi = 3.14159265358979323846;
// Filter coefficients follow their envelopes at this many samples per update;
// tan() per sample would dominate the render time for no audible gain.
constexpr std::size_t kControlPeriod = 32;

std::size_t SecondsToFrames(double seconds) { return SampleAtSeconds(seconds); }

// Cheap hash of a note so every voice starts its oscillators at its own,
// repeatable phases.
std::uint32_t NoteSeed(const Note& note) {
  const auto beat = static_cast<std::uint32_t>(std::llround(note.fBeat * 64.0));
  const auto pitch = static_cast<std::uint32_t>(std::llround(note.fPitch * 16.0));
  return beat * 2654435761u ^ pitch * 40503u ^ 0x5bd1e995u;
}

// The metallic part of hats and cymbals: six square waves at inharmonic ratios.
class Metal {
 public:
  double Next() {
    constexpr std::array<double, 6> kHz = {263.0, 400.0, 421.0, 474.0, 587.0, 845.0};
    double sum = 0.0;
    for (std::size_t k = 0; k < kHz.size(); ++k) sum += oscillators_[k].Square(kHz[k] * 2.1);
    return sum / 6.0;
  }

 private:
  std::array<Oscillator, 6> oscillators_{Oscillator(0.0), Oscillator(0.3), Oscillator(0.7),
                                         Oscillator(0.1), Oscillator(0.5), Oscillator(0.9)};
};

}  // namespace

void Channel::Write(std::size_t frame, double left, double right) const {
  if (frame >= pDry->Frames()) return;
  const double duck = pDuck ? (*pDuck)[frame] : 1.0;
  const double gainLeft = std::min(1.0, 1.0 - fPan) * duck;
  const double gainRight = std::min(1.0, 1.0 + fPan) * duck;
  left *= gainLeft;
  right *= gainRight;
  pDry->left[frame] += static_cast<float>(left);
  pDry->right[frame] += static_cast<float>(right);
  if (pReverb && fReverbSend > 0.0) {
    pReverb->left[frame] += static_cast<float>(left * fReverbSend);
    pReverb->right[frame] += static_cast<float>(right * fReverbSend);
  }
  if (pEcho && fEchoSend > 0.0) {
    pEcho->left[frame] += static_cast<float>(left * fEchoSend);
    pEcho->right[frame] += static_cast<float>(right * fEchoSend);
  }
}

void PlaySynth(const SynthPatch& patch, const Note& note, const Channel& channel,
               const Automation& brightness) {
  const double gate = note.fBeats * kBeatSeconds;
  const std::size_t start = SampleAtBeat(note.fBeat);
  const std::size_t frames = SecondsToFrames(patch.amp.Length(gate));
  const double baseHz = MidiToHz(note.fPitch);

  Rng rng(NoteSeed(note));
  std::vector<Oscillator> saws;
  std::vector<double> detune, panLeft;
  for (int k = 0; k < patch.iSawCount; ++k) {
    saws.emplace_back(0.5 * (rng.Bipolar() + 1.0));
    const double spread = patch.iSawCount > 1 ? 2.0 * k / (patch.iSawCount - 1) - 1.0 : 0.0;
    detune.push_back(std::pow(2.0, spread * patch.fDetuneCents / 2400.0));
    panLeft.push_back(0.5 * (1.0 - spread * patch.fStereoWidth));
  }
  Oscillator square(0.5 * (rng.Bipolar() + 1.0));
  Oscillator sub;
  Oscillator vibrato;
  Svf filterLeft, filterRight;
  const double keyTrack = std::pow(baseHz / 261.63, patch.fKeyTrack);
  const double sawScale = patch.iSawCount > 0 ? patch.fSawLevel / std::sqrt(patch.iSawCount) : 0;

  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    if (i % kControlPeriod == 0) {
      const double octaves = patch.fEnvelopeOctaves * patch.filterEnvelope.Level(t, gate);
      const double beat = note.fBeat + t / kBeatSeconds;
      const double hz = patch.fCutoffHz * keyTrack * std::pow(2.0, octaves) * brightness(beat);
      filterLeft.SetCutoff(hz, patch.fResonance);
      filterRight.SetCutoff(hz, patch.fResonance);
    }
    double hz = baseHz;
    if (patch.fVibratoCents > 0.0) {
      const double depth = std::clamp((t - patch.fVibratoDelay) / 0.4, 0.0, 1.0);
      hz *= std::pow(2.0, depth * patch.fVibratoCents / 1200.0 * vibrato.Sine(patch.fVibratoHz));
    }
    double left = 0.0, right = 0.0;
    for (std::size_t k = 0; k < saws.size(); ++k) {
      const double value = saws[k].Saw(hz * detune[k]) * sawScale;
      left += value * panLeft[k];
      right += value * (1.0 - panLeft[k]);
    }
    const double centre = 0.5 * (patch.fSquareLevel * square.Square(hz, patch.fPulseWidth));
    left = filterLeft.Lowpass(left + centre);
    right = filterRight.Lowpass(right + centre);
    const double low = 0.5 * patch.fSubLevel * sub.Sine(hz * 0.5);
    const double level = patch.fGain * note.fVelocity * patch.amp.Level(t, gate);
    channel.Write(start + i, (left + low) * level, (right + low) * level);
  }
}

void PlayBell(const BellPatch& patch, const Note& note, const Channel& channel) {
  const std::size_t start = SampleAtBeat(note.fBeat);
  const double gate = note.fBeats * kBeatSeconds;
  const double length = std::min(gate + 0.3, 5.0 * patch.fDecay);
  const std::size_t frames = SecondsToFrames(length);
  const double hz = MidiToHz(note.fPitch);
  Oscillator carrier, modulator;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double index = patch.fIndex * std::exp(-t / patch.fIndexDecay);
    const double phaseShift = index * modulator.Sine(hz * patch.fRatio) / (2.0 * kPi);
    // Phase modulation: the carrier reads its sine at a shifted phase.
    const double value = std::sin(2.0 * kPi * (carrier.Phase() + phaseShift));
    carrier.Sine(hz);
    const double attack = std::min(1.0, t / 0.002);
    const double tail = 1.0 - t / length;
    const double level = patch.fGain * note.fVelocity * attack * std::exp(-t / patch.fDecay) * tail;
    channel.Write(start + i, value * level, value * level);
  }
}

void PlayKick(double beat, double velocity, const Channel& channel) {
  const std::size_t start = SampleAtBeat(beat);
  const std::size_t frames = SecondsToFrames(0.45);
  Oscillator body;
  OnePoleLowpass clickTone;
  clickTone.SetCutoff(3000.0);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double hz = 48.0 + 140.0 * std::exp(-t / 0.03);
    const double tail = 1.0 - static_cast<double>(i) / frames;
    const double thump = body.Sine(hz) * std::exp(-t / 0.2) * tail;
    const double click = clickTone.Process(t < 0.004 ? 1.0 - t / 0.004 : 0.0);
    const double value = std::tanh(1.6 * thump + 0.6 * click) * velocity * 0.42;
    channel.Write(start + i, value, value);
  }
}

void PlaySnare(double beat, double velocity, const Channel& channel, Rng& rng) {
  const std::size_t start = SampleAtBeat(beat);
  const std::size_t frames = SecondsToFrames(0.3);
  Oscillator tone;
  Svf noiseFilter;
  noiseFilter.SetCutoff(4500.0, 0.6);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double tail = 1.0 - static_cast<double>(i) / frames;
    const double body = tone.Sine(180.0 + 60.0 * std::exp(-t / 0.01)) * std::exp(-t / 0.045);
    const double noise = noiseFilter.Bandpass(rng.Bipolar()) * std::exp(-t / 0.09);
    const double value = (0.4 * body + 0.65 * noise) * tail * velocity;
    channel.Write(start + i, value, value);
  }
}

void PlayClap(double beat, double velocity, const Channel& channel, Rng& rng) {
  const std::size_t start = SampleAtBeat(beat);
  const std::size_t frames = SecondsToFrames(0.35);
  Svf filterLeft, filterRight;
  filterLeft.SetCutoff(1300.0, 1.4);
  filterRight.SetCutoff(1500.0, 1.4);
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    // Three quick slaps, then the room.
    const double slap = std::fmod(t, 0.011);
    double envelope = t < 0.033 ? std::exp(-slap / 0.003) : 0.0;
    envelope += 0.7 * std::exp(-std::max(0.0, t - 0.022) / 0.08) * (t >= 0.022 ? 1.0 : 0.0);
    const double tail = 1.0 - static_cast<double>(i) / frames;
    const double gain = envelope * tail * velocity;
    channel.Write(start + i, filterLeft.Bandpass(rng.Bipolar()) * gain,
                  filterRight.Bandpass(rng.Bipolar()) * gain);
  }
}

void PlayHat(double beat, double velocity, bool open, const Channel& channel, Rng& rng) {
  const std::size_t start = SampleAtBeat(beat);
  const double decay = open ? 0.16 : 0.022;
  const std::size_t frames = SecondsToFrames(open ? 0.5 : 0.1);
  Svf highpass;
  highpass.SetCutoff(7500.0, 0.8);
  Metal metal;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double tail = 1.0 - static_cast<double>(i) / frames;
    const double source = 0.6 * rng.Bipolar() + 0.5 * metal.Next();
    const double value = 0.5 * highpass.Highpass(source) * std::exp(-t / decay) * tail * velocity;
    channel.Write(start + i, value, value);
  }
}

void PlayCrash(double beat, double velocity, const Channel& channel, Rng& rng) {
  const std::size_t start = SampleAtBeat(beat);
  const std::size_t frames = SecondsToFrames(3.0);
  Svf highLeft, highRight;
  highLeft.SetCutoff(4000.0, 0.7);
  highRight.SetCutoff(4200.0, 0.7);
  Metal metal;
  for (std::size_t i = 0; i < frames; ++i) {
    const double t = static_cast<double>(i) / kSampleRate;
    const double tail = 1.0 - static_cast<double>(i) / frames;
    const double envelope = (0.6 * std::exp(-t / 0.08) + 0.4 * std::exp(-t / 0.8)) * tail;
    const double ring = 0.4 * metal.Next();
    const double gain = 0.4 * envelope * velocity;
    channel.Write(start + i, highLeft.Highpass(rng.Bipolar() + ring) * gain,
                  highRight.Highpass(rng.Bipolar() + ring) * gain);
  }
}

void PlayRiser(double beat, double beats, double velocity, const Channel& channel, Rng& rng) {
  const std::size_t start = SampleAtBeat(beat);
  const std::size_t frames = SampleAtBeat(beat + beats) - start;
  Svf bandLeft, bandRight;
  for (std::size_t i = 0; i < frames; ++i) {
    const double x = static_cast<double>(i) / frames;
    if (i % kControlPeriod == 0) {
      const double hz = 300.0 * std::pow(2.0, 5.0 * x);
      bandLeft.SetCutoff(hz, 2.0);
      bandRight.SetCutoff(hz * 1.06, 2.0);
    }
    const double gain = velocity * x * x;
    channel.Write(start + i, bandLeft.Bandpass(rng.Bipolar()) * gain,
                  bandRight.Bandpass(rng.Bipolar()) * gain);
  }
}

}  // namespace musicgen

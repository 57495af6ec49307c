#include "dsp.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "grid.h"

namespace musicgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Polynomial correction around a waveform step; t is the phase, dt the
// phase increment per sample.
double PolyBlep(double t, double dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0;
  }
  if (t > 1.0 - dt) {
    t = (t - 1.0) / dt;
    return t * t + t + t + 1.0;
  }
  return 0.0;
}

}  // namespace

std::uint32_t Rng::Next() {
  state_ ^= state_ << 13;
  state_ ^= state_ >> 17;
  state_ ^= state_ << 5;
  return state_;
}

double Rng::Bipolar() { return static_cast<double>(Next()) / 2147483648.0 - 1.0; }

double MidiToHz(double note) { return 440.0 * std::pow(2.0, (note - 69.0) / 12.0); }

double Oscillator::Advance(double hz) {
  const double before = phase_;
  phase_ += hz / kSampleRate;
  phase_ -= std::floor(phase_);
  return before;
}

double Oscillator::Sine(double hz) { return std::sin(2.0 * kPi * Advance(hz)); }

double Oscillator::Saw(double hz) {
  const double dt = hz / kSampleRate;
  const double t = Advance(hz);
  return 2.0 * t - 1.0 - PolyBlep(t, dt);
}

double Oscillator::Square(double hz, double pulseWidth) {
  const double dt = hz / kSampleRate;
  const double t = Advance(hz);
  double value = t < pulseWidth ? 1.0 : -1.0;
  value += PolyBlep(t, dt);
  value -= PolyBlep(std::fmod(t + 1.0 - pulseWidth, 1.0), dt);
  return value - (2.0 * pulseWidth - 1.0);
}

double Adsr::Level(double seconds, double gateSeconds) const {
  const auto held = [this](double t) {
    if (t < fAttack) return t / fAttack;
    const double x = fDecay > 0.0 ? (t - fAttack) / fDecay : 1.0;
    if (x < 1.0) return fSustain + (1.0 - fSustain) * (1.0 - x) * (1.0 - x);
    return fSustain;
  };
  // Compared with Length() itself, so rounding in gate + release cannot
  // leave a tiny tail where a voice's last sample is written.
  if (seconds < 0.0 || seconds >= Length(gateSeconds)) return 0.0;
  if (seconds < gateSeconds) return held(seconds);
  const double x = (seconds - gateSeconds) / fRelease;
  // Released from wherever the gate left it, so a short note fades from its
  // attack level instead of jumping to the sustain level first.
  return held(gateSeconds) * (1.0 - x) * (1.0 - x);
}

void Svf::SetCutoff(double hz, double q) {
  hz = std::clamp(hz, 20.0, 0.45 * kSampleRate);
  const double g = std::tan(kPi * hz / kSampleRate);
  k_ = 1.0 / q;
  a1_ = 1.0 / (1.0 + g * (g + k_));
  a2_ = g * a1_;
  a3_ = g * a2_;
}

void Svf::Tick(double in) {
  const double v3 = in - ic2_;
  const double v1 = a1_ * ic1_ + a2_ * v3;
  const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
  ic1_ = 2.0 * v1 - ic1_;
  ic2_ = 2.0 * v2 - ic2_;
  band_ = v1;
  low_ = v2;
}

void OnePoleLowpass::SetCutoff(double hz) {
  coeff_ = 1.0 - std::exp(-2.0 * kPi * hz / kSampleRate);
}

void StereoBuffer::Add(const StereoBuffer& other, double gain) {
  const std::size_t frames = std::min(Frames(), other.Frames());
  for (std::size_t i = 0; i < frames; ++i) {
    left[i] += static_cast<float>(gain * other.left[i]);
    right[i] += static_cast<float>(gain * other.right[i]);
  }
}

void PingPongDelay(const StereoBuffer& in, StereoBuffer& out, std::size_t delaySamples,
                   double feedback, double toneHz) {
  std::vector<double> lineLeft(delaySamples), lineRight(delaySamples);
  OnePoleLowpass toneLeft, toneRight;
  toneLeft.SetCutoff(toneHz);
  toneRight.SetCutoff(toneHz);
  std::size_t pos = 0;
  for (std::size_t i = 0; i < in.Frames(); ++i) {
    const double echoLeft = lineLeft[pos];
    const double echoRight = lineRight[pos];
    const double mono = 0.5 * (in.left[i] + in.right[i]);
    lineLeft[pos] = mono + feedback * toneRight.Process(echoRight);
    lineRight[pos] = feedback * toneLeft.Process(echoLeft);
    out.left[i] += static_cast<float>(echoLeft);
    out.right[i] += static_cast<float>(echoRight);
    pos = pos + 1 == delaySamples ? 0 : pos + 1;
  }
}

namespace {

class Comb {
 public:
  explicit Comb(std::size_t length) : buffer_(length) {}
  double Process(double in, double feedback, double damping) {
    const double out = buffer_[pos_];
    store_ = out * (1.0 - damping) + store_ * damping;
    buffer_[pos_] = in + store_ * feedback;
    pos_ = pos_ + 1 == buffer_.size() ? 0 : pos_ + 1;
    return out;
  }

 private:
  std::vector<double> buffer_;
  std::size_t pos_ = 0;
  double store_ = 0.0;
};

class Allpass {
 public:
  explicit Allpass(std::size_t length) : buffer_(length) {}
  double Process(double in) {
    const double delayed = buffer_[pos_];
    buffer_[pos_] = in + delayed * 0.5;
    pos_ = pos_ + 1 == buffer_.size() ? 0 : pos_ + 1;
    return delayed - in;
  }

 private:
  std::vector<double> buffer_;
  std::size_t pos_ = 0;
};

void ReverbChannel(const StereoBuffer& in, std::vector<float>& out, std::size_t spread,
                   double roomSize, double damping) {
  constexpr std::array<std::size_t, 8> kCombLengths = {1116, 1188, 1277, 1356,
                                                       1422, 1491, 1557, 1617};
  constexpr std::array<std::size_t, 4> kAllpassLengths = {556, 441, 341, 225};
  std::vector<Comb> combs;
  for (std::size_t length : kCombLengths) combs.emplace_back(length + spread);
  std::vector<Allpass> allpasses;
  for (std::size_t length : kAllpassLengths) allpasses.emplace_back(length + spread);
  const double feedback = 0.7 + 0.28 * roomSize;
  const double damp = 0.4 * damping;
  for (std::size_t i = 0; i < in.Frames(); ++i) {
    const double input = 0.015 * (in.left[i] + in.right[i]);
    double sum = 0.0;
    for (Comb& comb : combs) sum += comb.Process(input, feedback, damp);
    for (Allpass& allpass : allpasses) sum = allpass.Process(sum);
    out[i] += static_cast<float>(sum);
  }
}

}  // namespace

void Reverb(const StereoBuffer& in, StereoBuffer& out, double roomSize, double damping) {
  ReverbChannel(in, out.left, 0, roomSize, damping);
  ReverbChannel(in, out.right, 23, roomSize, damping);
}

double SoftLimit(double x, double knee, double ceiling) {
  const double magnitude = std::fabs(x);
  if (magnitude <= knee) return x;
  const double room = ceiling - knee;
  const double bent = knee + room * std::tanh((magnitude - knee) / room);
  return x < 0.0 ? -bent : bent;
}

}  // namespace musicgen

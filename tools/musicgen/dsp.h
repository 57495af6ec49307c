// Synthesiser building blocks: a seeded noise source, band-limited
// oscillators, envelopes, filters and the two send effects. Everything is
// plain double arithmetic with no clock or global state, so a render is the
// same bytes every time.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace musicgen {

// xorshift32: tiny, fast and identical on every platform.
class Rng {
 public:
  explicit Rng(std::uint32_t seed) : state_(seed ? seed : 0x9E3779B9u) {}
  std::uint32_t Next();
  double Bipolar();  // uniform in [-1, 1)

 private:
  std::uint32_t state_;
};

double MidiToHz(double note);

// Phase accumulator with band-limited waveforms (polyBLEP corrects the
// discontinuities, which keeps high notes free of aliasing whistles).
class Oscillator {
 public:
  explicit Oscillator(double phase = 0.0) : phase_(phase) {}
  double Sine(double hz);
  double Saw(double hz);
  // A pulse with its average removed, so narrow pulses add no DC.
  double Square(double hz, double pulseWidth = 0.5);
  double Phase() const { return phase_; }

 private:
  double Advance(double hz);  // returns the phase before advancing
  double phase_;
};

// Attack, decay to sustain while the gate is held, then release to exactly
// zero. Level() is a pure function of time, so a voice can be rendered
// sample by sample without carrying envelope state.
struct Adsr {
  double fAttack = 0.005;
  double fDecay = 0.1;
  double fSustain = 1.0;
  double fRelease = 0.1;

  double Level(double seconds, double gateSeconds) const;
  double Length(double gateSeconds) const { return gateSeconds + fRelease; }
};

// Two-pole state-variable filter (trapezoidal integration): stable under fast
// cutoff sweeps, which the score does all the time.
class Svf {
 public:
  void SetCutoff(double hz, double q);
  double Lowpass(double in) { Tick(in); return low_; }
  double Bandpass(double in) { Tick(in); return band_; }
  double Highpass(double in) { Tick(in); return in - k_ * band_ - low_; }

 private:
  void Tick(double in);
  double a1_ = 0, a2_ = 0, a3_ = 0, k_ = 1.4;
  double ic1_ = 0, ic2_ = 0, band_ = 0, low_ = 0;
};

class OnePoleLowpass {
 public:
  void SetCutoff(double hz);
  double Process(double in) { state_ += coeff_ * (in - state_); return state_; }

 private:
  double coeff_ = 1.0;
  double state_ = 0.0;
};

// Removes DC and sub-audio drift (a one-pole highpass at a few hertz).
class DcBlocker {
 public:
  double Process(double in) {
    state_ = in - previous_ + 0.9995 * state_;
    previous_ = in;
    return state_;
  }

 private:
  double previous_ = 0.0;
  double state_ = 0.0;
};

struct StereoBuffer {
  explicit StereoBuffer(std::size_t frames) : left(frames), right(frames) {}
  std::size_t Frames() const { return left.size(); }
  void Add(const StereoBuffer& other, double gain);

  std::vector<float> left;
  std::vector<float> right;
};

// Echo that alternates between the channels, darker on every repeat.
void PingPongDelay(const StereoBuffer& in, StereoBuffer& out, std::size_t delaySamples,
                   double feedback, double toneHz);

// Parallel comb filters into serial allpasses per channel; the right channel
// uses slightly longer lines so the tail is wide.
void Reverb(const StereoBuffer& in, StereoBuffer& out, double roomSize, double damping);

// Identity below the knee, then bends smoothly towards the ceiling, which it
// never passes: the master stage cannot clip whatever the mix does.
double SoftLimit(double x, double knee, double ceiling);

}  // namespace musicgen

// Instruments: a subtractive synth voice, an FM bell and drums made from
// noise and oscillators. Each note is rendered whole into the buses of its
// channel, starting at its sample on the bar grid.
#pragma once

#include <cstddef>
#include <functional>
#include <vector>

#include "dsp.h"

namespace musicgen {

// Where an instrument's notes go: the dry mix, the two effect sends, a
// stereo position and an optional side-chain gain curve (one value per frame).
struct Channel {
  StereoBuffer* pDry = nullptr;
  StereoBuffer* pReverb = nullptr;
  StereoBuffer* pEcho = nullptr;
  double fReverbSend = 0.0;
  double fEchoSend = 0.0;
  double fPan = 0.0;  // -1 left .. 1 right
  const std::vector<float>* pDuck = nullptr;

  void Write(std::size_t frame, double left, double right) const;
};

struct Note {
  double fBeat;      // start, in beats from the top of the piece
  double fBeats;     // gate length in beats
  double fPitch;     // MIDI note number
  double fVelocity;  // 0..1
};

struct SynthPatch {
  int iSawCount = 1;
  double fDetuneCents = 0.0;  // spread between the outermost saws
  double fSawLevel = 1.0;
  double fSquareLevel = 0.0;
  double fPulseWidth = 0.5;
  double fSubLevel = 0.0;  // sine an octave below
  double fStereoWidth = 0.0;
  Adsr amp;
  Adsr filterEnvelope;
  double fCutoffHz = 2000.0;
  double fEnvelopeOctaves = 0.0;
  double fResonance = 0.707;
  double fKeyTrack = 0.0;  // 1 = cutoff follows the pitch fully
  double fVibratoCents = 0.0;
  double fVibratoHz = 5.0;
  double fVibratoDelay = 0.3;
  double fGain = 0.2;
};

// Brightness: a cutoff multiplier as a function of the song position in beats.
using Automation = std::function<double(double beat)>;

void PlaySynth(const SynthPatch& patch, const Note& note, const Channel& channel,
               const Automation& brightness);

struct BellPatch {
  double fRatio = 3.5;       // modulator to carrier frequency
  double fIndex = 2.5;       // peak modulation index
  double fIndexDecay = 0.3;  // seconds
  double fDecay = 0.8;       // amplitude time constant, seconds
  double fGain = 0.2;
};

void PlayBell(const BellPatch& patch, const Note& note, const Channel& channel);

void PlayKick(double beat, double velocity, const Channel& channel);
void PlaySnare(double beat, double velocity, const Channel& channel, Rng& rng);
void PlayClap(double beat, double velocity, const Channel& channel, Rng& rng);
void PlayHat(double beat, double velocity, bool open, const Channel& channel, Rng& rng);
void PlayCrash(double beat, double velocity, const Channel& channel, Rng& rng);
// Noise swept upwards over the given number of beats, ending at beat + beats.
void PlayRiser(double beat, double beats, double velocity, const Channel& channel, Rng& rng);

}  // namespace musicgen

#include "song.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "voices.h"

namespace musicgen {

namespace {

constexpr double kPi = 3.14159265358979323846;

enum ChordName { Am, F, C, G, Dm, E };

struct Chord {
  int iBass;                 // MIDI root for the bass line
  std::array<int, 4> pad;    // close voicing around middle C
};

constexpr std::array<Chord, 6> kChords = {{
    {45, {57, 60, 64, 67}},  // A minor seventh
    {41, {53, 57, 60, 65}},  // F
    {48, {55, 60, 64, 67}},  // C
    {43, {55, 59, 62, 67}},  // G
    {38, {53, 57, 62, 65}},  // D minor
    {40, {52, 56, 59, 64}},  // E, the dominant that leads back to A minor
}};

constexpr int kBarCount = 41;

// One chord per bar. The intro moves at half speed; the build and the theme
// cycle A minor, F, C, G; the closing cadences home to the last chord.
constexpr std::array<ChordName, kBarCount> kProgression = {
    Am, Am, F,  F, C,  C, G,  G, Dm, E,   // intro
    Am, F,  C,  G, Am, F, C,  G, Dm, E,   // build
    Am, F,  C,  G, Am, F, C,  G,          // theme, first pass
    Am, F,  C,  G, Am, F, C,  G,          // theme, second pass with harmony
    F,  G,  Dm, E,                        // closing
    Am,                                   // last chord
};

constexpr int kBuildBar = kSections[1].iFirstBar;
constexpr int kThemeBar = kSections[2].iFirstBar;
constexpr int kClosingBar = kSections[3].iFirstBar;
constexpr int kFinalBar = kBarCount - 1;

struct MelodyNote {
  int iBar;
  double fBeat;
  double fBeats;
  int iPitch;
};

// Eight bars over A minor, F, C, G, twice.
constexpr std::array<MelodyNote, 33> kTheme = {{
    {0, 0, 1.5, 76}, {0, 1.5, 0.5, 74}, {0, 2, 1, 72}, {0, 3, 0.5, 71}, {0, 3.5, 0.5, 72},
    {1, 0, 3, 69}, {1, 3, 0.5, 72}, {1, 3.5, 0.5, 74},
    {2, 0, 1.5, 76}, {2, 1.5, 0.5, 74}, {2, 2, 1, 72}, {2, 3, 1, 79},
    {3, 0, 3, 74}, {3, 3, 0.5, 71}, {3, 3.5, 0.5, 74},
    {4, 0, 1.5, 76}, {4, 1.5, 0.5, 74}, {4, 2, 1, 72}, {4, 3, 0.5, 76}, {4, 3.5, 0.5, 77},
    {5, 0, 1.5, 81}, {5, 1.5, 0.5, 79}, {5, 2, 1, 77}, {5, 3, 0.5, 76}, {5, 3.5, 0.5, 77},
    {6, 0, 1.5, 79}, {6, 1.5, 0.5, 76}, {6, 2, 1, 72}, {6, 3, 0.5, 74}, {6, 3.5, 0.5, 76},
    {7, 0, 2, 74}, {7, 2, 1, 71}, {7, 3, 1, 74},
}};

const Chord& ChordAt(int bar) { return kChords[kProgression[std::clamp(bar, 0, kBarCount - 1)]]; }

// Exponential move from one value to another between two bars, held outside.
double Sweep(double beat, double fromBar, double toBar, double from, double to) {
  const double x = std::clamp((beat / 4.0 - fromBar) / (toBar - fromBar), 0.0, 1.0);
  return from * std::pow(to / from, x);
}

SynthPatch PadPatch(double attack) {
  SynthPatch patch;
  patch.iSawCount = 4;
  patch.fDetuneCents = 22.0;
  patch.fStereoWidth = 0.9;
  patch.amp = {attack, 0.6, 0.8, 0.9};
  patch.filterEnvelope = {0.8, 1.2, 0.3, 1.0};
  patch.fCutoffHz = 1500.0;
  patch.fEnvelopeOctaves = 0.6;
  patch.fResonance = 0.9;
  patch.fGain = 0.085;
  return patch;
}

SynthPatch ArpPatch() {
  SynthPatch patch;
  patch.fSquareLevel = 0.9;
  patch.fPulseWidth = 0.35;
  patch.amp = {0.002, 0.16, 0.25, 0.08};
  patch.filterEnvelope = {0.001, 0.12, 0.0, 0.1};
  patch.fCutoffHz = 450.0;
  patch.fEnvelopeOctaves = 3.0;
  patch.fResonance = 1.6;
  patch.fKeyTrack = 0.5;
  patch.fGain = 0.17;
  return patch;
}

SynthPatch BassPatch(bool sustained) {
  SynthPatch patch;
  patch.iSawCount = 2;
  patch.fDetuneCents = 10.0;
  patch.fSquareLevel = 0.4;
  patch.fSubLevel = 1.4;
  patch.amp = sustained ? Adsr{0.02, 0.6, 0.7, 0.6} : Adsr{0.003, 0.12, 0.6, 0.05};
  patch.filterEnvelope = sustained ? Adsr{0.01, 1.0, 0.2, 0.5} : Adsr{0.001, 0.1, 0.0, 0.05};
  patch.fCutoffHz = 200.0;
  patch.fEnvelopeOctaves = sustained ? 1.5 : 2.6;
  patch.fResonance = 1.2;
  patch.fGain = 0.3;
  return patch;
}

SynthPatch LeadPatch() {
  SynthPatch patch;
  patch.iSawCount = 3;
  patch.fDetuneCents = 16.0;
  patch.fStereoWidth = 0.5;
  patch.fSquareLevel = 0.5;
  patch.amp = {0.012, 0.3, 0.75, 0.25};
  patch.filterEnvelope = {0.005, 0.4, 0.3, 0.3};
  patch.fCutoffHz = 1300.0;
  patch.fEnvelopeOctaves = 1.5;
  patch.fResonance = 1.0;
  patch.fKeyTrack = 0.5;
  patch.fVibratoCents = 18.0;
  patch.fVibratoHz = 5.2;
  patch.fVibratoDelay = 0.25;
  patch.fGain = 0.22;
  return patch;
}

// Gain that dips on every kick and recovers over a quarter second: the
// pumping that glues the pads and bass to the beat.
void DuckUnderKick(std::vector<float>& duck, double beat, double depth) {
  const std::size_t start = SampleAtBeat(beat);
  const std::size_t attack = SampleAtSeconds(0.004);
  const std::size_t length = SampleAtSeconds(0.26);
  for (std::size_t i = 0; i < length && start + i < duck.size(); ++i) {
    const double x = static_cast<double>(i) / length;
    const double onset = std::min(1.0, static_cast<double>(i) / attack);
    const double gain = 1.0 - depth * onset * (1.0 - x) * (1.0 - x);
    duck[start + i] = std::min(duck[start + i], static_cast<float>(gain));
  }
}

struct Mix {
  StereoBuffer dry{kSongFrames};
  StereoBuffer reverb{kSongFrames};
  StereoBuffer echo{kSongFrames};
  std::vector<float> duck = std::vector<float>(kSongFrames, 1.0f);

  Channel Make(double reverbSend, double echoSend, double pan, bool ducked) {
    Channel channel;
    channel.pDry = &dry;
    channel.pReverb = &reverb;
    channel.pEcho = &echo;
    channel.fReverbSend = reverbSend;
    channel.fEchoSend = echoSend;
    channel.fPan = pan;
    channel.pDuck = ducked ? &duck : nullptr;
    return channel;
  }
};

void WriteDrums(Mix& mix, Rng& rng) {
  const Channel kick = mix.Make(0.0, 0.0, 0.0, false);
  const Channel snare = mix.Make(0.25, 0.0, 0.0, false);
  const Channel clap = mix.Make(0.3, 0.0, -0.1, false);
  const Channel hat = mix.Make(0.06, 0.0, 0.25, false);
  const Channel crash = mix.Make(0.2, 0.0, 0.0, false);
  const Channel riser = mix.Make(0.4, 0.0, 0.0, false);

  const auto kickOn = [&](double beat, double velocity) {
    PlayKick(beat, velocity, kick);
    DuckUnderKick(mix.duck, beat, 0.6);
  };

  // Intro: a hint of hats over the last bars, a sweep into the build.
  for (int bar = 6; bar < kBuildBar; ++bar) {
    for (int eighth = 1; eighth < 8; eighth += 2) {
      PlayHat(bar * 4 + eighth * 0.5, 0.1 + 0.04 * (bar - 6), false, hat, rng);
    }
  }
  PlayRiser(8 * 4, 8.0, 0.22, riser, rng);

  // Build: the kick arrives with the bass, the hats double up, claps join
  // half way, and a snare roll and sweep climb into the theme.
  PlayCrash(kBuildBar * 4, 0.45, crash, rng);
  for (int bar = kBuildBar; bar < kThemeBar; ++bar) {
    const int beats = bar == kThemeBar - 1 ? 3 : 4;
    const double drive = 0.8 + 0.2 * (bar - kBuildBar) / (kThemeBar - kBuildBar);
    for (int beat = 0; beat < beats; ++beat) kickOn(bar * 4 + beat, drive);
    const bool sixteenths = bar >= 14;
    for (int step = 0; step < 16; ++step) {
      if (!sixteenths && step % 4 != 2) continue;
      const double velocity = step % 4 == 2 ? 0.3 : 0.16;
      PlayHat(bar * 4 + step * 0.25, velocity, false, hat, rng);
    }
    if (bar >= 14 && bar < 18) {
      PlayClap(bar * 4 + 1, 0.5, clap, rng);
      PlayClap(bar * 4 + 3, 0.5, clap, rng);
    }
  }
  // The roll doubles its pace twice and stops half a beat before the theme.
  const int rollBar = kThemeBar - 2;
  for (int step = 0; step < 8; ++step) PlaySnare(rollBar * 4 + step * 0.5, 0.2 + 0.02 * step, snare, rng);
  for (int step = 0; step < 8; ++step) PlaySnare((rollBar + 1) * 4 + step * 0.25, 0.34 + 0.02 * step, snare, rng);
  for (int step = 0; step < 12; ++step) {
    PlaySnare((rollBar + 1) * 4 + 2 + step * 0.125, 0.42 + 0.02 * step, snare, rng);
  }
  PlayRiser(rollBar * 4, 7.5, 0.28, riser, rng);

  // Theme: the full kit, a crash at the top of each pass, fills at the ends.
  for (int bar = kThemeBar; bar < kClosingBar; ++bar) {
    if ((bar - kThemeBar) % 8 == 0) PlayCrash(bar * 4, 0.6, crash, rng);
    for (int beat = 0; beat < 4; ++beat) kickOn(bar * 4 + beat, 1.0);
    PlaySnare(bar * 4 + 1, 0.55, snare, rng);
    PlaySnare(bar * 4 + 3, 0.55, snare, rng);
    PlayClap(bar * 4 + 1, 0.35, clap, rng);
    PlayClap(bar * 4 + 3, 0.35, clap, rng);
    for (int step = 0; step < 16; ++step) {
      const bool open = step % 4 == 2;
      const double velocity = open ? 0.22 : (step % 2 == 0 ? 0.2 : 0.13);
      PlayHat(bar * 4 + step * 0.25, velocity, open, hat, rng);
    }
  }
  for (int step = 0; step < 4; ++step) PlaySnare(27 * 4 + 3 + step * 0.25, 0.3 + 0.05 * step, snare, rng);
  for (int step = 0; step < 8; ++step) PlaySnare(35 * 4 + 2 + step * 0.25, 0.3 + 0.04 * step, snare, rng);

  // Closing: one last hit, then the drums fall silent; the last chord gets a
  // soft kick under it.
  PlayCrash(kClosingBar * 4, 0.5, crash, rng);
  kickOn(kClosingBar * 4, 1.0);
  PlayKick(kFinalBar * 4, 0.6, kick);
}

void WritePads(Mix& mix) {
  const Channel pad = mix.Make(0.5, 0.0, 0.0, true);
  const Automation brightness = [](double beat) {
    if (beat < kBuildBar * 4) return Sweep(beat, 0, kBuildBar, 0.15, 1.0);
    if (beat < kThemeBar * 4) return Sweep(beat, kBuildBar, kThemeBar, 0.8, 1.2);
    if (beat < kClosingBar * 4) return 1.3;
    return Sweep(beat, kClosingBar, kFinalBar + 1, 1.0, 0.35);
  };
  // The intro holds its chords for two bars with a slow swell, then turns
  // to D minor and E for a bar each.
  const SynthPatch intro = PadPatch(1.4);
  for (int bar = 0; bar < kBuildBar; ++bar) {
    if (bar < 8 && bar % 2 == 1) continue;
    const double beats = bar < 8 ? 8.0 : 4.0;
    for (int note : ChordAt(bar).pad) PlaySynth(intro, {bar * 4.0, beats, double(note), 0.9}, pad, brightness);
  }
  const SynthPatch body = PadPatch(0.25);
  for (int bar = kBuildBar; bar < kFinalBar; ++bar) {
    for (int note : ChordAt(bar).pad) PlaySynth(body, {bar * 4.0, 4.0, double(note), 0.8}, pad, brightness);
  }
  const SynthPatch last = PadPatch(0.05);
  for (int note : {57, 60, 64, 71}) PlaySynth(last, {kFinalBar * 4.0, 3.0, double(note), 0.9}, pad, brightness);
}

void WriteArpeggio(Mix& mix) {
  const Channel arp = mix.Make(0.18, 0.35, -0.15, true);
  const Automation brightness = [](double beat) {
    if (beat < kBuildBar * 4) return Sweep(beat, 4, kBuildBar, 0.25, 0.8);
    if (beat < kThemeBar * 4) return Sweep(beat, kBuildBar, kThemeBar, 0.8, 2.0);
    if (beat < kClosingBar * 4) return 1.3;
    return Sweep(beat, kClosingBar, kFinalBar, 1.2, 0.5);
  };
  const SynthPatch patch = ArpPatch();
  constexpr std::array<int, 16> kPattern = {0, 1, 2, 3, 4, 3, 2, 1, 0, 1, 2, 3, 5, 3, 2, 1};
  for (int bar = 4; bar < kFinalBar; ++bar) {
    const Chord& chord = ChordAt(bar);
    const std::array<int, 6> tones = {chord.pad[0] + 12, chord.pad[1] + 12, chord.pad[2] + 12,
                                      chord.pad[3] + 12, chord.pad[0] + 24, chord.pad[1] + 24};
    double level = 1.0;
    if (bar < kBuildBar) level = 0.35 + 0.1 * (bar - 4);
    else if (bar >= kThemeBar && bar < kClosingBar) level = 0.75;
    else if (bar >= kClosingBar) level = 0.8 - 0.15 * (bar - kClosingBar);
    // The closing slows to eighths, as if winding down.
    const int stride = bar >= kClosingBar ? 2 : 1;
    for (int step = 0; step < 16; step += stride) {
      const double accent = step % 4 == 0 ? 1.0 : 0.7;
      const double beat = bar * 4 + step * 0.25;
      PlaySynth(patch, {beat, 0.18 * stride, double(tones[kPattern[step]]), level * accent}, arp, brightness);
    }
  }
}

void WriteBass(Mix& mix) {
  const Channel bass = mix.Make(0.0, 0.0, 0.0, true);
  const Automation brightness = [](double beat) {
    if (beat < kThemeBar * 4) return Sweep(beat, kBuildBar, kThemeBar, 0.6, 1.1);
    return 1.1;
  };
  // A galloping line between the kicks: root, octave, root.
  const SynthPatch rolling = BassPatch(false);
  for (int bar = kBuildBar; bar < kClosingBar; ++bar) {
    const int root = ChordAt(bar).iBass;
    const int beats = bar == kThemeBar - 1 ? 3 : 4;
    // The line grows through the build and is at full strength for the theme.
    const double drive = bar < kThemeBar ? 0.65 + 0.35 * (bar - kBuildBar) / (kThemeBar - kBuildBar) : 1.0;
    for (int beat = 0; beat < beats; ++beat) {
      const double at = bar * 4 + beat;
      PlaySynth(rolling, {at + 0.25, 0.2, double(root), 0.9 * drive}, bass, brightness);
      PlaySynth(rolling, {at + 0.5, 0.2, double(root + 12), 0.75 * drive}, bass, brightness);
      PlaySynth(rolling, {at + 0.75, 0.2, double(root), 0.85 * drive}, bass, brightness);
    }
  }
  const SynthPatch held = BassPatch(true);
  for (int bar = kClosingBar; bar < kFinalBar; ++bar) {
    PlaySynth(held, {bar * 4.0, 3.8, double(ChordAt(bar).iBass), 0.8}, bass, brightness);
  }
  PlaySynth(held, {kFinalBar * 4.0, 3.0, 45.0, 0.8}, bass, brightness);
}

void WriteLead(Mix& mix) {
  const Channel lead = mix.Make(0.3, 0.28, -0.05, false);
  const Channel harmony = mix.Make(0.35, 0.2, 0.35, false);
  const Automation brightness = [](double) { return 1.0; };
  const SynthPatch patch = LeadPatch();
  SynthPatch second = patch;
  second.fGain *= 0.55;
  for (int pass = 0; pass < 2; ++pass) {
    const int firstBar = kThemeBar + 8 * pass;
    for (const MelodyNote& m : kTheme) {
      const double beat = (firstBar + m.iBar) * 4 + m.fBeat;
      // Legato: each note is held to just before the next.
      const double gate = m.fBeats * 0.92;
      PlaySynth(patch, {beat, gate, double(m.iPitch), 0.9}, lead, brightness);
      if (pass == 1) PlaySynth(second, {beat, gate, double(ThirdBelow(m.iPitch)), 0.9}, harmony, brightness);
    }
  }
}

void WriteBells(Mix& mix) {
  const Channel bell = mix.Make(0.45, 0.45, 0.25, false);
  const BellPatch patch;
  // A falling figure on the chord tones opens and closes the piece.
  const auto figure = [&](int bar, double velocity) {
    const Chord& chord = ChordAt(bar);
    const std::array<int, 3> notes = {chord.pad[3] + 12, chord.pad[2] + 12, chord.pad[1] + 12};
    for (int k = 0; k < 3; ++k) {
      PlayBell(patch, {bar * 4 + k * 1.5, 1.5, double(notes[k]), velocity * (1.0 - 0.2 * k)}, bell);
    }
  };
  for (int bar = 2; bar < kBuildBar; ++bar) figure(bar, 0.8);
  // In the closing each figure is softer than the last, like a swing dying down.
  for (int bar = kClosingBar; bar < kFinalBar; ++bar) figure(bar, 0.8 - 0.12 * (bar - kClosingBar));
  BellPatch last = patch;
  last.fDecay = 1.1;
  for (int note : {69, 76, 84}) PlayBell(last, {kFinalBar * 4.0, 4.0, double(note), 0.6}, bell);
}

}  // namespace

int ThirdBelow(int pitch) {
  constexpr std::array<int, 7> kScale = {0, 2, 3, 5, 7, 8, 10};  // from A
  const int relative = pitch - 57;
  const int octave = relative >= 0 ? relative / 12 : (relative - 11) / 12;
  const int inOctave = relative - 12 * octave;
  int degree = 0;
  while (degree < 6 && kScale[degree + 1] <= inOctave) ++degree;
  const int target = degree + 5;  // two steps down = five up, an octave lower
  return 57 + 12 * (octave - 1) + 12 * (target / 7) + kScale[target % 7];
}

StereoBuffer RenderMix() {
  Mix mix;
  Rng rng(0x56494D52u);
  // Drums first: their kicks shape the side-chain curve the others read.
  WriteDrums(mix, rng);
  WritePads(mix);
  WriteArpeggio(mix);
  WriteBass(mix);
  WriteLead(mix);
  WriteBells(mix);

  StereoBuffer out = mix.dry;
  // A dotted-eighth echo, darker on each repeat.
  PingPongDelay(mix.echo, out, SampleAtBeat(0.75), 0.42, 3500.0);
  StereoBuffer wet(kSongFrames);
  Reverb(mix.reverb, wet, 0.86, 0.45);
  out.Add(wet, 2.5);
  return out;
}

std::vector<std::int16_t> Master(const StereoBuffer& mix) {
  constexpr double kGain = 1.0;
  constexpr double kKnee = 0.5;
  constexpr double kCeiling = 0.75;  // -2.5 dBFS, leaving room for the MP3 encoder's overshoot
  const double fadeStart = static_cast<double>(SampleAtBar(kFinalBar));
  const double fadeEnd = static_cast<double>(SampleAtSeconds(kSilentFromSeconds));
  std::vector<std::int16_t> out(2 * mix.Frames());
  DcBlocker dcLeft, dcRight;
  for (std::size_t i = 0; i < mix.Frames(); ++i) {
    double fade = 1.0;
    if (i >= fadeEnd) {
      fade = 0.0;
    } else if (i > fadeStart) {
      const double x = (i - fadeStart) / (fadeEnd - fadeStart);
      fade = std::cos(0.5 * kPi * x) * std::cos(0.5 * kPi * x);
    }
    const double left = SoftLimit(kGain * dcLeft.Process(mix.left[i]), kKnee, kCeiling) * fade;
    const double right = SoftLimit(kGain * dcRight.Process(mix.right[i]), kKnee, kCeiling) * fade;
    out[2 * i] = static_cast<std::int16_t>(std::lround(left * 32767.0));
    out[2 * i + 1] = static_cast<std::int16_t>(std::lround(right * 32767.0));
  }
  return out;
}

std::vector<std::int16_t> RenderSong() { return Master(RenderMix()); }

}  // namespace musicgen

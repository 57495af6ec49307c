// Building blocks of the music synthesiser whose faults would not be heard
// as an error, only as clicks, drift or a piece that no longer fits the demo.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "dsp.h"
#include "grid.h"
#include "sha256.h"
#include "song.h"
#include "voices.h"
#include "wav_file.h"

namespace {

using namespace musicgen;

struct EnvelopeCase {
  const char* pName;
  Adsr adsr;
  double fGate;
};

const EnvelopeCase kEnvelopeCases[] = {
    {"held past decay", {0.01, 0.1, 0.6, 0.3}, 0.5},
    {"released during attack", {0.2, 0.1, 0.6, 0.3}, 0.05},
    {"released during decay", {0.01, 0.5, 0.2, 0.1}, 0.1},
    {"percussive, no sustain", {0.002, 0.15, 0.0, 0.08}, 0.09},
    {"instant release", {0.01, 0.1, 0.8, 0.0}, 0.2},
};

TEST(Envelope, ReachesZeroExactlyAtReleaseEndAndStaysInRange) {
  for (const EnvelopeCase& c : kEnvelopeCases) {
    SCOPED_TRACE(c.pName);
    const double end = c.adsr.Length(c.fGate);
    EXPECT_EQ(c.adsr.Level(end, c.fGate), 0.0);
    EXPECT_EQ(c.adsr.Level(end + 1.0, c.fGate), 0.0);
    EXPECT_EQ(c.adsr.Level(-0.001, c.fGate), 0.0);
    for (double t = 0.0; t < end; t += 0.0005) {
      const double level = c.adsr.Level(t, c.fGate);
      ASSERT_GE(level, 0.0) << t;
      ASSERT_LE(level, 1.0) << t;
    }
  }
}

TEST(Envelope, ReleaseStartsFromTheLevelReachedWithoutAJump) {
  for (const EnvelopeCase& c : kEnvelopeCases) {
    if (c.adsr.fRelease == 0.0) continue;
    SCOPED_TRACE(c.pName);
    const double before = c.adsr.Level(c.fGate - 1e-7, c.fGate);
    const double after = c.adsr.Level(c.fGate + 1e-7, c.fGate);
    EXPECT_NEAR(before, after, 1e-3);
  }
}

TEST(Grid, SceneChangesLandOnTheirSamples) {
  // The demo's scenes change at 0, 20.75, 41.5 and 74.7 s of demo clock.
  const std::size_t kSceneSamples[] = {0, 915075, 1830150, 3294270};
  for (std::size_t k = 0; k < kSections.size(); ++k) {
    SCOPED_TRACE(kSections[k].pName);
    EXPECT_EQ(SampleAtBar(kSections[k].iFirstBar), kSceneSamples[k]);
  }
  EXPECT_EQ(SampleAtBar(2), SampleAtSeconds(4.15));  // one timeline unit
  EXPECT_EQ(SampleAtBeat(41 * 4), SampleAtSeconds(85.075));
  EXPECT_NEAR(kTempoBpm, 115.66, 0.005);
}

TEST(SoftLimit, PassesQuietSignalAndNeverPassesTheCeiling) {
  constexpr double kKnee = 0.55, kCeiling = 0.84;
  for (double x : {0.0, 0.1, -0.3, 0.55, -0.55}) EXPECT_EQ(SoftLimit(x, kKnee, kCeiling), x);
  double previous = 0.0;
  for (double x : {0.56, 0.7, 0.9, 1.5, 4.0, 1e3, 1e9}) {
    const double y = SoftLimit(x, kKnee, kCeiling);
    EXPECT_GE(y, previous) << x;
    EXPECT_LE(y, kCeiling) << x;
    EXPECT_EQ(SoftLimit(-x, kKnee, kCeiling), -y);
    previous = y;
  }
  EXPECT_LT(SoftLimit(2.0, kKnee, kCeiling), kCeiling);  // still bending, not flat
}

double SineGainThroughLowpass(double toneHz, double cutoffHz, double q) {
  Svf filter;
  filter.SetCutoff(cutoffHz, q);
  Oscillator tone;
  double peak = 0.0;
  for (int i = 0; i < kSampleRate; ++i) {
    const double out = filter.Lowpass(tone.Sine(toneHz));
    if (i > kSampleRate / 2) peak = std::max(peak, std::fabs(out));
  }
  return peak;
}

TEST(Filter, LowpassKeepsTheBandBelowCutoffAndCutsAbove) {
  EXPECT_NEAR(SineGainThroughLowpass(50.0, 2000.0, 0.707), 1.0, 0.01);
  EXPECT_LT(SineGainThroughLowpass(8000.0, 1000.0, 0.707), 0.02);   // three octaves: about -36 dB
  EXPECT_GT(SineGainThroughLowpass(1000.0, 1000.0, 4.0), 3.0);      // resonance peaks at cutoff
}

TEST(Filter, StaysBoundedWhenSweptHardWithResonance) {
  Svf filter;
  Rng rng(7);
  double peak = 0.0;
  for (int i = 0; i < kSampleRate; ++i) {
    if (i % 32 == 0) filter.SetCutoff(i % 64 == 0 ? 30.0 : 30000.0, 8.0);
    peak = std::max(peak, std::fabs(filter.Lowpass(rng.Bipolar())));
  }
  EXPECT_TRUE(std::isfinite(peak));
  EXPECT_LT(peak, 50.0);
}

int ZeroCrossingsPerSecond(double (*wave)(Oscillator&, double), double hz) {
  Oscillator oscillator(0.25);
  int crossings = 0;
  double previous = wave(oscillator, hz);
  for (int i = 1; i < kSampleRate; ++i) {
    const double value = wave(oscillator, hz);
    if ((previous < 0.0) != (value < 0.0)) ++crossings;
    previous = value;
  }
  return crossings;
}

TEST(Oscillator, RunsAtItsFrequencyWithinFullScale) {
  const auto saw = [](Oscillator& o, double hz) { return o.Saw(hz); };
  const auto square = [](Oscillator& o, double hz) { return o.Square(hz, 0.3); };
  for (double hz : {55.0, 440.0, 3520.0}) {
    EXPECT_NEAR(ZeroCrossingsPerSecond(saw, hz), 2 * hz, 2) << hz;
    EXPECT_NEAR(ZeroCrossingsPerSecond(square, hz), 2 * hz, 2) << hz;
  }
  Oscillator oscillator;
  for (int i = 0; i < kSampleRate; ++i) ASSERT_LE(std::fabs(oscillator.Saw(5000.0)), 1.0 + 1e-9);
}

TEST(Oscillator, NarrowPulsesCarryNoDc) {
  for (double width : {0.1, 0.35, 0.5, 0.8}) {
    Oscillator oscillator;
    double sum = 0.0;
    for (int i = 0; i < kSampleRate; ++i) sum += oscillator.Square(441.0, width);
    EXPECT_NEAR(sum / kSampleRate, 0.0, 0.01) << width;
  }
}

TEST(DcBlocker, RemovesAnOffsetAndKeepsTheBass) {
  DcBlocker blocker;
  Oscillator tone;
  double peak = 0.0, sum = 0.0;
  for (int i = 0; i < 2 * kSampleRate; ++i) {
    const double out = blocker.Process(0.3 + tone.Sine(50.0));
    if (i >= kSampleRate) {
      peak = std::max(peak, std::fabs(out));
      sum += out;
    }
  }
  EXPECT_NEAR(sum / kSampleRate, 0.0, 0.005);
  EXPECT_NEAR(peak, 1.0, 0.02);
}

TEST(Voice, WritesOnlyBetweenItsStartAndTheEndOfItsRelease) {
  StereoBuffer dry(SampleAtBeat(8));
  Channel channel;
  channel.pDry = &dry;
  SynthPatch patch;
  patch.amp = {0.01, 0.1, 0.7, 0.2};
  PlaySynth(patch, {2.0, 1.0, 57.0, 1.0}, channel, [](double) { return 1.0; });
  const std::size_t start = SampleAtBeat(2.0);
  const std::size_t end = start + SampleAtSeconds(patch.amp.Length(kBeatSeconds));
  double inside = 0.0;
  for (std::size_t i = 0; i < dry.Frames(); ++i) {
    if (i < start || i >= end) {
      ASSERT_EQ(dry.left[i], 0.0f) << i;
    } else {
      inside = std::max(inside, static_cast<double>(std::fabs(dry.left[i])));
    }
  }
  EXPECT_GT(inside, 0.05);
  EXPECT_LT(std::fabs(dry.left[end - 1]), 1e-4);  // faded, not cut
}

TEST(Voice, NotesPastTheEndOfTheBufferAreDropped) {
  StereoBuffer dry(1000);
  Channel channel;
  channel.pDry = &dry;
  PlayKick(100.0, 1.0, channel);
  for (float sample : dry.left) ASSERT_EQ(sample, 0.0f);
}

TEST(Wav, HeaderDescribesSixteenBitStereoAtTheSampleRate) {
  const std::vector<unsigned char> bytes = EncodeWav(2, kSampleRate, {1, -2, 0x1234, -32768});
  ASSERT_EQ(bytes.size(), 44u + 8u);
  const auto u32 = [&](std::size_t at) {
    return bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 | std::uint32_t(bytes[at + 3]) << 24;
  };
  const auto u16 = [&](std::size_t at) { return bytes[at] | bytes[at + 1] << 8; };
  EXPECT_EQ(std::string(bytes.begin(), bytes.begin() + 4), "RIFF");
  EXPECT_EQ(u32(4), 44u + 8u - 8u);
  EXPECT_EQ(std::string(bytes.begin() + 8, bytes.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(u16(20), 1);      // PCM
  EXPECT_EQ(u16(22), 2);      // channels
  EXPECT_EQ(u32(24), 44100u);
  EXPECT_EQ(u32(28), 44100u * 4);
  EXPECT_EQ(u16(32), 4);      // bytes per frame
  EXPECT_EQ(u16(34), 16);
  EXPECT_EQ(u32(40), 8u);
  EXPECT_EQ(bytes[44], 1);
  EXPECT_EQ(u16(46), 0xFFFE);  // -2, little-endian
  EXPECT_EQ(u16(48), 0x1234);
  EXPECT_EQ(u16(50), 0x8000);
}

TEST(Harmony, ThirdBelowStaysInAMinorInEveryOctave) {
  struct Case {
    int iPitch, iExpected;
  };
  const Case kCases[] = {
      {76, 72}, {74, 71}, {72, 69}, {71, 67}, {69, 65}, {67, 64}, {65, 62},  // E5 .. F4
      {81, 77}, {84, 81}, {57, 53}, {48, 45}, {45, 41},                      // other octaves
  };
  for (const Case& c : kCases) EXPECT_EQ(ThirdBelow(c.iPitch), c.iExpected) << c.iPitch;
}

TEST(Effects, PingPongEchoAlternatesSidesAndFades) {
  constexpr std::size_t kDelay = 1000;
  StereoBuffer in(5000), out(5000);
  in.left[0] = in.right[0] = 1.0f;
  PingPongDelay(in, out, kDelay, 0.5, 20000.0);
  EXPECT_EQ(out.left[0], 0.0f);  // wet only: the dry signal stays with the caller
  EXPECT_NEAR(out.left[kDelay], 1.0f, 1e-6);
  EXPECT_EQ(out.right[kDelay], 0.0f);
  const float second = out.right[2 * kDelay] + out.right[2 * kDelay + 1];
  const float third = out.left[3 * kDelay] + out.left[3 * kDelay + 1] + out.left[3 * kDelay + 2];
  EXPECT_GT(second, 0.3f);
  EXPECT_LT(second, 0.55f);
  EXPECT_LT(third, second);
  EXPECT_EQ(out.left[2 * kDelay - 1], 0.0f);
}

TEST(Effects, ReverbTailDecaysAndIsWide) {
  StereoBuffer in(4 * kSampleRate), out(4 * kSampleRate);
  in.left[0] = in.right[0] = 1.0f;
  Reverb(in, out, 0.86, 0.45);
  const auto energy = [&](const std::vector<float>& channel, int fromSecond) {
    double sum = 0.0;
    for (int i = fromSecond * kSampleRate; i < (fromSecond + 1) * kSampleRate; ++i) sum += channel[i] * channel[i];
    return sum;
  };
  EXPECT_GT(energy(out.left, 0), 0.0);
  EXPECT_LT(energy(out.left, 3), 0.01 * energy(out.left, 0));
  int differing = 0;
  for (int i = 0; i < kSampleRate; ++i) differing += out.left[i] != out.right[i];
  EXPECT_GT(differing, kSampleRate / 2);
}

TEST(Noise, SeededSequenceRepeatsAndIsCentred) {
  Rng a(42), b(42), c(43);
  double sum = 0.0;
  bool differs = false;
  for (int i = 0; i < 100000; ++i) {
    const double value = a.Bipolar();
    ASSERT_EQ(value, b.Bipolar());
    differs |= value != c.Bipolar();
    ASSERT_GE(value, -1.0);
    ASSERT_LT(value, 1.0);
    sum += value;
  }
  EXPECT_TRUE(differs);
  EXPECT_NEAR(sum / 100000, 0.0, 0.01);
  EXPECT_NE(Rng(0).Next(), 0u);  // a zero seed would stick at zero
}

// The regeneration check leans on this hash; the padding edge lengths
// (55, 56 and 64 bytes) are where a hand-written one usually breaks.
TEST(Sha256, MatchesKnownDigests) {
  const auto hash = [](const std::string& text) {
    return Sha256Hex(std::vector<std::uint8_t>(text.begin(), text.end()));
  };
  EXPECT_EQ(hash(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
  EXPECT_EQ(hash("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(hash("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
            "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
  EXPECT_EQ(hash(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
  EXPECT_EQ(hash(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
  EXPECT_EQ(hash(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
  EXPECT_EQ(hash(std::string(1000, 'a')), "41edece42d63e8d9bf515a9ba6932e1c20cbc9f5a5d134645adb5db1b9737ea3");
}

}  // namespace

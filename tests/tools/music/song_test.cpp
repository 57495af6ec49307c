// The rendered piece: regenerates the committed music bit for bit, fits the
// demo's length and never clips. Rendered once for the whole group.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "grid.h"
#include "sha256.h"
#include "song.h"
#include "wav_file.h"

namespace {

using namespace musicgen;

const std::vector<std::int16_t>& Song() {
  static const std::vector<std::int16_t> samples = RenderSong();
  return samples;
}

double RmsOf(std::size_t firstFrame, std::size_t endFrame) {
  double sum = 0.0;
  for (std::size_t i = 2 * firstFrame; i < 2 * endFrame; ++i) sum += double(Song()[i]) * Song()[i];
  return std::sqrt(sum / (2.0 * (endFrame - firstFrame))) / 32768.0;
}

TEST(Song, RegeneratesTheCommittedWav) {
  const char* pData = std::getenv("VIMRA_DATA");
  std::ifstream file(std::string(pData ? pData : VIMRA_SOURCE_DATA) + "/demodemo.wav.sha256");
  ASSERT_TRUE(file) << "data/demodemo.wav.sha256 is missing";
  std::string expected;
  file >> expected;
  EXPECT_EQ(Sha256Hex(EncodeWav(2, kSampleRate, Song())), expected)
      << "the music no longer renders to the committed bytes; run tools/musicgen/make-music.sh";
}

// Length, ending, headroom and the level steps at the scene changes, all
// read from the one render.
TEST(Song, FitsTheDemoWithoutClipping) {
  const std::size_t frames = Song().size() / 2;
  EXPECT_GE(frames, SampleAtSeconds(85.1));

  const std::size_t silentFrom = SampleAtSeconds(kSilentFromSeconds);
  ASSERT_LE(kSilentFromSeconds, 85.1);
  for (std::size_t i = 2 * silentFrom; i < Song().size(); ++i) ASSERT_EQ(Song()[i], 0) << i / 2;
  // The last chord fades away rather than stopping dead.
  EXPECT_LT(RmsOf(silentFrom - SampleAtSeconds(0.05), silentFrom), 0.002);
  EXPECT_GT(RmsOf(SampleAtBar(40), SampleAtBar(40.5)), 0.03);

  const int ceiling = static_cast<int>(32768.0 * std::pow(10.0, -1.0 / 20.0));
  int peak = 0;
  for (std::int16_t sample : Song()) peak = std::max(peak, std::abs(int(sample)));
  EXPECT_LT(peak, ceiling);
  EXPECT_GT(peak, ceiling / 2);  // and the master gain did not collapse

  // Intro quieter than the build, drums gone in the closing; the theme keeps
  // the build's level but changes its material, which the hash guards.
  const double intro = RmsOf(SampleAtBar(6), SampleAtBar(8));
  const double build = RmsOf(SampleAtBar(10), SampleAtBar(12));
  const double theme = RmsOf(SampleAtBar(34), SampleAtBar(36));
  const double closing = RmsOf(SampleAtBar(36.5), SampleAtBar(38.5));
  EXPECT_GT(build, intro * 1.25);
  EXPECT_LT(closing, theme * 0.8);
}

}  // namespace

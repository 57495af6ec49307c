// Renders the demo's music to a WAV file and prints a level sheet: the RMS
// of every timeline unit (two bars), so the structure can be checked without
// listening, and the peak of the whole piece.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>

#include "song.h"
#include "tool_io.h"
#include "wav_file.h"

namespace {

double Decibels(double value) { return value > 0.0 ? 20.0 * std::log10(value) : -120.0; }

void PrintLevels(const std::vector<std::int16_t>& samples) {
  const std::size_t frames = samples.size() / 2;
  std::size_t section = 0;
  for (int unit = 0; musicgen::SampleAtBar(2 * unit) < frames; ++unit) {
    const std::size_t begin = musicgen::SampleAtBar(2 * unit);
    const std::size_t end = std::min(frames, musicgen::SampleAtBar(2 * unit + 2));
    double sum = 0.0;
    int peak = 0;
    for (std::size_t i = 2 * begin; i < 2 * end; ++i) {
      sum += static_cast<double>(samples[i]) * samples[i];
      peak = std::max(peak, std::abs(static_cast<int>(samples[i])));
    }
    const double rms = std::sqrt(sum / (2.0 * (end - begin))) / 32768.0;
    const char* pName = "";
    if (section < musicgen::kSections.size() && musicgen::kSections[section].iFirstBar == 2 * unit) {
      pName = musicgen::kSections[section++].pName;
    }
    std::printf("%6.2f s  unit %2d  rms %6.1f dBFS  peak %6.1f dBFS  %s\n",
                static_cast<double>(begin) / musicgen::kSampleRate, unit, Decibels(rms),
                Decibels(peak / 32768.0), pName);
  }
  int peak = 0;
  for (std::int16_t sample : samples) peak = std::max(peak, std::abs(static_cast<int>(sample)));
  std::printf("length %.3f s, peak %.2f dBFS\n", static_cast<double>(frames) / musicgen::kSampleRate,
              Decibels(peak / 32768.0));
}

const ToolInfo kTool = {"vimra-musicgen", "vimra-musicgen OUTPUT.wav"};

int Run(int argc, char** argv) {
  if (argc != 2) return UsageError(kTool, argc < 2 ? "no output file" : "one output file only");
  if (IsOption(argv[1])) return UsageError(kTool, std::string("unknown option ") + argv[1]);
  const std::vector<std::int16_t> samples = musicgen::RenderSong();
  const std::vector<unsigned char> bytes = EncodeWav(2, musicgen::kSampleRate, samples);
  if (!WriteWholeFile(kTool, argv[1], bytes.data(), bytes.size())) return 1;
  PrintLevels(samples);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

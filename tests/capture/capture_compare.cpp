// capture_compare: holds a sound server's recording of the demo against the
// music decoded by an independent decoder.
//   capture_compare [--from S] [--until S] [--below HZ] RECORDING.wav MUSIC.wav
// Prints the figures (per 1 s window of the music from S to S: minimum
// correlation, drop-outs of 10 ms or more, level, where the music starts in
// the recording and its first sound) and, where a limit breaks, where the two
// part. --below: both are compared below HZ only (LowPass). Exit 0 when
// every limit holds, 1 when one breaks, 2 when a file cannot be read.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "sound_compare.h"

int main(int argc, char** argv) {
  CompareLimits Limits;
  double fBelow = 0;
  int iArg = 1;
  for (; iArg + 1 < argc && std::strncmp(argv[iArg], "--", 2) == 0; iArg += 2) {
    if (std::strcmp(argv[iArg], "--from") == 0) {
      Limits.fFrom = std::atof(argv[iArg + 1]);
    } else if (std::strcmp(argv[iArg], "--until") == 0) {
      Limits.fUntil = std::atof(argv[iArg + 1]);
    } else if (std::strcmp(argv[iArg], "--below") == 0) {
      fBelow = std::atof(argv[iArg + 1]);
    } else {
      break;
    }
  }
  if (argc - iArg != 2) {
    std::fprintf(stderr, "usage: capture_compare [--from S] [--until S] [--below HZ] RECORDING.wav MUSIC.wav\n");
    return 2;
  }
  MonoSound Recording, Music;
  std::string strError;
  if (!ReadWavFile(argv[iArg], Recording, strError) || !ReadWavFile(argv[iArg + 1], Music, strError)) {
    std::fprintf(stderr, "capture_compare: %s\n", strError.c_str());
    return 2;
  }
  if (fBelow > 0) {
    LowPass(Recording, fBelow);
    LowPass(Music, fBelow);
  }
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  std::printf("recording %.2f s, music %.2f s, checked from %.2f s to %.2f s", Recording.Seconds(), Music.Seconds(),
              Limits.fFrom, Limits.fUntil > 0 ? Limits.fUntil : Music.Seconds());
  if (fBelow > 0) std::printf(" below %.0f Hz", fBelow);
  std::printf("\n");
  std::printf("figures %s\n", FiguresLine(Result).c_str());
  const auto Lines = Problems(Result, Limits);
  for (const std::string& strLine : Lines) std::printf("parted: %s\n", strLine.c_str());
  return Lines.empty() ? 0 : 1;
}

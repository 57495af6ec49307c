// capture_compare: holds a sound server's recording of the demo against the
// music decoded by an independent decoder.
//   capture_compare [--from S] [--until S] [--below HZ] [--frames FILE --av AHEAD,BEHIND]
//                   RECORDING.wav MUSIC.wav
// Prints the figures (per 1 s window of the music from S to S: minimum
// correlation, drop-outs of 10 ms or more, level, where the music starts in
// the recording and its first sound) and, where a limit breaks, where the two
// part. --below: both are compared below HZ only (LowPass). --frames: the
// presented frames (capture_frames' lines "DEMO_MS RECORDED_FRAMES"), whose
// A/V offsets (AvOffsets) from half a second of demo time on must lie within
// AHEAD ms of music ahead and BEHIND ms behind (--av). Exit 0 when every limit
// holds, 1 when one breaks, 2 when a file cannot be read.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

#include "sound_compare.h"

namespace {

// The program's first half second is left out of the A/V limits: the first
// frames wait on their shaders while the music has started.
constexpr double kAvSettle = 0.5;

bool ReadFrames(const char* pszPath, int iRate, std::vector<PresentedFrame>& Frames) {
  std::ifstream File(pszPath);
  double fDemoMs = 0, fRecorded = 0;
  while (File >> fDemoMs >> fRecorded) Frames.push_back({fDemoMs / 1000, fRecorded / iRate});
  return File.eof() && !Frames.empty();
}

// The offsets' figures, and one line for each limit the frames break.
std::vector<std::string> CheckAv(const std::vector<PresentedFrame>& Frames, const std::vector<double>& Offsets,
                                 double fAheadMs, double fBehindMs) {
  std::vector<double> Settled;
  std::vector<std::string> Lines;
  size_t iAhead = 0, iBehind = 0;
  size_t iWorst = 0;
  double fWorst = 0;
  for (size_t i = 0; i < Frames.size(); ++i) {
    const double fMs = Offsets[i] * 1000;
    if (std::isnan(fMs) || Frames[i].fDemoTime < kAvSettle) continue;
    Settled.push_back(fMs);
    iAhead += fMs > fAheadMs ? 1 : 0;
    iBehind += fMs < -fBehindMs ? 1 : 0;
    if (std::fabs(fMs) > std::fabs(fWorst)) {
      fWorst = fMs;
      iWorst = i;
    }
  }
  if (Settled.empty()) return {"no presented frame lies in the checked music"};
  std::vector<double> Sorted = Settled;
  std::sort(Sorted.begin(), Sorted.end());
  std::printf("av frames=%zu of %zu min_ms=%+.1f median_ms=%+.1f max_ms=%+.1f first_frame_at=%.3f\n", Settled.size(),
              Frames.size(), Sorted.front(), Sorted[Sorted.size() / 2], Sorted.back(), Frames.front().fRecorded);
  char szLine[200];
  if (iAhead + iBehind > 0) {
    std::snprintf(szLine, sizeof szLine,
                  "%zu frames with the music more than %.0f ms ahead, %zu more than %.0f ms behind; the worst %+.1f ms "
                  "at %.2f s of demo time",
                  iAhead, fAheadMs, iBehind, fBehindMs, fWorst, Frames[iWorst].fDemoTime);
    Lines.push_back(szLine);
  }
  return Lines;
}

const char* Who(bool bServer) { return bServer ? "sound server" : "machine"; }

// Lines "FRAMES MS", and "FRAMES MS server": the recording's length in frames
// when a CPU, or the sound server, went on, and how long it had stood still.
bool ReadStalls(const char* pszPath, int iRate, std::vector<MachineStall>& Stalls) {
  std::ifstream File(pszPath);
  std::string strLine;
  while (std::getline(File, strLine)) {
    double fFrames = 0, fMs = 0;
    char szWhat[8] = "";
    const int iRead = std::sscanf(strLine.c_str(), "%lf %lf %7s", &fFrames, &fMs, szWhat);
    if (iRead < 2 || (iRead == 3 && std::strcmp(szWhat, "server") != 0)) return false;
    Stalls.push_back({fFrames / iRate, fMs / 1000, iRead == 3});
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  CompareLimits Limits;
  double fBelow = 0;
  const char* pszFrames = nullptr;
  const char* pszStalls = nullptr;
  double fAheadMs = 45, fBehindMs = 125;
  int iArg = 1;
  for (; iArg + 1 < argc && std::strncmp(argv[iArg], "--", 2) == 0; iArg += 2) {
    if (std::strcmp(argv[iArg], "--from") == 0) {
      Limits.fFrom = std::atof(argv[iArg + 1]);
    } else if (std::strcmp(argv[iArg], "--until") == 0) {
      Limits.fUntil = std::atof(argv[iArg + 1]);
    } else if (std::strcmp(argv[iArg], "--below") == 0) {
      fBelow = std::atof(argv[iArg + 1]);
    } else if (std::strcmp(argv[iArg], "--frames") == 0) {
      pszFrames = argv[iArg + 1];
    } else if (std::strcmp(argv[iArg], "--stalls") == 0) {
      pszStalls = argv[iArg + 1];
    } else if (std::strcmp(argv[iArg], "--av") == 0) {
      if (std::sscanf(argv[iArg + 1], "%lf,%lf", &fAheadMs, &fBehindMs) != 2) break;
    } else {
      break;
    }
  }
  if (argc - iArg != 2) {
    std::fprintf(stderr, "usage: capture_compare [--from S] [--until S] [--below HZ] [--frames FILE --av AHEAD,BEHIND] "
                 "[--stalls FILE] RECORDING.wav MUSIC.wav\n");
    return 2;
  }
  MonoSound Recording, Music;
  std::string strError;
  if (!ReadWavFile(argv[iArg], Recording, strError) || !ReadWavFile(argv[iArg + 1], Music, strError)) {
    std::fprintf(stderr, "capture_compare: %s\n", strError.c_str());
    return 2;
  }
  std::vector<PresentedFrame> Frames;
  if (pszFrames != nullptr && !ReadFrames(pszFrames, Recording.iRate, Frames)) {
    std::fprintf(stderr, "capture_compare: no presented frames in %s\n", pszFrames);
    return 2;
  }
  std::vector<MachineStall> Stalls;
  if (pszStalls != nullptr && !ReadStalls(pszStalls, Recording.iRate, Stalls)) {
    std::fprintf(stderr, "capture_compare: cannot read the stalls in %s\n", pszStalls);
    return 2;
  }
  for (const MachineStall& Stall : Stalls)
    std::printf("the %s stood still %.0f ms, until %.3f s of the recording\n", Who(Stall.bServer),
                Stall.fSeconds * 1000, Stall.fRecorded);
  const std::vector<SilenceCut> Cuts = CutStalledSilences(Recording, Stalls, Frames);
  for (const SilenceCut& Cut : Cuts)
    std::printf("cut: %.0f ms of silence at %.3f s of the recording, where the %s stood still %.0f ms\n",
                Cut.fSeconds * 1000, Cut.fRecordingTime, Who(Cut.bServer), Cut.fStall * 1000);
  if (fBelow > 0) {
    LowPass(Recording, fBelow);
    LowPass(Music, fBelow);
  }
  Comparison Result = CompareSounds(Recording, Music, Limits);
  for (const DropOut& Skip : ExcuseStalledSkips(Result, Cuts))
    std::printf("excused: %.0f ms of the music skipped at %.3f s, beside a cut where it stood still\n",
                Skip.fMs, Skip.fMusicTime);
  std::printf("recording %.2f s, music %.2f s, checked from %.2f s to %.2f s", Recording.Seconds(), Music.Seconds(),
              Limits.fFrom, Limits.fUntil > 0 ? Limits.fUntil : Music.Seconds());
  if (fBelow > 0) std::printf(" below %.0f Hz", fBelow);
  std::printf("\n");
  std::printf("figures %s\n", FiguresLine(Result).c_str());
  auto Lines = Problems(Result, Limits);
  if (!Frames.empty()) {
    const auto AvLines = CheckAv(Frames, AvOffsets(Result, Limits, Frames), fAheadMs, fBehindMs);
    Lines.insert(Lines.end(), AvLines.begin(), AvLines.end());
  }
  for (const std::string& strLine : Lines) std::printf("parted: %s\n", strLine.c_str());
  return Lines.empty() ? 0 : 1;
}

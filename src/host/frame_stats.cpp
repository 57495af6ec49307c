#include "host/frame_stats.h"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "core/globals.h"
#include "d3d9_readback.h"

const SceneSpan kSceneSpans[4] = {{"columns, sliding camera", 0},
                                  {"columns, camera from below", 20750},
                                  {"ring and flyer", 41500},
                                  {"swinging rows", 74700}};

namespace {

int SceneOf(DWORD dwDemoTimeMs) {
  int iScene = 0;
  for (int i = 0; i < 4; ++i)
    if (dwDemoTimeMs >= kSceneSpans[i].dwFrom) iScene = i;
  return iScene;
}

double Percentile(std::vector<double> Values, double fFraction) {
  std::sort(Values.begin(), Values.end());
  const size_t i = std::min(Values.size() - 1, static_cast<size_t>(fFraction * double(Values.size() - 1) + 0.5));
  return Values[i];
}

std::string Line(const char* pszName, const std::vector<double>& Times, double fSeconds,
                 const std::vector<std::pair<int, int>>& Sizes) {
  char szLine[200];
  std::snprintf(szLine, sizeof szLine, "  %-28s %6zu frames %7.1f fps  median %6.2f ms  p99 %6.2f ms", pszName,
                Times.size(), fSeconds > 0 ? double(Times.size()) / fSeconds : 0.0, Percentile(Times, 0.5),
                Percentile(Times, 0.99));
  std::string strLine = szLine;
  for (size_t i = 0; i < Sizes.size(); ++i) {
    strLine += (i == 0 ? "  drawn " : ", ") + std::to_string(Sizes[i].first) + "x" + std::to_string(Sizes[i].second);
  }
  return strLine + "\n";
}

// Sizes in the order drawn; a size drawn again after another is listed again.
void AddSize(std::vector<std::pair<int, int>>& Sizes, std::pair<int, int> Size) {
  if (Size.first > 0 && (Sizes.empty() || Sizes.back() != Size)) Sizes.push_back(Size);
}

std::unique_ptr<FrameStats> pStats;
std::chrono::steady_clock::time_point StatsStart;
std::FILE* pFrameLog = nullptr;

void OpenFrameLog() {
  const char* pszPath = std::getenv("VIMRA_FRAME_LOG");
  if (pszPath == nullptr || *pszPath == '\0') return;
#ifdef SIGPIPE
  // A reader that goes away ends the lines, not the demo.
  std::signal(SIGPIPE, SIG_IGN);
#endif
  pFrameLog = std::fopen(pszPath, "wb");  // "\n", not Windows' "\r\n"
}

}  // namespace

void FrameStats::Note(DWORD dwDemoTimeMs, double fWallSeconds, int iDrawnWidth, int iDrawnHeight) {
  // The first frame has no frame before it to be timed against.
  if (fLastWall >= 0) {
    const int iScene = SceneOf(dwDemoTimeMs);
    FrameMs[iScene].push_back((fWallSeconds - fLastWall) * 1000.0);
    fSceneSeconds[iScene] += fWallSeconds - fLastWall;
    AddSize(DrawnSizes[iScene], {iDrawnWidth, iDrawnHeight});
  }
  fLastWall = fWallSeconds;
}

std::string FrameStats::Report() const {
  std::string strReport;
  std::vector<double> All;
  std::vector<std::pair<int, int>> AllSizes;
  double fSeconds = 0;
  for (int i = 0; i < 4; ++i) {
    if (FrameMs[i].empty()) continue;
    strReport += Line(kSceneSpans[i].pszName, FrameMs[i], fSceneSeconds[i], DrawnSizes[i]);
    All.insert(All.end(), FrameMs[i].begin(), FrameMs[i].end());
    for (const auto& Size : DrawnSizes[i]) AddSize(AllSizes, Size);
    fSeconds += fSceneSeconds[i];
  }
  if (All.empty()) return "  no frames presented\n";
  return strReport + Line("whole run", All, fSeconds, AllSizes);
}

void StartFrameStats() {
  OpenFrameLog();
  const char* pszStats = std::getenv("VIMRA_STATS");
  if (pszStats == nullptr || std::strcmp(pszStats, "1") != 0) return;
  pStats = std::make_unique<FrameStats>();
  StatsStart = std::chrono::steady_clock::now();
}

void NoteFramePresented() {
  if (pFrameLog != nullptr && (std::fprintf(pFrameLog, "%lu\n", static_cast<unsigned long>(dwDemoTime)) < 0 ||
                               std::fflush(pFrameLog) != 0)) {
    std::fclose(pFrameLog);
    pFrameLog = nullptr;
  }
  if (!pStats) return;
  int iWidth = 0, iHeight = 0;
  D3D9DrawnSize(pDevice, iWidth, iHeight);
  pStats->Note(dwDemoTime, std::chrono::duration<double>(std::chrono::steady_clock::now() - StatsStart).count(), iWidth,
               iHeight);
}

void ReportFrameStats() {
  if (!pStats) return;
  std::fprintf(stderr, "vimra: frame statistics (frame time = wall time between presented frames)\n%s",
               pStats->Report().c_str());
}

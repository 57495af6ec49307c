// Whole-demo cost of the Windows program on this machine's Direct3D 9 (under
// Wine: wined3d over Mesa): start-up time to the first presented frame (music
// decoded), frame time per scene (median and p99), without multisampling.
// Run from the data folder:  wine bench_demo_cost.exe [DATA_DIR]
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <vector>

#include "core/globals.h"
#include "demo_scenes.h"
#include "host/demo_clock.h"
#include "host/music.h"
#include "host/run_demo.h"

namespace {

using Clock = std::chrono::steady_clock;
double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void DrawAndPresent(DWORD dwTime) {
  dwDemoTime = dwTime;
  fTime = static_cast<float>(dwDemoTime * static_cast<double>(kTimelineUnitsPerMs));
  DrawFrame();
  pDevice->EndScene();
  pDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc >= 2) std::filesystem::current_path(argv[1]);
  const Clock::time_point Start = Clock::now();
  StartUp();
  SoundSystem FMod;
  const FSOUND_SAMPLE* pSample = StartMusic(FMod);
  DrawAndPresent(10);
  const double fStartUp = Milliseconds(Clock::now() - Start);

  std::printf("no multisampling: start-up to first frame %.1f ms%s\n", fStartUp,
              pSample != nullptr ? ", music decoded" : ", no music file");
  std::printf("  %-28s %8s %8s %8s\n", "scene", "frames", "median", "p99");
  constexpr int kFramesPerScene = 150;
  for (const Scene& scene : kScenes) {
    std::vector<double> Times;
    for (int i = 0; i < kFramesPerScene; ++i) {
      const Clock::time_point FrameStart = Clock::now();
      DrawAndPresent(scene.dwFrom + static_cast<DWORD>((scene.dwTo - scene.dwFrom) * uint64_t(i) / kFramesPerScene));
      Times.push_back(Milliseconds(Clock::now() - FrameStart));
    }
    std::printf("  %-28s %8d %6.2f ms %6.2f ms\n", scene.pszName, kFramesPerScene, Percentile(Times, 0.5),
                Percentile(Times, 0.99));
  }
  std::fflush(stdout);
  ExitProcess(0);
}

// Whole-demo cost on this machine's GL: start-up time to the first presented
// frame (music decoded), frame time per scene (median and p99), GL calls per
// frame and peak resident memory; once without and once with 4-sample
// multisampling. Run from the repository:  build/bench/demo_cost/bench_demo_cost [DATA_DIR]
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "d3d9_seams.h"
#include "host/demo_clock.h"
#include "core/globals.h"
#include "host/music.h"
#include "host/run_demo.h"
#include "demo_scenes.h"

namespace {

using Clock = std::chrono::steady_clock;

double Milliseconds(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Lets only the attempt that matches the wanted multisampling through, so the
// device chain itself picks the configuration.
class ChosenDirect3D : public IDirect3D9 {
 public:
  ChosenDirect3D(IDirect3D9* pReal, D3DMULTISAMPLE_TYPE Wanted) : pReal(pReal), Wanted(Wanted) {}
  ULONG AddRef() override { return 1; }
  ULONG Release() override { return 1; }
  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE Type, HWND hWindow, DWORD dwFlags, D3DPRESENT_PARAMETERS* pParams,
                       IDirect3DDevice9** ppDevice) override {
    if (pParams->MultiSampleType != Wanted || dwFlags != D3DCREATE_SOFTWARE_VERTEXPROCESSING) {
      *ppDevice = nullptr;
      return D3DERR_NOTAVAILABLE;
    }
    return pReal->CreateDevice(Adapter, Type, hWindow, dwFlags, pParams, ppDevice);
  }

 private:
  IDirect3D9* pReal;
  D3DMULTISAMPLE_TYPE Wanted;
};

int RunOne(bool bMultisample) {
  const Clock::time_point Start = Clock::now();
  D3D9SetCreateOverride([bMultisample](UINT iVersion) -> IDirect3D9* {
    D3D9SetCreateOverride(nullptr);
    IDirect3D9* pReal = Direct3DCreate9(iVersion);
    if (pReal == nullptr) return nullptr;
    return new ChosenDirect3D(pReal, bMultisample ? D3DMULTISAMPLE_4_SAMPLES : D3DMULTISAMPLE_NONE);
  });
  StartUp();
  SoundSystem FMod;
  const FSOUND_SAMPLE* pSample = StartMusic(FMod);
  SetDemoTime(10);
  DrawFrame();
  pDevice->EndScene();
  pDevice->Present(nullptr, nullptr, nullptr, nullptr);
  const double fStartUp = Milliseconds(Clock::now() - Start);

  std::printf("\n%s multisampling (%s): start-up to first frame %.1f ms%s\n", bMultisample ? "4-sample" : "no",
              bMultisample ? "as a GPU without hardware vertex processing would get" : "what a machine without a GPU gets",
              fStartUp, pSample != nullptr ? ", music decoded" : ", no music file");
  std::printf("  %-28s %8s %8s %8s %10s\n", "scene", "frames", "median", "p99", "GL calls");
  constexpr int kFramesPerScene = 150;
  for (const Scene& scene : kScenes) {
    std::vector<double> Times;
    const uint64_t iCallsBefore = D3D9GlCallCount(pDevice);
    for (int i = 0; i < kFramesPerScene; ++i) {
      SetDemoTime(scene.dwFrom + static_cast<DWORD>((scene.dwTo - scene.dwFrom) * uint64_t(i) / kFramesPerScene));
      const Clock::time_point FrameStart = Clock::now();
      DrawFrame();
      pDevice->EndScene();
      pDevice->Present(nullptr, nullptr, nullptr, nullptr);
      Times.push_back(Milliseconds(Clock::now() - FrameStart));
    }
    const double fCalls = double(D3D9GlCallCount(pDevice) - iCallsBefore) / kFramesPerScene;
    std::printf("  %-28s %8d %6.2f ms %6.2f ms %10.0f\n", scene.pszName, kFramesPerScene, Percentile(Times, 0.5),
                Percentile(Times, 0.99), fCalls);
  }
  rusage usage{};
  getrusage(RUSAGE_SELF, &usage);
  std::printf("  peak resident memory %.1f MB\n", usage.ru_maxrss / 1024.0);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  // One process per configuration: the device and window live until exit.
  if (argc >= 2 && (std::strcmp(argv[1], "--one") == 0)) {
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    std::filesystem::current_path(argv[3]);
    return RunOne(std::strcmp(argv[2], "msaa") == 0);
  }
  const std::string strData = argc >= 2 ? argv[1] : (std::filesystem::path(VIMRA_SOURCE_DIR) / "data").string();
  int iResult = 0;
  for (const char* pszMode : {"plain", "msaa"}) {
    std::fflush(stdout);
    const pid_t pid = fork();
    if (pid == 0) {
      execl("/proc/self/exe", argv[0], "--one", pszMode, strData.c_str(), static_cast<char*>(nullptr));
      _exit(127);
    }
    int iStatus = 0;
    waitpid(pid, &iStatus, 0);
    if (!WIFEXITED(iStatus) || WEXITSTATUS(iStatus) != 0) iResult = 1;
  }
  std::printf("\ntargets without multisampling: median <= 10 ms and p99 <= 14 ms in every scene, start-up <= 200 ms, "
              "peak memory <= 150 MB\n");
  return iResult;
}

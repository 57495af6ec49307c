// CPU time the whole program spends per second of demo at the frame cap, with
// a device that costs nothing (the recording device, writing nothing down):
// what the frame loop's waiting itself costs. The real frame loop runs for a
// few seconds of wall time at normal speed, then Escape ends it.
//   build/bench/frame_pacing/bench_frame_pacing [SECONDS]
#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

#include "core/globals.h"
#include "d3d9_seams.h"
#include "host/run_demo.h"
#include "recording_device.h"
#include "win32_seams.h"

namespace {

using Clock = std::chrono::steady_clock;

double CpuSeconds() {
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  auto Seconds = [](const timeval& t) { return double(t.tv_sec) + double(t.tv_usec) / 1e6; };
  return Seconds(Usage.ru_utime) + Seconds(Usage.ru_stime);
}

Clock::time_point LoopStart;
double fCpuAtLoopStart = 0;
DWORD dwDemoTimeAtLoopStart = 0;
long iFrames = 0;

}  // namespace

int main(int argc, char** argv) {
  const double fRunSeconds = argc >= 2 ? std::atof(argv[1]) : 5.0;
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  D3D9SetCreateOverride([](UINT) -> IDirect3D9* {
    auto* pRecorder = new RecordingDirect3D([](DWORD, const D3DPRESENT_PARAMETERS&) { return true; });
    pRecorder->bRecordNewDevices = false;
    return pRecorder;
  });
  // The loop polls Escape once per presented frame: the first poll marks the
  // start of the measured stretch, and Escape is pressed once it has lasted.
  Win32SetKeySource([fRunSeconds](int iKey) -> SHORT {
    if (iKey != VK_ESCAPE) return 0;
    if (iFrames++ == 0) {
      LoopStart = Clock::now();
      fCpuAtLoopStart = CpuSeconds();
      dwDemoTimeAtLoopStart = dwDemoTime;
    }
    return std::chrono::duration<double>(Clock::now() - LoopStart).count() >= fRunSeconds ? 1 : 0;
  });
  Win32SetExitHandler([](UINT) {
    const double fWall = std::chrono::duration<double>(Clock::now() - LoopStart).count();
    const double fCpu = CpuSeconds() - fCpuAtLoopStart;
    const double fDemo = (dwDemoTime - dwDemoTimeAtLoopStart) / 1000.0;
    std::printf("frame loop at the cap, recording device: %ld frames in %.2f s wall, %.2f s of demo time\n",
                iFrames - 1, fWall, fDemo);
    std::printf("CPU time %.3f s: %.1f %% of one core per second of demo (target below 10 %%)\n", fCpu,
                100.0 * fCpu / fDemo);
    std::fflush(stdout);
    _exit(0);
  });
  RunDemo();
  return 0;
}

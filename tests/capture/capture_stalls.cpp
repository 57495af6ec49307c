// capture_stalls: when a CPU of the machine, or the sound server, stood
// still while a recording was made.
//   capture_stalls RECORDING.wav OUT
// On each CPU it may run on, a thread of the highest real-time priority
// wakes every 5 ms. No thread of any program can hold it off, so a wake that
// comes 15 ms late or more means that the CPU ran nothing at all for that
// long (a virtual machine's CPU that its host did not run, say); the thread
// then writes to OUT how many frames the recording held (RECORDING.wav,
// which parec is writing: 16-bit stereo after a 44-byte header) and how long
// the CPU stood still, in ms.
// One more thread of that priority watches the sound server's own pace
// (server_pace.h) and writes a line "FRAMES MS server" when the server
// itself stood still, once it has caught up.
// Each wake costs microseconds. Without real-time priority it writes nothing
// and says so. Ends at SIGTERM or SIGINT.
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

#include "recorded_frames.h"
#include "server_pace.h"

namespace {

constexpr long kPeriodNs = 5'000'000;
constexpr double kStallMs = 15;
constexpr double kRate = 44100;  // the recording's frames per second

std::mutex Lock;  // OUT and stdout, between the watchers

double Seconds(const timespec& Time) { return static_cast<double>(Time.tv_sec) + Time.tv_nsec * 1e-9; }

bool Highest(const char* pszWhat) {
  const sched_param Priority{sched_get_priority_max(SCHED_FIFO)};
  if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &Priority) == 0) return true;
  std::lock_guard Guard(Lock);
  std::printf("capture_stalls: no real-time priority for %s; not watched\n", pszWhat);
  std::fflush(stdout);
  return false;
}

void Write(std::FILE* pOut, long long iFrames, double fMs, const char* pszWhat) {
  std::lock_guard Guard(Lock);
  std::fprintf(pOut, "%lld %.1f%s\n", iFrames, fMs, pszWhat);
  std::fflush(pOut);
}

// Sleeps until Next, a period after the last; the time woken.
timespec Sleep(timespec& Next) {
  Next.tv_nsec += kPeriodNs;
  if (Next.tv_nsec >= 1'000'000'000) {
    Next.tv_nsec -= 1'000'000'000;
    ++Next.tv_sec;
  }
  clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &Next, nullptr);
  timespec Now{};
  clock_gettime(CLOCK_MONOTONIC, &Now);
  return Now;
}

// Watches iCpu, if it may run there at the highest real-time priority.
void Watch(int iCpu, int iRecording, std::FILE* pOut) {
  cpu_set_t One;
  CPU_ZERO(&One);
  CPU_SET(iCpu, &One);
  char szWhat[32];
  std::snprintf(szWhat, sizeof szWhat, "CPU %d", iCpu);
  if (pthread_setaffinity_np(pthread_self(), sizeof One, &One) != 0 || !Highest(szWhat)) return;
  timespec Next{};
  clock_gettime(CLOCK_MONOTONIC, &Next);
  for (;;) {
    const timespec Now = Sleep(Next);
    const double fLateMs = (Seconds(Now) - Seconds(Next)) * 1000;
    if (fLateMs < kStallMs) continue;
    Write(pOut, RecordedFrames(iRecording), fLateMs, "");
    Next = Now;
  }
}

// Watches the sound server's pace (ServerPace) from the recording's first
// frame on.
void WatchServer(int iRecording, std::FILE* pOut) {
  if (!Highest("the sound server")) return;
  timespec Next{};
  clock_gettime(CLOCK_MONOTONIC, &Next);
  ServerPace Pace;
  for (;;) {
    const timespec Now = Sleep(Next);
    const long long iFrames = RecordedFrames(iRecording);
    if (iFrames == 0) continue;
    if (const double fStall = Pace.Look(Seconds(Now), static_cast<double>(iFrames) / kRate); fStall > 0)
      Write(pOut, iFrames, fStall * 1000, " server");
  }
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: capture_stalls RECORDING.wav OUT\n");
    return 2;
  }
  const int iRecording = open(argv[1], O_RDONLY | O_CLOEXEC);
  std::FILE* pOut = std::fopen(argv[2], "w");
  if (iRecording < 0 || pOut == nullptr) {
    std::fprintf(stderr, "capture_stalls: cannot open %s or %s\n", argv[1], argv[2]);
    return 2;
  }
  // The stop signals are taken here only, by sigwait.
  sigset_t Stop;
  sigemptyset(&Stop);
  sigaddset(&Stop, SIGTERM);
  sigaddset(&Stop, SIGINT);
  pthread_sigmask(SIG_BLOCK, &Stop, nullptr);

  cpu_set_t Allowed;
  CPU_ZERO(&Allowed);
  sched_getaffinity(0, sizeof Allowed, &Allowed);
  for (int iCpu = 0; iCpu < CPU_SETSIZE; ++iCpu)
    if (CPU_ISSET(iCpu, &Allowed)) std::thread(Watch, iCpu, iRecording, pOut).detach();
  std::thread(WatchServer, iRecording, pOut).detach();
  int iSignal = 0;
  sigwait(&Stop, &iSignal);
  std::lock_guard Guard(Lock);
  std::fclose(pOut);
  std::_Exit(0);
}

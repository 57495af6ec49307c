// capture_stalls: when a CPU of the machine stood still while a recording
// was made.
//   capture_stalls RECORDING.wav OUT
// On each CPU it may run on, a thread of the highest real-time priority
// wakes every 5 ms. No thread of any program can hold it off, so a wake that
// comes 15 ms late or more means that the CPU ran nothing at all for that
// long (a virtual machine's CPU that its host did not run, say); the thread
// then writes to OUT how many frames the recording held (RECORDING.wav,
// which parec is writing: 16-bit stereo after a 44-byte header) and how long
// the CPU stood still, in ms. Each wake costs microseconds. Without
// real-time priority it writes nothing and says so. Ends at SIGTERM or SIGINT.
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

namespace {

constexpr long kPeriodNs = 5'000'000;
constexpr double kStallMs = 15;

std::mutex Lock;  // OUT, between the CPUs' threads

double Seconds(const timespec& Time) { return static_cast<double>(Time.tv_sec) + Time.tv_nsec * 1e-9; }

// Watches iCpu, if it may run there at the highest real-time priority.
void Watch(int iCpu, int iRecording, std::FILE* pOut) {
  cpu_set_t One;
  CPU_ZERO(&One);
  CPU_SET(iCpu, &One);
  const sched_param Highest{sched_get_priority_max(SCHED_FIFO)};
  if (pthread_setaffinity_np(pthread_self(), sizeof One, &One) != 0 ||
      pthread_setschedparam(pthread_self(), SCHED_FIFO, &Highest) != 0) {
    std::lock_guard Guard(Lock);
    std::printf("capture_stalls: no real-time priority on CPU %d; its stalls are not watched\n", iCpu);
    std::fflush(stdout);
    return;
  }
  timespec Next{};
  clock_gettime(CLOCK_MONOTONIC, &Next);
  for (;;) {
    Next.tv_nsec += kPeriodNs;
    if (Next.tv_nsec >= 1'000'000'000) {
      Next.tv_nsec -= 1'000'000'000;
      ++Next.tv_sec;
    }
    clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &Next, nullptr);
    timespec Now{};
    clock_gettime(CLOCK_MONOTONIC, &Now);
    const double fLateMs = (Seconds(Now) - Seconds(Next)) * 1000;
    if (fLateMs < kStallMs) continue;
    const long long iFrames = RecordedFrames(iRecording);
    {
      std::lock_guard Guard(Lock);
      std::fprintf(pOut, "%lld %.1f\n", iFrames, fLateMs);
      std::fflush(pOut);
    }
    Next = Now;
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
  int iSignal = 0;
  sigwait(&Stop, &iSignal);
  std::lock_guard Guard(Lock);
  std::fclose(pOut);
  std::_Exit(0);
}

#include "output_windows.h"

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "fmod.h"
#include "mixer.h"

namespace {

// Pulls the mix at the output rate and throws it away.
class SilentStream final : public DeviceStream {
 public:
  SilentStream(int iRate, PcmSource& Source) : Thread([this, iRate, &Source] { Run(iRate, Source); }) {}
  ~SilentStream() override {
    {
      std::lock_guard Guard(Lock);
      bStop = true;
    }
    Wake.notify_all();
    Thread.join();
  }
  SilentStream(const SilentStream&) = delete;
  SilentStream& operator=(const SilentStream&) = delete;

 private:
  void Run(int iRate, PcmSource& Source) {
    using Clock = std::chrono::steady_clock;
    constexpr auto kPeriod = std::chrono::milliseconds(20);
    std::vector<int16_t> Scratch;
    const Clock::time_point Start = Clock::now();
    int64_t iMixed = 0;
    std::unique_lock Guard(Lock);
    while (!Wake.wait_for(Guard, kPeriod, [this] { return bStop; })) {
      const double fSeconds = std::chrono::duration<double>(Clock::now() - Start).count();
      const int iDue = static_cast<int>(static_cast<int64_t>(fSeconds * iRate) - iMixed);
      if (iDue <= 0) continue;
      Scratch.resize(static_cast<size_t>(iDue) * 2);
      Source.Mix(Scratch.data(), iDue);
      iMixed += iDue;
    }
  }

  std::mutex Lock;
  std::condition_variable Wake;
  bool bStop = false;
  std::thread Thread;
};

class WindowsOutput final : public MixingOutput {
 public:
  explicit WindowsOutput(WindowsDevices& System) : System(System) {}

  int Select(int iType) override {
    iOutputType = iType;
    return iType == FSOUND_OUTPUT_NOSOUND ? 1 : System.DriverCount(iType);
  }

  bool Open(int iDriver, int iRate, int iVoices) override {
    if (pStream != nullptr) return false;
    Mixing.Reset(iRate, iVoices);
    PcmSource& Source = *this;
    pStream = iOutputType == FSOUND_OUTPUT_NOSOUND ? std::make_unique<SilentStream>(iRate, Source)
                                                   : System.Open(iOutputType, iDriver, iRate, Source);
    if (pStream == nullptr) Mixing.Reset(iRate, 0);
    return pStream != nullptr;
  }

  void Close() override {
    pStream.reset();  // stops the pulling thread before the voices go
    Mixing.Reset(44100, 0);
  }

 private:
  WindowsDevices& System;
  int iOutputType = FSOUND_OUTPUT_NOSOUND;
};

}  // namespace

std::unique_ptr<SoundOutput> MakeWindowsOutput(WindowsDevices& System) { return std::make_unique<WindowsOutput>(System); }

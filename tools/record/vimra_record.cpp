// vimra-record: records the demo to a video with its music. Every frame is
// drawn at its own demo time through the program's start-up and drawing,
// offscreen, at the asked size and antialiasing, and piped as raw RGBA into
// ffmpeg while the next frame is drawn.
#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <mutex>
#include <thread>

#include "box_filter.h"
#include "core/globals.h"
#include "d3d9_seams.h"
#include "ffmpeg_process.h"
#include "host/data_files.h"
#include "offscreen_demo.h"
#include "record_options.h"
#include "tool_io.h"

namespace {

const ToolInfo kTool = {"vimra-record", RecordUsage()};

volatile sig_atomic_t iStopSignal = 0;

void OnStopSignal(int iSignal) { iStopSignal = iSignal; }

using Clock = std::chrono::steady_clock;

// Frames on their way from the renderer to ffmpeg: two buffers, so the next
// frame is drawn while the writer hands the last one over. Memory stays at two
// frames whatever the length of the recording.
class FrameQueue {
 public:
  static constexpr int kSlots = 2;
  std::vector<unsigned char> Slots[kSlots];

  // A free buffer, or -1 once the writer has failed or a stop signal came.
  int AcquireFree() {
    std::unique_lock<std::mutex> Lock(Mutex);
    while (Free.empty() && !bFailed && iStopSignal == 0) Changed.wait_for(Lock, std::chrono::milliseconds(50));
    if (bFailed || iStopSignal != 0) return -1;
    const int iSlot = Free.front();
    Free.pop_front();
    return iSlot;
  }
  void Submit(int iSlot) {
    std::lock_guard<std::mutex> Lock(Mutex);
    Filled.push_back(iSlot);
    Changed.notify_all();
  }
  // No more frames will come.
  void Close() {
    std::lock_guard<std::mutex> Lock(Mutex);
    bClosed = true;
    Changed.notify_all();
  }
  // The next frame to write, or -1 when closed and drained.
  int TakeFilled() {
    std::unique_lock<std::mutex> Lock(Mutex);
    Changed.wait(Lock, [this] { return !Filled.empty() || bClosed; });
    if (Filled.empty()) return -1;
    const int iSlot = Filled.front();
    Filled.pop_front();
    return iSlot;
  }
  void Release(int iSlot) {
    std::lock_guard<std::mutex> Lock(Mutex);
    Free.push_back(iSlot);
    Changed.notify_all();
  }
  void Fail() {
    std::lock_guard<std::mutex> Lock(Mutex);
    bFailed = true;
    Changed.notify_all();
  }
  bool Failed() {
    std::lock_guard<std::mutex> Lock(Mutex);
    return bFailed;
  }

 private:
  std::mutex Mutex;
  std::condition_variable Changed;
  std::deque<int> Free = {0, 1}, Filled;
  bool bClosed = false, bFailed = false;
};

// Filters supersampled frames down and writes them to ffmpeg.
void WriteFrames(FrameQueue& Queue, FfmpegProcess& Ffmpeg, const RecordOptions& Options, int iScale,
                 std::atomic<int>& iWritten) {
  std::vector<unsigned char> Filtered;
  for (int iSlot = Queue.TakeFilled(); iSlot >= 0; iSlot = Queue.TakeFilled()) {
    const std::vector<unsigned char>* pFrame = &Queue.Slots[iSlot];
    if (iScale > 1) {
      BoxDownsample(*pFrame, Options.iWidth, Options.iHeight, iScale, Filtered);
      pFrame = &Filtered;
    }
    const bool bWritten = Ffmpeg.Write(pFrame->data(), pFrame->size());
    Queue.Release(iSlot);
    if (!bWritten) {
      Queue.Fail();
      return;
    }
    ++iWritten;
  }
}

std::string Clock2(double fSeconds) {
  const long iSeconds = static_cast<long>(fSeconds + 0.5);
  char szText[32];
  std::snprintf(szText, sizeof szText, "%ld:%02ld", iSeconds / 60, iSeconds % 60);
  return szText;
}

// "frame 1200/4254 (28%), 41.3 fps, 1:14 left", redrawn in place on a
// terminal, one line every few seconds elsewhere.
class Progress {
 public:
  Progress(int iTotal, bool bQuiet) : iTotal(iTotal), bQuiet(bQuiet), bTerminal(isatty(STDERR_FILENO) != 0) {}
  void Show(int iDone) {
    if (bQuiet) return;
    const Clock::time_point Now = Clock::now();
    const double fSinceShown = std::chrono::duration<double>(Now - LastShown).count();
    if (iDone < iTotal && fSinceShown < (bTerminal ? 0.25 : 5.0)) return;
    LastShown = Now;
    const double fElapsed = std::chrono::duration<double>(Now - Started).count();
    const double fRate = fElapsed > 0 ? iDone / fElapsed : 0;
    const std::string strLeft = fRate > 0 ? Clock2((iTotal - iDone) / fRate) : "?";
    std::fprintf(stderr, "%sframe %d/%d (%d%%), %.1f fps, %s left%s", bTerminal ? "\r" : "", iDone, iTotal,
                 iTotal > 0 ? 100 * iDone / iTotal : 100, fRate, strLeft.c_str(), bTerminal ? "\033[K" : "\n");
  }
  void End() {
    if (!bQuiet && bTerminal) std::fprintf(stderr, "\n");
  }
  double Seconds() const { return std::chrono::duration<double>(Clock::now() - Started).count(); }

 private:
  const int iTotal;
  const bool bQuiet, bTerminal;
  const Clock::time_point Started = Clock::now();
  Clock::time_point LastShown = Started;
};

}  // namespace

static int Run(int argc, char** argv) {
  const ParsedArguments Parsed = ParseRecordArguments(argc, argv);
  if (Parsed.eOutcome == ParsedArguments::kBad) return UsageError(kTool, Parsed.strError);
  RecordOptions Options = Parsed.Options;
  Options.Output = std::filesystem::absolute(Options.Output);
  const bool bSequence = Options.eKind == OutputKind::PngSequence;
  // A video goes to a partial file beside the output and is renamed when
  // complete, so an earlier recording of the same name survives a failure.
  const std::filesystem::path Target = bSequence ? Options.Output : std::filesystem::path(Options.Output.string() + ".partial");
  // Unwritable output is found before the long start-up; ffmpeg makes the file itself.
  {
    const std::filesystem::path Folder = Options.Output.parent_path();
    const int iFile = bSequence ? -1 : open(Target.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (bSequence ? access(Folder.c_str(), W_OK) != 0 : iFile < 0 && errno != EEXIST) {
      return Failure(kTool, "cannot write " + Options.Output.string() + ": " + std::strerror(errno));
    }
    if (iFile >= 0) {
      close(iFile);
      unlink(Target.c_str());
    }
  }
  // Ctrl+C and termination end the recording cleanly from here on; a broken pipe is a
  // failed write, not a death.
  struct sigaction Stop = {};
  Stop.sa_handler = OnStopSignal;
  sigemptyset(&Stop.sa_mask);
  sigaction(SIGINT, &Stop, nullptr);
  sigaction(SIGTERM, &Stop, nullptr);
  signal(SIGPIPE, SIG_IGN);

  auto RemoveOutput = [&] {
    std::error_code error;
    if (!bSequence) {
      std::filesystem::remove(Target, error);
      return;
    }
    for (int i = 0; i < FrameCount(Options); ++i) std::filesystem::remove(SequenceFile(Target, i), error);
  };

  OffscreenLimits Limits;
  if (!ProbeOffscreenGl(Limits)) {
    return Failure(kTool, "no GL display for the offscreen device");
  }
  const AntialiasChoice Choice = ChooseAntialias(Options.eAntialias, Options.iFactor, Limits.iMaxSamples);
  if (Options.eAntialias == Antialias::Multisample && Choice.eMethod != Antialias::Multisample) {
    std::fprintf(stderr, "vimra-record: the device has at most %d samples; using %s\n", Limits.iMaxSamples,
                 DescribeAntialias(Choice).c_str());
  }
  const int iScale = Choice.eMethod == Antialias::Supersample ? Choice.iFactor : 1;
  const int iRenderWidth = Options.iWidth * iScale, iRenderHeight = Options.iHeight * iScale;
  if (iRenderWidth > Limits.iMaxSize) {
    return Failure(kTool, "a " + std::to_string(iRenderWidth) + "x" + std::to_string(iRenderHeight) +
                              " back buffer (" + DescribeAntialias(Choice) + ") is larger than the device's limit of " +
                              std::to_string(Limits.iMaxSize));
  }
  D3D9SetBackBufferOverride(static_cast<UINT>(iRenderWidth), static_cast<UINT>(iRenderHeight),
                            Choice.eMethod == Antialias::Multisample ? Choice.iFactor : 0);
  const std::filesystem::path DataFolder = std::filesystem::absolute(Options.DataFolder);
  if (!StartOffscreen(kTool.pszName, DataFolder)) return 1;
  if (Choice.eMethod == Antialias::Multisample && static_cast<int>(PresentParams.MultiSampleType) != Choice.iFactor) {
    return Failure(kTool, "the device made " + std::to_string(static_cast<int>(PresentParams.MultiSampleType)) +
                              " samples, not " + std::to_string(Choice.iFactor));
  }

  std::string strMusic;
  if (!bSequence) {
    std::error_code error;
    const std::filesystem::path Music = DataFolder / kDataFileNames[kMusicFile];
    if (std::filesystem::is_regular_file(Music, error)) {
      strMusic = Music.string();
    } else {
      std::fprintf(stderr, "vimra-record: no %s in %s; recording without music\n", kDataFileNames[kMusicFile],
                   DataFolder.c_str());
    }
  }

  const char* pszFfmpeg = std::getenv("VIMRA_FFMPEG");
  FfmpegProcess Ffmpeg;
  std::string strError;
  if (!Ffmpeg.Start(pszFfmpeg != nullptr && *pszFfmpeg != '\0' ? pszFfmpeg : "ffmpeg",
                    FfmpegArguments(Options, strMusic, Target), strError)) {
    return Failure(kTool, strError);
  }

  const int iTotal = FrameCount(Options);
  if (!Options.bQuiet) {
    std::fprintf(stderr, "vimra-record: %d frames, %dx%d at %d fps, %.3f to %.3f s, %s, to %s\n", iTotal,
                 Options.iWidth, Options.iHeight, Options.iFps, Options.dwStartMs / 1000.0, Options.dwEndMs / 1000.0,
                 DescribeAntialias(Choice).c_str(), Options.Output.c_str());
  }
  FrameQueue Queue;
  std::atomic<int> iWritten{0};
  // The writer leaves the stop signals to this thread.
  sigset_t Signals, Previous;
  sigemptyset(&Signals);
  sigaddset(&Signals, SIGINT);
  sigaddset(&Signals, SIGTERM);
  pthread_sigmask(SIG_BLOCK, &Signals, &Previous);
  std::thread Writer(WriteFrames, std::ref(Queue), std::ref(Ffmpeg), std::cref(Options), iScale, std::ref(iWritten));
  pthread_sigmask(SIG_SETMASK, &Previous, nullptr);

  Progress Shown(iTotal, Options.bQuiet);
  bool bReadFailed = false;
  for (int i = 0; i < iTotal && iStopSignal == 0; ++i) {
    DrawFrameAt(FrameTime(Options, i));
    const int iSlot = Queue.AcquireFree();
    if (iSlot < 0) break;
    int iWidth = 0, iHeight = 0;
    if (!D3D9ReadBackBuffer(pDevice, Queue.Slots[iSlot], iWidth, iHeight) || iWidth != iRenderWidth ||
        iHeight != iRenderHeight) {
      bReadFailed = true;
      break;
    }
    Queue.Submit(iSlot);
    Shown.Show(iWritten);
  }
  if (iStopSignal != 0 || bReadFailed) Ffmpeg.Interrupt();
  Queue.Close();
  Writer.join();
  Shown.Show(iWritten);
  Shown.End();
  const bool bFinished = Ffmpeg.Finish(iStopSignal, strError);

  if (iStopSignal != 0) {
    RemoveOutput();
    std::fprintf(stderr, "vimra-record: stopped by signal %d; removed the partial %s\n", static_cast<int>(iStopSignal),
                 Options.Output.c_str());
    return 128 + iStopSignal;
  }
  if (bReadFailed || Queue.Failed() || !bFinished || iWritten != iTotal) {
    RemoveOutput();
    return Failure(kTool, "cannot write " + Options.Output.string() + ": " +
                              (bReadFailed ? "the back buffer could not be read"
                                           : (bFinished ? "ffmpeg stopped reading frames" : strError)));
  }
  if (!bSequence) {
    std::error_code error;
    std::filesystem::rename(Target, Options.Output, error);
    if (error) {
      RemoveOutput();
      return Failure(kTool, "cannot write " + Options.Output.string() + ": " + error.message());
    }
  }
  if (!Options.bQuiet) {
    const double fSeconds = Shown.Seconds();
    std::fprintf(stderr, "vimra-record: wrote %s: %d frames in %.1f s (%.2f x the recorded time)\n",
                 Options.Output.c_str(), iTotal, fSeconds,
                 fSeconds * 1000.0 / static_cast<double>(Options.dwEndMs - Options.dwStartMs));
  }
  return 0;
}

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

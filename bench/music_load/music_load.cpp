// bench_music_load MUSIC.mp3: the music loaded as the demo loads it, on the
// silent output, through this platform's codec. Prints how long
// FSOUND_Sample_Load took, how long from the load's start until the codec
// had decoded the whole music, the sound's length, and then (once the
// library is closed) the peak resident memory of the process, which holds
// nothing else.
#include <sys/resource.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <mutex>

#include "fmod.h"
#include "mp3_codec.h"

namespace {

using Clock = std::chrono::steady_clock;

// The platform's codec, with the moment it finished and the length it was given.
class TimedCodec final : public Mp3Codec {
 public:
  bool DecodesOnThread() const override { return PlatformMp3Codec().DecodesOnThread(); }
  size_t Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                const DecodeProgress& Progress) override {
    const size_t iFrames = PlatformMp3Codec().Decode(pData, iSize, Format, Pcm, Progress);
    std::lock_guard Guard(Lock);
    Finished = Clock::now();
    fCounted = Pcm.iRate > 0 ? static_cast<double>(Pcm.FrameCount()) / Pcm.iRate : 0;
    fDecoded = Pcm.iRate > 0 ? static_cast<double>(iFrames) / Pcm.iRate : 0;
    bFinished = true;
    Done.notify_all();
    return iFrames;
  }

  std::mutex Lock;
  std::condition_variable Done;
  bool bFinished = false;
  Clock::time_point Finished;
  double fCounted = 0;
  double fDecoded = 0;
};

double Ms(Clock::duration Span) { return std::chrono::duration<double, std::milli>(Span).count(); }

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: bench_music_load MUSIC.mp3\n");
    return 2;
  }
  static TimedCodec Codec;
  FmodSetMp3Codec(&Codec);
  if (FSOUND_SetOutput(FSOUND_OUTPUT_NOSOUND) == 0 || FSOUND_Init(44100, 32, 0) == 0) {
    std::fprintf(stderr, "bench_music_load: no output\n");
    return 1;
  }
  const Clock::time_point Start = Clock::now();
  FSOUND_SAMPLE* pMusic = FSOUND_Sample_Load(FSOUND_FREE, argv[1], FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO, 0);
  const Clock::time_point Loaded = Clock::now();
  std::printf("load: %.1f ms (%s)\n", Ms(Loaded - Start), pMusic != nullptr ? "loaded" : "refused");
  if (pMusic != nullptr) {
    std::unique_lock Guard(Codec.Lock);
    Codec.Done.wait(Guard, [] { return Codec.bFinished; });
    std::printf("whole music decoded: %.1f ms after the load began; %.2f s counted, %.2f s decoded\n",
                Ms(Codec.Finished - Start), Codec.fCounted, Codec.fDecoded);
  }
  FSOUND_Close();
  rusage Usage{};
  getrusage(RUSAGE_SELF, &Usage);
  std::printf("peak resident memory: %ld kB\n", Usage.ru_maxrss);
  return 0;
}

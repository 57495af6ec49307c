// Run under Wine (or on Windows): the sound library as the demo drives it,
// and the length the system's MP3 codec decodes a file to.
//   sound_check FILE.mp3   -> exit 0 when it decodes to at least 85.1 s
#include <cstdio>
#include <vector>

#include "fmod.h"
#include "read_whole_file.h"
#include "sound/sound_system.h"
#include "sound_files.h"
#include "mp3_codec.h"

namespace {

// Whether this machine's output of a type opens (reported, not required:
// a machine without a sound device has none).
void ReportOutput(int iType, const char* pszName) {
  const bool bOpened = FSOUND_SetOutput(iType) != 0 && FSOUND_Init(44100, 32, 0) != 0;
  std::printf("%s: %s\n", pszName, bOpened ? "opens" : "does not open");
  FSOUND_Close();
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: sound_check FILE.mp3\n");
    return 2;
  }
  ReportOutput(FSOUND_OUTPUT_DSOUND, "DirectSound");
  ReportOutput(FSOUND_OUTPUT_WINMM, "waveOut");
  // The demo's own calls: the chain of outputs settles on one that opens.
  SoundSystem Sound;
  if (!Sound.Init(FSOUND_OUTPUT_DSOUND, 0, 44100, 32, 0)) {
    std::printf("no output opened, not even the silent one\n");
    return 1;
  }
  FSOUND_SAMPLE* pSample = Sound.LoadSample(argv[1], -1, FSOUND_LOOP_OFF | FSOUND_8BITS | FSOUND_MONO);
  const int iChannel = pSample != nullptr ? Sound.PlaySample(pSample, 128, -1) : -1;
  std::printf("FSOUND_Sample_Load: %s, playing on channel %d\n", pSample != nullptr ? "loaded" : "null", iChannel);

  std::vector<unsigned char> Bytes;
  Mp3Format Format;
  PcmSound Pcm;
  if (!ReadWholeFile(argv[1], kMaxSoundFileBytes, Bytes) || !FindMp3Format(Bytes.data(), Bytes.size(), Format)) {
    std::printf("%s is no MP3 file\n", argv[1]);
    return 1;
  }
  // Into the length the library counts, as the library decodes it.
  Pcm.iRate = Format.iRate;
  Pcm.iChannels = Format.iChannels;
  Pcm.Samples.resize(static_cast<size_t>(Mp3Seconds(Bytes.data(), Bytes.size(), Format) * Format.iRate) *
                     static_cast<size_t>(Format.iChannels));
  const size_t iFrames =
      PlatformMp3Codec().Decode(Bytes.data() + Format.iFirstFrame, Bytes.size() - Format.iFirstFrame, Format, Pcm, {});
  if (iFrames == 0) {
    std::printf("the system's codec did not decode %s\n", argv[1]);
    return 1;
  }
  const double fSeconds = static_cast<double>(iFrames) / Pcm.iRate;
  std::printf("decoded %.3f s at %d Hz, %d channels\n", fSeconds, Pcm.iRate, Pcm.iChannels);
  return fSeconds >= 85.1 && pSample != nullptr && iChannel >= 0 ? 0 : 1;
}

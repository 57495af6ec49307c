// capture_frames: where a recording stands at each frame a program presents.
//   capture_frames FIFO RECORDING.wav OUT
// Reads the lines the program writes to FIFO (VIMRA_FRAME_LOG: a frame's demo
// time in ms, as it is presented) and, as each one arrives, writes to OUT the
// demo time and how many frames the recording holds (RECORDING.wav, which
// parec is writing: 16-bit stereo after a 44-byte header). It waits on the
// FIFO and looks at the recording only when a line comes, so it costs the
// machine nothing between frames. At the first line it prints the recording's
// length then on stdout, which its caller waits on; an "ended STATUS" line
// (the harness's, when the program ends) is passed on there. Ends with the
// program.
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "recorded_frames.h"

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: capture_frames FIFO RECORDING.wav OUT\n");
    return 2;
  }
  const int iRecording = open(argv[2], O_RDONLY | O_CLOEXEC);
  std::FILE* pOut = std::fopen(argv[3], "w");
  std::FILE* pFrames = std::fopen(argv[1], "r");
  if (iRecording < 0 || pOut == nullptr || pFrames == nullptr) {
    std::fprintf(stderr, "capture_frames: cannot open %s, %s or %s\n", argv[1], argv[2], argv[3]);
    return 2;
  }
  char szLine[64];
  bool bFirst = true;
  while (std::fgets(szLine, sizeof szLine, pFrames) != nullptr) {
    const long long iFrames = RecordedFrames(iRecording);
    unsigned long iDemoMs = 0;
    if (std::sscanf(szLine, "%lu", &iDemoMs) != 1) {
      if (std::strncmp(szLine, "ended ", 6) == 0) {
        std::fputs(szLine, stdout);
        std::fflush(stdout);
      }
      continue;
    }
    std::fprintf(pOut, "%lu %lld\n", iDemoMs, iFrames);
    if (bFirst) {
      std::printf("%lld\n", iFrames);
      std::fflush(stdout);
      bFirst = false;
    }
  }
  std::fclose(pOut);
  return 0;
}

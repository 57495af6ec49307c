// bench_sound_start TONE.wav: the sound library's output opened as the demo
// opens it, left silent for a second (so that a lead of silence would be
// queued), then TONE.wav played. The moment of FSOUND_PlaySound is written as
// a line "0" to VIMRA_FRAME_LOG just before the call, so that
// sound_start.sh can find, in a recording of the output, how long the tone
// took to be heard.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <thread>

#include "fmod.h"

int main(int argc, char** argv) {
  const char* pszLog = std::getenv("VIMRA_FRAME_LOG");
  if (argc != 2 || pszLog == nullptr) {
    std::fprintf(stderr, "usage: VIMRA_FRAME_LOG=FILE bench_sound_start TONE.wav\n");
    return 2;
  }
  if (FSOUND_SetOutput(FSOUND_OUTPUT_DSOUND) == 0 || FSOUND_SetDriver(0) == 0 || FSOUND_Init(44100, 32, 0) == 0) {
    std::fprintf(stderr, "bench_sound_start: no output\n");
    return 1;
  }
  FSOUND_SAMPLE* pTone = FSOUND_Sample_Load(FSOUND_FREE, argv[1], FSOUND_LOOP_OFF, 0);
  if (pTone == nullptr) {
    std::fprintf(stderr, "bench_sound_start: cannot load %s\n", argv[1]);
    return 1;
  }
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::FILE* pFile = std::fopen(pszLog, "w");
  if (pFile == nullptr) return 1;
  std::fputs("0\n", pFile);
  std::fflush(pFile);
  FSOUND_PlaySound(FSOUND_FREE, pTone);
  std::this_thread::sleep_for(std::chrono::seconds(1));
  std::fclose(pFile);
  FSOUND_Close();
  return 0;
}

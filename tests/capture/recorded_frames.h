// How many frames a recording holds while parec writes it: 16-bit stereo
// after a 44-byte WAV header.
#pragma once

#include <sys/stat.h>

inline long long RecordedFrames(int iRecording) {
  struct stat Status {};
  fstat(iRecording, &Status);
  return Status.st_size > 44 ? (static_cast<long long>(Status.st_size) - 44) / 4 : 0;
}

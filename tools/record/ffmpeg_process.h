// ffmpeg as a child process fed through its standard input. It runs in a
// process group of its own, so a Ctrl+C at the terminal reaches only the
// recorder, which then decides what becomes of the child.
#pragma once

#include <sys/types.h>

#include <csignal>

#include <string>
#include <vector>

class FfmpegProcess {
 public:
  FfmpegProcess() = default;
  FfmpegProcess(const FfmpegProcess&) = delete;
  FfmpegProcess& operator=(const FfmpegProcess&) = delete;
  ~FfmpegProcess();

  // Starts strProgram (looked up on PATH) with Args; false with a reason when it cannot.
  bool Start(const std::string& strProgram, const std::vector<std::string>& Args, std::string& strError);
  // Writes all bytes; false once ffmpeg stopped reading (it ended or was killed).
  bool Write(const unsigned char* pBytes, size_t iCount);
  // Closes the input and waits: true when ffmpeg ended with status 0, else
  // strError says how it ended. Once bStop is set ffmpeg is ended at once.
  bool Finish(const volatile sig_atomic_t& bStop, std::string& strError);
  // Ends ffmpeg at once, so a Write blocked on another thread returns; Finish reaps it.
  void Interrupt();

 private:
  pid_t iPid = -1;
  int iInput = -1;
};

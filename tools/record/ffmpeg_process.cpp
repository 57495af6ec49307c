#include "ffmpeg_process.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

extern char** environ;

FfmpegProcess::~FfmpegProcess() {
  static const volatile sig_atomic_t bNow = 1;
  std::string strIgnored;
  if (iPid > 0) Finish(bNow, strIgnored);
}

bool FfmpegProcess::Start(const std::string& strProgram, const std::vector<std::string>& Args,
                          std::string& strError) {
  int Pipe[2];
  if (pipe2(Pipe, O_CLOEXEC) != 0) {
    strError = std::string("cannot make a pipe: ") + std::strerror(errno);
    return false;
  }
  // A bigger pipe lets a whole row band through per write on the way to ffmpeg.
  fcntl(Pipe[1], F_SETPIPE_SZ, 1 << 20);
  posix_spawn_file_actions_t Actions;
  posix_spawn_file_actions_init(&Actions);
  posix_spawn_file_actions_adddup2(&Actions, Pipe[0], STDIN_FILENO);
  posix_spawnattr_t Attributes;
  posix_spawnattr_init(&Attributes);
  posix_spawnattr_setpgroup(&Attributes, 0);
  sigset_t Default;
  sigemptyset(&Default);
  sigaddset(&Default, SIGINT);
  sigaddset(&Default, SIGTERM);
  sigaddset(&Default, SIGPIPE);
  posix_spawnattr_setsigdefault(&Attributes, &Default);
  sigset_t Unblocked;
  sigemptyset(&Unblocked);
  posix_spawnattr_setsigmask(&Attributes, &Unblocked);
  posix_spawnattr_setflags(&Attributes, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGDEF | POSIX_SPAWN_SETSIGMASK);

  std::vector<char*> Argv;
  Argv.push_back(const_cast<char*>(strProgram.c_str()));
  for (const std::string& strArg : Args) Argv.push_back(const_cast<char*>(strArg.c_str()));
  Argv.push_back(nullptr);
  const int iResult = posix_spawnp(&iPid, strProgram.c_str(), &Actions, &Attributes, Argv.data(), environ);
  posix_spawn_file_actions_destroy(&Actions);
  posix_spawnattr_destroy(&Attributes);
  close(Pipe[0]);
  if (iResult != 0) {
    close(Pipe[1]);
    iPid = -1;
    strError = "cannot run " + strProgram + ": " + std::strerror(iResult) +
               (iResult == ENOENT ? " (install ffmpeg, or name it in VIMRA_FFMPEG)" : "");
    return false;
  }
  iInput = Pipe[1];
  return true;
}

bool FfmpegProcess::Write(const unsigned char* pBytes, size_t iCount) {
  while (iCount > 0) {
    const ssize_t iWritten = write(iInput, pBytes, iCount);
    if (iWritten < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    pBytes += iWritten;
    iCount -= static_cast<size_t>(iWritten);
  }
  return true;
}

bool FfmpegProcess::Finish(const volatile sig_atomic_t& bStop, std::string& strError) {
  if (iInput >= 0) close(iInput);
  iInput = -1;
  if (iPid < 0) return false;
  int iStatus = 0;
  for (;;) {
    const pid_t iDone = waitpid(iPid, &iStatus, WNOHANG);
    if (iDone == iPid || (iDone < 0 && errno != EINTR)) break;
    if (bStop) kill(iPid, SIGKILL);
    usleep(20000);
  }
  iPid = -1;
  if (WIFEXITED(iStatus) && WEXITSTATUS(iStatus) == 0) return true;
  strError = WIFEXITED(iStatus) ? "ffmpeg ended with status " + std::to_string(WEXITSTATUS(iStatus))
                                : "ffmpeg was ended by signal " + std::to_string(WTERMSIG(iStatus));
  return false;
}

void FfmpegProcess::Interrupt() {
  if (iPid > 0) kill(iPid, SIGKILL);
}

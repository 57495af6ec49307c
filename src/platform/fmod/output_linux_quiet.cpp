#include "output_linux_quiet.h"

#include <SDL.h>
#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>

namespace {

void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

// SDL's own messages about the audio drivers it tried are dropped; every
// other message goes to stderr as SDL would print it.
void RouteSdlLog(void*, int iCategory, SDL_LogPriority Priority, const char* pszMessage) {
  if (iCategory == SDL_LOG_CATEGORY_AUDIO) return;
  static const char* const kPriorities[SDL_NUM_LOG_PRIORITIES] = {"",     "VERBOSE", "DEBUG",   "INFO",
                                                                  "WARN", "ERROR",   "CRITICAL"};
  const bool bKnown = Priority > 0 && Priority < SDL_NUM_LOG_PRIORITIES;
  std::fprintf(stderr, "%s: %s\n", bKnown ? kPriorities[Priority] : "LOG", pszMessage);
}

}  // namespace

void QuietenOutputSearch() {
  static const bool bDone = [] {
    snd_lib_error_set_handler(IgnoreAlsaError);
    SDL_LogSetOutputFunction(RouteSdlLog, nullptr);
    return true;
  }();
  (void)bDone;
}

StderrSilenced::StderrSilenced() {
  std::fflush(stderr);
  iSaved = dup(STDERR_FILENO);
  const int iNull = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (iSaved >= 0 && iNull >= 0) dup2(iNull, STDERR_FILENO);
  if (iNull >= 0) close(iNull);
}

StderrSilenced::~StderrSilenced() {
  if (iSaved < 0) return;
  dup2(iSaved, STDERR_FILENO);
  close(iSaved);
}

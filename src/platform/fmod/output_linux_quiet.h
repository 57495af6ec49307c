// Quiet while the Linux output looks for a device: ALSA, SDL and the output
// libraries below SDL print a dozen lines of their own on a machine without
// sound; the output says it once, plainly, instead (output_linux.cpp).
#pragma once

// Drops ALSA's error messages and SDL's messages about the audio drivers it
// tried for good (every other SDL message still goes to stderr). Idempotent.
void QuietenOutputSearch();

// Some output libraries print their failures straight to stderr (sndio's
// ALSA backend does): while one lives, stderr is /dev/null.
class StderrSilenced {
 public:
  StderrSilenced();
  ~StderrSilenced();
  StderrSilenced(const StderrSilenced&) = delete;
  StderrSilenced& operator=(const StderrSilenced&) = delete;

 private:
  int iSaved = -1;
};

#include "host/run_demo.h"
#include "win32.h"

// The command line and the other arguments are ignored.
int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RunDemo();
  return 0;
}

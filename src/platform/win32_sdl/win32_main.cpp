// The process entry: the command line is handed over as one string, as
// Windows does; the demo ignores it. WinMain's result ends the process
// through ExitProcess, as the C runtime does on Windows, so nothing the run
// keeps alive (the GL driver's threads among it) is torn down on the way out.
#include <string>

#include "win32.h"

int main(int argc, char** argv) {
  std::string strCommandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) strCommandLine += ' ';
    strCommandLine += argv[i];
  }
  ExitProcess(static_cast<UINT>(WinMain(nullptr, nullptr, strCommandLine.data(), SW_SHOWNORMAL)));
}

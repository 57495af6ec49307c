// The process entry: the command line is handed over as one string, as
// Windows does; the demo ignores it.
#include <string>

#include "win32.h"

int main(int argc, char** argv) {
  std::string strCommandLine;
  for (int i = 1; i < argc; ++i) {
    if (i > 1) strCommandLine += ' ';
    strCommandLine += argv[i];
  }
  return WinMain(nullptr, nullptr, strCommandLine.data(), SW_SHOWNORMAL);
}

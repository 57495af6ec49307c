// vimra-frame: renders the demo's frame at given demo times to PNG files,
// through the program's own start-up and frame drawing, offscreen.
//   vimra-frame [--data DIR] TIME_MS OUT.png [TIME_MS OUT.png ...]
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "d3d9_readback.h"
#include "data_option.h"
#include "host/data_files.h"
#include "host/demo_clock.h"
#include "core/globals.h"
#include "host/run_demo.h"
#include "png_file.h"
#include "tool_io.h"
#ifndef _WIN32
#include "win32_seams.h"
#endif

namespace {

const ToolInfo kTool = {"vimra-frame", "vimra-frame [--data DIR] TIME_MS OUT.png [TIME_MS OUT.png ...]"};

bool ParseTime(const char* pszText, DWORD& dwTime) {
  if (*pszText < '0' || *pszText > '9') return false;
  char* pEnd = nullptr;
  errno = 0;
  const unsigned long long iValue = std::strtoull(pszText, &pEnd, 10);
  if (errno != 0 || *pEnd != '\0' || iValue > 0xFFFFFFFFull) return false;
  dwTime = static_cast<DWORD>(iValue);
  return true;
}

int Run(int argc, char** argv) {
  std::filesystem::path DataFolder;
  std::vector<std::string> Arguments;
  if (const int iCode = ParseDataOption(kTool, argc, argv, DataFolder, Arguments)) return iCode;
  std::vector<std::pair<DWORD, std::filesystem::path>> Frames;
  for (size_t i = 0; i < Arguments.size(); i += 2) {
    if (i + 1 >= Arguments.size()) return UsageError(kTool, "a demo time needs an output file");
    DWORD dwTime = 0;
    if (!ParseTime(Arguments[i].c_str(), dwTime))
      return UsageError(kTool, "'" + Arguments[i] + "' is not a demo time in milliseconds");
    const std::string& strOut = Arguments[i + 1];
    std::error_code error;
    const std::filesystem::path OutPath = std::filesystem::absolute(strOut, error);
    if (strOut.empty() || error) return UsageError(kTool, "'" + strOut + "' is not a file name");
    Frames.emplace_back(dwTime, OutPath);
  }
  if (Frames.empty()) return UsageError(kTool, "no frame to render");

#ifndef _WIN32
  // Always offscreen and silent: this renders pictures, it does not play.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
  if (const int iCode = EnterDataOption(kTool, DataFolder, kDataFileNames)) return iCode;
  std::error_code error;
  // The frames are drawn without what is missing, as the demo would draw them.
  for (const std::string& strMissing : MissingDataFiles(std::filesystem::current_path(error), kDataFileNames))
    std::fprintf(stderr, "vimra-frame: warning: %s is missing; the frames are drawn without it\n", strMissing.c_str());
#ifndef _WIN32
  Win32SetExitHandler([](UINT uCode) {
    std::fprintf(stderr, "vimra-frame: the start-up ended the process (code %d)\n", static_cast<int>(uCode));
    std::exit(1);
  });
#endif
  // On Windows the window is a real one and a failed start-up shows the
  // design's message box and ends with exit code -1.
  StartUp();

  for (const auto& [dwTime, Path] : Frames) {
    SetDemoTime(dwTime);
    DrawFrame();
    pDevice->EndScene();
    std::vector<unsigned char> Pixels;
    int iWidth = 0, iHeight = 0;
    if (!D3D9ReadBackBuffer(pDevice, Pixels, iWidth, iHeight) || !WriteRgbaPng(Path.string(), Pixels, iWidth, iHeight))
      return Failure(kTool, "cannot write " + Path.string());
    std::printf("%s: demo time %u ms (%.4f units)\n", Path.string().c_str(), static_cast<unsigned>(dwTime),
                static_cast<double>(fTime));
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

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
#include "data_folder.h"
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
  std::vector<std::pair<DWORD, std::filesystem::path>> Frames;
  for (int i = 1; i < argc; ++i) {
    const std::string strArg = argv[i];
    if (strArg == "--data") {
      if (i + 1 >= argc) return UsageError(kTool, "--data needs a folder");
      DataFolder = argv[++i];
    } else if (IsOption(strArg)) {
      return UsageError(kTool, "unknown option " + strArg);
    } else if (i + 1 < argc) {
      DWORD dwTime = 0;
      if (!ParseTime(argv[i], dwTime)) return UsageError(kTool, "'" + strArg + "' is not a demo time in milliseconds");
      const std::string strOut = argv[++i];
      std::error_code error;
      const std::filesystem::path OutPath = std::filesystem::absolute(strOut, error);
      if (strOut.empty() || error) return UsageError(kTool, "'" + strOut + "' is not a file name");
      Frames.emplace_back(dwTime, OutPath);
    } else {
      return UsageError(kTool, "a demo time needs an output file");
    }
  }
  if (Frames.empty()) return UsageError(kTool, "no frame to render");

#ifndef _WIN32
  // Always offscreen and silent: this renders pictures, it does not play.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
#endif
  std::error_code error;
  // Without --data, the demo's own lookup: the working directory, else the
  // installed or the source tree's data.
  if (DataFolder.empty()) EnterDataFolder("vimra-frame", kDataFileNames);
  else std::filesystem::current_path(DataFolder, error);
  if (error) return Failure(kTool, "cannot enter " + DataFolder.string() + ": " + error.message());
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

// vimra-frame: renders the demo's frame at given demo times to PNG files,
// through the program's own start-up and frame drawing, offscreen.
//   vimra-frame [--data DIR] TIME_MS OUT.png [TIME_MS OUT.png ...]
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "d3d9_seams.h"
#include "host/demo_clock.h"
#include "core/globals.h"
#include "host/run_demo.h"
#include "win32_seams.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: vimra-frame [--data DIR] TIME_MS OUT.png [TIME_MS OUT.png ...]\n");
  return 2;
}

bool ParseTime(const char* pszText, DWORD& dwTime) {
  char* pEnd = nullptr;
  const unsigned long iValue = std::strtoul(pszText, &pEnd, 10);
  if (pEnd == pszText || *pEnd != '\0' || iValue > 0xFFFFFFFFul) return false;
  dwTime = static_cast<DWORD>(iValue);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path DataFolder = std::filesystem::current_path();
  std::vector<std::pair<DWORD, std::filesystem::path>> Frames;
  for (int i = 1; i < argc; ++i) {
    const std::string strArg = argv[i];
    if (strArg == "--data" && i + 1 < argc) {
      DataFolder = argv[++i];
    } else if (i + 1 < argc) {
      DWORD dwTime = 0;
      if (!ParseTime(argv[i], dwTime)) {
        std::fprintf(stderr, "vimra-frame: '%s' is not a demo time in milliseconds\n", argv[i]);
        return Usage();
      }
      Frames.emplace_back(dwTime, std::filesystem::absolute(argv[++i]));
    } else {
      return Usage();
    }
  }
  if (Frames.empty()) return Usage();

  // Always offscreen and silent: this renders pictures, it does not play.
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  std::error_code error;
  std::filesystem::current_path(DataFolder, error);
  if (error) {
    std::fprintf(stderr, "vimra-frame: cannot enter %s: %s\n", DataFolder.c_str(), error.message().c_str());
    return 1;
  }
  Win32SetExitHandler([](UINT uCode) {
    std::fprintf(stderr, "vimra-frame: the start-up ended the process (code %d)\n", static_cast<int>(uCode));
    std::exit(1);
  });
  StartUp();

  for (const auto& [dwTime, Path] : Frames) {
    SetDemoTime(dwTime);
    DrawFrame();
    pDevice->EndScene();
    std::vector<unsigned char> Pixels;
    int iWidth = 0, iHeight = 0;
    if (!D3D9ReadBackBuffer(pDevice, Pixels, iWidth, iHeight) || !D3D9WritePng(Path.string(), Pixels, iWidth, iHeight)) {
      std::fprintf(stderr, "vimra-frame: cannot write %s\n", Path.c_str());
      return 1;
    }
    std::printf("%s: demo time %u ms (%.4f units)\n", Path.c_str(), dwTime, static_cast<double>(fTime));
  }
  return 0;
}

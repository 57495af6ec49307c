// The page's program. Without arguments in the address it plays the demo
// through WinMain, as on the desktop; with ?frame=T[,T...] it draws the
// frames at those demo times (in milliseconds) through the program's own
// start-up and frame drawing and hands each to the page as RGBA rows, top row
// first, for the tests and for pictures.
#include <emscripten.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "core/globals.h"
#include "d3d9_seams.h"
#include "host/demo_clock.h"
#include "host/run_demo.h"
#include "win32.h"

namespace {

// The ?frame= list, or an empty string when the page plays.
EM_JS(char*, PageFrameList, (), {
  const value = new URLSearchParams(location.search).get("frame");
  return value === null ? 0 : allocateUTF8(value);
});

EM_JS(void, PageTakeFrame, (unsigned int dwTime, const unsigned char* pPixels, int iWidth, int iHeight), {
  Module.page.takeFrame(dwTime, HEAPU8.slice(pPixels, pPixels + iWidth * iHeight * 4), iWidth, iHeight);
});

EM_JS(void, PageFramesDone, (int bAllDrawn), { Module.page.framesDone(bAllDrawn !== 0); });

// Demo times from "10000,30000"; false for anything that is not such a list.
bool ParseTimes(const std::string& strList, std::vector<DWORD>& Times) {
  size_t iStart = 0;
  while (iStart <= strList.size()) {
    const size_t iEnd = std::min(strList.find(',', iStart), strList.size());
    const std::string strItem = strList.substr(iStart, iEnd - iStart);
    char* pEnd = nullptr;
    const unsigned long iValue = std::strtoul(strItem.c_str(), &pEnd, 10);
    if (strItem.empty() || *pEnd != '\0' || iValue > 0xFFFFFFFFul) return false;
    Times.push_back(static_cast<DWORD>(iValue));
    iStart = iEnd + 1;
  }
  return !Times.empty();
}

bool DrawFrames(const std::vector<DWORD>& Times) {
  StartUp();
  for (const DWORD dwTime : Times) {
    dwDemoTime = dwTime;
    fTime = static_cast<float>(static_cast<double>(dwDemoTime) * static_cast<double>(kTimelineUnitsPerMs));
    DrawFrame();
    pDevice->EndScene();
    std::vector<unsigned char> Pixels;
    int iWidth = 0, iHeight = 0;
    if (!D3D9ReadBackBuffer(pDevice, Pixels, iWidth, iHeight)) return false;
    PageTakeFrame(dwTime, Pixels.data(), iWidth, iHeight);
  }
  return true;
}

}  // namespace

int main() {
  char* pszFrames = PageFrameList();
  if (pszFrames != nullptr) {
    std::vector<DWORD> Times;
    const bool bParsed = ParseTimes(pszFrames, Times);
    std::free(pszFrames);
    PageFramesDone(bParsed && DrawFrames(Times) ? 1 : 0);
    return 0;
  }
  ExitProcess(static_cast<UINT>(WinMain(nullptr, nullptr, nullptr, SW_SHOWNORMAL)));
}

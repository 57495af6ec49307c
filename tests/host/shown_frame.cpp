// shown_frame: one frame of the demo shown in its window as the demo shows it
// (its own start-up, DrawFrame, Present), over and over at one demo time, so
// that a test can change the window and capture a picture it knows: the
// recorder draws the same frame at any size. After each Present that shows a
// frame of another drawn size than the one before, it prints "drawn WxH".
// Escape ends it.
//   shown_frame DATA_DIR TIME_MS
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/globals.h"
#include "d3d9_readback.h"
#include "host/demo_clock.h"
#include "host/frame_stats.h"
#include "host/run_demo.h"

int main(int argc, char** argv) {
  if (argc != 3 || chdir(argv[1]) != 0) {
    std::fprintf(stderr, "usage: shown_frame DATA_DIR TIME_MS\n");
    return 2;
  }
  const DWORD dwTime = static_cast<DWORD>(std::strtoul(argv[2], nullptr, 10));
  // Single-sampled on every device, so that the picture compares pixel for
  // pixel with the recorder's --antialias none (the first attempt keeps it).
  PresentParams.MultiSampleType = D3DMULTISAMPLE_NONE;
  StartUp();
  StartFrameStats();  // VIMRA_FRAME_LOG: the harness waits for the first frame on it
  std::vector<unsigned char> Pixels;
  int iShownWidth = 0, iShownHeight = 0;
  MSG msg;
  for (;;) {
    SetDemoTime(dwTime);
    DrawFrame();
    pDevice->EndScene();
    pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    NoteFramePresented();
    // What was just presented, read back: its size is the size it was drawn at.
    int iWidth = 0, iHeight = 0;
    if (D3D9ReadBackBuffer(pDevice, Pixels, iWidth, iHeight) && (iWidth != iShownWidth || iHeight != iShownHeight)) {
      std::printf("drawn %dx%d\n", iWidth, iHeight);
      std::fflush(stdout);
      iShownWidth = iWidth;
      iShownHeight = iHeight;
    }
    if (GetAsyncKeyState(VK_ESCAPE) != 0) return 0;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) DispatchMessageA(&msg);
  }
}

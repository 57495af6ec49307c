// vimra-look-metrics: how washed out and how speckled rendered frames are.
//   vimra-look-metrics [--marks DIR] FRAME.png [FRAME.png ...]
// For each PNG (as vimra-frame writes them, background of the demo's clear
// colour) it prints the share of object pixels that are pure white and the
// share of interior object pixels that are speckle. With --marks it also
// writes each frame to DIR with its white pixels in red and its speckle in
// green, the rest dimmed.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <vector>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "look_metrics.h"

namespace {

bool WriteMarks(const std::filesystem::path& Path, unsigned char* pPixels, int iWidth, int iHeight,
                const std::vector<unsigned char>& Marks) {
  for (size_t i = 0; i < Marks.size(); ++i) {
    unsigned char* p = pPixels + 4 * i;
    const unsigned char kColours[3][3] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
    for (int c = 0; c < 3; ++c) p[c] = Marks[i] == kMarkNone ? static_cast<unsigned char>(p[c] / 3) : kColours[Marks[i]][c];
  }
  return stbi_write_png(Path.c_str(), iWidth, iHeight, 4, pPixels, iWidth * 4) != 0;
}

}  // namespace

int main(int argc, char** argv) {
  int iFirst = 1;
  std::filesystem::path MarksFolder;
  if (argc > 2 && std::strcmp(argv[1], "--marks") == 0) {
    MarksFolder = argv[2];
    iFirst = 3;
  }
  if (iFirst >= argc) {
    std::fprintf(stderr, "usage: vimra-look-metrics [--marks DIR] FRAME.png [FRAME.png ...]\n");
    return 2;
  }
  std::printf("%-40s %9s %9s %9s %9s\n", "frame", "objects", "white %", "interior", "speckle %");
  for (int i = iFirst; i < argc; ++i) {
    int iWidth = 0, iHeight = 0, iChannels = 0;
    unsigned char* pPixels = stbi_load(argv[i], &iWidth, &iHeight, &iChannels, 4);
    if (pPixels == nullptr) {
      std::fprintf(stderr, "vimra-look-metrics: cannot read %s: %s\n", argv[i], stbi_failure_reason());
      return 1;
    }
    std::vector<unsigned char> Marks;
    const LookMetrics M = MeasureLook(pPixels, iWidth, iHeight, kDemoClearColour, &Marks);
    std::printf("%-40s %9d %9.2f %9d %9.3f\n", argv[i], M.iObjectPixels, 100 * M.WhiteShare(), M.iInteriorPixels,
                100 * M.SpeckleShare());
    bool bOk = true;
    if (!MarksFolder.empty()) {
      const std::filesystem::path Out = MarksFolder / std::filesystem::path(argv[i]).filename();
      bOk = WriteMarks(Out, pPixels, iWidth, iHeight, Marks);
      if (!bOk) std::fprintf(stderr, "vimra-look-metrics: cannot write %s\n", Out.c_str());
    }
    stbi_image_free(pPixels);
    if (!bOk) return 1;
  }
  return 0;
}

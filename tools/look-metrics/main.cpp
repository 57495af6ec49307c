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
#include <string>
#include <vector>

#include "look_metrics.h"
#include "png_file.h"

namespace {

bool WriteMarks(const std::filesystem::path& Path, std::vector<unsigned char>& Pixels, int iWidth, int iHeight,
                const std::vector<unsigned char>& Marks) {
  for (size_t i = 0; i < Marks.size(); ++i) {
    unsigned char* p = Pixels.data() + 4 * i;
    const unsigned char kColours[3][3] = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}};
    for (int c = 0; c < 3; ++c) p[c] = Marks[i] == kMarkNone ? static_cast<unsigned char>(p[c] / 3) : kColours[Marks[i]][c];
  }
  return WriteRgbaPng(Path.string(), Pixels, iWidth, iHeight);
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
    std::vector<unsigned char> Pixels;
    int iWidth = 0, iHeight = 0;
    std::string strError;
    if (!ReadPngFile(argv[i], Pixels, iWidth, iHeight, &strError)) {
      std::fprintf(stderr, "vimra-look-metrics: cannot read %s: %s\n", argv[i], strError.c_str());
      return 1;
    }
    std::vector<unsigned char> Marks;
    const LookMetrics M = MeasureLook(Pixels.data(), iWidth, iHeight, kDemoClearColour, &Marks);
    std::printf("%-40s %9d %9.2f %9d %9.3f\n", argv[i], M.iObjectPixels, 100 * M.WhiteShare(), M.iInteriorPixels,
                100 * M.SpeckleShare());
    bool bOk = true;
    if (!MarksFolder.empty()) {
      const std::filesystem::path Out = MarksFolder / std::filesystem::path(argv[i]).filename();
      bOk = WriteMarks(Out, Pixels, iWidth, iHeight, Marks);
      if (!bOk) std::fprintf(stderr, "vimra-look-metrics: cannot write %s\n", Out.c_str());
    }
    if (!bOk) return 1;
  }
  return 0;
}

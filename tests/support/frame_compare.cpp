// frame_compare: compares a picture of a frame (Wine's, the browser's) with
// the desktop program's, and fails when they lie further apart than the frame
// tolerance (mean absolute error at most 1/255, 99th percentile at most
// 8/255, per colour channel). DIFF.png, when given, shows where they differ.
//   frame_compare [--golden] DESKTOP.png OTHER.png [DIFF.png]
// --golden holds the same renderer's frame to a committed picture of it
// instead: mean at most 0.5/255, 99th percentile at most 2/255, and at most
// 0.1 % of the pixels off by more than 16/255. Another renderer draws edges
// and texel steps a little apart (the frame tolerance is for that); one
// renderer's noise is a level here and there, while a changed colour moves a
// whole region by a few levels and a changed object a few pixels by many.
// Exit code 0 within the tolerance, 1 outside it, 2 when a file cannot be read or written.
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "image_compare.h"
#include "png_file.h"

namespace {

bool Load(const char* pszPath, std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight) {
  std::string strError;
  if (ReadPngFile(pszPath, Pixels, iWidth, iHeight, &strError)) return true;
  std::fprintf(stderr, "frame_compare: cannot read %s: %s\n", pszPath, strError.c_str());
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const bool bGolden = argc > 1 && std::strcmp(argv[1], "--golden") == 0;
  if (bGolden) {
    --argc;
    ++argv;
  }
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: frame_compare [--golden] DESKTOP.png OTHER.png [DIFF.png]\n");
    return 2;
  }
  std::vector<unsigned char> A, B;
  int iWidthA = 0, iHeightA = 0, iWidthB = 0, iHeightB = 0;
  if (!Load(argv[1], A, iWidthA, iHeightA) || !Load(argv[2], B, iWidthB, iHeightB)) return 2;
  if (iWidthA != iWidthB || iHeightA != iHeightB) {
    std::printf("%s: %dx%d against %dx%d (TOO FAR)\n", argv[2], iWidthB, iHeightB, iWidthA, iHeightA);
    return 1;
  }
  const ImageDifference Difference = CompareImages(A, B, iWidthA, iHeightA);
  bool bWithin = WithinTolerance(Difference, 1.0, 8);
  std::string strFigures = Describe(Difference);
  if (bGolden) {
    const double fShareOff = ShareOff(A, B, iWidthA, iHeightA, 16);
    bWithin = WithinTolerance(Difference, 0.5, 2) && fShareOff <= 0.001;
    char szShare[64];
    std::snprintf(szShare, sizeof szShare, "; %.3f %% off by more than 16/255", 100.0 * fShareOff);
    strFigures += szShare;
  }
  std::printf("%s: %s (%s)\n", argv[2], strFigures.c_str(), bWithin ? "within tolerance" : "TOO FAR");
  if (argc == 4 && !WritePngFile(argv[3], iWidthA, iHeightA, 4, DifferenceImage(A, B, iWidthA, iHeightA).data())) {
    std::fprintf(stderr, "frame_compare: cannot write %s\n", argv[3]);
    return 2;
  }
  return bWithin ? 0 : 1;
}

// frame_compare: compares a picture of a frame (Wine's, the browser's) with
// the desktop program's, and fails when they lie further apart than the frame
// tolerance (mean absolute error at most 1/255, 99th percentile at most
// 8/255, per colour channel). DIFF.png, when given, shows where they differ.
//   frame_compare DESKTOP.png OTHER.png [DIFF.png]
// Exit code 0 within the tolerance, 1 outside it, 2 when a file cannot be read or written.
#include <cstdio>
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
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: frame_compare DESKTOP.png OTHER.png [DIFF.png]\n");
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
  const bool bWithin = WithinTolerance(Difference, 1.0, 8);
  std::printf("%s: %s (%s)\n", argv[2], Describe(Difference).c_str(), bWithin ? "within tolerance" : "TOO FAR");
  if (argc == 4 && !WritePngFile(argv[3], iWidthA, iHeightA, 4, DifferenceImage(A, B, iWidthA, iHeightA).data())) {
    std::fprintf(stderr, "frame_compare: cannot write %s\n", argv[3]);
    return 2;
  }
  return bWithin ? 0 : 1;
}

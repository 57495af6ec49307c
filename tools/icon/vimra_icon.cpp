// vimra-icon: makes a square icon from a PNG picture: the centred square of the
// picture, as large as its shorter side, averaged down to SIZE x SIZE (each
// icon pixel the mean of the picture pixels it covers, weighted by how much
// of each it covers), written as an RGBA PNG.
//   vimra-icon IN.png SIZE OUT.png
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "png_file.h"
#include "tool_io.h"

namespace {

constexpr int kMaxSize = 1024;
const ToolInfo kTool = {"vimra-icon", "vimra-icon IN.png SIZE OUT.png   (SIZE 1..1024)"};

// How much of source cell [i, i+1) lies in [fFrom, fTo).
double Overlap(int i, double fFrom, double fTo) { return std::max(0.0, std::min(fTo, i + 1.0) - std::max(fFrom, double(i))); }

int Run(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (IsOption(argv[i])) return UsageError(kTool, std::string("unknown option ") + argv[i]);
  if (argc != 4) return UsageError(kTool, "needs a picture, a size and an output file");
  char* pEnd = nullptr;
  const long iSize = std::strtol(argv[2], &pEnd, 10);
  if (pEnd == argv[2] || *pEnd != '\0' || iSize < 1 || iSize > kMaxSize)
    return UsageError(kTool, std::string("'") + argv[2] + "' is not a size from 1 to 1024");
  std::vector<unsigned char> Picture;
  int iWidth = 0, iHeight = 0;
  if (!ReadPngFile(argv[1], Picture, iWidth, iHeight))
    return Failure(kTool, std::string("cannot read ") + argv[1] + " as a PNG picture");
  const unsigned char* pPixels = Picture.data();
  const int iSide = std::min(iWidth, iHeight);
  const int iLeft = (iWidth - iSide) / 2, iTop = (iHeight - iSide) / 2;
  const double fScale = double(iSide) / double(iSize);
  std::vector<unsigned char> Icon(static_cast<size_t>(iSize * iSize * 4));
  for (int y = 0; y < iSize; ++y) {
    for (int x = 0; x < iSize; ++x) {
      const double fX0 = x * fScale, fX1 = (x + 1) * fScale, fY0 = y * fScale, fY1 = (y + 1) * fScale;
      double Sum[4] = {}, fWeight = 0;
      for (int sy = static_cast<int>(fY0); sy < std::min(iSide, static_cast<int>(std::ceil(fY1))); ++sy) {
        for (int sx = static_cast<int>(fX0); sx < std::min(iSide, static_cast<int>(std::ceil(fX1))); ++sx) {
          const double fW = Overlap(sx, fX0, fX1) * Overlap(sy, fY0, fY1);
          const unsigned char* pSource = pPixels + (static_cast<size_t>(iTop + sy) * iWidth + iLeft + sx) * 4;
          for (int c = 0; c < 4; ++c) Sum[c] += fW * pSource[c];
          fWeight += fW;
        }
      }
      for (int c = 0; c < 4; ++c)
        Icon[(static_cast<size_t>(y) * iSize + x) * 4 + c] = static_cast<unsigned char>(std::lround(Sum[c] / fWeight));
    }
  }
  const int iIconSize = static_cast<int>(iSize);
  return WritePngFile(kTool, argv[3], iIconSize, iIconSize, 4, Icon.data()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

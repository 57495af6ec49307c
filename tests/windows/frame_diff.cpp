// Compares two frames of the same size channel by channel (red, green, blue):
// mean absolute error and 99th percentile of the absolute error, in 1/255
// steps, and optionally writes the difference image (each channel's error
// times 8) for looking at.
//   frame_diff A.png B.png [DIFF.png]   -> "mae R G B p99 R G B max R G B"
#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_WRITE_IMPLEMENTATION
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv) {
  if (argc != 3 && argc != 4) {
    std::fprintf(stderr, "usage: frame_diff A.png B.png [DIFF.png]\n");
    return 2;
  }
  int iWidthA = 0, iHeightA = 0, iWidthB = 0, iHeightB = 0, iChannels = 0;
  unsigned char* pA = stbi_load(argv[1], &iWidthA, &iHeightA, &iChannels, 4);
  unsigned char* pB = stbi_load(argv[2], &iWidthB, &iHeightB, &iChannels, 4);
  if (pA == nullptr || pB == nullptr) {
    std::fprintf(stderr, "frame_diff: cannot read %s\n", pA == nullptr ? argv[1] : argv[2]);
    return 2;
  }
  if (iWidthA != iWidthB || iHeightA != iHeightB) {
    std::fprintf(stderr, "frame_diff: sizes differ: %dx%d and %dx%d\n", iWidthA, iHeightA, iWidthB, iHeightB);
    return 1;
  }
  const size_t iPixels = static_cast<size_t>(iWidthA) * static_cast<size_t>(iHeightA);
  std::array<std::array<size_t, 256>, 3> Histograms{};
  std::array<double, 3> Sums{};
  std::vector<unsigned char> Diff(iPixels * 4, 255);
  for (size_t i = 0; i < iPixels; ++i) {
    for (int c = 0; c < 3; ++c) {
      const int iError = std::abs(int(pA[4 * i + c]) - int(pB[4 * i + c]));
      ++Histograms[c][iError];
      Sums[c] += iError;
      Diff[4 * i + c] = static_cast<unsigned char>(std::min(255, iError * 8));
    }
  }
  std::printf("mae");
  for (int c = 0; c < 3; ++c) std::printf(" %.4f", Sums[c] / iPixels);
  std::printf(" p99");
  for (int c = 0; c < 3; ++c) {
    size_t iSeen = 0, iValue = 0;
    while (iValue < 255 && (iSeen += Histograms[c][iValue]) < (iPixels * 99 + 99) / 100) ++iValue;
    std::printf(" %zu", iValue);
  }
  std::printf(" max");
  for (int c = 0; c < 3; ++c) {
    int iMax = 255;
    while (iMax > 0 && Histograms[c][iMax] == 0) --iMax;
    std::printf(" %d", iMax);
  }
  std::printf("\n");
  if (argc == 4 && stbi_write_png(argv[3], iWidthA, iHeightA, 4, Diff.data(), iWidthA * 4) == 0) {
    std::fprintf(stderr, "frame_diff: cannot write %s\n", argv[3]);
    return 2;
  }
  stbi_image_free(pA);
  stbi_image_free(pB);
  return 0;
}

// The demo's frames, rendered by vimra-frame from the committed data (no
// multisampling on the software renderer), measured: the columns scenes are
// not washed out to white, and no scene speckles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

#include <unistd.h>

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#include <stb_image.h>
#pragma GCC diagnostic pop

#include "look_metrics.h"

namespace {

struct FrameCase {
  int iTime;
  double fMaxWhite, fMaxSpeckle;
};

// White matters in the columns (20 000, 30 000 ms); speckle everywhere.
const FrameCase kFrames[] = {
    {20000, 0.10, 0.0015}, {30000, 0.10, 0.0015}, {45000, 1.0, 0.0015}, {60000, 1.0, 0.0015}, {80000, 1.0, 0.0015},
};

}  // namespace

TEST(DemoLook, FramesAreNeitherWashedOutNorSpeckled) {
  const char* pszData = std::getenv("VIMRA_DATA");
  const std::string strData = pszData != nullptr ? pszData : VIMRA_TEST_DATA_DIR;
  const std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("vimra_look_" + std::to_string(getpid()));
  std::filesystem::create_directories(Folder);
  std::string strCommand = std::string(VIMRA_FRAME) + " --data " + strData;
  for (const FrameCase& F : kFrames) {
    strCommand += " " + std::to_string(F.iTime) + " " + (Folder / (std::to_string(F.iTime) + ".png")).string();
  }
  ASSERT_EQ(std::system((strCommand + " > /dev/null").c_str()), 0) << strCommand;
  for (const FrameCase& F : kFrames) {
    SCOPED_TRACE(F.iTime);
    int iWidth = 0, iHeight = 0, iChannels = 0;
    unsigned char* pPixels =
        stbi_load((Folder / (std::to_string(F.iTime) + ".png")).c_str(), &iWidth, &iHeight, &iChannels, 4);
    ASSERT_NE(pPixels, nullptr);
    const LookMetrics M = MeasureLook(pPixels, iWidth, iHeight);
    stbi_image_free(pPixels);
    // Every frame shows a good share of objects and of their inside.
    EXPECT_GT(M.iObjectPixels, iWidth * iHeight / 10);
    EXPECT_GT(M.iInteriorPixels, M.iObjectPixels / 2);
    EXPECT_LE(M.WhiteShare(), F.fMaxWhite);
    EXPECT_LE(M.SpeckleShare(), F.fMaxSpeckle);
  }
  std::filesystem::remove_all(Folder);
}

// The demo's frames, rendered by vimra-frame from the committed data (no
// multisampling on the software renderer), measured: the columns scenes are
// not washed out to white, and no scene speckles.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "look_metrics.h"
#include "png_file.h"

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
    std::vector<unsigned char> Pixels;
    int iWidth = 0, iHeight = 0;
    ASSERT_TRUE(ReadPngFile((Folder / (std::to_string(F.iTime) + ".png")).string(), Pixels, iWidth, iHeight));
    const LookMetrics M = MeasureLook(Pixels.data(), iWidth, iHeight);
    // Every frame shows a good share of objects and of their inside.
    EXPECT_GT(M.iObjectPixels, iWidth * iHeight / 10);
    EXPECT_GT(M.iInteriorPixels, M.iObjectPixels / 2);
    EXPECT_LE(M.WhiteShare(), F.fMaxWhite);
    EXPECT_LE(M.SpeckleShare(), F.fMaxSpeckle);
  }
  std::filesystem::remove_all(Folder);
}

// The gallery program draws its pictures and the contact sheet of them, and
// the ground under the planar shadow keeps its shading (well clear of white).
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

#include "png_file.h"

TEST(GalleryProgram, DrawsEveryPictureAndTheContactSheet) {
  const std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("vimra_gallery_" + std::to_string(getpid()));
  const std::string strCommand = std::string(VIMRA_GALLERY) + " --data " + VIMRA_TEST_DATA_DIR + " " + Folder.string();
  ASSERT_EQ(std::system((strCommand + " > /dev/null").c_str()), 0) << strCommand;
  std::vector<unsigned char> Pixels;
  int iWidth = 0, iHeight = 0;
  for (const char* pszName : {"grid.png", "ellipsoids.png", "subdivision.png", "superquadrics.png", "shadow.png"}) {
    EXPECT_TRUE(ReadPngFile((Folder / pszName).string(), Pixels, iWidth, iHeight)) << pszName;
    EXPECT_EQ(iWidth, 1280);
    EXPECT_EQ(iHeight, 720);
  }
  ASSERT_TRUE(ReadPngFile((Folder / "contact.png").string(), Pixels, iWidth, iHeight));
  EXPECT_EQ(iWidth, 3 * (640 + 8) + 8);
  EXPECT_EQ(iHeight, 2 * (360 + 8) + 8);

  // The lowest fifth of the shadow picture is ground only, below the captions.
  ASSERT_TRUE(ReadPngFile((Folder / "shadow.png").string(), Pixels, iWidth, iHeight));
  const unsigned char* pPixels = Pixels.data();
  int iWhite = 0, iBlack = 0;
  for (int y = 4 * iHeight / 5; y < iHeight; ++y) {
    for (int x = 0; x < iWidth; ++x) {
      const unsigned char* p = pPixels + (size_t(y) * iWidth + x) * 4;
      iWhite += p[0] >= 250 || p[1] >= 250 || p[2] >= 250;
      iBlack += p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
  }
  EXPECT_EQ(iWhite, 0);
  EXPECT_EQ(iBlack, 0);
  std::filesystem::remove_all(Folder);
}

// The gallery program draws its pictures and the contact sheet of them, and
// the ground under the planar shadow keeps its shading (well clear of white).
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

TEST(GalleryProgram, DrawsEveryPictureAndTheContactSheet) {
  const std::filesystem::path Folder =
      std::filesystem::temp_directory_path() / ("vimra_gallery_" + std::to_string(getpid()));
  const std::string strCommand = std::string(VIMRA_GALLERY) + " --data " + VIMRA_TEST_DATA_DIR + " " + Folder.string();
  ASSERT_EQ(std::system((strCommand + " > /dev/null").c_str()), 0) << strCommand;
  for (const char* pszName : {"grid.png", "ellipsoids.png", "subdivision.png", "superquadrics.png", "shadow.png"}) {
    int iWidth = 0, iHeight = 0, iChannels = 0;
    EXPECT_TRUE(stbi_info((Folder / pszName).c_str(), &iWidth, &iHeight, &iChannels)) << pszName;
    EXPECT_EQ(iWidth, 1280);
    EXPECT_EQ(iHeight, 720);
  }
  int iWidth = 0, iHeight = 0, iChannels = 0;
  ASSERT_TRUE(stbi_info((Folder / "contact.png").c_str(), &iWidth, &iHeight, &iChannels));
  EXPECT_EQ(iWidth, 3 * (640 + 8) + 8);
  EXPECT_EQ(iHeight, 2 * (360 + 8) + 8);

  // The lowest fifth of the shadow picture is ground only, below the captions.
  unsigned char* pPixels = stbi_load((Folder / "shadow.png").c_str(), &iWidth, &iHeight, &iChannels, 4);
  ASSERT_NE(pPixels, nullptr);
  int iWhite = 0, iBlack = 0;
  for (int y = 4 * iHeight / 5; y < iHeight; ++y) {
    for (int x = 0; x < iWidth; ++x) {
      const unsigned char* p = pPixels + (size_t(y) * iWidth + x) * 4;
      iWhite += p[0] >= 250 || p[1] >= 250 || p[2] >= 250;
      iBlack += p[0] == 0 && p[1] == 0 && p[2] == 0;
    }
  }
  stbi_image_free(pPixels);
  EXPECT_EQ(iWhite, 0);
  EXPECT_EQ(iBlack, 0);
  std::filesystem::remove_all(Folder);
}

// Captions darken a plate and draw white letters on it, nowhere else; the
// contact sheet places shrunken pictures on a grid with gaps between.
#include <gtest/gtest.h>

#include "picture_text.h"

namespace {

Picture Uniform(int iWidth, int iHeight, unsigned char r, unsigned char g, unsigned char b) {
  Picture Shot;
  Shot.iWidth = iWidth, Shot.iHeight = iHeight;
  for (int i = 0; i < iWidth * iHeight; ++i) Shot.Pixels.insert(Shot.Pixels.end(), {r, g, b, 255});
  return Shot;
}

const unsigned char* At(const Picture& Shot, int x, int y) { return &Shot.Pixels[(size_t(y) * Shot.iWidth + x) * 4]; }

}  // namespace

TEST(GalleryCaptions, DrawWhiteLettersOnADarkenedPlateAndNothingOutsideIt) {
  Picture Shot = Uniform(200, 60, 200, 120, 80);
  Caption Text;
  Text.strText = "mirrored";
  Text.x = 20, Text.y = 10, Text.iScale = 2;
  DrawCaption(&Shot, Text);
  const Box Plate = CaptionBox(Text);
  int iLetterPixels = 0, iPlatePixels = 0;
  for (int y = 0; y < Shot.iHeight; ++y) {
    for (int x = 0; x < Shot.iWidth; ++x) {
      const unsigned char* p = At(Shot, x, y);
      const bool bInside = x >= Plate.x0 && x < Plate.x1 && y >= Plate.y0 && y < Plate.y1;
      if (!bInside) {
        ASSERT_TRUE(p[0] == 200 && p[1] == 120 && p[2] == 80) << x << ", " << y;
      } else if (p[0] == 255 && p[1] == 255 && p[2] == 255) {
        ++iLetterPixels;
      } else {
        ASSERT_TRUE(p[0] == 50 && p[1] == 30 && p[2] == 20) << x << ", " << y;
        ++iPlatePixels;
      }
      ASSERT_EQ(p[3], 255);
    }
  }
  EXPECT_GT(iLetterPixels, 8 * 20);  // eight letters of a few strokes each, doubled
  EXPECT_GT(iPlatePixels, iLetterPixels);
  // The plate's padding keeps its border free of letters.
  for (int x = Plate.x0; x < Plate.x1; ++x) EXPECT_EQ(At(Shot, x, Plate.y0)[0], 50);
}

TEST(GalleryCaptions, ClipAtThePictureEdges) {
  Picture Shot = Uniform(30, 20, 100, 100, 100);
  Caption Text;
  Text.strText = "a long caption that does not fit";
  Text.x = -15, Text.y = 12;
  DrawCaption(&Shot, Text);
  EXPECT_EQ(Shot.Pixels.size(), size_t(30 * 20 * 4));
  EXPECT_EQ(At(Shot, 0, 0)[0], 100);     // above the plate
  const unsigned char iEdge = At(Shot, 29, 12)[0];
  EXPECT_TRUE(iEdge == 25 || iEdge == 255) << int(iEdge);  // the plate (or a letter) reaches the right edge
}

TEST(GalleryContactSheet, ShrinksEachPictureIntoItsCellWithGaps) {
  std::vector<Picture> Shots;
  for (unsigned char k = 0; k < 5; ++k) Shots.push_back(Uniform(8, 6, static_cast<unsigned char>(40 * k + 10), 0, 0));
  // One picture a 2 x 2 checker of 0 and 255: a box filter of 2 makes it 128 (rounded).
  for (int y = 0; y < 6; ++y) {
    for (int x = 0; x < 8; ++x) Shots[4].Pixels[(size_t(y) * 8 + x) * 4 + 1] = (x + y) % 2 ? 255 : 0;
  }
  const Picture Sheet = ContactSheet(Shots, 3, 2, 1);
  // Three columns of 4 + 1 gap, two rows of 3 + 1 gap, and a gap at the far edges.
  EXPECT_EQ(Sheet.iWidth, 3 * 5 + 1);
  EXPECT_EQ(Sheet.iHeight, 2 * 4 + 1);
  EXPECT_EQ(At(Sheet, 0, 0)[0], 40);  // gap
  EXPECT_EQ(At(Sheet, 1, 1)[0], 10);  // picture 0's first pixel
  EXPECT_EQ(At(Sheet, 6 + 3, 1 + 2)[0], 50);  // picture 1's last pixel
  EXPECT_EQ(At(Sheet, 5, 1)[0], 40);  // the gap between pictures 0 and 1
  EXPECT_EQ(At(Sheet, 6, 5)[0], 170);  // picture 4, second row, second column
  EXPECT_EQ(At(Sheet, 6, 5)[1], 128);
  EXPECT_EQ(At(Sheet, 11, 5)[0], 40);  // the empty sixth cell
  EXPECT_EQ(At(Sheet, 11, 5)[3], 255);

  EXPECT_TRUE(ContactSheet({}, 3, 2, 1).Pixels.empty());
}

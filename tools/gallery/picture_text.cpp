#include "picture_text.h"

#include <algorithm>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_easy_font.h>
#pragma GCC diagnostic pop

namespace {

constexpr int kPadding = 2;  // font units of plate around the letters

void FillRect(Picture* pPicture, int x0, int y0, int x1, int y1, bool bDarken) {
  x0 = std::max(x0, 0), y0 = std::max(y0, 0);
  x1 = std::min(x1, pPicture->iWidth), y1 = std::min(y1, pPicture->iHeight);
  for (int y = y0; y < y1; ++y) {
    for (int x = x0; x < x1; ++x) {
      unsigned char* p = &pPicture->Pixels[(size_t(y) * pPicture->iWidth + x) * 4];
      for (int c = 0; c < 3; ++c) p[c] = bDarken ? static_cast<unsigned char>(p[c] / 4) : 255;
    }
  }
}

// stb_easy_font takes a mutable string.
std::vector<char> Letters(const Caption& Text) {
  std::vector<char> Buffer(Text.strText.begin(), Text.strText.end());
  Buffer.push_back('\0');
  return Buffer;
}

}  // namespace

Box CaptionBox(const Caption& Text) {
  std::vector<char> Buffer = Letters(Text);
  const int iWidth = (stb_easy_font_width(Buffer.data()) + 2 * kPadding) * Text.iScale;
  const int iHeight = (stb_easy_font_height(Buffer.data()) + 2 * kPadding) * Text.iScale;
  const int x0 = Text.Place == Anchor::kCentre ? Text.x - iWidth / 2 : Text.x;
  const int y0 = Text.Place == Anchor::kCentre ? Text.y - iHeight / 2 : Text.y;
  return {x0, y0, x0 + iWidth, y0 + iHeight};
}

void DrawCaption(Picture* pPicture, const Caption& Text) {
  const Box Plate = CaptionBox(Text);
  FillRect(pPicture, Plate.x0, Plate.y0, Plate.x1, Plate.y1, true);
  std::vector<char> Buffer = Letters(Text);
  std::vector<char> Quads(300 * Buffer.size() + 1024);
  const int iQuads = stb_easy_font_print(0, 0, Buffer.data(), nullptr, Quads.data(), static_cast<int>(Quads.size()));
  // Four vertices of 16 bytes per quad: x, y, z floats and a colour.
  const float* pVertex = reinterpret_cast<const float*>(Quads.data());
  const int s = Text.iScale;
  const int xOrigin = Plate.x0 + kPadding * s, yOrigin = Plate.y0 + kPadding * s;
  for (int q = 0; q < iQuads; ++q, pVertex += 16) {
    const float fX0 = pVertex[0], fY0 = pVertex[1], fX1 = pVertex[8], fY1 = pVertex[9];
    FillRect(pPicture, xOrigin + static_cast<int>(fX0 * s), yOrigin + static_cast<int>(fY0 * s),
             xOrigin + static_cast<int>(fX1 * s), yOrigin + static_cast<int>(fY1 * s), false);
  }
}

Picture ContactSheet(const std::vector<Picture>& Pictures, int iColumns, int iShrink, int iGap) {
  Picture Sheet;
  if (Pictures.empty()) return Sheet;
  const int iCellWidth = Pictures[0].iWidth / iShrink, iCellHeight = Pictures[0].iHeight / iShrink;
  const int iRows = (static_cast<int>(Pictures.size()) + iColumns - 1) / iColumns;
  Sheet.iWidth = iColumns * (iCellWidth + iGap) + iGap;
  Sheet.iHeight = iRows * (iCellHeight + iGap) + iGap;
  Sheet.Pixels.assign(size_t(Sheet.iWidth) * Sheet.iHeight * 4, 40);
  for (size_t i = 3; i < Sheet.Pixels.size(); i += 4) Sheet.Pixels[i] = 255;
  for (size_t k = 0; k < Pictures.size(); ++k) {
    const Picture& Source = Pictures[k];
    const int xCell = iGap + static_cast<int>(k) % iColumns * (iCellWidth + iGap);
    const int yCell = iGap + static_cast<int>(k) / iColumns * (iCellHeight + iGap);
    const int iWidth = std::min(iCellWidth, Source.iWidth / iShrink);
    const int iHeight = std::min(iCellHeight, Source.iHeight / iShrink);
    for (int y = 0; y < iHeight; ++y) {
      for (int x = 0; x < iWidth; ++x) {
        for (int c = 0; c < 4; ++c) {
          int iSum = 0;
          for (int dy = 0; dy < iShrink; ++dy) {
            for (int dx = 0; dx < iShrink; ++dx) {
              iSum += Source.Pixels[((size_t(y) * iShrink + dy) * Source.iWidth + size_t(x) * iShrink + dx) * 4 + c];
            }
          }
          const int iArea = iShrink * iShrink;
          Sheet.Pixels[((size_t(yCell) + y) * Sheet.iWidth + xCell + x) * 4 + c] =
              static_cast<unsigned char>((iSum + iArea / 2) / iArea);
        }
      }
    }
  }
  return Sheet;
}

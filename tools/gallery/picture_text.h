// Drawing on read-back pictures: captions in stb_easy_font's letters on a
// dark plate, and a contact sheet of several pictures side by side.
#pragma once

#include <string>
#include <vector>

struct Picture {
  std::vector<unsigned char> Pixels;  // RGBA rows, top row first
  int iWidth = 0, iHeight = 0;
};

enum class Anchor { kTopLeft, kCentre };

struct Caption {
  std::string strText;  // may hold '\n'
  int x = 0, y = 0;     // in picture pixels, of the plate's top-left corner or centre
  int iScale = 3;       // picture pixels per font unit
  Anchor Place = Anchor::kTopLeft;
};

// The plate's rectangle [x0, x1) x [y0, y1) in picture pixels, before clipping.
struct Box {
  int x0, y0, x1, y1;
};
Box CaptionBox(const Caption& Text);

// White letters on a plate that darkens what lies under it to a quarter;
// everything outside the picture is clipped.
void DrawCaption(Picture* pPicture, const Caption& Text);

// The pictures on a grid of iColumns columns, each shrunk by an integer box
// filter of iShrink x iShrink pixels, with iGap pixels of dark grey around them.
Picture ContactSheet(const std::vector<Picture>& Pictures, int iColumns, int iShrink, int iGap);

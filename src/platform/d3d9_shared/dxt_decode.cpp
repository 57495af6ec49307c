#include "dxt_decode.h"

#include <cstddef>
#include <cstdint>

#include "surface_layout.h"

namespace {

struct Bgra {
  unsigned char b, g, r, a;
};

Bgra Expand565(unsigned iColour) {
  const unsigned iR = (iColour >> 11) & 31, iG = (iColour >> 5) & 63, iB = iColour & 31;
  return {static_cast<unsigned char>(iB << 3 | iB >> 2), static_cast<unsigned char>(iG << 2 | iG >> 4),
          static_cast<unsigned char>(iR << 3 | iR >> 2), 255};
}

// Weighted mean of two 8-bit values, rounded: (wA*a + wB*b) / (wA + wB).
unsigned char Mix(unsigned iA, unsigned iB, unsigned iWeightA, unsigned iWeightB) {
  const unsigned iTotal = iWeightA + iWeightB;
  return static_cast<unsigned char>((iWeightA * iA + iWeightB * iB + iTotal / 2) / iTotal);
}

Bgra MixColour(Bgra A, Bgra B, unsigned iWeightA, unsigned iWeightB) {
  return {Mix(A.b, B.b, iWeightA, iWeightB), Mix(A.g, B.g, iWeightA, iWeightB), Mix(A.r, B.r, iWeightA, iWeightB),
          255};
}

// The 8-byte colour block shared by all DXT formats. DXT1 switches to three
// colours plus transparent black when the first endpoint is not the larger;
// the other formats always use four colours.
void DecodeColourBlock(const unsigned char* p, bool bThreeColourMode, Bgra* pTexels) {
  const unsigned iColour0 = p[0] | p[1] << 8, iColour1 = p[2] | p[3] << 8;
  Bgra Palette[4];
  Palette[0] = Expand565(iColour0);
  Palette[1] = Expand565(iColour1);
  if (iColour0 > iColour1 || !bThreeColourMode) {
    Palette[2] = MixColour(Palette[0], Palette[1], 2, 1);
    Palette[3] = MixColour(Palette[0], Palette[1], 1, 2);
  } else {
    Palette[2] = MixColour(Palette[0], Palette[1], 1, 1);
    Palette[3] = {0, 0, 0, 0};
  }
  const DWORD dwIndices = DWORD(p[4]) | DWORD(p[5]) << 8 | DWORD(p[6]) << 16 | DWORD(p[7]) << 24;
  for (int i = 0; i < 16; ++i) pTexels[i] = Palette[(dwIndices >> (2 * i)) & 3];
}

// DXT2/3: sixteen explicit 4-bit alphas, first texel in the low nibble.
void DecodeExplicitAlpha(const unsigned char* p, Bgra* pTexels) {
  for (int i = 0; i < 16; ++i) {
    const unsigned iAlpha = (p[i / 2] >> (4 * (i % 2))) & 15;
    pTexels[i].a = static_cast<unsigned char>(iAlpha * 17);
  }
}

// DXT4/5: two alpha endpoints and 3-bit indices into eight interpolated
// values (six plus 0 and 255 when the first endpoint is not the larger).
void DecodeInterpolatedAlpha(const unsigned char* p, Bgra* pTexels) {
  const unsigned iAlpha0 = p[0], iAlpha1 = p[1];
  unsigned char Palette[8] = {static_cast<unsigned char>(iAlpha0), static_cast<unsigned char>(iAlpha1)};
  if (iAlpha0 > iAlpha1) {
    for (unsigned i = 1; i < 7; ++i) Palette[i + 1] = Mix(iAlpha0, iAlpha1, 7 - i, i);
  } else {
    for (unsigned i = 1; i < 5; ++i) Palette[i + 1] = Mix(iAlpha0, iAlpha1, 5 - i, i);
    Palette[6] = 0;
    Palette[7] = 255;
  }
  uint64_t iIndices = 0;
  for (int i = 0; i < 6; ++i) iIndices |= uint64_t(p[2 + i]) << (8 * i);
  for (int i = 0; i < 16; ++i) pTexels[i].a = Palette[(iIndices >> (3 * i)) & 7];
}

}  // namespace

bool DecodeDxt(D3DFORMAT Format, const unsigned char* pBlocks, UINT iWidth, UINT iHeight, unsigned char* pBgra) {
  if (!IsDxtFormat(Format) || pBlocks == nullptr || pBgra == nullptr || iWidth == 0 || iHeight == 0) return false;
  const size_t iBlockBytes = DxtBlockBytes(Format);
  const UINT iBlocksWide = DxtBlockCount(iWidth), iBlocksHigh = DxtBlockCount(iHeight);
  for (UINT iBlockY = 0; iBlockY < iBlocksHigh; ++iBlockY) {
    for (UINT iBlockX = 0; iBlockX < iBlocksWide; ++iBlockX) {
      const unsigned char* pBlock = pBlocks + (size_t(iBlockY) * iBlocksWide + iBlockX) * iBlockBytes;
      Bgra Texels[16];
      if (Format == D3DFMT_DXT1) {
        DecodeColourBlock(pBlock, true, Texels);
      } else {
        DecodeColourBlock(pBlock + 8, false, Texels);
        if (Format == D3DFMT_DXT2 || Format == D3DFMT_DXT3)
          DecodeExplicitAlpha(pBlock, Texels);
        else
          DecodeInterpolatedAlpha(pBlock, Texels);
      }
      // Blocks over the right or bottom edge keep only their texels inside.
      for (UINT y = 0; y < 4 && iBlockY * 4 + y < iHeight; ++y) {
        for (UINT x = 0; x < 4 && iBlockX * 4 + x < iWidth; ++x) {
          const Bgra& T = Texels[y * 4 + x];
          unsigned char* pOut = pBgra + (size_t(iBlockY * 4 + y) * iWidth + iBlockX * 4 + x) * 4;
          pOut[0] = T.b;
          pOut[1] = T.g;
          pOut[2] = T.r;
          pOut[3] = T.a;
        }
      }
    }
  }
  return true;
}

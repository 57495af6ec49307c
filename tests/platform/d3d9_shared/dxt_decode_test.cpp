// DXT decoding against blocks worked out by hand: endpoint expansion, the
// two DXT1 modes, both alpha encodings, and images that end inside a block.
#include <gtest/gtest.h>

#include <array>
#include <vector>

#include "dxt_decode.h"

namespace {

using Texel = std::array<int, 4>;  // B, G, R, A

std::vector<Texel> Decode(D3DFORMAT Format, const std::vector<unsigned char>& Blocks, UINT iWidth, UINT iHeight) {
  std::vector<unsigned char> Bgra(size_t(iWidth) * iHeight * 4, 0xCD);
  EXPECT_TRUE(DecodeDxt(Format, Blocks.data(), iWidth, iHeight, Bgra.data()));
  std::vector<Texel> Texels;
  for (size_t i = 0; i < Bgra.size(); i += 4) Texels.push_back({Bgra[i], Bgra[i + 1], Bgra[i + 2], Bgra[i + 3]});
  return Texels;
}

// A colour block: two RGB565 endpoints and sixteen 2-bit indices, texel 0 first.
std::vector<unsigned char> ColourBlock(unsigned iColour0, unsigned iColour1, const std::array<int, 16>& Indices) {
  DWORD dwBits = 0;
  for (int i = 0; i < 16; ++i) dwBits |= DWORD(Indices[i]) << (2 * i);
  return {static_cast<unsigned char>(iColour0), static_cast<unsigned char>(iColour0 >> 8),
          static_cast<unsigned char>(iColour1), static_cast<unsigned char>(iColour1 >> 8),
          static_cast<unsigned char>(dwBits), static_cast<unsigned char>(dwBits >> 8),
          static_cast<unsigned char>(dwBits >> 16), static_cast<unsigned char>(dwBits >> 24)};
}

constexpr unsigned kRed565 = 0xF800, kBlue565 = 0x001F;
constexpr std::array<int, 16> kIndexPerColumn = {0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3, 0, 1, 2, 3};

}  // namespace

TEST(DecodeDxt, Dxt1FourColourModeInterpolatesThirds) {
  const std::vector<Texel> Texels = Decode(D3DFMT_DXT1, ColourBlock(kRed565, kBlue565, kIndexPerColumn), 4, 4);
  const Texel Expected[4] = {{0, 0, 255, 255}, {255, 0, 0, 255}, {85, 0, 170, 255}, {170, 0, 85, 255}};
  for (int i = 0; i < 16; ++i) EXPECT_EQ(Texels[i], Expected[i % 4]) << i;
}

TEST(DecodeDxt, Dxt1ThreeColourModeHasHalfwayAndTransparentBlack) {
  const std::vector<Texel> Texels = Decode(D3DFMT_DXT1, ColourBlock(kBlue565, kRed565, kIndexPerColumn), 4, 4);
  EXPECT_EQ(Texels[0], (Texel{255, 0, 0, 255}));
  EXPECT_EQ(Texels[1], (Texel{0, 0, 255, 255}));
  EXPECT_EQ(Texels[2], (Texel{128, 0, 128, 255}));
  EXPECT_EQ(Texels[3], (Texel{0, 0, 0, 0}));
}

TEST(DecodeDxt, ExpandsEndpointsByRepeatingTheHighBits) {
  // r = 1, g = 2, b = 3 -> 8, 8, 24; and the extremes 0 and all ones.
  const unsigned iSmall = 1 << 11 | 2 << 5 | 3;
  std::array<int, 16> Indices{};
  Indices[1] = 1;
  EXPECT_EQ(Decode(D3DFMT_DXT1, ColourBlock(iSmall, 0, Indices), 4, 4)[0], (Texel{24, 8, 8, 255}));
  const std::vector<Texel> Extremes = Decode(D3DFMT_DXT1, ColourBlock(0xFFFF, 0, Indices), 4, 4);
  EXPECT_EQ(Extremes[0], (Texel{255, 255, 255, 255}));
  EXPECT_EQ(Extremes[1], (Texel{0, 0, 0, 255}));
}

TEST(DecodeDxt, Dxt3CarriesSixteenExplicitAlphas) {
  // Alpha nibbles 0..15 in texel order, low nibble first.
  std::vector<unsigned char> Block = {0x10, 0x32, 0x54, 0x76, 0x98, 0xBA, 0xDC, 0xFE};
  // Endpoints in "three-colour" order must still decode as four colours.
  const std::vector<unsigned char> Colour = ColourBlock(kBlue565, kRed565, kIndexPerColumn);
  Block.insert(Block.end(), Colour.begin(), Colour.end());
  for (D3DFORMAT Format : {D3DFMT_DXT2, D3DFMT_DXT3}) {
    const std::vector<Texel> Texels = Decode(Format, Block, 4, 4);
    for (int i = 0; i < 16; ++i) EXPECT_EQ(Texels[i][3], i * 17) << i;
    EXPECT_EQ(Texels[2][0], 170);
    EXPECT_EQ(Texels[3][2], 170);
  }
}

TEST(DecodeDxt, Dxt5InterpolatesAlphaInSeventhsOrFifths) {
  const std::vector<unsigned char> Colour = ColourBlock(0xFFFF, 0xFFFF, {});
  // Indices 0..7 in the first eight texels, 3 bits each: 0o76543210.
  const uint64_t iIndices = 076543210;
  auto Block = [&](unsigned char iAlpha0, unsigned char iAlpha1) {
    std::vector<unsigned char> Bytes = {iAlpha0, iAlpha1};
    for (int i = 0; i < 6; ++i) Bytes.push_back(static_cast<unsigned char>(iIndices >> (8 * i)));
    Bytes.insert(Bytes.end(), Colour.begin(), Colour.end());
    return Bytes;
  };
  struct Case {
    unsigned char iAlpha0, iAlpha1;
    int Expected[8];
  };
  const Case Cases[] = {
      {255, 0, {255, 0, 219, 182, 146, 109, 73, 36}},
      {0, 255, {0, 255, 51, 102, 153, 204, 0, 255}},
      {70, 140, {70, 140, 84, 98, 112, 126, 0, 255}},
  };
  for (const Case& C : Cases) {
    for (D3DFORMAT Format : {D3DFMT_DXT4, D3DFMT_DXT5}) {
      const std::vector<Texel> Texels = Decode(Format, Block(C.iAlpha0, C.iAlpha1), 4, 4);
      for (int i = 0; i < 8; ++i) EXPECT_EQ(Texels[i][3], C.Expected[i]) << int(C.iAlpha0) << " index " << i;
      for (int i = 8; i < 16; ++i) EXPECT_EQ(Texels[i][3], C.Expected[0]);
      EXPECT_EQ(Texels[0][0], 255);
    }
  }
}

TEST(DecodeDxt, KeepsOnlyTheTexelsInsideAnImageThatEndsMidBlock) {
  // A 6x5 image: 2x2 blocks, each a solid colour chosen by its index.
  const unsigned kColours[4] = {kRed565, kBlue565, 0x07E0, 0xFFFF};
  std::vector<unsigned char> Blocks;
  for (unsigned iColour : kColours) {
    const std::vector<unsigned char> Block = ColourBlock(iColour, 0, {});
    Blocks.insert(Blocks.end(), Block.begin(), Block.end());
  }
  const std::vector<Texel> Texels = Decode(D3DFMT_DXT1, Blocks, 6, 5);
  ASSERT_EQ(Texels.size(), 30u);
  EXPECT_EQ(Texels[0 * 6 + 3], (Texel{0, 0, 255, 255}));    // block 0
  EXPECT_EQ(Texels[3 * 6 + 4], (Texel{255, 0, 0, 255}));    // block 1
  EXPECT_EQ(Texels[4 * 6 + 0], (Texel{0, 255, 0, 255}));    // block 2
  EXPECT_EQ(Texels[4 * 6 + 5], (Texel{255, 255, 255, 255}));  // block 3, last texel
}

TEST(DecodeDxt, RefusesOtherFormatsAndEmptyImages) {
  unsigned char Block[16] = {};
  unsigned char Out[64] = {};
  EXPECT_FALSE(DecodeDxt(D3DFMT_A8R8G8B8, Block, 4, 4, Out));
  EXPECT_FALSE(DecodeDxt(D3DFMT_DXT1, Block, 0, 4, Out));
  EXPECT_FALSE(DecodeDxt(D3DFMT_DXT1, nullptr, 4, 4, Out));
}

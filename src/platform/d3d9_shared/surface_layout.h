// Where the bytes of a texture image lie: one row of pixels, or one row of
// 4x4 blocks for the DXT formats. The DDS parser, the loader, every device's
// Lock and the GL upload share these sums, so a pitch means the same to all.
#pragma once

#include "d3d9.h"

#include <algorithm>
#include <cstddef>

// True for DXT1..DXT5 (4x4 blocks).
inline bool IsDxtFormat(D3DFORMAT Format) {
  return Format == D3DFMT_DXT1 || Format == D3DFMT_DXT2 || Format == D3DFMT_DXT3 || Format == D3DFMT_DXT4 ||
         Format == D3DFMT_DXT5;
}

// Bytes of one 4x4 block: DXT1 keeps colours only, the others add 8 bytes of alpha.
inline UINT DxtBlockBytes(D3DFORMAT Format) { return Format == D3DFMT_DXT1 ? 8 : 16; }

// Bytes of one pixel of the uncompressed formats (R8G8B8 only in files).
inline UINT PixelBytes(D3DFORMAT Format) { return Format == D3DFMT_R8G8B8 ? 3 : 4; }

// Edge of level iLevel of an iEdge texture: halved per level, at least 1.
inline UINT LevelEdge(UINT iEdge, UINT iLevel) { return iLevel >= 32 ? 1 : std::max(1u, iEdge >> iLevel); }

// Number of 4x4 blocks across iPixels: a partial block at the edge counts.
inline UINT DxtBlockCount(UINT iPixels) { return std::max(1u, (iPixels + 3) / 4); }

// Bytes of one row of pixels, or of one row of blocks for DXT formats.
inline size_t SurfaceRowBytes(D3DFORMAT Format, UINT iWidth) {
  if (IsDxtFormat(Format)) return size_t(DxtBlockCount(iWidth)) * DxtBlockBytes(Format);
  return size_t(iWidth) * PixelBytes(Format);
}

// Number of such rows in an image iHeight pixels high.
inline UINT SurfaceRowCount(D3DFORMAT Format, UINT iHeight) {
  return IsDxtFormat(Format) ? DxtBlockCount(iHeight) : iHeight;
}

// Bytes of one image of iWidth x iHeight pixels.
inline size_t SurfaceImageBytes(D3DFORMAT Format, UINT iWidth, UINT iHeight) {
  return SurfaceRowBytes(Format, iWidth) * SurfaceRowCount(Format, iHeight);
}

// Offset of pixel (x, y) in an image whose rows are iPitch bytes apart; for
// DXT formats x and y are multiples of 4 and name the block they start.
inline size_t SurfaceOffset(D3DFORMAT Format, size_t iPitch, UINT x, UINT y) {
  if (IsDxtFormat(Format)) return size_t(y / 4) * iPitch + size_t(x / 4) * DxtBlockBytes(Format);
  return size_t(y) * iPitch + size_t(x) * PixelBytes(Format);
}

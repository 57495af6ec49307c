#include "dds.h"

#include <algorithm>

namespace {

// ---- header layout ---------------------------------------------------------

constexpr size_t kHeaderBytes = 128;  // magic + 124-byte header
constexpr size_t kDx10HeaderBytes = 20;

constexpr DWORD kMagic = MAKEFOURCC('D', 'D', 'S', ' ');
constexpr DWORD kFlagMipMapCount = 0x20000;
constexpr DWORD kPixelAlphaPixels = 0x1;
constexpr DWORD kPixelFourCc = 0x4;
constexpr DWORD kPixelRgb = 0x40;
constexpr DWORD kCaps2Cubemap = 0x200;
constexpr DWORD kCaps2AllFaces = 0xFC00;
constexpr DWORD kFourCcDx10 = MAKEFOURCC('D', 'X', '1', '0');

// DXGI values the DX10 header may carry, and the dimension and flag of a cube.
constexpr DWORD kDxgiBc1 = 71;
constexpr DWORD kDxgiBc2 = 74;
constexpr DWORD kDxgiBc3 = 77;
constexpr DWORD kDxgiB8G8R8A8 = 87;
constexpr DWORD kDxgiB8G8R8X8 = 88;
constexpr DWORD kDimensionTexture2d = 3;
constexpr DWORD kMiscTextureCube = 0x4;

DWORD ReadDword(const unsigned char* p) {
  return DWORD(p[0]) | DWORD(p[1]) << 8 | DWORD(p[2]) << 16 | DWORD(p[3]) << 24;
}

D3DFORMAT FormatFromFourCc(DWORD dwFourCc) {
  const auto Format = static_cast<D3DFORMAT>(dwFourCc);
  return IsDxtFormat(Format) ? Format : D3DFMT_UNKNOWN;
}

D3DFORMAT FormatFromDxgi(DWORD dwDxgi) {
  switch (dwDxgi) {
    case kDxgiBc1: return D3DFMT_DXT1;
    case kDxgiBc2: return D3DFMT_DXT3;
    case kDxgiBc3: return D3DFMT_DXT5;
    case kDxgiB8G8R8A8: return D3DFMT_A8R8G8B8;
    case kDxgiB8G8R8X8: return D3DFMT_X8R8G8B8;
    default: return D3DFMT_UNKNOWN;
  }
}

// Only the byte orders B,G,R(,A) are read; other masks need swizzling.
D3DFORMAT FormatFromMasks(DWORD dwFlags, DWORD dwBits, DWORD dwR, DWORD dwG, DWORD dwB, DWORD dwA) {
  if (dwR != 0x00FF0000 || dwG != 0x0000FF00 || dwB != 0x000000FF) return D3DFMT_UNKNOWN;
  if (dwBits == 24) return D3DFMT_R8G8B8;
  if (dwBits != 32) return D3DFMT_UNKNOWN;
  const bool bAlpha = (dwFlags & kPixelAlphaPixels) != 0 && dwA == 0xFF000000;
  return bAlpha ? D3DFMT_A8R8G8B8 : D3DFMT_X8R8G8B8;
}

UINT MaxLevels(UINT iEdge) {
  UINT iLevels = 1;
  while (iEdge > 1) {
    iEdge >>= 1;
    ++iLevels;
  }
  return iLevels;
}

}  // namespace

const char* DdsResultName(DdsResult Result) {
  switch (Result) {
    case DdsResult::kOk: return "ok";
    case DdsResult::kTooShort: return "shorter than the headers";
    case DdsResult::kBadMagic: return "not a DDS file";
    case DdsResult::kBadHeaderSize: return "bad header size";
    case DdsResult::kUnsupportedFormat: return "unsupported pixel format";
    case DdsResult::kNotCube: return "not a cube map";
    case DdsResult::kPartialCube: return "cube map without all six faces";
    case DdsResult::kBadDimensions: return "bad dimensions";
    case DdsResult::kBadMipCount: return "bad mip count";
    case DdsResult::kTruncated: return "pixel data truncated";
  }
  return "?";
}

size_t DdsFaceLevelOffset(const DdsCubeInfo& Info, UINT iFace, UINT iLevel) {
  size_t iOffset = Info.iDataOffset + size_t(iFace) * Info.iFaceBytes;
  for (UINT i = 0; i < iLevel; ++i) {
    const UINT iEdge = LevelEdge(Info.iEdge, i);
    iOffset += SurfaceImageBytes(Info.Format, iEdge, iEdge);
  }
  return iOffset;
}

DdsResult ParseDdsCube(const unsigned char* pFile, size_t iFileSize, DdsCubeInfo* pInfo) {
  *pInfo = DdsCubeInfo{};
  if (pFile == nullptr || iFileSize < kHeaderBytes) return DdsResult::kTooShort;
  if (ReadDword(pFile) != kMagic) return DdsResult::kBadMagic;
  const unsigned char* pHeader = pFile + 4;
  if (ReadDword(pHeader) != 124 || ReadDword(pHeader + 72) != 32) return DdsResult::kBadHeaderSize;

  const DWORD dwFlags = ReadDword(pHeader + 4);
  const DWORD dwHeight = ReadDword(pHeader + 8);
  const DWORD dwWidth = ReadDword(pHeader + 12);
  const DWORD dwMipCount = ReadDword(pHeader + 24);
  const unsigned char* pPixelFormat = pHeader + 72;
  const DWORD dwPixelFlags = ReadDword(pPixelFormat + 4);
  const DWORD dwFourCc = ReadDword(pPixelFormat + 8);
  const DWORD dwCaps2 = ReadDword(pHeader + 108);

  D3DFORMAT Format = D3DFMT_UNKNOWN;
  size_t iDataOffset = kHeaderBytes;
  if ((dwPixelFlags & kPixelFourCc) != 0 && dwFourCc == kFourCcDx10) {
    if (iFileSize < kHeaderBytes + kDx10HeaderBytes) return DdsResult::kTooShort;
    const unsigned char* pDx10 = pFile + kHeaderBytes;
    iDataOffset += kDx10HeaderBytes;
    Format = FormatFromDxgi(ReadDword(pDx10));
    if (Format == D3DFMT_UNKNOWN) return DdsResult::kUnsupportedFormat;
    if (ReadDword(pDx10 + 4) != kDimensionTexture2d || (ReadDword(pDx10 + 8) & kMiscTextureCube) == 0)
      return DdsResult::kNotCube;
    // Arrays of cubes have no Direct3D 9 counterpart.
    if (ReadDword(pDx10 + 12) != 1) return DdsResult::kUnsupportedFormat;
  } else {
    if ((dwPixelFlags & kPixelFourCc) != 0) {
      Format = FormatFromFourCc(dwFourCc);
    } else if ((dwPixelFlags & kPixelRgb) != 0) {
      Format = FormatFromMasks(dwPixelFlags, ReadDword(pPixelFormat + 12), ReadDword(pPixelFormat + 16),
                               ReadDword(pPixelFormat + 20), ReadDword(pPixelFormat + 24),
                               ReadDword(pPixelFormat + 28));
    }
    if (Format == D3DFMT_UNKNOWN) return DdsResult::kUnsupportedFormat;
    if ((dwCaps2 & kCaps2Cubemap) == 0) return DdsResult::kNotCube;
    if ((dwCaps2 & kCaps2AllFaces) != kCaps2AllFaces) return DdsResult::kPartialCube;
  }

  if (dwWidth == 0 || dwWidth != dwHeight || dwWidth > kDdsMaxEdge) return DdsResult::kBadDimensions;
  // Writers leave the count at 0 or drop its flag for a single level.
  const UINT iLevels = (dwFlags & kFlagMipMapCount) != 0 && dwMipCount != 0 ? dwMipCount : 1;
  if (iLevels > MaxLevels(dwWidth)) return DdsResult::kBadMipCount;

  // The edge bound keeps these sums far inside 64 bits.
  uint64_t iFaceBytes = 0;
  for (UINT iLevel = 0; iLevel < iLevels; ++iLevel) {
    const UINT iEdge = LevelEdge(dwWidth, iLevel);
    iFaceBytes += SurfaceImageBytes(Format, iEdge, iEdge);
  }
  if (iDataOffset > iFileSize || (iFileSize - iDataOffset) / 6 < iFaceBytes) return DdsResult::kTruncated;

  pInfo->Format = Format;
  pInfo->iEdge = dwWidth;
  pInfo->iLevels = iLevels;
  pInfo->iDataOffset = iDataOffset;
  pInfo->iFaceBytes = static_cast<size_t>(iFaceBytes);
  return DdsResult::kOk;
}

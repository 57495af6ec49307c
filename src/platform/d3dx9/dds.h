// DDS cube-map files: a header parser that checks every size against the
// bytes actually present (image sizes from surface_layout.h; the DXT decoder
// is dxt_decode.h beside it).
//
// Accepted: cube maps with all six faces in A8R8G8B8, X8R8G8B8, R8G8B8 (24-bit)
// or DXT1..DXT5, with or without a mip chain, and the DX10 extended header for
// the equivalent DXGI formats (one cube, no arrays).
#pragma once

#include "d3d9.h"
#include "surface_layout.h"

#include <cstddef>
#include <cstdint>

// Largest cube map file D3DXCreateCubeTextureFromFileA reads: far above any
// real one (a 1024-texel cube of 32-bit texels with its mips is 32 MiB), far
// below what would exhaust memory.
constexpr size_t kMaxCubeMapFileBytes = size_t{256} << 20;

// Why a file was refused; kOk when it was not.
enum class DdsResult {
  kOk,
  kTooShort,            // fewer bytes than the headers
  kBadMagic,            // does not start with "DDS "
  kBadHeaderSize,       // header or pixel-format record of the wrong size
  kUnsupportedFormat,   // a pixel format the loader does not read
  kNotCube,             // a valid 2D or volume texture, not a cube map
  kPartialCube,         // a cube map missing some of its six faces
  kBadDimensions,       // zero, non-square or larger than kDdsMaxEdge
  kBadMipCount,         // more levels than the edge allows
  kTruncated,           // the pixel data is shorter than the header promises
};

const char* DdsResultName(DdsResult Result);

// Largest face edge accepted: bounds every size computed from a header.
constexpr UINT kDdsMaxEdge = 16384;

// A cube map's layout in its file. Faces are stored +X, -X, +Y, -Y, +Z, -Z,
// each followed by its smaller levels; rows run top first.
struct DdsCubeInfo {
  D3DFORMAT Format = D3DFMT_UNKNOWN;  // format of the stored bytes (R8G8B8: 3 bytes per pixel)
  UINT iEdge = 0;                     // width and height of level 0
  UINT iLevels = 0;                   // levels per face, at least 1
  size_t iDataOffset = 0;             // offset of face +X, level 0
  size_t iFaceBytes = 0;              // bytes of one face with all its levels
};

// Parses and checks the headers of a whole file held in memory. On kOk every
// face level named by the result lies inside the iFileSize bytes.
DdsResult ParseDdsCube(const unsigned char* pFile, size_t iFileSize, DdsCubeInfo* pInfo);

// Offset in the file of one face level of a parsed cube.
size_t DdsFaceLevelOffset(const DdsCubeInfo& Info, UINT iFace, UINT iLevel);

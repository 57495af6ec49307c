// A CPU decoder of DXT blocks, for GL devices without S3TC and for the tools
// that picture a cube map.
#pragma once

#include "d3d9.h"

// Decodes one DXT1/2/3/4/5 image of iWidth x iHeight pixels from its blocks
// (ceil(w/4) x ceil(h/4), rows of blocks top first) to B,G,R,A bytes, rows
// top first, 4 * iWidth * iHeight bytes. DXT2 and DXT4 are decoded like DXT3
// and DXT5 (their colours stay premultiplied). False for any other format or
// an empty image.
bool DecodeDxt(D3DFORMAT Format, const unsigned char* pBlocks, UINT iWidth, UINT iHeight, unsigned char* pBgra);

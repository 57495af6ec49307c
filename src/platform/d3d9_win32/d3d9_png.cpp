// PNG output for the read-back, through stb_image_write.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "d3d9_seams.h"

bool D3D9WritePng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth, int iHeight) {
  if (iWidth <= 0 || iHeight <= 0 || Pixels.size() != static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) * 4) {
    return false;
  }
  return stbi_write_png(strPath.c_str(), iWidth, iHeight, 4, Pixels.data(), iWidth * 4) != 0;
}

// PNG output for the back-buffer readback.
#include "d3d9_seams.h"
#include "png_file.h"

bool D3D9WritePng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth, int iHeight) {
  if (iWidth <= 0 || iHeight <= 0 || Pixels.size() != static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) * 4) {
    return false;
  }
  return WritePngFile(strPath, iWidth, iHeight, 4, Pixels.data());
}

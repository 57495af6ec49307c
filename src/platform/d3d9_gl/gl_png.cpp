// PNG output for the back-buffer readback, through stb_image_write.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include "d3d9_seams.h"

#include <cstdio>

namespace {

// The encoder's output goes straight to the file; a write that fails is
// remembered, so a full disk is a failure and not a PNG cut short.
struct PngOutput {
  FILE* pFile;
  bool bFailed;
};

void WriteToFile(void* pContext, void* pData, int iSize) {
  auto* pOut = static_cast<PngOutput*>(pContext);
  if (std::fwrite(pData, 1, static_cast<size_t>(iSize), pOut->pFile) != static_cast<size_t>(iSize)) pOut->bFailed = true;
}

}  // namespace

bool D3D9WritePng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth, int iHeight) {
  if (iWidth <= 0 || iHeight <= 0 || Pixels.size() != static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) * 4) {
    return false;
  }
  PngOutput Out{std::fopen(strPath.c_str(), "wb"), false};
  if (Out.pFile == nullptr) return false;
  const bool bEncoded = stbi_write_png_to_func(WriteToFile, &Out, iWidth, iHeight, 4, Pixels.data(), iWidth * 4) != 0;
  const bool bFlushed = std::fflush(Out.pFile) == 0;
  const bool bClosed = std::fclose(Out.pFile) == 0;
  return bEncoded && !Out.bFailed && bFlushed && bClosed;
}

#include "png_file.h"

#define STB_IMAGE_IMPLEMENTATION
#define STB_IMAGE_STATIC
#define STBI_ONLY_PNG
#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb_image.h>
#include <stb_image_write.h>
#pragma GCC diagnostic pop

#include <cerrno>
#include <cstdio>

namespace {

void AppendBytes(void* pContext, void* pData, int iSize) {
  auto* pBytes = static_cast<std::vector<unsigned char>*>(pContext);
  const auto* pFrom = static_cast<const unsigned char*>(pData);
  pBytes->insert(pBytes->end(), pFrom, pFrom + iSize);
}

}  // namespace

bool EncodePng(int iWidth, int iHeight, int iChannels, const unsigned char* pPixels, std::vector<unsigned char>& Png) {
  Png.clear();
  if (iWidth <= 0 || iHeight <= 0 || iChannels < 1 || iChannels > 4 || pPixels == nullptr) return false;
  return stbi_write_png_to_func(AppendBytes, &Png, iWidth, iHeight, iChannels, pPixels, iWidth * iChannels) != 0;
}

bool WriteFileBytes(const std::string& strPath, const void* pData, size_t iSize, int* piError) {
  errno = 0;
  FILE* pFile = strPath.empty() ? nullptr : std::fopen(strPath.c_str(), "wb");
  bool bOk = pFile != nullptr && std::fwrite(pData, 1, iSize, pFile) == iSize;
  bOk = bOk && std::fflush(pFile) == 0;
  int iError = errno;
  if (pFile != nullptr && std::fclose(pFile) != 0 && bOk) {
    iError = errno;
    bOk = false;
  }
  if (piError != nullptr) *piError = bOk ? 0 : iError;
  return bOk;
}

bool WritePngFile(const std::string& strPath, int iWidth, int iHeight, int iChannels, const unsigned char* pPixels) {
  std::vector<unsigned char> Png;
  return EncodePng(iWidth, iHeight, iChannels, pPixels, Png) && WriteFileBytes(strPath, Png.data(), Png.size());
}

bool WriteRgbaPng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth, int iHeight) {
  if (iWidth <= 0 || iHeight <= 0 || Pixels.size() != static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) * 4) {
    return false;
  }
  return WritePngFile(strPath, iWidth, iHeight, 4, Pixels.data());
}

bool ReadPngFile(const std::string& strPath, std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight,
                 std::string* pstrError) {
  int iChannels = 0;
  unsigned char* pData = stbi_load(strPath.c_str(), &iWidth, &iHeight, &iChannels, 4);
  if (pData == nullptr) {
    if (pstrError != nullptr) *pstrError = stbi_failure_reason();
    Pixels.clear();
    return false;
  }
  Pixels.assign(pData, pData + static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) * 4);
  stbi_image_free(pData);
  return true;
}

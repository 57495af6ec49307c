// PNG files for the read-back of every platform, the tools and the tests:
// encoding through stb_image_write, decoding through stb_image (PNG only),
// and a file write checked to the close, so a full disk is a failure and not
// a picture cut short.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Rows top first, iChannels bytes per pixel; false when it cannot encode.
bool EncodePng(int iWidth, int iHeight, int iChannels, const unsigned char* pPixels, std::vector<unsigned char>& Png);

// Writes the bytes as the whole file. On failure *piError (if given) holds
// errno of the step that failed, or 0 where there was none.
bool WriteFileBytes(const std::string& strPath, const void* pData, size_t iSize, int* piError = nullptr);

// EncodePng, then WriteFileBytes.
bool WritePngFile(const std::string& strPath, int iWidth, int iHeight, int iChannels, const unsigned char* pPixels);

// A PNG file's pixels as RGBA rows, top first, whatever its own channels.
// False when it cannot be read or decoded; then *pstrError (if given) says why.
bool ReadPngFile(const std::string& strPath, std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight,
                 std::string* pstrError = nullptr);

// A read-back's RGBA rows (D3D9ReadBackBuffer) as a PNG file; false when
// Pixels does not hold iWidth × iHeight pixels or the file cannot be written.
bool WriteRgbaPng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth, int iHeight);

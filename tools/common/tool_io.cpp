#include "tool_io.h"

#include "vimra_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>

#define STB_IMAGE_WRITE_IMPLEMENTATION
#define STB_IMAGE_WRITE_STATIC
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wunused-function"
#include <stb_image_write.h>
#pragma GCC diagnostic pop

namespace {

void PrintUsage(const ToolInfo& Tool, FILE* pOut) { std::fprintf(pOut, "usage: %s\n", Tool.pszUsage); }

void AppendBytes(void* pContext, void* pData, int iSize) {
  auto* pBytes = static_cast<std::vector<unsigned char>*>(pContext);
  const auto* pFrom = static_cast<const unsigned char*>(pData);
  pBytes->insert(pBytes->end(), pFrom, pFrom + iSize);
}

}  // namespace

int RunTool(const ToolInfo& Tool, int argc, char** argv, const std::function<int()>& fnBody) {
  int iCode = 0;
  bool bHelp = false, bVersion = false;
  for (int i = 1; i < argc; ++i) {
    bHelp |= std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0;
    bVersion |= std::strcmp(argv[i], "--version") == 0;
  }
  try {
    if (bHelp) {
      PrintUsage(Tool, stdout);
    } else if (bVersion) {
      std::printf("%s (Vimra) %s\n", Tool.pszName, VIMRA_VERSION);
    } else {
      iCode = fnBody();
    }
  } catch (const std::exception& Error) {
    iCode = Failure(Tool, Error.what());
  }
  if (std::fflush(stdout) != 0 || std::ferror(stdout)) {
    const int iError = errno;
    std::fprintf(stderr, "%s: cannot write standard output: %s\n", Tool.pszName, std::strerror(iError));
    if (iCode == 0) iCode = 1;
  }
  return iCode;
}

int UsageError(const ToolInfo& Tool, const std::string& strMessage) {
  std::fprintf(stderr, "%s: %s\n", Tool.pszName, strMessage.c_str());
  PrintUsage(Tool, stderr);
  return 2;
}

int Failure(const ToolInfo& Tool, const std::string& strMessage) {
  std::fprintf(stderr, "%s: %s\n", Tool.pszName, strMessage.c_str());
  return 1;
}

bool IsOption(const std::string& strArg) { return strArg.size() > 1 && strArg[0] == '-'; }

bool WriteWholeFile(const ToolInfo& Tool, const std::string& strPath, const void* pData, size_t iSize) {
  errno = 0;
  FILE* pFile = strPath.empty() ? nullptr : std::fopen(strPath.c_str(), "wb");
  bool bOk = pFile != nullptr && std::fwrite(pData, 1, iSize, pFile) == iSize;
  bOk = bOk && std::fflush(pFile) == 0;
  int iError = errno;
  if (pFile != nullptr && std::fclose(pFile) != 0 && bOk) {
    iError = errno;
    bOk = false;
  }
  if (!bOk) {
    std::fprintf(stderr, "%s: cannot write %s: %s\n", Tool.pszName, strPath.empty() ? "''" : strPath.c_str(),
                 iError != 0 ? std::strerror(iError) : strPath.empty() ? "empty file name" : "write failed");
  }
  return bOk;
}

bool WritePngFile(const ToolInfo& Tool, const std::string& strPath, int iWidth, int iHeight, int iChannels,
                  const unsigned char* pPixels) {
  std::vector<unsigned char> Png;
  if (stbi_write_png_to_func(AppendBytes, &Png, iWidth, iHeight, iChannels, pPixels, iWidth * iChannels) == 0) {
    std::fprintf(stderr, "%s: cannot encode %s\n", Tool.pszName, strPath.c_str());
    return false;
  }
  return WriteWholeFile(Tool, strPath, Png.data(), Png.size());
}

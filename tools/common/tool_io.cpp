#include "tool_io.h"

#include "png_file.h"
#include "vimra_version.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <exception>
#include <vector>


namespace {

void PrintUsage(const ToolInfo& Tool, FILE* pOut) { std::fprintf(pOut, "usage: %s\n", Tool.pszUsage); }


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
  int iError = 0;
  if (WriteFileBytes(strPath, pData, iSize, &iError)) return true;
  std::fprintf(stderr, "%s: cannot write %s: %s\n", Tool.pszName, strPath.empty() ? "''" : strPath.c_str(),
               iError != 0 ? std::strerror(iError) : strPath.empty() ? "empty file name" : "write failed");
  return false;
}

bool WritePngFile(const ToolInfo& Tool, const std::string& strPath, int iWidth, int iHeight, int iChannels,
                  const unsigned char* pPixels) {
  std::vector<unsigned char> Png;
  if (!EncodePng(iWidth, iHeight, iChannels, pPixels, Png)) {
    std::fprintf(stderr, "%s: cannot encode %s\n", Tool.pszName, strPath.c_str());
    return false;
  }
  return WriteWholeFile(Tool, strPath, Png.data(), Png.size());
}

// A file in memory with a path, so that loaders which take a file name read
// each input without touching the disk.
#pragma once

#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>

class MemoryFile {
 public:
  MemoryFile() : iFd(memfd_create("fuzz-input", 0)) {
    if (iFd < 0) {
      std::perror("memfd_create");
      std::abort();
    }
    strPath = "/proc/self/fd/" + std::to_string(iFd);
  }
  ~MemoryFile() { close(iFd); }

  // Replaces the content; the path then names exactly these bytes.
  const char* Hold(const unsigned char* pData, size_t iSize) {
    if (ftruncate(iFd, 0) != 0 || (iSize > 0 && pwrite(iFd, pData, iSize, 0) != static_cast<ssize_t>(iSize))) {
      std::perror("memory file");
      std::abort();
    }
    return strPath.c_str();
  }

 private:
  int iFd;
  std::string strPath;
};

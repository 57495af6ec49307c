#include "read_whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <new>

#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif

namespace {

struct FileHandle {
  int iFd;
  ~FileHandle() {
    if (iFd >= 0) close(iFd);
  }
};

}  // namespace

bool ReadWholeFile(const char* pszName, size_t uMaxBytes, std::vector<unsigned char>& Bytes) {
  Bytes.clear();
  if (pszName == nullptr) return false;
  // O_NONBLOCK: opening a FIFO with no writer must not wait for one.
  const FileHandle File{open(pszName, O_RDONLY | O_BINARY | O_NONBLOCK)};
  if (File.iFd < 0) return false;
  struct stat Info {};
  if (fstat(File.iFd, &Info) != 0 || !S_ISREG(Info.st_mode)) return false;
  if (Info.st_size < 0 || static_cast<unsigned long long>(Info.st_size) > uMaxBytes) return false;
  const size_t uSize = static_cast<size_t>(Info.st_size);
  try {
    Bytes.resize(uSize);
  } catch (const std::bad_alloc&) {
    Bytes = {};
    return false;
  }
  size_t uDone = 0;
  while (uDone < uSize) {
    const auto iRead = read(File.iFd, Bytes.data() + uDone, uSize - uDone);
    if (iRead < 0 && errno == EINTR) continue;
    if (iRead <= 0) {
      Bytes = {};
      return false;
    }
    uDone += static_cast<size_t>(iRead);
  }
  return true;
}

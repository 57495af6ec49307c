#include "read_whole_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <new>

#ifndef O_NONBLOCK
#define O_NONBLOCK 0
#endif
#ifndef O_BINARY
#define O_BINARY 0
#endif
#ifndef O_CLOEXEC
#define O_CLOEXEC 0
#endif

namespace {

// One read call asks for at most this much (read's count is narrower than
// size_t on some platforms).
constexpr size_t kMaxReadCall = size_t{1} << 30;

bool RegularWithin(const struct stat& Info, size_t uMaxBytes) {
  return S_ISREG(Info.st_mode) && Info.st_size >= 0 && static_cast<unsigned long long>(Info.st_size) <= uMaxBytes;
}

}  // namespace

DataFile::DataFile(const char* pszName, size_t uMaxBytes) {
  if (pszName == nullptr) return;
  // Looked at before opening: opening a device can have effects of its own.
  struct stat Info {};
  if (stat(pszName, &Info) != 0 || !RegularWithin(Info, uMaxBytes)) return;
  // O_NONBLOCK: should the name become a FIFO after the check, opening it
  // must not wait for a writer. The descriptor is checked again below.
  iFd = open(pszName, O_RDONLY | O_BINARY | O_NONBLOCK | O_CLOEXEC);
  if (iFd < 0) return;
  if (fstat(iFd, &Info) != 0 || !RegularWithin(Info, uMaxBytes)) {
    close(iFd);
    iFd = -1;
    return;
  }
  uSize = static_cast<size_t>(Info.st_size);
}

DataFile::~DataFile() {
  if (iFd >= 0) close(iFd);
}

bool DataFile::ReadExactly(void* pBuffer, size_t uCount) {
  if (iFd < 0) return false;
  auto* pBytes = static_cast<unsigned char*>(pBuffer);
  size_t uDone = 0;
  while (uDone < uCount) {
    const auto iRead = read(iFd, pBytes + uDone, std::min(uCount - uDone, kMaxReadCall));
    if (iRead < 0 && errno == EINTR) continue;
    if (iRead <= 0) return false;
    uDone += static_cast<size_t>(iRead);
  }
  return true;
}

bool ReadWholeFile(const char* pszName, size_t uMaxBytes, std::vector<unsigned char>& Bytes) {
  Bytes.clear();
  DataFile File(pszName, uMaxBytes);
  if (!File.IsOpen()) return false;
  try {
    Bytes.resize(File.Size());
  } catch (const std::bad_alloc&) {
    Bytes = {};
    return false;
  }
  if (!File.ReadExactly(Bytes.data(), Bytes.size())) {
    Bytes = {};
    return false;
  }
  return true;
}

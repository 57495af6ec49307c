#include "meshfile/text_file_reader.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

#include "read_whole_file.h"

namespace {

// The file is read in pieces of this size and the lines are cut out as they
// arrive, so the whole text is never held beside its lines.
constexpr size_t kChunkBytes = size_t{64} << 10;

// Appends the lines of the open file; false on a short read or too many lines.
bool AppendLines(DataFile& File, std::vector<std::string>& Lines) {
  const size_t iFirstNew = Lines.size();
  std::vector<char> Chunk(kChunkBytes);
  std::string strLine;  // the start of a line that runs on into the next piece
  size_t iLeft = File.Size();
  while (iLeft > 0) {
    const size_t iCount = std::min(iLeft, Chunk.size());
    if (!File.ReadExactly(Chunk.data(), iCount)) return false;
    iLeft -= iCount;
    const char* pNext = Chunk.data();
    const char* const pEnd = pNext + iCount;
    while (pNext < pEnd) {
      const char* pFeed = static_cast<const char*>(std::memchr(pNext, '\n', static_cast<size_t>(pEnd - pNext)));
      if (pFeed == nullptr) {
        strLine.append(pNext, pEnd);
        break;
      }
      if (Lines.size() - iFirstNew >= kMaxMeshFileLines) return false;
      strLine.append(pNext, pFeed);
      if (!strLine.empty() && strLine.back() == '\r') strLine.pop_back();
      Lines.emplace_back(strLine);  // a copy of exactly the line's length
      strLine.clear();
      pNext = pFeed + 1;
    }
  }
  if (Lines.size() - iFirstNew >= kMaxMeshFileLines) return false;
  Lines.emplace_back(std::move(strLine));
  return true;
}

}  // namespace

bool TextFileReader::Load(std::string fileName) {
  LineList.clear();
  return ReadLines(std::move(fileName));
}

bool TextFileReader::ReadLines(std::string fileName) {
  DataFile File(fileName.c_str(), kMaxMeshFileBytes);
  if (!File.IsOpen()) return false;
  const size_t iFirstNew = LineList.size();
  bool bRead = false;
  try {
    bRead = AppendLines(File, LineList);
  } catch (const std::bad_alloc&) {
  }
  // A file that could not be read whole appends nothing.
  if (!bRead) LineList.resize(iFirstNew);
  return bRead;
}

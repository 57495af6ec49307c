// Reads a text file into a list of lines.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Largest mesh file read: far above any real one, far below what would
// exhaust memory.
constexpr size_t kMaxMeshFileBytes = size_t{64} << 20;
// A mesh file's lines are held as a list: each costs a string record even when
// empty, so the count is capped too (a real file has a few hundred thousand).
constexpr size_t kMaxMeshFileLines = size_t{1} << 22;

class TextFileReader {
 public:
  // Empties the list, then ReadLines; false when the file cannot be opened.
  bool Load(std::string fileName);
  // Appends the file's lines. A line ends at a line feed, and a carriage
  // return right before it is dropped (CR LF counts as one line end). The text
  // after the last line feed is one more line, empty when the file ends with a
  // line feed; an empty file gives one empty line. False, appending nothing,
  // when the file cannot be opened. Only a regular file opens; one of more
  // than kMaxMeshFileBytes or kMaxMeshFileLines, one that ends early while
  // read, or one whose lines do not fit in memory counts as one that cannot
  // be opened.
  bool ReadLines(std::string fileName);
  std::vector<std::string>& Lines() { return LineList; }

 private:
  std::vector<std::string> LineList;
};

// Reads a text file into a list of lines.
#pragma once

#include <string>
#include <vector>

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

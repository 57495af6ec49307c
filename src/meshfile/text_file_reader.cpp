#include "meshfile/text_file_reader.h"

#include <algorithm>
#include <fstream>
#include <sstream>
#include <utility>

bool TextFileReader::Load(std::string fileName) {
  LineList.clear();
  return ReadLines(std::move(fileName));
}

bool TextFileReader::ReadLines(std::string fileName) {
  std::ifstream ifsIn(fileName, std::ios::binary);
  if (!ifsIn) return false;

  // One read of the whole file, then the lines are cut out of that buffer.
  std::string strData;
  ifsIn.seekg(0, std::ios::end);
  const std::streamoff iSize = ifsIn.tellg();
  if (iSize > 0) {
    strData.resize(static_cast<size_t>(iSize));
    ifsIn.seekg(0, std::ios::beg);
    ifsIn.read(strData.data(), iSize);
    strData.resize(static_cast<size_t>(ifsIn.gcount()));
  } else if (iSize < 0) {
    ifsIn.clear();
    ifsIn.seekg(0, std::ios::beg);
    std::ostringstream ossAll;
    ossAll << ifsIn.rdbuf();
    strData = ossAll.str();
  }

  LineList.reserve(LineList.size() + std::count(strData.begin(), strData.end(), '\n') + 1);
  size_t iStart = 0;
  for (;;) {
    const size_t iFeed = strData.find('\n', iStart);
    if (iFeed == std::string::npos) {
      LineList.emplace_back(strData, iStart);
      break;
    }
    size_t iEnd = iFeed;
    if (iEnd > iStart && strData[iEnd - 1] == '\r') --iEnd;
    LineList.emplace_back(strData, iStart, iEnd - iStart);
    iStart = iFeed + 1;
  }
  return true;
}

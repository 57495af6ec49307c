#include "meshfile/text_utils.h"

const std::vector<char> WhitespaceChars = {' ', '\t'};

bool SplitFirst(std::string& text, std::string delimiter, std::string& head) {
  const size_t iAt = text.find(delimiter);
  if (iAt == std::string::npos) return false;
  // assign and erase reuse the strings' storage, so a loop over many lines
  // does not allocate once per line.
  head.assign(text, 0, iAt);
  text.erase(0, iAt + delimiter.size());
  return true;
}

bool TrimLeft(std::string& text, char c) {
  const size_t iKeep = text.find_first_not_of(c);
  const size_t iRemove = iKeep == std::string::npos ? text.size() : iKeep;
  text.erase(0, iRemove);
  return iRemove > 0;
}

bool TrimRight(std::string& text, char c) {
  const size_t iLast = text.find_last_not_of(c);
  const size_t iKeep = iLast == std::string::npos ? 0 : iLast + 1;
  const bool bRemoved = iKeep < text.size();
  text.resize(iKeep);
  return bRemoved;
}

bool Trim(std::string& text, char c) {
  const bool bLeft = TrimLeft(text, c);
  const bool bRight = TrimRight(text, c);
  return bLeft || bRight;
}

void TrimLeftSet(std::string& text, const std::vector<char>& charSet) {
  bool bRemoved = true;
  while (bRemoved) {
    bRemoved = false;
    for (char c : charSet) bRemoved |= TrimLeft(text, c);
  }
}

void TrimRightSet(std::string& text, const std::vector<char>& charSet) {
  bool bRemoved = true;
  while (bRemoved) {
    bRemoved = false;
    for (char c : charSet) bRemoved |= TrimRight(text, c);
  }
}

void TrimSet(std::string& text, const std::vector<char>& charSet) {
  TrimLeftSet(text, charSet);
  TrimRightSet(text, charSet);
}

void ToUpper(std::string& text) {
  for (char& c : text)
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
}

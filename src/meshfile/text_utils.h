// Small in-place string operations the mesh-file loader rests on.
#pragma once

#include <string>
#include <vector>

// Space then tab: what is trimmed from a line's keyword.
extern const std::vector<char> WhitespaceChars;

// Cuts text at the first occurrence of delimiter: head gets what lies before,
// text what lies after (the delimiter dropped). Without an occurrence nothing
// changes and the result is false.
bool SplitFirst(std::string& text, std::string delimiter, std::string& head);

// Remove every leading / trailing copy of c; true when anything was removed.
bool TrimLeft(std::string& text, char c);
bool TrimRight(std::string& text, char c);
bool Trim(std::string& text, char c);

// Sweep the set's characters in turn, repeating until a sweep removes nothing.
void TrimLeftSet(std::string& text, const std::vector<char>& charSet);
void TrimRightSet(std::string& text, const std::vector<char>& charSet);
void TrimSet(std::string& text, const std::vector<char>& charSet);

// ASCII a..z to A..Z; every other byte stays.
void ToUpper(std::string& text);

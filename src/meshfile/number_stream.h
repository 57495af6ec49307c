// Reads the numbers of one line the way a string stream over the line does,
// without building one: white space (space, tab, CR, LF, VT, FF) is skipped,
// each read takes the longest prefix that fits the number syntax, a value
// that does not fit its type is unreadable, and once a read fails every
// later read on the same stream fails too. A failed read leaves its target
// unchanged.
#pragma once

#include <string>

struct NumberStream {
  const char* pNext;
  const char* pEnd;
  bool bFailed;
};

// The stream points into strText, which must outlive it.
NumberStream OpenNumberStream(const std::string& strText);
NumberStream OpenNumberStream(const std::string&& strText) = delete;

// Optional sign, digits with an optional decimal point and fraction (at least
// one digit in all), optional exponent (e or E, optional sign, digits).
// Values beyond the float range are unreadable; tiny ones round towards 0.
bool ReadFloat(NumberStream& ss, float& fOut);

// Optional sign and decimal digits, within the signed 32-bit range.
bool ReadInt(NumberStream& ss, int& iOut);

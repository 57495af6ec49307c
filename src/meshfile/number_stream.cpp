#include "meshfile/number_stream.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <string>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

bool IsStreamSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }

// Skips white space; false (and the stream failed) when nothing is left.
bool SkipToToken(NumberStream& ss) {
  if (ss.bFailed) return false;
  while (ss.pNext < ss.pEnd && IsStreamSpace(*ss.pNext)) ++ss.pNext;
  if (ss.pNext == ss.pEnd) ss.bFailed = true;
  return !ss.bFailed;
}

const char* SkipDigits(const char* p, const char* pEnd) {
  while (p < pEnd && IsDigit(*p)) ++p;
  return p;
}

// Beyond this an exponent only has to stay far outside the fast path's range.
constexpr int64_t kExponentCap = INT64_C(1000000000000);

// Powers of ten that are exact in a float.
constexpr float kPowersOfTen[] = {1e0f, 1e1f, 1e2f, 1e3f, 1e4f, 1e5f, 1e6f, 1e7f, 1e8f, 1e9f, 1e10f};

}  // namespace

NumberStream OpenNumberStream(const std::string& strText) {
  return NumberStream{strText.data(), strText.data() + strText.size(), false};
}

bool ReadFloat(NumberStream& ss, float& fOut) {
  if (!SkipToToken(ss)) return false;
  const char* pStart = ss.pNext;
  const char* pEnd = ss.pEnd;
  const char* p = pStart;
  const bool bNegative = *p == '-';
  if (*p == '+' || *p == '-') ++p;

  const char* pIntStart = p;
  const char* pIntEnd = SkipDigits(p, pEnd);
  const char* pFracStart = pIntEnd;
  const char* pFracEnd = pIntEnd;
  if (pIntEnd < pEnd && *pIntEnd == '.') {
    pFracStart = pIntEnd + 1;
    pFracEnd = SkipDigits(pFracStart, pEnd);
  }
  const bool bHasDigits = pIntEnd > pIntStart || pFracEnd > pFracStart;
  if (!bHasDigits) {
    ss.bFailed = true;
    return false;
  }
  // Past the fraction, or past a point with no fraction behind it ("5.").
  p = pFracEnd;

  // The exponent belongs to the number only when at least one digit follows.
  int64_t iExponent = 0;
  if (p < pEnd && (*p == 'e' || *p == 'E')) {
    const char* q = p + 1;
    bool bExponentNegative = false;
    if (q < pEnd && (*q == '+' || *q == '-')) bExponentNegative = *q++ == '-';
    if (q < pEnd && IsDigit(*q)) {
      for (; q < pEnd && IsDigit(*q); ++q)
        if (iExponent < kExponentCap) iExponent = iExponent * 10 + (*q - '0');
      if (bExponentNegative) iExponent = -iExponent;
      p = q;
    }
  }
  ss.pNext = p;

  // Exact fast path: a mantissa below 2^24 and a power of ten up to 10^10 are
  // both exact floats, so one multiplication or division rounds correctly.
  uint64_t iMantissa = 0;
  int iSignificant = 0;
  auto AddDigit = [&](char c) {
    if (iMantissa == 0 && c == '0') return;
    if (iSignificant < 10) ++iSignificant;
    if (iSignificant <= 9) iMantissa = iMantissa * 10 + static_cast<uint64_t>(c - '0');
  };
  for (const char* d = pIntStart; d < pIntEnd; ++d) AddDigit(*d);
  for (const char* d = pFracStart; d < pFracEnd; ++d) AddDigit(*d);
  int64_t iScale = iExponent - (pFracEnd - pFracStart);
  while (iMantissa != 0 && iMantissa % 10 == 0 && iScale < 0) {
    iMantissa /= 10;
    ++iScale;
  }
  if (iSignificant <= 9 && iMantissa < (1u << 24) && iScale >= -10 && iScale <= 10) {
    const float fMantissa = static_cast<float>(iMantissa);
    const float fValue = iScale >= 0 ? fMantissa * kPowersOfTen[iScale] : fMantissa / kPowersOfTen[-iScale];
    fOut = bNegative ? -fValue : fValue;
    return true;
  }

  const std::string strToken(pStart, p);
  const float fValue = std::strtof(strToken.c_str(), nullptr);
  if (std::isinf(fValue)) {
    ss.bFailed = true;
    return false;
  }
  fOut = fValue;
  return true;
}

bool ReadInt(NumberStream& ss, int& iOut) {
  if (!SkipToToken(ss)) return false;
  const char* p = ss.pNext;
  const bool bNegative = *p == '-';
  if (*p == '+' || *p == '-') ++p;
  const char* pDigits = p;
  int64_t iMagnitude = 0;
  for (; p < ss.pEnd && IsDigit(*p); ++p)
    if (iMagnitude <= INT64_C(1) << 32) iMagnitude = iMagnitude * 10 + (*p - '0');
  const int64_t iValue = bNegative ? -iMagnitude : iMagnitude;
  if (p == pDigits || iValue < INT32_MIN || iValue > INT32_MAX) {
    ss.bFailed = true;
    return false;
  }
  ss.pNext = p;
  iOut = static_cast<int>(iValue);
  return true;
}

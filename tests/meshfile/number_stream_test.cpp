// Number reading: longest prefix, range, sticky failure, and rounding that
// matches the C library for every decimal the syntax admits.
#include "meshfile/number_stream.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

namespace {

template <typename T, typename Reader>
std::vector<T> ReadAll(const std::string& strText, Reader fnRead) {
  NumberStream ss = OpenNumberStream(strText);
  std::vector<T> Values;
  T Value = T(-12345);
  while (fnRead(ss, Value)) Values.push_back(Value);
  EXPECT_EQ(Value, Values.empty() ? T(-12345) : Values.back()) << "a failed read changed its target";
  EXPECT_FALSE(fnRead(ss, Value)) << "a failed stream read again";
  return Values;
}

}  // namespace

TEST(NumberStream, FloatsTakeTheLongestPrefixThatFitsAndStopAtTheFirstFailure) {
  const struct {
    std::string strText;
    std::vector<float> Values;
  } kCases[] = {
      {"1 2 3", {1, 2, 3}},
      {" \t-1.5e2\t+.5 5. 7E-1 ", {-150, 0.5f, 5, 0.7f}},
      {"1e 2", {1}},             // "e" alone is no exponent; the next read starts there
      {"1e+ 2", {1}},
      {"1.5.5", {1.5f, 0.5f}},
      {"0x10 2", {0}},
      {"1/2/3", {1}},
      {"2,5 1", {2}},
      {"inf 1", {}},
      {"nan", {}},
      {"-", {}},
      {". 1", {}},
      {"", {}},
      {"   ", {}},
      {"1e39 2", {}},            // beyond the float range: unreadable
      {"-1e39", {}},
      {"3.4028235e38 1e-50", {FLT_MAX, 0}},
      {"0.000000000000000000000000000001e30", {1}},
      {"123456789012345678901234567890", {1.2345679e29f}},
      {"1\r\v\f2", {1, 2}},
  };
  for (const auto& Case : kCases) {
    EXPECT_EQ(ReadAll<float>(Case.strText, ReadFloat), Case.Values) << Case.strText;
  }
  float f = 1;
  const std::string strNegativeZero = "-0";
  NumberStream ss = OpenNumberStream(strNegativeZero);
  ASSERT_TRUE(ReadFloat(ss, f));
  EXPECT_TRUE(std::signbit(f));
}

TEST(NumberStream, IntegersFitInThirtyTwoBitsOrAreUnreadable) {
  const struct {
    std::string strText;
    std::vector<int> Values;
  } kCases[] = {
      {"1 2 3", {1, 2, 3}},
      {"+7\t-8", {7, -8}},
      {"1/2/3", {1}},
      {"12abc 4", {12}},
      {"1.5 2", {1}},
      {"2147483647 -2147483648", {2147483647, INT32_MIN}},
      {"2147483648 1", {}},
      {"-2147483649", {}},
      {"99999999999999999999999", {}},
      {"- 1", {}},
  };
  for (const auto& Case : kCases) {
    EXPECT_EQ(ReadAll<int>(Case.strText, ReadInt), Case.Values) << Case.strText;
  }
}

TEST(NumberStream, FloatsRoundLikeTheCLibraryForRandomDecimals) {
  std::mt19937 Random(1234);
  auto Digits = [&](int iMax) {
    std::string strOut;
    const int n = static_cast<int>(Random() % (iMax + 1));
    for (int i = 0; i < n; ++i) strOut += static_cast<char>('0' + Random() % 10);
    return strOut;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string strToken = (Random() % 3 == 0) ? "-" : "";
    strToken += Digits(9) + "." + Digits(9);
    if (strToken.find_first_of("0123456789") == std::string::npos) strToken += "1";
    if (Random() % 2) strToken += "e" + std::to_string(static_cast<int>(Random() % 60) - 30);
    const float fExpected = std::strtof(strToken.c_str(), nullptr);
    NumberStream ss = OpenNumberStream(strToken);
    float fRead = 0;
    ASSERT_TRUE(ReadFloat(ss, fRead)) << strToken;
    ASSERT_EQ(std::memcmp(&fRead, &fExpected, sizeof(float)), 0) << strToken << " read " << fRead;
  }
}

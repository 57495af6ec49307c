// Number reading beyond the loader's line cases: prefixes the syntax stops
// inside, the float range, and rounding equal to the C library's.
#include "meshfile/number_stream.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cstdlib>
#include <cstring>
#include <random>
#include <vector>

TEST(NumberStream, LongestPrefixRangeAndStickyFailure) {
  const struct {
    std::string strText;
    std::vector<float> Values;
  } kCases[] = {
      {" \t-1.5e2\t+.5 5. 7E-1\r", {-150, 0.5f, 5, 0.7f}},
      {"1e 2", {1}},  // "e" without digits is no exponent, and the next read fails on it
      {"1.5.5", {1.5f, 0.5f}},
      {"0x10 2", {0}},
      {"inf 1", {}},
      {". 1", {}},
      {"-1e39 2", {}},
      {"3.4028235e38 1e-50 -0", {FLT_MAX, 0, 0}},
      {"0.000000000000000000000000000001e30", {1}},
  };
  for (const auto& Case : kCases) {
    NumberStream ss = OpenNumberStream(Case.strText);
    std::vector<float> Values;
    float fValue = -7;
    while (ReadFloat(ss, fValue)) Values.push_back(fValue);
    EXPECT_EQ(Values, Case.Values) << Case.strText;
    EXPECT_EQ(fValue, Values.empty() ? -7 : Values.back()) << "a failed read changed its target";
  }
}

TEST(NumberStream, FloatsRoundLikeTheCLibraryForRandomDecimals) {
  std::mt19937 Random(1234);
  auto Digits = [&](int iMax) {
    std::string strOut(Random() % (iMax + 1), '0');
    for (char& c : strOut) c = static_cast<char>('0' + Random() % 10);
    return strOut;
  };
  for (int i = 0; i < 200000; ++i) {
    std::string strToken = Digits(9) + "." + Digits(9);
    if (strToken == ".") strToken = "0";
    if (Random() % 3 == 0) strToken = "-" + strToken;
    if (Random() % 2) strToken += "e" + std::to_string(static_cast<int>(Random() % 60) - 30);
    const float fExpected = std::strtof(strToken.c_str(), nullptr);
    NumberStream ss = OpenNumberStream(strToken);
    float fRead = 0;
    ASSERT_TRUE(ReadFloat(ss, fRead)) << strToken;
    ASSERT_EQ(std::memcmp(&fRead, &fExpected, sizeof(float)), 0) << strToken << " read " << fRead;
  }
}

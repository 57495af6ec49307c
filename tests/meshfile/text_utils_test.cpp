// The string operations the loader's keyword handling depends on.
#include "meshfile/text_utils.h"

#include <gtest/gtest.h>

TEST(TextUtils, SplitFirstCutsAtTheFirstDelimiterOnly) {
  const struct {
    std::string strText, strDelimiter;
    bool bFound;
    std::string strHead, strRest;
  } kCases[] = {
      {"v 1 2 3", " ", true, "v", "1 2 3"},
      {" v 1", " ", true, "", "v 1"},
      {"v\t1\t2", " ", false, "keep", "v\t1\t2"},
      {"f ", " ", true, "f", ""},
      {"a::b::c", "::", true, "a", "b::c"},
      {"", " ", false, "keep", ""},
  };
  for (const auto& Case : kCases) {
    std::string strText = Case.strText, strHead = "keep";
    EXPECT_EQ(SplitFirst(strText, Case.strDelimiter, strHead), Case.bFound) << Case.strText;
    EXPECT_EQ(strHead, Case.strHead) << Case.strText;
    EXPECT_EQ(strText, Case.strRest) << Case.strText;
  }
}

TEST(TextUtils, SingleCharacterTrimsReportWhetherTheyRemovedAnything) {
  std::string strText = "xxaxbxx";
  EXPECT_TRUE(TrimLeft(strText, 'x'));
  EXPECT_EQ(strText, "axbxx");
  EXPECT_FALSE(TrimLeft(strText, 'x'));
  EXPECT_TRUE(TrimRight(strText, 'x'));
  EXPECT_EQ(strText, "axb");
  EXPECT_FALSE(Trim(strText, 'x'));
  strText = "xxxx";
  EXPECT_TRUE(Trim(strText, 'x'));
  EXPECT_EQ(strText, "");
  EXPECT_FALSE(TrimLeft(strText, 'x'));
  EXPECT_FALSE(TrimRight(strText, 'x'));
}

TEST(TextUtils, SetTrimsSweepUntilNothingIsLeftToRemove) {
  // Alternating runs need several sweeps over the set.
  std::string strText = " \t \tv\tn\t \t ";
  TrimLeftSet(strText, WhitespaceChars);
  EXPECT_EQ(strText, "v\tn\t \t ");
  TrimRightSet(strText, WhitespaceChars);
  EXPECT_EQ(strText, "v\tn");
  strText = "\t \tF \t";
  TrimSet(strText, WhitespaceChars);
  EXPECT_EQ(strText, "F");
  EXPECT_EQ(WhitespaceChars, (std::vector<char>{' ', '\t'}));
}

TEST(TextUtils, ToUpperChangesOnlyAsciiLetters) {
  std::string strText = "vN f_z{`@\xe9\xff";
  ToUpper(strText);
  EXPECT_EQ(strText, "VN F_Z{`@\xe9\xff");
}

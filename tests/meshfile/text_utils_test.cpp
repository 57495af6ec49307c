// What the loader's line cases do not reach: the trims' results, sweeps that
// need several passes, and bytes outside a..z.
#include "meshfile/text_utils.h"

#include <gtest/gtest.h>

TEST(TextUtils, TrimsReportRemovalsAndSetTrimsSweepUntilDone) {
  std::string strText = "xxaxbxx";
  EXPECT_TRUE(TrimLeft(strText, 'x'));
  EXPECT_FALSE(TrimLeft(strText, 'x'));
  EXPECT_TRUE(TrimRight(strText, 'x'));
  EXPECT_FALSE(Trim(strText, 'x'));
  EXPECT_EQ(strText, "axb");
  strText = "";
  EXPECT_FALSE(Trim(strText, 'x'));

  strText = " \t \tv\tn\t \t ";
  TrimSet(strText, WhitespaceChars);
  EXPECT_EQ(strText, "v\tn");

  std::string strHead = "keep";
  strText = "a::b::c";
  EXPECT_TRUE(SplitFirst(strText, "::", strHead));
  EXPECT_EQ(strHead + "|" + strText, "a|b::c");
  EXPECT_FALSE(SplitFirst(strText, " ", strHead));
  EXPECT_EQ(strHead + "|" + strText, "a|b::c");

  strText = "vN f_z{`@\xe9\xff";
  ToUpper(strText);
  EXPECT_EQ(strText, "VN F_Z{`@\xe9\xff");
}

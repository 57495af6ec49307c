// Line splitting: line feeds end lines, CR LF counts as one end, and the text
// after the last line feed is always one more line.
#include "meshfile/text_file_reader.h"

#include <gtest/gtest.h>

#include <fstream>

TEST(TextFileReader, SplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
  const struct {
    std::string strBytes;
    std::vector<std::string> Lines;
  } kCases[] = {
      {"", {""}},
      {"a\nb\n", {"a", "b", ""}},
      {"a\r\nb", {"a", "b"}},
      {"a\rb\r", {"a\rb\r"}},  // a lone CR is text
      {"a\r\r\n\n", {"a\r", "", ""}},
      {std::string("n\0l\n", 4), {std::string("n\0l", 3), ""}},
  };
  const std::string strPath = ::testing::TempDir() + "text_file_reader_cases.txt";
  TextFileReader tfrData;
  for (const auto& Case : kCases) {
    std::ofstream(strPath, std::ios::binary) << Case.strBytes;
    ASSERT_TRUE(tfrData.Load(strPath));
    EXPECT_EQ(tfrData.Lines(), Case.Lines) << Case.strBytes;
  }
  ASSERT_TRUE(tfrData.ReadLines(strPath));  // appends
  EXPECT_EQ(tfrData.Lines().size(), 4u);
  EXPECT_FALSE(tfrData.Load(::testing::TempDir() + "no_such_file.obj"));
}

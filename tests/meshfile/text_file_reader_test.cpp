// Line splitting: line feeds end lines, CR LF counts as one end, and the text
// after the last line feed is always one more line.
#include "meshfile/text_file_reader.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

std::string WriteTemp(const std::string& strName, const std::string& strBytes) {
  const std::string strPath = ::testing::TempDir() + strName;
  std::ofstream(strPath, std::ios::binary) << strBytes;
  return strPath;
}

}  // namespace

TEST(TextFileReader, SplitsAtLineFeedsAndDropsTheCarriageReturnBeforeThem) {
  const struct {
    std::string strBytes;
    std::vector<std::string> Lines;
  } kCases[] = {
      {"", {""}},
      {"a", {"a"}},
      {"a\nb\n", {"a", "b", ""}},
      {"a\r\nb\r\n", {"a", "b", ""}},
      {"\n\n", {"", "", ""}},
      {"a\rb\r", {"a\rb\r"}},        // a lone CR is text
      {"a\r\r\nb", {"a\r", "b"}},
      {std::string("n\0l\n", 4), {std::string("n\0l", 3), ""}},
  };
  for (const auto& Case : kCases) {
    TextFileReader tfrData;
    ASSERT_TRUE(tfrData.Load(WriteTemp("reader_case.txt", Case.strBytes)));
    EXPECT_EQ(tfrData.Lines(), Case.Lines) << Case.strBytes;
  }
}

TEST(TextFileReader, LoadStartsAfreshReadLinesAppendsAndMissingFilesAddNothing) {
  const std::string strPath = WriteTemp("reader_two.txt", "x\ny");
  TextFileReader tfrData;
  ASSERT_TRUE(tfrData.Load(strPath));
  ASSERT_TRUE(tfrData.ReadLines(strPath));
  EXPECT_EQ(tfrData.Lines(), (std::vector<std::string>{"x", "y", "x", "y"}));
  EXPECT_FALSE(tfrData.ReadLines(::testing::TempDir() + "no_such_file.obj"));
  EXPECT_EQ(tfrData.Lines().size(), 4u);
  ASSERT_TRUE(tfrData.Load(strPath));
  EXPECT_EQ(tfrData.Lines().size(), 2u);
}

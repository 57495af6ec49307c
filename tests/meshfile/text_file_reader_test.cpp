// Line splitting: line feeds end lines, CR LF counts as one end, and the text
// after the last line feed is always one more line.
#include "meshfile/text_file_reader.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
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

namespace {

std::string WriteText(const std::string& strName, const std::string& strBytes) {
  const std::string strPath = ::testing::TempDir() + "text_file_reader_" + strName;
  std::ofstream(strPath, std::ios::binary) << strBytes;
  return strPath;
}

}  // namespace

TEST(TextFileReader, LinesAcrossTheReadPiecesAreWhole) {
  // The file is read in pieces of 64 KiB: lines that straddle a boundary,
  // a CR at the end of one piece and its LF at the start of the next.
  const std::string strLong(200000, 'x');
  std::string strBytes = std::string(65535, 'a') + "\r\n" + strLong + "\n" + std::string(65534, 'b') + "\r\nc";
  TextFileReader tfrData;
  ASSERT_TRUE(tfrData.Load(WriteText("pieces.txt", strBytes)));
  EXPECT_EQ(tfrData.Lines(),
            (std::vector<std::string>{std::string(65535, 'a'), strLong, std::string(65534, 'b'), "c"}));
}

TEST(TextFileReader, FilesBeyondTheCapsAppendNothing) {
  TextFileReader tfrData;
  ASSERT_TRUE(tfrData.Load(WriteText("one-line.txt", "kept")));

  // Exactly the line cap, then one line more.
  const std::string strAtCap = WriteText("at-cap.txt", std::string(kMaxMeshFileLines - 1, '\n'));
  ASSERT_TRUE(tfrData.ReadLines(strAtCap));
  EXPECT_EQ(tfrData.Lines().size(), 1 + kMaxMeshFileLines);
  ASSERT_TRUE(tfrData.Load(WriteText("one-line.txt", "kept")));
  EXPECT_FALSE(tfrData.ReadLines(WriteText("over-cap.txt", std::string(kMaxMeshFileLines, '\n'))));
  EXPECT_EQ(tfrData.Lines(), std::vector<std::string>{"kept"});

  // A sparse file one byte over the size cap.
  const std::string strSparse = WriteText("sparse.txt", "");
  ASSERT_EQ(truncate(strSparse.c_str(), static_cast<off_t>(kMaxMeshFileBytes + 1)), 0);
  EXPECT_FALSE(tfrData.ReadLines(strSparse));
  EXPECT_EQ(tfrData.Lines(), std::vector<std::string>{"kept"});
  std::remove(strSparse.c_str());
}

TEST(TextFileReader, OnlyRegularFilesOpen) {
  const std::string strFifo = ::testing::TempDir() + "text_file_reader_fifo";
  std::remove(strFifo.c_str());
  ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
  TextFileReader tfrData;
  for (const std::string& strPath : {strFifo, ::testing::TempDir(), std::string("/dev/zero")}) {
    EXPECT_FALSE(tfrData.Load(strPath)) << strPath;
    EXPECT_TRUE(tfrData.Lines().empty()) << strPath;
  }
  std::remove(strFifo.c_str());
}

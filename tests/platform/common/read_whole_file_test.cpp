// Data-file reading: only regular files within their cap are read, and
// nothing that is not one (directory, FIFO, device) blocks or allocates.
#include "read_whole_file.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

// The helper knows no format: its readers give the caps. One as large as theirs.
constexpr size_t kLargeCap = size_t{256} << 20;

namespace fs = std::filesystem;

class ReadWholeFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const ::testing::TestInfo* pTest = ::testing::UnitTest::GetInstance()->current_test_info();
    Folder = fs::path(::testing::TempDir()) / (std::string("read_whole_file_") + pTest->name());
    fs::remove_all(Folder);
    fs::create_directories(Folder);
  }
  void TearDown() override { fs::remove_all(Folder); }

  std::string Write(const char* pszName, const std::string& strBytes) const {
    const std::string strPath = (Folder / pszName).string();
    std::ofstream(strPath, std::ios::binary) << strBytes;
    return strPath;
  }

  // Reads into a vector that holds something beforehand: a refusal must empty it.
  static bool Read(const std::string& strPath, size_t uCap, std::vector<unsigned char>& Bytes) {
    Bytes.assign(3, 'x');
    return ReadWholeFile(strPath.c_str(), uCap, Bytes);
  }

  fs::path Folder;
};

TEST_F(ReadWholeFileTest, ReadsARegularFileUpToItsCap) {
  std::vector<unsigned char> Bytes;
  const std::string strBinary("a\0b\r\n\xff", 6);
  ASSERT_TRUE(Read(Write("six", strBinary), 6, Bytes));
  EXPECT_EQ(std::string(Bytes.begin(), Bytes.end()), strBinary);
  EXPECT_FALSE(Read(Write("six", strBinary), 5, Bytes));
  EXPECT_TRUE(Bytes.empty());
  ASSERT_TRUE(Read(Write("empty", ""), 0, Bytes));
  EXPECT_TRUE(Bytes.empty());
}

TEST_F(ReadWholeFileTest, WhatIsNotARegularFileCountsAsMissing) {
  const std::string strFifo = (Folder / "fifo").string();
  ASSERT_EQ(mkfifo(strFifo.c_str(), 0600), 0);
  fs::create_directory(Folder / "folder");
  fs::create_symlink(Folder / "folder", Folder / "link-to-folder");
  std::vector<unsigned char> Bytes;
  // A FIFO without a writer would block a plain open for ever.
  for (const std::string& strPath : {strFifo, (Folder / "folder").string(), (Folder / "link-to-folder").string(),
                                     std::string("/dev/zero"), std::string("/dev/null"), (Folder / "none").string()}) {
    EXPECT_FALSE(Read(strPath, kLargeCap, Bytes)) << strPath;
    EXPECT_TRUE(Bytes.empty()) << strPath;
  }
  EXPECT_FALSE(ReadWholeFile(nullptr, kLargeCap, Bytes));
  // A link to a regular file is the file.
  fs::create_symlink(Write("target", "abc"), Folder / "link-to-file");
  EXPECT_TRUE(Read((Folder / "link-to-file").string(), 3, Bytes));
}

TEST_F(ReadWholeFileTest, ASparseFileOverTheCapIsNotRead) {
  // 64 GiB that take no disk space: the size alone must refuse it.
  const std::string strPath = Write("sparse", "");
  ASSERT_EQ(truncate(strPath.c_str(), off_t{64} << 30), 0);
  std::vector<unsigned char> Bytes;
  for (const size_t uCap : {kLargeCap, size_t{64} << 20, size_t{1} << 35})
    EXPECT_FALSE(Read(strPath, uCap, Bytes));
  // Just over and exactly at a cap.
  ASSERT_EQ(truncate(strPath.c_str(), 4097), 0);
  EXPECT_FALSE(Read(strPath, 4096, Bytes));
  ASSERT_EQ(truncate(strPath.c_str(), 4096), 0);
  ASSERT_TRUE(Read(strPath, 4096, Bytes));
  EXPECT_EQ(Bytes, std::vector<unsigned char>(4096, 0));
}

TEST_F(ReadWholeFileTest, AFileThatEndsBeforeItsSizeCountsAsMissing) {
  // Shrunk between the open and the read.
  const std::string strPath = Write("shrinking", std::string(10000, 's'));
  DataFile File(strPath.c_str(), kLargeCap);
  ASSERT_TRUE(File.IsOpen());
  EXPECT_EQ(File.Size(), 10000u);
  ASSERT_EQ(truncate(strPath.c_str(), 5000), 0);
  std::vector<unsigned char> Bytes(File.Size());
  EXPECT_FALSE(File.ReadExactly(Bytes.data(), Bytes.size()));

  // A regular file whose stated size is more than it holds (sysfs states 4096).
  const char* pszShort = "/sys/devices/system/cpu/online";
  struct stat Info {};
  if (stat(pszShort, &Info) != 0 || !S_ISREG(Info.st_mode) || Info.st_size != 4096) GTEST_SKIP() << pszShort;
  EXPECT_FALSE(Read(pszShort, kLargeCap, Bytes));
  EXPECT_TRUE(Bytes.empty());
}

}  // namespace

// Finding the data folder: which folder the demo plays from, for a working
// directory with all, some or none of the data files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "data_folder.h"

namespace fs = std::filesystem;

namespace {

class DataFolders : public testing::Test {
 protected:
  void SetUp() override {
    std::string strTemplate = (fs::temp_directory_path() / "vimra-data-XXXXXX").string();
    ASSERT_NE(mkdtemp(strTemplate.data()), nullptr);
    Root = strTemplate;
  }
  void TearDown() override { fs::remove_all(Root); }

  fs::path Folder(const char* pszName) {
    fs::create_directories(Root / pszName);
    return Root / pszName;
  }
  static void Put(const fs::path& Folder, const char* pszName) { std::ofstream(Folder / pszName) << "x"; }
  static void PutAll(const fs::path& Folder) {
    for (const char* pszName : kDataFileNames) Put(Folder, pszName);
  }
  fs::path Root;
};

TEST_F(DataFolders, WorkingDirectoryWithAnyDataFileIsKept) {
  const fs::path Working = Folder("work"), Installed = Folder("share");
  PutAll(Installed);
  Put(Working, "cube.dds");
  // What is missing there stays missing, as the design wants.
  EXPECT_EQ(FindDataFolder(Working, {Installed}), Working);
  EXPECT_EQ(MissingDataFiles(Working).size(), 4u);
}

TEST_F(DataFolders, FirstCandidateHoldingEveryFileIsChosen) {
  const fs::path Working = Folder("work"), Partial = Folder("partial"), Full = Folder("full"), Later = Folder("later");
  for (const char* pszName : {"cubedef.obj", "cyldef.obj", "isodef.obj", "cube.dds"}) Put(Partial, pszName);
  PutAll(Full);
  PutAll(Later);
  EXPECT_EQ(FindDataFolder(Working, {Partial, Full, Later}), Full);
  EXPECT_EQ(FindDataFolder(Working, {Partial}), std::nullopt);
  EXPECT_EQ(FindDataFolder(Working, {Root / "absent"}), std::nullopt);
}

TEST_F(DataFolders, ADirectoryNamedLikeADataFileDoesNotCount) {
  const fs::path Working = Folder("work"), Installed = Folder("share");
  fs::create_directories(Working / "demodemo.mp3");
  PutAll(Installed);
  EXPECT_EQ(FindDataFolder(Working, {Installed}), Installed);
}

TEST_F(DataFolders, InstalledDataLiesBesideTheProgramsFolder) {
  const fs::path Bin = Folder("prefix/bin");
  EXPECT_EQ(DataFolderCandidates(Bin / "vimra", "../src/data"),
            std::vector<fs::path>{Root / "prefix/share/vimra"});
  // A build tree (CMake's cache beside the program) also looks in the source data.
  Put(Bin, "CMakeCache.txt");
  EXPECT_EQ(DataFolderCandidates(Bin / "vimra", "../src/data"),
            (std::vector<fs::path>{Root / "prefix/share/vimra", Root / "prefix/src/data"}));
  EXPECT_EQ(DataFolderCandidates(Bin / "vimra", ""), std::vector<fs::path>{Root / "prefix/share/vimra"});
}

}  // namespace

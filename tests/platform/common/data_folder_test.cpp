// Finding the data folder: which folder the demo plays from, for a working
// directory with all, some or none of the data files.
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <fstream>

#include "data_folder.h"

namespace fs = std::filesystem;

namespace {

// The lookup knows no names of its own: the program hands them over.
const char* const kNames[] = {"first.obj", "second.obj", "third.obj", "map.dds", "music.mp3"};

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
    for (const char* pszName : kNames) Put(Folder, pszName);
  }
  fs::path Root;
};

TEST_F(DataFolders, WorkingDirectoryWithAnyDataFileIsKept) {
  const fs::path Working = Folder("work"), Installed = Folder("share");
  PutAll(Installed);
  Put(Working, "map.dds");
  // What is missing there stays missing, as the design wants.
  EXPECT_EQ(FindDataFolder(Working, {Installed}, kNames), Working);
  EXPECT_EQ(MissingDataFiles(Working, kNames).size(), 4u);
  EXPECT_EQ(MissingDataFiles(Working, kNames).front(), "first.obj");
}

TEST_F(DataFolders, FirstCandidateHoldingEveryFileIsChosen) {
  const fs::path Working = Folder("work"), Partial = Folder("partial"), Full = Folder("full"), Later = Folder("later");
  for (const char* pszName : {"first.obj", "second.obj", "third.obj", "map.dds"}) Put(Partial, pszName);
  PutAll(Full);
  PutAll(Later);
  EXPECT_EQ(FindDataFolder(Working, {Partial, Full, Later}, kNames), Full);
  EXPECT_EQ(FindDataFolder(Working, {Partial}, kNames), std::nullopt);
  EXPECT_EQ(FindDataFolder(Working, {Root / "absent"}, kNames), std::nullopt);
  // Other names, other answers: the partial folder is whole for a program of four files.
  EXPECT_EQ(FindDataFolder(Working, {Partial, Full}, DataFileNames(kNames).first(4)), Partial);
}

TEST_F(DataFolders, ADirectoryNamedLikeADataFileDoesNotCount) {
  const fs::path Working = Folder("work"), Installed = Folder("share");
  fs::create_directories(Working / "music.mp3");
  PutAll(Installed);
  EXPECT_EQ(FindDataFolder(Working, {Installed}, kNames), Installed);
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

#include "data_folder.h"

#include <unistd.h>

#include <cstdio>
#include <system_error>

namespace fs = std::filesystem;

std::vector<std::string> MissingDataFiles(const fs::path& Folder, DataFileNames Names) {
  std::vector<std::string> Missing;
  for (const char* pszName : Names) {
    std::error_code Error;
    if (!fs::is_regular_file(Folder / pszName, Error)) Missing.emplace_back(pszName);
  }
  return Missing;
}

std::vector<fs::path> DataFolderCandidates(const fs::path& ExecutablePath, const std::string& strSourceDataFromBinary) {
  const fs::path Bin = ExecutablePath.parent_path();
  std::vector<fs::path> Candidates = {(Bin / ".." / "share" / "vimra").lexically_normal()};
  // Only a build tree has CMake's cache beside its programs.
  std::error_code Error;
  if (!strSourceDataFromBinary.empty() && fs::exists(Bin / "CMakeCache.txt", Error))
    Candidates.push_back((Bin / strSourceDataFromBinary).lexically_normal());
  return Candidates;
}

std::optional<fs::path> FindDataFolder(const fs::path& WorkingFolder, const std::vector<fs::path>& Candidates,
                                       DataFileNames Names) {
  if (MissingDataFiles(WorkingFolder, Names).size() < Names.size()) return WorkingFolder;
  for (const fs::path& Candidate : Candidates) {
    if (MissingDataFiles(Candidate, Names).empty()) return Candidate;
  }
  return std::nullopt;
}

namespace {

fs::path ThisExecutable() {
  std::error_code Error;
  const fs::path Path = fs::read_symlink("/proc/self/exe", Error);
  return Error ? fs::path() : Path;
}

}  // namespace

bool EnterDataFolder(const char* pszProgram, DataFileNames Names) {
  std::error_code Error;
  const fs::path Working = fs::current_path(Error);
  const fs::path Executable = ThisExecutable();
  const std::vector<fs::path> Candidates =
      Executable.empty() ? std::vector<fs::path>() : DataFolderCandidates(Executable, VIMRA_SOURCE_DATA_FROM_BINARY);
  const std::optional<fs::path> Found = FindDataFolder(Working, Candidates, Names);
  if (Found && *Found == Working) return true;
  if (Found) {
    fs::current_path(*Found, Error);
    if (!Error) {
      std::fprintf(stderr, "%s: playing from %s (the working directory has no data files)\n", pszProgram,
                   Found->string().c_str());
      return true;
    }
  }
  std::string strFiles, strFolders = Working.string();
  for (const char* pszName : Names) strFiles += (strFiles.empty() ? "" : ", ") + std::string(pszName);
  for (const fs::path& Candidate : Candidates) strFolders += ", " + Candidate.string();
  std::fprintf(stderr, "%s: no data files (%s) in %s; going on without them\n", pszProgram, strFiles.c_str(),
               strFolders.c_str());
  return false;
}

// Where the program's data files are. The program opens them by relative
// name from its working directory; when that directory lacks them, the
// program changes into the first folder that holds them: the install location
// next to the executable (<prefix>/share/vimra for <prefix>/bin/vimra), then
// the source tree's data/ for a program run from its build tree. The names are
// the program's (the demo's host owns them); the lookup knows none.
#pragma once

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

using DataFileNames = std::span<const char* const>;

// The files of Names that Folder lacks, in Names' order.
std::vector<std::string> MissingDataFiles(const std::filesystem::path& Folder, DataFileNames Names);

// The folders to look in, in order, for a program at ExecutablePath:
// <exe dir>/../share/vimra, then, for a program in a build tree (CMake's
// cache beside it), <exe dir>/strSourceDataFromBinary, the build tree's
// relative way to the source data.
std::vector<std::filesystem::path> DataFolderCandidates(const std::filesystem::path& ExecutablePath,
                                                        const std::string& strSourceDataFromBinary);

// The folder to play from: WorkingFolder itself when it holds any data file
// (what is missing there stays missing, as designed), else the first candidate
// that holds every file; nothing when none does.
std::optional<std::filesystem::path> FindDataFolder(const std::filesystem::path& WorkingFolder,
                                                    const std::vector<std::filesystem::path>& Candidates,
                                                    DataFileNames Names);

// The whole lookup for a program: finds the folder from the working directory
// and this executable's candidates and changes into it. Prints one line on
// stderr, prefixed with pszProgram, when it changes folder ("playing from")
// or when no folder holds the data (the files and the folders looked in).
// True when the working directory holds data afterwards.
bool EnterDataFolder(const char* pszProgram, DataFileNames Names);

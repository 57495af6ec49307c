#include "data_option.h"

int ParseDataOption(const ToolInfo& Tool, int argc, char** argv, std::filesystem::path& DataFolder,
                    std::vector<std::string>& Arguments) {
  for (int i = 1; i < argc; ++i) {
    const std::string strArg = argv[i];
    if (strArg == "--data") {
      if (i + 1 >= argc) return UsageError(Tool, "--data needs a folder");
      DataFolder = argv[++i];
    } else if (IsOption(strArg)) {
      return UsageError(Tool, "unknown option " + strArg);
    } else {
      Arguments.push_back(strArg);
    }
  }
  return 0;
}

int EnterDataOption(const ToolInfo& Tool, const std::filesystem::path& DataFolder, DataFileNames Names) {
  if (DataFolder.empty()) {
    EnterDataFolder(Tool.pszName, Names);
    return 0;
  }
  std::error_code error;
  std::filesystem::current_path(DataFolder, error);
  if (error) return Failure(Tool, "cannot enter " + DataFolder.string() + ": " + error.message());
  return 0;
}

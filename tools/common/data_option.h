// The command line of a program that draws from the demo's data files:
// "--data DIR" names their folder; without it the program finds them as the
// demo does (data_folder.h).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "data_folder.h"
#include "tool_io.h"

// Takes "--data DIR" from anywhere on the command line and hands back the
// other arguments in order. Any other option is refused. 0 when parsed, else
// the usage error's exit code, already printed.
int ParseDataOption(const ToolInfo& Tool, int argc, char** argv, std::filesystem::path& DataFolder,
                    std::vector<std::string>& Arguments);

// Changes into DataFolder, or without one into the folder the demo's own
// lookup finds for Names. 0 when entered, else the failure's exit code,
// already printed.
int EnterDataOption(const ToolInfo& Tool, const std::filesystem::path& DataFolder, DataFileNames Names);

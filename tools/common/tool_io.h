// What every tool shares: its command line answers --help with the usage
// (exit 0) and a bad argument with a message and the usage (exit 2); every
// file it writes is checked to the close, so a full disk is an error (exit 1)
// naming the file; and nothing escapes main uncaught.
#pragma once

#include <cstddef>
#include <functional>
#include <string>

struct ToolInfo {
  const char* pszName;   // "vimra-frame"
  const char* pszUsage;  // the usage lines, without "usage: "
};

// Runs the tool's body. "--help" or "-h" anywhere on the command line prints
// the usage to standard output and returns 0 without running it; so does
// "--version" with "NAME (Vimra) VERSION". An
// exception escaping the body is reported and returns 1, and so does a
// failure to write standard output.
int RunTool(const ToolInfo& Tool, int argc, char** argv, const std::function<int()>& fnBody);

// Prints "NAME: MESSAGE" and the usage to standard error; returns 2.
int UsageError(const ToolInfo& Tool, const std::string& strMessage);

// Prints "NAME: MESSAGE" to standard error; returns 1.
int Failure(const ToolInfo& Tool, const std::string& strMessage);

// True for an argument that looks like an option ("-x", "--name").
bool IsOption(const std::string& strArg);

// Writes the bytes as the whole file and closes it, checking every step; on
// failure prints "NAME: cannot write PATH: REASON" and returns false.
bool WriteWholeFile(const ToolInfo& Tool, const std::string& strPath, const void* pData, size_t iSize);

// A PNG of iChannels bytes per pixel (rows top first), through WriteWholeFile.
bool WritePngFile(const ToolInfo& Tool, const std::string& strPath, int iWidth, int iHeight, int iChannels,
                  const unsigned char* pPixels);

// What vimra-record is asked to do: its command line, checked at the door, and
// the frame times and ffmpeg arguments that follow from it.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "win32.h"

// The demo's own length: its last drawn frame is the one at 85 080 ms.
constexpr DWORD kDemoLengthMs = 85080;

enum class Antialias { Auto, None, Multisample, Supersample };

// What ffmpeg writes, chosen by the output file's extension.
enum class OutputKind {
  H264,         // .mp4 .mov .mkv: H.264 with AAC music
  Vp9,          // .webm: VP9 with Opus music
  PngSequence,  // NAME%05d.png: one PNG per frame, numbered from 0, no music
};

struct RecordOptions {
  std::filesystem::path Output;
  OutputKind eKind = OutputKind::H264;
  std::filesystem::path DataFolder = ".";
  int iWidth = 1280, iHeight = 720;
  int iFps = 50;
  DWORD dwStartMs = 0, dwEndMs = kDemoLengthMs;
  Antialias eAntialias = Antialias::Auto;
  int iFactor = 0;  // samples for multisampling, the scale for supersampling
  bool bQuiet = false;
};

struct ParsedArguments {
  enum { kRun, kBad } eOutcome = kRun;
  std::string strError;  // for kBad: what is wrong, one line
  RecordOptions Options;
};

// --help is not among them: every tool answers it before parsing.
ParsedArguments ParseRecordArguments(int argc, const char* const* argv);
// The usage lines, without "usage: ".
const char* RecordUsage();

// The frames of [start, end) at the frame rate; frame i shows demo time
// start + i / fps, rounded to whole milliseconds.
int FrameCount(const RecordOptions& Options);
DWORD FrameTime(const RecordOptions& Options, int iFrame);

// The antialiasing actually used once the device's most samples are known:
// multisampling where the device has the samples, supersampling where not.
struct AntialiasChoice {
  Antialias eMethod;  // None, Multisample or Supersample
  int iFactor;        // samples, or the supersampling scale (1 for None)
};
AntialiasChoice ChooseAntialias(Antialias eAsked, int iAskedFactor, int iDeviceMaxSamples);
std::string DescribeAntialias(const AntialiasChoice& Choice);

// ffmpeg's arguments (without the program name): raw RGBA frames of the
// output size on stdin, the music (when strMusic is not empty) cut to the
// recorded span, written to Target.
std::vector<std::string> FfmpegArguments(const RecordOptions& Options, const std::string& strMusic,
                                         const std::filesystem::path& Target);

// For a PNG sequence: the file of one frame number.
std::filesystem::path SequenceFile(const std::filesystem::path& Pattern, int iFrame);

#include "record_options.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace {

bool ParseWhole(const std::string& strText, long long iMax, long long& iValue) {
  if (strText.empty() || strText.size() > 12) return false;
  iValue = 0;
  for (const char c : strText) {
    if (c < '0' || c > '9') return false;
    iValue = iValue * 10 + (c - '0');
  }
  return iValue <= iMax;
}

// Seconds with at most three decimals ("41.5"), as whole milliseconds.
bool ParseSeconds(const std::string& strText, DWORD& dwMs) {
  const size_t iDot = strText.find('.');
  const std::string strWhole = strText.substr(0, iDot);
  std::string strFraction = iDot == std::string::npos ? "" : strText.substr(iDot + 1);
  if (strFraction.size() > 3 || (iDot != std::string::npos && strFraction.empty())) return false;
  long long iSeconds = 0, iFraction = 0;
  if (!ParseWhole(strWhole, 1000000, iSeconds)) return false;
  strFraction.resize(3, '0');
  if (!ParseWhole(strFraction, 999, iFraction)) return false;
  dwMs = static_cast<DWORD>(iSeconds * 1000 + iFraction);
  return true;
}

bool ParseSize(const std::string& strText, int& iWidth, int& iHeight, std::string& strError) {
  struct Named {
    const char* pszName;
    int iWidth, iHeight;
  };
  static const Named kNamed[] = {{"720p", 1280, 720}, {"1080p", 1920, 1080}, {"1440p", 2560, 1440},
                                 {"2160p", 3840, 2160}, {"4k", 3840, 2160}};
  for (const Named& N : kNamed) {
    if (strText == N.pszName) {
      iWidth = N.iWidth;
      iHeight = N.iHeight;
      return true;
    }
  }
  const size_t iX = strText.find('x');
  long long iW = 0, iH = 0;
  if (iX == std::string::npos || !ParseWhole(strText.substr(0, iX), 100000, iW) ||
      !ParseWhole(strText.substr(iX + 1), 100000, iH)) {
    strError = "'" + strText + "' is not a size (WIDTHxHEIGHT, 720p, 1080p, 1440p or 2160p)";
    return false;
  }
  // The design's projection is fixed at 16:9; another shape would stretch the picture.
  if (iW * 9 != iH * 16) {
    strError = "size " + strText + " is not 16:9 (the demo's projection is 16:9)";
    return false;
  }
  // Video codecs halve the colour planes, so both sides must be even.
  if (iH % 2 != 0 || iH < 18 || iH > 4320) {
    strError = "size " + strText + " must have an even height from 18 to 4320";
    return false;
  }
  iWidth = static_cast<int>(iW);
  iHeight = static_cast<int>(iH);
  return true;
}

bool ParseAntialias(const std::string& strText, Antialias& eMethod, int& iFactor) {
  struct Named {
    const char* pszName;
    Antialias eMethod;
    int iFactor;
  };
  static const Named kNamed[] = {{"auto", Antialias::Auto, 0},        {"none", Antialias::None, 1},
                                 {"msaa2", Antialias::Multisample, 2}, {"msaa4", Antialias::Multisample, 4},
                                 {"msaa8", Antialias::Multisample, 8}, {"ssaa2", Antialias::Supersample, 2},
                                 {"ssaa3", Antialias::Supersample, 3}, {"ssaa4", Antialias::Supersample, 4}};
  for (const Named& N : kNamed) {
    if (strText == N.pszName) {
      eMethod = N.eMethod;
      iFactor = N.iFactor;
      return true;
    }
  }
  return false;
}

// The one frame-number field of a sequence name: "%d" or "%0Nd".
bool FindFrameField(const std::string& strName, size_t& iAt, size_t& iLength, int& iDigits) {
  const size_t iPercent = strName.find('%');
  if (iPercent == std::string::npos || strName.find('%', iPercent + 1) != std::string::npos) return false;
  size_t i = iPercent + 1;
  iDigits = 0;
  if (i < strName.size() && strName[i] == '0') {
    ++i;
    if (i >= strName.size() || strName[i] < '1' || strName[i] > '9') return false;
    iDigits = strName[i] - '0';
    ++i;
  }
  if (i >= strName.size() || strName[i] != 'd') return false;
  iAt = iPercent;
  iLength = i + 1 - iPercent;
  return true;
}

bool KindFromName(const std::filesystem::path& Output, OutputKind& eKind, std::string& strError) {
  std::string strExtension = Output.extension().string();
  for (char& c : strExtension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (strExtension == ".mp4" || strExtension == ".mov" || strExtension == ".mkv") {
    eKind = OutputKind::H264;
  } else if (strExtension == ".webm") {
    eKind = OutputKind::Vp9;
  } else if (strExtension == ".png") {
    size_t iAt = 0, iLength = 0;
    int iDigits = 0;
    if (!FindFrameField(Output.filename().string(), iAt, iLength, iDigits)) {
      strError = "a PNG sequence needs one frame number field in its name, such as frame%05d.png";
      return false;
    }
    eKind = OutputKind::PngSequence;
  } else {
    strError = "cannot tell the format of '" + Output.string() + "' (use .mp4, .mov, .mkv, .webm or NAME%05d.png)";
    return false;
  }
  return true;
}

std::string Seconds(DWORD dwMs) {
  char szText[32];
  std::snprintf(szText, sizeof szText, "%u.%03u", dwMs / 1000, dwMs % 1000);
  return szText;
}

}  // namespace

const char* RecordUsage() {
  return "vimra-record [options] OUTPUT\n"
         "Records the demo with its music to OUTPUT: H.264 in .mp4/.mov/.mkv, VP9 in .webm,\n"
         "or a PNG sequence for NAME%05d.png (numbered from 0, without music).\n"
         "  --data DIR          folder with the demo's data files (default: the current folder)\n"
         "  --size SIZE         WIDTHxHEIGHT at 16:9, or 720p, 1080p, 1440p, 2160p (default 1280x720)\n"
         "  --fps N             frames per second, 25 to 120 (default 50)\n"
         "  --start SECONDS     demo time of the first frame (default 0)\n"
         "  --end SECONDS       demo time where the recording stops (default 85.08, the end)\n"
         "  --antialias MODE    auto (default), none, msaa2, msaa4, msaa8, ssaa2, ssaa3, ssaa4;\n"
         "                      msaaN: N-sample multisampling (supersampling where the device\n"
         "                      has not the samples), ssaaK: rendered K times larger, filtered down;\n"
         "                      auto: the most of 8 or 4 samples the device has, else ssaa2\n"
         "  --quiet             no progress line\n"
         "  --help              this text";
}

ParsedArguments ParseRecordArguments(int argc, const char* const* argv) {
  ParsedArguments Parsed;
  RecordOptions& Options = Parsed.Options;
  auto Bad = [&Parsed](const std::string& strError) {
    Parsed.eOutcome = ParsedArguments::kBad;
    Parsed.strError = strError;
    return Parsed;
  };
  bool bHaveOutput = false, bHaveEnd = false;
  for (int i = 1; i < argc; ++i) {
    const std::string strArg = argv[i];
    if (strArg == "--quiet") {
      Options.bQuiet = true;
      continue;
    }
    if (strArg.size() > 1 && strArg[0] == '-') {
      static const char* const kWithValue[] = {"--data", "--size", "--fps", "--start", "--end", "--antialias"};
      bool bKnown = false;
      for (const char* pszName : kWithValue) bKnown = bKnown || strArg == pszName;
      if (!bKnown) return Bad("unknown option " + strArg);
      if (i + 1 >= argc) return Bad(strArg + " needs a value");
      const std::string strValue = argv[++i];
      std::string strError;
      if (strArg == "--data") {
        Options.DataFolder = strValue;
      } else if (strArg == "--size") {
        if (!ParseSize(strValue, Options.iWidth, Options.iHeight, strError)) return Bad(strError);
      } else if (strArg == "--fps") {
        long long iFps = 0;
        if (!ParseWhole(strValue, 1000, iFps) || iFps < 25 || iFps > 120) {
          return Bad("--fps " + strValue + ": the frame rate is a whole number from 25 to 120");
        }
        Options.iFps = static_cast<int>(iFps);
      } else if (strArg == "--start" || strArg == "--end") {
        DWORD dwMs = 0;
        if (!ParseSeconds(strValue, dwMs)) {
          return Bad(strArg + " " + strValue + ": not a time in seconds (at most three decimals)");
        }
        if (dwMs > kDemoLengthMs) return Bad(strArg + " " + strValue + ": the demo ends at " + Seconds(kDemoLengthMs));
        (strArg == "--start" ? Options.dwStartMs : Options.dwEndMs) = dwMs;
        bHaveEnd = bHaveEnd || strArg == "--end";
      } else if (!ParseAntialias(strValue, Options.eAntialias, Options.iFactor)) {
        return Bad("--antialias " + strValue + ": use auto, none, msaa2, msaa4, msaa8, ssaa2, ssaa3 or ssaa4");
      }
      continue;
    }
    if (bHaveOutput) return Bad("more than one output: " + Options.Output.string() + " and " + strArg);
    Options.Output = strArg;
    bHaveOutput = true;
  }
  if (!bHaveOutput) return Bad("no output file");
  std::string strError;
  if (!KindFromName(Options.Output, Options.eKind, strError)) return Bad(strError);
  if (Options.dwEndMs <= Options.dwStartMs) {
    return Bad(std::string(bHaveEnd ? "--end" : "the demo's end") + " (" + Seconds(Options.dwEndMs) +
               " s) is not after --start (" + Seconds(Options.dwStartMs) + " s)");
  }
  return Parsed;
}

int FrameCount(const RecordOptions& Options) {
  const long long iSpan = Options.dwEndMs - Options.dwStartMs;
  return static_cast<int>((iSpan * Options.iFps + 999) / 1000);
}

DWORD FrameTime(const RecordOptions& Options, int iFrame) {
  // Integer rounding to the nearest millisecond, halves up, so no float decides a frame.
  const long long iTimes2000 = 2000LL * iFrame / Options.iFps;
  return Options.dwStartMs + static_cast<DWORD>((iTimes2000 + 1) / 2);
}

AntialiasChoice ChooseAntialias(Antialias eAsked, int iAskedFactor, int iDeviceMaxSamples) {
  switch (eAsked) {
    case Antialias::None: return {Antialias::None, 1};
    case Antialias::Supersample: return {Antialias::Supersample, iAskedFactor};
    case Antialias::Multisample:
      if (iDeviceMaxSamples >= iAskedFactor) return {Antialias::Multisample, iAskedFactor};
      // About as many samples per pixel: 2x2 for 2 or 4, 3x3 for 8.
      return {Antialias::Supersample, iAskedFactor > 4 ? 3 : 2};
    case Antialias::Auto:
      if (iDeviceMaxSamples >= 8) return {Antialias::Multisample, 8};
      if (iDeviceMaxSamples >= 4) return {Antialias::Multisample, 4};
      return {Antialias::Supersample, 2};
  }
  return {Antialias::None, 1};
}

std::string DescribeAntialias(const AntialiasChoice& Choice) {
  switch (Choice.eMethod) {
    case Antialias::Multisample: return std::to_string(Choice.iFactor) + "x multisampling";
    case Antialias::Supersample:
      return std::to_string(Choice.iFactor) + "x" + std::to_string(Choice.iFactor) + " supersampling";
    default: return "no antialiasing";
  }
}

std::vector<std::string> FfmpegArguments(const RecordOptions& Options, const std::string& strMusic,
                                         const std::filesystem::path& Target) {
  std::vector<std::string> Args = {"-hide_banner", "-loglevel", "error", "-nostats",
                                   "-f", "rawvideo", "-pix_fmt", "rgba",
                                   "-video_size", std::to_string(Options.iWidth) + "x" + std::to_string(Options.iHeight),
                                   "-framerate", std::to_string(Options.iFps), "-i", "pipe:0"};
  const bool bMusic = !strMusic.empty() && Options.eKind != OutputKind::PngSequence;
  if (bMusic) {
    // Demo time 0 is the moment the music starts.
    Args.insert(Args.end(), {"-ss", Seconds(Options.dwStartMs), "-t", Seconds(Options.dwEndMs - Options.dwStartMs),
                             "-i", strMusic});
  }
  Args.insert(Args.end(), {"-map", "0:v"});
  if (bMusic) Args.insert(Args.end(), {"-map", "1:a"});
  std::string strExtension = Options.Output.extension().string();
  for (char& c : strExtension) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  switch (Options.eKind) {
    case OutputKind::H264:
      Args.insert(Args.end(), {"-c:v", "libx264", "-preset", "superfast", "-crf", "18", "-pix_fmt", "yuv420p"});
      if (bMusic) Args.insert(Args.end(), {"-c:a", "aac", "-b:a", "192k"});
      if (strExtension == ".mkv") {
        Args.insert(Args.end(), {"-f", "matroska"});
      } else {
        Args.insert(Args.end(), {"-movflags", "+faststart", "-f", strExtension == ".mov" ? "mov" : "mp4"});
      }
      break;
    case OutputKind::Vp9:
      Args.insert(Args.end(), {"-c:v", "libvpx-vp9", "-crf", "32", "-b:v", "0", "-deadline", "good", "-cpu-used", "5",
                               "-row-mt", "1", "-pix_fmt", "yuv420p"});
      if (bMusic) Args.insert(Args.end(), {"-c:a", "libopus", "-b:a", "160k"});
      Args.insert(Args.end(), {"-f", "webm"});
      break;
    case OutputKind::PngSequence:
      Args.insert(Args.end(), {"-c:v", "png", "-pix_fmt", "rgb24", "-start_number", "0", "-f", "image2"});
      break;
  }
  Args.insert(Args.end(), {"-y", Target.string()});
  return Args;
}

std::filesystem::path SequenceFile(const std::filesystem::path& Pattern, int iFrame) {
  std::string strName = Pattern.filename().string();
  size_t iAt = 0, iLength = 0;
  int iDigits = 0;
  if (!FindFrameField(strName, iAt, iLength, iDigits)) return Pattern;
  std::string strNumber = std::to_string(iFrame);
  if (static_cast<int>(strNumber.size()) < iDigits) strNumber.insert(0, static_cast<size_t>(iDigits) - strNumber.size(), '0');
  strName.replace(iAt, iLength, strNumber);
  return Pattern.parent_path() / strName;
}

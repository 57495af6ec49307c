// The recorder's command line, frame times, antialiasing choice and the
// supersampling filter.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "box_filter.h"
#include "record_options.h"

namespace {

ParsedArguments Parse(std::initializer_list<const char*> Args) {
  std::vector<const char*> Argv = {"vimra-record"};
  Argv.insert(Argv.end(), Args);
  return ParseRecordArguments(static_cast<int>(Argv.size()), Argv.data());
}

}  // namespace

// ---- command line ------------------------------------------------------------------

TEST(RecordArguments, AcceptedFormsBecomeTheirOptions) {
  const RecordOptions Defaults = Parse({"out.mp4"}).Options;
  EXPECT_EQ(Defaults.iWidth, 1280);
  EXPECT_EQ(Defaults.iHeight, 720);
  EXPECT_EQ(Defaults.iFps, 50);
  EXPECT_EQ(Defaults.dwStartMs, 0u);
  EXPECT_EQ(Defaults.dwEndMs, 85080u);
  EXPECT_EQ(Defaults.eAntialias, Antialias::Auto);
  EXPECT_EQ(Defaults.eKind, OutputKind::H264);

  const ParsedArguments P = Parse({"--size", "1440p", "--fps", "120", "--start", "41.5", "--end", "74.705",
                                   "--antialias", "ssaa3", "--data", "d", "scene.WEBM"});
  ASSERT_EQ(P.eOutcome, ParsedArguments::kRun) << P.strError;
  EXPECT_EQ(P.Options.iWidth, 2560);
  EXPECT_EQ(P.Options.iHeight, 1440);
  EXPECT_EQ(P.Options.iFps, 120);
  EXPECT_EQ(P.Options.dwStartMs, 41500u);
  EXPECT_EQ(P.Options.dwEndMs, 74705u);
  EXPECT_EQ(P.Options.eAntialias, Antialias::Supersample);
  EXPECT_EQ(P.Options.iFactor, 3);
  EXPECT_EQ(P.Options.eKind, OutputKind::Vp9);
  EXPECT_EQ(P.Options.DataFolder, "d");

  EXPECT_EQ(Parse({"--size", "3840x2160", "f%05d.png"}).Options.eKind, OutputKind::PngSequence);
  EXPECT_EQ(Parse({"--size", "64x36", "x.mkv"}).Options.iHeight, 36);
  EXPECT_EQ(Parse({"--fps", "25", "--end", "0.001", "x.mov"}).Options.dwEndMs, 1u);
}

TEST(RecordArguments, EveryBadArgumentIsRefusedWithItsReason) {
  struct Case {
    std::initializer_list<const char*> Args;
    const char* pszReason;
  };
  const Case Cases[] = {
      {{}, "no output"},
      {{"--bogus", "x.mp4"}, "unknown option --bogus"},
      {{"x.mp4", "--fps"}, "--fps needs a value"},
      {{"--size", "1000x1000", "x.mp4"}, "not 16:9"},
      {{"--size", "16x9", "x.mp4"}, "even height"},
      {{"--size", "1920x", "x.mp4"}, "not a size"},
      {{"--size", "big", "x.mp4"}, "not a size"},
      {{"--fps", "24", "x.mp4"}, "25 to 120"},
      {{"--fps", "121", "x.mp4"}, "25 to 120"},
      {{"--fps", "50.5", "x.mp4"}, "25 to 120"},
      {{"--start", "-1", "x.mp4"}, "not a time"},
      {{"--start", "1.2345", "x.mp4"}, "not a time"},
      {{"--start", "1.", "x.mp4"}, "not a time"},
      {{"--end", "85.081", "x.mp4"}, "the demo ends at 85.080"},
      {{"--start", "10", "--end", "10", "x.mp4"}, "is not after --start"},
      {{"--start", "85.08", "x.mp4"}, "the demo's end"},
      {{"--antialias", "fxaa", "x.mp4"}, "--antialias fxaa"},
      {{"x.avi"}, "cannot tell the format"},
      {{"x"}, "cannot tell the format"},
      {{"frame.png"}, "frame number field"},
      {{"f%05d%d.png"}, "frame number field"},
      {{"f%s.png"}, "frame number field"},
      {{"a.mp4", "b.mp4"}, "more than one output"},
  };
  for (const Case& C : Cases) {
    const ParsedArguments P = Parse(C.Args);
    SCOPED_TRACE(C.pszReason);
    EXPECT_EQ(P.eOutcome, ParsedArguments::kBad);
    EXPECT_NE(P.strError.find(C.pszReason), std::string::npos) << P.strError;
  }
}

// ---- frames --------------------------------------------------------------------------

TEST(RecordFrames, WholeDemoLastsItsLengthWithinOneFrame) {
  for (const int iFps : {25, 30, 50, 60, 120}) {
    RecordOptions Options;
    Options.iFps = iFps;
    const int iCount = FrameCount(Options);
    SCOPED_TRACE(iFps);
    // The video's length is count / fps: not short of the demo, at most one frame over.
    EXPECT_GE(iCount * 1000, 85080 * iFps);
    EXPECT_LT((iCount - 1) * 1000, 85080 * iFps);
    EXPECT_LT(FrameTime(Options, iCount - 1), Options.dwEndMs);
  }
  RecordOptions Options;
  Options.iFps = 60;
  EXPECT_EQ(FrameCount(Options), 5105);
}

TEST(RecordFrames, TimesAreRoundedToWholeMillisecondsFromTheStart) {
  RecordOptions Options;
  Options.iFps = 60;
  Options.dwStartMs = 41500;
  Options.dwEndMs = 41600;
  EXPECT_EQ(FrameCount(Options), 6);
  const DWORD Expected[] = {41500, 41517, 41533, 41550, 41567, 41583};
  for (int i = 0; i < 6; ++i) EXPECT_EQ(FrameTime(Options, i), Expected[i]) << i;
  // A frame time lies past the rate's exact time by at most half a millisecond.
  Options.iFps = 120;
  Options.dwStartMs = 0;
  Options.dwEndMs = kDemoLengthMs;
  for (int i = 0; i < FrameCount(Options); i += 97) {
    const double fExact = i * 1000.0 / 120.0;
    EXPECT_LE(std::abs(static_cast<double>(FrameTime(Options, i)) - fExact), 0.5) << i;
  }
}

TEST(RecordFrames, SequenceNamesCarryTheFrameNumber) {
  EXPECT_EQ(SequenceFile("/t/f%05d.png", 7), "/t/f00007.png");
  EXPECT_EQ(SequenceFile("/t/f%05d.png", 123456), "/t/f123456.png");
  EXPECT_EQ(SequenceFile("/t/%d-x.png", 12), "/t/12-x.png");
}

// ---- antialiasing ----------------------------------------------------------------------

TEST(RecordAntialias, MultisamplingWhereTheDeviceHasTheSamplesElseSupersampling) {
  struct Case {
    Antialias eAsked;
    int iAsked, iDeviceMax;
    Antialias eMethod;
    int iFactor;
  };
  const Case Cases[] = {
      {Antialias::Auto, 0, 32, Antialias::Multisample, 8},  {Antialias::Auto, 0, 4, Antialias::Multisample, 4},
      {Antialias::Auto, 0, 0, Antialias::Supersample, 2},   {Antialias::Multisample, 8, 8, Antialias::Multisample, 8},
      {Antialias::Multisample, 8, 4, Antialias::Supersample, 3}, {Antialias::Multisample, 4, 0, Antialias::Supersample, 2},
      {Antialias::Supersample, 4, 8, Antialias::Supersample, 4}, {Antialias::None, 1, 8, Antialias::None, 1},
  };
  for (const Case& C : Cases) {
    const AntialiasChoice Choice = ChooseAntialias(C.eAsked, C.iAsked, C.iDeviceMax);
    EXPECT_EQ(Choice.eMethod, C.eMethod) << DescribeAntialias(Choice);
    EXPECT_EQ(Choice.iFactor, C.iFactor) << DescribeAntialias(Choice);
  }
}

TEST(RecordAntialias, BoxFilterAveragesEachBlockPerChannelRounded) {
  // 4x2 pixels filtered by 2: two output pixels; each channel's block differs.
  const std::vector<unsigned char> In = {
      0, 10, 200, 255, 1, 10, 200, 255, /**/ 100, 0, 0, 255, 100, 0, 0, 255,
      2, 10, 200, 255, 3, 11, 201, 255, /**/ 100, 0, 0, 255, 100, 0, 4, 255,
  };
  std::vector<unsigned char> Out;
  BoxDownsample(In, 2, 1, 2, Out);
  const std::vector<unsigned char> Expected = {2, 10, 200, 255, 100, 0, 1, 255};  // 1.5 -> 2, 10.25 -> 10, 1 -> 1
  EXPECT_EQ(Out, Expected);

  // 3x3 blocks of a frame with distinct rows and columns land in their own pixel.
  const int iOut = 4, iFactor = 3, iIn = iOut * iFactor;
  std::vector<unsigned char> Big(static_cast<size_t>(iIn * iIn * 4));
  for (int y = 0; y < iIn; ++y) {
    for (int x = 0; x < iIn; ++x) {
      unsigned char* p = &Big[static_cast<size_t>((y * iIn + x) * 4)];
      p[0] = static_cast<unsigned char>(x * 20);
      p[1] = static_cast<unsigned char>(y * 20);
      p[2] = static_cast<unsigned char>((x / iFactor == 1 && y / iFactor == 2) ? 90 : 0);
      p[3] = 255;
    }
  }
  BoxDownsample(Big, iOut, iOut, iFactor, Out);
  ASSERT_EQ(Out.size(), static_cast<size_t>(iOut * iOut * 4));
  for (int y = 0; y < iOut; ++y) {
    for (int x = 0; x < iOut; ++x) {
      const unsigned char* p = &Out[static_cast<size_t>((y * iOut + x) * 4)];
      EXPECT_EQ(p[0], (x * 3 + 1) * 20) << x << "," << y;
      EXPECT_EQ(p[1], (y * 3 + 1) * 20) << x << "," << y;
      EXPECT_EQ(p[2], (x == 1 && y == 2) ? 90 : 0) << x << "," << y;
      EXPECT_EQ(p[3], 255);
    }
  }
}

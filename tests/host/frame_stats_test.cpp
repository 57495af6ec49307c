// Frame statistics: frames go to the scene their demo time lies in, each
// timed against the frame presented before it, and the report gives each
// scene's count, rate, median and 99th percentile.
#include <gtest/gtest.h>

#include "host/frame_stats.h"

namespace {

TEST(FrameStats, FramesAreTimedAgainstTheFrameBeforeAndSortedIntoScenes) {
  FrameStats Stats;
  double fWall = 0;
  // 100 frames of 10 ms in the first scene, then 10 of 40 ms in the ring scene.
  for (int i = 0; i <= 100; ++i) Stats.Note(static_cast<DWORD>(i * 10), fWall += 0.010);
  for (int i = 0; i < 10; ++i) Stats.Note(static_cast<DWORD>(kSceneSpans[2].dwFrom + i * 40), fWall += 0.040);
  const std::string strReport = Stats.Report();
  // The very first frame has nothing before it to be timed against.
  EXPECT_NE(strReport.find("columns, sliding camera         100 frames   100.0 fps  median  10.00 ms  p99  10.00 ms"),
            std::string::npos)
      << strReport;
  EXPECT_NE(strReport.find("ring and flyer                   10 frames    25.0 fps  median  40.00 ms  p99  40.00 ms"),
            std::string::npos)
      << strReport;
  EXPECT_EQ(strReport.find("camera from below"), std::string::npos) << "a scene without frames is left out";
  EXPECT_NE(strReport.find("whole run                       110 frames    78.6 fps  median  10.00 ms  p99  40.00 ms"),
            std::string::npos)
      << strReport;
}

TEST(FrameStats, EachSceneListsTheSizesItWasDrawnAtInTurn) {
  FrameStats Stats;
  Stats.Note(0, 0.0, 1280, 720);
  const int Widths[] = {1280, 1280, 1920, 1920, 1280};
  for (int i = 1; i <= 5; ++i) Stats.Note(static_cast<DWORD>(i * 10), 0.01 * i, Widths[i - 1], Widths[i - 1] * 9 / 16);
  Stats.Note(kSceneSpans[2].dwFrom, 0.07, 1920, 1080);
  const std::string strReport = Stats.Report();
  EXPECT_NE(strReport.find("p99  10.00 ms  drawn 1280x720, 1920x1080, 1280x720\n"), std::string::npos) << strReport;
  EXPECT_NE(strReport.find("p99  20.00 ms  drawn 1920x1080\n"), std::string::npos) << strReport;
}

TEST(FrameStats, SceneBoundariesBelongToTheSceneThatStartsThere) {
  FrameStats Stats;
  Stats.Note(kSceneSpans[3].dwFrom - 10, 0.0);
  Stats.Note(kSceneSpans[3].dwFrom, 0.010);
  const std::string strReport = Stats.Report();
  EXPECT_NE(strReport.find("swinging rows                     1 frames"), std::string::npos) << strReport;
  EXPECT_EQ(FrameStats().Report(), "  no frames presented\n");
}

}  // namespace

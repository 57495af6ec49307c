// The capture comparison on synthetic sound: recordings made from a known
// "music" with known faults (delay, gaps, a lost start, a changed level, an
// early end), and WAV files written here.
#include "sound_compare.h"
#include "server_pace.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <vector>

#include "wav_file.h"

namespace {

constexpr int kRate = 8000;

// Broadband noise under a slow swell, with a quiet (not silent) second at
// 4..5 s: unambiguous to align, like music with a soft passage.
MonoSound MakeMusic(double fSeconds) {
  MonoSound Music;
  Music.iRate = kRate;
  uint32_t iState = 12345;
  for (int i = 0; i < static_cast<int>(fSeconds * kRate); ++i) {
    iState = iState * 1664525u + 1013904223u;
    const float fNoise = static_cast<float>(iState >> 8) / static_cast<float>(1 << 24) - 0.5f;
    const double t = static_cast<double>(i) / kRate;
    const float fEnvelope = (t >= 4 && t < 5) ? 0.01f : static_cast<float>(0.4 + 0.2 * std::sin(t));
    Music.Samples.push_back(fNoise * fEnvelope);
  }
  return Music;
}

// The music after fLead s of silence, scaled, with fTail s of silence after it.
MonoSound Record(const MonoSound& Music, double fLead, float fGain = 1, double fTail = 0.5) {
  MonoSound Recording;
  Recording.iRate = Music.iRate;
  Recording.Samples.assign(static_cast<size_t>(fLead * kRate), 0.0f);
  for (float f : Music.Samples) Recording.Samples.push_back(f * fGain);
  Recording.Samples.insert(Recording.Samples.end(), static_cast<size_t>(fTail * kRate), 0.0f);
  return Recording;
}

void Silence(MonoSound& Sound, double fFrom, double fSeconds) {
  for (size_t i = static_cast<size_t>(fFrom * kRate); i < static_cast<size_t>((fFrom + fSeconds) * kRate); ++i)
    Sound.Samples[i] = 0;
}

TEST(CaptureCompare, FaithfulRecordingPassesWithItsOffsetAndFirstSound) {
  const MonoSound Music = MakeMusic(8);
  const MonoSound Recording = Record(Music, 0.3125);
  const CompareLimits Limits;
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  ASSERT_TRUE(Result.bAligned);
  EXPECT_DOUBLE_EQ(Result.fOffset, 0.3125);
  EXPECT_NEAR(Result.fFirstSound, 0.3125, 1.0 / kRate);
  EXPECT_NEAR(Result.fLostStart, 0, 1.0 / kRate);
  EXPECT_GT(Result.fMinCorrelation, 0.9999);
  EXPECT_NEAR(Result.fLevelDb, 0, 0.01);
  EXPECT_EQ(Result.Windows.size(), 8u);
  EXPECT_TRUE(Result.DropOuts.empty());  // the quiet second is in both
  EXPECT_TRUE(Problems(Result, Limits).empty());
}

TEST(CaptureCompare, RecordingThatStartedLateIsAlignedAtANegativeOffset) {
  const MonoSound Music = MakeMusic(6);
  MonoSound Recording = Record(Music, 0);
  Recording.Samples.erase(Recording.Samples.begin(), Recording.Samples.begin() + kRate / 4);
  CompareLimits Limits;
  Limits.fFrom = 1;
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  EXPECT_DOUBLE_EQ(Result.fOffset, -0.25);
  EXPECT_TRUE(Problems(Result, Limits).empty());
}

TEST(CaptureCompare, GapsOfTenMillisecondsOrMoreAreDropOutsAndShorterOnesAreNot) {
  const MonoSound Music = MakeMusic(8);
  MonoSound Recording = Record(Music, 0.5);
  Silence(Recording, 0.5 + 2.5, 0.020);
  Silence(Recording, 0.5 + 6.2, 0.005);
  const CompareLimits Limits;
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  ASSERT_EQ(Result.DropOuts.size(), 1u);
  EXPECT_NEAR(Result.DropOuts[0].fMusicTime, 2.5, 0.002);
  EXPECT_NEAR(Result.DropOuts[0].fMs, 20, 2);
  const auto Lines = Problems(Result, Limits);
  ASSERT_FALSE(Lines.empty());
  EXPECT_NE(Lines.back().find("2.500 s: drop-out of 20 ms"), std::string::npos) << Lines.back();
}

TEST(CaptureCompare, SilentGapThatDelaysTheRestIsFoundWhereItStartsWithTheShift) {
  const MonoSound Music = MakeMusic(10);
  MonoSound Recording = Record(Music, 0.2);
  // Two seconds of silence inserted at 6 s of the music: the rest plays late.
  Recording.Samples.insert(Recording.Samples.begin() + static_cast<long>(6.2 * kRate), 2 * kRate, 0.0f);
  const CompareLimits Limits;
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  EXPECT_DOUBLE_EQ(Result.fOffset, 0.2);
  ASSERT_EQ(Result.DropOuts.size(), 1u);
  EXPECT_NEAR(Result.DropOuts[0].fMusicTime, 6, 0.002);
  EXPECT_NEAR(Result.DropOuts[0].fMs, 2000, 2);
  EXPECT_LT(Result.fMinCorrelation, 0.1);
  ASSERT_GE(Result.Windows.size(), 9u);
  EXPECT_NEAR(Result.Windows[8].fPartedShift, 2.0, 1.0 / kRate);
  EXPECT_GT(Result.Windows[8].fPartedCorrelation, 0.999);
  const auto Lines = Problems(Result, Limits);
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(Lines.front().rfind("6 s: correlation", 0), 0u) << Lines.front();
}

// A hiccup under the drop-out limit moves the rest a little: allowed up to
// 20 ms in all; music skipped beyond that parts.
TEST(CaptureCompare, WindowsMayLieUpTo20MillisecondsOffTheOffset) {
  const MonoSound Music = MakeMusic(8);
  MonoSound Recording = Record(Music, 0.3);
  Recording.Samples.insert(Recording.Samples.begin() + static_cast<long>(3.3 * kRate), kRate * 3 / 1000, 0.0f);
  const CompareLimits Limits;
  Comparison Result = CompareSounds(Recording, Music, Limits);
  EXPECT_TRUE(Result.DropOuts.empty());
  EXPECT_GT(Result.fMinCorrelation, 0.999);
  EXPECT_NEAR(Result.Windows[6].fShift, 0.003, 1.0 / kRate);
  EXPECT_TRUE(Problems(Result, Limits).empty());

  // The same hiccup in the middle of a window: its two parts lie 3 ms apart,
  // and each still sounds as the music.
  MonoSound Inside = Record(Music, 0.3);
  Inside.Samples.insert(Inside.Samples.begin() + static_cast<long>(3.75 * kRate), kRate * 3 / 1000, 0.0f);
  Result = CompareSounds(Inside, Music, Limits);
  EXPECT_GT(Result.fMinCorrelation, 0.99) << "at " << Result.fMinCorrelationAt << " s";
  EXPECT_TRUE(Result.Skips.empty());
  EXPECT_TRUE(Problems(Result, Limits).empty());

  MonoSound Skipped = Record(Music, 0.3);
  Skipped.Samples.erase(Skipped.Samples.begin() + static_cast<long>(5.3 * kRate),
                        Skipped.Samples.begin() + static_cast<long>(5.35 * kRate));
  Result = CompareSounds(Skipped, Music, Limits);
  const auto Lines = Problems(Result, Limits);
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(Lines.front().rfind("5 s: correlation", 0), 0u) << Lines.front();
  EXPECT_NE(Lines.front().find("best met -0.050 s"), std::string::npos) << Lines.front();
}

// A passage whose coarse (decimated) picture repeats every 15 ms exactly: a
// hum under hiss that the decimation cancels. The coarse window search then
// has equal peaks at the true place and a repeat beside it; a faithful
// recording must still score as the music itself in every window.
TEST(CaptureCompare, RepeatingPassageScoresAtItsBestPlaceWithinTheSlip) {
  MonoSound Music = MakeMusic(8);
  uint32_t iState = 777;
  float fHiss = 0;
  for (size_t i = 1.9 * kRate; i < 3.1 * kRate; ++i) {
    if (i % 2 == 0) {
      iState = iState * 1664525u + 1013904223u;
      fHiss = 0.6f * (static_cast<float>(iState >> 8) / static_cast<float>(1 << 24) - 0.5f);
    }
    const double fPhase = static_cast<double>(i % 120) / 120;  // 15 ms at 8 kHz
    Music.Samples[i] = static_cast<float>(0.3 * std::sin(2 * M_PI * fPhase)) + (i % 2 == 0 ? fHiss : -fHiss);
  }
  const CompareLimits Limits;
  const Comparison Result = CompareSounds(Record(Music, 0.25), Music, Limits);
  EXPECT_GT(Result.fMinCorrelation, 0.9999) << "at " << Result.fMinCorrelationAt << " s";
  EXPECT_TRUE(Problems(Result, Limits).empty());
}

// Music left out (no silence) for 10 ms or more is a fault of its own,
// inside a window or between two.
TEST(CaptureCompare, SkippedMusicIsAFaultInsideAWindowOrBetweenTwo) {
  const MonoSound Music = MakeMusic(8);
  const CompareLimits Limits;
  for (const double fAt : {2.6, 3.0}) {
    MonoSound Skipped = Record(Music, 0.3);
    const long iAt = static_cast<long>((0.3 + fAt) * kRate);
    Skipped.Samples.erase(Skipped.Samples.begin() + iAt, Skipped.Samples.begin() + iAt + kRate * 12 / 1000);
    const Comparison Result = CompareSounds(Skipped, Music, Limits);
    ASSERT_EQ(Result.Skips.size(), 1u) << "skipped at " << fAt << " s";
    EXPECT_NEAR(Result.Skips[0].fMusicTime, fAt, 0.011);
    EXPECT_NEAR(Result.Skips[0].fMs, 12, 0.2);
    const auto Lines = Problems(Result, Limits);
    EXPECT_EQ(std::count_if(Lines.begin(), Lines.end(),
                            [](const std::string& strLine) {
                              return strLine.find("12 ms of the music skipped") != std::string::npos;
                            }),
              1);
  }
}

// The same passage after a hiccup under the drop-out limit has moved it by
// 3 ms: its best place is now neither the offset nor the coarse search's
// repeat 15 ms beside the truth, and every lag of the slip is tried.
TEST(CaptureCompare, RepeatingPassageMovedByAHiccupScoresAtItsNewPlace) {
  MonoSound Music = MakeMusic(8);
  for (size_t i = 1.9 * kRate; i < 3.1 * kRate; ++i)
    Music.Samples[i] = static_cast<float>(0.3 * std::sin(2 * M_PI * static_cast<double>(i % 120) / 120)) +
                       0.05f * Music.Samples[i];
  MonoSound Recording = Record(Music, 0.25);
  Recording.Samples.insert(Recording.Samples.begin() + static_cast<long>(1.25 * kRate), kRate * 3 / 1000, 0.0f);
  const CompareLimits Limits;
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  EXPECT_GT(Result.fMinCorrelation, 0.999) << "at " << Result.fMinCorrelationAt << " s";
  EXPECT_NEAR(Result.Windows[0].fShift - Result.Windows[2].fShift, -0.003, 1.0 / kRate);
  EXPECT_TRUE(Problems(Result, Limits).empty());
}

// A recording a fraction of a sample off (it went through a resampler on its
// way) sounds the same; at every whole lag its correlation falls short.
TEST(CaptureCompare, RecordingAFractionOfASampleLateScoresAsTheMusic) {
  auto Tones = [](double t) {
    double f = 0;
    for (int k = 1; k <= 6; ++k) f += std::sin(2 * M_PI * (170.0 * k + 13 * k * k) * t + k) / (1 + 0.2 * k);
    return static_cast<float>(0.15 * f);
  };
  MonoSound Music, Recording;
  Music.iRate = Recording.iRate = kRate;
  const double fLead = 0.25, fLate = 0.4 / kRate;
  for (int i = 0; i < 4 * kRate; ++i) Music.Samples.push_back(Tones(static_cast<double>(i) / kRate));
  for (int i = 0; i < static_cast<int>((4 + fLead + 0.5) * kRate); ++i) {
    const double t = static_cast<double>(i) / kRate - fLead - fLate;
    Recording.Samples.push_back(t >= 0 && t < 4 ? Tones(t) : 0.0f);
  }
  double fCross = 0, fMusic = 0, fRecorded = 0;
  for (size_t i = 0; i < Music.Samples.size(); ++i) {
    const double r = Recording.Samples[i + static_cast<size_t>(fLead * kRate)];
    fCross += r * Music.Samples[i];
    fMusic += double(Music.Samples[i]) * Music.Samples[i];
    fRecorded += r * r;
  }
  ASSERT_LT(fCross / std::sqrt(fMusic * fRecorded), 0.99);

  const CompareLimits Limits;
  const Comparison Result = CompareSounds(Recording, Music, Limits);
  EXPECT_NEAR(Result.fOffset, fLead, 1.0 / kRate);
  EXPECT_GT(Result.fMinCorrelation, 0.999) << "at " << Result.fMinCorrelationAt << " s";
  EXPECT_TRUE(Problems(Result, Limits).empty());
}

// What the comparison keeps below a frequency: the low tone as it was, in
// place, and the high one gone.
TEST(CaptureCompare, LowPassKeepsTheLowToneInPlaceAndRemovesTheHighOne) {
  MonoSound Sound;
  Sound.iRate = kRate;
  std::vector<float> Low;
  for (int i = 0; i < kRate; ++i) {
    Low.push_back(static_cast<float>(0.3 * std::sin(2 * M_PI * 500 * i / kRate)));
    Sound.Samples.push_back(Low.back() + static_cast<float>(0.3 * std::sin(2 * M_PI * 3000 * i / kRate)));
  }
  LowPass(Sound, 1000);
  double fError = 0, fLow = 0;
  for (int i = 100; i < kRate - 100; ++i) {  // away from the ends, where the filter runs short
    fError += std::pow(Sound.Samples[i] - Low[i], 2);
    fLow += std::pow(Low[i], 2);
  }
  EXPECT_LT(fError / fLow, 1e-4);
}

TEST(CaptureCompare, LostBeginningIsMeasuredAndCanBeLeftOutOfTheCheck) {
  const MonoSound Music = MakeMusic(8);
  MonoSound Recording = Record(Music, 0.4);
  Silence(Recording, 0, 0.4 + 1.5);
  CompareLimits Limits;
  Comparison Result = CompareSounds(Recording, Music, Limits);
  EXPECT_DOUBLE_EQ(Result.fOffset, 0.4);
  EXPECT_NEAR(Result.fFirstSound, 1.9, 0.001);
  EXPECT_NEAR(Result.fLostStart, 1.5, 0.001);
  EXPECT_FALSE(Problems(Result, Limits).empty());
  Limits.fFrom = 2;
  Result = CompareSounds(Recording, Music, Limits);
  EXPECT_TRUE(Problems(Result, Limits).empty());
}

TEST(CaptureCompare, LevelIsHeldToHalfADecibel) {
  const MonoSound Music = MakeMusic(6);
  const CompareLimits Limits;
  const Comparison Quieter = CompareSounds(Record(Music, 0.1, 0.5f), Music, Limits);
  EXPECT_NEAR(Quieter.fLevelDb, -6.02, 0.01);
  EXPECT_GT(Quieter.fMinCorrelation, 0.9999);
  ASSERT_EQ(Problems(Quieter, Limits).size(), 1u);
  EXPECT_EQ(Problems(Quieter, Limits)[0], "level -6.02 dB against the music's");
  EXPECT_TRUE(Problems(CompareSounds(Record(Music, 0.1, 1.05f), Music, Limits), Limits).empty());
}

TEST(CaptureCompare, RecordingThatEndsBeforeTheCheckedPartDoesFails) {
  const MonoSound Music = MakeMusic(8);
  MonoSound Recording = Record(Music, 0.5, 1, 0);
  Recording.Samples.resize(static_cast<size_t>(4.5 * kRate));
  CompareLimits Limits;
  const auto Lines = Problems(CompareSounds(Recording, Music, Limits), Limits);
  ASSERT_FALSE(Lines.empty());
  EXPECT_EQ(Lines[0], "4 s: the recording ends at 4.00 s of the music");
  Limits.fUntil = 4;
  EXPECT_TRUE(Problems(CompareSounds(Recording, Music, Limits), Limits).empty());
}

TEST(CaptureCompare, NothingToAlignAgainstIsAProblem) {
  const MonoSound Music = MakeMusic(2);
  MonoSound OtherRate = Record(Music, 0);
  OtherRate.iRate = 44100;
  const CompareLimits Limits;
  EXPECT_FALSE(CompareSounds(OtherRate, Music, Limits).bAligned);
  EXPECT_EQ(Problems(CompareSounds(MonoSound{kRate, {}}, Music, Limits), Limits).size(), 1u);
}

// ---- WAV files ----------------------------------------------------------------------

class WavFile : public testing::Test {
 protected:
  std::string strPath = testing::TempDir() + "capture_compare_" + std::to_string(getpid()) + ".wav";
  void TearDown() override { std::remove(strPath.c_str()); }

  // A 16-bit PCM file with a chunk the reader must step over before "fmt ";
  // iDataSize overrides the data chunk's declared size, iBits the format's.
  void Write(int iChannels, const std::vector<int16_t>& Samples, uint32_t iDataSize = 0, int iBits = 16) {
    std::vector<unsigned char> Bytes = EncodeWav(static_cast<uint16_t>(iChannels), kRate, Samples);
    auto Put = [&](size_t iAt, uint32_t dwValue, int iBytes) {
      for (int i = 0; i < iBytes; ++i) Bytes[iAt + i] = static_cast<unsigned char>(dwValue >> (8 * i));
    };
    Put(4, 36 + static_cast<uint32_t>(Samples.size() * 2) + 10, 4);
    Put(34, static_cast<uint32_t>(iBits), 2);
    if (iDataSize != 0) Put(40, iDataSize, 4);
    const unsigned char kList[] = {'L', 'I', 'S', 'T', 2, 0, 0, 0, 'a', 'b'};
    Bytes.insert(Bytes.begin() + 12, std::begin(kList), std::end(kList));
    std::ofstream(strPath, std::ios::binary)
        .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
  }
};

TEST_F(WavFile, StereoIsReadAsTheMeanOfItsChannels) {
  Write(2, {16384, 0, -32768, -32768, 100, -100});
  MonoSound Sound;
  std::string strError;
  ASSERT_TRUE(ReadWavFile(strPath, Sound, strError)) << strError;
  EXPECT_EQ(Sound.iRate, kRate);
  ASSERT_EQ(Sound.Samples.size(), 3u);
  EXPECT_FLOAT_EQ(Sound.Samples[0], 0.25f);
  EXPECT_FLOAT_EQ(Sound.Samples[1], -1.0f);
  EXPECT_FLOAT_EQ(Sound.Samples[2], 0.0f);
}

TEST_F(WavFile, DataSizeOfAnUnfinishedRecordingIsCutToTheFile) {
  Write(1, {1, 2, 3, 4}, 0xFFFFFFFF);
  MonoSound Sound;
  std::string strError;
  ASSERT_TRUE(ReadWavFile(strPath, Sound, strError)) << strError;
  EXPECT_EQ(Sound.Samples.size(), 4u);
}

TEST_F(WavFile, OtherSampleFormatsAndMissingFilesAreRefusedWithAReason) {
  Write(1, {1, 2}, 0, 8);
  MonoSound Sound;
  std::string strError;
  EXPECT_FALSE(ReadWavFile(strPath, Sound, strError));
  EXPECT_NE(strError.find("not 16-bit PCM"), std::string::npos) << strError;
  EXPECT_FALSE(ReadWavFile(strPath + ".missing", Sound, strError));
  EXPECT_NE(strError.find("cannot open"), std::string::npos) << strError;
}

}  // namespace

// Silence that a stall of the machine explains is taken out, with the frames
// after it; silence that no stall explains, or longer than its stall allows
// (the recording's lead-in), stays and is still a drop-out.
TEST(CaptureCompare, OnlySilenceAStallExplainsIsCutAndTheFramesAfterItMoveBack) {
  const MonoSound Music = MakeMusic(10);
  MonoSound Recording = Record(Music, 0.2);
  const auto Insert = [&](double fAt, double fSeconds) {
    Recording.Samples.insert(Recording.Samples.begin() + static_cast<long>(fAt * kRate),
                             static_cast<size_t>(fSeconds * kRate), 0.0f);
  };
  Insert(6.2, 0.08);  // no stall there
  Insert(3.2, 0.08);  // the machine stood still 100 ms, until 3.3 s
  const std::vector<MachineStall> Stalls = {{0.15, 0.05}, {3.3, 0.1}};
  std::vector<PresentedFrame> Frames = {{0.8, 1.0}, {4.8, 5.0}};
  const auto Cuts = CutStalledSilences(Recording, Stalls, Frames);
  ASSERT_EQ(Cuts.size(), 1u);
  EXPECT_NEAR(Cuts[0].fRecordingTime, 3.2, 1.0 / kRate);
  EXPECT_NEAR(Cuts[0].fSeconds, 0.08, 1.0 / kRate);
  EXPECT_DOUBLE_EQ(Frames[0].fRecorded, 1.0);
  EXPECT_NEAR(Frames[1].fRecorded, 4.92, 1.0 / kRate);
  const Comparison Result = CompareSounds(Recording, Music, CompareLimits{});
  EXPECT_NEAR(Result.fOffset, 0.2, 1.0 / kRate);
  ASSERT_EQ(Result.DropOuts.size(), 1u);
  EXPECT_NEAR(Result.DropOuts[0].fMusicTime, 6, 0.002);
}

// Music lost beside a cut is the stall's when the stall covers both; a skip
// far from any cut, or longer than its stall leaves, still fails.
TEST(CaptureCompare, OnlySkipsTheStallCoversBesideACutAreExcused) {
  Comparison Result;
  Result.fOffset = 2;
  Result.Skips = {{78.0, 20}, {60.0, 20}, {78.5, 200}};
  const std::vector<SilenceCut> Cuts = {{80.2, 0.075, 0.099}};
  const auto Excused = ExcuseStalledSkips(Result, Cuts);
  ASSERT_EQ(Excused.size(), 1u);
  EXPECT_DOUBLE_EQ(Excused[0].fMusicTime, 78.0);
  ASSERT_EQ(Result.Skips.size(), 2u);
  EXPECT_DOUBLE_EQ(Result.Skips[0].fMusicTime, 60.0);
  EXPECT_DOUBLE_EQ(Result.Skips[1].fMs, 200);
}

// The recorder's fragments are no stall; a server that stood still is
// reported once, when it has caught up; sound the recorder lost for good
// moves the pace without a report, and a stall after that is still seen.
TEST(CaptureCompare, ServerPaceReportsWhereTheRecordingFellBehindAndCameBack) {
  ServerPace Pace;
  std::vector<std::pair<double, double>> Reports;  // when, how long
  double fRecorded = 0;
  for (int iLook = 0; iLook < 2000; ++iLook) {  // 10 s, a look every 5 ms
    const double fNow = iLook * 0.005;
    const bool bStill = (fNow >= 3.0 && fNow < 3.04) || (fNow >= 8.0 && fNow < 8.03);
    const double fLost = fNow >= 6.0 ? 0.2 : 0;
    if (!bStill) fRecorded = std::floor((fNow - fLost) / 0.01) * 0.01;  // 10 ms fragments
    if (const double fStall = Pace.Look(fNow, fRecorded); fStall > 0) Reports.emplace_back(fNow, fStall);
  }
  ASSERT_EQ(Reports.size(), 2u);
  EXPECT_NEAR(Reports[0].first, 3.04, 0.001);
  EXPECT_NEAR(Reports[0].second, 0.045, 0.006);
  EXPECT_NEAR(Reports[1].first, 8.03, 0.001);
  EXPECT_NEAR(Reports[1].second, 0.035, 0.006);
}

// Compares what a sound server recorded with the music decoded by another
// decoder: where the music lies in the recording, and then, per 1 s window of
// the music, how alike the two are, where the recording fell silent, how loud
// it is, and when its first sound came.
#pragma once

#include <string>
#include <vector>

// Sound as the comparison sees it: one channel (the mean of the file's
// channels), samples in -1..1.
struct MonoSound {
  int iRate = 0;
  std::vector<float> Samples;

  double Seconds() const { return iRate > 0 ? static_cast<double>(Samples.size()) / iRate : 0; }
};

// Reads a RIFF WAVE file of 16-bit PCM, one or two channels. A data chunk that
// claims more than the file holds (a recorder stopped before it wrote the
// final size) is read to the end of the file. False with the reason in Error.
bool ReadWavFile(const std::string& strPath, MonoSound& Sound, std::string& strError);

// The sound below fHz only: a linear-phase low-pass (a windowed sinc), which
// delays nothing. For recordings whose way to the server resampled them
// (Wine mixes at 48 kHz): their phase above 10 kHz wanders by a sample.
void LowPass(MonoSound& Sound, double fHz);

// Which part of the music is checked, and the limits it is held to.
struct CompareLimits {
  double fFrom = 0;             // music time (s) the checked part starts at
  double fUntil = 0;            // music time (s) it ends at; 0: the music's end
  double fMinCorrelation = 0.99;
  double fMaxDropOutMs = 10;    // drop-outs this long or longer fail
  double fMaxLevelDb = 0.5;     // |level difference| over the checked part
};

struct WindowFigures {
  double fMusicTime = 0;    // start of the window in the music (s)
  bool bMusicSilent = false;  // too quiet in the music to be compared
  bool bRecorded = true;    // the recording covers the whole window
  // Normalised, where the window lies best within 20 ms of the recording's
  // offset (drop-outs shorter than 10 ms may have moved it), and that shift;
  // a window that a hiccup moved part of is split there, each part at its
  // own place.
  double fCorrelation = 0;
  double fShift = 0;          // s the recording is later (+) or earlier (-) there
  double fLevelDb = 0;        // recording's energy over the music's
  // When it parts: where the window is met best within 3 s of the offset.
  double fPartedShift = 0;
  double fPartedCorrelation = 0;
};

struct DropOut {
  double fMusicTime = 0;  // where it begins in the music (s)
  double fMs = 0;
};

struct Comparison {
  bool bAligned = false;      // the music was found in the recording
  double fOffset = 0;         // recording time (s) at which the music's first sample plays
  double fFirstSound = -1;    // recording time (s) of the first sound; -1: none
  double fLostStart = 0;      // s of the music's beginning missing before the first sound
  double fMusicCovered = 0;   // music time (s) at which the recording ends
  double fMinCorrelation = 1;
  double fMinCorrelationAt = 0;  // music time (s) of that window (the first of equals)
  double fLevelDb = 0;        // over the checked windows
  std::vector<WindowFigures> Windows;
  std::vector<DropOut> DropOuts;  // every silent stretch of 10 ms or more
  std::vector<DropOut> Skips;     // music left out, 10 ms or more at a time
};

Comparison CompareSounds(const MonoSound& Recording, const MonoSound& Music, const CompareLimits& Limits);

// One line per limit the comparison breaks, saying where the recording and the
// music part; empty when every limit holds.
std::vector<std::string> Problems(const Comparison& Result, const CompareLimits& Limits);

// The figures on one line: "min_corr=... dropouts=... skips=... level_db=... offset=... first_sound=... lost_start=...".
std::string FiguresLine(const Comparison& Result);

// A presented frame, as the program reported it: its demo time, and how much
// the recording held at that moment (s).
struct PresentedFrame {
  double fDemoTime = 0;
  double fRecorded = 0;
};

// The A/V offset of each frame (s): the music heard at the moment the frame
// was presented, found where the comparison placed the music in the recording
// there (its offset and the shift of the window), minus the frame's demo time.
// Positive: the music is ahead of the picture. Frames whose moment lies
// outside the music the comparison checked are left out (NaN).
std::vector<double> AvOffsets(const Comparison& Result, const CompareLimits& Limits,
                              const std::vector<PresentedFrame>& Frames);


// A stretch of time in which a CPU of the machine ran nothing at all, or the
// sound server fell behind its own clock, seen by capture_stalls: how much
// the recording held when it went on (s), and how long it had stood still.
struct MachineStall {
  double fRecorded = 0;
  double fSeconds = 0;
  bool bServer = false;  // the server's pace, not a CPU
};

// A stretch of digital silence taken out of a recording.
struct SilenceCut {
  double fRecordingTime = 0;  // where it began (s)
  double fSeconds = 0;
  double fStall = 0;  // the stall that explains it (s)
  bool bServer = false;
};

// Takes out of Recording each stretch of digital silence of 10 ms or more
// that a stall explains: one that begins within the stall or 0.3 s around
// it, and lasts at most the stall and 0.1 s more. A sink that stood still
// (its CPU, or its server) takes the whole stretch at once from every stream
// when it goes on, which no output keeping less than that ahead can give,
// and the output then goes on where it was; on a machine that never stands
// still that silence is not heard. The recording after each cut, and the
// frames presented after it, move back by its length.
std::vector<SilenceCut> CutStalledSilences(MonoSound& Recording, const std::vector<MachineStall>& Stalls,
                                           std::vector<PresentedFrame>& Frames);

// Music a platform lost where the machine stood still (Wine's recovery from
// a stream run dry drops what its driver held): a skip within a second of a
// cut's place in the music, no longer than the stall leaves after the cut's
// silence and 0.1 s, is the stall's too. Takes those out of Result.Skips
// and returns them.
std::vector<DropOut> ExcuseStalledSkips(Comparison& Result, const std::vector<SilenceCut>& Cuts);

// Whether a sound server stood still, from the recording of its sink alone.
// A null sink is timed by the system's clock, so the end of the recording
// keeps a fixed distance behind that clock, give or take the recorder's
// fragments. A server that stands still lets the end fall behind; its sink
// then takes the whole stretch at once from every stream when it goes on, as
// after a stall of its CPU, and the end comes back. A client late with its
// sound does not move the end: the sink plays on without it.
#pragma once

#include <algorithm>

struct ServerPace {
  static constexpr double kStall = 0.020;  // s behind the pace that is a stall
  static constexpr double kShift = 1.0;    // s behind after which the pace itself has moved

  double fPace = 1e300;  // the least distance seen (s)
  double fWorst = 0;     // the current stall's worst distance beyond fPace (s)
  double fSince = 0;     // when it began

  // A look at the recording: the clock (s) and the frames recorded by then.
  // Returns how long the server stood still once it has caught up, else 0. A
  // recording that stays behind (the recorder lost sound) moves the pace.
  double Look(double fNow, double fRecorded) {
    const double fBehind = fNow - fRecorded;
    fPace = std::min(fPace, fBehind);
    const double fLate = fBehind - fPace;
    if (fLate >= kStall) {
      if (fWorst == 0) fSince = fNow;
      fWorst = std::max(fWorst, fLate);
      if (fNow - fSince > kShift) {
        fPace = fBehind;
        fWorst = 0;
      }
      return 0;
    }
    const double fStall = fWorst;
    fWorst = 0;
    return fStall;
  }
};

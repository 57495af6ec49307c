// The demo's four scenes as the whole-demo benches time them, and the
// percentile they report.
#pragma once

#include <algorithm>
#include <vector>

#include "win32.h"

struct Scene {
  const char* pszName;
  DWORD dwFrom, dwTo;
};
constexpr Scene kScenes[] = {{"columns, sliding camera", 0, 20750},
                             {"columns, camera from below", 20750, 41500},
                             {"ring and flyer", 41500, 74700},
                             {"swinging rows", 74700, 85080}};

inline double Percentile(std::vector<double> Values, double fFraction) {
  std::sort(Values.begin(), Values.end());
  const size_t i = std::min(Values.size() - 1, static_cast<size_t>(fFraction * (Values.size() - 1) + 0.5));
  return Values[i];
}

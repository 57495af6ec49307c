#include "sound_compare.h"

#include <algorithm>
#include <cmath>
#include <complex>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <limits>
#include <utility>

namespace {

constexpr int kDecimation = 8;          // the coarse search runs at 1/8 of the rate
constexpr double kSilence = 0.00316;    // -50 dBFS: below this a stretch counts as silent
constexpr double kSilentWindow = 1e-4;  // RMS under which a music window is not compared
constexpr double kLostRatio = 0.1;      // a block 20 dB under the music's is lost
constexpr double kSlip = 0.020;         // s a window may lie off the offset (drop-outs under 10 ms move it)
constexpr double kTrusted = 0.97;       // a split window matching this well tells where its parts lie

uint32_t Le32(const unsigned char* p) { return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24; }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

// ---- FFT cross-correlation --------------------------------------------------------

using Complex = std::complex<double>;

void Fft(std::vector<Complex>& Data, bool bInverse) {
  const size_t n = Data.size();
  for (size_t i = 1, j = 0; i < n; ++i) {
    size_t iBit = n >> 1;
    for (; j & iBit; iBit >>= 1) j ^= iBit;
    j ^= iBit;
    if (i < j) std::swap(Data[i], Data[j]);
  }
  for (size_t iLength = 2; iLength <= n; iLength <<= 1) {
    const double fAngle = 2 * M_PI / static_cast<double>(iLength) * (bInverse ? 1 : -1);
    const Complex Step(std::cos(fAngle), std::sin(fAngle));
    for (size_t i = 0; i < n; i += iLength) {
      Complex W(1);
      for (size_t k = 0; k < iLength / 2; ++k) {
        const Complex U = Data[i + k], V = Data[i + k + iLength / 2] * W;
        Data[i + k] = U + V;
        Data[i + k + iLength / 2] = U - V;
        W *= Step;
      }
    }
  }
}

// The lag L (in samples, -Needle.size() < L < Haystack.size()) at which
// sum Haystack[n + L] * Needle[n] is largest.
long BestLag(const std::vector<float>& Haystack, const std::vector<float>& Needle) {
  size_t n = 1;
  while (n < Haystack.size() + Needle.size()) n <<= 1;
  std::vector<Complex> A(n), B(n);
  std::copy(Haystack.begin(), Haystack.end(), A.begin());
  std::copy(Needle.begin(), Needle.end(), B.begin());
  Fft(A, false);
  Fft(B, false);
  for (size_t i = 0; i < n; ++i) A[i] *= std::conj(B[i]);
  Fft(A, true);
  size_t iBest = 0;
  for (size_t i = 1; i < n; ++i)
    if (A[i].real() > A[iBest].real()) iBest = i;
  // Indices past the haystack's length are negative lags, wrapped.
  return iBest < Haystack.size() ? static_cast<long>(iBest) : static_cast<long>(iBest) - static_cast<long>(n);
}

std::vector<float> Decimate(const float* pSamples, size_t iCount) {
  std::vector<float> Out(iCount / kDecimation);
  for (size_t i = 0; i < Out.size(); ++i) {
    float fSum = 0;
    for (int k = 0; k < kDecimation; ++k) fSum += pSamples[i * kDecimation + static_cast<size_t>(k)];
    Out[i] = fSum / kDecimation;
  }
  return Out;
}

// ---- Sums over aligned stretches -------------------------------------------------

struct Sums {
  double fCross = 0, fRecording = 0, fMusic = 0;
  size_t iCount = 0;
  double Correlation() const {
    return fRecording > 0 && fMusic > 0 ? fCross / std::sqrt(fRecording * fMusic) : 0;
  }
};

// Music samples [iBegin, iEnd) against the recording at lag iLag; only where
// the recording has samples.
Sums SumAt(const MonoSound& Recording, const MonoSound& Music, long iLag, size_t iBegin, size_t iEnd) {
  Sums Result;
  for (size_t i = iBegin; i < iEnd; ++i) {
    const long iAt = static_cast<long>(i) + iLag;
    if (iAt < 0 || iAt >= static_cast<long>(Recording.Samples.size())) continue;
    const double r = Recording.Samples[static_cast<size_t>(iAt)], m = Music.Samples[i];
    Result.fCross += r * m;
    Result.fRecording += r * r;
    Result.fMusic += m * m;
    ++Result.iCount;
  }
  return Result;
}

// The coarse lag refined at the full rate: the best of the lags around it over
// up to 10 s of the checked music.
long RefineLag(const MonoSound& Recording, const MonoSound& Music, long iCoarse, size_t iBegin, size_t iEnd) {
  iEnd = std::min(iEnd, iBegin + static_cast<size_t>(10 * Music.iRate));
  long iBest = iCoarse;
  double fBest = -2;
  for (long iLag = iCoarse - 2 * kDecimation; iLag <= iCoarse + 2 * kDecimation; ++iLag) {
    const double fCorrelation = SumAt(Recording, Music, iLag, iBegin, iEnd).Correlation();
    if (fCorrelation > fBest) {
      fBest = fCorrelation;
      iBest = iLag;
    }
  }
  return iBest;
}

// Where music samples [iBegin, iEnd) are met best in the recording within
// iRange samples of iLag, searched at 1/8 of the rate and refined: for ranges
// of seconds (where a parted window is looked for) or the whole recording.
long FarLag(const MonoSound& Recording, const MonoSound& Music, long iLag, size_t iBegin, size_t iEnd, long iRange) {
  const long iFrom = std::max(0L, static_cast<long>(iBegin) + iLag - iRange);
  const long iTo = std::min(static_cast<long>(Recording.Samples.size()), static_cast<long>(iEnd) + iLag + iRange);
  if (iTo - iFrom < kDecimation) return iLag;
  const std::vector<float> Haystack = Decimate(Recording.Samples.data() + iFrom, static_cast<size_t>(iTo - iFrom));
  const std::vector<float> Needle = Decimate(Music.Samples.data() + iBegin, iEnd - iBegin);
  const long iCoarse = iFrom + BestLag(Haystack, Needle) * kDecimation - static_cast<long>(iBegin);
  return RefineLag(Recording, Music, iCoarse, iBegin, iEnd);
}

// The best normalised correlation of music samples [iBegin, iEnd) with the
// recording within iRange samples of iLag, every lag of the range tried at the
// full rate (a passage that repeats within the range, a held tone say, has
// near-equal peaks that a coarse search can mistake). The peak is taken
// between lags too: a recording that went through a resampler lies a
// fraction of a sample off, which costs a window rich in high frequencies
// its correlation at every whole lag, though it sounds the same.
struct NearMatch {
  long iLag = 0;
  double fCorrelation = 0;
};
NearMatch BestNear(const MonoSound& Recording, const MonoSound& Music, long iLag, size_t iBegin, size_t iEnd,
                   long iRange) {
  const long iLength = static_cast<long>(iEnd - iBegin);
  const long iFrom = static_cast<long>(iBegin) + iLag - iRange;
  if (iFrom < 0 || iFrom + iLength + 2 * iRange > static_cast<long>(Recording.Samples.size()))
    return {iLag, SumAt(Recording, Music, iLag, iBegin, iEnd).Correlation()};
  const float* pHaystack = Recording.Samples.data() + iFrom;
  const float* pNeedle = Music.Samples.data() + iBegin;
  size_t n = 1;
  while (n < static_cast<size_t>(iLength + 2 * iRange + iLength)) n <<= 1;
  // Both real sequences in one transform: A = haystack + i needle.
  std::vector<Complex> A(n);
  for (long i = 0; i < iLength + 2 * iRange; ++i) A[static_cast<size_t>(i)].real(pHaystack[i]);
  for (long i = 0; i < iLength; ++i) A[static_cast<size_t>(i)].imag(pNeedle[i]);
  Fft(A, false);
  std::vector<Complex> Cross(n);
  for (size_t k = 0; k < n; ++k) {
    const Complex Other = std::conj(A[(n - k) % n]);
    const Complex H = (A[k] + Other) * 0.5, N = (A[k] - Other) * Complex(0, -0.5);
    Cross[k] = H * std::conj(N);
  }
  Fft(Cross, true);
  double fNeedle = 0, fWindow = 0;  // the needle's energy, the recording's under it
  for (long i = 0; i < iLength; ++i) {
    fNeedle += double(pNeedle[i]) * pNeedle[i];
    fWindow += double(pHaystack[i]) * pHaystack[i];
  }
  // The cross-correlation and the recording's energy at each whole lag.
  const size_t iLags = static_cast<size_t>(2 * iRange + 1);
  std::vector<double> Products(iLags), Energies(iLags);
  for (size_t k = 0; k < iLags; ++k) {
    if (k > 0) {
      const double fIn = pHaystack[k + static_cast<size_t>(iLength) - 1], fOut = pHaystack[k - 1];
      fWindow = std::max(0.0, fWindow + fIn * fIn - fOut * fOut);
    }
    Products[k] = Cross[k].real() / static_cast<double>(n);
    Energies[k] = fWindow;
  }
  auto CorrelationAt = [&](size_t k) {
    return Energies[k] > 0 && fNeedle > 0 ? Products[k] / std::sqrt(Energies[k] * fNeedle) : 0.0;
  };
  size_t iBest = 0;
  for (size_t k = 1; k < iLags; ++k)
    if (CorrelationAt(k) > CorrelationAt(iBest)) iBest = k;
  // Between whole lags the cross-correlation, band-limited as the sound is,
  // is interpolated with a windowed sinc; the energy, which changes slowly
  // over a window, linearly.
  constexpr long kTaps = 32;
  double fPeak = CorrelationAt(iBest);
  for (int iStep = -50; iStep <= 50; ++iStep) {
    const double fAt = static_cast<double>(iBest) + iStep / 50.0;
    if (iStep == 0 || fAt < 0 || fAt > static_cast<double>(iLags - 1)) continue;
    double fProduct = 0;
    for (long j = std::max(0L, static_cast<long>(iBest) - kTaps);
         j <= std::min(static_cast<long>(iLags) - 1, static_cast<long>(iBest) + kTaps); ++j) {
      const double x = fAt - static_cast<double>(j);
      const double fSinc = std::fabs(x) < 1e-9 ? 1 : std::sin(M_PI * x) / (M_PI * x);
      const double fWindow = std::fabs(x) < kTaps ? 0.5 + 0.5 * std::cos(M_PI * x / kTaps) : 0;
      fProduct += Products[static_cast<size_t>(j)] * fSinc * fWindow;
    }
    const size_t iBelow = static_cast<size_t>(fAt);
    const double fPart = fAt - static_cast<double>(iBelow);
    const double fEnergy =
        iBelow + 1 < iLags ? Energies[iBelow] * (1 - fPart) + Energies[iBelow + 1] * fPart : Energies[iBelow];
    if (fEnergy > 0 && fNeedle > 0) fPeak = std::max(fPeak, std::min(1.0, fProduct / std::sqrt(fEnergy * fNeedle)));
  }
  return {iLag - iRange + static_cast<long>(iBest), fPeak};
}

// A window that a hiccup under the drop-out limit has moved part of: split
// once, each side where it lies best within iRange of iLag, at the point where
// the two together match best (in 50 ms steps, then 10 ms ones around the
// best). The sides weigh by the music's energy in them.
struct SplitMatch {
  double fCorrelation = -1;
  long iLeftLag = 0, iRightLag = 0;
  size_t iAt = 0;  // music sample where the right side starts
};
SplitMatch BestSplit(const MonoSound& Recording, const MonoSound& Music, long iLag, size_t iBegin, size_t iEnd,
                     long iRange) {
  SplitMatch Best;
  auto Try = [&](size_t iAt) {
    if (iAt <= iBegin || iAt >= iEnd) return;
    const NearMatch Left = BestNear(Recording, Music, iLag, iBegin, iAt, iRange);
    const NearMatch Right = BestNear(Recording, Music, iLag, iAt, iEnd, iRange);
    const double fLeft = SumAt(Recording, Music, iLag, iBegin, iAt).fMusic;
    const double fRight = SumAt(Recording, Music, iLag, iAt, iEnd).fMusic;
    if (fLeft + fRight <= 0) return;
    const double fCorrelation = (Left.fCorrelation * fLeft + Right.fCorrelation * fRight) / (fLeft + fRight);
    if (fCorrelation > Best.fCorrelation) Best = {fCorrelation, Left.iLag, Right.iLag, iAt};
  };
  const size_t iCoarse = static_cast<size_t>(Music.iRate / 20), iFine = static_cast<size_t>(Music.iRate / 100);
  for (size_t iAt = iBegin + 2 * iCoarse; iAt + 2 * iCoarse <= iEnd; iAt += iCoarse) Try(iAt);
  const size_t iCentre = Best.iAt;
  for (size_t iAt = iCentre > iCoarse ? iCentre - iCoarse : 0; iAt <= iCentre + iCoarse; iAt += iFine)
    if (iAt != iCentre) Try(iAt);
  return Best;
}

double Rms(const std::vector<float>& Samples, long iBegin, long iCount) {
  double fSum = 0;
  long iHave = 0;
  for (long i = std::max(0L, iBegin); i < iBegin + iCount && i < static_cast<long>(Samples.size()); ++i, ++iHave)
    fSum += double(Samples[static_cast<size_t>(i)]) * Samples[static_cast<size_t>(i)];
  return iHave > 0 ? std::sqrt(fSum / static_cast<double>(iHave)) : 0;
}

// Silent stretches of the recording where the music sounds, in 1 ms blocks:
// a block is lost when the recording is 20 dB under the music there; quiet
// blocks of both join a run of lost ones.
std::vector<DropOut> FindDropOuts(const MonoSound& Recording, const MonoSound& Music, long iLag, size_t iBegin,
                                  size_t iEnd, double fMinMs) {
  std::vector<DropOut> Found;
  const long iBlock = std::max(1, Music.iRate / 1000);
  long iRunStart = -1, iRunEnd = -1;
  bool bRunLost = false;
  auto Close = [&] {
    const double fMs = 1000.0 * static_cast<double>(iRunEnd - iRunStart) / Music.iRate;
    if (iRunStart >= 0 && bRunLost && fMs >= fMinMs)
      Found.push_back({static_cast<double>(iRunStart) / Music.iRate, fMs});
    iRunStart = -1;
    bRunLost = false;
  };
  for (long i = static_cast<long>(iBegin); i + iBlock <= static_cast<long>(iEnd); i += iBlock) {
    const double fMusic = Rms(Music.Samples, i, iBlock);
    const double fRecorded = Rms(Recording.Samples, i + iLag, iBlock);
    const bool bLost = fMusic > kSilence && fRecorded < kLostRatio * fMusic;
    const bool bQuiet = fRecorded < kSilence;
    if (bLost || (iRunStart >= 0 && bQuiet)) {
      if (iRunStart < 0) iRunStart = i;
      iRunEnd = i + iBlock;
      bRunLost = bRunLost || bLost;
    } else if (iRunStart >= 0) {
      Close();
    }
  }
  if (iRunStart >= 0) Close();
  return Found;
}

size_t FirstLoud(const std::vector<float>& Samples) {
  const auto it = std::find_if(Samples.begin(), Samples.end(), [](float f) { return std::fabs(f) > kSilence; });
  return static_cast<size_t>(it - Samples.begin());
}

}  // namespace

bool ReadWavFile(const std::string& strPath, MonoSound& Sound, std::string& strError) {
  std::ifstream File(strPath, std::ios::binary);
  if (!File) {
    strError = "cannot open " + strPath;
    return false;
  }
  const std::vector<unsigned char> Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  if (Bytes.size() < 12 || std::string(Bytes.begin(), Bytes.begin() + 4) != "RIFF" ||
      std::string(Bytes.begin() + 8, Bytes.begin() + 12) != "WAVE") {
    strError = strPath + " is no RIFF WAVE file";
    return false;
  }
  int iChannels = 0;
  for (size_t iAt = 12; iAt + 8 <= Bytes.size();) {
    const std::string strId(Bytes.begin() + static_cast<long>(iAt), Bytes.begin() + static_cast<long>(iAt) + 4);
    const size_t iSize = std::min<size_t>(Le32(&Bytes[iAt + 4]), Bytes.size() - iAt - 8);
    const unsigned char* pBody = &Bytes[iAt + 8];
    if (strId == "fmt " && iSize >= 16) {
      iChannels = Le16(pBody + 2);
      Sound.iRate = static_cast<int>(Le32(pBody + 4));
      const int iFormat = Le16(pBody), iBits = Le16(pBody + 14);
      // WAVE_FORMAT_EXTENSIBLE carries its format in the sub-format's first two bytes.
      const int iSubFormat = iFormat == 0xFFFE && iSize >= 26 ? Le16(pBody + 24) : iFormat;
      if (iSubFormat != 1 || iBits != 16 || iChannels < 1 || iChannels > 2 || Sound.iRate <= 0) {
        strError = strPath + ": not 16-bit PCM in one or two channels";
        return false;
      }
    } else if (strId == "data") {
      if (iChannels == 0) {
        strError = strPath + ": data before the format";
        return false;
      }
      const size_t iFrames = iSize / (2 * static_cast<size_t>(iChannels));
      Sound.Samples.resize(iFrames);
      for (size_t i = 0; i < iFrames; ++i) {
        float fSum = 0;
        for (int c = 0; c < iChannels; ++c)
          fSum += static_cast<int16_t>(Le16(pBody + 2 * (i * static_cast<size_t>(iChannels) + static_cast<size_t>(c))));
        Sound.Samples[i] = fSum / (32768.0f * static_cast<float>(iChannels));
      }
      return true;
    }
    iAt += 8 + iSize + (iSize & 1);
  }
  strError = strPath + ": no data chunk";
  return false;
}

void LowPass(MonoSound& Sound, double fHz) {
  constexpr int kHalf = 64;  // taps each side: a 1 kHz wide transition at 44.1 kHz
  if (Sound.iRate <= 0 || fHz <= 0 || 2 * fHz >= Sound.iRate) return;
  const double fCut = fHz / Sound.iRate;
  std::vector<float> Taps(2 * kHalf + 1);
  double fSum = 0;
  for (int k = -kHalf; k <= kHalf; ++k) {
    const double fSinc = k == 0 ? 2 * fCut : std::sin(2 * M_PI * fCut * k) / (M_PI * k);
    const double fWindow = 0.42 + 0.5 * std::cos(M_PI * k / kHalf) + 0.08 * std::cos(2 * M_PI * k / kHalf);  // Blackman
    Taps[static_cast<size_t>(k + kHalf)] = static_cast<float>(fSinc * fWindow);
    fSum += fSinc * fWindow;
  }
  for (float& fTap : Taps) fTap = static_cast<float>(fTap / fSum);
  const std::vector<float> In = Sound.Samples;
  const long iCount = static_cast<long>(In.size());
  for (long i = 0; i < iCount; ++i) {
    float fOut = 0;
    for (long k = std::max(-static_cast<long>(kHalf), -i); k <= kHalf && i + k < iCount; ++k)
      fOut += Taps[static_cast<size_t>(k + kHalf)] * In[static_cast<size_t>(i + k)];
    Sound.Samples[static_cast<size_t>(i)] = fOut;
  }
}

Comparison CompareSounds(const MonoSound& Recording, const MonoSound& Music, const CompareLimits& Limits) {
  Comparison Result;
  const int iRate = Music.iRate;
  if (iRate <= 0 || Recording.iRate != iRate || Music.Samples.empty() || Recording.Samples.empty()) return Result;
  const size_t iBegin = std::min(Music.Samples.size(), static_cast<size_t>(std::max(0.0, Limits.fFrom) * iRate));
  const size_t iEnd = Limits.fUntil > 0
                          ? std::min(Music.Samples.size(), static_cast<size_t>(Limits.fUntil * iRate))
                          : Music.Samples.size();
  if (iEnd <= iBegin) return Result;

  // Found on the checked part, so a missing beginning does not mislead it,
  // anywhere in the recording.
  const long iLag = FarLag(Recording, Music, 0, iBegin, iEnd, static_cast<long>(Recording.Samples.size()));
  Result.bAligned = true;
  Result.fOffset = static_cast<double>(iLag) / iRate;
  Result.fMusicCovered = static_cast<double>(static_cast<long>(Recording.Samples.size()) - iLag) / iRate;

  const size_t iRecordedFirst = FirstLoud(Recording.Samples);
  if (iRecordedFirst < Recording.Samples.size()) {
    Result.fFirstSound = static_cast<double>(iRecordedFirst) / iRate;
    const double fMusicFirst = static_cast<double>(FirstLoud(Music.Samples)) / iRate;
    Result.fLostStart = std::max(0.0, Result.fFirstSound - Result.fOffset - fMusicFirst);
  }

  Sums Total;
  // Music skipped: the lag falling by the drop-out limit or more (a gap that
  // long shows as a drop-out instead), between two windows that both match,
  // or inside one whose parts match well; other lags may be chance matches.
  constexpr long kNoLag = std::numeric_limits<long>::min();
  long iLastLag = kNoLag;
  const long iSkipLimit = static_cast<long>(std::ceil(Limits.fMaxDropOutMs * iRate / 1000));
  for (size_t iWindow = iBegin; iWindow + iRate / 2 <= iEnd; iWindow += static_cast<size_t>(iRate)) {
    const size_t iWindowEnd = std::min(iEnd, iWindow + static_cast<size_t>(iRate));
    WindowFigures Figures;
    Figures.fMusicTime = static_cast<double>(iWindow) / iRate;
    const Sums Here = SumAt(Recording, Music, iLag, iWindow, iWindowEnd);
    Figures.bRecorded = Here.iCount == iWindowEnd - iWindow;
    Figures.bMusicSilent = Here.fMusic < kSilentWindow * kSilentWindow * static_cast<double>(iWindowEnd - iWindow);
    // Correlated where the window lies best within kSlip of the offset, or,
    // where a hiccup inside it moved its second part, each part where it
    // lies best; music left out there, or between this window and the last,
    // counts where it is 10 ms or more.
    const long iRange = static_cast<long>(kSlip * iRate);
    const NearMatch Near = Figures.bRecorded && !Figures.bMusicSilent
                               ? BestNear(Recording, Music, iLag, iWindow, iWindowEnd, iRange)
                               : NearMatch{iLag, Here.Correlation()};
    Figures.fShift = static_cast<double>(Near.iLag - iLag) / iRate;
    Figures.fCorrelation = Near.fCorrelation;
    if (Figures.bRecorded && !Figures.bMusicSilent && Near.fCorrelation < Limits.fMinCorrelation) {
      const SplitMatch Split = BestSplit(Recording, Music, iLag, iWindow, iWindowEnd, iRange);
      if (Split.fCorrelation > Near.fCorrelation) Figures.fCorrelation = Split.fCorrelation;
      if (Split.fCorrelation >= kTrusted) {
        if (iLastLag != kNoLag && iLastLag - Split.iLeftLag >= iSkipLimit)
          Result.Skips.push_back({Figures.fMusicTime, 1000.0 * static_cast<double>(iLastLag - Split.iLeftLag) / iRate});
        if (Split.iLeftLag - Split.iRightLag >= iSkipLimit)
          Result.Skips.push_back({static_cast<double>(Split.iAt) / iRate,
                                  1000.0 * static_cast<double>(Split.iLeftLag - Split.iRightLag) / iRate});
        iLastLag = Split.iRightLag;
      }
    } else if (Figures.bRecorded && !Figures.bMusicSilent) {
      if (iLastLag != kNoLag && iLastLag - Near.iLag >= iSkipLimit)
        Result.Skips.push_back({Figures.fMusicTime, 1000.0 * static_cast<double>(iLastLag - Near.iLag) / iRate});
      iLastLag = Near.iLag;
    }
    Figures.fLevelDb = Here.fMusic > 0 && Here.fRecording > 0 ? 10 * std::log10(Here.fRecording / Here.fMusic) : -99;
    if (!Figures.bMusicSilent) {
      Total.fRecording += Here.fRecording;
      Total.fMusic += Here.fMusic;
      if (Figures.fCorrelation < Result.fMinCorrelation) {
        Result.fMinCorrelation = Figures.fCorrelation;
        Result.fMinCorrelationAt = Figures.fMusicTime;
      }
      if (Figures.fCorrelation < Limits.fMinCorrelation && Figures.bRecorded) {
        const long iShifted = FarLag(Recording, Music, iLag, iWindow, iWindowEnd, 3 * iRate);
        Figures.fPartedShift = static_cast<double>(iShifted - iLag) / iRate;
        Figures.fPartedCorrelation = SumAt(Recording, Music, iShifted, iWindow, iWindowEnd).Correlation();
      }
    }
    Result.Windows.push_back(Figures);
  }
  Result.fLevelDb = Total.fMusic > 0 && Total.fRecording > 0 ? 10 * std::log10(Total.fRecording / Total.fMusic) : -99;
  Result.DropOuts = FindDropOuts(
      Recording, Music, iLag, iBegin,
      std::min(iEnd, static_cast<size_t>(std::max(0L, static_cast<long>(Recording.Samples.size()) - iLag))),
      Limits.fMaxDropOutMs);
  return Result;
}

std::vector<std::string> Problems(const Comparison& Result, const CompareLimits& Limits) {
  std::vector<std::string> Lines;
  char szLine[200];
  if (!Result.bAligned) return {"the music was not found in the recording (empty, or of another rate)"};
  for (const WindowFigures& Window : Result.Windows) {
    if (!Window.bRecorded) {
      std::snprintf(szLine, sizeof(szLine), "%.0f s: the recording ends at %.2f s of the music", Window.fMusicTime,
                    Result.fMusicCovered);
      Lines.push_back(szLine);
      break;
    }
    if (Window.bMusicSilent || Window.fCorrelation >= Limits.fMinCorrelation) continue;
    std::snprintf(szLine, sizeof(szLine),
                  "%.0f s: correlation %.4f, level %+.1f dB; best met %+.3f s from the offset there (correlation %.4f)",
                  Window.fMusicTime, Window.fCorrelation, Window.fLevelDb, Window.fPartedShift,
                  Window.fPartedCorrelation);
    Lines.push_back(szLine);
  }
  for (const DropOut& Skip : Result.Skips) {
    std::snprintf(szLine, sizeof(szLine), "%.3f s: %.0f ms of the music skipped", Skip.fMusicTime, Skip.fMs);
    Lines.push_back(szLine);
  }
  for (const DropOut& Gap : Result.DropOuts) {
    std::snprintf(szLine, sizeof(szLine), "%.3f s: drop-out of %.0f ms", Gap.fMusicTime, Gap.fMs);
    Lines.push_back(szLine);
  }
  if (std::fabs(Result.fLevelDb) > Limits.fMaxLevelDb) {
    std::snprintf(szLine, sizeof(szLine), "level %+.2f dB against the music's", Result.fLevelDb);
    Lines.push_back(szLine);
  }
  return Lines;
}

std::string FiguresLine(const Comparison& Result) {
  char szLine[200];
  std::snprintf(szLine, sizeof(szLine),
                "min_corr=%.4f min_corr_at=%.0f dropouts=%zu skips=%zu level_db=%+.2f offset=%.3f first_sound=%.3f "
                "lost_start=%.3f covered=%.2f",
                Result.fMinCorrelation, Result.fMinCorrelationAt, Result.DropOuts.size(), Result.Skips.size(),
                Result.fLevelDb,
                Result.fOffset, Result.fFirstSound, Result.fLostStart, Result.fMusicCovered);
  return szLine;
}

std::vector<double> AvOffsets(const Comparison& Result, const CompareLimits& Limits,
                              const std::vector<PresentedFrame>& Frames) {
  std::vector<double> Offsets;
  for (const PresentedFrame& Frame : Frames) {
    double fMusic = Frame.fRecorded - Result.fOffset;
    for (const WindowFigures& Window : Result.Windows) {
      if (Window.bRecorded && !Window.bMusicSilent && fMusic >= Window.fMusicTime &&
          fMusic < Window.fMusicTime + 1.0) {
        fMusic -= Window.fShift;
        break;
      }
    }
    const bool bChecked = Result.bAligned && fMusic >= Limits.fFrom &&
                          (Limits.fUntil <= 0 || fMusic <= Limits.fUntil) && fMusic <= Result.fMusicCovered;
    Offsets.push_back(bChecked ? fMusic - Frame.fDemoTime : std::nan(""));
  }
  return Offsets;
}


std::vector<SilenceCut> CutStalledSilences(MonoSound& Recording, const std::vector<MachineStall>& Stalls,
                                           std::vector<PresentedFrame>& Frames) {
  const double fRate = Recording.iRate;
  const size_t iMinRun = static_cast<size_t>(fRate / 100);  // 10 ms
  // Runs of exact zeros: a stream that ran dry adds nothing to the sink's mix.
  std::vector<std::pair<size_t, size_t>> Runs;
  const std::vector<float>& Samples = Recording.Samples;
  for (size_t i = 0; i < Samples.size();) {
    if (Samples[i] != 0.0f) {
      ++i;
      continue;
    }
    size_t iEnd = i;
    while (iEnd < Samples.size() && Samples[iEnd] == 0.0f) ++iEnd;
    if (iEnd - i >= iMinRun) Runs.emplace_back(i, iEnd);
    i = iEnd;
  }
  std::vector<SilenceCut> Cuts;
  // From the last: the places of the earlier runs stay as they are.
  for (auto it = Runs.rbegin(); it != Runs.rend(); ++it) {
    const double fStart = static_cast<double>(it->first) / fRate;
    const double fSeconds = static_cast<double>(it->second - it->first) / fRate;
    for (const MachineStall& Stall : Stalls) {
      if (fStart < Stall.fRecorded - Stall.fSeconds - 0.3 || fStart > Stall.fRecorded + 0.3 ||
          fSeconds > Stall.fSeconds + 0.1)
        continue;
      Recording.Samples.erase(Recording.Samples.begin() + static_cast<std::ptrdiff_t>(it->first),
                              Recording.Samples.begin() + static_cast<std::ptrdiff_t>(it->second));
      for (PresentedFrame& Frame : Frames)
        if (Frame.fRecorded > fStart) Frame.fRecorded -= std::min(fSeconds, Frame.fRecorded - fStart);
      Cuts.insert(Cuts.begin(), {fStart, fSeconds, Stall.fSeconds, Stall.bServer});
      break;
    }
  }
  return Cuts;
}

std::vector<DropOut> ExcuseStalledSkips(Comparison& Result, const std::vector<SilenceCut>& Cuts) {
  std::vector<DropOut> Excused;
  const auto Explained = [&](const DropOut& Skip) {
    for (const SilenceCut& Cut : Cuts)
      if (std::fabs(Skip.fMusicTime - (Cut.fRecordingTime - Result.fOffset)) <= 1.0 &&
          Skip.fMs / 1000 <= Cut.fStall + 0.1 - Cut.fSeconds)
        return true;
    return false;
  };
  std::erase_if(Result.Skips, [&](const DropOut& Skip) {
    if (!Explained(Skip)) return false;
    Excused.push_back(Skip);
    return true;
  });
  return Excused;
}

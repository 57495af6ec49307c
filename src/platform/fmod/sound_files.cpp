#include "sound_files.h"

#include <algorithm>
#include <cstring>

#include "fmod.h"

namespace {

constexpr int kRawRate = 44100;
constexpr int kMaxRate = 192000;

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

bool TooLong(size_t iFrames, int iRate) { return static_cast<double>(iFrames) / iRate > kMaxSampleSeconds; }

void WidenPcm(const unsigned char* pData, size_t iFrames, int iChannels, int iBits, PcmSound& Pcm) {
  const size_t iCount = iFrames * static_cast<size_t>(iChannels);
  Pcm.Samples.resize(iCount);
  for (size_t i = 0; i < iCount; ++i) {
    Pcm.Samples[i] = iBits == 8 ? static_cast<int16_t>((pData[i] - 128) << 8)
                                : static_cast<int16_t>(Le16(pData + 2 * i));
  }
}

// A WAV's PCM format and where its samples lie.
struct WavLayout {
  int iChannels = 0, iBits = 0, iRate = 0;
  const unsigned char* pSamples = nullptr;
  size_t iFrames = 0;
};

bool ReadWavLayout(const unsigned char* pData, size_t iSize, WavLayout& Wav) {
  if (iSize < 12 || std::memcmp(pData, "RIFF", 4) != 0 || std::memcmp(pData + 8, "WAVE", 4) != 0) return false;
  for (size_t iAt = 12; iAt + 8 <= iSize;) {
    const size_t iChunk = Le32(pData + iAt + 4);
    const unsigned char* pBody = pData + iAt + 8;
    const size_t iBody = iSize - iAt - 8;
    if (std::memcmp(pData + iAt, "fmt ", 4) == 0) {
      if (iChunk < 16 || iChunk > iBody || Le16(pBody) != 1) return false;  // integer PCM only
      Wav.iChannels = Le16(pBody + 2);
      Wav.iRate = static_cast<int>(Le32(pBody + 4) > kMaxRate ? 0 : Le32(pBody + 4));
      Wav.iBits = Le16(pBody + 14);
      if ((Wav.iChannels != 1 && Wav.iChannels != 2) || (Wav.iBits != 8 && Wav.iBits != 16) || Wav.iRate <= 0) {
        return false;
      }
      const int iBlock = Wav.iChannels * Wav.iBits / 8;
      if (Le16(pBody + 12) != iBlock || Le32(pBody + 8) != static_cast<uint32_t>(Wav.iRate * iBlock)) return false;
    } else if (std::memcmp(pData + iAt, "data", 4) == 0) {
      if (Wav.iChannels == 0) return false;  // no fmt chunk before the data
      // A data size past the end of the file (a recording cut short) keeps what is there.
      Wav.pSamples = pBody;
      Wav.iFrames = (iChunk < iBody ? iChunk : iBody) / static_cast<size_t>(Wav.iChannels * Wav.iBits / 8);
      return Wav.iFrames > 0 && !TooLong(Wav.iFrames, Wav.iRate);
    }
    if (iChunk > iBody) return false;
    iAt += 8 + iChunk + (iChunk & 1);
  }
  return false;
}

int SamplesPerFrame(const Mp3Format& Format) { return Format.iVersion == 1 ? 1152 : 576; }

// Fields of a frame header; false when the four bytes are no layer III header.
bool ParseFrameHeader(const unsigned char* p, Mp3Format& Format) {
  if (p[0] != 0xFF || (p[1] & 0xE0) != 0xE0) return false;
  const int iVersionBits = (p[1] >> 3) & 3;  // 0: 2.5, 2: 2, 3: 1
  const int iLayerBits = (p[1] >> 1) & 3;    // 1: layer III
  const int iBitRateIndex = p[2] >> 4;
  const int iRateIndex = (p[2] >> 2) & 3;
  if (iVersionBits == 1 || iLayerBits != 1 || iBitRateIndex == 0 || iBitRateIndex == 15 || iRateIndex == 3) {
    return false;
  }
  static constexpr int kBitRatesV1[15] = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
  static constexpr int kBitRatesV2[15] = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
  static constexpr int kRatesV1[3] = {44100, 48000, 32000};
  Format.iVersion = iVersionBits == 3 ? 1 : iVersionBits == 2 ? 2 : 25;
  const int iDivisor = Format.iVersion == 1 ? 1 : Format.iVersion == 2 ? 2 : 4;
  Format.iRate = kRatesV1[iRateIndex] / iDivisor;
  Format.iBitRate = (Format.iVersion == 1 ? kBitRatesV1 : kBitRatesV2)[iBitRateIndex] * 1000;
  Format.iChannels = (p[3] >> 6) == 3 ? 1 : 2;
  Format.iFrameBytes = SamplesPerFrame(Format) / 8 * Format.iBitRate / Format.iRate;
  return Format.iFrameBytes > 4;
}

size_t PaddedFrameBytes(const unsigned char* pHeader, const Mp3Format& Format) {
  return static_cast<size_t>(Format.iFrameBytes) + ((pHeader[2] >> 1) & 1);
}

bool TagAt(const std::vector<unsigned char>& Bytes, size_t iOffset, const char* pTag) {
  const size_t iLength = std::strlen(pTag);
  return Bytes.size() >= iOffset + iLength && std::memcmp(Bytes.data() + iOffset, pTag, iLength) == 0;
}

bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool IsWav(const unsigned char* pData, size_t iSize) {
  return iSize >= 12 && std::memcmp(pData, "RIFF", 4) == 0 && std::memcmp(pData + 8, "WAVE", 4) == 0;
}

bool DecodeWav(const unsigned char* pData, size_t iSize, PcmSound& Pcm) {
  WavLayout Wav;
  if (!ReadWavLayout(pData, iSize, Wav)) return false;
  Pcm.iRate = Wav.iRate;
  Pcm.iChannels = Wav.iChannels;
  WidenPcm(Wav.pSamples, Wav.iFrames, Wav.iChannels, Wav.iBits, Pcm);
  return true;
}

bool DecodeRaw(const unsigned char* pData, size_t iSize, unsigned int dwMode, PcmSound& Pcm) {
  const int iChannels = (dwMode & FSOUND_MONO) != 0 ? 1 : 2;
  const int iBits = (dwMode & FSOUND_8BITS) != 0 ? 8 : 16;
  const size_t iFrames = iSize / static_cast<size_t>(iChannels * iBits / 8);
  if (iFrames == 0 || TooLong(iFrames, kRawRate)) return false;
  Pcm.iRate = kRawRate;
  Pcm.iChannels = iChannels;
  WidenPcm(pData, iFrames, iChannels, iBits, Pcm);
  return true;
}

bool FindMp3Format(const unsigned char* pData, size_t iSize, Mp3Format& Format) {
  size_t iAt = 0;
  // ID3v2: "ID3", version, flags, then a 28-bit size in four 7-bit bytes.
  if (iSize >= 10 && std::memcmp(pData, "ID3", 3) == 0) {
    iAt = 10 + ((pData[6] & 0x7F) << 21 | (pData[7] & 0x7F) << 14 | (pData[8] & 0x7F) << 7 | (pData[9] & 0x7F));
    if ((pData[5] & 0x10) != 0) iAt += 10;  // footer
  }
  while (iAt < iSize && pData[iAt] == 0) ++iAt;  // the tag's padding, when its size leaves it out
  if (iAt + 4 > iSize || !ParseFrameHeader(pData + iAt, Format)) return false;
  // A second header where the first frame ends tells a frame from stray bytes.
  const size_t iNext = iAt + PaddedFrameBytes(pData + iAt, Format);
  Mp3Format Next;
  if (iNext + 4 > iSize || !ParseFrameHeader(pData + iNext, Next) || Next.iRate != Format.iRate) return false;
  Format.iFirstFrame = iAt;
  return true;
}

namespace {

// Calls OnFrame(iAt, iEnd, Frame) for each frame from Format.iFirstFrame on
// that a decoder follows. In step (the previous frame ended here; the first
// frame's successor was checked by FindMp3Format), a frame counts as it
// stands. Out of step, a header counts only when it is of the stream's own
// version, rate and channels and the next one stands where its frame ends
// (or the file ends there), as a decoder confirms a frame before it takes up
// the stream again.
template <typename F>
void WalkMp3Frames(const unsigned char* pData, size_t iSize, const Mp3Format& Format, F&& OnFrame) {
  Mp3Format Frame, Next;
  bool bInStep = true;
  for (size_t iAt = Format.iFirstFrame; iAt + 4 <= iSize;) {
    if (!ParseFrameHeader(pData + iAt, Frame)) {
      bInStep = false;
      ++iAt;
      continue;
    }
    const size_t iEnd = iAt + PaddedFrameBytes(pData + iAt, Frame);
    const bool bLikeStream = Frame.iVersion == Format.iVersion && Frame.iRate == Format.iRate &&
                             Frame.iChannels == Format.iChannels;
    if (!bInStep &&
        (!bLikeStream || (iEnd != iSize && (iEnd + 4 > iSize || !ParseFrameHeader(pData + iEnd, Next))))) {
      ++iAt;
      continue;
    }
    OnFrame(iAt, iEnd, Frame);
    bInStep = true;
    iAt = iEnd;
  }
}

}  // namespace

double Mp3Seconds(const unsigned char* pData, size_t iSize, const Mp3Format& Format) {
  double fSeconds = 0;
  WalkMp3Frames(pData, iSize, Format, [&](size_t, size_t, const Mp3Format& Frame) {
    fSeconds += static_cast<double>(SamplesPerFrame(Frame)) / Frame.iRate;
  });
  return fSeconds;
}

size_t GatherMp3Frames(unsigned char* pData, size_t iSize, const Mp3Format& Format) {
  size_t iTo = Format.iFirstFrame;
  // A frame moves only towards the start, below where the walk reads next.
  WalkMp3Frames(pData, iSize, Format, [&](size_t iAt, size_t iEnd, const Mp3Format&) {
    const size_t iLength = std::min(iEnd, iSize) - iAt;
    if (iTo != iAt) std::memmove(pData + iTo, pData + iAt, iLength);
    iTo += iLength;
  });
  return iTo;
}

bool HasModuleSignature(const std::vector<unsigned char>& Bytes) {
  if (TagAt(Bytes, 0, "Extended Module: ") || TagAt(Bytes, 0, "IMPM") || TagAt(Bytes, 44, "SCRM")) return true;
  if (Bytes.size() < 1084) return false;
  const unsigned char* pTag = Bytes.data() + 1080;
  for (const char* pKnown : {"M.K.", "M!K!", "FLT4", "FLT8", "CD81", "OKTA", "OCTA"})
    if (TagAt(Bytes, 1080, pKnown)) return true;
  const bool bDigitCHN = IsDigit(pTag[0]) && TagAt(Bytes, 1081, "CHN");
  const bool bDigitsCH = IsDigit(pTag[0]) && IsDigit(pTag[1]) && (TagAt(Bytes, 1082, "CH") || TagAt(Bytes, 1082, "CN"));
  return bDigitCHN || bDigitsCH;
}

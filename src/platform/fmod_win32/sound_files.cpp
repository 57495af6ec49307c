#include "sound_files.h"

#include <cstring>

#include "fmod.h"

namespace {

constexpr int kRawRate = 44100;
constexpr size_t kMp3SearchBytes = 64 * 1024;

uint32_t Le32(const unsigned char* p) { return p[0] | (p[1] << 8) | (p[2] << 16) | (uint32_t(p[3]) << 24); }
uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }

void WidenPcm(const unsigned char* pData, size_t iFrames, int iChannels, int iBits, PcmSound& Pcm) {
  const size_t iCount = iFrames * static_cast<size_t>(iChannels);
  Pcm.Samples.resize(iCount);
  for (size_t i = 0; i < iCount; ++i) {
    Pcm.Samples[i] = iBits == 8 ? static_cast<int16_t>((pData[i] - 128) << 8)
                                : static_cast<int16_t>(Le16(pData + 2 * i));
  }
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

}  // namespace

bool DecodeWav(const unsigned char* pData, size_t iSize, PcmSound& Pcm) {
  if (iSize < 12 || std::memcmp(pData, "RIFF", 4) != 0 || std::memcmp(pData + 8, "WAVE", 4) != 0) return false;
  int iChannels = 0, iBits = 0, iRate = 0;
  size_t iAt = 12;
  while (iAt + 8 <= iSize) {
    const size_t iChunk = Le32(pData + iAt + 4);
    const unsigned char* pBody = pData + iAt + 8;
    const size_t iBody = iSize - iAt - 8;
    if (std::memcmp(pData + iAt, "fmt ", 4) == 0) {
      if (iChunk < 16 || iBody < 16 || Le16(pBody) != 1) return false;  // PCM only
      iChannels = Le16(pBody + 2);
      iRate = static_cast<int>(Le32(pBody + 4));
      iBits = Le16(pBody + 14);
      if ((iChannels != 1 && iChannels != 2) || (iBits != 8 && iBits != 16) || iRate <= 0 || iRate > 192000) {
        return false;
      }
    } else if (std::memcmp(pData + iAt, "data", 4) == 0) {
      if (iChannels == 0) return false;
      const size_t iBytes = iChunk < iBody ? iChunk : iBody;
      const size_t iFrames = iBytes / static_cast<size_t>(iChannels * iBits / 8);
      if (static_cast<double>(iFrames) / iRate > kMaxSampleSeconds) return false;
      Pcm.iRate = iRate;
      Pcm.iChannels = iChannels;
      WidenPcm(pBody, iFrames, iChannels, iBits, Pcm);
      return true;
    }
    if (iChunk > iBody) return false;
    iAt += 8 + iChunk + (iChunk & 1);
  }
  return false;
}

bool DecodeRaw(const unsigned char* pData, size_t iSize, unsigned int dwMode, PcmSound& Pcm) {
  const int iChannels = (dwMode & FSOUND_MONO) != 0 ? 1 : 2;
  const int iBits = (dwMode & FSOUND_8BITS) != 0 ? 8 : 16;
  const size_t iFrames = iSize / static_cast<size_t>(iChannels * iBits / 8);
  if (iFrames == 0 || static_cast<double>(iFrames) / kRawRate > kMaxSampleSeconds) return false;
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
  const size_t iEnd = iSize < iAt + kMp3SearchBytes ? iSize : iAt + kMp3SearchBytes;
  for (; iAt + 4 <= iEnd; ++iAt) {
    if (!ParseFrameHeader(pData + iAt, Format)) continue;
    // A second header where the first frame ends tells a frame from stray bytes.
    const size_t iNext = iAt + PaddedFrameBytes(pData + iAt, Format);
    Mp3Format Next;
    if (iNext + 4 <= iSize && ParseFrameHeader(pData + iNext, Next) && Next.iRate == Format.iRate) {
      Format.iFirstFrame = iAt;
      return true;
    }
  }
  return false;
}

double Mp3Seconds(const unsigned char* pData, size_t iSize, const Mp3Format& Format) {
  double fSeconds = 0;
  Mp3Format Frame;
  for (size_t iAt = Format.iFirstFrame; iAt + 4 <= iSize && ParseFrameHeader(pData + iAt, Frame);) {
    fSeconds += static_cast<double>(SamplesPerFrame(Frame)) / Frame.iRate;
    iAt += PaddedFrameBytes(pData + iAt, Frame);
  }
  return fSeconds;
}

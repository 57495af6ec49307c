#include "wav_file.h"

namespace {

void Put(std::vector<unsigned char>& Out, uint32_t dwValue, int iBytes) {
  for (int i = 0; i < iBytes; ++i) Out.push_back(static_cast<unsigned char>(dwValue >> (8 * i)));
}

void PutTag(std::vector<unsigned char>& Out, const char (&Tag)[5]) { Out.insert(Out.end(), Tag, Tag + 4); }

}  // namespace

WavFormat PcmWavFormat(uint16_t wChannels, uint32_t dwRate, uint16_t wBits) {
  return {1, wChannels, dwRate, static_cast<uint16_t>(wChannels * wBits / 8), wBits};
}

std::vector<unsigned char> WavHeader(const WavFormat& Format, uint32_t dwDataBytes) {
  std::vector<unsigned char> Out;
  Out.reserve(44);
  PutTag(Out, "RIFF");
  Put(Out, 36 + dwDataBytes, 4);
  PutTag(Out, "WAVE");
  PutTag(Out, "fmt ");
  Put(Out, 16, 4);
  Put(Out, Format.wFormatTag, 2);
  Put(Out, Format.wChannels, 2);
  Put(Out, Format.dwRate, 4);
  Put(Out, Format.dwRate * Format.wBlockAlign, 4);
  Put(Out, Format.wBlockAlign, 2);
  Put(Out, Format.wBits, 2);
  PutTag(Out, "data");
  Put(Out, dwDataBytes, 4);
  return Out;
}

std::vector<unsigned char> EncodeWav(uint16_t wChannels, uint32_t dwRate, const std::vector<int16_t>& Samples) {
  const auto dwDataBytes = static_cast<uint32_t>(Samples.size() * 2);
  std::vector<unsigned char> Out = WavHeader(PcmWavFormat(wChannels, dwRate, 16), dwDataBytes);
  Out.reserve(Out.size() + dwDataBytes);
  for (int16_t iSample : Samples) Put(Out, static_cast<uint16_t>(iSample), 2);
  return Out;
}

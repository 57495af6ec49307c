#include "wav.h"

#include "grid.h"

namespace musicgen {

namespace {

void Put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
  out.push_back(static_cast<std::uint8_t>(value & 0xFF));
  out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void Put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
  Put16(out, value & 0xFFFF);
  Put16(out, value >> 16);
}

void PutTag(std::vector<std::uint8_t>& out, const char (&tag)[5]) {
  for (int k = 0; k < 4; ++k) out.push_back(static_cast<std::uint8_t>(tag[k]));
}

}  // namespace

std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& interleaved) {
  constexpr std::uint32_t kChannels = 2;
  constexpr std::uint32_t kBytesPerSample = 2;
  const auto dataBytes = static_cast<std::uint32_t>(interleaved.size() * kBytesPerSample);
  std::vector<std::uint8_t> out;
  out.reserve(44 + dataBytes);
  PutTag(out, "RIFF");
  Put32(out, 36 + dataBytes);
  PutTag(out, "WAVE");
  PutTag(out, "fmt ");
  Put32(out, 16);
  Put16(out, 1);  // PCM
  Put16(out, kChannels);
  Put32(out, kSampleRate);
  Put32(out, kSampleRate * kChannels * kBytesPerSample);
  Put16(out, kChannels * kBytesPerSample);
  Put16(out, 8 * kBytesPerSample);
  PutTag(out, "data");
  Put32(out, dataBytes);
  for (std::int16_t sample : interleaved) Put16(out, static_cast<std::uint16_t>(sample));
  return out;
}

}  // namespace musicgen

// 16-bit PCM stereo WAV at the synthesiser's sample rate.
#pragma once

#include <cstdint>
#include <vector>

namespace musicgen {

// A canonical 44-byte RIFF header followed by the interleaved samples,
// little-endian whatever the host.
std::vector<std::uint8_t> EncodeWav(const std::vector<std::int16_t>& interleaved);

}  // namespace musicgen

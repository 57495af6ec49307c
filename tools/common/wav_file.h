// WAV files as the music generator, the tests and the fuzzer's seeds write
// them: the canonical 44-byte header (RIFF, a 16-byte fmt chunk, the head of
// the data chunk), little-endian whatever the host.
#pragma once

#include <cstdint>
#include <vector>

// The fmt chunk's fields, as written: a test may write any of them.
struct WavFormat {
  uint16_t wFormatTag;   // 1: integer PCM
  uint16_t wChannels;
  uint32_t dwRate;       // frames a second
  uint16_t wBlockAlign;  // bytes of one frame
  uint16_t wBits;        // bits of one sample
};

// Integer PCM of wChannels channels of wBits bits each.
WavFormat PcmWavFormat(uint16_t wChannels, uint32_t dwRate, uint16_t wBits);

// The header of a file whose data chunk says it holds dwDataBytes; the data
// itself follows it.
std::vector<unsigned char> WavHeader(const WavFormat& Format, uint32_t dwDataBytes);

// A whole 16-bit PCM file of the interleaved Samples.
std::vector<unsigned char> EncodeWav(uint16_t wChannels, uint32_t dwRate, const std::vector<int16_t>& Samples);

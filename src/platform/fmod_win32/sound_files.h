// Sound data as the library reads it: WAV (PCM), headerless raw data, and the
// MP3 frame header the system codec is opened with.
#pragma once

#include <cstddef>
#include <cstdint>

#include "sound_layer.h"

// RIFF WAVE with 8-bit unsigned or 16-bit signed PCM, one or two channels.
bool DecodeWav(const unsigned char* pData, size_t iSize, PcmSound& Pcm);

// Headerless data: FSOUND_8BITS (unsigned) or 16-bit signed little-endian,
// FSOUND_MONO or stereo, 44100 Hz; a trailing partial frame is dropped.
// Both readers refuse a sound longer than kMaxSampleSeconds.
bool DecodeRaw(const unsigned char* pData, size_t iSize, unsigned int dwMode, PcmSound& Pcm);

// The first MPEG audio layer III frame of a stream, after any ID3v2 tag.
struct Mp3Format {
  size_t iFirstFrame = 0;  // offset of the first frame header
  int iVersion = 1;        // 1 (MPEG-1), 2 (MPEG-2) or 25 (MPEG-2.5)
  int iRate = 0;           // samples per second
  int iChannels = 0;       // 1 or 2
  int iBitRate = 0;        // bits per second of the first frame
  int iFrameBytes = 0;     // size of the first frame (without padding)
};

// False when no layer III frame follows the tag within the first 64 KiB, or
// the frame after it does not start where the first one ends.
bool FindMp3Format(const unsigned char* pData, size_t iSize, Mp3Format& Format);

// Playing time of the frames from Format.iFirstFrame on, counted frame by
// frame (each frame's own rate and size) up to the first that is not one.
double Mp3Seconds(const unsigned char* pData, size_t iSize, const Mp3Format& Format);

// Longest sound a sample may hold. A sample is decoded whole into memory, and
// a small file of a low rate can hold hours: 10 minutes are about 106 MB at
// 44.1 kHz stereo, far more than any demo's music.
constexpr double kMaxSampleSeconds = 10 * 60;

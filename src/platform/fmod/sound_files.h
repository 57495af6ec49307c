// The sound library's readers: they decide what any output is handed. A WAV
// is read here whole (integer PCM whose header passes every check), headerless
// data here too, and MPEG audio layer III goes to the platform's codec
// (mp3_codec.h) only after its length is counted here. Anything else is refused as missing: no
// library parser ever sees a file we cannot vouch for.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sound_output.h"

// Longest sound a sample may hold. A sample is decoded whole into memory, and
// a small file of a low rate can hold hours: 10 minutes are about 106 MB at
// 44.1 kHz stereo, far more than any demo's music.
constexpr double kMaxSampleSeconds = 10 * 60;
// Largest sound or song file read: ten minutes of MP3 at 320 kbit/s are 24 MB,
// of CD-quality WAV 106 MB; 64 MB keeps a hostile file's cost, read whole
// before it is refused, near that of the music decoded.
constexpr size_t kMaxSoundFileBytes = size_t{64} << 20;

// A file that starts "RIFF....WAVE" is a WAV or nothing: 8-bit unsigned or
// 16-bit signed integer PCM, one or two channels, 1..192000 Hz, block align and
// byte rate as those imply, a data chunk after the fmt chunk, at most
// kMaxSampleSeconds. False for anything else.
bool IsWav(const unsigned char* pData, size_t iSize);
bool DecodeWav(const unsigned char* pData, size_t iSize, PcmSound& Pcm);

// Headerless data: FSOUND_8BITS (unsigned) or 16-bit signed little-endian,
// FSOUND_MONO or stereo, 44100 Hz; a trailing partial frame is dropped; at
// most kMaxSampleSeconds.
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

// True when a layer III frame starts right after the ID3v2 tag (if any) and
// its padding of zero bytes, and the next frame starts where it ends.
bool FindMp3Format(const unsigned char* pData, size_t iSize, Mp3Format& Format);

// Playing time of the frames from Format.iFirstFrame on, counted as a decoder
// follows them: frame by frame, each with its own rate and size, from each
// frame to the one that starts where it ends. Past bytes that are no frame, a
// decoder resynchronises on a header of the stream's own version, rate and
// channels only when the next one starts where that frame ends (or the file
// ends there), so a header scattered in junk counts for nothing.
double Mp3Seconds(const unsigned char* pData, size_t iSize, const Mp3Format& Format);

// Moves the frames that Mp3Seconds counts, in order, to the start of the
// stream at Format.iFirstFrame, dropping every byte between them, and returns
// where the last one now ends. A codec fed only these never searches junk: it
// decodes what was counted, no more (decoders of other layers' frames found
// in junk are not quiet, and some keep what they search through).
size_t GatherMp3Frames(unsigned char* pData, size_t iSize, const Mp3Format& Format);

// A tracker module's signature (MOD, S3M, XM, IT); 15-sample Soundtracker
// files have none and are refused.
bool HasModuleSignature(const std::vector<unsigned char>& Bytes);

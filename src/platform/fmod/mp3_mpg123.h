// MP3 decoding with libmpg123 (the SDL output's codec, and the reader
// fuzzer's): the whole stream to 16-bit PCM at its own rate and channel
// count, at most iMaxFrames frames; decoding stops where the format changes.
#pragma once

#include <cstddef>

#include "sound_output.h"

bool DecodeMp3WithMpg123(const unsigned char* pData, size_t iSize, size_t iMaxFrames, PcmSound& Pcm);

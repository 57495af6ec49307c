// MP3 decoding with libmpg123 (the Linux output's codec, and the reader
// fuzzer's): the stream to 16-bit PCM at the rate and channel count of its
// first frame (Format, as the reader found it), at most iMaxFrames frames.
// Damaged frames are skipped and frames of another rate or channel count are
// converted, so a damaged file plays on to its end.
#pragma once

#include <cstddef>

#include "sound_files.h"

bool DecodeMp3WithMpg123(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames,
                         PcmSound& Pcm, const DecodeProgress& Progress);

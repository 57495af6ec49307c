// MP3 decoding through Windows' Audio Compression Manager (the Windows
// output's codec): from the first frame (Format, as the reader found it) to
// 16-bit PCM at that frame's rate and channel count, at most iMaxFrames frames.
#pragma once

#include <cstddef>

#include "sound_files.h"

bool DecodeMp3WithAcm(const unsigned char* pData, size_t iSize, const Mp3Format& Format, size_t iMaxFrames,
                      PcmSound& Pcm, const DecodeProgress& Progress);

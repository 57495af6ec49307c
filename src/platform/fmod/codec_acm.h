// MP3 decoding through Windows' Audio Compression Manager: Windows' codec
// (mp3_codec.h).
#pragma once

#include "mp3_codec.h"

class AcmCodec final : public Mp3Codec {
 public:
  bool DecodesOnThread() const override { return true; }
  size_t Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                const DecodeProgress& Progress) override;
};

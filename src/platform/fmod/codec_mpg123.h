// MP3 decoding with libmpg123: Linux's codec (mp3_codec.h), and the reader
// fuzzer's. Damaged frames are skipped and frames of another rate or channel
// count are converted, so a damaged file plays on to its end.
#pragma once

#include "mp3_codec.h"

class Mpg123Codec final : public Mp3Codec {
 public:
  bool DecodesOnThread() const override { return true; }
  size_t Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                const DecodeProgress& Progress) override;
};

// The page's MP3 codec: the browser's decodeAudioData, through the audio
// context the output made (output_web.cpp). It answers on the page's thread
// and decodes at the context's rate, so it gives the sound its own format and
// length.
#include <emscripten.h>

#include <cstdint>

#include "mp3_codec.h"

// Decodes the bytes and keeps the result for AudioTakeDecoded: its frame
// count (at most iMaxFrames), rate and channels; 0 frames when the browser
// cannot decode them.
EM_ASYNC_JS(int, AudioDecode, (const unsigned char* pBytes, int iSize, int iMaxFrames, int* pRate, int* pChannels), {
  const audio = Module.audio;
  if (!audio) return 0;
  const bytes = HEAPU8.slice(pBytes, pBytes + iSize).buffer;
  try {
    audio.decoded = await audio.context.decodeAudioData(bytes);
  } catch (error) {
    return 0;
  }
  if (Module.page) Module.page.audioDecoded(audio.decoded.duration);
  HEAP32[pRate >> 2] = audio.decoded.sampleRate;
  HEAP32[pChannels >> 2] = Math.min(audio.decoded.numberOfChannels, 2);
  return Math.min(audio.decoded.length, iMaxFrames);
});

// Writes the decoded sound as interleaved 16-bit samples and lets it go.
EM_JS(void, AudioTakeDecoded, (short* pOut, int iFrames, int iChannels), {
  const decoded = Module.audio.decoded;
  Module.audio.decoded = null;
  for (let c = 0; c < iChannels; ++c) {
    const side = decoded.getChannelData(c);
    for (let i = 0; i < iFrames; ++i) {
      const s = Math.max(-1, Math.min(1, side[i]));
      HEAP16[(pOut >> 1) + i * iChannels + c] = Math.round(s * 32767);
    }
  }
});

namespace {

class WebCodec final : public Mp3Codec {
 public:
  bool DecodesOnThread() const override { return false; }

  size_t Decode(const unsigned char* pData, size_t iSize, const Mp3Format& Format, PcmSound& Pcm,
                const DecodeProgress&) override {
    const auto iMaxFrames = static_cast<size_t>(kMaxSampleSeconds * Format.iRate);
    if (iSize > INT32_MAX || iMaxFrames > INT32_MAX) return 0;
    const int iFrames =
        AudioDecode(pData, static_cast<int>(iSize), static_cast<int>(iMaxFrames), &Pcm.iRate, &Pcm.iChannels);
    if (iFrames <= 0) return 0;
    Pcm.Samples.resize(static_cast<size_t>(iFrames) * static_cast<size_t>(Pcm.iChannels));
    AudioTakeDecoded(Pcm.Samples.data(), iFrames, Pcm.iChannels);
    return static_cast<size_t>(iFrames);
  }
};

}  // namespace

Mp3Codec& PlatformMp3Codec() {
  static WebCodec* pCodec = new WebCodec();
  return *pCodec;
}

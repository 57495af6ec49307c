// FSOUND_ over Web Audio.
//
// Output 2 is the page's AudioContext; there is no second output (1 fails);
// output 0 decodes and "plays" samples with nothing connected to the
// speakers, so a silent run does the same work and keeps the same timing.
// Samples are decoded whole by the browser's own decoder (decodeAudioData;
// MP3, WAV and OGG where the browser has them) and each playing channel is
// a buffer source through a gain node (volume) and a stereo panner (pan).
// Browsers start audio only after a user gesture: the context is made
// suspended and the page resumes it with the start gesture, so music started
// before that begins with the gesture. Songs (tracker modules) and headerless
// FSOUND_LOADRAW data have no player here and fail to load.
#include <emscripten.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "fmod_seams.h"
#include "read_whole_file.h"

struct FSOUND_SAMPLE {
  int iBufferId;  // the decoded AudioBuffer in the page's table
};

EM_JS(int, AudioCreateContext, (), {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return 0;
  Module.audio = { context: new Context(), buffers: [], channels: [] };
  if (Module.page) Module.page.audioContextMade(Module.audio.context);
  return 1;
});

EM_JS(void, AudioCloseContext, (), {
  if (!Module.audio) return;
  for (const channel of Module.audio.channels) if (channel) channel.source.stop();
  Module.audio.context.close();
  Module.audio = undefined;
});

// The AudioBuffer's id, or -1 when the browser cannot decode the bytes.
EM_ASYNC_JS(int, AudioDecode, (const unsigned char* pBytes, int iSize), {
  const audio = Module.audio;
  const bytes = HEAPU8.slice(pBytes, pBytes + iSize).buffer;
  try {
    const buffer = await audio.context.decodeAudioData(bytes);
    audio.buffers.push(buffer);
    if (Module.page) Module.page.audioDecoded(buffer.duration);
    return audio.buffers.length - 1;
  } catch (error) {
    return -1;
  }
});

EM_JS(int, AudioChannelBusy, (int iChannel), {
  const channel = Module.audio.channels[iChannel];
  return channel && !channel.ended ? 1 : 0;
});

EM_JS(void, AudioPlay, (int iChannel, int iBufferId, int bAudible), {
  const audio = Module.audio;
  const old = audio.channels[iChannel];
  if (old && !old.ended) old.source.stop();
  const source = audio.context.createBufferSource();
  source.buffer = audio.buffers[iBufferId];
  const gain = audio.context.createGain();
  const panner = audio.context.createStereoPanner();
  source.connect(gain).connect(panner);
  if (bAudible) panner.connect(audio.context.destination);
  const channel = { source, gain, panner, ended: false };
  source.onended = () => { channel.ended = true; };
  audio.channels[iChannel] = channel;
  source.start();
});

EM_JS(void, AudioSetChannel, (int iChannel, float fGain, float fPan), {
  const channel = Module.audio.channels[iChannel];
  if (!channel) return;
  channel.gain.gain.value = fGain;
  channel.panner.pan.value = fPan;
});

namespace {

constexpr float kVersion = 3.75f;
constexpr int kMaxVolume = 255;
constexpr int kMaxChannels = 256;

int ClampVolume(int iVolume) { return std::clamp(iVolume, 0, kMaxVolume); }

class WebAudioBackend final : public FmodBackend {
 public:
  float GetVersion() override { return kVersion; }

  signed char SetOutput(int iOutputType) override {
    if (bOpen) return 0;
    if (iOutputType != FSOUND_OUTPUT_DSOUND && iOutputType != FSOUND_OUTPUT_NOSOUND) return 0;
    bAudible = iOutputType == FSOUND_OUTPUT_DSOUND;
    bOutputChosen = true;
    return 1;
  }

  // Only the default output exists.
  signed char SetDriver(int iDriver) override { return bOutputChosen && !bOpen && iDriver == 0 ? 1 : 0; }

  signed char Init(int iMixRate, int iChannels, unsigned int) override {
    if (!bOutputChosen || bOpen || iMixRate <= 0 || iChannels < 0) return 0;
    if (AudioCreateContext() == 0) return 0;
    Channels.assign(static_cast<size_t>(std::min(iChannels, kMaxChannels)), Channel{});
    bOpen = true;
    return 1;
  }

  void Close() override {
    if (bOpen) AudioCloseContext();
    Samples.clear();
    Channels.clear();
    bOpen = bOutputChosen = false;
  }

  void SetSfxMasterVolume(int iVolume) override {
    iSfxMasterVolume = ClampVolume(iVolume);
    for (int i = 0; i < ChannelCount(); ++i) ApplyChannel(i);
  }

  FSOUND_SAMPLE* SampleLoad(int iIndex, const char* pName, unsigned int dwMode, int iOffset) override {
    if (!bOpen || pName == nullptr || iOffset < 0 || iIndex < FSOUND_FREE) return nullptr;
    if ((dwMode & FSOUND_LOADRAW) != 0) return nullptr;
    std::vector<unsigned char> Bytes;
    if (!ReadWholeFile(pName, kMaxSoundFileBytes, Bytes) || static_cast<size_t>(iOffset) >= Bytes.size()) return nullptr;
    const int iBufferId = AudioDecode(Bytes.data() + iOffset, static_cast<int>(Bytes.size()) - iOffset);
    if (iBufferId < 0) return nullptr;
    Samples.push_back(std::make_unique<FSOUND_SAMPLE>(FSOUND_SAMPLE{iBufferId}));
    return Samples.back().get();
  }

  int PlaySound(int iChannel, FSOUND_SAMPLE* pSample) override {
    if (!bOpen || !OwnsSample(pSample)) return -1;
    const int iChosen = iChannel == FSOUND_FREE ? FreeChannel() : iChannel;
    if (iChosen < 0 || iChosen >= ChannelCount()) return -1;
    // A new sound starts at full volume and centred, whatever the channel played before.
    Channels[static_cast<size_t>(iChosen)] = Channel{};
    AudioPlay(iChosen, pSample->iBufferId, bAudible ? 1 : 0);
    ApplyChannel(iChosen);
    return iChosen;
  }

  signed char SetVolume(int iChannel, int iVolume) override {
    if (!ValidChannel(iChannel)) return 0;
    Channels[static_cast<size_t>(iChannel)].iVolume = ClampVolume(iVolume);
    ApplyChannel(iChannel);
    return 1;
  }

  signed char SetPan(int iChannel, int iPan) override {
    if (!ValidChannel(iChannel)) return 0;
    Channels[static_cast<size_t>(iChannel)].iPan = ClampVolume(iPan);
    ApplyChannel(iChannel);
    return 1;
  }

  FMUSIC_MODULE* LoadSong(const char*) override { return nullptr; }
  signed char SetMusicMasterVolume(FMUSIC_MODULE*, int) override { return 0; }
  signed char OptimizeChannels(FMUSIC_MODULE*, int, int) override { return 0; }
  signed char PlaySong(FMUSIC_MODULE*) override { return 0; }

 private:
  struct Channel {
    int iVolume = kMaxVolume;
    int iPan = 128;
  };

  int ChannelCount() const { return static_cast<int>(Channels.size()); }
  bool ValidChannel(int iChannel) const { return bOpen && iChannel >= 0 && iChannel < ChannelCount(); }

  int FreeChannel() const {
    for (int i = 0; i < ChannelCount(); ++i)
      if (AudioChannelBusy(i) == 0) return i;
    return -1;
  }

  bool OwnsSample(const FSOUND_SAMPLE* pSample) const {
    return pSample != nullptr &&
           std::any_of(Samples.begin(), Samples.end(), [&](const auto& pOwned) { return pOwned.get() == pSample; });
  }

  // The panner's -1..1 with 128 as the centre: 0 is full left, 255 full right.
  void ApplyChannel(int iChannel) {
    const Channel& c = Channels[static_cast<size_t>(iChannel)];
    const float fGain = static_cast<float>(c.iVolume * iSfxMasterVolume) / (kMaxVolume * kMaxVolume);
    const float fPan = c.iPan <= 128 ? (c.iPan - 128) / 128.0f : (c.iPan - 128) / 127.0f;
    AudioSetChannel(iChannel, fGain, fPan);
  }

  bool bOutputChosen = false;
  bool bAudible = true;
  bool bOpen = false;
  int iSfxMasterVolume = kMaxVolume;
  std::vector<Channel> Channels;
  std::vector<std::unique_ptr<FSOUND_SAMPLE>> Samples;
};

}  // namespace

FmodBackend& PlatformFmodBackend() {
  static WebAudioBackend* pInstance = new WebAudioBackend();
  return *pInstance;
}

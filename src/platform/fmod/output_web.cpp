// The Web Audio output (the browser).
//
// Output 2 is the page's AudioContext; there is no second output (1 has no
// device); output 0 plays voices with nothing connected to the speakers, so a
// silent run does the same work and keeps the same timing. Each playing voice
// is a buffer source made from the core's PCM, split into its two sides, each
// through a gain node (MP3 decodes in the same context: codec_web.cpp).
// Browsers start audio only after a user gesture: the context is made
// suspended and the page resumes it with the start gesture, so music started
// before that begins with the gesture.
// The context is asked for a deep output (200 ms; Chromium gives at most
// 8192 frames): with the default's few milliseconds the browser's output
// broke dozens of times over a busy machine's run. The page starts the
// demo's clock when the music's start is heard, so the depth costs no sync.
#include <emscripten.h>

#include <vector>

#include "fmod.h"
#include "sound_output.h"

EM_JS(int, AudioCreateContext, (), {
  const Context = window.AudioContext || window.webkitAudioContext;
  if (!Context) return 0;
  Module.audio = { context: new Context({ latencyHint: 0.2 }), decoded: null, voices: [] };
  if (Module.page) Module.page.audioContextMade(Module.audio.context);
  return 1;
});

EM_JS(void, AudioCloseContext, (), {
  if (!Module.audio) return;
  for (const voice of Module.audio.voices) if (voice && !voice.ended) voice.source.stop();
  Module.audio.context.close();
  Module.audio = undefined;
});

EM_JS(int, AudioVoiceBusy, (int iVoice), {
  const voice = Module.audio.voices[iVoice];
  return voice && !voice.ended ? 1 : 0;
});

EM_JS(void, AudioStop, (int iVoice), {
  const voice = Module.audio.voices[iVoice];
  if (voice && !voice.ended) voice.source.stop();
});

EM_JS(void, AudioSetGains, (int iVoice, float fLeft, float fRight), {
  const voice = Module.audio.voices[iVoice];
  if (!voice) return;
  voice.left.gain.value = fLeft;
  voice.right.gain.value = fRight;
});

EM_JS(void, AudioStart,
      (int iVoice, const short* pSamples, int iFrames, int iChannels, int iRate, int bAudible, float fLeft,
       float fRight), {
  const audio = Module.audio;
  const context = audio.context;
  const old = audio.voices[iVoice];
  if (old && !old.ended) old.source.stop();
  const buffer = context.createBuffer(2, iFrames, iRate);
  for (let c = 0; c < 2; ++c) {
    const side = buffer.getChannelData(c);
    const from = Math.min(c, iChannels - 1);
    for (let i = 0; i < iFrames; ++i) side[i] = HEAP16[(pSamples >> 1) + i * iChannels + from] / 32768;
  }
  const source = context.createBufferSource();
  source.buffer = buffer;
  const splitter = context.createChannelSplitter(2);
  const merger = context.createChannelMerger(2);
  const left = context.createGain();
  const right = context.createGain();
  source.connect(splitter);
  splitter.connect(left, 0);
  splitter.connect(right, 1);
  left.connect(merger, 0, 0);
  right.connect(merger, 0, 1);
  if (bAudible) merger.connect(context.destination);
  const voice = { source, left, right, ended: false };
  source.onended = () => { voice.ended = true; };
  audio.voices[iVoice] = voice;
  left.gain.value = fLeft;
  right.gain.value = fRight;
  source.start();
});

namespace {

class WebAudioOutput final : public SoundOutput {
 public:
  int Select(int iOutputType) override {
    bAudible = iOutputType == FSOUND_OUTPUT_DSOUND;
    return iOutputType == FSOUND_OUTPUT_DSOUND || iOutputType == FSOUND_OUTPUT_NOSOUND ? 1 : 0;
  }

  bool Open(int, int, int iVoices) override {
    if (bOpen || AudioCreateContext() == 0) return false;
    Voices.assign(static_cast<size_t>(iVoices), nullptr);
    bOpen = true;
    return true;
  }

  void Close() override {
    if (bOpen) AudioCloseContext();
    Voices.clear();
    bOpen = false;
  }

  void Start(int iVoice, const PcmSound& Sound, float fLeft, float fRight) override {
    Voices[static_cast<size_t>(iVoice)] = &Sound;
    AudioStart(iVoice, Sound.Samples.data(), static_cast<int>(Sound.FrameCount()), Sound.iChannels, Sound.iRate,
               bAudible ? 1 : 0, fLeft, fRight);
  }

  void Stop(const PcmSound& Sound) override {
    for (size_t i = 0; i < Voices.size(); ++i)
      if (Voices[i] == &Sound) AudioStop(static_cast<int>(i));
  }

  bool Playing(int iVoice) override { return AudioVoiceBusy(iVoice) != 0; }
  void SetGains(int iVoice, float fLeft, float fRight) override { AudioSetGains(iVoice, fLeft, fRight); }

 private:
  bool bAudible = true;
  bool bOpen = false;
  std::vector<const PcmSound*> Voices;  // what each voice was last given
};

}  // namespace

SoundOutput& PlatformSoundOutput() {
  static WebAudioOutput* pOutput = new WebAudioOutput();
  return *pOutput;
}

#include "mixer.h"

#include <algorithm>
#include <cstdint>

void Mixer::Reset(int iNewRate, int iVoices) {
  std::lock_guard Guard(Lock);
  iRate = iNewRate;
  Voices.assign(static_cast<size_t>(std::max(iVoices, 0)), Voice{});
}

void Mixer::Start(int iVoice, const PcmSound& Sound, float fLeft, float fRight) {
  std::lock_guard Guard(Lock);
  if (Valid(iVoice)) Voices[static_cast<size_t>(iVoice)] = Voice{&Sound, 0.0, fLeft, fRight};
}

void Mixer::Stop(const PcmSound& Sound) {
  std::lock_guard Guard(Lock);
  for (Voice& voice : Voices)
    if (voice.pSound == &Sound) voice.pSound = nullptr;
}

bool Mixer::Playing(int iVoice) {
  std::lock_guard Guard(Lock);
  return Valid(iVoice) && Voices[static_cast<size_t>(iVoice)].pSound != nullptr;
}

bool Mixer::Sounding() {
  std::lock_guard Guard(Lock);
  for (const Voice& voice : Voices)
    if (voice.pSound != nullptr) return true;
  return false;
}

void Mixer::SetGains(int iVoice, float fLeft, float fRight) {
  std::lock_guard Guard(Lock);
  if (!Valid(iVoice)) return;
  Voices[static_cast<size_t>(iVoice)].fLeft = fLeft;
  Voices[static_cast<size_t>(iVoice)].fRight = fRight;
}

int Mixer::MixInto(int16_t* pStereo, int iFrames) {
  std::lock_guard Guard(Lock);
  Sum.assign(static_cast<size_t>(iFrames) * 2, 0.0f);
  int iSounded = 0;
  for (Voice& voice : Voices) {
    const PcmSound* pSound = voice.pSound;
    if (pSound == nullptr) continue;
    const double fStep = static_cast<double>(pSound->iRate) / iRate;
    const size_t iLength = pSound->FrameCount();
    const size_t iReady = pSound->FramesReady();
    const size_t iStride = static_cast<size_t>(pSound->iChannels);
    for (int i = 0; i < iFrames; ++i) {
      const size_t iFrame = static_cast<size_t>(voice.fPosition);
      if (iFrame >= iLength) {
        voice.pSound = nullptr;
        break;
      }
      if (iFrame >= iReady) break;  // the decoder is behind: the voice waits for it
      iSounded = std::max(iSounded, i + 1);
      const int16_t* pFrame = pSound->Samples.data() + iFrame * iStride;
      Sum[2 * i] += pFrame[0] * voice.fLeft;
      Sum[2 * i + 1] += pFrame[iStride - 1] * voice.fRight;
      voice.fPosition += fStep;
    }
  }
  for (size_t i = 0; i < Sum.size(); ++i)
    pStereo[i] = static_cast<int16_t>(std::clamp(pStereo[i] + Sum[i], -32768.0f, 32767.0f));
  return iSounded;
}

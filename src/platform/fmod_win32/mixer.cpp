#include "mixer.h"

#include <algorithm>
#include <cstdint>

namespace {
constexpr int kMaxVolume = 255;
int Clamp255(int iValue) { return std::clamp(iValue, 0, kMaxVolume); }
}  // namespace

int PanLeft(int iPan) {
  const int iClamped = Clamp255(iPan);
  return iClamped <= 128 ? 255 : 255 * (255 - iClamped) / 127;
}

int PanRight(int iPan) {
  const int iClamped = Clamp255(iPan);
  return iClamped >= 128 ? 255 : 255 * iClamped / 128;
}

void Mixer::Reset(int iNewRate, int iChannels) {
  std::lock_guard Guard(Lock);
  iRate = iNewRate;
  Channels.assign(static_cast<size_t>(std::max(iChannels, 0)), Channel{});
}

int Mixer::ChannelCount() {
  std::lock_guard Guard(Lock);
  return static_cast<int>(Channels.size());
}

bool Mixer::Playing(int iChannel) {
  std::lock_guard Guard(Lock);
  return iChannel >= 0 && iChannel < static_cast<int>(Channels.size()) &&
         Channels[static_cast<size_t>(iChannel)].pSound != nullptr;
}

void Mixer::Play(int iChannel, const PcmSound* pSound) {
  std::lock_guard Guard(Lock);
  if (iChannel < 0 || iChannel >= static_cast<int>(Channels.size())) return;
  Channels[static_cast<size_t>(iChannel)] = Channel{pSound, 0.0, kMaxVolume, 128};
}

void Mixer::StopSound(const PcmSound* pSound) {
  std::lock_guard Guard(Lock);
  for (Channel& channel : Channels)
    if (channel.pSound == pSound) channel.pSound = nullptr;
}

bool Mixer::SetVolume(int iChannel, int iVolume) {
  std::lock_guard Guard(Lock);
  if (iChannel < 0 || iChannel >= static_cast<int>(Channels.size())) return false;
  Channels[static_cast<size_t>(iChannel)].iVolume = Clamp255(iVolume);
  return true;
}

bool Mixer::SetPan(int iChannel, int iPan) {
  std::lock_guard Guard(Lock);
  if (iChannel < 0 || iChannel >= static_cast<int>(Channels.size())) return false;
  Channels[static_cast<size_t>(iChannel)].iPan = Clamp255(iPan);
  return true;
}

void Mixer::SetMasterVolume(int iVolume) {
  std::lock_guard Guard(Lock);
  iMasterVolume = Clamp255(iVolume);
}

void Mixer::Mix(int16_t* pStereo, int iFrames) {
  std::vector<int32_t> Sum(static_cast<size_t>(iFrames) * 2, 0);
  {
    std::lock_guard Guard(Lock);
    for (Channel& channel : Channels) {
      const PcmSound* pSound = channel.pSound;
      if (pSound == nullptr) continue;
      // Gains in 1/(255*255*255) steps: volume, master volume, pan side.
      const int64_t iScale = int64_t(channel.iVolume) * iMasterVolume;
      const int64_t iLeft = iScale * PanLeft(channel.iPan), iRight = iScale * PanRight(channel.iPan);
      const double fStep = static_cast<double>(pSound->iRate) / iRate;
      const size_t iLength = pSound->FrameCount();
      const bool bStereo = pSound->iChannels == 2;
      for (int i = 0; i < iFrames; ++i) {
        const size_t iFrame = static_cast<size_t>(channel.fPosition);
        if (iFrame >= iLength) {
          channel.pSound = nullptr;
          break;
        }
        const int16_t* pFrame = pSound->Samples.data() + iFrame * static_cast<size_t>(pSound->iChannels);
        const int64_t iL = pFrame[0], iR = bStereo ? pFrame[1] : pFrame[0];
        Sum[2 * i] += static_cast<int32_t>(iL * iLeft / (255 * 255 * 255));
        Sum[2 * i + 1] += static_cast<int32_t>(iR * iRight / (255 * 255 * 255));
        channel.fPosition += fStep;
      }
    }
  }
  for (size_t i = 0; i < Sum.size(); ++i) pStereo[i] = static_cast<int16_t>(std::clamp(Sum[i], -32768, 32767));
}

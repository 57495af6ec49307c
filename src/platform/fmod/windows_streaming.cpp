// The streams of the Windows output: DirectSound and waveOut, each filled by
// a thread of its own from the core's mixer.
#include "windows_streaming.h"

#include <dsound.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

WAVEFORMATEX PcmFormat(int iRate, int iChannels) {
  WAVEFORMATEX Format{};
  Format.wFormatTag = WAVE_FORMAT_PCM;
  Format.nChannels = static_cast<WORD>(iChannels);
  Format.nSamplesPerSec = static_cast<DWORD>(iRate);
  Format.wBitsPerSample = 16;
  Format.nBlockAlign = static_cast<WORD>(2 * iChannels);
  Format.nAvgBytesPerSec = Format.nSamplesPerSec * Format.nBlockAlign;
  return Format;
}

namespace {

constexpr int kFramesAhead = 4096;  // about 93 ms at 44100 Hz queued ahead of the play position

// ---- DirectSound -------------------------------------------------------------
// A looping secondary buffer four times the lead; a thread of its own keeps
// it filled ahead of the device.
class DirectSoundOutput final : public SoundStream {
 public:
  static constexpr DWORD kAheadBytes = 2 * kFramesAhead * 4;  // about 190 ms at 44100 Hz

  static std::unique_ptr<SoundStream> Open(int iRate, PcmSource& Source) {
    IDirectSound* pSound = nullptr;
    if (FAILED(DirectSoundCreate(nullptr, &pSound, nullptr)) || pSound == nullptr) return nullptr;
    HWND hWindow = GetForegroundWindow();
    if (hWindow == nullptr) hWindow = GetDesktopWindow();
    WAVEFORMATEX Format = PcmFormat(iRate, 2);
    DSBUFFERDESC Desc{};
    Desc.dwSize = sizeof(Desc);
    Desc.dwFlags = DSBCAPS_GETCURRENTPOSITION2 | DSBCAPS_GLOBALFOCUS;
    Desc.dwBufferBytes = 4 * kAheadBytes;
    Desc.lpwfxFormat = &Format;
    IDirectSoundBuffer* pBuffer = nullptr;
    if (FAILED(pSound->SetCooperativeLevel(hWindow, DSSCL_PRIORITY)) ||
        FAILED(pSound->CreateSoundBuffer(&Desc, &pBuffer, nullptr)) || pBuffer == nullptr) {
      pSound->Release();
      return nullptr;
    }
    return std::unique_ptr<SoundStream>(new DirectSoundOutput(pSound, pBuffer, Desc.dwBufferBytes, Source));
  }

  ~DirectSoundOutput() override {
    bStop = true;
    Thread.join();
    pBuffer->Stop();
    pBuffer->Release();
    pSound->Release();
  }

 private:
  DirectSoundOutput(IDirectSound* pSound, IDirectSoundBuffer* pBuffer, DWORD iBytes, PcmSource& Source)
      : pSound(pSound), pBuffer(pBuffer), iBufferBytes(iBytes), Thread([this, &Source] { Run(Source); }) {}

  // Keeps kAheadBytes written past the device's write cursor, the first byte
  // the device has not yet taken (Wine's, for one, has mixed up to there, not
  // only to the play cursor). Our write position is never further ahead than
  // that; when it seems to be, the device has passed it (this thread was held
  // up for longer than the lead) and writing goes on at the write cursor,
  // instead of waiting a lap of the buffer while the device plays old data.
  // The thread runs above normal priority, as a system's audio threads do.
  void Run(PcmSource& Source) {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    DWORD iWriteAt = 0;  // next byte we write
    Fill(Source, iWriteAt, kAheadBytes);
    pBuffer->Play(0, 0, DSBPLAY_LOOPING);
    while (!bStop) {
      Sleep(10);
      DWORD iPlay = 0, iWrite = 0;
      if (FAILED(pBuffer->GetCurrentPosition(&iPlay, &iWrite))) continue;
      DWORD iAhead = (iWriteAt + iBufferBytes - iWrite) % iBufferBytes;
      if (iAhead > kAheadBytes) {
        iWriteAt = iWrite;
        iAhead = 0;
      }
      if (iAhead < kAheadBytes) Fill(Source, iWriteAt, kAheadBytes - iAhead);
    }
  }

  void Fill(PcmSource& Source, DWORD& iWriteAt, DWORD iBytes) {
    iBytes -= iBytes % 4;
    void* pFirst = nullptr;
    void* pSecond = nullptr;
    DWORD iFirst = 0, iSecond = 0;
    HRESULT hr = pBuffer->Lock(iWriteAt, iBytes, &pFirst, &iFirst, &pSecond, &iSecond, 0);
    if (hr == DSERR_BUFFERLOST) {
      pBuffer->Restore();
      hr = pBuffer->Lock(iWriteAt, iBytes, &pFirst, &iFirst, &pSecond, &iSecond, 0);
    }
    if (FAILED(hr)) return;
    if (pFirst != nullptr) Source.Mix(static_cast<int16_t*>(pFirst), static_cast<int>(iFirst / 4));
    if (pSecond != nullptr) Source.Mix(static_cast<int16_t*>(pSecond), static_cast<int>(iSecond / 4));
    pBuffer->Unlock(pFirst, iFirst, pSecond, iSecond);
    iWriteAt = (iWriteAt + iFirst + iSecond) % iBufferBytes;
  }

  IDirectSound* pSound;
  IDirectSoundBuffer* pBuffer;
  DWORD iBufferBytes;
  std::atomic<bool> bStop{false};
  std::thread Thread;
};

// ---- waveOut -----------------------------------------------------------------
// Four blocks in the device's queue; the device signals an event as each one
// is played and the thread refills it.
class WaveOutOutput final : public SoundStream {
 public:
  static std::unique_ptr<SoundStream> Open(int iDriver, int iRate, PcmSource& Source) {
    HANDLE hEvent = CreateEventA(nullptr, FALSE, FALSE, nullptr);
    if (hEvent == nullptr) return nullptr;
    WAVEFORMATEX Format = PcmFormat(iRate, 2);
    HWAVEOUT hWave = nullptr;
    const UINT iDevice = iDriver == 0 ? WAVE_MAPPER : static_cast<UINT>(iDriver - 1);
    if (waveOutOpen(&hWave, iDevice, &Format, reinterpret_cast<DWORD_PTR>(hEvent), 0, CALLBACK_EVENT) !=
        MMSYSERR_NOERROR) {
      CloseHandle(hEvent);
      return nullptr;
    }
    return std::unique_ptr<SoundStream>(new WaveOutOutput(hWave, hEvent, Source));
  }

  ~WaveOutOutput() override {
    bStop = true;
    SetEvent(hEvent);
    Thread.join();
    waveOutReset(hWave);
    for (Block& block : Blocks) waveOutUnprepareHeader(hWave, &block.Header, sizeof(WAVEHDR));
    waveOutClose(hWave);
    CloseHandle(hEvent);
  }

 private:
  static constexpr int kBlocks = 4;
  static constexpr int kBlockFrames = kFramesAhead / 2;
  struct Block {
    WAVEHDR Header{};
    std::vector<int16_t> Samples = std::vector<int16_t>(kBlockFrames * 2);
  };

  WaveOutOutput(HWAVEOUT hWave, HANDLE hEvent, PcmSource& Source)
      : hWave(hWave), hEvent(hEvent), Blocks(kBlocks), Thread([this, &Source] { Run(Source); }) {}

  void Run(PcmSource& Source) {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST);
    for (Block& block : Blocks) {
      block.Header.lpData = reinterpret_cast<LPSTR>(block.Samples.data());
      block.Header.dwBufferLength = static_cast<DWORD>(block.Samples.size() * sizeof(int16_t));
      waveOutPrepareHeader(hWave, &block.Header, sizeof(WAVEHDR));
      Queue(Source, block);
    }
    while (!bStop) {
      WaitForSingleObject(hEvent, 100);
      for (Block& block : Blocks)
        if (!bStop && (block.Header.dwFlags & WHDR_DONE) != 0) Queue(Source, block);
    }
  }

  void Queue(PcmSource& Source, Block& block) {
    Source.Mix(block.Samples.data(), kBlockFrames);
    block.Header.dwFlags &= ~WHDR_DONE;
    waveOutWrite(hWave, &block.Header, sizeof(WAVEHDR));
  }

  HWAVEOUT hWave;
  HANDLE hEvent;
  std::vector<Block> Blocks;
  std::atomic<bool> bStop{false};
  std::thread Thread;
};

}  // namespace

std::unique_ptr<SoundStream> OpenDirectSoundStream(int iRate, PcmSource& Source) {
  return DirectSoundOutput::Open(iRate, Source);
}

std::unique_ptr<SoundStream> OpenWaveOutStream(int iDriver, int iRate, PcmSource& Source) {
  return WaveOutOutput::Open(iDriver, iRate, Source);
}

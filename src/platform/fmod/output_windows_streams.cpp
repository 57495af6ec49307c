// The streams of the Windows output: DirectSound and waveOut, each filled by
// a thread of its own from the core's mixer.
#include "output_windows_streams.h"

#include <dsound.h>

#include <algorithm>
#include <atomic>
#include <functional>
#include <mutex>
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
class DirectSoundStream final : public DeviceStream {
 public:
  static constexpr DWORD kAheadBytes = 2 * kFramesAhead * 4;  // about 190 ms at 44100 Hz

  static std::unique_ptr<DeviceStream> Open(int iRate, PcmSource& Source) {
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
    return std::unique_ptr<DeviceStream>(new DirectSoundStream(pSound, pBuffer, Desc.dwBufferBytes, Source));
  }

  ~DirectSoundStream() override {
    bStop = true;
    Thread.join();
    pBuffer->Stop();
    pBuffer->Release();
    pSound->Release();
  }

  // What lies past the write cursor is the device's to take but not yet
  // taken: silence queued there is replaced by the new mix, from where the
  // queued sound (if any) ends.
  void Restart(const std::function<void()>& StartVoice) override {
    std::lock_guard Guard(Lock);
    StartVoice();
    DWORD iPlay = 0, iWrite = 0;
    if (FAILED(pBuffer->GetCurrentPosition(&iPlay, &iWrite))) return;
    const bool bSoundQueued = bSoundWritten && Ahead(iSoundUntil, iWrite) < Ahead(iWriteAt, iWrite);
    iWriteAt = bSoundQueued ? iSoundUntil : iWrite;
    Fill(kAheadBytes - Ahead(iWriteAt, iWrite));
  }

 private:
  DirectSoundStream(IDirectSound* pSound, IDirectSoundBuffer* pBuffer, DWORD iBytes, PcmSource& Source)
      : pSound(pSound), pBuffer(pBuffer), iBufferBytes(iBytes), Source(Source), Thread([this] { Run(); }) {}

  DWORD Ahead(DWORD iAt, DWORD iWrite) const { return (iAt + iBufferBytes - iWrite) % iBufferBytes; }

  // Keeps kAheadBytes written past the device's write cursor, the first byte
  // the device has not yet taken (Wine's, for one, has mixed up to there, not
  // only to the play cursor). Our write position is never further ahead than
  // that; when it seems to be, the device has passed it (this thread was held
  // up for longer than the lead) and writing goes on at the write cursor,
  // instead of waiting a lap of the buffer while the device plays old data.
  // The thread runs at the priority of a system's audio threads.
  void Run() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    {
      std::lock_guard Guard(Lock);
      Fill(kAheadBytes);
      pBuffer->Play(0, 0, DSBPLAY_LOOPING);
    }
    while (!bStop) {
      Sleep(10);
      std::lock_guard Guard(Lock);
      DWORD iPlay = 0, iWrite = 0;
      if (FAILED(pBuffer->GetCurrentPosition(&iPlay, &iWrite))) continue;
      DWORD iAhead = Ahead(iWriteAt, iWrite);
      if (iAhead > kAheadBytes) {
        iWriteAt = iWrite;
        iAhead = 0;
      }
      if (iAhead < kAheadBytes) Fill(kAheadBytes - iAhead);
    }
  }

  // Writes iBytes of the mix at iWriteAt; called with Lock held.
  void Fill(DWORD iBytes) {
    iBytes -= iBytes % 4;
    if (iBytes == 0) return;
    void* pFirst = nullptr;
    void* pSecond = nullptr;
    DWORD iFirst = 0, iSecond = 0;
    HRESULT hr = pBuffer->Lock(iWriteAt, iBytes, &pFirst, &iFirst, &pSecond, &iSecond, 0);
    if (hr == DSERR_BUFFERLOST) {
      pBuffer->Restore();
      hr = pBuffer->Lock(iWriteAt, iBytes, &pFirst, &iFirst, &pSecond, &iSecond, 0);
    }
    if (FAILED(hr)) return;
    MixAt(pFirst, iFirst, iWriteAt);
    MixAt(pSecond, iSecond, 0);
    pBuffer->Unlock(pFirst, iFirst, pSecond, iSecond);
    iWriteAt = (iWriteAt + iFirst + iSecond) % iBufferBytes;
  }

  void MixAt(void* pPart, DWORD iBytes, DWORD iAt) {
    if (pPart == nullptr) return;
    const int iSounded = Source.Mix(static_cast<int16_t*>(pPart), static_cast<int>(iBytes / 4));
    if (iSounded == 0) return;
    iSoundUntil = (iAt + static_cast<DWORD>(iSounded) * 4) % iBufferBytes;
    bSoundWritten = true;
  }

  IDirectSound* pSound;
  IDirectSoundBuffer* pBuffer;
  DWORD iBufferBytes;
  PcmSource& Source;
  std::mutex Lock;         // the buffer's writing, between the thread and Restart
  DWORD iWriteAt = 0;      // next byte we write
  DWORD iSoundUntil = 0;   // where the last sound written ends
  bool bSoundWritten = false;
  std::atomic<bool> bStop{false};
  std::thread Thread;
};

// ---- waveOut -----------------------------------------------------------------
// Four blocks in the device's queue; the device signals an event as each one
// is played and the thread refills it, in the order they play. A restart takes
// every block back from the device (waveOutReset) and queues them anew from
// the new mix.
class WaveOutStream final : public DeviceStream {
 public:
  static std::unique_ptr<DeviceStream> Open(int iDriver, int iRate, PcmSource& Source) {
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
    return std::unique_ptr<DeviceStream>(new WaveOutStream(hWave, hEvent, Source));
  }

  ~WaveOutStream() override {
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
    bool bSounds = false;  // the mix written into it sounded
  };

  WaveOutStream(HWAVEOUT hWave, HANDLE hEvent, PcmSource& Source)
      : hWave(hWave), hEvent(hEvent), Source(Source), Blocks(kBlocks), Thread([this] { Run(); }) {}

  // Only when every queued block is silent: the device gives them all back
  // (waveOutReset marks them done) and they are queued anew from the new mix.
  void Restart(const std::function<void()>& StartVoice) override {
    std::lock_guard Guard(Lock);
    StartVoice();
    for (const Block& block : Blocks)
      if (block.bSounds && (block.Header.dwFlags & WHDR_DONE) == 0) return;
    waveOutReset(hWave);
    QueueDone();
  }

  void Run() {
    SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL);
    {
      std::lock_guard Guard(Lock);
      for (Block& block : Blocks) {
        block.Header.lpData = reinterpret_cast<LPSTR>(block.Samples.data());
        block.Header.dwBufferLength = static_cast<DWORD>(block.Samples.size() * sizeof(int16_t));
        waveOutPrepareHeader(hWave, &block.Header, sizeof(WAVEHDR));
        block.Header.dwFlags |= WHDR_DONE;
      }
      QueueDone();
    }
    while (!bStop) {
      WaitForSingleObject(hEvent, 100);
      std::lock_guard Guard(Lock);
      QueueDone();
    }
  }

  // Refills the blocks the device is done with, in the order they play;
  // called with Lock held.
  void QueueDone() {
    while (!bStop && (Blocks[iNext].Header.dwFlags & WHDR_DONE) != 0) {
      Block& block = Blocks[iNext];
      block.bSounds = Source.Mix(block.Samples.data(), kBlockFrames) > 0;
      block.Header.dwFlags &= ~WHDR_DONE;
      waveOutWrite(hWave, &block.Header, sizeof(WAVEHDR));
      iNext = (iNext + 1) % Blocks.size();
    }
  }

  HWAVEOUT hWave;
  HANDLE hEvent;
  PcmSource& Source;
  std::mutex Lock;  // the blocks, between the thread and Restart
  std::vector<Block> Blocks;
  size_t iNext = 0;  // the block that plays first of those queued
  std::atomic<bool> bStop{false};
  std::thread Thread;
};

}  // namespace

std::unique_ptr<DeviceStream> OpenDirectSoundStream(int iRate, PcmSource& Source) {
  return DirectSoundStream::Open(iRate, Source);
}

std::unique_ptr<DeviceStream> OpenWaveOutStream(int iDriver, int iRate, PcmSource& Source) {
  return WaveOutStream::Open(iDriver, iRate, Source);
}

// The system side on Windows: DirectSound and waveOut outputs, each filled by
// a thread of its own, and MP3 decoding through the Audio Compression Manager.
#include "sound_layer.h"

#include "win32.h"

#include <dsound.h>
#include <mmreg.h>
#include <msacm.h>

#include <algorithm>
#include <atomic>
#include <thread>
#include <vector>

#include "fmod.h"
#include "sound_files.h"

namespace {

constexpr int kFramesAhead = 4096;  // about 93 ms at 44100 Hz queued ahead of the play position

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

// ---- DirectSound -------------------------------------------------------------
// A looping secondary buffer four times the lead; a thread of its own keeps
// it filled ahead of the device.
class DirectSoundOutput final : public SoundOutput {
 public:
  static constexpr DWORD kAheadBytes = 2 * kFramesAhead * 4;  // about 190 ms at 44100 Hz

  static std::unique_ptr<SoundOutput> Open(int iRate, PcmSource& Source) {
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
    return std::unique_ptr<SoundOutput>(new DirectSoundOutput(pSound, pBuffer, Desc.dwBufferBytes, Source));
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
class WaveOutOutput final : public SoundOutput {
 public:
  static std::unique_ptr<SoundOutput> Open(int iDriver, int iRate, PcmSource& Source) {
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
    return std::unique_ptr<SoundOutput>(new WaveOutOutput(hWave, hEvent, Source));
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

// ---- MP3 through the Audio Compression Manager --------------------------------
// The stream is fed in pieces; each conversion returns what the codec has
// decoded so far, and a last call with the END flag drains it.
bool DecodeMp3WithAcm(const unsigned char* pData, size_t iSize, PcmSound& Pcm) {
  Mp3Format Frame;
  if (!FindMp3Format(pData, iSize, Frame)) return false;
  MPEGLAYER3WAVEFORMAT Source{};
  Source.wfx.wFormatTag = WAVE_FORMAT_MPEGLAYER3;
  Source.wfx.nChannels = static_cast<WORD>(Frame.iChannels);
  Source.wfx.nSamplesPerSec = static_cast<DWORD>(Frame.iRate);
  Source.wfx.nAvgBytesPerSec = static_cast<DWORD>(Frame.iBitRate / 8);
  Source.wfx.nBlockAlign = 1;
  Source.wfx.wBitsPerSample = 0;
  Source.wfx.cbSize = MPEGLAYER3_WFX_EXTRA_BYTES;
  Source.wID = MPEGLAYER3_ID_MPEG;
  Source.fdwFlags = MPEGLAYER3_FLAG_PADDING_ISO;
  Source.nBlockSize = static_cast<WORD>(Frame.iFrameBytes);
  Source.nFramesPerBlock = 1;
  Source.nCodecDelay = 0;
  WAVEFORMATEX Target = PcmFormat(Frame.iRate, Frame.iChannels);

  HACMSTREAM hStream = nullptr;
  if (acmStreamOpen(&hStream, nullptr, &Source.wfx, &Target, nullptr, 0, 0, ACM_STREAMOPENF_NONREALTIME) != 0) {
    return false;
  }
  constexpr DWORD kPieceBytes = 16 * 1024;
  // Far more than any bit rate decodes one piece to (8 kbit/s mono at 48 kHz: 96 times).
  constexpr DWORD kOutputBytes = kPieceBytes * 128;
  std::vector<BYTE> Input(kPieceBytes), Output(kOutputBytes);
  ACMSTREAMHEADER Header{};
  Header.cbStruct = sizeof(Header);
  Header.pbSrc = Input.data();
  Header.cbSrcLength = kPieceBytes;
  Header.pbDst = Output.data();
  Header.cbDstLength = kOutputBytes;
  bool bOk = acmStreamPrepareHeader(hStream, &Header, 0) == 0;
  std::vector<BYTE> Decoded;
  size_t iAt = 0;
  DWORD iFlags = ACM_STREAMCONVERTF_START;
  for (bool bLast = false; bOk && !bLast;) {
    const DWORD iPiece = static_cast<DWORD>(std::min<size_t>(kPieceBytes, iSize - iAt));
    std::copy(pData + iAt, pData + iAt + iPiece, Input.begin());
    bLast = iAt + iPiece >= iSize;
    Header.cbSrcLength = iPiece;
    Header.cbDstLength = kOutputBytes;
    bOk = acmStreamConvert(hStream, &Header, iFlags | (bLast ? ACM_STREAMCONVERTF_END : 0)) == 0;
    iFlags = 0;
    if (!bOk) break;
    Decoded.insert(Decoded.end(), Output.begin(), Output.begin() + Header.cbDstLengthUsed);
    // The codec may keep back a partial frame; feed it again with the next piece.
    iAt += Header.cbSrcLengthUsed > 0 ? Header.cbSrcLengthUsed : iPiece;
    if (bLast && Header.cbSrcLengthUsed < iPiece && Header.cbSrcLengthUsed > 0) bLast = false;
  }
  // Whatever the codec still holds after the END call.
  while (bOk) {
    Header.cbSrcLength = 0;
    Header.cbDstLength = kOutputBytes;
    if (acmStreamConvert(hStream, &Header, ACM_STREAMCONVERTF_END) != 0 || Header.cbDstLengthUsed == 0) break;
    Decoded.insert(Decoded.end(), Output.begin(), Output.begin() + Header.cbDstLengthUsed);
  }
  Header.cbSrcLength = kPieceBytes;
  Header.cbDstLength = kOutputBytes;
  acmStreamUnprepareHeader(hStream, &Header, 0);
  acmStreamClose(hStream, 0);
  if (!bOk || Decoded.size() < 2) return false;
  Pcm.iRate = Frame.iRate;
  Pcm.iChannels = Frame.iChannels;
  Pcm.Samples.resize(Decoded.size() / 2);
  std::copy(Decoded.begin(), Decoded.begin() + Pcm.Samples.size() * 2, reinterpret_cast<BYTE*>(Pcm.Samples.data()));
  return true;
}

class WindowsSoundLayer final : public SoundLayer {
 public:
  int DriverCount(int iOutputType) override {
    // Device 0 is the system's default; waveOut's devices follow it.
    if (iOutputType == FSOUND_OUTPUT_WINMM) return 1 + static_cast<int>(waveOutGetNumDevs());
    return iOutputType == FSOUND_OUTPUT_DSOUND ? 1 : 0;
  }

  std::unique_ptr<SoundOutput> Open(int iOutputType, int iDriver, int iRate, PcmSource& Source) override {
    if (iOutputType == FSOUND_OUTPUT_DSOUND) return DirectSoundOutput::Open(iRate, Source);
    if (iOutputType == FSOUND_OUTPUT_WINMM) return WaveOutOutput::Open(iDriver, iRate, Source);
    return nullptr;
  }

  bool DecodeMp3(const unsigned char* pData, size_t iSize, PcmSound& Pcm) override {
    return DecodeMp3WithAcm(pData, iSize, Pcm);
  }
};

}  // namespace

SoundLayer& SystemSoundLayer() {
  static WindowsSoundLayer Layer;
  return Layer;
}

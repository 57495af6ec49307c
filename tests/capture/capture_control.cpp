// The smallest player of the decoded music, for measuring what the system's
// own start-up loses: the whole sound in one DirectSound buffer, or in one
// waveOut block, started at once and left to play.
//   capture_control dsound|waveout MUSIC.wav SECONDS
// MUSIC.wav: 16-bit stereo PCM (the capture tests' independent decode).
// Exit 0 after SECONDS of playing, 1 when the output does not open. The moment
// its output starts is written as a line "0" to VIMRA_FRAME_LOG, where the
// demo writes its frames: the harness waits on it as on a first frame.
#include <windows.h>

#include <dsound.h>
#include <mmsystem.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

void ReportStart() {
  const char* pszLog = std::getenv("VIMRA_FRAME_LOG");
  if (pszLog == nullptr || *pszLog == '\0') return;
  if (std::FILE* pLog = std::fopen(pszLog, "wb")) {
    std::fputs("0\n", pLog);
    std::fclose(pLog);
  }
}

// The samples of a 16-bit stereo PCM file and its rate; empty when it is not one.
std::vector<char> ReadPcm(const char* pszPath, DWORD& dwRate) {
  std::ifstream File(pszPath, std::ios::binary);
  const std::vector<char> Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  for (size_t iAt = 12; iAt + 8 <= Bytes.size();) {
    DWORD dwSize = 0;
    std::memcpy(&dwSize, &Bytes[iAt + 4], 4);
    if (std::memcmp(&Bytes[iAt], "fmt ", 4) == 0 && dwSize >= 16) std::memcpy(&dwRate, &Bytes[iAt + 12], 4);
    if (std::memcmp(&Bytes[iAt], "data", 4) == 0) {
      const size_t iEnd = std::min<size_t>(Bytes.size(), iAt + 8 + dwSize);
      return std::vector<char>(Bytes.begin() + static_cast<long>(iAt) + 8, Bytes.begin() + static_cast<long>(iEnd));
    }
    iAt += 8 + dwSize + (dwSize & 1);
  }
  return {};
}

bool PlayDirectSound(std::vector<char>& Pcm, WAVEFORMATEX& Format, DWORD dwMilliseconds) {
  IDirectSound* pSound = nullptr;
  if (FAILED(DirectSoundCreate(nullptr, &pSound, nullptr)) ||
      FAILED(pSound->SetCooperativeLevel(GetDesktopWindow(), DSSCL_PRIORITY)))
    return false;
  DSBUFFERDESC Desc{};
  Desc.dwSize = sizeof(Desc);
  Desc.dwFlags = DSBCAPS_GLOBALFOCUS | DSBCAPS_GETCURRENTPOSITION2;
  Desc.dwBufferBytes = static_cast<DWORD>(Pcm.size());
  Desc.lpwfxFormat = &Format;
  IDirectSoundBuffer* pBuffer = nullptr;
  void* pData = nullptr;
  DWORD dwBytes = 0;
  if (FAILED(pSound->CreateSoundBuffer(&Desc, &pBuffer, nullptr)) ||
      FAILED(pBuffer->Lock(0, 0, &pData, &dwBytes, nullptr, nullptr, DSBLOCK_ENTIREBUFFER)))
    return false;
  std::memcpy(pData, Pcm.data(), dwBytes);
  pBuffer->Unlock(pData, dwBytes, nullptr, 0);
  ReportStart();
  pBuffer->Play(0, 0, 0);
  Sleep(dwMilliseconds);
  pBuffer->Release();
  pSound->Release();
  return true;
}

bool PlayWaveOut(std::vector<char>& Pcm, WAVEFORMATEX& Format, DWORD dwMilliseconds) {
  HWAVEOUT hWave = nullptr;
  if (waveOutOpen(&hWave, WAVE_MAPPER, &Format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR) return false;
  WAVEHDR Header{};
  Header.lpData = Pcm.data();
  Header.dwBufferLength = static_cast<DWORD>(Pcm.size());
  waveOutPrepareHeader(hWave, &Header, sizeof(Header));
  ReportStart();
  waveOutWrite(hWave, &Header, sizeof(Header));
  Sleep(dwMilliseconds);
  waveOutReset(hWave);
  waveOutUnprepareHeader(hWave, &Header, sizeof(Header));
  waveOutClose(hWave);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 4) {
    std::fprintf(stderr, "usage: capture_control dsound|waveout MUSIC.wav SECONDS\n");
    return 2;
  }
  DWORD dwRate = 0;
  std::vector<char> Pcm = ReadPcm(argv[2], dwRate);
  if (Pcm.empty() || dwRate == 0) {
    std::fprintf(stderr, "capture_control: %s holds no PCM\n", argv[2]);
    return 2;
  }
  WAVEFORMATEX Format{};
  Format.wFormatTag = WAVE_FORMAT_PCM;
  Format.nChannels = 2;
  Format.nSamplesPerSec = dwRate;
  Format.wBitsPerSample = 16;
  Format.nBlockAlign = 4;
  Format.nAvgBytesPerSec = dwRate * 4;
  const DWORD dwMilliseconds = static_cast<DWORD>(std::atof(argv[3]) * 1000);
  const bool bPlayed = std::strcmp(argv[1], "waveout") == 0 ? PlayWaveOut(Pcm, Format, dwMilliseconds)
                                                            : PlayDirectSound(Pcm, Format, dwMilliseconds);
  if (!bPlayed) std::fprintf(stderr, "capture_control: the %s output did not open\n", argv[1]);
  return bPlayed ? 0 : 1;
}

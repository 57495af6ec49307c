// Helpers for tests that play through the real sound backend: files written in
// a private temporary folder, and SDL's "disk" audio driver, which writes the
// mixed output (16-bit stereo, as the backend opens it) to a file in real time.
#pragma once

#include <SDL.h>
#include <stdlib.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "wav_file.h"

class TempFolder {
 public:
  TempFolder() {
    std::string strTemplate = (std::filesystem::temp_directory_path() / "vimra-sound-XXXXXX").string();
    strPath = mkdtemp(strTemplate.data()) != nullptr ? strTemplate : std::string();
  }
  ~TempFolder() {
    std::error_code Ignored;
    std::filesystem::remove_all(strPath, Ignored);
  }
  std::string File(const std::string& strName) const { return strPath + "/" + strName; }

 private:
  std::string strPath;
};

inline void WriteBytes(const std::string& strPath, const std::vector<unsigned char>& Bytes) {
  std::ofstream(strPath, std::ios::binary)
      .write(reinterpret_cast<const char*>(Bytes.data()), static_cast<std::streamsize>(Bytes.size()));
}

// A 16-bit PCM WAV file of one channel holding Samples.
inline void WriteMonoWav(const std::string& strPath, const std::vector<int16_t>& Samples, uint32_t dwRate) {
  WriteBytes(strPath, EncodeWav(1, dwRate, Samples));
}

inline std::vector<int16_t> SquareWave(int iFrames, int16_t iAmplitude) {
  std::vector<int16_t> Samples(static_cast<size_t>(iFrames));
  for (int i = 0; i < iFrames; ++i)
    Samples[static_cast<size_t>(i)] = (i / 20) % 2 == 0 ? iAmplitude : static_cast<int16_t>(-iAmplitude);
  return Samples;
}

// A module of one pattern whose first row starts one square-wave sample (4096
// bytes, full volume) on channel 0; the tag names the format variant and
// iChannels must match it.
inline void WriteModule(const std::string& strPath, const char* pTag = "M.K.", int iChannels = 4) {
  constexpr int kSampleBytes = 4096;
  std::vector<unsigned char> Bytes(20, 0);  // title
  for (int i = 0; i < 31; ++i) {
    std::vector<unsigned char> Header(30, 0);
    if (i == 0) {
      Header[22] = (kSampleBytes / 2) >> 8;  // length in 16-bit words, big-endian
      Header[23] = (kSampleBytes / 2) & 0xFF;
      Header[25] = 64;  // volume
    }
    Header[29] = 1;  // loop length of one word: no loop
    Bytes.insert(Bytes.end(), Header.begin(), Header.end());
  }
  Bytes.push_back(1);    // one position in the order list
  Bytes.push_back(127);  // restart position
  Bytes.resize(Bytes.size() + 128, 0);
  Bytes.insert(Bytes.end(), pTag, pTag + 4);
  std::vector<unsigned char> Pattern(static_cast<size_t>(64 * iChannels * 4), 0);
  Pattern[0] = 0x01;  // sample 1, period 428 (0x1AC)
  Pattern[1] = 0xAC;
  Pattern[2] = 0x10;
  Bytes.insert(Bytes.end(), Pattern.begin(), Pattern.end());
  for (int i = 0; i < kSampleBytes; ++i) Bytes.push_back((i / 16) % 2 == 0 ? 100 : 156);  // +100 / -100 signed
  WriteBytes(strPath, Bytes);
}

// What reached the disk output: the loudest sample on each side, and the
// frames from the first to the last one that is not silent.
struct OutputSummary {
  int iPeakLeft = 0;
  int iPeakRight = 0;
  int iSoundingFrames = 0;
};

inline OutputSummary SummariseOutput(const std::string& strPath) {
  std::ifstream File(strPath, std::ios::binary);
  std::vector<char> Bytes((std::istreambuf_iterator<char>(File)), std::istreambuf_iterator<char>());
  OutputSummary Summary;
  long iFirst = -1, iLast = -1;
  const long iFrames = static_cast<long>(Bytes.size() / 4);
  for (long i = 0; i < iFrames; ++i) {
    int16_t Frame[2];
    std::copy_n(&Bytes[static_cast<size_t>(i) * 4], 4, reinterpret_cast<char*>(Frame));
    Summary.iPeakLeft = std::max(Summary.iPeakLeft, std::abs(static_cast<int>(Frame[0])));
    Summary.iPeakRight = std::max(Summary.iPeakRight, std::abs(static_cast<int>(Frame[1])));
    if (Frame[0] != 0 || Frame[1] != 0) {
      if (iFirst < 0) iFirst = i;
      iLast = i;
    }
  }
  Summary.iSoundingFrames = iFirst < 0 ? 0 : static_cast<int>(iLast - iFirst + 1);
  return Summary;
}

// Makes output type 2 (the default output) SDL's disk driver writing strPath.
inline void UseDiskOutput(const std::string& strPath) {
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", strPath.c_str(), 1);
}

// Waits until the disk output holds iFrames frames (it grows in real time), at
// most three seconds, so a loaded machine only makes the test slower.
inline void WaitForOutput(const std::string& strPath, int iFrames) {
  for (int i = 0; i < 300; ++i) {
    std::error_code Ignored;
    if (std::filesystem::file_size(strPath, Ignored) >= static_cast<uintmax_t>(iFrames) * 4 && !Ignored) return;
    SDL_Delay(10);
  }
}

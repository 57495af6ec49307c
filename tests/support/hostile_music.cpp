// hostile_music: the bytes of the hostile music files that
// tests/support/hostile_music.sh saves under the music's name.
//   hostile_music KIND PATH
// wav-0ch, wav-adpcm, mp3-flood and mp3-stray write the whole file; flac-long
// takes the FLAC file at PATH and sets the sample count in its STREAMINFO to
// 0, "unknown"; mp3-scattered and mp3-random-tail take the music at PATH and
// keep its start. Exit code 0 when written, 1 when not, 2 for an unknown
// kind.
#include <cstdint>
#include <cstdio>
#include <algorithm>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "sound_files.h"
#include "wav_file.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Append(std::ofstream& File, const Bytes& Content, size_t iTimes = 1) {
  for (size_t i = 0; i < iTimes && File; ++i)
    File.write(reinterpret_cast<const char*>(Content.data()), static_cast<std::streamsize>(Content.size()));
}

// A WAV header, then iDataBytes of silence.
void WriteWav(std::ofstream& File, const WavFormat& Format, uint32_t iDataBytes) {
  Append(File, WavHeader(Format, iDataBytes));
  Append(File, Bytes(size_t{1} << 20), iDataBytes >> 20);
}

// MPEG-2 layer III, 8 kbit/s, 24000 Hz, mono: 24 bytes and 24 ms a frame.
Bytes Mp3Frame() {
  Bytes Frame(24, 0);
  Frame[0] = 0xFF, Frame[1] = 0xF3, Frame[2] = 0x14, Frame[3] = 0xC0;
  return Frame;
}

// The start of the MP3 at strPath: its first iFrames frames (the music is of
// one bit rate), or its first second when iFrames is 0; empty when it is no
// MP3.
Bytes MusicStart(const std::string& strPath, int iFrames) {
  std::ifstream In(strPath, std::ios::binary);
  Bytes Music{std::istreambuf_iterator<char>(In), {}};
  Mp3Format Format;
  if (!FindMp3Format(Music.data(), Music.size(), Format)) return {};
  size_t iEnd = Format.iFirstFrame + static_cast<size_t>(Format.iBitRate / 8);
  if (iFrames > 0) {
    iEnd = Format.iFirstFrame;
    for (int i = 0; i < iFrames && iEnd + 4 <= Music.size(); ++i)
      iEnd += static_cast<size_t>(Format.iFrameBytes) + ((Music[iEnd + 2] >> 1) & 1);
  }
  Music.resize(std::min(iEnd, Music.size()));
  return Music;
}

// iMiB MiB of pseudo-random bytes; with a header, that header every 3000
// bytes (no frame's length) and no other byte 0xFF, so that no other header
// can start in them.
void AppendJunk(std::ofstream& File, size_t iMiB, const unsigned char* pHeader) {
  uint32_t iState = 2463534242u;
  Bytes Block(size_t{1} << 20);
  size_t iAt = 0;
  for (size_t iBlock = 0; iBlock < iMiB; ++iBlock) {
    for (unsigned char& c : Block) {
      iState ^= iState << 13, iState ^= iState >> 17, iState ^= iState << 5;
      c = static_cast<unsigned char>(iState);
      if (pHeader != nullptr && c == 0xFF) c = 0x7F;
    }
    for (size_t i = 0; pHeader != nullptr && i < Block.size(); ++i, ++iAt)
      if (iAt % 3000 == 0 && i + 4 <= Block.size()) std::copy(pHeader, pHeader + 4, Block.begin() + i);
    Append(File, Block);
  }
}

// The 36-bit sample count starts at bit 4 of byte 21 (the low nibble).
bool ClearFlacLength(const std::string& strPath) {
  std::fstream File(strPath, std::ios::in | std::ios::out | std::ios::binary);
  char Byte = 0;
  if (!File.seekg(21).get(Byte)) return false;
  const char Cleared[5] = {static_cast<char>(Byte & 0xF0), 0, 0, 0, 0};
  return static_cast<bool>(File.seekp(21).write(Cleared, sizeof Cleared).flush());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: hostile_music wav-0ch|wav-adpcm|flac-long|mp3-flood|mp3-stray|mp3-scattered|mp3-random-tail PATH\n");
    return 2;
  }
  const std::string strKind = argv[1], strPath = argv[2];
  if (strKind == "flac-long") return ClearFlacLength(strPath) ? 0 : 1;
  Bytes Start;
  if (strKind == "mp3-scattered" || strKind == "mp3-random-tail") {
    Start = MusicStart(strPath, strKind == "mp3-scattered" ? 2 : 0);
    if (Start.empty()) return 1;
  }
  std::ofstream File(strPath, std::ios::binary);
  if (strKind == "wav-0ch") {
    WriteWav(File, WavFormat{1, 0, 44100, 0, 16}, 1 << 20);
  } else if (strKind == "wav-adpcm") {
    WriteWav(File, WavFormat{0x11, 2, 44100, 2048, 4}, 40 << 20);  // IMA ADPCM
  } else if (strKind == "mp3-flood") {
    Append(File, Mp3Frame(), (100 << 20) / 24);
  } else if (strKind == "mp3-stray") {
    Append(File, Mp3Frame(), 2);
    Append(File, Bytes{0});
    Append(File, Mp3Frame(), (20 << 20) / 24);
  } else if (strKind == "mp3-scattered") {
    Append(File, Start);
    Mp3Format Format;
    FindMp3Format(Start.data(), Start.size(), Format);
    AppendJunk(File, 63, Start.data() + Format.iFirstFrame);
  } else if (strKind == "mp3-random-tail") {
    Append(File, Start);
    AppendJunk(File, 60, nullptr);
  } else {
    std::fprintf(stderr, "hostile_music: unknown kind %s\n", strKind.c_str());
    return 2;
  }
  File.close();
  return File ? 0 : 1;
}

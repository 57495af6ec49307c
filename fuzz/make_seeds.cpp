// Writes the seed corpora of the harnesses:
//   fuzz_seeds DATA_DIR OUT_DIR
// OUT_DIR/mesh: the mesh files of data/ and small files of each line kind
// and oddity; OUT_DIR/dds: the header of data/cube.dds over small cubes of
// every accepted format, and near misses (a 2D texture, a partial cube);
// OUT_DIR/sound: a mode byte, then the head of data/demodemo.mp3, WAVs of
// each accepted format and headerless data.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

#include "host/data_files.h"
#include "wav_file.h"

namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<unsigned char>;

bool Write(const fs::path& Path, const Bytes& Content) {
  std::ofstream File(Path, std::ios::binary);
  File.write(reinterpret_cast<const char*>(Content.data()), static_cast<std::streamsize>(Content.size()));
  File.close();
  if (!File) std::cerr << "fuzz_seeds: cannot write " << Path.string() << "\n";
  return static_cast<bool>(File);
}

bool Write(const fs::path& Path, const std::string& strText) { return Write(Path, Bytes(strText.begin(), strText.end())); }

Bytes ReadAll(const fs::path& Path) {
  std::ifstream File(Path, std::ios::binary);
  return Bytes(std::istreambuf_iterator<char>(File), {});
}

void PutDword(Bytes& Out, size_t iOffset, uint32_t dwValue) {
  for (int i = 0; i < 4; ++i) Out[iOffset + i] = static_cast<unsigned char>(dwValue >> (8 * i));
}

constexpr uint32_t FourCc(const char (&Code)[5]) {
  return uint32_t(uint8_t(Code[0])) | uint32_t(uint8_t(Code[1])) << 8 | uint32_t(uint8_t(Code[2])) << 16 |
         uint32_t(uint8_t(Code[3])) << 24;
}

struct CubeSeed {
  const char* pszName;
  uint32_t dwPixelFlags;
  uint32_t dwFourCc;
  uint32_t dwBits;
  uint32_t Masks[4];
  uint32_t dwDxgi;        // DX10 header when non-zero
  size_t iBlockBytes;     // bytes per 4x4 block, 0 for pixel formats
  uint32_t dwCaps2 = 0xFE00;
};

// One cube of edge 8 with 4 levels, pixels counting up.
Bytes MakeCube(const Bytes& Header, const CubeSeed& Seed) {
  constexpr uint32_t kEdge = 8, kLevels = 4;
  Bytes Out(Header.begin(), Header.begin() + 128);
  PutDword(Out, 8, 0x1007 | 0x20000);
  PutDword(Out, 12, kEdge);
  PutDword(Out, 16, kEdge);
  PutDword(Out, 28, kLevels);
  PutDword(Out, 80, Seed.dwPixelFlags);
  PutDword(Out, 84, Seed.dwFourCc);
  PutDword(Out, 88, Seed.dwBits);
  for (int i = 0; i < 4; ++i) PutDword(Out, 92 + 4 * i, Seed.Masks[i]);
  PutDword(Out, 112, Seed.dwCaps2);
  if (Seed.dwDxgi != 0) {
    Out.resize(148, 0);
    PutDword(Out, 128, Seed.dwDxgi);
    PutDword(Out, 132, 3);  // 2D
    PutDword(Out, 136, 4);  // cube
    PutDword(Out, 140, 1);
  }
  size_t iFaceBytes = 0;
  for (uint32_t iLevel = 0, iEdge = kEdge; iLevel < kLevels; ++iLevel, iEdge = iEdge > 1 ? iEdge / 2 : 1) {
    const size_t iBlocks = (iEdge + 3) / 4;
    iFaceBytes += Seed.iBlockBytes != 0 ? iBlocks * iBlocks * Seed.iBlockBytes : size_t(iEdge) * iEdge * Seed.dwBits / 8;
  }
  for (size_t i = 0; i < 6 * iFaceBytes; ++i) Out.push_back(static_cast<unsigned char>(i * 7));
  return Out;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::cerr << "usage: fuzz_seeds DATA_DIR OUT_DIR\n";
    return 2;
  }
  const fs::path Data = argv[1], Out = argv[2];
  std::error_code Error;
  fs::create_directories(Out / "mesh", Error);
  fs::create_directories(Out / "dds", Error);
  fs::create_directories(Out / "sound", Error);
  bool bOk = true;

  for (const char* pszMesh :
       {kDataFileNames[kCubeMeshFile], kDataFileNames[kCylinderMeshFile], kDataFileNames[kIsoMeshFile]}) {
    const Bytes Content = ReadAll(Data / pszMesh);
    if (Content.empty()) {
      std::cerr << "fuzz_seeds: cannot read " << (Data / pszMesh).string() << "\n";
      return 1;
    }
    bOk &= Write(Out / "mesh" / pszMesh, Content);
  }
  const struct {
    const char* pszName;
    const char* pszText;
  } kMeshes[] = {
      {"quad-crlf.obj", "v 0 0 0\r\nv 1 0 0\r\nv 1 1 0\r\nv 0 1 0\r\nf 1 2 3 4\r\n"},
      {"keywords.obj", "\tV 1 2 3\nVn 0 1 0\nvN 0 0 1\n F 1 1 1\nvt 0.5 0.5\n# comment\ng group\nf 1 1 1\n"},
      {"numbers.obj", "v 1e3 -2.5E-2 +.5\nv 1 2 3 4 5 6\nv 1 2 3 4\nv 1 2\nv ?? 1 2\nf 1/2/3 2/3/4 3/4/5\n"},
      {"indices.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 0 1 2\nf -1 2 3\nf -2147483648 1 2\nf 1 2 2147483648\nf 3 2 1\n"},
      {"long-face.obj",
       "v 0 0 0\nv 1 0 0\nv 1 1 0\nf 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3 1 2 3\n"},
      {"no-final-feed.obj", "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3"},
  };
  for (const auto& Mesh : kMeshes) bOk &= Write(Out / "mesh" / Mesh.pszName, Mesh.pszText);

  const fs::path CubeMap = Data / kDataFileNames[kCubeMapFile];
  const Bytes Header = ReadAll(CubeMap);
  if (Header.size() < 128) {
    std::cerr << "fuzz_seeds: cannot read " << CubeMap.string() << "\n";
    return 1;
  }
  const CubeSeed kCubes[] = {
      {"a8r8g8b8.dds", 0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, 0},
      {"x8r8g8b8.dds", 0x40, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0}, 0, 0},
      {"r8g8b8.dds", 0x40, 0, 24, {0xFF0000, 0xFF00, 0xFF, 0}, 0, 0},
      {"dxt1.dds", 0x4, FourCc("DXT1"), 0, {}, 0, 8},
      {"dxt3.dds", 0x4, FourCc("DXT3"), 0, {}, 0, 16},
      {"dxt5.dds", 0x4, FourCc("DXT5"), 0, {}, 0, 16},
      {"dx10-bgra.dds", 0x4, FourCc("DX10"), 0, {}, 87, 0},
      {"dx10-bc1.dds", 0x4, FourCc("DX10"), 0, {}, 71, 8},
      {"partial.dds", 0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, 0, 0x1E00},
      {"flat.dds", 0x41, 0, 32, {0xFF0000, 0xFF00, 0xFF, 0xFF000000}, 0, 0, 0},
  };
  for (CubeSeed Seed : kCubes) {
    if (Seed.dwDxgi == 87) Seed.dwBits = 32;
    bOk &= Write(Out / "dds" / Seed.pszName, MakeCube(Header, Seed));
  }

  // Sound: the first byte is the mode (0x29 the demo's, 0x80 raw).
  const fs::path MusicFile = Data / kDataFileNames[kMusicFile];
  Bytes Music = ReadAll(MusicFile);
  if (Music.size() < 16384) {
    std::cerr << "fuzz_seeds: cannot read " << MusicFile.string() << "\n";
    return 1;
  }
  Music.resize(16384);
  Music.insert(Music.begin(), 0x29);
  bOk &= Write(Out / "sound" / "demodemo-head.mp3", Music);
  // A mode byte of 0, then a PCM file.
  auto Wav = [](uint16_t wChannels, uint32_t dwRate, uint16_t wBits, size_t iFrames) {
    const WavFormat Format = PcmWavFormat(wChannels, dwRate, wBits);
    const auto dwData = static_cast<uint32_t>(iFrames * Format.wBlockAlign);
    Bytes Out = {0x00};
    const Bytes Header = WavHeader(Format, dwData);
    Out.insert(Out.end(), Header.begin(), Header.end());
    for (size_t i = 0; i < dwData; ++i) Out.push_back(static_cast<unsigned char>(i * 37));
    return Out;
  };
  bOk &= Write(Out / "sound" / "mono8.wav", Wav(1, 8000, 8, 64));
  bOk &= Write(Out / "sound" / "stereo16.wav", Wav(2, 44100, 16, 64));
  Bytes Raw(257, 0x80);
  Raw[0] = 0x80 | 0x08 | 0x20;
  bOk &= Write(Out / "sound" / "raw-mono8.pcm", Raw);
  return bOk ? 0 : 1;
}

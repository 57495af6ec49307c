// The DDS cube-map loader over any bytes: ParseDdsCube must name only bytes
// inside the file, and D3DXCreateCubeTextureFromFileA must create a texture
// exactly when the parser accepts the file, filled from inside the file.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "d3dx9.h"
#include "dds.h"
#include "dxt_decode.h"
#include "surface_layout.h"
#include "memory_file.h"
#include "recording_device.h"

namespace {

// Largest edge whose DXT levels are also decoded (the decoder's output is
// 4 bytes a pixel).
constexpr UINT kMaxDecodedEdge = 256;

void Check(bool bHolds, const char* pszWhat) {
  if (bHolds) return;
  std::fprintf(stderr, "broken: %s\n", pszWhat);
  std::abort();
}

void CheckLayout(const DdsCubeInfo& Info, size_t iSize) {
  Check(Info.iEdge >= 1 && Info.iEdge <= kDdsMaxEdge && Info.iLevels >= 1, "edge and levels");
  for (UINT iFace = 0; iFace < 6; ++iFace)
    for (UINT iLevel = 0; iLevel < Info.iLevels; ++iLevel) {
      const UINT iEdge = LevelEdge(Info.iEdge, iLevel);
      const size_t iEnd = DdsFaceLevelOffset(Info, iFace, iLevel) + SurfaceImageBytes(Info.Format, iEdge, iEdge);
      Check(iEnd <= iSize, "face level past the end of the file");
    }
}

void DecodeFirstLevel(const DdsCubeInfo& Info, const uint8_t* pData) {
  if (!IsDxtFormat(Info.Format) || Info.iEdge > kMaxDecodedEdge) return;
  std::vector<unsigned char> Bgra(size_t(4) * Info.iEdge * Info.iEdge);
  Check(DecodeDxt(Info.Format, pData + DdsFaceLevelOffset(Info, 5, 0), Info.iEdge, Info.iEdge, Bgra.data()),
        "decoding an accepted DXT level");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
  static RecordingDevice* pRecorder = [] {
    auto* pNew = new RecordingDevice();
    pNew->bRecording = false;
    return pNew;
  }();
  static MemoryFile File;

  DdsCubeInfo Info;
  const DdsResult Result = ParseDdsCube(pData, iSize, &Info);
  if (Result == DdsResult::kOk) {
    CheckLayout(Info, iSize);
    DecodeFirstLevel(Info, pData);
  }

  IDirect3DCubeTexture9* pTexture = nullptr;
  const HRESULT hr = D3DXCreateCubeTextureFromFileA(pRecorder, File.Hold(pData, iSize), &pTexture);
  Check(SUCCEEDED(hr) == (Result == DdsResult::kOk), "loader and parser disagree");
  Check(SUCCEEDED(hr) == (pTexture != nullptr), "texture without success or success without texture");
  if (pTexture != nullptr) pTexture->Release();
  Check(pRecorder->LiveResourceCount() == 0, "a texture left behind");
  return 0;
}

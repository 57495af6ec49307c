// The DDS cube loader: good files arrive in the device byte for byte, and
// every malformed file is refused before a texture exists, without reading
// past its last byte.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "d3dx9.h"
#include "dds.h"
#include "recording_device.h"

namespace {

constexpr DWORD kA8R8G8B8Masks[4] = {0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000};

// Header fields of a test file; the defaults describe a full 32-bit cube.
struct DdsSpec {
  DWORD dwWidth = 4;
  DWORD dwHeight = 4;
  DWORD dwFlags = 0x1007 | 0x20000;
  DWORD dwMipCount = 1;
  DWORD dwPixelFlags = 0x41;
  DWORD dwFourCc = 0;
  DWORD dwBits = 32;
  DWORD Masks[4] = {kA8R8G8B8Masks[0], kA8R8G8B8Masks[1], kA8R8G8B8Masks[2], kA8R8G8B8Masks[3]};
  DWORD dwCaps2 = 0xFE00;
  // DX10 header fields, written when dwFourCc is "DX10".
  DWORD Dx10[5] = {71, 3, 4, 1, 0};
};

void PutDword(std::vector<unsigned char>* pBytes, size_t iOffset, DWORD dwValue) {
  for (int i = 0; i < 4; ++i) (*pBytes)[iOffset + i] = static_cast<unsigned char>(dwValue >> (8 * i));
}

std::vector<unsigned char> MakeHeader(const DdsSpec& Spec) {
  const bool bDx10 = Spec.dwFourCc == MAKEFOURCC('D', 'X', '1', '0');
  std::vector<unsigned char> Bytes(bDx10 ? 148 : 128, 0);
  PutDword(&Bytes, 0, MAKEFOURCC('D', 'D', 'S', ' '));
  PutDword(&Bytes, 4, 124);
  PutDword(&Bytes, 8, Spec.dwFlags);
  PutDword(&Bytes, 12, Spec.dwHeight);
  PutDword(&Bytes, 16, Spec.dwWidth);
  PutDword(&Bytes, 28, Spec.dwMipCount);
  PutDword(&Bytes, 76, 32);
  PutDword(&Bytes, 80, Spec.dwPixelFlags);
  PutDword(&Bytes, 84, Spec.dwFourCc);
  PutDword(&Bytes, 88, Spec.dwBits);
  for (int i = 0; i < 4; ++i) PutDword(&Bytes, 92 + 4 * i, Spec.Masks[i]);
  PutDword(&Bytes, 108, 0x401008);
  PutDword(&Bytes, 112, Spec.dwCaps2);
  if (bDx10) {
    for (int i = 0; i < 5; ++i) PutDword(&Bytes, 128 + 4 * i, Spec.Dx10[i]);
  }
  return Bytes;
}

// Header plus iDataBytes of a recognisable pattern.
std::vector<unsigned char> MakeFile(const DdsSpec& Spec, size_t iDataBytes) {
  std::vector<unsigned char> Bytes = MakeHeader(Spec);
  for (size_t i = 0; i < iDataBytes; ++i) Bytes.push_back(static_cast<unsigned char>(i * 7 + 13));
  return Bytes;
}

DdsSpec DxtSpec(D3DFORMAT Format, DWORD dwEdge, DWORD dwLevels) {
  DdsSpec Spec;
  Spec.dwWidth = Spec.dwHeight = dwEdge;
  Spec.dwMipCount = dwLevels;
  Spec.dwPixelFlags = 0x4;
  Spec.dwFourCc = Format;
  Spec.dwBits = 0;
  for (DWORD& dwMask : Spec.Masks) dwMask = 0;
  return Spec;
}

std::string WriteTempFile(const std::string& strName, const std::vector<unsigned char>& Bytes) {
  // The process id keeps parallel runs of the suite apart.
  const std::filesystem::path Path =
      std::filesystem::temp_directory_path() / ("vimra_dds_" + std::to_string(getpid()) + "_" + strName + ".dds");
  std::ofstream(Path, std::ios::binary).write(reinterpret_cast<const char*>(Bytes.data()), Bytes.size());
  return Path.string();
}

struct LoadOutcome {
  HRESULT hr;
  IDirect3DCubeTexture9* pTexture;
};

LoadOutcome Load(RecordingDevice* pDevice, const std::string& strName, const std::vector<unsigned char>& Bytes) {
  const std::string strPath = WriteTempFile(strName, Bytes);
  IDirect3DCubeTexture9* pTexture = reinterpret_cast<IDirect3DCubeTexture9*>(1);
  const HRESULT hr = D3DXCreateCubeTextureFromFileA(pDevice, strPath.c_str(), &pTexture);
  std::remove(strPath.c_str());
  return {hr, pTexture};
}

std::vector<unsigned char> Prefix(const std::vector<unsigned char>& Bytes, size_t iSize) {
  return std::vector<unsigned char>(Bytes.begin(), Bytes.begin() + iSize);
}

// Parses from a heap block of exactly the file's size, so that a sanitised
// build catches any read past it.
DdsResult ParseExact(const std::vector<unsigned char>& Bytes, DdsCubeInfo* pInfo) {
  std::unique_ptr<unsigned char[]> pCopy(new unsigned char[Bytes.size() + (Bytes.empty() ? 1 : 0)]);
  std::copy(Bytes.begin(), Bytes.end(), pCopy.get());
  return ParseDdsCube(pCopy.get(), Bytes.size(), pInfo);
}

}  // namespace

TEST(DdsLoader, CopiesEveryFaceAndLevelOfA32BitCube) {
  DdsSpec Spec;
  Spec.dwMipCount = 3;
  const size_t iFaceBytes = (16 + 4 + 1) * 4;
  const std::vector<unsigned char> File = MakeFile(Spec, 6 * iFaceBytes);
  RecordingDevice Device;
  const LoadOutcome Outcome = Load(&Device, "argb", File);
  ASSERT_EQ(Outcome.hr, D3D_OK);
  ASSERT_NE(Outcome.pTexture, nullptr);
  EXPECT_EQ(Device.TextsOf({"CreateCubeTexture"}), std::vector<std::string>{"CreateCubeTexture(4,3,0,21,1,0)"});
  EXPECT_EQ(Device.TextsOf({"LockRect"}).size(), 18u);
  EXPECT_EQ(Device.TextsOf({"UnlockRect"}).size(), 18u);
  // The device keeps faces in the file's order, each with its levels.
  EXPECT_EQ(Device.BytesOf(Outcome.pTexture), std::vector<unsigned char>(File.begin() + 128, File.end()));
  Outcome.pTexture->Release();
  EXPECT_EQ(Device.LiveResourceCount(), 0);
}

TEST(DdsLoader, PassesDxtBlocksThroughWithTheirMips) {
  struct Case {
    D3DFORMAT Format;
    size_t iBlockBytes;
  };
  for (const Case& C : {Case{D3DFMT_DXT1, 8}, Case{D3DFMT_DXT3, 16}, Case{D3DFMT_DXT5, 16}}) {
    SCOPED_TRACE(C.Format);
    // Levels 8, 4, 2, 1: four blocks, then one block each.
    const std::vector<unsigned char> File = MakeFile(DxtSpec(C.Format, 8, 4), 6 * 7 * C.iBlockBytes);
    RecordingDevice Device;
    const LoadOutcome Outcome = Load(&Device, "dxt", File);
    ASSERT_EQ(Outcome.hr, D3D_OK);
    EXPECT_EQ(Device.TextsOf({"CreateCubeTexture"}),
              std::vector<std::string>{"CreateCubeTexture(8,4,0," + std::to_string(C.Format) + ",1,0)"});
    EXPECT_EQ(Device.BytesOf(Outcome.pTexture), std::vector<unsigned char>(File.begin() + 128, File.end()));
    Outcome.pTexture->Release();
  }
}

TEST(DdsLoader, ReadsTheDx10HeaderForOneCube) {
  DdsSpec Spec = DxtSpec(static_cast<D3DFORMAT>(MAKEFOURCC('D', 'X', '1', '0')), 4, 1);
  const std::vector<unsigned char> File = MakeFile(Spec, 6 * 8);
  RecordingDevice Device;
  const LoadOutcome Outcome = Load(&Device, "dx10", File);
  ASSERT_EQ(Outcome.hr, D3D_OK);
  EXPECT_EQ(Device.TextsOf({"CreateCubeTexture"}),
            std::vector<std::string>{"CreateCubeTexture(4,1,0," + std::to_string(D3DFMT_DXT1) + ",1,0)"});
  EXPECT_EQ(Device.BytesOf(Outcome.pTexture), std::vector<unsigned char>(File.begin() + 148, File.end()));
  Outcome.pTexture->Release();
}

TEST(DdsLoader, TakesAMissingOrZeroMipCountAsOneLevel) {
  DdsSpec ZeroCount;
  ZeroCount.dwMipCount = 0;
  DdsSpec NoFlag;
  NoFlag.dwFlags = 0x1007;
  NoFlag.dwMipCount = 3;
  for (const DdsSpec& Spec : {ZeroCount, NoFlag}) {
    RecordingDevice Device;
    const LoadOutcome Outcome = Load(&Device, "onelevel", MakeFile(Spec, 6 * 64));
    ASSERT_EQ(Outcome.hr, D3D_OK);
    EXPECT_EQ(Device.TextsOf({"CreateCubeTexture"}), std::vector<std::string>{"CreateCubeTexture(4,1,0,21,1,0)"});
    Outcome.pTexture->Release();
  }
}

TEST(DdsLoader, GivesOpaqueAlphaToFormatsWithoutAlpha) {
  // X8R8G8B8: the unused byte is garbage in the file and 255 in the texture.
  DdsSpec X8;
  X8.dwPixelFlags = 0x40;
  X8.Masks[3] = 0;
  std::vector<unsigned char> File = MakeFile(X8, 6 * 64);
  RecordingDevice Device;
  LoadOutcome Outcome = Load(&Device, "x8", File);
  ASSERT_EQ(Outcome.hr, D3D_OK);
  EXPECT_EQ(Device.TextsOf({"CreateCubeTexture"}), std::vector<std::string>{"CreateCubeTexture(4,1,0,22,1,0)"});
  std::vector<unsigned char> Expected(File.begin() + 128, File.end());
  for (size_t i = 3; i < Expected.size(); i += 4) Expected[i] = 255;
  EXPECT_EQ(Device.BytesOf(Outcome.pTexture), Expected);
  Outcome.pTexture->Release();

  // R8G8B8 with an odd edge (3, then 1): rows of 9 bytes widened to 12.
  DdsSpec Rgb;
  Rgb.dwWidth = Rgb.dwHeight = 3;
  Rgb.dwMipCount = 2;
  Rgb.dwPixelFlags = 0x40;
  Rgb.dwBits = 24;
  Rgb.Masks[3] = 0;
  File = MakeFile(Rgb, 6 * (27 + 3));
  Device.ClearCalls();
  Outcome = Load(&Device, "rgb", File);
  ASSERT_EQ(Outcome.hr, D3D_OK);
  EXPECT_EQ(Device.TextsOf({"CreateCubeTexture"}), std::vector<std::string>{"CreateCubeTexture(3,2,0,22,1,0)"});
  Expected.clear();
  for (size_t i = 128; i < File.size(); i += 3)
    Expected.insert(Expected.end(), {File[i], File[i + 1], File[i + 2], 255});
  EXPECT_EQ(Device.BytesOf(Outcome.pTexture), Expected);
  Outcome.pTexture->Release();
}

TEST(DdsLoader, RefusesMalformedFilesBeforeCreatingATexture) {
  DdsSpec Good;
  Good.dwMipCount = 3;
  const size_t iGoodData = 6 * (16 + 4 + 1) * 4;
  auto With = [&](auto fnChange) {
    DdsSpec Spec = Good;
    fnChange(Spec);
    return Spec;
  };
  std::vector<unsigned char> BadMagic = MakeFile(Good, iGoodData);
  BadMagic[0] = 'X';
  std::vector<unsigned char> BadPixelFormatSize = MakeFile(Good, iGoodData);
  BadPixelFormatSize[76] = 24;
  struct Case {
    const char* pszName;
    std::vector<unsigned char> File;
    DdsResult Expected;
    HRESULT hrExpected;
  };
  auto Dx10 = [&](DWORD dwArraySize, DWORD dwMiscFlag) {
    return With([=](DdsSpec& s) {
      s.dwPixelFlags = 4;
      s.dwFourCc = MAKEFOURCC('D', 'X', '1', '0');
      s.Dx10[2] = dwMiscFlag;
      s.Dx10[3] = dwArraySize;
    });
  };
  const Case Cases[] = {
      {"empty", {}, DdsResult::kTooShort, D3DXERR_INVALIDDATA},
      {"header cut", Prefix(MakeHeader(Good), 100), DdsResult::kTooShort, D3DXERR_INVALIDDATA},
      {"bad magic", BadMagic, DdsResult::kBadMagic, D3DXERR_INVALIDDATA},
      {"pixel format size", BadPixelFormatSize, DdsResult::kBadHeaderSize, D3DXERR_INVALIDDATA},
      {"one byte short", MakeFile(Good, iGoodData - 1), DdsResult::kTruncated, D3DXERR_INVALIDDATA},
      {"header only", MakeFile(Good, 0), DdsResult::kTruncated, D3DXERR_INVALIDDATA},
      {"five faces", MakeFile(With([](DdsSpec& s) { s.dwCaps2 = 0x7E00; }), iGoodData), DdsResult::kPartialCube,
       D3DXERR_INVALIDDATA},
      {"2D texture", MakeFile(With([](DdsSpec& s) { s.dwCaps2 = 0; }), iGoodData), DdsResult::kNotCube, E_FAIL},
      {"huge edge", MakeFile(With([](DdsSpec& s) { s.dwWidth = s.dwHeight = 0x40000000; }), iGoodData),
       DdsResult::kBadDimensions, D3DXERR_INVALIDDATA},
      {"zero edge", MakeFile(With([](DdsSpec& s) { s.dwWidth = s.dwHeight = 0; }), iGoodData),
       DdsResult::kBadDimensions, D3DXERR_INVALIDDATA},
      {"not square", MakeFile(With([](DdsSpec& s) { s.dwHeight = 2; }), iGoodData), DdsResult::kBadDimensions,
       D3DXERR_INVALIDDATA},
      {"too many mips", MakeFile(With([](DdsSpec& s) { s.dwMipCount = 4; }), iGoodData * 2),
       DdsResult::kBadMipCount, D3DXERR_INVALIDDATA},
      {"absurd mip count", MakeFile(With([](DdsSpec& s) { s.dwMipCount = 0xFFFFFFFF; }), iGoodData),
       DdsResult::kBadMipCount, D3DXERR_INVALIDDATA},
      {"16-bit pixels", MakeFile(With([](DdsSpec& s) { s.dwBits = 16; }), iGoodData),
       DdsResult::kUnsupportedFormat, D3DXERR_INVALIDDATA},
      {"unknown fourcc",
       MakeFile(With([](DdsSpec& s) { s.dwPixelFlags = 4, s.dwFourCc = MAKEFOURCC('A', 'T', 'I', '2'); }), iGoodData),
       DdsResult::kUnsupportedFormat, D3DXERR_INVALIDDATA},
      {"DX10 cube array", MakeFile(Dx10(2, 4), 4096), DdsResult::kUnsupportedFormat, D3DXERR_INVALIDDATA},
      {"DX10 2D texture", MakeFile(Dx10(1, 0), 4096), DdsResult::kNotCube, E_FAIL},
      {"DX10 header cut", Prefix(MakeHeader(Dx10(1, 4)), 140), DdsResult::kTooShort, D3DXERR_INVALIDDATA},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.pszName);
    DdsCubeInfo Info;
    EXPECT_EQ(ParseExact(C.File, &Info), C.Expected) << DdsResultName(ParseExact(C.File, &Info));
    RecordingDevice Device;
    const LoadOutcome Outcome = Load(&Device, "bad", C.File);
    EXPECT_EQ(Outcome.hr, C.hrExpected);
    EXPECT_EQ(Outcome.pTexture, nullptr);
    EXPECT_TRUE(Device.Texts().empty());
  }
}

TEST(DdsLoader, RefusesEveryTruncationOfAValidFile) {
  const std::vector<unsigned char> File = MakeFile(DxtSpec(D3DFMT_DXT5, 8, 4), 6 * 7 * 16);
  DdsCubeInfo Info;
  ASSERT_EQ(ParseExact(File, &Info), DdsResult::kOk);
  for (size_t iSize = 0; iSize < File.size(); ++iSize) {
    ASSERT_NE(ParseExact(Prefix(File, iSize), &Info), DdsResult::kOk) << iSize;
  }
}

TEST(DdsLoader, KeepsEveryAcceptedLevelInsideTheFileWhateverTheHeaderSays) {
  const std::vector<unsigned char> Files[] = {
      MakeFile(DxtSpec(D3DFMT_DXT1, 8, 4), 6 * 7 * 8),
      MakeFile(DxtSpec(static_cast<D3DFORMAT>(MAKEFOURCC('D', 'X', '1', '0')), 4, 1), 6 * 8),
  };
  for (const std::vector<unsigned char>& Good : Files) {
    const size_t iHeaderBytes = Good.size() > 148 ? 148 : 128;
    for (size_t iByte = 0; iByte < iHeaderBytes; ++iByte) {
      for (unsigned char iValue : {0x00, 0x01, 0x07, 0x80, 0xFF}) {
        std::vector<unsigned char> File = Good;
        File[iByte] = iValue;
        DdsCubeInfo Info;
        if (ParseExact(File, &Info) != DdsResult::kOk) continue;
        ASSERT_GE(Info.iLevels, 1u);
        const UINT iLast = Info.iLevels - 1;
        const UINT iEdge = LevelEdge(Info.iEdge, iLast);
        EXPECT_LE(DdsFaceLevelOffset(Info, 5, iLast) + SurfaceImageBytes(Info.Format, iEdge, iEdge), File.size())
            << "byte " << iByte << " = " << int(iValue);
      }
    }
  }
}

// The loader owns its cap: a good cube followed by enough bytes to pass it is
// refused by its size, before a byte is read (the file is sparse).
TEST(DdsLoader, RefusesAFileLargerThanItsCap) {
  RecordingDevice Device;
  const std::vector<unsigned char> Good = MakeFile(DdsSpec{}, 6 * 64);
  const std::string strPath = WriteTempFile("over-cap", Good);
  IDirect3DCubeTexture9* pTexture = nullptr;
  ASSERT_EQ(D3DXCreateCubeTextureFromFileA(&Device, strPath.c_str(), &pTexture), D3D_OK);
  pTexture->Release();
  ASSERT_EQ(truncate(strPath.c_str(), off_t{1} << 20), 0);  // bytes after the cube do not matter
  ASSERT_EQ(D3DXCreateCubeTextureFromFileA(&Device, strPath.c_str(), &pTexture), D3D_OK);
  pTexture->Release();
  ASSERT_EQ(truncate(strPath.c_str(), static_cast<off_t>(kMaxCubeMapFileBytes + 1)), 0);
  EXPECT_EQ(D3DXCreateCubeTextureFromFileA(&Device, strPath.c_str(), &pTexture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(pTexture, nullptr);
  std::remove(strPath.c_str());
}

TEST(DdsLoader, ReportsMissingFilesAndDeviceFailures) {
  RecordingDevice Device;
  IDirect3DCubeTexture9* pTexture = reinterpret_cast<IDirect3DCubeTexture9*>(1);
  EXPECT_EQ(D3DXCreateCubeTextureFromFileA(&Device, "/nonexistent/cube.dds", &pTexture), D3DXERR_INVALIDDATA);
  EXPECT_EQ(pTexture, nullptr);

  Device.hrFailNextCreate = D3DERR_OUTOFVIDEOMEMORY;
  const LoadOutcome Outcome = Load(&Device, "nomemory", MakeFile(DdsSpec{}, 6 * 64));
  EXPECT_EQ(Outcome.hr, D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(Outcome.pTexture, nullptr);
  EXPECT_EQ(Device.LiveResourceCount(), 0);
}

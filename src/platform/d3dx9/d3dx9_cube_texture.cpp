// D3DXCreateCubeTextureFromFileA for DDS cube maps. The file is read whole and
// checked by ParseDdsCube before any texture exists, so a bad file creates
// nothing. Levels are copied as stored: 32-bit and DXT data as they are (the
// device decides whether to decode DXT), 24-bit pixels widened to X8R8G8B8,
// which Direct3D 9 drivers offer where R8G8B8 textures are rare.
#include "d3dx9.h"
#include "dds.h"
#include "read_whole_file.h"

#include <cstring>
#include <vector>

namespace {

// Copies one row of iWidth pixels (or one row of blocks) into the texture.
// The unused byte of X8R8G8B8 is set to 255 so that any sampler reads
// alpha 1, whatever the writer left there.
void CopyRow(D3DFORMAT Format, const unsigned char* pSource, UINT iWidth, unsigned char* pDest) {
  if (Format == D3DFMT_R8G8B8) {
    for (UINT x = 0; x < iWidth; ++x) {
      pDest[4 * x + 0] = pSource[3 * x + 0];
      pDest[4 * x + 1] = pSource[3 * x + 1];
      pDest[4 * x + 2] = pSource[3 * x + 2];
      pDest[4 * x + 3] = 255;
    }
    return;
  }
  std::memcpy(pDest, pSource, SurfaceRowBytes(Format, iWidth));
  if (Format == D3DFMT_X8R8G8B8) {
    for (UINT x = 0; x < iWidth; ++x) pDest[4 * x + 3] = 255;
  }
}

HRESULT CopyFaceLevel(IDirect3DCubeTexture9* pTexture, const DdsCubeInfo& Info, D3DFORMAT TextureFormat,
                      const unsigned char* pFile, UINT iFace, UINT iLevel) {
  const auto Face = static_cast<D3DCUBEMAP_FACES>(iFace);
  D3DLOCKED_RECT Locked{};
  const HRESULT hr = pTexture->LockRect(Face, iLevel, &Locked, nullptr, 0);
  if (FAILED(hr)) return hr;
  const UINT iEdge = LevelEdge(Info.iEdge, iLevel);
  if (Locked.pBits == nullptr || Locked.Pitch < 0 || size_t(Locked.Pitch) < SurfaceRowBytes(TextureFormat, iEdge)) {
    pTexture->UnlockRect(Face, iLevel);
    return D3DERR_INVALIDCALL;
  }
  const unsigned char* pSource = pFile + DdsFaceLevelOffset(Info, iFace, iLevel);
  const size_t iSourceRowBytes = SurfaceRowBytes(Info.Format, iEdge);
  auto* pDest = static_cast<unsigned char*>(Locked.pBits);
  for (UINT iRow = 0; iRow < SurfaceRowCount(Info.Format, iEdge); ++iRow)
    CopyRow(Info.Format, pSource + iRow * iSourceRowBytes, iEdge, pDest + size_t(iRow) * size_t(Locked.Pitch));
  return pTexture->UnlockRect(Face, iLevel);
}

}  // namespace

HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                       IDirect3DCubeTexture9** ppCubeTexture) {
  if (ppCubeTexture == nullptr) return D3DERR_INVALIDCALL;
  *ppCubeTexture = nullptr;
  if (pDevice == nullptr || pSrcFile == nullptr) return D3DERR_INVALIDCALL;

  std::vector<unsigned char> File;
  if (!ReadWholeFile(pSrcFile, kMaxCubeMapFileBytes, File)) return D3DXERR_INVALIDDATA;
  DdsCubeInfo Info;
  const DdsResult Result = ParseDdsCube(File.data(), File.size(), &Info);
  // A readable image that is not a cube map is a failure of a different kind.
  if (Result == DdsResult::kNotCube) return E_FAIL;
  if (Result != DdsResult::kOk) return D3DXERR_INVALIDDATA;

  const D3DFORMAT TextureFormat = Info.Format == D3DFMT_R8G8B8 ? D3DFMT_X8R8G8B8 : Info.Format;
  IDirect3DCubeTexture9* pTexture = nullptr;
  HRESULT hr = pDevice->CreateCubeTexture(Info.iEdge, Info.iLevels, 0, TextureFormat, D3DPOOL_MANAGED, &pTexture,
                                          nullptr);
  if (FAILED(hr)) return hr;
  if (pTexture == nullptr) return D3DERR_INVALIDCALL;
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    for (UINT iLevel = 0; iLevel < Info.iLevels; ++iLevel) {
      hr = CopyFaceLevel(pTexture, Info, TextureFormat, File.data(), iFace, iLevel);
      if (FAILED(hr)) {
        pTexture->Release();
        return hr;
      }
    }
  }
  *ppCubeTexture = pTexture;
  return D3D_OK;
}

#include "gl_resources.h"

#include <algorithm>
#include <cstring>

#include "dxt_decode.h"
#include "gl_device.h"
#include "surface_layout.h"

namespace d3d9gl {

// ---- buffers ----------------------------------------------------------------------

GlBufferStore::GlBufferStore(GlDevice* pDevice, UINT iLength, DWORD dwUsage, GLenum eTarget)
    : pDevice(pDevice), Bytes(iLength) {
  pDevice->AddRef();
  pDevice->MakeCurrent();
  Gl(glGenBuffers, 1, &iBuffer);
  // WebGL fixes a buffer's kind at its first binding (an element buffer can
  // later be bound to the copy targets, but a buffer first bound there can
  // never hold indices): bind it to its own target once.
  pDevice->BindBufferOutsideArrays(eTarget, iBuffer);
  // Uploads go through the copy target: binding an element buffer would
  // change whatever vertex array is bound.
  Gl(glBindBuffer, GL_COPY_WRITE_BUFFER, iBuffer);
  Gl(glBufferData, GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(iLength), static_cast<const void*>(Bytes.data()),
     static_cast<GLenum>((dwUsage & D3DUSAGE_DYNAMIC) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW));
}

GlBufferStore::~GlBufferStore() {
  pDevice->MakeCurrent();
  pDevice->ForgetBuffer(iBuffer);
  Gl(glDeleteBuffers, 1, &iBuffer);
  pDevice->Release();
}

HRESULT GlBufferStore::Lock(UINT iOffset, UINT iSize, void** ppData, DWORD dwFlags) {
  if (ppData == nullptr) return pDevice->Refuse(D3D9Refusal::kNullArgument);
  *ppData = nullptr;
  // Size 0 locks everything from the offset on.
  if (iSize == 0 && iOffset <= Bytes.size()) iSize = static_cast<UINT>(Bytes.size()) - iOffset;
  if (static_cast<size_t>(iOffset) + iSize > Bytes.size()) return pDevice->Refuse(D3D9Refusal::kOutsideResource);
  if ((dwFlags & D3DLOCK_READONLY) == 0) {
    if (iDirtyBegin == iDirtyEnd) {
      iDirtyBegin = iOffset;
      iDirtyEnd = static_cast<size_t>(iOffset) + iSize;
    } else {
      iDirtyBegin = std::min<size_t>(iDirtyBegin, iOffset);
      iDirtyEnd = std::max<size_t>(iDirtyEnd, static_cast<size_t>(iOffset) + iSize);
    }
  }
  ++iLockCount;
  dwLockFlags |= dwFlags;
  *ppData = Bytes.data() + iOffset;
  return D3D_OK;
}

HRESULT GlBufferStore::Unlock() {
  if (iLockCount == 0) return pDevice->Refuse(D3D9Refusal::kNotLocked);
  if (--iLockCount > 0 || iDirtyBegin == iDirtyEnd) return D3D_OK;
  pDevice->MakeCurrent();
  Gl(glBindBuffer, GL_COPY_WRITE_BUFFER, iBuffer);
  if (iDirtyBegin == 0 && iDirtyEnd == Bytes.size()) {
    // A whole rewrite lets GL hand out fresh storage instead of waiting for draws.
    Gl(glBufferData, GL_COPY_WRITE_BUFFER, static_cast<GLsizeiptr>(Bytes.size()),
       static_cast<const void*>(Bytes.data()),
       static_cast<GLenum>((dwLockFlags & D3DLOCK_DISCARD) ? GL_DYNAMIC_DRAW : GL_STATIC_DRAW));
  } else {
    Gl(glBufferSubData, GL_COPY_WRITE_BUFFER, static_cast<GLintptr>(iDirtyBegin),
       static_cast<GLsizeiptr>(iDirtyEnd - iDirtyBegin), static_cast<const void*>(Bytes.data() + iDirtyBegin));
  }
  iDirtyBegin = iDirtyEnd = 0;
  dwLockFlags = 0;
  return D3D_OK;
}

HRESULT GlIndexBuffer::Unlock() {
  const bool bWasLast = Store.iLockCount == 1;
  const HRESULT hr = Store.Unlock();
  if (SUCCEEDED(hr) && bWasLast) iMaxIndex = MaxIndex(0, IndexCount());
  return hr;
}

UINT GlIndexBuffer::MaxIndex(UINT iFirst, UINT iCount) const {
  UINT iMax = 0;
  if (IndexSize() == 4) {
    const auto* pIndices = reinterpret_cast<const uint32_t*>(Store.Bytes.data()) + iFirst;
    for (UINT i = 0; i < iCount; ++i) iMax = std::max<UINT>(iMax, pIndices[i]);
  } else {
    const auto* pIndices = reinterpret_cast<const uint16_t*>(Store.Bytes.data()) + iFirst;
    for (UINT i = 0; i < iCount; ++i) iMax = std::max<UINT>(iMax, pIndices[i]);
  }
  return iMax;
}

// ---- cube textures ---------------------------------------------------------------

static GLenum CompressedFormat(D3DFORMAT eFormat) {
  if (eFormat == D3DFMT_DXT1) return GL_COMPRESSED_RGBA_S3TC_DXT1_EXT;  // keeps DXT1's 1-bit alpha
  if (eFormat == D3DFMT_DXT2 || eFormat == D3DFMT_DXT3) return GL_COMPRESSED_RGBA_S3TC_DXT3_EXT;
  return GL_COMPRESSED_RGBA_S3TC_DXT5_EXT;
}

GlCubeTexture::GlCubeTexture(GlDevice* pDevice, UINT iEdge, UINT iLevels, D3DFORMAT eFormat, bool bDecode)
    : pDevice(pDevice), iEdge(iEdge), iLevels(iLevels), eFormat(eFormat), bDecode(bDecode) {
  pDevice->AddRef();
  Images.resize(6 * static_cast<size_t>(iLevels));
  Locks.assign(Images.size(), kUnlocked);
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    for (UINT iLevel = 0; iLevel < iLevels; ++iLevel) {
      const UINT iSize = LevelEdge(iEdge, iLevel);
      Image(iFace, iLevel).assign(SurfaceImageBytes(eFormat, iSize, iSize), 0);
    }
  }
  pDevice->MakeCurrent();
  Gl(glGenTextures, 1, &iTexture);
  pDevice->BindForUpload(GL_TEXTURE_CUBE_MAP, iTexture);
  Gl(glTexParameteri, GL_TEXTURE_CUBE_MAP, GL_TEXTURE_BASE_LEVEL, 0);
  Gl(glTexParameteri, GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAX_LEVEL, static_cast<GLint>(iLevels) - 1);
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    for (UINT iLevel = 0; iLevel < iLevels; ++iLevel) Upload(iFace, iLevel);
  }
}

GlCubeTexture::~GlCubeTexture() {
  pDevice->MakeCurrent();
  pDevice->ForgetTexture(iTexture);
  Gl(glDeleteTextures, 1, &iTexture);
  pDevice->Release();
}

UINT GlCubeTexture::Pitch(UINT iLevel) const {
  return static_cast<UINT>(SurfaceRowBytes(eFormat, LevelEdge(iEdge, iLevel)));
}

HRESULT GlCubeTexture::LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect,
                                const RECT* pRect, DWORD Flags) {
  if (pLockedRect == nullptr) return pDevice->Refuse(D3D9Refusal::kNullArgument);
  if (FaceType > D3DCUBEMAP_FACE_NEGATIVE_Z || Level >= iLevels) return pDevice->Refuse(D3D9Refusal::kOutsideResource);
  const size_t iImage = FaceType * iLevels + Level;
  if (Locks[iImage] != kUnlocked) return pDevice->Refuse(D3D9Refusal::kAlreadyLocked);
  size_t iOffset = 0;
  if (pRect != nullptr) {
    const LONG iSize = static_cast<LONG>(LevelEdge(iEdge, Level));
    const LONG iAlign = IsDxtFormat(eFormat) ? 4 : 1;
    if (pRect->left < 0 || pRect->top < 0 || pRect->left >= pRect->right || pRect->top >= pRect->bottom ||
        pRect->right > iSize || pRect->bottom > iSize || pRect->left % iAlign != 0 || pRect->top % iAlign != 0) {
      return pDevice->Refuse(D3D9Refusal::kOutsideResource);
    }
    iOffset = SurfaceOffset(eFormat, Pitch(Level), static_cast<UINT>(pRect->left), static_cast<UINT>(pRect->top));
  }
  Locks[iImage] = (Flags & D3DLOCK_READONLY) ? kLockedForReading : kLockedForWriting;
  pLockedRect->Pitch = static_cast<INT>(Pitch(Level));
  pLockedRect->pBits = Image(FaceType, Level).data() + iOffset;
  return D3D_OK;
}

HRESULT GlCubeTexture::UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) {
  if (FaceType > D3DCUBEMAP_FACE_NEGATIVE_Z || Level >= iLevels) return pDevice->Refuse(D3D9Refusal::kOutsideResource);
  const size_t iImage = FaceType * iLevels + Level;
  if (Locks[iImage] == kUnlocked) return pDevice->Refuse(D3D9Refusal::kNotLocked);
  const bool bWritten = Locks[iImage] == kLockedForWriting;
  Locks[iImage] = kUnlocked;
  if (!bWritten) return D3D_OK;
  pDevice->MakeCurrent();
  pDevice->BindForUpload(GL_TEXTURE_CUBE_MAP, iTexture);
  Upload(FaceType, Level);
  return D3D_OK;
}

// D3D's B, G, R, A bytes as GL's R, G, B, A (ES takes no BGRA uploads);
// without alpha (X8R8G8B8) the x byte reads as opaque, as in D3D.
static std::vector<unsigned char> RgbaFromBgra(const unsigned char* pBgra, size_t iPixels, bool bOpaque) {
  std::vector<unsigned char> Rgba(iPixels * 4);
  for (size_t i = 0; i < iPixels; ++i) {
    Rgba[4 * i + 0] = pBgra[4 * i + 2];
    Rgba[4 * i + 1] = pBgra[4 * i + 1];
    Rgba[4 * i + 2] = pBgra[4 * i + 0];
    Rgba[4 * i + 3] = bOpaque ? 0xFF : pBgra[4 * i + 3];
  }
  return Rgba;
}

// D3D and GL pick and orient cube faces the same way, so each face goes up
// in its own rows' order, unflipped. Expects the texture bound for upload.
void GlCubeTexture::Upload(UINT iFace, UINT iLevel) {
  const GLenum eTarget = GL_TEXTURE_CUBE_MAP_POSITIVE_X + iFace;
  const GLsizei iSize = static_cast<GLsizei>(LevelEdge(iEdge, iLevel));
  const size_t iPixels = static_cast<size_t>(iSize) * static_cast<size_t>(iSize);
  const std::vector<unsigned char>& Bytes = Image(iFace, iLevel);
  if (IsDxtFormat(eFormat) && bDecode) {
    std::vector<unsigned char> Bgra(iPixels * 4);
    DecodeDxt(eFormat, Bytes.data(), static_cast<UINT>(iSize), static_cast<UINT>(iSize), Bgra.data());
    const std::vector<unsigned char> Rgba = RgbaFromBgra(Bgra.data(), iPixels, false);
    Gl(glTexImage2D, eTarget, static_cast<GLint>(iLevel), GL_RGBA8, iSize, iSize, 0, static_cast<GLenum>(GL_RGBA),
       static_cast<GLenum>(GL_UNSIGNED_BYTE), static_cast<const void*>(Rgba.data()));
    return;
  }
  if (IsDxtFormat(eFormat)) {
    Gl(glCompressedTexImage2D, eTarget, static_cast<GLint>(iLevel), CompressedFormat(eFormat), iSize, iSize, 0,
       static_cast<GLsizei>(Bytes.size()), static_cast<const void*>(Bytes.data()));
    return;
  }
  const std::vector<unsigned char> Rgba = RgbaFromBgra(Bytes.data(), iPixels, eFormat == D3DFMT_X8R8G8B8);
  Gl(glTexImage2D, eTarget, static_cast<GLint>(iLevel), GL_RGBA8, iSize, iSize, 0, static_cast<GLenum>(GL_RGBA),
     static_cast<GLenum>(GL_UNSIGNED_BYTE), static_cast<const void*>(Rgba.data()));
}

}  // namespace d3d9gl

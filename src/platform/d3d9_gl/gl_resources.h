// Buffers and cube textures of the GL device. Each keeps a CPU copy of its
// bytes: Lock hands out that memory and Unlock uploads what was locked. A
// resource holds a reference on its device, as in Direct3D.
#pragma once

#include <vector>

#include "com_object.h"
#include "d3d9.h"
#include "gl_calls.h"

namespace d3d9gl {

class GlDevice;

// The part shared by vertex and index buffers.
class GlBufferStore {
 public:
  // eTarget: GL_ARRAY_BUFFER or GL_ELEMENT_ARRAY_BUFFER, the buffer's kind.
  GlBufferStore(GlDevice* pDevice, UINT iLength, DWORD dwUsage, GLenum eTarget);
  ~GlBufferStore();
  HRESULT Lock(UINT iOffset, UINT iSize, void** ppData, DWORD dwFlags);
  HRESULT Unlock();

  GlDevice* pDevice;
  GLuint iBuffer = 0;
  std::vector<unsigned char> Bytes;
  // Bytes changed since the last upload, [iDirtyBegin, iDirtyEnd).
  size_t iDirtyBegin = 0, iDirtyEnd = 0;
  int iLockCount = 0;
  DWORD dwLockFlags = 0;
};

class GlVertexBuffer final : public ComObject<IDirect3DVertexBuffer9> {
 public:
  GlVertexBuffer(GlDevice* pDevice, UINT iLength, DWORD dwUsage)
      : Store(pDevice, iLength, dwUsage, GL_ARRAY_BUFFER) {}
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override {
    return Store.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
  }
  HRESULT Unlock() override { return Store.Unlock(); }

  GlBufferStore Store;
};

class GlIndexBuffer final : public ComObject<IDirect3DIndexBuffer9> {
 public:
  GlIndexBuffer(GlDevice* pDevice, UINT iLength, DWORD dwUsage, D3DFORMAT eFormat)
      : Store(pDevice, iLength, dwUsage, GL_ELEMENT_ARRAY_BUFFER), eFormat(eFormat) {}
  HRESULT Lock(UINT OffsetToLock, UINT SizeToLock, void** ppbData, DWORD Flags) override {
    return Store.Lock(OffsetToLock, SizeToLock, ppbData, Flags);
  }
  HRESULT Unlock() override;

  UINT IndexSize() const { return eFormat == D3DFMT_INDEX32 ? 4 : 2; }
  UINT IndexCount() const { return static_cast<UINT>(Store.Bytes.size()) / IndexSize(); }
  // Largest index in [iFirst, iFirst + iCount).
  UINT MaxIndex(UINT iFirst, UINT iCount) const;
  // Largest index in the whole buffer, kept up to date at Unlock.
  UINT iMaxIndex = 0;

  GlBufferStore Store;
  D3DFORMAT eFormat;
};

class GlCubeTexture final : public ComObject<IDirect3DCubeTexture9> {
 public:
  // bDecode: DXT images are decoded on the CPU (a GL without S3TC).
  GlCubeTexture(GlDevice* pDevice, UINT iEdge, UINT iLevels, D3DFORMAT eFormat, bool bDecode);
  ~GlCubeTexture() override;
  DWORD GetLevelCount() override { return iLevels; }
  HRESULT LockRect(D3DCUBEMAP_FACES FaceType, UINT Level, D3DLOCKED_RECT* pLockedRect, const RECT* pRect,
                   DWORD Flags) override;
  HRESULT UnlockRect(D3DCUBEMAP_FACES FaceType, UINT Level) override;

  GlDevice* Owner() const { return pDevice; }
  GLuint iTexture = 0;

 private:
  UINT Pitch(UINT iLevel) const;  // bytes per row (of 4x4 blocks when compressed)
  std::vector<unsigned char>& Image(UINT iFace, UINT iLevel) { return Images[iFace * iLevels + iLevel]; }
  void Upload(UINT iFace, UINT iLevel);

  GlDevice* pDevice;
  UINT iEdge, iLevels;
  D3DFORMAT eFormat;
  bool bDecode;
  std::vector<std::vector<unsigned char>> Images;  // face-major, then level
  enum LockState : uint8_t { kUnlocked, kLockedForWriting, kLockedForReading };
  std::vector<LockState> Locks;
};

}  // namespace d3d9gl

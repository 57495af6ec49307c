// D3D9ReadBackBuffer on Windows, through the Direct3D 9 API itself: the back
// buffer is copied to a system-memory surface by GetRenderTargetData
// (resolved first when multisampled) and read through LockRect.
#include <d3d9.h>

#include "d3d9_readback.h"

namespace {

template <typename T>
struct Released {
  T* p = nullptr;
  ~Released() {
    if (p != nullptr) p->Release();
  }
};

}  // namespace

bool D3D9ReadBackBuffer(IDirect3DDevice9* pDevice, std::vector<unsigned char>& Pixels, int& iWidth,
                        int& iHeight) {
  if (pDevice == nullptr) return false;
  Released<IDirect3DSurface9> BackBuffer;
  if (FAILED(pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBuffer.p))) return false;
  D3DSURFACE_DESC Desc{};
  if (FAILED(BackBuffer.p->GetDesc(&Desc))) return false;
  if (Desc.Format != D3DFMT_X8R8G8B8 && Desc.Format != D3DFMT_A8R8G8B8) return false;

  // GetRenderTargetData reads single-sampled surfaces only.
  IDirect3DSurface9* pSource = BackBuffer.p;
  Released<IDirect3DSurface9> Resolved;
  if (Desc.MultiSampleType != D3DMULTISAMPLE_NONE) {
    if (FAILED(pDevice->CreateRenderTarget(Desc.Width, Desc.Height, Desc.Format, D3DMULTISAMPLE_NONE, 0, FALSE,
                                           &Resolved.p, nullptr)) ||
        FAILED(pDevice->StretchRect(BackBuffer.p, nullptr, Resolved.p, nullptr, D3DTEXF_NONE))) {
      return false;
    }
    pSource = Resolved.p;
  }
  Released<IDirect3DSurface9> Copy;
  if (FAILED(pDevice->CreateOffscreenPlainSurface(Desc.Width, Desc.Height, Desc.Format, D3DPOOL_SYSTEMMEM, &Copy.p,
                                                  nullptr)) ||
      FAILED(pDevice->GetRenderTargetData(pSource, Copy.p))) {
    return false;
  }
  D3DLOCKED_RECT Locked{};
  if (FAILED(Copy.p->LockRect(&Locked, nullptr, D3DLOCK_READONLY))) return false;
  iWidth = static_cast<int>(Desc.Width);
  iHeight = static_cast<int>(Desc.Height);
  Pixels.resize(static_cast<size_t>(iWidth) * static_cast<size_t>(iHeight) * 4);
  // Memory order of X8R8G8B8 is B, G, R, X.
  for (int y = 0; y < iHeight; ++y) {
    const auto* pRow = static_cast<const unsigned char*>(Locked.pBits) + static_cast<size_t>(y) * Locked.Pitch;
    unsigned char* pOut = Pixels.data() + static_cast<size_t>(y) * static_cast<size_t>(iWidth) * 4;
    for (int x = 0; x < iWidth; ++x) {
      pOut[4 * x + 0] = pRow[4 * x + 2];
      pOut[4 * x + 1] = pRow[4 * x + 1];
      pOut[4 * x + 2] = pRow[4 * x + 0];
      pOut[4 * x + 3] = 255;
    }
  }
  Copy.p->UnlockRect();
  return true;
}

bool D3D9DrawnSize(IDirect3DDevice9* pDevice, int& iWidth, int& iHeight) {
  if (pDevice == nullptr) return false;
  Released<IDirect3DSurface9> BackBuffer;
  D3DSURFACE_DESC Desc{};
  if (FAILED(pDevice->GetBackBuffer(0, 0, D3DBACKBUFFER_TYPE_MONO, &BackBuffer.p)) ||
      FAILED(BackBuffer.p->GetDesc(&Desc))) {
    return false;
  }
  iWidth = static_cast<int>(Desc.Width);
  iHeight = static_cast<int>(Desc.Height);
  return true;
}

// Placeholder until the GL device lands: no display, no device.
#include "d3d9.h"
#include "d3d9_seams.h"

static std::function<IDirect3D9*(UINT)> fnCreateOverride;

void D3D9SetCreateOverride(std::function<IDirect3D9*(UINT)> fnCreate) { fnCreateOverride = std::move(fnCreate); }

IDirect3D9* Direct3DCreate9(UINT SDKVersion) {
  if (fnCreateOverride) return fnCreateOverride(SDKVersion);
  return nullptr;
}

bool D3D9ReadBackBuffer(IDirect3DDevice9*, std::vector<unsigned char>&, int&, int&) { return false; }
bool D3D9WritePng(const std::string&, const std::vector<unsigned char>&, int, int) { return false; }
uint64_t D3D9GlCallCount(IDirect3DDevice9*) { return 0; }

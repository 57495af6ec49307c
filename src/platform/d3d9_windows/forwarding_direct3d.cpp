#include "forwarding_direct3d.h"

IDirect3D9* SystemDirect3DCreate9(UINT iSdkVersion) {
  using CreateFunction = IDirect3D9*(WINAPI*)(UINT);
  HMODULE hD3D9 = LoadLibraryA("d3d9.dll");
  if (hD3D9 == nullptr) return nullptr;
  const auto fnCreate =
      reinterpret_cast<CreateFunction>(reinterpret_cast<void*>(GetProcAddress(hD3D9, "Direct3DCreate9")));
  return fnCreate != nullptr ? fnCreate(iSdkVersion) : nullptr;
}

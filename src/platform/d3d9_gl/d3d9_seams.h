// Hooks of the Direct3D 9 stand-in for tests and tools: replace the object
// Direct3DCreate9 returns, and read back what the GL device drew.
#pragma once

#include "d3d9.h"

#include <functional>
#include <string>
#include <vector>

// Direct3DCreate9 calls this factory instead of opening GL while it is set;
// an empty function restores the GL implementation.
void D3D9SetCreateOverride(std::function<IDirect3D9*(UINT)> fnCreate);

// While iWidth is not zero, every device is made with this back-buffer size
// and at most iSamples samples (0: none) instead of what the presentation
// parameters ask; the parameters then tell what was made. For recordings at
// sizes and antialiasing the window does not have.
void D3D9SetBackBufferOverride(UINT iWidth, UINT iHeight, int iSamples);

// The back buffer's current content (multisampling resolved), as tightly
// packed RGBA rows, top row first. After Present it still holds the frame just
// presented. False for a device that is not the GL device.
bool D3D9ReadBackBuffer(IDirect3DDevice9* pDevice, std::vector<unsigned char>& Pixels, int& iWidth,
                        int& iHeight);

// Writes RGBA rows (top row first) to a PNG file; false when it cannot.
bool D3D9WritePng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth,
                  int iHeight);

// GL calls made since the device was created (a cache that works keeps this low).
uint64_t D3D9GlCallCount(IDirect3DDevice9* pDevice);

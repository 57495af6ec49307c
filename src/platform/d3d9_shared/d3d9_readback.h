// Reading back what a Direct3D 9 device drew, for the tools, benches and
// tests. Declared once here, beside what every Direct3D 9 implementation of
// ours shares; defined by each: the GL device on Linux and in the browser
// (d3d9_gl/gl_direct3d.cpp, with its other seams), and on Windows through the
// Direct3D 9 API itself (d3d9_windows/system_readback.cpp), so a tool builds
// on either.
#pragma once

#include <vector>

struct IDirect3DDevice9;

// The back buffer's current content (multisampling resolved), as tightly
// packed RGBA rows, top row first, alpha 255, at the size it is drawn at (the
// GL device draws at the window's size, D3D9DrawnSize). After Present it still
// holds the frame just presented. False when the device cannot be read.
bool D3D9ReadBackBuffer(IDirect3DDevice9* pDevice, std::vector<unsigned char>& Pixels, int& iWidth, int& iHeight);

// The size of the back buffer now, the frame last drawn's: the presentation
// parameters' on Windows, the window's on the GL device unless a recording
// fixes it.
bool D3D9DrawnSize(IDirect3DDevice9* pDevice, int& iWidth, int& iHeight);

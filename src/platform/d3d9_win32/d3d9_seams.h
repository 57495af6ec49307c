// Read-back for tools on Windows, through the Direct3D 9 API itself: the
// same names as the GL device's hooks, so a tool builds on either.
#pragma once

#include <d3d9.h>

#include <string>
#include <vector>

// The back buffer's current content as tightly packed RGBA rows, top row
// first (alpha 255): copied to a system-memory surface by GetRenderTargetData
// (resolved first when multisampled) and read through LockRect.
bool D3D9ReadBackBuffer(IDirect3DDevice9* pDevice, std::vector<unsigned char>& Pixels, int& iWidth,
                        int& iHeight);

// Writes RGBA rows (top row first) to a PNG file; false when it cannot.
bool D3D9WritePng(const std::string& strPath, const std::vector<unsigned char>& Pixels, int iWidth,
                  int iHeight);

// Direct3DCreate9 for the tools and benches that link the object library
// vimra_d3d9_win32_single_sample: the system's Direct3D object, except that
// CreateDevice refuses multisampled back buffers, so the start-up's chain of
// attempts settles on one without. (Defined in the program itself, it is
// found before d3d9.dll's import; the real one is fetched at run time.)

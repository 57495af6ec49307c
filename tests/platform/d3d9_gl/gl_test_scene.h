// Helpers for the GL device's pixel tests: a device on a hidden window, meshes
// made of quads, a cube texture of one colour per face, the demo's projection
// and a read-back frame to sample.
#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <vector>

#include "core/globals.h"
#include "d3d9.h"
#include "d3d9_seams.h"
#include "d3dx9.h"

namespace gltest {

struct Vertex {
  float x, y, z, nx, ny, nz, u, v;
};

inline HWND TestWindow() {
  static HWND hWindow = CreateWindowExA(0, "STATIC", "Vimra GL test", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 720, nullptr,
                                        nullptr, nullptr, nullptr);
  return hWindow;
}

inline D3DPRESENT_PARAMETERS DemoParams(D3DMULTISAMPLE_TYPE eSamples) {
  return DemoPresentParams(eSamples, TestWindow());
}

// The demo's fixed projection: near plane 1, 16:9.
inline D3DXMATRIX DemoProjection() {
  return D3DXMATRIX(3.6f, 0, 0, 0, 0, 6.4f, 0, 0, 0, 0, 1.001f, 1, 0, 0, -1.001f, 0);
}

inline D3DXMATRIX Identity() {
  D3DXMATRIX m;
  D3DXMatrixIdentity(&m);
  return m;
}

inline D3DXMATRIX Translation(float x, float y, float z) {
  D3DXMATRIX m = Identity();
  m._41 = x, m._42 = y, m._43 = z;
  return m;
}

// Row-vector rotations about Y (yaw) and X (pitch), left-handed.
inline D3DXMATRIX RotationY(float a) {
  return D3DXMATRIX(std::cos(a), 0, -std::sin(a), 0, 0, 1, 0, 0, std::sin(a), 0, std::cos(a), 0, 0, 0, 0, 1);
}
inline D3DXMATRIX RotationX(float a) {
  return D3DXMATRIX(1, 0, 0, 0, 0, std::cos(a), std::sin(a), 0, 0, -std::sin(a), std::cos(a), 0, 0, 0, 0, 1);
}
inline D3DXMATRIX operator*(const D3DXMATRIX& A, const D3DXMATRIX& B) {
  D3DXMATRIX m;
  D3DXMatrixMultiply(&m, &A, &B);
  return m;
}

// A square of side fSize in the plane z = 0, centred on the origin, facing -z
// (toward a camera looking along +z), split into iCells x iCells quads.
// Triangles follow the engine's rule: (b - a) x (c - a) is the outward normal,
// which shows them clockwise on screen. bReversed flips every triangle.
inline void AddSquare(std::vector<Vertex>& Vertices, std::vector<uint16_t>& Indices, float fSize, int iCells,
                      bool bReversed = false) {
  const auto iBase = static_cast<uint16_t>(Vertices.size());
  for (int j = 0; j <= iCells; ++j) {
    for (int i = 0; i <= iCells; ++i) {
      const float x = fSize * (static_cast<float>(i) / iCells - 0.5f);
      const float y = fSize * (static_cast<float>(j) / iCells - 0.5f);
      Vertices.push_back({x, y, 0, 0, 0, -1, static_cast<float>(i) / iCells, static_cast<float>(j) / iCells});
    }
  }
  const auto At = [&](int i, int j) { return static_cast<uint16_t>(iBase + j * (iCells + 1) + i); };
  for (int j = 0; j < iCells; ++j) {
    for (int i = 0; i < iCells; ++i) {
      const uint16_t a = At(i, j), b = At(i, j + 1), c = At(i + 1, j), d = At(i + 1, j + 1);
      const uint16_t Tri[6] = {a, b, c, b, d, c};
      for (int k = 0; k < 6; k += 3) {
        Indices.push_back(Tri[k]);
        Indices.push_back(bReversed ? Tri[k + 2] : Tri[k + 1]);
        Indices.push_back(bReversed ? Tri[k + 1] : Tri[k + 2]);
      }
    }
  }
}

// Vertex and index buffers holding one mesh, bound and drawn in one call.
class Mesh {
 public:
  static constexpr DWORD kFvf = D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1;
  Mesh(IDirect3DDevice9* pDevice, const std::vector<Vertex>& Vertices, const std::vector<uint16_t>& Indices)
      : iVertices(static_cast<UINT>(Vertices.size())), iTriangles(static_cast<UINT>(Indices.size() / 3)) {
    void* pData = nullptr;
    const UINT iVertexBytes = static_cast<UINT>(Vertices.size() * sizeof(Vertex));
    const UINT iIndexBytes = static_cast<UINT>(Indices.size() * sizeof(uint16_t));
    EXPECT_EQ(pDevice->CreateVertexBuffer(iVertexBytes, D3DUSAGE_WRITEONLY, kFvf, D3DPOOL_MANAGED, &pVertices, nullptr), D3D_OK);
    EXPECT_EQ(pDevice->CreateIndexBuffer(iIndexBytes, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &pIndices, nullptr), D3D_OK);
    pVertices->Lock(0, 0, &pData, 0);
    std::memcpy(pData, Vertices.data(), iVertexBytes);
    pVertices->Unlock();
    pIndices->Lock(0, 0, &pData, 0);
    std::memcpy(pData, Indices.data(), iIndexBytes);
    pIndices->Unlock();
  }
  ~Mesh() {
    pVertices->Release();
    pIndices->Release();
  }
  Mesh(const Mesh&) = delete;
  Mesh& operator=(const Mesh&) = delete;

  HRESULT Draw(IDirect3DDevice9* pDevice, const D3DXMATRIX& matWorld) const {
    pDevice->SetTransform(D3DTS_WORLD, &matWorld);
    pDevice->SetFVF(kFvf);
    pDevice->SetIndices(pIndices);
    pDevice->SetStreamSource(0, pVertices, 0, sizeof(Vertex));
    return pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, iVertices, 0, iTriangles);
  }

  IDirect3DVertexBuffer9* pVertices = nullptr;
  IDirect3DIndexBuffer9* pIndices = nullptr;
  UINT iVertices, iTriangles;
};

// One square of AddSquare's, in buffers of its own.
inline Mesh SquareMesh(IDirect3DDevice9* pDevice, float fSize, int iCells, bool bReversed = false) {
  std::vector<Vertex> Vertices;
  std::vector<uint16_t> Indices;
  AddSquare(Vertices, Indices, fSize, iCells, bReversed);
  return Mesh(pDevice, Vertices, Indices);
}

// A cube texture whose six faces are filled by a function of (face, x, y).
template <typename Fn>
IDirect3DCubeTexture9* MakeCube(IDirect3DDevice9* pDevice, UINT iEdge, D3DFORMAT eFormat, Fn fnTexel) {
  IDirect3DCubeTexture9* pCube = nullptr;
  EXPECT_EQ(pDevice->CreateCubeTexture(iEdge, 1, 0, eFormat, D3DPOOL_MANAGED, &pCube, nullptr), D3D_OK);
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    D3DLOCKED_RECT Locked;
    EXPECT_EQ(pCube->LockRect(static_cast<D3DCUBEMAP_FACES>(iFace), 0, &Locked, nullptr, 0), D3D_OK);
    for (UINT y = 0; y < iEdge; ++y) {
      auto* pRow = reinterpret_cast<D3DCOLOR*>(static_cast<unsigned char*>(Locked.pBits) + y * Locked.Pitch);
      for (UINT x = 0; x < iEdge; ++x) pRow[x] = fnTexel(iFace, x, y);
    }
    EXPECT_EQ(pCube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(iFace), 0), D3D_OK);
  }
  return pCube;
}

struct Frame {
  std::vector<unsigned char> Pixels;
  int iWidth = 0, iHeight = 0;
  // The pixel as 0xAARRGGBB.
  D3DCOLOR At(int x, int y) const {
    const unsigned char* p = &Pixels[(static_cast<size_t>(y) * iWidth + x) * 4];
    return D3DCOLOR_ARGB(p[3], p[0], p[1], p[2]);
  }
};

inline Frame ReadFrame(IDirect3DDevice9* pDevice) {
  Frame Out;
  EXPECT_TRUE(D3D9ReadBackBuffer(pDevice, Out.Pixels, Out.iWidth, Out.iHeight));
  return Out;
}

// Largest per-channel difference of the colour channels.
inline int ColourDistance(D3DCOLOR a, D3DCOLOR b) {
  int iMax = 0;
  for (int iShift = 0; iShift < 24; iShift += 8) {
    iMax = std::max(iMax, std::abs(static_cast<int>((a >> iShift) & 0xFF) - static_cast<int>((b >> iShift) & 0xFF)));
  }
  return iMax;
}

// Where a world point lands on the 1280x720 back buffer (D3D pixel
// coordinates: centres on integers).
inline void ScreenOf(const D3DXMATRIX& matWorldViewProj, float x, float y, float z, float& fScreenX, float& fScreenY) {
  const D3DXVECTOR3 vecPoint(x, y, z);
  D3DXVECTOR4 Clip;
  D3DXVec3Transform(&Clip, &vecPoint, &matWorldViewProj);
  fScreenX = (Clip.x / Clip.w + 1.0f) * 0.5f * 1280.0f;
  fScreenY = (1.0f - Clip.y / Clip.w) * 0.5f * 720.0f;
}

// A GL device on the test window, or a skip when this machine has no GL display.
class DeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (TestWindow() == nullptr || (pD3D = Direct3DCreate9(D3D_SDK_VERSION)) == nullptr) {
      GTEST_SKIP() << "no GL-capable display";
    }
    D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
    ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pDevice),
              D3D_OK);
    const D3DXMATRIX matProjection = DemoProjection(), matView = Identity();
    pDevice->SetTransform(D3DTS_PROJECTION, &matProjection);
    pDevice->SetTransform(D3DTS_VIEW, &matView);
  }
  void TearDown() override {
    if (pDevice != nullptr) {
      // Bound resources hold references, as in Direct3D: unbind first.
      for (DWORD s = 0; s < 8; ++s) pDevice->SetTexture(s, nullptr);
      pDevice->SetIndices(nullptr);
      pDevice->SetStreamSource(0, nullptr, 0, 0);
      EXPECT_EQ(pDevice->Release(), 0u);
    }
    if (pD3D != nullptr) pD3D->Release();
  }

  IDirect3D9* pD3D = nullptr;
  IDirect3DDevice9* pDevice = nullptr;
};

}  // namespace gltest

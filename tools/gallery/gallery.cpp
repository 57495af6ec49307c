// vimra-gallery: draws what the mesh toolkit builds, through the real device
// path (DrawModel on the GL device, offscreen), into one PNG per subject:
//   grid.png          a grid from BuildGrid
//   ellipsoids.png    BuildEllipsoid with positive radii, and mirrored
//   subdivision.png   a packed octahedron after 0, 1, 2 and 3 subdivision steps
//   superquadrics.png shapes sampled from SuperquadricPoint over exponents
//   shadow.png        the surface-grid sphere through DrawSurfaceWithShadow
// usage: vimra-gallery [--data DIR] OUT_DIR   (DIR holds cube.dds)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "d3d9_seams.h"
#include "core/globals.h"
#include "host/run_demo.h"
#include "mesh/generators.h"
#include "mesh/mesh_store.h"
#include "mesh/normals.h"
#include "mesh/packed_mesh.h"
#include "mesh/scalar_math.h"
#include "mesh/superquadric.h"
#include "mesh/upload.h"
#include "render/draw_model.h"
#include "render/lights.h"
#include "core/records.h"
#include "render/shadow.h"
#include "win32_seams.h"

namespace {

// Model slots and parts from here on; the demo's own meshes use 0 to 2.
constexpr int kFirstSlot = 10;
int iNextSlot = kFirstSlot;

// Each picture's meshes take fresh slots, used as model, part and buffer number.
int NewSlot() { return iNextSlot++; }

void MakeModel(int s) { Models[s] = {s, 1, 0xFFFFFFFF, {}, {}}; }

// The host's per-frame state, then the camera.
void BeginPicture(D3DXVECTOR3 vecEye, D3DXVECTOR3 vecAt) {
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF8CAAC6, 1.0f, 0);
  pDevice->BeginScene();
  SetFrameState();
  const D3DXVECTOR3 vecUp(0, 1, 0);
  D3DXMatrixLookAtLH(&matView, &vecEye, &vecAt, &vecUp);
  pDevice->SetTransform(D3DTS_VIEW, &matView);
}

bool EndPicture(const std::filesystem::path& Path) {
  pDevice->EndScene();
  std::vector<unsigned char> Pixels;
  int iWidth = 0, iHeight = 0;
  if (!D3D9ReadBackBuffer(pDevice, Pixels, iWidth, iHeight) || !D3D9WritePng(Path.string(), Pixels, iWidth, iHeight)) {
    std::fprintf(stderr, "vimra-gallery: cannot write %s\n", Path.c_str());
    return false;
  }
  std::printf("%s\n", Path.c_str());
  return true;
}

bool GridPicture(const std::filesystem::path& Folder) {
  int s = NewSlot();
  BuildGrid(8.0f, 8, &IndexBuffers[s], &VertexBuffers[s], &MeshParts[s]);
  MakeModel(s);
  // The same grid again with a triangle cap: the first 2.5 rows of cells.
  int sCapped = NewSlot();
  BuildGrid(8.0f, 8, &IndexBuffers[sCapped], &VertexBuffers[sCapped], &MeshParts[sCapped]);
  MakeModel(sCapped);
  MeshParts[sCapped].iTriangleLimit = 40;
  BeginPicture(D3DXVECTOR3(0, 14, -26), D3DXVECTOR3(0, 0, 0));
  DrawModel(s, 0xFFC0E0FF, D3DXVECTOR3(-4.5f, 0, 0), D3DXVECTOR3(0.4f, 0, 0), 1.0f);
  DrawModel(sCapped, 0xFFFFE0C0, D3DXVECTOR3(4.5f, 0, 0), D3DXVECTOR3(-0.4f, 0, 0), 1.0f);
  return EndPicture(Folder / "grid.png");
}

bool EllipsoidPicture(const std::filesystem::path& Folder) {
  int s = NewSlot();
  BuildEllipsoid(2.0f, 1.0f, 1.4f, 24, &IndexBuffers[s], &VertexBuffers[s], &MeshParts[s]);
  MakeModel(s);
  int sMirrored = NewSlot();
  BuildEllipsoid(-2.0f, 1.0f, 1.4f, 24, &IndexBuffers[sMirrored], &VertexBuffers[sMirrored], &MeshParts[sMirrored]);
  MakeModel(sMirrored);
  BeginPicture(D3DXVECTOR3(0, 4, -24), D3DXVECTOR3(0, 0, 0));
  DrawModel(s, 0xFFFFD080, D3DXVECTOR3(-3, 0, 0), D3DXVECTOR3(0.5f, 0.3f, 0), 1.0f);
  DrawModel(sMirrored, 0xFF80D0FF, D3DXVECTOR3(3, 0, 0), D3DXVECTOR3(0.5f, 0.3f, 0), 1.0f);
  return EndPicture(Folder / "ellipsoids.png");
}

bool SubdivisionPicture(const std::filesystem::path& Folder) {
  const int8_t kOctahedronVertices[] = {127, 0, 0, -128, 0, 0, 0, 127, 0, 0, -128, 0, 0, 0, 127, 0, 0, -128};
  // Winding with (b - a) x (c - a) pointing outwards.
  const uint8_t kOctahedronFaces[] = {2, 0, 4, 2, 4, 1, 2, 1, 5, 2, 5, 0, 3, 4, 0, 3, 1, 4, 3, 5, 1, 3, 0, 5};
  const D3DXVECTOR3 vecScale(1.5f, 1.5f, 1.5f);
  BeginPicture(D3DXVECTOR3(0, 5, -30), D3DXVECTOR3(0, 0, 0));
  for (int iSteps = 0; iSteps <= 3; iSteps++) {
    int s = NewSlot();
    BuildPackedMesh(6, kOctahedronVertices, 8, kOctahedronFaces, &vecScale, iSteps, &IndexBuffers[s],
                    &VertexBuffers[s], &MeshParts[s]);
    MakeModel(s);
    DrawModel(s, 0xFFE0E0E0, D3DXVECTOR3(-6.0f + 4.0f * iSteps, 0, 0), D3DXVECTOR3(0.6f, 0.4f, 0), 1.6f);
  }
  return EndPicture(Folder / "subdivision.png");
}

// Samples the superquadric evaluator on rings of latitude and columns of
// longitude, laid out like the ellipsoid so the faces point outwards.
void BuildSuperquadric(float fExponent1, float fExponent2, int s) {
  constexpr int kRings = 32;
  constexpr int kColumns = 64;
  const float kPi = 3.1415927f;
  fSqExponent1 = fExponent1;
  fSqExponent2 = fExponent2;
  ResetMesh();
  for (int i = 0; i <= kRings; i++) {
    fSqLatitude = kPi * 0.5f - kPi * static_cast<float>(i) / kRings;
    for (int j = 0; j <= kColumns; j++) {
      fSqLongitude = kPi * 0.5f - 2.0f * kPi * static_cast<float>(j) / kColumns;
      SuperquadricPoint();
      CurrentVertex.vecPos = vecSqPoint;
      if (i >= 1 && j >= 1) {
        int v0 = iVertexCount, v1 = v0 - 1, v2 = v0 - (kColumns + 1), v3 = v2 - 1;
        AddTriangle(v0, v2, v1);
        AddTriangle(v1, v2, v3);
      }
      EmitVertex();
    }
    AddSeamPair(iVertexCount - 1, iVertexCount - (kColumns + 1));
  }
  CalcNormals();
  UploadMesh(&IndexBuffers[s], &VertexBuffers[s], &MeshParts[s], 0);
  MakeModel(s);
}

bool SuperquadricPicture(const std::filesystem::path& Folder) {
  const float kExponents[8][2] = {{0.1f, 0.1f}, {0.5f, 0.5f}, {1, 1}, {2, 2},
                                  {0.2f, 1}, {1, 0.2f}, {3, 3}, {0.3f, 2}};
  BeginPicture(D3DXVECTOR3(0, 4, -34), D3DXVECTOR3(0, 0, 0));
  for (int k = 0; k < 8; k++) {
    int s = NewSlot();
    BuildSuperquadric(kExponents[k][0], kExponents[k][1], s);
    float x = -6.0f + 4.0f * (k % 4);
    float y = k < 4 ? 2.2f : -2.2f;
    DrawModel(s, 0xFFFFC0A0, D3DXVECTOR3(x, y, 0), D3DXVECTOR3(0.5f, 0.4f, 0), 1.3f);
  }
  return EndPicture(Folder / "superquadrics.png");
}

// The surface the grid indices describe: a pole, 22 rings of 48 vertices and
// a second pole. Written through EmitMirroredVertex, so the buffer also holds
// the mirrored, enlarged copy one surface further on.
IDirect3DVertexBuffer9* BuildSurfaceVertices() {
  IDirect3DVertexBuffer9* pBuffer = nullptr;
  pDevice->CreateVertexBuffer(2 * 1058 * sizeof(MeshVertex), D3DUSAGE_WRITEONLY, kMeshVertexFvf, D3DPOOL_MANAGED,
                              &pBuffer, nullptr);
  void* pData = nullptr;
  if (pBuffer == nullptr || FAILED(pBuffer->Lock(0, 0, &pData, 0))) return pBuffer;
  pMirrorTarget = static_cast<MeshVertex*>(pData);
  const float kPi = 3.1415927f;
  for (int v = 0; v < iGridVertexCount; v++) {
    float fPhi = 0.0f, fTheta = 0.0f;
    if (v == iGridVertexCount - 1) {
      fPhi = kPi;
    } else if (v > 0) {
      fPhi = kPi * static_cast<float>((v - 1) / 48 + 1) / 23.0f;
      fTheta = 2.0f * kPi * static_cast<float>((v - 1) % 48) / 48.0f;
    }
    // x along cos, z along sin: the winding of the grid indices then faces outwards.
    float x = SinF(fPhi) * CosF(fTheta), y = CosF(fPhi), z = SinF(fPhi) * SinF(fTheta);
    PendingVertex = {x, y, z, x, y, z};
    iMirrorCursor = v;
    EmitMirroredVertex();
    pMirrorTarget[v].fU = pMirrorTarget[v].fV = 0.0f;
  }
  pBuffer->Unlock();
  pMirrorTarget = nullptr;
  return pBuffer;
}

// The sphere-like surface above the ground with its planar shadow.
bool ShadowPictures(const std::filesystem::path& Folder) {
  int sGround = NewSlot();
  BuildGrid(40.0f, 20, &IndexBuffers[sGround], &VertexBuffers[sGround], &MeshParts[sGround]);
  MakeModel(sGround);
  IDirect3DVertexBuffer9* pSurface = BuildSurfaceVertices();
  BeginPicture(D3DXVECTOR3(-10, 30, -30), D3DXVECTOR3(-1, -3, 2));
  // The ground a hair below the shadow plane y = -5.
  DrawModel(sGround, 0xFFD0D0C0, D3DXVECTOR3(0, -5.02f, 0), D3DXVECTOR3(0, 0, 0), 1.0f);
  pDevice->SetMaterial(&kMaterials[0]);
  pDevice->SetIndices(pGridIndices);
  pDevice->SetStreamSource(0, pSurface, 0, sizeof(MeshVertex));
  D3DXMATRIX matWorld(3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1);
  DrawSurfaceWithShadow(&matWorld);
  if (!EndPicture(Folder / "shadow.png")) return false;
  if (pSurface != nullptr) pSurface->Release();
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  std::filesystem::path DataFolder = std::filesystem::current_path();
  std::filesystem::path OutFolder;
  for (int i = 1; i < argc; i++) {
    const std::string strArg = argv[i];
    if (strArg == "--data" && i + 1 < argc) {
      DataFolder = argv[++i];
    } else if (OutFolder.empty()) {
      OutFolder = std::filesystem::absolute(strArg);
    } else {
      OutFolder.clear();
      break;
    }
  }
  if (OutFolder.empty()) {
    std::fprintf(stderr, "usage: vimra-gallery [--data DIR] OUT_DIR\n");
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  std::error_code error;
  std::filesystem::create_directories(OutFolder, error);
  std::filesystem::current_path(DataFolder, error);
  if (error) {
    std::fprintf(stderr, "vimra-gallery: cannot enter %s: %s\n", DataFolder.c_str(), error.message().c_str());
    return 1;
  }
  Win32SetExitHandler([](UINT) {
    std::fprintf(stderr, "vimra-gallery: no Direct3D device\n");
    std::exit(1);
  });
  StartUp();
  if (pCubeTexture == nullptr) std::printf("no cube.dds in %s: drawing without the reflection\n", DataFolder.c_str());
  bool bOk = GridPicture(OutFolder) && EllipsoidPicture(OutFolder) && SubdivisionPicture(OutFolder) &&
             SuperquadricPicture(OutFolder) && ShadowPictures(OutFolder);
  return bOk ? 0 : 1;
}

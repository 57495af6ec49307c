// vimra-gallery: draws what the mesh toolkit builds, through the real device
// path (DrawModel on the GL device, offscreen), into one PNG per subject:
//   grid.png          a grid from BuildGrid
//   ellipsoids.png    BuildEllipsoid with positive radii, and mirrored
//   subdivision.png   a packed octahedron after 0, 1, 2 and 3 subdivision steps
//   superquadrics.png shapes sampled from SuperquadricPoint over exponents
//   shadow.png        the surface-grid sphere through DrawSurfaceWithShadow
//   contact.png       all of the above on one sheet
// Each picture says what it shows in a caption; wireframe overlays show the
// grid's cells and each subdivision step's triangles.
// usage: vimra-gallery [--data DIR] OUT_DIR   (DIR holds cube.dds)
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "d3d9_seams.h"
#include "data_option.h"
#include "core/globals.h"
#include "host/data_files.h"
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
#include "tool_io.h"
#include "win32_seams.h"
#include "picture_text.h"
#include "png_file.h"

namespace {

const ToolInfo kTool = {"vimra-gallery", "vimra-gallery [--data DIR] OUT_DIR   (DIR holds cube.dds)"};

// Model slots and parts from here on; the demo's own meshes use 0 to 2.
constexpr int kFirstSlot = 10;
int iNextSlot = kFirstSlot;

// Each picture's meshes take fresh slots, used as model, part and buffer number.
int NewSlot() { return iNextSlot++; }

void MakeModel(int s) { Models[s] = {s, 1, 0xFFFFFFFF, {}, {}}; }

// Every picture drawn so far, for the contact sheet.
std::vector<Picture> Pictures;

// Where a world point lands in the picture, through the view in force and
// the demo's projection.
void Project(D3DXVECTOR3 vecWorld, int* px, int* py) {
  float In[4] = {vecWorld.x, vecWorld.y, vecWorld.z, 1}, Eye[4] = {}, Clip[4] = {};
  for (int c = 0; c < 4; c++) {
    for (int r = 0; r < 4; r++) Eye[c] += In[r] * matView(r, c);
  }
  for (int c = 0; c < 4; c++) {
    for (int r = 0; r < 4; r++) Clip[c] += Eye[r] * matProjection(r, c);
  }
  *px = static_cast<int>((Clip[0] / Clip[3] + 1) * 0.5f * static_cast<float>(PresentParams.BackBufferWidth));
  *py = static_cast<int>((1 - Clip[1] / Clip[3]) * 0.5f * static_cast<float>(PresentParams.BackBufferHeight));
}

// A label centred on the picture point of a world position.
Caption Label(const char* pszText, D3DXVECTOR3 vecWorld) {
  Caption Text;
  Text.strText = pszText;
  Project(vecWorld, &Text.x, &Text.y);
  Text.iScale = 2;
  Text.Place = Anchor::kCentre;
  return Text;
}

Caption Title(const std::string& strText) {
  Caption Text;
  Text.strText = strText;
  Text.x = 16, Text.y = 16;
  return Text;
}

// The model's triangle edges in dark lines over it: the same draw in
// wireframe, a hair larger (or, for flat shapes, a hair higher) so the lines
// win the depth test.
void DrawWire(int s, D3DXVECTOR3 vecPosition, D3DXVECTOR3 vecRotation, float fScale) {
  constexpr DWORD kFillWireframe = 2, kFillSolid = 3;  // D3DFILL_WIREFRAME, D3DFILL_SOLID
  pDevice->SetRenderState(D3DRS_FILLMODE, kFillWireframe);
  DrawModel(s, 0xFF101010, vecPosition, vecRotation, fScale);
  pDevice->SetRenderState(D3DRS_FILLMODE, kFillSolid);
}

// The host's per-frame state, then the camera.
void BeginPicture(D3DXVECTOR3 vecEye, D3DXVECTOR3 vecAt) {
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF8CAAC6, 1.0f, 0);
  pDevice->BeginScene();
  SetFrameState();
  const D3DXVECTOR3 vecUp(0, 1, 0);
  D3DXMatrixLookAtLH(&matView, &vecEye, &vecAt, &vecUp);
  pDevice->SetTransform(D3DTS_VIEW, &matView);
}

bool EndPicture(const std::filesystem::path& Path, const std::vector<Caption>& Captions) {
  pDevice->EndScene();
  Picture Shot;
  if (!D3D9ReadBackBuffer(pDevice, Shot.Pixels, Shot.iWidth, Shot.iHeight)) {
    Failure(kTool, "cannot read back " + Path.string());
    return false;
  }
  for (const Caption& Text : Captions) DrawCaption(&Shot, Text);
  Pictures.push_back(Shot);
  if (!WriteRgbaPng(Path.string(), Shot.Pixels, Shot.iWidth, Shot.iHeight)) {
    Failure(kTool, "cannot write " + Path.string());
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
  BeginPicture(D3DXVECTOR3(0, 21, -40), D3DXVECTOR3(0, -1, 0));
  const D3DXVECTOR3 vecLeft(-5.5f, 0, 0), vecRight(5.5f, 0, 0), vecLift(0, 0.02f, 0);
  DrawModel(s, 0xFFA0B8D0, vecLeft, D3DXVECTOR3(0.4f, 0, 0), 1.0f);
  DrawWire(s, vecLeft + vecLift, D3DXVECTOR3(0.4f, 0, 0), 1.0f);
  DrawModel(sCapped, 0xFFB09880, vecRight, D3DXVECTOR3(-0.4f, 0, 0), 1.0f);
  DrawWire(sCapped, vecRight + vecLift, D3DXVECTOR3(-0.4f, 0, 0), 1.0f);
  return EndPicture(Folder / "grid.png",
                    {Title("BuildGrid(8, 8): 8 x 8 cells, two triangles each"),
                     Label("all 128 triangles", vecLeft + D3DXVECTOR3(0, 0, -5.5f)),
                     Label("iTriangleLimit 40:\nthe first 2.5 rows", vecRight + D3DXVECTOR3(0, 0, -5.5f))});
}

bool EllipsoidPicture(const std::filesystem::path& Folder) {
  int s = NewSlot();
  BuildEllipsoid(2.0f, 1.0f, 1.4f, 24, &IndexBuffers[s], &VertexBuffers[s], &MeshParts[s]);
  MakeModel(s);
  int sMirrored = NewSlot();
  BuildEllipsoid(-2.0f, 1.0f, 1.4f, 24, &IndexBuffers[sMirrored], &VertexBuffers[sMirrored], &MeshParts[sMirrored]);
  MakeModel(sMirrored);
  BeginPicture(D3DXVECTOR3(0, 4, -24), D3DXVECTOR3(0, 0, 0));
  DrawModel(s, 0xFFB09060, D3DXVECTOR3(-3, 0, 0), D3DXVECTOR3(0.5f, 0.3f, 0), 1.0f);
  DrawModel(sMirrored, 0xFF6090B0, D3DXVECTOR3(3, 0, 0), D3DXVECTOR3(0.5f, 0.3f, 0), 1.0f);
  return EndPicture(Folder / "ellipsoids.png",
                    {Title("BuildEllipsoid (n = 24): the mirrored one still faces outwards"),
                     Label("radii (2, 1, 1.4)", D3DXVECTOR3(-3, -2.3f, 0)),
                     Label("mirrored: radii (-2, 1, 1.4)", D3DXVECTOR3(3, -2.3f, 0))});
}

bool SubdivisionPicture(const std::filesystem::path& Folder) {
  const int8_t kOctahedronVertices[] = {127, 0, 0, -128, 0, 0, 0, 127, 0, 0, -128, 0, 0, 0, 127, 0, 0, -128};
  // Winding with (b - a) x (c - a) pointing outwards.
  const uint8_t kOctahedronFaces[] = {2, 4, 0, 2, 1, 4, 2, 5, 1, 2, 0, 5, 3, 0, 4, 3, 4, 1, 3, 1, 5, 3, 5, 0};
  const D3DXVECTOR3 vecScale(1.5f, 1.5f, 1.5f);
  BeginPicture(D3DXVECTOR3(0, 5, -30), D3DXVECTOR3(0, 0, 0));
  std::vector<Caption> Captions = {Title("BuildPackedMesh: an octahedron after 0 to 3 Loop subdivision steps")};
  for (int iSteps = 0; iSteps <= 3; iSteps++) {
    int s = NewSlot();
    BuildPackedMesh(6, kOctahedronVertices, 8, kOctahedronFaces, &vecScale, iSteps, &IndexBuffers[s],
                    &VertexBuffers[s], &MeshParts[s]);
    MakeModel(s);
    const D3DXVECTOR3 vecAt(-6.0f + 4.0f * iSteps, 0, 0), vecTurn(0.6f, 0.4f, 0);
    DrawModel(s, 0xFFA0A0A0, vecAt, vecTurn, 1.6f);
    DrawWire(s, vecAt, vecTurn, 1.62f);
    const std::string strText = std::to_string(iSteps) + (iSteps == 1 ? " step\n" : " steps\n") +
                                std::to_string(MeshParts[s].iNumIndices / 3) + " triangles";
    Captions.push_back(Label(strText.c_str(), vecAt + D3DXVECTOR3(0, -3.4f, 0)));
  }
  return EndPicture(Folder / "subdivision.png", Captions);
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
  std::vector<Caption> Captions = {Title("SuperquadricPoint over its two exponents")};
  for (int k = 0; k < 8; k++) {
    int s = NewSlot();
    BuildSuperquadric(kExponents[k][0], kExponents[k][1], s);
    float x = -6.0f + 4.0f * (k % 4);
    float y = k < 4 ? 2.2f : -2.2f;
    DrawModel(s, 0xFFB09078, D3DXVECTOR3(x, y, 0), D3DXVECTOR3(0.5f, 0.4f, 0), 1.3f);
    char szText[32];
    std::snprintf(szText, sizeof szText, "%g, %g", static_cast<double>(kExponents[k][0]),
                  static_cast<double>(kExponents[k][1]));
    Captions.push_back(Label(szText, D3DXVECTOR3(x, y - 1.75f, 0)));
  }
  return EndPicture(Folder / "superquadrics.png", Captions);
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
  // A matte ground (material 2, faint specular): the shiny material's
  // highlight alone would take it to white.
  MeshParts[sGround].iMaterial = 2;
  IDirect3DVertexBuffer9* pSurface = BuildSurfaceVertices();
  BeginPicture(D3DXVECTOR3(-10, 30, -30), D3DXVECTOR3(-1, -3, 2));
  // The ground a hair below the shadow plane y = -5.
  DrawModel(sGround, 0xFFB0A898, D3DXVECTOR3(0, -5.02f, 0), D3DXVECTOR3(0, 0, 0), 1.0f);
  pDevice->SetMaterial(&kMaterials[0]);
  pDevice->SetIndices(pGridIndices);
  pDevice->SetStreamSource(0, pSurface, 0, sizeof(MeshVertex));
  D3DXMATRIX matWorld(3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 3, 0, 0, 0, 0, 1);
  DrawSurfaceWithShadow(&matWorld);
  if (!EndPicture(Folder / "shadow.png",
                  {Title("DrawSurfaceWithShadow: the grid-index sphere and its planar shadow"),
                   Label("flattened onto y = -5 from the\npoint light at (50, 100, -70)", D3DXVECTOR3(-2.5f, -5, 3.5f) * 3.0f)})) {
    return false;
  }
  if (pSurface != nullptr) pSurface->Release();
  return true;
}

// All pictures at half size, three to a row.
bool ContactSheetPicture(const std::filesystem::path& Folder) {
  const Picture Sheet = ContactSheet(Pictures, 3, 2, 8);
  const std::filesystem::path Path = Folder / "contact.png";
  if (!WriteRgbaPng(Path.string(), Sheet.Pixels, Sheet.iWidth, Sheet.iHeight)) {
    Failure(kTool, "cannot write " + Path.string());
    return false;
  }
  std::printf("%s\n", Path.c_str());
  return true;
}

int Run(int argc, char** argv) {
  std::filesystem::path DataFolder;
  std::vector<std::string> Arguments;
  if (const int iCode = ParseDataOption(kTool, argc, argv, DataFolder, Arguments)) return iCode;
  if (Arguments.empty()) return UsageError(kTool, "no output folder");
  if (Arguments.size() > 1) return UsageError(kTool, "one output folder only");
  const std::string& strOut = Arguments[0];
  std::error_code error;
  const std::filesystem::path OutFolder = std::filesystem::absolute(strOut, error);
  if (error) return UsageError(kTool, "'" + strOut + "' is not a folder name");
  // The data folder is checked before anything is created.
  if (!DataFolder.empty() && !std::filesystem::is_directory(DataFolder, error))
    return Failure(kTool, "no data folder " + DataFolder.string());
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  std::filesystem::create_directories(OutFolder, error);
  if (error || !std::filesystem::is_directory(OutFolder))
    return Failure(kTool, "cannot create " + OutFolder.string() + (error ? ": " + error.message() : ""));
  if (const int iCode = EnterDataOption(kTool, DataFolder, kDataFileNames)) return iCode;
  Win32SetExitHandler([](UINT) {
    std::fprintf(stderr, "vimra-gallery: no Direct3D device\n");
    std::exit(1);
  });
  StartUp();
  if (pCubeTexture == nullptr)
    std::printf("no %s in %s: drawing without the reflection\n", kDataFileNames[kCubeMapFile],
                std::filesystem::current_path(error).c_str());
  bool bOk = GridPicture(OutFolder) && EllipsoidPicture(OutFolder) && SubdivisionPicture(OutFolder) &&
             SuperquadricPicture(OutFolder) && ShadowPictures(OutFolder) && ContactSheetPicture(OutFolder);
  return bOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

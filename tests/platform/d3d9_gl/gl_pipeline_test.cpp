// The fixed-function pipeline of the GL device against Direct3D 9's equations,
// computed here on the CPU: vertex lighting, the local-viewer highlight, the
// texture stages and the reflection-vector cube lookup.
#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "gl_test_scene.h"
#include "core/globals.h"
#include "core/records.h"
#include "host/run_demo.h"
#include "render/draw_model.h"
#include "render/lights.h"

using namespace gltest;

namespace {

struct Vec {
  double x, y, z;
};
Vec operator+(Vec a, Vec b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec operator*(Vec a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec a, Vec b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec Cross(Vec a, Vec b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec Normalise(Vec a) { return a * (1.0 / std::sqrt(Dot(a, a))); }

// Row vector times a matrix: the point form adds the translation row.
Vec TransformPoint(Vec v, const D3DMATRIX& m) {
  return {v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41, v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42,
          v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43};
}
Vec TransformDirection(Vec v, const D3DMATRIX& m) {
  return {v.x * m._11 + v.y * m._21 + v.z * m._31, v.x * m._12 + v.y * m._22 + v.z * m._32,
          v.x * m._13 + v.y * m._23 + v.z * m._33};
}

// Rotation whose rows take the object axes to a basis with +z along -vecNormal,
// so the squares of AddSquare (facing -z) face along vecNormal.
D3DXMATRIX Facing(Vec vecNormal) {
  const Vec z = Normalise(vecNormal * -1.0);
  const Vec up = std::abs(z.y) > 0.99 ? Vec{1, 0, 0} : Vec{0, 1, 0};
  const Vec x = Normalise(Cross(up, z)), y = Cross(z, x);
  return D3DXMATRIX(float(x.x), float(x.y), float(x.z), 0, float(y.x), float(y.y), float(y.z), 0, float(z.x),
                    float(z.y), float(z.z), 0, 0, 0, 0, 1);
}

struct Lit {
  Vec Diffuse, Specular;
};

double Clamp01(double f) { return std::clamp(f, 0.0, 1.0); }

// Direct3D 9's vertex lighting for directional lights, from its documented
// equations: camera space, directions through VIEW alone, local viewer, the
// N.L > 0 and N.H > 0 gate, each colour clamped once after the sum. The world
// matrix has a uniform scale fScale.
Lit ReferenceLighting(const D3DMATERIAL9& M, const std::vector<D3DLIGHT9>& Lights, const D3DMATRIX& matWorld,
                      float fScale, const D3DMATRIX& matView, Vec vecPosition, Vec vecNormal, bool bNormalize,
                      bool bLocalViewer) {
  const Vec P = TransformPoint(TransformPoint(vecPosition, matWorld), matView);
  // Inverse transpose of a rotation scaled by s is the matrix over s squared.
  Vec N = TransformDirection(TransformDirection(vecNormal, matWorld), matView) * (1.0 / (fScale * fScale));
  if (bNormalize) N = Normalise(N);
  const Vec E = bLocalViewer ? Normalise(P) * -1.0 : Vec{0, 0, -1};
  Vec Ambient = {0, 0, 0}, Diffuse = {0, 0, 0}, Specular = {0, 0, 0};
  for (const D3DLIGHT9& L : Lights) {
    const Vec vecToLight = Normalise(TransformDirection({L.Direction.x, L.Direction.y, L.Direction.z}, matView)) * -1.0;
    Ambient = Ambient + Vec{L.Ambient.r, L.Ambient.g, L.Ambient.b};
    const double fNdotL = Dot(N, vecToLight);
    Diffuse = Diffuse + Vec{L.Diffuse.r, L.Diffuse.g, L.Diffuse.b} * Clamp01(fNdotL);
    const double fNdotH = Dot(N, Normalise(vecToLight + E));
    if (fNdotL > 0 && fNdotH > 0) {
      Specular = Specular + Vec{L.Specular.r, L.Specular.g, L.Specular.b} * std::pow(fNdotH, M.Power);
    }
  }
  Lit Out;
  Out.Diffuse = {Clamp01(M.Emissive.r + M.Ambient.r * Ambient.x + M.Diffuse.r * Diffuse.x),
                 Clamp01(M.Emissive.g + M.Ambient.g * Ambient.y + M.Diffuse.g * Diffuse.y),
                 Clamp01(M.Emissive.b + M.Ambient.b * Ambient.z + M.Diffuse.b * Diffuse.z)};
  Out.Specular = {Clamp01(M.Specular.r * Specular.x), Clamp01(M.Specular.g * Specular.y),
                  Clamp01(M.Specular.b * Specular.z)};
  return Out;
}

D3DCOLOR ToColour(Vec c) {
  const auto Byte = [](double f) { return static_cast<int>(std::lround(Clamp01(f) * 255.0)); };
  return D3DCOLOR_ARGB(255, Byte(c.x), Byte(c.y), Byte(c.z));
}

D3DMATERIAL9 TestMaterial(float fPower) {
  D3DMATERIAL9 M = {};
  M.Diffuse = {0.8f, 0.6f, 0.4f, 1.0f};
  M.Ambient = {0.5f, 0.4f, 0.3f, 1.0f};
  M.Specular = {0.6f, 0.6f, 0.5f, 1.0f};
  M.Emissive = {0.05f, 0.0f, 0.1f, 0.0f};
  M.Power = fPower;
  return M;
}

// The host's own per-frame state (materials only, normals normalised,
// specular on, stage 0 = TFACTOR x DIFFUSE, the demo's lights), drawn
// untinted: DrawModel sets each model's tint, these draws keep white.
class PipelineTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (pDevice == nullptr) return;
    ::pDevice = pDevice;
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    pDevice->BeginScene();
    SetFrameState();
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFFFFFF);
  }
  void TearDown() override {
    ::pDevice = nullptr;
    DeviceTest::TearDown();
  }
  void UseLights(const std::vector<D3DLIGHT9>& Lights) {
    for (DWORD i = 0; i < 8; ++i) pDevice->LightEnable(i, FALSE);
    for (size_t i = 0; i < Lights.size(); ++i) {
      pDevice->SetLight(static_cast<DWORD>(i), &Lights[i]);
      pDevice->LightEnable(static_cast<DWORD>(i), TRUE);
    }
  }
};

}  // namespace

// ---- lighting --------------------------------------------------------------------

TEST_F(PipelineTest, SurfaceLitByEachLightMatchesDirect3DsEquations) {
  struct Case {
    const char* pszName;
    std::vector<D3DLIGHT9> Lights;
    int iFacingLight;  // the surface faces this one of Lights; kAway, kGrazing: the first behind it
    float fPower;
    float fScale;
    bool bNormalize;
  };
  const std::vector<D3DLIGHT9> Demo(kLightRecords, kLightRecords + kLightCount);
  constexpr int kAway = -1, kGrazing = -2;
  const Case Cases[] = {
      {"light 0", {Demo[0]}, 0, 10.0f, 1.0f, true},
      {"light 1", {Demo[1]}, 0, 10.0f, 1.0f, true},
      {"light 2 (direction not unit length)", {Demo[2]}, 0, 10.0f, 1.0f, true},
      {"all three, sums clamp once", Demo, 0, 4.0f, 1.0f, true},
      {"facing away: ambient only, no specular", {Demo[0]}, kAway, 10.0f, 1.0f, true},
      {"lit from just behind: N.H > 0 but no specular", {Demo[0]}, kGrazing, 1.0f, 1.0f, true},
      {"power 0: full specular wherever lit", {Demo[1]}, 0, 0.0f, 1.0f, true},
      {"all three, facing light 2", Demo, 2, 10.0f, 1.0f, true},
      {"scaled world, normals kept as transformed", {Demo[0]}, 0, 10.0f, 2.0f, false},
      {"scaled world, normals normalised", {Demo[0]}, 0, 10.0f, 2.0f, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.pszName);
    const D3DLIGHT9& Faced = C.Lights[std::max(C.iFacingLight, 0)];
    const Vec vecDirection = Normalise({Faced.Direction.x, Faced.Direction.y, Faced.Direction.z});
    Vec vecNormal = C.iFacingLight >= 0 ? vecDirection * -1.0 : vecDirection;
    if (C.iFacingLight == kGrazing) {
      // N.L = -0.2: the light sits just behind the surface.
      const Vec vecAcross = Normalise(Cross(vecDirection, {0, 1, 0}));
      vecNormal = vecDirection * 0.2 + vecAcross * std::sqrt(1.0 - 0.04);
    }
    // A camera off the normal, looking at the surface's centre, which lands
    // on pixel (640, 360) and is a vertex of the grid.
    const D3DXMATRIX matRotation = Facing(vecNormal);
    const Vec vecSide = TransformDirection({1, 0, 0}, matRotation), vecUp = TransformDirection({0, 1, 0}, matRotation);
    const Vec vecEye = Normalise(vecNormal + vecSide * 0.4 + vecUp * 0.3) * 10.0;
    const D3DXVECTOR3 Eye(float(vecEye.x), float(vecEye.y), float(vecEye.z)), At(0, 0, 0);
    const D3DXVECTOR3 Up = std::abs(vecEye.y) > 9.9 ? D3DXVECTOR3(1, 0, 0) : D3DXVECTOR3(0, 1, 0);
    D3DXMATRIX matView;
    D3DXMatrixLookAtLH(&matView, &Eye, &At, &Up);
    D3DXMATRIX matScale = Identity();
    matScale._11 = matScale._22 = matScale._33 = C.fScale;
    const D3DXMATRIX matWorld = matScale * matRotation;

    const Mesh Square = SquareMesh(pDevice, 1.0f, 2);
    const D3DMATERIAL9 Material = TestMaterial(C.fPower);
    pDevice->SetMaterial(&Material);
    pDevice->SetRenderState(D3DRS_NORMALIZENORMALS, C.bNormalize);
    pDevice->SetTransform(D3DTS_VIEW, &matView);
    UseLights(C.Lights);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Square.Draw(pDevice, matWorld), D3D_OK);

    const Lit Expected =
        ReferenceLighting(Material, C.Lights, matWorld, C.fScale, matView, {0, 0, 0}, {0, 0, -1}, C.bNormalize, true);
    const D3DCOLOR dwExpected = ToColour(Expected.Diffuse + Expected.Specular);
    const D3DCOLOR dwPixel = ReadFrame(pDevice).At(640, 360);
    EXPECT_LE(ColourDistance(dwPixel, dwExpected), 2) << std::hex << dwPixel << " expected " << dwExpected;
  }
}

TEST_F(PipelineTest, LocalViewerPutsTheHighlightWhereTheLightMirrorsIntoTheEye) {
  // A grid facing the camera at depth 10 whose vertices fall on every tenth
  // pixel (230.4 pixels per unit there), lit from behind the camera, up right.
  D3DLIGHT9 Light = kLightRecords[0];
  Light.Direction = {-0.05f, -0.03f, 1.0f};
  UseLights({Light});
  // Specular only, which nothing saturates, and a power high enough to show
  // the peak within a few vertices.
  D3DMATERIAL9 Material = {};
  Material.Specular = {0.9f, 0.9f, 0.9f, 1.0f};
  Material.Power = 20000.0f;
  pDevice->SetMaterial(&Material);
  const Mesh Grid = SquareMesh(pDevice, 40 * 10.0f / 230.4f, 40);
  const D3DXMATRIX matWorld = Translation(0, 0, 10);
  ASSERT_EQ(Grid.Draw(pDevice, matWorld), D3D_OK);
  const Frame F = ReadFrame(pDevice);

  // The eye sees the light's mirror image where P lies along (lx, ly, -lz) of
  // the unit vector toward the light.
  const Vec L = Normalise({0.05, 0.03, -1.0});
  const double fHighlightX = 10 * L.x / -L.z, fHighlightY = 10 * L.y / -L.z;
  float fExpectedX, fExpectedY;
  ScreenOf(matWorld * Identity() * DemoProjection(), float(fHighlightX), float(fHighlightY), 0, fExpectedX, fExpectedY);
  int iBestX = 0, iBestY = 0, iBest = -1;
  for (int y = 160; y <= 560; y += 10) {
    for (int x = 440; x <= 840; x += 10) {
      const D3DCOLOR dw = F.At(x, y);
      const int iSum = static_cast<int>(((dw >> 16) & 0xFF) + ((dw >> 8) & 0xFF) + (dw & 0xFF));
      if (iSum > iBest) iBest = iSum, iBestX = x, iBestY = y;
    }
  }
  EXPECT_NEAR(iBestX, fExpectedX, 10.0);
  EXPECT_NEAR(iBestY, fExpectedY, 10.0);
  // Its strength is that of the vertex lying on that pixel.
  const Vec vecVertex = {(iBestX - 640) / 230.4, (360 - iBestY) / 230.4, 0};
  const Lit Expected =
      ReferenceLighting(Material, {Light}, matWorld, 1.0f, Identity(), vecVertex, {0, 0, -1}, true, true);
  EXPECT_LE(ColourDistance(F.At(iBestX, iBestY), ToColour(Expected.Diffuse + Expected.Specular)), 2);

  // A distant viewer sees the same specular everywhere on a flat surface.
  pDevice->SetRenderState(D3DRS_LOCALVIEWER, FALSE);
  Grid.Draw(pDevice, matWorld);
  const Frame G = ReadFrame(pDevice);
  EXPECT_EQ(G.At(450, 170), G.At(830, 550));
}

TEST_F(PipelineTest, PointAndSpotLightsAttenuateAndStopAtTheirEdges) {
  // A light 4 units in front of a surface facing the camera, attenuation
  // 1 / (0.5 + 0.25 d) = 2/3 there; no specular.
  pDevice->SetRenderState(D3DRS_SPECULARENABLE, FALSE);
  D3DMATERIAL9 Material = TestMaterial(10.0f);
  Material.Emissive = {0, 0, 0, 0};
  pDevice->SetMaterial(&Material);
  const Mesh Square = SquareMesh(pDevice, 1.0f, 2);
  struct Case {
    const char* pszName;
    D3DLIGHTTYPE eType;
    float fRange;
    float fAxisZ;
    bool bLit;
  };
  const Case Cases[] = {
      {"point within range", D3DLIGHT_POINT, 10.0f, 0.0f, true},
      {"point out of range", D3DLIGHT_POINT, 3.0f, 0.0f, false},
      {"spot aimed at the surface", D3DLIGHT_SPOT, 10.0f, 1.0f, true},
      {"spot aimed away", D3DLIGHT_SPOT, 10.0f, -1.0f, false},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.pszName);
    D3DLIGHT9 Light = {};
    Light.Type = C.eType;
    Light.Diffuse = {1, 1, 1, 0};
    Light.Ambient = {0.2f, 0.2f, 0.2f, 0};
    Light.Position = {0, 0, 6};
    Light.Direction = {0, 0, C.fAxisZ};
    Light.Range = C.fRange;
    Light.Attenuation0 = 0.5f;
    Light.Attenuation1 = 0.25f;
    Light.Theta = 0.2f;
    Light.Phi = 0.4f;
    Light.Falloff = 1.0f;
    UseLights({Light});
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
    const double fAtten = C.bLit ? 1.0 / (0.5 + 0.25 * 4.0) : 0.0;
    const Vec vecExpected = {(0.5 * 0.2 + 0.8) * fAtten, (0.4 * 0.2 + 0.6) * fAtten, (0.3 * 0.2 + 0.4) * fAtten};
    EXPECT_LE(ColourDistance(ReadFrame(pDevice).At(640, 360), ToColour(vecExpected)), 2);
  }
}

// ---- texture stages ----------------------------------------------------------------

TEST_F(PipelineTest, Modulate2XDoublesAndSaturatesWhereModulateDoesNot) {
  pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  const D3DCOLOR dwTexel = 0xFF80C0FF;
  IDirect3DCubeTexture9* pCube = MakeCube(pDevice, 2, D3DFMT_X8R8G8B8, [&](UINT, UINT, UINT) { return dwTexel; });
  const D3DCOLOR dwFactor = 0xFF4080C0;
  pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, dwFactor);
  pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  pDevice->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1);
  pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
  pDevice->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
  pDevice->SetTexture(1, pCube);
  for (DWORD dwOp : {D3DTOP_MODULATE, D3DTOP_MODULATE2X}) {
    SCOPED_TRACE(testing::Message() << "op " << dwOp);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, dwOp);
    Square.Draw(pDevice, Translation(0, 0, 10));
    int Channels[3];
    for (int i = 0; i < 3; ++i) {
      const int iShift = 16 - 8 * i;
      const double f = ((dwFactor >> iShift) & 0xFF) / 255.0 * ((dwTexel >> iShift) & 0xFF) / 255.0;
      Channels[i] = static_cast<int>(std::lround(Clamp01(dwOp == D3DTOP_MODULATE2X ? 2 * f : f) * 255.0));
    }
    const D3DCOLOR dwExpected = D3DCOLOR_ARGB(255, Channels[0], Channels[1], Channels[2]);
    EXPECT_LE(ColourDistance(ReadFrame(pDevice).At(640, 360), dwExpected), 1);
  }
  pDevice->SetTexture(1, nullptr);
  pCube->Release();
}

TEST_F(PipelineTest, ModelRecipeWithoutCubeTextureDrawsLitAndTinted) {
  // DrawModel's own recipe: stage 0 = TFACTOR x DIFFUSE, stage 1 = CURRENT x
  // TEXTURE x 2, whose missing texture disables it (not black).
  UseLights({kLightRecords[0]});
  const Mesh Square = SquareMesh(pDevice, 2.0f, 2);
  // Model slot 0: one plain part with material 1, and no cube map loaded.
  constexpr int kMaterial = 1;
  MeshParts[0] = {static_cast<int>(Square.iVertices), static_cast<int>(Square.iTriangles * 3), 0, 0, kMaterial, 0};
  VertexBuffers[0] = Square.pVertices;
  IndexBuffers[0] = Square.pIndices;
  Models[0] = {0, 1, 0xFFFFFFFF, {}, {}};
  ASSERT_EQ(pCubeTexture, nullptr);
  ASSERT_EQ(D3DXCreateMatrixStack(0, &DrawMatrixStack), D3D_OK);
  const D3DCOLOR dwTint = 0xFFC08040;
  DrawModel(0, dwTint, D3DXVECTOR3(0, 0, 10), D3DXVECTOR3(0.5f, 0, 0), 1.0f);
  const Frame F = ReadFrame(pDevice);
  DrawMatrixStack->Release();
  DrawMatrixStack = nullptr;
  Models[0] = {};
  MeshParts[0] = {};
  VertexBuffers[0] = nullptr;
  IndexBuffers[0] = nullptr;

  const D3DXMATRIX matWorld = RotationY(0.5f) * Translation(0, 0, 10);
  const Lit Expected = ReferenceLighting(kMaterials[kMaterial], {kLightRecords[0]}, matWorld, 1.0f, Identity(),
                                         {0, 0, 0}, {0, 0, -1}, true, true);
  const Vec vecTint = {((dwTint >> 16) & 0xFF) / 255.0, ((dwTint >> 8) & 0xFF) / 255.0, (dwTint & 0xFF) / 255.0};
  const D3DCOLOR dwExpected =
      ToColour({Expected.Diffuse.x * vecTint.x + Expected.Specular.x, Expected.Diffuse.y * vecTint.y + Expected.Specular.y,
                Expected.Diffuse.z * vecTint.z + Expected.Specular.z});
  EXPECT_LE(ColourDistance(F.At(640, 360), dwExpected), 2) << std::hex << F.At(640, 360) << " expected " << dwExpected;
}

// ---- cube map and reflection vector -------------------------------------------------

namespace {

constexpr D3DCOLOR kFaceColours[6] = {0xFFFF0000, 0xFF00FFFF, 0xFF00FF00, 0xFFFF00FF, 0xFF0000FF, 0xFFFFFF00};

// Mirrors: a lit-off square whose stage 0 passes white and stage 1 shows the
// cube sample along the camera-space reflection vector.
class MirrorTest : public PipelineTest {
 protected:
  void SetUp() override {
    PipelineTest::SetUp();
    if (pDevice == nullptr) return;
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1);
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE);
  }
};

}  // namespace

TEST_F(MirrorTest, MirrorReflectsTheCubeFaceBehindTheReflectedRay) {
  IDirect3DCubeTexture9* pCube =
      MakeCube(pDevice, 8, D3DFMT_X8R8G8B8, [](UINT iFace, UINT, UINT) { return kFaceColours[iFace]; });
  pDevice->SetTexture(1, pCube);
  const Mesh Square = SquareMesh(pDevice, 2.0f, 2);
  struct Case {
    const char* pszName;
    D3DXMATRIX matRotation;
    D3DCUBEMAP_FACES eFace;
  };
  const float kQuarter = 0.7853982f;
  const Case Cases[] = {
      {"facing the camera: straight back", Identity(), D3DCUBEMAP_FACE_NEGATIVE_Z},
      {"turned to face left", RotationY(kQuarter), D3DCUBEMAP_FACE_NEGATIVE_X},
      {"turned to face right", RotationY(-kQuarter), D3DCUBEMAP_FACE_POSITIVE_X},
      {"tilted to face up", RotationX(kQuarter), D3DCUBEMAP_FACE_POSITIVE_Y},
      {"tilted to face down", RotationX(-kQuarter), D3DCUBEMAP_FACE_NEGATIVE_Y},
      {"grazing: on past the mirror", RotationY(1.309f), D3DCUBEMAP_FACE_POSITIVE_Z},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.pszName);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(Square.Draw(pDevice, C.matRotation * Translation(0, 0, 10)), D3D_OK);
    EXPECT_EQ(ReadFrame(pDevice).At(640, 360), kFaceColours[C.eFace]);
  }
  pDevice->SetTexture(1, nullptr);
  pCube->Release();
}

TEST_F(MirrorTest, FaceImagesKeepTheirOrientation) {
  // The -Z face in quadrants: top-left red, top-right green, bottom-left
  // blue, bottom-right white (rows top first, as Direct3D stores them).
  const D3DCOLOR Quadrants[2][2] = {{0xFFFF0000, 0xFF00FF00}, {0xFF0000FF, 0xFFFFFFFF}};
  IDirect3DCubeTexture9* pCube = MakeCube(pDevice, 16, D3DFMT_X8R8G8B8, [&](UINT iFace, UINT x, UINT y) {
    return iFace == D3DCUBEMAP_FACE_NEGATIVE_Z ? Quadrants[y / 8][x / 8] : 0xFF000000;
  });
  pDevice->SetTexture(1, pCube);
  const Mesh Square = SquareMesh(pDevice, 4.0f, 8);
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
  const Frame F = ReadFrame(pDevice);
  // A mirror swaps left and right and keeps up.
  EXPECT_EQ(F.At(540, 260), Quadrants[0][1]);
  EXPECT_EQ(F.At(740, 260), Quadrants[0][0]);
  EXPECT_EQ(F.At(540, 460), Quadrants[1][1]);
  EXPECT_EQ(F.At(740, 460), Quadrants[1][0]);
  pDevice->SetTexture(1, nullptr);
  pCube->Release();
}

TEST_F(MirrorTest, UnusedAlphaOfX8R8G8B8ReadsOne) {
  // The x byte of every texel is 0; the alpha stage must still read 1.
  IDirect3DCubeTexture9* pCube = MakeCube(pDevice, 2, D3DFMT_X8R8G8B8, [](UINT, UINT, UINT) { return 0x00FFFFFFu; });
  pDevice->SetTexture(1, pCube);
  pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_TEXTURE | D3DTA_ALPHAREPLICATE);
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
  EXPECT_EQ(ReadFrame(pDevice).At(640, 360), 0xFFFFFFFFu);
  pDevice->SetTexture(1, nullptr);
  pCube->Release();
}

// Registered a second time by gl_tests.cmake with S3TC hidden from Mesa, so
// the blocks are decoded on the CPU instead.
TEST_F(MirrorTest, CompressedFacesSampleLikeUncompressed) {
  if (std::getenv("MESA_EXTENSION_OVERRIDE") != nullptr) {
    ASSERT_FALSE(epoxy_has_gl_extension("GL_EXT_texture_compression_s3tc"));
  }
  IDirect3DCubeTexture9* pCube = nullptr;
  ASSERT_EQ(pDevice->CreateCubeTexture(4, 1, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &pCube, nullptr), D3D_OK);
  for (UINT iFace = 0; iFace < 6; ++iFace) {
    // One block of one colour: both endpoints the face colour in 5:6:5, indices 0.
    const D3DCOLOR c = kFaceColours[iFace];
    const uint16_t w565 = static_cast<uint16_t>((((c >> 16) & 0xFF) >> 3) << 11 | (((c >> 8) & 0xFF) >> 2) << 5 |
                                                ((c & 0xFF) >> 3));
    const unsigned char Block[8] = {static_cast<unsigned char>(w565), static_cast<unsigned char>(w565 >> 8),
                                    static_cast<unsigned char>(w565), static_cast<unsigned char>(w565 >> 8), 0, 0, 0, 0};
    D3DLOCKED_RECT Locked;
    ASSERT_EQ(pCube->LockRect(static_cast<D3DCUBEMAP_FACES>(iFace), 0, &Locked, nullptr, 0), D3D_OK);
    EXPECT_EQ(Locked.Pitch, 8);
    std::memcpy(Locked.pBits, Block, sizeof Block);
    ASSERT_EQ(pCube->UnlockRect(static_cast<D3DCUBEMAP_FACES>(iFace), 0), D3D_OK);
  }
  pDevice->SetTexture(1, pCube);
  const Mesh Square = SquareMesh(pDevice, 2.0f, 2);
  const std::pair<D3DXMATRIX, D3DCUBEMAP_FACES> Cases[] = {
      {Identity(), D3DCUBEMAP_FACE_NEGATIVE_Z}, {RotationY(-0.7853982f), D3DCUBEMAP_FACE_POSITIVE_X},
      {RotationX(0.7853982f), D3DCUBEMAP_FACE_POSITIVE_Y}};
  for (const auto& [matRotation, eFace] : Cases) {
    ASSERT_EQ(Square.Draw(pDevice, matRotation * Translation(0, 0, 10)), D3D_OK);
    EXPECT_EQ(ReadFrame(pDevice).At(640, 360), kFaceColours[eFace]) << "face " << eFace;
  }
  pDevice->SetTexture(1, nullptr);
  pCube->Release();
}

// The GL device's creation chain, back buffer and rasterisation, checked on
// the pixels it produces (Mesa's llvmpipe when headless).
#include <SDL.h>
#include <epoxy/gl.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>
#include <utility>

#include "gl_device.h"
#include "gl_ffp.h"
#include "gl_test_scene.h"
#include "png_file.h"
#include "win32_seams.h"

using namespace gltest;

// ---- creation -----------------------------------------------------------------

TEST(GlCreate, AttemptChainFollowsTheRenderer) {
  IDirect3D9* pD3D = TestWindow() != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
  if (pD3D == nullptr) GTEST_SKIP() << "no GL-capable display";
  // Learn the renderer through a software device, which any GL accepts.
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
  IDirect3DDevice9* pDevice = nullptr;
  ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pDevice),
            D3D_OK);
  const std::string strRenderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
  pDevice->Release();
  const bool bSoftware = strRenderer.find("llvmpipe") != std::string::npos ||
                         strRenderer.find("softpipe") != std::string::npos ||
                         strRenderer.find("swrast") != std::string::npos;

  struct Attempt {
    D3DMULTISAMPLE_TYPE eSamples;
    DWORD dwFlags;
    bool bExpected;
  };
  const Attempt Attempts[] = {
      {D3DMULTISAMPLE_4_SAMPLES, D3DCREATE_HARDWARE_VERTEXPROCESSING, !bSoftware},
      {D3DMULTISAMPLE_NONE, D3DCREATE_HARDWARE_VERTEXPROCESSING, !bSoftware},
      {D3DMULTISAMPLE_NONE, D3DCREATE_SOFTWARE_VERTEXPROCESSING, true},
      {D3DMULTISAMPLE_4_SAMPLES, D3DCREATE_SOFTWARE_VERTEXPROCESSING, true},
  };
  for (const Attempt& A : Attempts) {
    SCOPED_TRACE(testing::Message() << strRenderer << " samples " << A.eSamples << " flags " << A.dwFlags);
    Params = DemoParams(A.eSamples);
    pDevice = reinterpret_cast<IDirect3DDevice9*>(0x1);  // a failed attempt must leave null
    const HRESULT hr = pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), A.dwFlags, &Params, &pDevice);
    EXPECT_EQ(SUCCEEDED(hr), A.bExpected);
    EXPECT_EQ(pDevice != nullptr, A.bExpected);
    if (pDevice != nullptr) pDevice->Release();
  }
  pD3D->Release();
}

// Registered a second time by gl_tests.cmake with SDL's "dummy" video driver,
// which makes windows without GL.
TEST(GlCreate, NoGlDisplayGivesNoDirect3D) {
  const char* pszDriver = std::getenv("SDL_VIDEODRIVER");
  if (pszDriver == nullptr || std::string(pszDriver) != "dummy") GTEST_SKIP() << "runs under the dummy driver";
  EXPECT_EQ(Direct3DCreate9(D3D_SDK_VERSION), nullptr);
}

// ---- clear, present, read-back ---------------------------------------------------

TEST_F(DeviceTest, ClearFillsTheBackBufferAndRectanglesCountFromTheTop) {
  ASSERT_EQ(pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF8CAAC6, 1.0f, 0), D3D_OK);
  const D3DRECT Rect = {10, 20, 30, 25};
  ASSERT_EQ(pDevice->Clear(1, &Rect, D3DCLEAR_TARGET, 0xFF102030, 1.0f, 0), D3D_OK);
  ASSERT_EQ(pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  const Frame F = ReadFrame(pDevice);
  ASSERT_EQ(F.iWidth, 1280);
  ASSERT_EQ(F.iHeight, 720);
  EXPECT_EQ(F.At(0, 0), 0xFF8CAAC6u);
  EXPECT_EQ(F.At(1279, 719), 0xFF8CAAC6u);
  EXPECT_EQ(F.At(10, 20), 0xFF102030u);
  EXPECT_EQ(F.At(29, 24), 0xFF102030u);
  EXPECT_EQ(F.At(30, 24), 0xFF8CAAC6u);
  EXPECT_EQ(F.At(29, 25), 0xFF8CAAC6u);
  EXPECT_EQ(F.At(9, 20), 0xFF8CAAC6u);
}

TEST_F(DeviceTest, PresentPutsBarsBesideAPictureOfAnotherShape) {
  // A square back buffer in the 16:9 window: bars left and right.
  pDevice->Release();
  D3DPRESENT_PARAMETERS Params = gltest::DemoParams(D3DMULTISAMPLE_NONE);
  Params.BackBufferWidth = 200;
  Params.BackBufferHeight = 200;
  pDevice = nullptr;
  ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, gltest::TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params,
                               &pDevice),
            D3D_OK);
  // A scissor left on by a rectangle clear must not cut the picture.
  const D3DRECT Corner = {0, 0, 10, 10};
  ASSERT_EQ(pDevice->Clear(1, &Corner, D3DCLEAR_TARGET, 0xFF8CAAC6, 1.0f, 0), D3D_OK);
  ASSERT_EQ(pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF8CAAC6, 1.0f, 0), D3D_OK);
  ASSERT_EQ(pDevice->Present(nullptr, nullptr, nullptr, nullptr), D3D_OK);
  // The offscreen window's surface keeps what was presented: read it back.
  std::vector<unsigned char> Window(1280 * 720 * 4);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
  glReadPixels(0, 0, 1280, 720, GL_RGBA, GL_UNSIGNED_BYTE, Window.data());
  auto At = [&](int x, int y) {
    const unsigned char* p = &Window[(static_cast<size_t>(y) * 1280 + x) * 4];
    return std::make_tuple(int(p[0]), int(p[1]), int(p[2]));
  };
  const auto Black = std::make_tuple(0, 0, 0), Sky = std::make_tuple(0x8C, 0xAA, 0xC6);
  EXPECT_EQ(At(100, 360), Black);
  EXPECT_EQ(At(278, 10), Black);
  EXPECT_EQ(At(1001, 700), Black);
  EXPECT_EQ(At(282, 2), Sky);
  EXPECT_EQ(At(640, 360), Sky);
  EXPECT_EQ(At(997, 717), Sky);
  // The device's own clear colour is not the bars': the next clear is the sky again.
  ASSERT_EQ(pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF8CAAC6, 1.0f, 0), D3D_OK);
  EXPECT_EQ(ReadFrame(pDevice).At(100, 100), 0xFF8CAAC6u);
}

TEST_F(DeviceTest, ClearWritesEveryChannelWhateverTheWriteMask) {
  pDevice->SetRenderState(D3DRS_COLORWRITEENABLE, 0);
  pDevice->SetRenderState(D3DRS_ZWRITEENABLE, FALSE);
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  pDevice->BeginScene();
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);  // the mask is now in GL
  ASSERT_EQ(pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF405060, 0.5f, 0), D3D_OK);
  pDevice->EndScene();
  EXPECT_EQ(ReadFrame(pDevice).At(640, 360), 0xFF405060u);
}

TEST_F(DeviceTest, WritesThePngItReadsBack) {
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET, 0xFF8CAAC6, 1.0f, 0);
  const Frame F = ReadFrame(pDevice);
  const std::string strPath = testing::TempDir() + "gl_clear.png";
  ASSERT_TRUE(WriteRgbaPng(strPath, F.Pixels, F.iWidth, F.iHeight));
  FILE* pFile = std::fopen(strPath.c_str(), "rb");
  ASSERT_NE(pFile, nullptr);
  unsigned char Signature[8] = {};
  EXPECT_EQ(std::fread(Signature, 1, 8, pFile), 8u);
  std::fclose(pFile);
  EXPECT_EQ(std::memcmp(Signature, "\x89PNG\r\n\x1a\n", 8), 0);
  EXPECT_FALSE(WriteRgbaPng(strPath, F.Pixels, F.iWidth + 1, F.iHeight));  // size mismatch
}

TEST_F(DeviceTest, StartsFromDirect3DsDefaultsNotGls) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1), Reversed = SquareMesh(pDevice, 4.0f, 1, true);
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080, 1.0f, 0);
  pDevice->BeginScene();
  // Lighting is on with no light and a black material: black, not white.
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 5)), D3D_OK);
  // Counter-clockwise faces are culled.
  ASSERT_EQ(Reversed.Draw(pDevice, Translation(0, 0, 4)), D3D_OK);
  // The depth test is on (the device has a depth buffer), with LESSEQUAL.
  pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 8)), D3D_OK);
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 5)), D3D_OK);
  pDevice->EndScene();
  const Frame F = ReadFrame(pDevice);
  EXPECT_EQ(F.At(640, 360), 0xFFFFFFFFu);  // the second draw at depth 5 passes LESSEQUAL
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF808080, 1.0f, 0);
  pDevice->BeginScene();
  pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
  Square.Draw(pDevice, Translation(0, 0, 5));
  Reversed.Draw(pDevice, Translation(0, 0, 4));
  pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
  Square.Draw(pDevice, Translation(0, 0, 8));
  pDevice->EndScene();
  const Frame G = ReadFrame(pDevice);
  EXPECT_EQ(G.At(640, 360), 0xFF000000u);
  EXPECT_EQ(G.At(100, 360), 0xFF808080u);  // only the culled reversed square reaches here
}

TEST_F(DeviceTest, RefusesWhatWouldReadOutsideItsBuffers) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  EXPECT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3DERR_INVALIDCALL);  // outside BeginScene
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kSceneNotBegun);
  pDevice->BeginScene();
  EXPECT_EQ(pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 3), D3DERR_INVALIDCALL);  // 9 > 6 indices
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kReadsOutsideBuffers);
  pDevice->SetFVF(0);  // a format the device does not draw
  EXPECT_EQ(pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 3), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kUnsupportedVertexFormat);
  pDevice->SetFVF(Mesh::kFvf);
  EXPECT_EQ(pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 1, 0, 4, 0, 2), D3DERR_INVALIDCALL);  // vertex 4 of 4
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kReadsOutsideBuffers);
  EXPECT_EQ(pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 0, 0, 4, 0, 0), D3D_OK);  // nothing to draw
  void* pData = nullptr;
  EXPECT_EQ(Square.pVertices->Lock(64, 200, &pData, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(pData, nullptr);
  pDevice->EndScene();
}

// Each misuse of a draw or a scene has its own reason, though Direct3D answers
// all of them with D3DERR_INVALIDCALL.
TEST_F(DeviceTest, NamesWhyItRefusesACall) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kNone);
  EXPECT_EQ(pDevice->EndScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kSceneNotBegun);
  ASSERT_EQ(pDevice->BeginScene(), D3D_OK);
  EXPECT_EQ(pDevice->BeginScene(), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kSceneAlreadyBegun);

  const auto Draw = [&](D3DPRIMITIVETYPE eType) { return pDevice->DrawIndexedPrimitive(eType, 0, 0, 4, 0, 2); };
  EXPECT_EQ(Draw(D3DPT_TRIANGLELIST), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kNoBuffers);
  pDevice->SetFVF(Mesh::kFvf);
  pDevice->SetIndices(Square.pIndices);
  EXPECT_EQ(Draw(D3DPT_TRIANGLELIST), D3DERR_INVALIDCALL);  // indices but no stream
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kNoBuffers);
  pDevice->SetStreamSource(0, Square.pVertices, 0, sizeof(Vertex) - 4);
  EXPECT_EQ(Draw(D3DPT_TRIANGLELIST), D3DERR_INVALIDCALL);  // a stride shorter than the format
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kUnsupportedVertexFormat);
  pDevice->SetStreamSource(0, Square.pVertices, 0, sizeof(Vertex));
  EXPECT_EQ(Draw(static_cast<D3DPRIMITIVETYPE>(5)), D3DERR_INVALIDCALL);  // D3DPT_TRIANGLESTRIP
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kNotTriangleList);
  EXPECT_EQ(Draw(D3DPT_TRIANGLELIST), D3D_OK);
  EXPECT_EQ(pDevice->EndScene(), D3D_OK);

  // A device made without a depth buffer cannot clear one.
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
  Params.EnableAutoDepthStencil = FALSE;
  IDirect3DDevice9* pFlat = nullptr;
  ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pFlat),
            D3D_OK);
  EXPECT_EQ(pFlat->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0, 1.0f, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3D9LastRefusal(pFlat), D3D9Refusal::kNoDepthBuffer);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kNotTriangleList);  // each device keeps its own
  EXPECT_EQ(pFlat->Release(), 0u);
  EXPECT_STREQ(D3D9RefusalName(D3D9Refusal::kNotTriangleList), "not a triangle list");
}

// A bad argument to the device or to one of its resources is refused with its
// reason and changes nothing: a resource stays usable, a lock stays as it was.
TEST_F(DeviceTest, NamesWhyItRefusesAnArgument) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  IDirect3DCubeTexture9* pCube = nullptr;
  ASSERT_EQ(pDevice->CreateCubeTexture(8, 0, 0, D3DFMT_DXT1, D3DPOOL_MANAGED, &pCube, nullptr), D3D_OK);
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
  IDirect3DDevice9* pOther = nullptr;
  ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pOther),
            D3D_OK);
  IDirect3DIndexBuffer9* pForeign = nullptr;
  ASSERT_EQ(pOther->CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &pForeign, nullptr), D3D_OK);

  const D3DXMATRIX matIdentity = Identity();
  D3DLIGHT9 Light = {};
  Light.Type = static_cast<D3DLIGHTTYPE>(4);
  void* pData = nullptr;
  D3DLOCKED_RECT Locked = {};
  const RECT OffTheBlocks = {2, 0, 6, 4};
  IDirect3DVertexBuffer9* pVertexBuffer = nullptr;
  IDirect3DIndexBuffer9* pIndexBuffer = nullptr;
  IDirect3DCubeTexture9* pNoCube = nullptr;
  struct Case {
    const char* pszCall;
    std::function<HRESULT()> fnCall;
    D3D9Refusal eReason;
  };
  const Case Cases[] = {
      {"SetTransform(null)", [&] { return pDevice->SetTransform(D3DTS_WORLD, nullptr); }, D3D9Refusal::kNullArgument},
      {"SetTransform(4)", [&] { return pDevice->SetTransform(static_cast<D3DTRANSFORMSTATETYPE>(4), &matIdentity); },
       D3D9Refusal::kUnknownTransform},
      {"SetRenderState(256)", [&] { return pDevice->SetRenderState(static_cast<D3DRENDERSTATETYPE>(256), 0); },
       D3D9Refusal::kStateOutOfRange},
      {"SetSamplerState(8)", [&] { return pDevice->SetSamplerState(8, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR); },
       D3D9Refusal::kStateOutOfRange},
      {"SetLight(type 4)", [&] { return pDevice->SetLight(0, &Light); }, D3D9Refusal::kUnsupportedLightType},
      {"SetStreamSource(1)", [&] { return pDevice->SetStreamSource(1, Square.pVertices, 0, sizeof(Vertex)); },
       D3D9Refusal::kNotStreamZero},
      {"SetIndices(other device's)", [&] { return pDevice->SetIndices(pForeign); },
       D3D9Refusal::kForeignResource},
      {"CreateVertexBuffer(0)",
       [&] { return pDevice->CreateVertexBuffer(0, 0, Mesh::kFvf, D3DPOOL_MANAGED, &pVertexBuffer, nullptr); },
       D3D9Refusal::kEmptyBuffer},
      {"CreateIndexBuffer(A8R8G8B8)",
       [&] { return pDevice->CreateIndexBuffer(6, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pIndexBuffer, nullptr); },
       D3D9Refusal::kUnsupportedFormat},
      {"CreateCubeTexture(8, 5 levels)",
       [&] { return pDevice->CreateCubeTexture(8, 5, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pNoCube, nullptr); },
       D3D9Refusal::kBadTextureSize},
      {"Lock(past the end)", [&] { return Square.pVertices->Lock(64, 200, &pData, 0); },
       D3D9Refusal::kOutsideResource},
      {"Unlock(not locked)", [&] { return Square.pIndices->Unlock(); }, D3D9Refusal::kNotLocked},
      {"LockRect(off the DXT blocks)",
       [&] { return pCube->LockRect(D3DCUBEMAP_FACE_POSITIVE_X, 0, &Locked, &OffTheBlocks, 0); },
       D3D9Refusal::kOutsideResource},
      {"LockRect(level 4 of 4)", [&] { return pCube->LockRect(D3DCUBEMAP_FACE_POSITIVE_X, 4, &Locked, nullptr, 0); },
       D3D9Refusal::kOutsideResource},
      {"UnlockRect(not locked)", [&] { return pCube->UnlockRect(D3DCUBEMAP_FACE_NEGATIVE_Z, 0); },
       D3D9Refusal::kNotLocked},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.pszCall);
    EXPECT_EQ(C.fnCall(), D3DERR_INVALIDCALL);
    EXPECT_STREQ(D3D9RefusalName(D3D9LastRefusal(pDevice)), D3D9RefusalName(C.eReason));
  }
  EXPECT_EQ(pVertexBuffer, nullptr);
  EXPECT_EQ(pIndexBuffer, nullptr);
  EXPECT_EQ(pNoCube, nullptr);
  EXPECT_EQ(pData, nullptr);
  EXPECT_EQ(D3D9LastRefusal(pOther), D3D9Refusal::kNone);  // the owner of the foreign buffer refused nothing
  EXPECT_EQ(pForeign->Release(), 0u);
  EXPECT_EQ(pOther->Release(), 0u);

  // A face level is locked once at a time; the refused second lock leaves
  // the first one standing.
  ASSERT_EQ(pCube->LockRect(D3DCUBEMAP_FACE_POSITIVE_Y, 0, &Locked, nullptr, 0), D3D_OK);
  EXPECT_EQ(pCube->LockRect(D3DCUBEMAP_FACE_POSITIVE_Y, 0, &Locked, nullptr, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(D3D9LastRefusal(pDevice), D3D9Refusal::kAlreadyLocked);
  EXPECT_EQ(pCube->UnlockRect(D3DCUBEMAP_FACE_POSITIVE_Y, 0), D3D_OK);
  EXPECT_EQ(pCube->UnlockRect(D3DCUBEMAP_FACE_POSITIVE_Y, 0), D3DERR_INVALIDCALL);
  EXPECT_EQ(pCube->Release(), 0u);
  EXPECT_STREQ(D3D9RefusalName(D3D9Refusal::kForeignResource), "a resource of another device");
}

// ---- rasterisation -------------------------------------------------------------

// A square drawn unlit (white) at depth 10 on a black background.
class RasterTest : public DeviceTest {
 protected:
  void SetUp() override {
    DeviceTest::SetUp();
    if (pDevice == nullptr) return;
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    pDevice->BeginScene();
  }
};

TEST_F(RasterTest, CullModeRemovesFacesByTheirWindingOnScreen) {
  struct Case {
    DWORD dwCull;
    bool bReversed;
    bool bVisible;
  };
  // The engine's outward faces are clockwise on screen and survive D3DCULL_CCW.
  const Case Cases[] = {
      {D3DCULL_CCW, false, true}, {D3DCULL_CCW, true, false}, {D3DCULL_CW, false, false},
      {D3DCULL_CW, true, true},   {D3DCULL_NONE, false, true}, {D3DCULL_NONE, true, true},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(testing::Message() << "cull " << C.dwCull << " reversed " << C.bReversed);
    const Mesh Square = SquareMesh(pDevice, 2.0f, 1, C.bReversed);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    pDevice->SetRenderState(D3DRS_CULLMODE, C.dwCull);
    ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
    EXPECT_EQ(ReadFrame(pDevice).At(640, 360), C.bVisible ? 0xFFFFFFFFu : 0xFF000000u);
  }
}

TEST_F(RasterTest, DepthTestKeepsTheNearerSurfaceOnlyWhenEnabled) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000);
  pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  for (DWORD dwZEnable : {D3DZB_TRUE, D3DZB_FALSE}) {
    SCOPED_TRACE(testing::Message() << "ZENABLE " << dwZEnable);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    pDevice->SetRenderState(D3DRS_ZENABLE, dwZEnable);
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFFFF0000);
    Square.Draw(pDevice, Translation(0, 0, 5));  // near, red
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF00FF00);
    Square.Draw(pDevice, Translation(0, 0, 8));  // far, green, drawn last
    EXPECT_EQ(ReadFrame(pDevice).At(640, 360), dwZEnable == D3DZB_TRUE ? 0xFFFF0000u : 0xFF00FF00u);
  }
}

TEST_F(RasterTest, DepthRangeIsDirect3DsZeroToOne) {
  const Mesh Square = SquareMesh(pDevice, 0.2f, 1);
  // In front of the near plane (z = 1) D3D clips; GL's -w..w range would keep
  // everything beyond z of about 0.5.
  Square.Draw(pDevice, Translation(0, 0, 0.8f));
  EXPECT_EQ(ReadFrame(pDevice).At(640, 360), 0xFF000000u);
  Square.Draw(pDevice, Translation(0, 0, 1.2f));
  EXPECT_EQ(ReadFrame(pDevice).At(640, 360), 0xFFFFFFFFu);
}

TEST_F(RasterTest, PixelCentresSitOnIntegerCoordinates) {
  // A square whose left edge lands on x = 600.5 and top edge on y = 300.5 in
  // D3D pixels: the first covered column is 601 and the first row 301
  // (without the half-pixel shift GL would also cover 600 and 300).
  const float fUnitsPerPixel = 10.0f / (3.6f * 640.0f);  // at depth 10
  const float fLeft = (600.5f - 640.0f) * fUnitsPerPixel, fTop = (360.0f - 300.5f) * fUnitsPerPixel;
  const float fSize = 79.0f * fUnitsPerPixel;
  const Mesh Square = SquareMesh(pDevice, fSize, 1);
  Square.Draw(pDevice, Translation(fLeft + fSize / 2, fTop - fSize / 2, 10));
  const Frame F = ReadFrame(pDevice);
  EXPECT_EQ(F.At(600, 340), 0xFF000000u);
  EXPECT_EQ(F.At(601, 340), 0xFFFFFFFFu);
  EXPECT_EQ(F.At(640, 300), 0xFF000000u);
  EXPECT_EQ(F.At(640, 301), 0xFFFFFFFFu);
}

TEST_F(RasterTest, BaseVertexShiftsWhichVerticesTheIndicesReach) {
  // Vertices 0-3 a square on the left, 4-7 the same square on the right; the
  // indices name only 0-3, so the base vertex picks the square.
  std::vector<Vertex> Vertices;
  std::vector<uint16_t> Indices, Unused;
  AddSquare(Vertices, Indices, 2.0f, 1);
  AddSquare(Vertices, Unused, 2.0f, 1);
  for (size_t i = 0; i < Vertices.size(); ++i) Vertices[i].x += i < 4 ? -1.5f : 1.5f;
  const Mesh Squares(pDevice, Vertices, Indices);
  const D3DXMATRIX matWorld = Translation(0, 0, 10);
  pDevice->SetTransform(D3DTS_WORLD, &matWorld);
  pDevice->SetFVF(0x112);
  pDevice->SetIndices(Squares.pIndices);
  pDevice->SetStreamSource(0, Squares.pVertices, 0, sizeof(Vertex));
  for (INT iBase : {4, 0, 4}) {
    SCOPED_TRACE(testing::Message() << "base vertex " << iBase);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    ASSERT_EQ(pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, iBase, 0, 4, 0, 2), D3D_OK);
    const Frame F = ReadFrame(pDevice);
    EXPECT_EQ(F.At(640 - 346, 360), iBase == 0 ? 0xFFFFFFFFu : 0xFF000000u);
    EXPECT_EQ(F.At(640 + 346, 360), iBase == 4 ? 0xFFFFFFFFu : 0xFF000000u);
  }
  // Past the end of the vertex buffer is refused, not drawn.
  EXPECT_EQ(pDevice->DrawIndexedPrimitive(D3DPT_TRIANGLELIST, 5, 0, 4, 0, 2), D3DERR_INVALIDCALL);
}

TEST_F(RasterTest, BuffersMadeBetweenDrawsLeaveTheDrawnMeshIntact) {
  // Making an index buffer binds it once as indices; the mesh drawn before
  // must keep its own.
  const Mesh First = SquareMesh(pDevice, 2.0f, 1);
  ASSERT_EQ(First.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
  const Mesh Second = SquareMesh(pDevice, 0.5f, 2);
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
  ASSERT_EQ(First.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
  const Frame F = ReadFrame(pDevice);
  EXPECT_EQ(F.At(640, 360), 0xFFFFFFFFu);
  EXPECT_EQ(F.At(640 + 60, 360 + 60), 0xFFFFFFFFu);  // outside the small square, inside the first
}

TEST_F(RasterTest, FlatShadingTakesTheFirstVertexColour) {
  // One triangle lit by a light that reaches only its first vertex's normal.
  std::vector<Vertex> Vertices = {{-1, -1, 0, 0, 0, -1, 0, 0}, {-1, 1, 0, 0, 0, 1, 0, 0}, {1, -1, 0, 0, 0, 1, 0, 0}};
  const std::vector<uint16_t> Indices = {0, 1, 2};
  const Mesh Triangle(pDevice, Vertices, Indices);
  D3DMATERIAL9 Material = {};
  Material.Diffuse = {1, 1, 1, 1};
  D3DLIGHT9 Light = {};
  Light.Type = D3DLIGHT_DIRECTIONAL;
  Light.Diffuse = {1, 1, 1, 0};
  Light.Direction = {0, 0, 1};
  pDevice->SetMaterial(&Material);
  pDevice->SetLight(0, &Light);
  pDevice->LightEnable(0, TRUE);
  pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
  pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_NONE);
  for (DWORD dwShade : {D3DSHADE_FLAT, D3DSHADE_GOURAUD}) {
    pDevice->SetRenderState(D3DRS_SHADEMODE, dwShade);
    Triangle.Draw(pDevice, Translation(0, 0, 10));
    // Near the second vertex, Gouraud shading is nearly black, flat stays white.
    const D3DCOLOR dwPixel = ReadFrame(pDevice).At(640 - 207, 360 - 184);
    EXPECT_EQ(dwPixel == 0xFFFFFFFFu, dwShade == D3DSHADE_FLAT) << std::hex << dwPixel;
  }
}

TEST_F(RasterTest, AlphaTestAndBlendingFollowDirect3D) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  // The square's colour and alpha come from the texture factor.
  pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_SELECTARG1);
  pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
  pDevice->SetTextureStageState(0, D3DTSS_ALPHAOP, D3DTOP_SELECTARG1);
  pDevice->SetTextureStageState(0, D3DTSS_ALPHAARG1, D3DTA_TFACTOR);
  struct Case {
    const char* pszName;
    D3DCOLOR dwFactor;
    bool bAlphaTest, bBlend;
    D3DCOLOR dwExpected;
  };
  // Alpha test: GREATEREQUAL against 128, alpha counted in 0..255.
  const Case Cases[] = {
      {"alpha 127 fails", 0x7FFFFFFF, true, false, 0xFF204060},
      {"alpha 128 passes", 0x80FFFFFF, true, false, 0xFFFFFFFF},
      {"SRCALPHA, INVSRCALPHA", 0x40FFFFFF, false, true, 0xFF587088},
  };
  for (const Case& C : Cases) {
    SCOPED_TRACE(C.pszName);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF204060, 1.0f, 0);
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, C.dwFactor);
    pDevice->SetRenderState(D3DRS_ALPHATESTENABLE, C.bAlphaTest);
    pDevice->SetRenderState(D3DRS_ALPHAREF, 128);
    pDevice->SetRenderState(D3DRS_ALPHAFUNC, D3DCMP_GREATEREQUAL);
    pDevice->SetRenderState(D3DRS_ALPHABLENDENABLE, C.bBlend);
    pDevice->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
    pDevice->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
    ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
    EXPECT_LE(ColourDistance(ReadFrame(pDevice).At(640, 360), C.dwExpected), 1);
  }
}

// ---- multisampling and the cost of state ---------------------------------------

TEST(GlMultisample, FourSampleDeviceSmoothsEdges) {
  IDirect3D9* pD3D = TestWindow() != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
  if (pD3D == nullptr) GTEST_SKIP() << "no GL-capable display";
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_4_SAMPLES);
  IDirect3DDevice9* pDevice = nullptr;
  ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pDevice),
            D3D_OK);
  const D3DXMATRIX matProjection = DemoProjection(), matWorld = RotationY(0.3f) * Translation(0, 0, 10);
  pDevice->SetTransform(D3DTS_PROJECTION, &matProjection);
  pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
  {
    const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    pDevice->BeginScene();
    // A slightly turned square has slanted top and bottom edges.
    pDevice->SetTransform(D3DTS_WORLD, &matWorld);
    ASSERT_EQ(Square.Draw(pDevice, RotationX(0.05f) * matWorld), D3D_OK);
    pDevice->EndScene();
    pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    const Frame F = ReadFrame(pDevice);
    EXPECT_EQ(F.At(640, 360), 0xFFFFFFFFu);
    int iPartial = 0;
    for (int y = 0; y < 720; ++y) {
      const D3DCOLOR dw = F.At(640, y);
      if (dw != 0xFF000000u && dw != 0xFFFFFFFFu) ++iPartial;
    }
    EXPECT_GE(iPartial, 2);  // a blended pixel on each edge
    pDevice->SetIndices(nullptr);
    pDevice->SetStreamSource(0, nullptr, 0, 0);
  }
  EXPECT_EQ(pDevice->Release(), 0u);
  pD3D->Release();
}

// Recordings make the back buffer at their own size and antialiasing, whatever
// the presentation parameters ask; the parameters learn what was made.
TEST(GlBackBufferOverride, SizeAndSamplesReplaceTheParametersUntilCleared) {
  IDirect3D9* pD3D = TestWindow() != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
  if (pD3D == nullptr) GTEST_SKIP() << "no GL-capable display";
  struct Case {
    UINT iWidth, iHeight;
    int iSamples;
  };
  for (const Case C : {Case{96, 54, 0}, Case{160, 90, 4}, Case{64, 36, 64}}) {
    SCOPED_TRACE(testing::Message() << C.iWidth << "x" << C.iHeight << " samples " << C.iSamples);
    D3D9SetBackBufferOverride(C.iWidth, C.iHeight, C.iSamples);
    D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
    Params.SwapEffect = D3DSWAPEFFECT_COPY;  // the override also makes multisampling legal
    IDirect3DDevice9* pDevice = nullptr;
    ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params,
                                 &pDevice),
              D3D_OK);
    GLint iMaxSamples = 0;
    glGetIntegerv(GL_MAX_SAMPLES, &iMaxSamples);
    EXPECT_EQ(Params.BackBufferWidth, C.iWidth);
    EXPECT_EQ(Params.BackBufferHeight, C.iHeight);
    // More samples than GL has are lowered to its most, not refused.
    const int iExpected = C.iSamples <= iMaxSamples ? C.iSamples : (iMaxSamples >= 2 ? iMaxSamples : 0);
    EXPECT_EQ(static_cast<int>(Params.MultiSampleType), iExpected);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF102030, 1.0f, 0);
    const Frame F = ReadFrame(pDevice);
    EXPECT_EQ(F.iWidth, static_cast<int>(C.iWidth));
    EXPECT_EQ(F.iHeight, static_cast<int>(C.iHeight));
    EXPECT_EQ(F.At(static_cast<int>(C.iWidth) - 1, static_cast<int>(C.iHeight) - 1), 0xFF102030u);
    EXPECT_EQ(pDevice->Release(), 0u);
  }
  D3D9SetBackBufferOverride(0, 0, 0);
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
  IDirect3DDevice9* pDevice = nullptr;
  ASSERT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pDevice),
            D3D_OK);
  EXPECT_EQ(ReadFrame(pDevice).iWidth, 1280);
  EXPECT_EQ(pDevice->Release(), 0u);
  pD3D->Release();
}

// A window that grows gets its picture drawn at its own size from the frame
// after the Present that sees it (that Present's frame can still be read): the very pixels of a back buffer made at
// that size, with the engine's rectangles still counted in the 1280x720 it
// asked for. VIMRA_RENDER_SCALE=1 draws every pixel of the window (unset,
// frame times choose), 0.5 half of them.
TEST(GlFollowWindow, PictureIsDrawnAtTheWindowsSizeFromTheNextFrame) {
  IDirect3D9* pD3D = TestWindow() != nullptr ? Direct3DCreate9(D3D_SDK_VERSION) : nullptr;
  if (pD3D == nullptr) GTEST_SKIP() << "no GL-capable display";
  SDL_Window* pWindow = Win32GetSdlWindow(TestWindow());
  // The other tests share the window and the environment: both are put back however this one ends.
  struct PutBack {
    SDL_Window* pWindow;
    ~PutBack() {
      unsetenv("VIMRA_RENDER_SCALE");
      SDL_SetWindowSize(pWindow, 1280, 720);
    }
  } Restore{pWindow};
  setenv("VIMRA_RENDER_SCALE", "1", 1);
  auto Create = [&](D3DPRESENT_PARAMETERS& Params) {
    IDirect3DDevice9* pDevice = nullptr;
    EXPECT_EQ(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params,
                                 &pDevice),
              D3D_OK);
    return pDevice;
  };
  // A quarter of the engine's back buffer cleared red, a slanted square over it.
  auto Draw = [](IDirect3DDevice9* pDevice, LONG iQuarterRight, LONG iQuarterBottom) {
    const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
    const D3DXMATRIX matProjection = DemoProjection();
    pDevice->SetTransform(D3DTS_PROJECTION, &matProjection);
    pDevice->SetRenderState(D3DRS_LIGHTING, FALSE);
    pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF000000, 1.0f, 0);
    const D3DRECT Quarter = {0, 0, iQuarterRight, iQuarterBottom};
    pDevice->Clear(1, &Quarter, D3DCLEAR_TARGET, 0xFFFF0000, 1.0f, 0);
    pDevice->BeginScene();
    EXPECT_EQ(Square.Draw(pDevice, RotationY(0.3f) * RotationX(0.2f) * Translation(0.3f, 0.1f, 6)), D3D_OK);
    pDevice->EndScene();
    pDevice->SetIndices(nullptr);
    pDevice->SetStreamSource(0, nullptr, 0, 0);
    return ReadFrame(pDevice);
  };
  auto SizeOf = [](const Frame& F) { return std::make_pair(F.iWidth, F.iHeight); };

  D3D9SetBackBufferOverride(2560, 1440, 0);
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
  IDirect3DDevice9* pDevice = Create(Params);
  const Frame Recorded = Draw(pDevice, 1280, 720);
  EXPECT_EQ(pDevice->Release(), 0u);
  D3D9SetBackBufferOverride(0, 0, 0);

  Params = DemoParams(D3DMULTISAMPLE_NONE);
  pDevice = Create(Params);
  SDL_SetWindowSize(pWindow, 2560, 1600);
  EXPECT_EQ(SizeOf(Draw(pDevice, 640, 360)), std::make_pair(1280, 720));
  pDevice->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SizeOf(ReadFrame(pDevice)), std::make_pair(1280, 720)) << "what was presented can still be read";
  const Frame Followed = Draw(pDevice, 640, 360);
  EXPECT_EQ(Params.BackBufferWidth, 1280u) << "the engine's parameters are its own";
  ASSERT_EQ(SizeOf(Followed), SizeOf(Recorded));
  EXPECT_TRUE(Followed.Pixels == Recorded.Pixels);
  EXPECT_EQ(Followed.At(100, 719), 0xFFFF0000u);
  EXPECT_EQ(Followed.At(100, 720), 0xFF000000u);
  // Smaller again: never below the size the engine asked for.
  SDL_SetWindowSize(pWindow, 1000, 800);
  pDevice->Present(nullptr, nullptr, nullptr, nullptr);
  EXPECT_EQ(SizeOf(Draw(pDevice, 640, 360)), std::make_pair(1280, 720));
  EXPECT_EQ(pDevice->Release(), 0u);

  setenv("VIMRA_RENDER_SCALE", "0.5", 1);
  SDL_SetWindowSize(pWindow, 3840, 2160);
  Params = DemoParams(D3DMULTISAMPLE_NONE);
  pDevice = Create(Params);
  EXPECT_EQ(SizeOf(Draw(pDevice, 640, 360)), std::make_pair(1920, 1080));
  EXPECT_EQ(pDevice->Release(), 0u);
  pD3D->Release();
}

TEST_F(DeviceTest, RepeatedStatesCostNoGlCalls) {
  const Mesh Square = SquareMesh(pDevice, 2.0f, 1);
  IDirect3DCubeTexture9* pCube = MakeCube(pDevice, 4, D3DFMT_X8R8G8B8, [](UINT, UINT, UINT) { return 0xFF808080; });
  D3DMATERIAL9 Material = {};
  Material.Diffuse = {1, 1, 1, 1};
  D3DLIGHT9 Light = {};
  Light.Type = D3DLIGHT_DIRECTIONAL;
  Light.Diffuse = {1, 1, 1, 0};
  Light.Direction = {0, 0, 1};
  const auto SendRecipe = [&] {
    pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
    pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
    pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);
    pDevice->SetTextureStageState(0, D3DTSS_COLORARG2, D3DTA_DIFFUSE);
    pDevice->SetTextureStageState(0, D3DTSS_COLOROP, D3DTOP_MODULATE);
    pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF80C0FF);
    pDevice->SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1);
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG1, D3DTA_CURRENT);
    pDevice->SetTextureStageState(1, D3DTSS_COLORARG2, D3DTA_TEXTURE);
    pDevice->SetTextureStageState(1, D3DTSS_COLOROP, D3DTOP_MODULATE2X);
    pDevice->SetMaterial(&Material);
    pDevice->SetLight(0, &Light);
    pDevice->LightEnable(0, TRUE);
    pDevice->SetTexture(1, pCube);
  };
  pDevice->BeginScene();
  SendRecipe();
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
  const uint64_t iBefore = D3D9GlCallCount(pDevice);
  SendRecipe();
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 10)), D3D_OK);
  EXPECT_EQ(D3D9GlCallCount(pDevice) - iBefore, 1u);  // the draw alone
  // A new world matrix costs one uniform upload more.
  SendRecipe();
  ASSERT_EQ(Square.Draw(pDevice, Translation(0, 0, 11)), D3D_OK);
  EXPECT_EQ(D3D9GlCallCount(pDevice) - iBefore, 3u);
  pDevice->EndScene();
  pCube->Release();
}

// VIMRA_GL_NO_CACHE=1 sets every state again on every draw and clear: the
// same pixels, more GL calls. A scene that changes the program, the raster
// state, the texture and the sampler between draws, and clears part of it.
TEST_F(DeviceTest, CacheSwitchedOffDrawsTheSamePixelsWithMoreGlCalls) {
  const auto DrawScene = [](IDirect3DDevice9* pOn, Frame& Out, uint64_t& iCalls) {
    const Mesh Square = SquareMesh(pOn, 2.0f, 4);
    IDirect3DCubeTexture9* pCube = MakeCube(pOn, 8, D3DFMT_X8R8G8B8, [](UINT iFace, UINT x, UINT y) {
      return 0xFF000000u | (iFace * 40u) << 16 | (x * 30u) << 8 | y * 30u;
    });
    const D3DXMATRIX matProjection = DemoProjection(), matView = Identity();
    pOn->SetTransform(D3DTS_PROJECTION, &matProjection);
    pOn->SetTransform(D3DTS_VIEW, &matView);
    D3DLIGHT9 Light = {};
    Light.Type = D3DLIGHT_DIRECTIONAL;
    Light.Diffuse = {1, 0.8f, 0.6f, 0};
    Light.Direction = {0.3f, -0.2f, 1};
    D3DMATERIAL9 Material = {};
    Material.Diffuse = {1, 1, 1, 1};
    const uint64_t iBefore = D3D9GlCallCount(pOn);
    pOn->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF203040, 1.0f, 0);
    pOn->BeginScene();
    pOn->SetMaterial(&Material);
    pOn->SetLight(0, &Light);
    pOn->LightEnable(0, TRUE);
    for (int i = 0; i < 6; ++i) {
      pOn->SetRenderState(D3DRS_LIGHTING, i % 2 == 0 ? TRUE : FALSE);
      pOn->SetRenderState(D3DRS_CULLMODE, i < 3 ? D3DCULL_CCW : D3DCULL_NONE);
      pOn->SetRenderState(D3DRS_ALPHABLENDENABLE, i == 4 ? TRUE : FALSE);
      pOn->SetRenderState(D3DRS_SRCBLEND, D3DBLEND_SRCALPHA);
      pOn->SetRenderState(D3DRS_DESTBLEND, D3DBLEND_INVSRCALPHA);
      pOn->SetTexture(0, i >= 2 ? pCube : nullptr);
      pOn->SetTextureStageState(0, D3DTSS_COLOROP, i >= 2 ? D3DTOP_MODULATE : D3DTOP_SELECTARG2);
      pOn->SetTextureStageState(0, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR);
      pOn->SetSamplerState(0, D3DSAMP_MAGFILTER, i == 3 ? D3DTEXF_POINT : D3DTEXF_LINEAR);
      const D3DXMATRIX matWorld = RotationY(0.4f * static_cast<float>(i)) * Translation(-2.5f + i, 0.3f * i - 1, 10);
      ASSERT_EQ(Square.Draw(pOn, matWorld), D3D_OK);
      if (i == 2) {
        const D3DRECT Rect = {100, 100, 200, 150};
        pOn->Clear(1, &Rect, D3DCLEAR_TARGET, 0xFF00FF00, 1.0f, 0);
      }
    }
    pOn->EndScene();
    iCalls = D3D9GlCallCount(pOn) - iBefore;
    Out = ReadFrame(pOn);
    pOn->SetTexture(0, nullptr);
    pOn->SetIndices(nullptr);
    pOn->SetStreamSource(0, nullptr, 0, 0);
    pCube->Release();
  };
  Frame Cached, Uncached;
  uint64_t iCachedCalls = 0, iUncachedCalls = 0;
  DrawScene(pDevice, Cached, iCachedCalls);

  ASSERT_EQ(setenv("VIMRA_GL_NO_CACHE", "1", 1), 0);
  D3DPRESENT_PARAMETERS Params = DemoParams(D3DMULTISAMPLE_NONE);
  IDirect3DDevice9* pUncached = nullptr;
  const HRESULT hr =
      pD3D->CreateDevice(0, D3DDEVTYPE_HAL, TestWindow(), D3DCREATE_SOFTWARE_VERTEXPROCESSING, &Params, &pUncached);
  unsetenv("VIMRA_GL_NO_CACHE");
  ASSERT_EQ(hr, D3D_OK);
  DrawScene(pUncached, Uncached, iUncachedCalls);
  EXPECT_EQ(pUncached->Release(), 0u);

  ASSERT_EQ(Cached.Pixels.size(), Uncached.Pixels.size());
  EXPECT_TRUE(Cached.Pixels == Uncached.Pixels);
  int iDrawn = 0;  // pixels neither clear wrote
  for (int y = 0; y < Cached.iHeight; y += 4) {
    for (int x = 0; x < Cached.iWidth; x += 4) iDrawn += Cached.At(x, y) != 0xFF203040u && Cached.At(x, y) != 0xFF00FF00u;
  }
  EXPECT_GT(iDrawn, 2000);
  EXPECT_GT(iUncachedCalls, iCachedCalls + 30) << "cached " << iCachedCalls;
}

// The C++ block is filled byte for byte into GL's buffer: every member must
// sit where GL's std140 layout reads it.
TEST_F(DeviceTest, UniformBlockLayoutIsTheOneGlReads) {
  using d3d9gl::FfpBlock;
  using d3d9gl::FfpLight;
  const GLuint iProgram = d3d9gl::BuildFfpProgram(d3d9gl::FfpKey{});
  ASSERT_NE(iProgram, 0u);
  const size_t iLastLight = offsetof(FfpBlock, Lights) + (d3d9gl::kMaxActiveLights - 1) * sizeof(FfpLight);
  const std::pair<const char*, size_t> Members[] = {
      {"uWorldView", offsetof(FfpBlock, WorldView)},
      {"uWorldViewProj", offsetof(FfpBlock, WorldViewProj)},
      {"uNormalMatrix", offsetof(FfpBlock, NormalMatrix)},
      {"uTexMatrix[0]", offsetof(FfpBlock, TexMatrix)},
      {"uMatDiffuse", offsetof(FfpBlock, MatDiffuse)},
      {"uMatEmissive", offsetof(FfpBlock, MatEmissive)},
      {"uTextureFactor", offsetof(FfpBlock, TextureFactor)},
      {"uMisc", offsetof(FfpBlock, Misc)},
      {"uPixelOffset", offsetof(FfpBlock, PixelOffset)},
      {"uLights[0].Diffuse", offsetof(FfpBlock, Lights)},
      {"uLights[1].Direction", offsetof(FfpBlock, Lights) + sizeof(FfpLight) + offsetof(FfpLight, Direction)},
      {"uLights[7].Spot", iLastLight + offsetof(FfpLight, Spot)},
  };
  for (const auto& [pszName, iOffset] : Members) {
    SCOPED_TRACE(pszName);
    GLuint iIndex = GL_INVALID_INDEX;
    glGetUniformIndices(iProgram, 1, &pszName, &iIndex);
    ASSERT_NE(iIndex, GL_INVALID_INDEX);
    GLint iGlOffset = -1;
    glGetActiveUniformsiv(iProgram, 1, &iIndex, GL_UNIFORM_OFFSET, &iGlOffset);
    EXPECT_EQ(static_cast<size_t>(iGlOffset), iOffset);
  }
  const char* pszTexMatrix = "uTexMatrix[0]";
  GLuint iIndex = GL_INVALID_INDEX;
  glGetUniformIndices(iProgram, 1, &pszTexMatrix, &iIndex);
  GLint iStride = 0, iCount = 0;
  glGetActiveUniformsiv(iProgram, 1, &iIndex, GL_UNIFORM_ARRAY_STRIDE, &iStride);
  glGetActiveUniformsiv(iProgram, 1, &iIndex, GL_UNIFORM_SIZE, &iCount);
  EXPECT_EQ(iStride, static_cast<GLint>(sizeof(FfpBlock::TexMatrix[0])));
  EXPECT_EQ(iCount, d3d9gl::kStageCount);
  GLint iBlockBytes = 0;
  glGetActiveUniformBlockiv(iProgram, glGetUniformBlockIndex(iProgram, "FixedFunction"), GL_UNIFORM_BLOCK_DATA_SIZE,
                            &iBlockBytes);
  EXPECT_EQ(static_cast<size_t>(iBlockBytes), sizeof(FfpBlock));
  glDeleteProgram(iProgram);
}

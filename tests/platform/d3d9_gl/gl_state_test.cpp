// The GL device's translation from Direct3D state, without a GL context: the
// state store's defaults, the dirty groups, the fixed-function key, the
// uniform block and the value translation; and the size it draws at.
#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstring>

#include "gl_draw_scale.h"
#include "gl_enums.h"
#include "gl_ffp_state.h"
#include "gl_state_store.h"

using namespace d3d9gl;

namespace {

// Only whether a stage has a texture matters to the key; any non-null pointer does.
IDirect3DBaseTexture9* SomeTexture() {
  static int iPlaceholder;
  return reinterpret_cast<IDirect3DBaseTexture9*>(&iPlaceholder);
}

D3DLIGHT9 Light(D3DLIGHTTYPE eType, D3DVECTOR vecDirection) {
  D3DLIGHT9 L = {};
  L.Type = eType;
  L.Diffuse = {1, 1, 1, 0};
  L.Direction = vecDirection;
  L.Position = {1, 2, 3};
  L.Range = 10;
  L.Theta = 0.5f;
  L.Phi = 1.0f;
  return L;
}

FfpBlock BlockOf(const D3dStateStore& State) {
  FfpBlock Block{};
  FillFfpBlock(State, BuildFfpKey(State).iLightCount, 640, 480, Block);
  return Block;
}

bool SameBytes(const FfpBlock& A, const FfpBlock& B) { return std::memcmp(&A, &B, sizeof A) == 0; }

}  // namespace

// ---- the state store -------------------------------------------------------------

TEST(GlStateStore, StartsFromDirect3DsDefaults) {
  const D3dStateStore State(true);
  const DWORD* rs = State.RenderStates;
  EXPECT_EQ(rs[D3DRS_ZENABLE], D3DZB_TRUE);
  EXPECT_EQ(D3dStateStore(false).RenderStates[D3DRS_ZENABLE], D3DZB_FALSE);
  EXPECT_EQ(rs[D3DRS_CULLMODE], D3DCULL_CCW);
  EXPECT_EQ(rs[D3DRS_ZFUNC], D3DCMP_LESSEQUAL);
  EXPECT_EQ(rs[D3DRS_LIGHTING], DWORD{TRUE});
  EXPECT_EQ(rs[D3DRS_DITHERENABLE], DWORD{FALSE});  // GL starts with dithering on
  EXPECT_EQ(rs[D3DRS_TEXTUREFACTOR], 0xFFFFFFFFu);
  EXPECT_EQ(rs[D3DRS_COLORWRITEENABLE], 0xFu);
  EXPECT_EQ(rs[D3DRS_FOGEND], std::bit_cast<DWORD>(1.0f));
  EXPECT_EQ(State.StageStates[0][D3DTSS_COLOROP], D3DTOP_MODULATE);
  EXPECT_EQ(State.StageStates[0][D3DTSS_ALPHAOP], D3DTOP_SELECTARG1);
  for (int s = 1; s < kStageCount; ++s) {
    EXPECT_EQ(State.StageStates[s][D3DTSS_COLOROP], D3DTOP_DISABLE) << s;
    EXPECT_EQ(State.StageStates[s][D3DTSS_TEXCOORDINDEX], DWORD(s)) << s;
    EXPECT_EQ(State.StageStates[s][D3DTSS_COLORARG1], D3DTA_TEXTURE) << s;
    EXPECT_EQ(State.SamplerStates[s][D3DSAMP_ADDRESSW], D3DTADDRESS_WRAP) << s;
    EXPECT_EQ(State.SamplerStates[s][D3DSAMP_MIPFILTER], D3DTEXF_NONE) << s;
    EXPECT_EQ(State.TextureMatrices[s].m[3][3], 1.0f) << s;
  }
}

// A render state left out of its group would leave GL stale after a change;
// one put in a group it does not feed would only cost work. Every value of
// every state is tried against two starting points (the defaults, and one with
// lighting, alpha test, blending and a light on).
TEST(GlStateStore, EachRenderStateMarksExactlyTheGroupsItFeeds) {
  D3dStateStore Busy(true);
  Busy.RenderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  Busy.RenderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATEREQUAL;
  Busy.RenderStates[D3DRS_ALPHABLENDENABLE] = TRUE;
  Busy.RenderStates[D3DRS_SPECULARENABLE] = TRUE;
  Busy.Lights[0] = {Light(D3DLIGHT_DIRECTIONAL, {0, 0, 1}), true};
  const D3dStateStore Starts[] = {D3dStateStore(true), Busy};
  const DWORD Values[] = {0, 1, 2, 3, 4, 5, 7, 8, 0x80, 0xFF, 0x12345678, 0xFFFFFFFF};
  for (DWORD dwState = 0; dwState < kRenderStateCount; ++dwState) {
    uint8_t iFed = 0;
    for (const D3dStateStore& Start : Starts) {
      const FfpKey Key = BuildFfpKey(Start);
      const FfpBlock Block = BlockOf(Start);
      const GlRasterState Raster = RasterStateFor(Start.RenderStates, true);
      for (DWORD dwValue : Values) {
        D3dStateStore Changed = Start;
        Changed.RenderStates[dwState] = dwValue;
        if (!(BuildFfpKey(Changed) == Key)) iFed |= kDirtyProgram;
        if (!SameBytes(BlockOf(Changed), Block)) iFed |= kDirtyValues;
        if (!(RasterStateFor(Changed.RenderStates, true) == Raster)) iFed |= kDirtyRaster;
      }
    }
    // A new program refills the block too (the light count is in the key).
    const uint8_t iGroups = RenderStateGroups(dwState);
    SCOPED_TRACE(testing::Message() << "render state " << dwState);
    EXPECT_EQ(iGroups & kDirtyRaster, iFed & kDirtyRaster);
    EXPECT_EQ(iGroups & kDirtyProgram, iFed & kDirtyProgram);
    if (iFed & kDirtyValues) {
      EXPECT_NE(iGroups & (kDirtyProgram | kDirtyValues), 0);
    } else {
      EXPECT_EQ(iGroups & kDirtyValues, 0);
    }
  }
}

// ---- the fixed-function key -------------------------------------------------------

TEST(GlFfpKey, AStageReadingAMissingTextureEndsTheCascade) {
  D3dStateStore State(true);
  // Stage 0: TFACTOR x DIFFUSE; stage 1: CURRENT x TEXTURE from the reflection vector.
  State.StageStates[0][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
  State.StageStates[0][D3DTSS_COLORARG2] = D3DTA_DIFFUSE;
  State.StageStates[1][D3DTSS_COLOROP] = D3DTOP_MODULATE2X;
  State.StageStates[1][D3DTSS_COLORARG1] = D3DTA_CURRENT;
  State.StageStates[1][D3DTSS_COLORARG2] = D3DTA_TEXTURE;
  State.StageStates[1][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1;
  EXPECT_EQ(BuildFfpKey(State).iStageCount, 1);
  EXPECT_EQ(BuildFfpKey(State).Stages[0].bHasTexture, 0) << "stage 0 samples nothing";

  State.Textures[1] = SomeTexture();
  const FfpKey Key = BuildFfpKey(State);
  ASSERT_EQ(Key.iStageCount, 2);
  EXPECT_EQ(Key.Stages[1].bHasTexture, 1);
  EXPECT_EQ(Key.Stages[1].iTexGen, kTexGenReflection);
  EXPECT_EQ(Key.Stages[1].iCoordSet, 1);
  EXPECT_EQ(Key.Stages[1].iColorOp, D3DTOP_MODULATE2X);
  // With no texture stage 0 starts with MODULATE of TEXTURE: nothing at all.
  EXPECT_EQ(BuildFfpKey(D3dStateStore(true)).iStageCount, 0);
}

TEST(GlFfpKey, EqualPipelinesGiveEqualKeys) {
  D3dStateStore A(true), B(true);
  for (D3dStateStore* p : {&A, &B}) {
    p->StageStates[0][D3DTSS_COLOROP] = D3DTOP_SELECTARG1;
    p->StageStates[0][D3DTSS_COLORARG1] = D3DTA_TFACTOR;
    p->StageStates[0][D3DTSS_ALPHAOP] = D3DTOP_DISABLE;
  }
  // What the operations do not read differs.
  B.StageStates[0][D3DTSS_COLORARG2] = D3DTA_SPECULAR;
  B.StageStates[0][D3DTSS_ALPHAARG1] = D3DTA_DIFFUSE;
  B.StageStates[0][D3DTSS_TEXCOORDINDEX] = D3DTSS_TCI_CAMERASPACENORMAL;
  B.RenderStates[D3DRS_ALPHAFUNC] = D3DCMP_LESS;  // alpha test off
  B.RenderStates[D3DRS_LOCALVIEWER] = FALSE;       // specular off
  B.Lights[3] = {Light(D3DLIGHT_POINT, {0, 0, 1}), false};
  EXPECT_TRUE(BuildFfpKey(A) == BuildFfpKey(B));
  EXPECT_EQ(FfpKeyHash()(BuildFfpKey(A)), FfpKeyHash()(BuildFfpKey(B)));
}

TEST(GlFfpKey, LightsOnInIndexOrderAtMostEightAndOnlyWhileLighting) {
  D3dStateStore State(true);
  for (DWORD i = 0; i < 10; ++i) {
    const D3DLIGHTTYPE eType = i % 3 == 0 ? D3DLIGHT_SPOT : D3DLIGHT_POINT;
    State.Lights[9 - i] = {Light(eType, {0, 0, 1}), i != 4};  // light 5 stays off
  }
  FfpKey Key = BuildFfpKey(State);
  ASSERT_EQ(Key.iLightCount, kMaxActiveLights);
  const DWORD Expected[kMaxActiveLights] = {0, 1, 2, 3, 4, 6, 7, 8};  // by index, skipping 5
  for (int i = 0; i < kMaxActiveLights; ++i) EXPECT_EQ(Key.LightTypes[i], State.Lights[Expected[i]].Light.Type) << i;
  State.RenderStates[D3DRS_SPECULARENABLE] = TRUE;
  State.RenderStates[D3DRS_LIGHTING] = FALSE;
  Key = BuildFfpKey(State);
  EXPECT_EQ(Key.iLightCount, 0);
  EXPECT_EQ(Key.bSpecular, 0) << "unlit, this vertex format has no specular colour";
}

TEST(GlFfpKey, AlphaTestOnlyWhenItCanFail) {
  D3dStateStore State(true);
  State.RenderStates[D3DRS_ALPHAFUNC] = D3DCMP_GREATEREQUAL;
  EXPECT_EQ(BuildFfpKey(State).iAlphaFunc, 0) << "test off";
  State.RenderStates[D3DRS_ALPHATESTENABLE] = TRUE;
  EXPECT_EQ(BuildFfpKey(State).iAlphaFunc, D3DCMP_GREATEREQUAL);
  State.RenderStates[D3DRS_ALPHAFUNC] = D3DCMP_ALWAYS;
  EXPECT_EQ(BuildFfpKey(State).iAlphaFunc, 0);
}

// ---- the uniform block -------------------------------------------------------------

TEST(GlFfpBlock, LightsGoToCameraSpaceThroughTheViewAlone) {
  D3dStateStore State(true);
  // View: 90 degrees about y (x -> -z, z -> x) and a move of 5 along x; a world
  // matrix that must not touch the lights.
  State.matView = IdentityMatrix();
  State.matView._11 = 0, State.matView._13 = -1, State.matView._31 = 1, State.matView._33 = 0;
  State.matView._41 = 5;
  State.matWorld._11 = 3;
  State.Lights[0] = {Light(D3DLIGHT_DIRECTIONAL, {0, 0, 2}), true};
  State.Lights[1] = {Light(D3DLIGHT_SPOT, {0, 0, 2}), true};
  const FfpBlock Block = BlockOf(State);
  // The directional light keeps the unit vector toward the light: -(0, 0, 1) * view.
  EXPECT_FLOAT_EQ(Block.Lights[0].Direction[0], -1.0f);
  EXPECT_FLOAT_EQ(Block.Lights[0].Direction[2], 0.0f);
  // The spot keeps its axis, and its position moves with the view.
  EXPECT_FLOAT_EQ(Block.Lights[1].Direction[0], 1.0f);
  EXPECT_FLOAT_EQ(Block.Lights[1].Position[0], 3 + 5.0f);
  EXPECT_FLOAT_EQ(Block.Lights[1].Position[2], -1.0f);
  EXPECT_FLOAT_EQ(Block.Lights[1].Spot[0], std::cos(0.25f));
  EXPECT_FLOAT_EQ(Block.Lights[1].Spot[1], std::cos(0.5f));
}

TEST(GlFfpBlock, MatricesAreRowVectorProductsAndNormalsUseTheInverseTranspose) {
  D3dStateStore State(true);
  State.matWorld = IdentityMatrix();
  State.matWorld._11 = State.matWorld._22 = State.matWorld._33 = 2;  // scale, then ...
  State.matView = IdentityMatrix();
  State.matView._41 = 1;  // ... move: the translation stays 1, not 2
  const FfpBlock Block = BlockOf(State);
  EXPECT_FLOAT_EQ(Block.WorldViewProj[0], 2.0f);
  EXPECT_FLOAT_EQ(Block.WorldViewProj[12], 1.0f);
  EXPECT_FLOAT_EQ(Block.NormalMatrix[0], 0.5f);
  EXPECT_FLOAT_EQ(Block.NormalMatrix[12], 0.0f) << "normals do not move";
  // A world of scale 0 has no inverse: normals vanish rather than blow up.
  State.matWorld._11 = State.matWorld._22 = State.matWorld._33 = 0;
  const FfpBlock Flat = BlockOf(State);
  for (float f : Flat.NormalMatrix) EXPECT_EQ(f, 0.0f);
}

TEST(GlFfpBlock, ColoursAndReferencesAsDirect3DReadsThem) {
  D3dStateStore State(true);
  State.RenderStates[D3DRS_TEXTUREFACTOR] = 0x80FF4000;  // A8R8G8B8
  State.RenderStates[D3DRS_ALPHAREF] = 0x1C8;            // only the low byte counts
  State.Material.Power = 7;
  const FfpBlock Block = BlockOf(State);
  EXPECT_FLOAT_EQ(Block.TextureFactor[0], 1.0f);
  EXPECT_FLOAT_EQ(Block.TextureFactor[1], 64 / 255.0f);
  EXPECT_FLOAT_EQ(Block.TextureFactor[2], 0.0f);
  EXPECT_FLOAT_EQ(Block.TextureFactor[3], 128 / 255.0f);
  EXPECT_FLOAT_EQ(Block.Misc[0], 7.0f);
  EXPECT_FLOAT_EQ(Block.Misc[1], 0xC8);
  // Half a pixel up and left in clip units: 2 / size / 2, y up in clip space.
  EXPECT_FLOAT_EQ(Block.PixelOffset[0], 1 / 640.0f);
  EXPECT_FLOAT_EQ(Block.PixelOffset[1], -1 / 480.0f);
}

// ---- value translation ---------------------------------------------------------------

TEST(GlEnums, EveryDirect3DValueHasItsGlCounterpart) {
  const std::pair<DWORD, GLenum> Compares[] = {
      {D3DCMP_NEVER, GL_NEVER},     {D3DCMP_LESS, GL_LESS},         {D3DCMP_EQUAL, GL_EQUAL},
      {D3DCMP_LESSEQUAL, GL_LEQUAL}, {D3DCMP_GREATER, GL_GREATER},   {D3DCMP_NOTEQUAL, GL_NOTEQUAL},
      {D3DCMP_GREATEREQUAL, GL_GEQUAL}, {D3DCMP_ALWAYS, GL_ALWAYS}, {0, GL_ALWAYS}};
  for (auto [dw, e] : Compares) EXPECT_EQ(CompareFunc(dw), e) << dw;
  const std::pair<DWORD, GLenum> Blends[] = {
      {D3DBLEND_ZERO, GL_ZERO}, {D3DBLEND_ONE, GL_ONE}, {D3DBLEND_SRCCOLOR, GL_SRC_COLOR},
      {D3DBLEND_INVSRCCOLOR, GL_ONE_MINUS_SRC_COLOR}, {D3DBLEND_SRCALPHA, GL_SRC_ALPHA},
      {D3DBLEND_INVSRCALPHA, GL_ONE_MINUS_SRC_ALPHA}, {D3DBLEND_DESTALPHA, GL_DST_ALPHA},
      {D3DBLEND_INVDESTALPHA, GL_ONE_MINUS_DST_ALPHA}, {D3DBLEND_DESTCOLOR, GL_DST_COLOR},
      {D3DBLEND_INVDESTCOLOR, GL_ONE_MINUS_DST_COLOR}, {D3DBLEND_SRCALPHASAT, GL_SRC_ALPHA_SATURATE}};
  for (auto [dw, e] : Blends) EXPECT_EQ(BlendFactor(dw), e) << dw;
  EXPECT_EQ(AddressMode(D3DTADDRESS_WRAP), GL_REPEAT);
  EXPECT_EQ(AddressMode(D3DTADDRESS_MIRROR), GL_MIRRORED_REPEAT);
  EXPECT_EQ(AddressMode(D3DTADDRESS_CLAMP), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(AddressMode(D3DTADDRESS_BORDER), GL_CLAMP_TO_BORDER);
  EXPECT_EQ(AddressMode(D3DTADDRESS_MIRRORONCE), GL_CLAMP_TO_EDGE);
  EXPECT_EQ(MinFilter(D3DTEXF_POINT, D3DTEXF_NONE), GL_NEAREST) << "no mip filter: the top level only";
  EXPECT_EQ(MinFilter(D3DTEXF_LINEAR, D3DTEXF_NONE), GL_LINEAR);
  EXPECT_EQ(MinFilter(D3DTEXF_LINEAR, D3DTEXF_POINT), GL_LINEAR_MIPMAP_NEAREST);
  EXPECT_EQ(MinFilter(D3DTEXF_POINT, D3DTEXF_LINEAR), GL_NEAREST_MIPMAP_LINEAR);
  EXPECT_EQ(MagFilter(D3DTEXF_LINEAR), GL_LINEAR);
  EXPECT_EQ(PolygonMode(D3DFILL_POINT), GL_POINT);
  EXPECT_EQ(PolygonMode(D3DFILL_WIREFRAME), GL_LINE);
  EXPECT_EQ(PolygonMode(D3DFILL_SOLID), GL_FILL);
}

TEST(GlEnums, CullingCountsWindingOnScreenAndDepthNeedsADepthBuffer) {
  D3dStateStore State(true);
  GlRasterState s = RasterStateFor(State.RenderStates, true);
  EXPECT_TRUE(s.bCull);
  EXPECT_EQ(s.eCullFace, GL_BACK) << "CCW on screen is GL's back with front faces clockwise";
  EXPECT_TRUE(s.bDepthTest);
  EXPECT_FALSE(s.bDither);
  State.RenderStates[D3DRS_CULLMODE] = D3DCULL_CW;
  EXPECT_EQ(RasterStateFor(State.RenderStates, true).eCullFace, GL_FRONT);
  State.RenderStates[D3DRS_CULLMODE] = D3DCULL_NONE;
  EXPECT_FALSE(RasterStateFor(State.RenderStates, true).bCull);
  EXPECT_FALSE(RasterStateFor(State.RenderStates, false).bDepthTest);
  State.RenderStates[D3DRS_COLORWRITEENABLE] = 0x1F;
  EXPECT_EQ(RasterStateFor(State.RenderStates, true).dwColourMask, 0xFu);
}

// ---- the size drawn at -------------------------------------------------------------

TEST(GlDrawSize, RenderScaleIsAFractionUpToOne) {
  EXPECT_EQ(FixedScaleFrom("0.5"), 0.5);
  EXPECT_EQ(FixedScaleFrom("1"), 1.0);
  EXPECT_EQ(FixedScaleFrom("2"), 1.0);
  EXPECT_EQ(FixedScaleFrom(nullptr), 0.0);
  EXPECT_EQ(FixedScaleFrom("half"), 0.0);
  EXPECT_EQ(FixedScaleFrom("-1"), 0.0);
}

// Frame times that grow with the pixels drawn: a new window is tried at all
// its pixels, a size that proves too slow is stepped down from to the largest
// that keeps a frame well within 20 ms, and nothing moves up again until the
// window changes; a window far too large for the time per pixel seen so far
// starts at the estimate instead.
TEST(GlDrawSize, ChooserStepsDownFromTheWindowsSizeAndStays) {
  const DrawSize Base = {1280, 720}, Full = {3840, 2160};
  DrawScaleChooser Chooser(0.0);
  auto Drawn = [&] { return SizeToDraw(Base, Full, Chooser.Scale(), 16384); };
  // Runs frames at fMsPerMegapixel until the chooser decides; whether the drawn size changed.
  auto RunUntilDecided = [&](double fMsPerMegapixel) {
    const DrawSize Before = Drawn();
    for (int i = 0; i < 100; ++i) {
      const DrawSize S = Drawn();
      if (Chooser.NoteFrame(fMsPerMegapixel * static_cast<double>(S.Pixels()) / 1e6, S, Full, Base))
        return Drawn() != Before;
    }
    ADD_FAILURE() << "no decision in 100 frames";
    return false;
  };
  Chooser.NewWindow(Full, Base);
  EXPECT_TRUE(Drawn() == Full);
  // 5.4 ms for 1280x720: 3840x2160 takes 45 ms, 1920x1080 11, 2400x1350 would take 17.6.
  const double fModest = 5.4 / 0.9216;
  EXPECT_TRUE(RunUntilDecided(fModest));
  EXPECT_TRUE(Drawn() == (DrawSize{1920, 1080}));
  EXPECT_FALSE(RunUntilDecided(fModest));
  // The scenes grow busier: 24 ms at 1920x1080 is too slow.
  EXPECT_TRUE(RunUntilDecided(24.0 / 2.0736));
  EXPECT_LT(Drawn().Pixels(), 1920 * 1080);
  // Faster again, it does not swing back up.
  EXPECT_FALSE(RunUntilDecided(1.0));
  // A new window is tried whole again.
  Chooser.NewWindow(Full, Base);
  EXPECT_TRUE(Drawn() == Full);
  // Too slow even at the engine's size: nothing smaller is drawn.
  EXPECT_TRUE(RunUntilDecided(100.0));
  EXPECT_TRUE(Drawn() == Base);
  EXPECT_FALSE(RunUntilDecided(100.0));
  EXPECT_NEAR(Chooser.LastMedianMs(), 92.16, 0.01);
  // After that, a large window starts where the time per pixel says.
  Chooser.NewWindow(Full, Base);
  EXPECT_TRUE(Drawn() == Base);

  DrawScaleChooser Fixed(1.0);
  Fixed.NewWindow(Full, Base);
  for (int i = 0; i < 100; ++i) EXPECT_FALSE(Fixed.NoteFrame(500.0, Full, Full, Base));
  EXPECT_EQ(Fixed.Scale(), 1.0);
}

#include <cmath>

#include "render/draw_model.h"
#include "engine_fixture.h"

namespace {

// The per-part recipe's fixed steps 1 to 21 with colour 0x11223344.
const std::vector<std::string> kFixedSteps = {
    "SetRenderState(LIGHTING,1)",          "SetRenderState(ALPHABLENDENABLE,0)",           "SetRenderState(DESTBLEND,6)",
    "SetRenderState(SRCBLEND,5)",           "SetRenderState(ALPHATESTENABLE,0)",           "SetRenderState(ALPHAREF,128)",
    "SetRenderState(ALPHAFUNC,7)",           "SetRenderState(CULLMODE,3)",           "SetRenderState(ZENABLE,1)",
    "SetRenderState(FOGENABLE,0)",           "SetTextureStageState(0,COLORARG1,3)",    "SetTextureStageState(0,COLORARG2,0)",
    "SetTextureStageState(0,COLOROP,4)",    "SetRenderState(TEXTUREFACTOR,287454020)",   "SetTextureStageState(0,ALPHAARG1,2)",
    "SetTextureStageState(0,ALPHAOP,1)",    "SetTextureStageState(1,TEXCOORDINDEX,196609)", "SetTextureStageState(1,COLORARG1,1)",
    "SetTextureStageState(1,COLORARG2,2)",    "SetTextureStageState(1,COLOROP,5)",    "SetTextureStageState(1,ALPHAOP,1)",
};
const std::vector<std::string> kTintSteps = {
    "SetTextureStageState(1,COLORARG1,3)", "SetTextureStageState(1,COLOROP,4)",
    "SetTextureStageState(1,ALPHAARG1,3)", "SetTextureStageState(1,ALPHAOP,4)"};
const std::vector<std::string> kTwoSidedSteps = {"SetRenderState(CULLMODE,1)"};
const std::string kMaterial0 = "SetMaterial((1,1,1,1),(1,1,1,1),(1,1,1,0),(0,0,0,0),20)";
constexpr D3DCOLOR kColour = 0x11223344;

std::vector<std::string> Concat(std::initializer_list<std::vector<std::string>> Lists) {
  std::vector<std::string> Out;
  for (const auto& List : Lists) Out.insert(Out.end(), List.begin(), List.end());
  return Out;
}

class DrawModelTest : public EngineFixture {
 protected:
  // Model 5 is one part, number 3, with buffers IB1/VB1 and 12 vertices, 30 indices.
  void SetUp() override {
    EngineFixture::SetUp();
    Device.CreateCubeTexture(4, 1, 0, D3DFMT_A8R8G8B8, D3DPOOL_MANAGED, &pCubeTexture, nullptr);
    MakePartBuffers(3);
    Models[5] = {3, 1, 0xFF00FF00, {}, {}};
    MeshParts[3] = {12, 30, 0, 0, 0, 0};
    Device.ClearCalls();
  }
  void Draw(int slot = 5) {
    DrawModel(slot, kColour, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 1.0f);
  }
  // Calls from the first part's recipe on (skips world transform and step 3).
  std::vector<std::string> PartCalls() const {
    std::vector<std::string> Texts = Device.Texts();
    return std::vector<std::string>(Texts.begin() + 2, Texts.end());
  }
  std::vector<std::string> Tail(const std::string& strMaterial, const std::string& strPrims) const {
    return {strMaterial, "SetTexture(1,CUBE1)", "SetIndices(IB1)", "SetStreamSource(0,VB1,0,32)",
            "DrawIndexedPrimitive(4,0,0,12,0," + strPrims + ")"};
  }
};

TEST_F(DrawModelTest, RecipePerFlagValue) {
  dwDemoTime = 7000;  // fade value 215
  const std::vector<std::string> kUnlitSteps = {"SetRenderState(LIGHTING,0)", "SetRenderState(ALPHAREF,215)"};
  const struct { DWORD dwFlags; std::vector<std::string> Middle; } kCases[] = {
      {0, {}},
      {1, kTintSteps},
      {2, kTwoSidedSteps},
      {4, kUnlitSteps},
      {6, Concat({kTwoSidedSteps, kUnlitSteps})},
      {7, Concat({kTintSteps, kTwoSidedSteps, kUnlitSteps})},
      {8, {}},  // unknown bits are ignored
  };
  for (const auto& c : kCases) {
    MeshParts[3].dwPartFlags = c.dwFlags;
    Device.ClearCalls();
    Draw();
    EXPECT_EQ(PartCalls(), Concat({kFixedSteps, c.Middle, Tail(kMaterial0, "10")})) << "flags " << c.dwFlags;
  }
}

TEST_F(DrawModelTest, WorldTransformAndModelColourComeFirst) {
  Draw();
  std::vector<std::string> Texts = Device.Texts();
  ASSERT_GE(Texts.size(), 2u);
  EXPECT_EQ(Texts[0], "SetTransform(WORLD,[1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1])");
  EXPECT_EQ(Texts[1], "SetRenderState(TEXTUREFACTOR,4278255360)");
}

TEST_F(DrawModelTest, EmptyAndNegativePartCounts) {
  Models[5].iPartCount = 0;
  Draw();
  EXPECT_TRUE(Device.Calls.empty());
  // The stack is untouched too: its top is still the identity from creation.
  EXPECT_EQ(DrawMatrixStack->GetTop()->_41, 0.0f);

  Models[5].iPartCount = -2;
  DrawModel(5, kColour, D3DXVECTOR3(7, 0, 0), D3DXVECTOR3(0, 0, 0), 1.0f);
  ASSERT_EQ(Device.Calls.size(), 2u);
  EXPECT_EQ(Device.Calls[0].strName, "SetTransform");
  EXPECT_EQ(Device.Calls[1].strText, "SetRenderState(TEXTUREFACTOR,4278255360)");
  EXPECT_EQ(DrawMatrixStack->GetTop()->_41, 7.0f);
}

TEST_F(DrawModelTest, SkipsPartsWithoutVerticesAndBindsEachPartsOwnBuffers) {
  // Parts 3, 4, 5 with 4 empty; the cube texture is absent.
  pCubeTexture->Release();
  pCubeTexture = nullptr;
  MakePartBuffers(4);
  MakePartBuffers(5);
  Models[5].iPartCount = 3;
  MeshParts[4] = {0, 30, 0, 0, 0, 0};
  MeshParts[5] = {9, 6, 0, 0, 2, 0};
  Device.ClearCalls();
  Draw();
  EXPECT_EQ(Device.TextsOf({"DrawIndexedPrimitive"}),
            (std::vector<std::string>{"DrawIndexedPrimitive(4,0,0,12,0,10)", "DrawIndexedPrimitive(4,0,0,9,0,2)"}));
  EXPECT_EQ(Device.TextsOf({"SetIndices", "SetStreamSource", "SetTexture"}),
            (std::vector<std::string>{"SetTexture(1,0)", "SetIndices(IB1)", "SetStreamSource(0,VB1,0,32)",
                                      "SetTexture(1,0)", "SetIndices(IB3)", "SetStreamSource(0,VB3,0,32)"}));
  std::vector<std::string> Materials = Device.TextsOf({"SetMaterial"});
  ASSERT_EQ(Materials.size(), 2u);
  EXPECT_EQ(Materials[0], kMaterial0);
  EXPECT_EQ(Materials[1], "SetMaterial((1,1,1,1),(1,1,1,1),(0.1,0.1,0.1,0),(0,0,0,0),3)");
  EXPECT_EQ(Device.Calls.size(), 2u + 2 * (21 + 5));
}

TEST_F(DrawModelTest, PrimitiveCountFromIndicesAndTriangleLimit) {
  const struct { int iNumIndices; int iTriangleLimit; int iExpected; } kCases[] = {
      {7, 0, 2}, {2, 0, 0}, {12, 0, 4}, {12, -1, 4}, {12, 5, 4}, {12, 4, 4}, {12, 3, 3}, {12, 1, 1},
  };
  for (const auto& c : kCases) {
    MeshParts[3].iNumIndices = c.iNumIndices;
    MeshParts[3].iTriangleLimit = c.iTriangleLimit;
    Device.ClearCalls();
    Draw();
    EXPECT_EQ(Device.TextsOf({"DrawIndexedPrimitive"}),
              std::vector<std::string>{"DrawIndexedPrimitive(4,0,0,12,0," + std::to_string(c.iExpected) + ")"})
        << c.iNumIndices << " indices, limit " << c.iTriangleLimit;
  }
}

TEST_F(DrawModelTest, FadeAlphaReferenceFollowsDemoClock) {
  const struct { DWORD dwTime; int iExpected; } kCases[] = {
      {0, 255}, {6000, 255}, {6024, 255}, {6025, 254}, {12349, 2}, {12350, 1}, {12375, 1}, {4000000000u, 1},
  };
  for (const auto& c : kCases) EXPECT_EQ(FadeAlphaRef(c.dwTime), c.iExpected) << c.dwTime;

  // The unlit part reads the clock when it is drawn.
  MeshParts[3].dwPartFlags = kPartUnlitFade;
  dwDemoTime = 6025;
  Draw();
  EXPECT_EQ(Device.TextsOf({"SetRenderState"}).back(), "SetRenderState(ALPHAREF,254)");
}

TEST_F(DrawModelTest, WorldMatrixIsScaleThenRollPitchYawThenTranslation) {
  auto Transform = [](const D3DXMATRIX& m, float x, float y, float z) {
    return D3DXVECTOR3(x * m._11 + y * m._21 + z * m._31 + m._41, x * m._12 + y * m._22 + z * m._32 + m._42,
                       x * m._13 + y * m._23 + z * m._33 + m._43);
  };
  const float kHalfPi = 1.5707963f;
  // Roll takes +x to +y, then pitch takes +y to +z; yaw 0.
  DrawModel(5, kColour, D3DXVECTOR3(10, 20, 30), D3DXVECTOR3(0, kHalfPi, kHalfPi), 2.0f);
  D3DXVECTOR3 v = Transform(*DrawMatrixStack->GetTop(), 1, 0, 0);
  EXPECT_NEAR(v.x, 10.0f, 1e-5f);
  EXPECT_NEAR(v.y, 20.0f, 1e-5f);
  EXPECT_NEAR(v.z, 32.0f, 1e-5f);
  // Yaw alone turns +x to -z; the origin stays at the position.
  DrawModel(5, kColour, D3DXVECTOR3(10, 20, 30), D3DXVECTOR3(kHalfPi, 0, 0), 3.0f);
  v = Transform(*DrawMatrixStack->GetTop(), 1, 0, 0);
  EXPECT_NEAR(v.x, 10.0f, 1e-5f);
  EXPECT_NEAR(v.y, 20.0f, 1e-5f);
  EXPECT_NEAR(v.z, 27.0f, 1e-5f);
  v = Transform(*DrawMatrixStack->GetTop(), 0, 0, 0);
  EXPECT_EQ(v.x, 10.0f);
  // Scale 0 passes through as a degenerate matrix.
  DrawModel(5, kColour, D3DXVECTOR3(0, 0, 0), D3DXVECTOR3(0, 0, 0), 0.0f);
  EXPECT_EQ(Device.TextsOf({"SetTransform"}).back(), "SetTransform(WORLD,[0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,1])");
}

}  // namespace

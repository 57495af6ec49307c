#include "render/shadow.h"
#include "engine_fixture.h"

namespace {

D3DXVECTOR3 MapPoint(const D3DXMATRIX& m, D3DXVECTOR3 v) {
  float x = v.x * m._11 + v.y * m._21 + v.z * m._31 + m._41;
  float y = v.x * m._12 + v.y * m._22 + v.z * m._32 + m._42;
  float z = v.x * m._13 + v.y * m._23 + v.z * m._33 + m._43;
  float w = v.x * m._14 + v.y * m._24 + v.z * m._34 + m._44;
  return D3DXVECTOR3(x / w, y / w, z / w);
}

class ShadowTest : public EngineFixture {
 protected:
  void SetUp() override {
    EngineFixture::SetUp();
    iGridVertexCount = 1058;
  }
};

TEST_F(ShadowTest, DrawsLitThenFlattenedWithLightsOff) {
  D3DXMATRIX matWorld(2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 1, 2, 3, 1);
  DrawSurfaceWithShadow(&matWorld);
  std::vector<std::string> Texts = Device.Texts();
  ASSERT_EQ(Texts.size(), 10u);
  EXPECT_EQ(Texts[0], "SetTransform(WORLD,[2,0,0,0,0,2,0,0,0,0,2,0,1,2,3,1])");
  const std::vector<std::string> kLitPass = {"LightEnable(0,1)", "LightEnable(1,1)", "LightEnable(2,1)",
                                             "DrawIndexedPrimitive(4,0,0,1058,0,2208)"};
  const std::vector<std::string> kShadowPass = {"LightEnable(0,0)", "LightEnable(1,0)", "LightEnable(2,0)",
                                                "DrawIndexedPrimitive(4,0,0,1058,0,2208)"};
  EXPECT_EQ(std::vector<std::string>(Texts.begin() + 1, Texts.begin() + 5), kLitPass);
  EXPECT_EQ(Texts[5].rfind("SetTransform(WORLD,", 0), 0u);
  EXPECT_EQ(std::vector<std::string>(Texts.begin() + 6, Texts.end()), kShadowPass);

  // The world transform comes first: a world point on the ground stays put.
  D3DXVECTOR3 v = MapPoint(matShadowFinal, D3DXVECTOR3(-0.5f, -3.5f, -1.5f));
  EXPECT_NEAR(v.x, 0.0f, 1e-5f);
  EXPECT_NEAR(v.y, -5.0f, 1e-5f);
  EXPECT_NEAR(v.z, 0.0f, 1e-5f);
}

TEST_F(ShadowTest, ShadowMatrixRowsAndMappedPoints) {
  D3DXMATRIX matIdentity(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
  DrawSurfaceWithShadow(&matIdentity);
  EXPECT_EQ(plane.a, 0.0f);
  EXPECT_EQ(plane.b, 1.0f);
  EXPECT_EQ(plane.c, 0.0f);
  EXPECT_EQ(plane.d, 5.0f);
  const float kRows[4][4] = {{105, 0, 0, 0}, {-50, 5, 70, -1}, {0, 0, 105, 0}, {-250, -500, 350, 100}};
  for (int i = 0; i < 4; i++) {
    for (int j = 0; j < 4; j++) {
      EXPECT_EQ(matShadow(i, j), kRows[i][j]) << i << "," << j;
      EXPECT_EQ(matShadowFinal(i, j), kRows[i][j]) << i << "," << j;
    }
  }
  const struct { D3DXVECTOR3 vecIn, vecOut; } kPoints[] = {
      {{0, -5, 0}, {0, -5, 0}},
      {{0, 0, 0}, {-2.5f, -5, 3.5f}},
      {{10, 3, -2}, {6.7010f, -5, 3.6082f}},
  };
  for (const auto& p : kPoints) {
    D3DXVECTOR3 v = MapPoint(matShadow, p.vecIn);
    EXPECT_NEAR(v.x, p.vecOut.x, 1e-3f);
    EXPECT_NEAR(v.y, p.vecOut.y, 1e-5f);
    EXPECT_NEAR(v.z, p.vecOut.z, 1e-3f);
  }
}

TEST(EmitMirroredVertexTest, WritesOriginalAndMirroredCopyOneGridFurther) {
  MeshVertex Target[20] = {};
  for (MeshVertex& vertex : Target) vertex.fU = vertex.fV = 9.0f;
  PendingVertex = {1, 2, 3, 0, 1, 0};
  pMirrorTarget = Target;
  iMirrorCursor = 4;
  iGridVertexCount = 10;
  EmitMirroredVertex();
  EXPECT_EQ(iMirrorCursor, 4);
  EXPECT_EQ(iGridVertexCount, 10);
  const MeshVertex& original = Target[4];
  const MeshVertex& mirror = Target[14];
  EXPECT_EQ(original.vecPos.x, 1.0f);
  EXPECT_EQ(original.vecPos.y, 2.0f);
  EXPECT_EQ(original.vecPos.z, 3.0f);
  EXPECT_EQ(mirror.vecPos.x, -1.175f);
  EXPECT_EQ(mirror.vecPos.y, 2.0f * -1.175f);
  EXPECT_EQ(mirror.vecPos.z, 3.0f * -1.175f);
  for (const MeshVertex* p : {&original, &mirror}) {
    EXPECT_EQ(p->vecNormal.x, 0.0f);
    EXPECT_EQ(p->vecNormal.y, 1.0f);
    EXPECT_EQ(p->vecNormal.z, 0.0f);
    EXPECT_EQ(p->fU, 9.0f);  // texture coordinates untouched
    EXPECT_EQ(p->fV, 9.0f);
  }
  EXPECT_EQ(Target[5].vecPos.x, 0.0f);
  EXPECT_EQ(Target[13].vecPos.x, 0.0f);
  pMirrorTarget = nullptr;
}

}  // namespace

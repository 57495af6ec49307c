// The timeline through the recording device: which camera and scene each time
// gets, and the draw list (slot, colour, position, scale) in order.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <sstream>

#include "core/globals.h"
#include "host/timeline.h"
#include "mesh/scalar_math.h"
#include "recording_device.h"
#include "core/records.h"

namespace {

struct Draw {
  int iSlot;
  D3DCOLOR dwColour;
  float x, y, z;
  float fScale;
};

// The 16 values of a recorded matrix, row by row.
std::vector<float> ParseFloats(const std::string& strText) {
  std::vector<float> Values;
  std::string strClean = strText.substr(strText.find('['));
  for (char& c : strClean) {
    if (c == '[' || c == ']' || c == ',') c = ' ';
  }
  std::istringstream in(strClean);
  float f;
  while (in >> f) Values.push_back(f);
  return Values;
}

class Timeline : public ::testing::Test {
 protected:
  void SetUp() override {
    pDevice = &device;
    D3DXCreateMatrixStack(0, &DrawMatrixStack);
    // Three one-part slots whose buffers name the slot: IB1 is slot 0.
    for (int iSlot = 0; iSlot < 3; ++iSlot) {
      device.CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &IndexBuffers[iSlot], nullptr);
      device.CreateVertexBuffer(96, D3DUSAGE_WRITEONLY, 0x112, D3DPOOL_MANAGED, &VertexBuffers[iSlot], nullptr);
      Models[iSlot] = ModelRecord{iSlot, 1, 0, {}, {}};
      MeshParts[iSlot] = PartRecord{3, 3, 0, 0, 0, 0};
    }
  }
  void TearDown() override {
    for (int iSlot = 0; iSlot < 3; ++iSlot) {
      IndexBuffers[iSlot]->Release();
      VertexBuffers[iSlot]->Release();
      IndexBuffers[iSlot] = nullptr;
      VertexBuffers[iSlot] = nullptr;
      Models[iSlot] = ModelRecord{};
      MeshParts[iSlot] = PartRecord{};
    }
    DrawMatrixStack->Release();
    DrawMatrixStack = nullptr;
    pDevice = nullptr;
  }

  std::vector<Draw> Run(float t) {
    device.ClearCalls();
    DrawScene(t);
    std::vector<Draw> Draws;
    std::vector<float> World;
    int iSlot = -1;
    D3DCOLOR dwColour = 0;
    for (const RecordedCall& call : device.Calls) {
      if (call.strText.rfind("SetTransform(WORLD,", 0) == 0) World = ParseFloats(call.strText);
      if (call.strText.rfind("SetTransform(VIEW,", 0) == 0) View = ParseFloats(call.strText);
      if (call.strText.rfind("SetIndices(IB", 0) == 0) iSlot = std::atoi(call.strText.c_str() + 13) - 1;
      const std::string strFactor = "SetRenderState(TEXTUREFACTOR,";
      if (call.strText.rfind(strFactor, 0) == 0) dwColour = std::strtoul(call.strText.c_str() + strFactor.size(), nullptr, 10);
      if (call.strName == "DrawIndexedPrimitive") {
        const float fScale = std::sqrt(World[0] * World[0] + World[1] * World[1] + World[2] * World[2]);
        Draws.push_back({iSlot, dwColour, World[12], World[13], World[14], fScale});
      }
    }
    return Draws;
  }

  // The eye point of the recorded view: -t * R^T for rows R and translation t.
  D3DXVECTOR3 Eye() const {
    const float* m = View.data();
    D3DXVECTOR3 vecEye;
    float* pEye = &vecEye.x;
    for (int i = 0; i < 3; ++i) pEye[i] = -(m[12] * m[i * 4 + 0] + m[13] * m[i * 4 + 1] + m[14] * m[i * 4 + 2]);
    return vecEye;
  }

  RecordingDevice device;
  std::vector<float> View;
};

TEST_F(Timeline, CameraFollowsTheFirstMatchingRow) {
  const float fBelow5 = std::nextafter(5.0f, 0.0f), fBelow10 = std::nextafter(10.0f, 0.0f),
              fBelow18 = std::nextafter(18.0f, 0.0f);
  const struct {
    float t;
    D3DXVECTOR3 vecEye;
  } Cases[] = {
      {0.0f, {-5, 10, -8}},
      {fBelow5, {2 * fBelow5 - 5, 10 - 2 * fBelow5, -8}},
      {5.0f, {-4, -2, -10}},
      {fBelow10, {2 * (fBelow10 - 5) - 4, -2, -10}},
      {10.0f, {2, SinF(62.8f) + 3, -8}},
      {fBelow18, {2, SinF(6.28f * fBelow18) + 3, -8}},
      {18.0f, {0, 3, -8}},
      {20.5f, {0, 3, -8}},
  };
  for (const auto& c : Cases) {
    Run(c.t);
    const D3DXVECTOR3 vecEye = Eye();
    EXPECT_NEAR(vecEye.x, c.vecEye.x, 1e-4f) << "t=" << c.t;
    EXPECT_NEAR(vecEye.y, c.vecEye.y, 1e-4f) << "t=" << c.t;
    EXPECT_NEAR(vecEye.z, c.vecEye.z, 1e-4f) << "t=" << c.t;
  }
}

TEST_F(Timeline, EachSceneDrawsItsFixedNumberOfObjects) {
  const struct {
    float t;
    size_t iDraws;
  } Cases[] = {{0.0f, 51}, {std::nextafter(10.0f, 0.0f), 51}, {10.0f, 73}, {17.9f, 73}, {18.0f, 80}, {20.5f, 80}};
  for (const auto& c : Cases) EXPECT_EQ(Run(c.t).size(), c.iDraws) << "t=" << c.t;
}

TEST_F(Timeline, ColumnsPutTheCylinderAtTheMiddleLevel) {
  const std::vector<Draw> Draws = Run(1.25f);
  ASSERT_EQ(Draws.size(), 51u);
  for (size_t i = 0; i < Draws.size(); ++i) {
    const int k = static_cast<int>(i / 3) - 8;
    const Draw& d = Draws[i];
    EXPECT_EQ(d.iSlot, k == 0 ? 1 : 0) << i;
    EXPECT_NEAR(d.fScale, k == 0 ? 0.5f : 0.25f, 1e-6f) << i;
    EXPECT_EQ(d.dwColour, 0xFFC0C0C0u) << i;
    const float Columns[3][2] = {{0, 0}, {1.5f, 0}, {-1, -1}};
    EXPECT_FLOAT_EQ(d.x, Columns[i % 3][0]) << i;
    EXPECT_FLOAT_EQ(d.y, 0.5f * k) << i;
    EXPECT_FLOAT_EQ(d.z, Columns[i % 3][1]) << i;
  }
}

TEST_F(Timeline, RingCirclesAtRadiusThreeAndTheFlyerRisesThroughIt) {
  std::vector<Draw> Draws = Run(10.5f);
  ASSERT_EQ(Draws.size(), 73u);
  for (size_t i = 0; i < 72; ++i) {
    EXPECT_EQ(Draws[i].iSlot, 0);
    EXPECT_NEAR(std::hypot(Draws[i].x, Draws[i].z), 3.0f, 1e-5f) << i;
    EXPECT_FLOAT_EQ(Draws[i].y, (i % 3 == 0) ? 0.0f : (i % 3 == 1 ? 0.5f : -0.5f)) << i;
  }
  // The upper and lower layers mirror the middle one in x.
  EXPECT_FLOAT_EQ(Draws[1].x, -Draws[0].x);
  EXPECT_FLOAT_EQ(Draws[1].z, Draws[0].z);
  const Draw& flyer = Draws[72];
  EXPECT_EQ(flyer.iSlot, 2);
  EXPECT_EQ(flyer.dwColour, 0xFFFF8000u);
  EXPECT_FLOAT_EQ(flyer.fScale, 0.5f);
  EXPECT_NEAR(flyer.y, 0.0f, 1e-6f);

  Draws = Run(11.0f);
  EXPECT_NEAR(Draws[72].y, -17.0859375f, 1e-3f);  // (-1.5)^7 just after a whole unit
}

TEST_F(Timeline, RowsSwingLikeANewtonsCradle) {
  const int kGroupSizes[16] = {4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1, 4, 3, 2, 1};
  for (float t : {18.0f, 18.3f, 18.6f, 19.0f, 19.8f, 20.0f}) {
    const std::vector<Draw> Draws = Run(t);
    ASSERT_EQ(Draws.size(), 80u);
    for (int iRow = 0; iRow < 16; ++iRow) {
      const int j = iRow - 3, m = kGroupSizes[iRow];
      const float h = SinF(6.28f * t - 0.25f * j) / (3 * (t - 18) * (t - 18) + 1);
      for (int i = 0; i < 5; ++i) {
        const Draw& d = Draws[iRow * 5 + i];
        const bool bMoves = h < 0 ? i < m : i > 4 - m;
        EXPECT_NEAR(d.x, 0.45f * i - 0.9f + (bMoves ? h : 0.0f), 2e-5f) << "t=" << t << " j=" << j << " i=" << i;
        EXPECT_FLOAT_EQ(d.z, 0.5f * j);
        EXPECT_EQ(d.iSlot, 0);
      }
    }
  }
}

TEST_F(Timeline, SwingAmplitudeDecaysFromOneAtTheStart) {
  const struct {
    float t;
    float fAmplitude;
  } Cases[] = {{18.0f, 1.0f}, {19.0f, 0.25f}, {20.0f, 1.0f / 13.0f}};
  for (const auto& c : Cases) {
    // Row j = 2 lags by 0.5 rad; its m = 3 objects 2..4 or 0..2 move.
    const float h = SinF(6.28f * c.t - 0.5f);
    const std::vector<Draw> Draws = Run(c.t);
    const int iMoving = h < 0 ? 0 : 4;
    const Draw& d = Draws[5 * 5 + iMoving];
    EXPECT_NEAR(d.x - (0.45f * iMoving - 0.9f), h * c.fAmplitude, 1e-5f) << "t=" << c.t;
  }
}

TEST(TimelineMath, FModFIsTheFractionalPartForNonNegativeTime) {
  EXPECT_FLOAT_EQ(FModF(10.5f, 1.0f), 0.5f);
  EXPECT_FLOAT_EQ(FModF(3.0f, 1.0f), 0.0f);
  EXPECT_FLOAT_EQ(FModF(-1.25f, 1.0f), -0.25f);
}

}  // namespace

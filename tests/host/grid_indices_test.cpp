// The surface grid: exact entries at the poles and the seams, the clamp, and
// that the triangles reach every vertex.
#include <gtest/gtest.h>

#include <cstring>
#include <set>
#include <vector>

#include "host/grid_indices.h"
#include "core/globals.h"
#include "recording_device.h"

namespace {

std::vector<uint16_t> BuildAndRead(RecordingDevice& device) {
  pDevice = &device;
  pGridIndices = nullptr;
  BuildGridIndices();
  const std::vector<unsigned char>& Bytes = device.BytesOf(pGridIndices);
  std::vector<uint16_t> Entries(Bytes.size() / 2);
  std::memcpy(Entries.data(), Bytes.data(), Bytes.size());
  pDevice = nullptr;
  return Entries;
}

TEST(GridIndices, CreatesLocksAndFillsOneManagedIndexBuffer) {
  RecordingDevice device;
  const std::vector<uint16_t> Entries = BuildAndRead(device);
  EXPECT_EQ(device.Texts(),
            (std::vector<std::string>{"CreateIndexBuffer(27648,8,101,1,0)", "IB1.Lock(0,0,0)", "IB1.Unlock()"}));
  ASSERT_EQ(Entries.size(), 13824u);
  EXPECT_EQ(iGridVertexCount, 1058);

  const struct {
    int iFirst;
    std::vector<uint16_t> Expected;
  } Runs[] = {
      {0, {0, 0, 48, 48, 0, 1}},
      {288, {48, 1, 96, 96, 1, 49, 1, 2, 49, 49, 2, 50}},
      {6618, {1055, 1056, 1057, 1057, 1056, 1057}},
  };
  for (const auto& run : Runs) {
    for (size_t i = 0; i < run.Expected.size(); ++i) {
      EXPECT_EQ(Entries[run.iFirst + i], run.Expected[i]) << "entry " << run.iFirst + i;
    }
  }
}

TEST(GridIndices, SurfaceStaysInRangeAndReachesEveryVertex) {
  RecordingDevice device;
  const std::vector<uint16_t> Entries = BuildAndRead(device);
  ASSERT_EQ(Entries.size(), 13824u);
  std::set<uint16_t> Used;
  for (int i = 0; i < kGridTriangles * 3; ++i) {
    EXPECT_LE(Entries[i], 1057) << "entry " << i;
    Used.insert(Entries[i]);
  }
  EXPECT_EQ(Used.size(), 1058u);
  // Every ring closes on itself: column 0 of band 5 joins column 47.
  const int iBand = 5, iColumn = 0;
  const int iStart = 6 * (48 * (iBand + 1) + iColumn);
  EXPECT_EQ(Entries[iStart], 1 + 48 * iBand + 47);
}

TEST(GridIndices, ABufferThatCannotBeCreatedIsLeftAlone) {
  RecordingDevice device;
  device.hrFailNextCreate = D3DERR_OUTOFVIDEOMEMORY;
  pDevice = &device;
  pGridIndices = nullptr;
  BuildGridIndices();
  EXPECT_EQ(pGridIndices, nullptr);
  pDevice = nullptr;
}

}  // namespace

// Files that would write past a table or make the renderer read outside a
// buffer: the load keeps what is valid and stays inside every capacity.
#include <random>

#include "mesh_file_fixture.h"

using HostileFiles = MeshFileFixture;

namespace {

// Every stored triangle names a loaded vertex and every count is in range.
void ExpectConsistentStores() {
  EXPECT_GE(iLoadedVertexCount, 0);
  EXPECT_LE(iLoadedVertexCount, kMaxLoadedVertices);
  EXPECT_LE(iLoadedNormalCount, kMaxLoadedVertices);
  EXPECT_LE(iLoadedTriangleCount, kMaxLoadedTriangles);
  for (int t = 0; t < iLoadedTriangleCount; ++t)
    for (int k = 0; k < 3; ++k) {
      ASSERT_GE(LoadedTriangles[t][k], 0);
      ASSERT_LT(LoadedTriangles[t][k], iLoadedVertexCount);
    }
}

}  // namespace

TEST_F(HostileFiles, TrianglesNamingMissingVerticesAreDroppedAndTheRestKept) {
  Load(
      "v 0 0 0\nv 1 0 0\nv 0 1 0\n"
      "f 1 2 3\n"
      "f 0 1 2\nf -5 1 2\nf 1 2 70000\nf 1 2 2147483648\nf 2147483647 1 2\nf -2147483648 1 2\nf 1 2 4\n"
      "f 3 0 2 1\n"  // the fan's first triangle is bad, its second is not
      "f 3 2 1\n");
  ExpectConsistentStores();
  EXPECT_EQ(LoadedTriangleList(), (std::vector<Triangle>{{0, 1, 2}, {2, 1, 0}, {2, 1, 0}}));
  EXPECT_EQ(MeshParts[kSlot].iNumIndices, 9);
}

TEST_F(HostileFiles, LinesBeyondTheTablesAreNotStored) {
  std::string strText;
  strText.reserve(3'000'000);
  for (int i = 0; i < 100000; ++i) strText += "v " + std::to_string(i) + " 1 2\nvn 0 0 1\n";
  strText += "f 1 2 65536\nf 1 2 65537\n";
  Load(strText);
  EXPECT_EQ(iLoadedVertexCount, kMaxLoadedVertices);
  EXPECT_EQ(iLoadedNormalCount, kMaxLoadedVertices);
  EXPECT_FLOAT_EQ(LoadedVertices[kMaxLoadedVertices - 1].vecPos.x, kMaxLoadedVertices - 1);
  EXPECT_EQ(LoadedTriangleList(), (std::vector<Triangle>{{0, 1, 65535}}));
  EXPECT_EQ(MeshParts[kSlot].iNumVertices, kMaxLoadedVertices);
  EXPECT_EQ(Contents<uint16_t>(IndexBuffers[kSlot]), (std::vector<uint16_t>{0, 1, 65535}));

  // 40000 quads want 80000 triangles: faces stop fitting at the table's end.
  strText = "v 0 0 0\nv 1 0 0\nv 1 1 0\nv 0 1 0\n";
  for (int i = 0; i < 40000; ++i) strText += "f 1 2 3 4\n";
  Load(strText);
  ExpectConsistentStores();
  EXPECT_EQ(iLoadedTriangleCount, kMaxLoadedTriangles);
  EXPECT_EQ(MeshParts[kSlot].iNumIndices, 3 * kMaxLoadedTriangles);
  EXPECT_EQ(Device.BytesOf(IndexBuffers[kSlot]).size(), 6u * kMaxLoadedTriangles);
}

TEST_F(HostileFiles, MegabyteLines) {
  const std::string strMegabyte(1 << 20, '1');
  Load("v 1 2 3\nv " + strMegabyte + " 5 6\n# " + strMegabyte + "\n" + strMegabyte + "\nf 1 2 1 " +
       std::string(1 << 20, ' ') + "2\n");
  EXPECT_EQ(iLoadedVertexCount, 2);
  ExpectVector(LoadedVertices[1].vecPos, 1, 2, 3);  // the huge number is unreadable, so is the rest of its line
  EXPECT_EQ(LoadedTriangleList(), (std::vector<Triangle>{{0, 1, 0}, {0, 0, 1}}));

  std::string strLongFace = "f";
  for (int i = 0; i < 300000; ++i) strLongFace += " 1";
  Load("v 0 0 0\n" + strLongFace + "\n");
  EXPECT_EQ(iLoadedTriangleCount, 30);
}

TEST_F(HostileFiles, BinaryGarbage) {
  std::mt19937 Random(99);
  for (int iRound = 0; iRound < 8; ++iRound) {
    // Raw bytes, and bytes biased towards the format's own characters.
    const char kAlphabet[] = "vVnNfF0123456789 \t\r\n-+.eE/#";
    std::string strBytes(1 << 18, '\0');
    for (char& c : strBytes)
      c = iRound % 2 ? kAlphabet[Random() % (sizeof kAlphabet - 1)] : static_cast<char>(Random());
    Load(strBytes);
    ExpectConsistentStores();
    if (Models[kSlot].iPartCount == 1) {
      EXPECT_EQ(MeshParts[kSlot].iNumVertices * 32, static_cast<int>(Device.BytesOf(VertexBuffers[kSlot]).size()));
    }
  }
}

TEST_F(HostileFiles, AnUnreadableNumberFirstOnALine) {
  Load("v 4 5 6\n");
  Load("v ?? 1 2\nvn . 1 2\nf ! 1 2 3\nv 1 2 3\nf 1 2 1\n");
  EXPECT_EQ(iLoadedVertexCount, 2);
  ExpectVector(LoadedVertices[0].vecPos, 0, 0, 0);
  ExpectVector(LoadedVertices[0].vecNormal, 0, 0, 0);
  ExpectVector(LoadedVertices[1].vecPos, 1, 2, 3);
  EXPECT_EQ(LoadedTriangleList(), (std::vector<Triangle>{{0, 1, 0}}));
}

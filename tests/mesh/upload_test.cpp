// Upload: the exact create and lock arguments of both modes, what each mode
// keeps and what ends up in the buffers.
#include "mesh/upload.h"

#include "engine_fixture.h"

using Upload = EngineFixture;

namespace {

constexpr int kPart = 4;

// Three vertices, one triangle.
void BuildTriangle(float fShift) {
  ResetMesh();
  for (int i = 0; i < 3; ++i) {
    CurrentVertex = MakeVertex(fShift + i, 1, 2);
    CurrentVertex.fV = static_cast<float>(i);
    EmitVertex();
  }
  AddTriangle(2, 0, 1);
}

}  // namespace

TEST_F(Upload, StaticFillsFreshWriteOnlyManagedBuffersEveryTime) {
  BuildTriangle(0);
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  EXPECT_EQ(MeshParts[kPart].iNumVertices, 3);
  EXPECT_EQ(MeshParts[kPart].iNumIndices, 3);
  EXPECT_EQ(Contents<uint16_t>(IndexBuffers[kPart]), (std::vector<uint16_t>{2, 0, 1}));
  const std::vector<unsigned char>& Bytes = Device.BytesOf(VertexBuffers[kPart]);
  ASSERT_EQ(Bytes.size(), 96u);
  EXPECT_EQ(std::memcmp(Bytes.data(), Vertices, 96), 0);

  // Unchanged counts still get new buffers.
  BuildTriangle(10);
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  EXPECT_EQ(Device.Texts(),
            (std::vector<std::string>{"CreateIndexBuffer(6,8,101,1,0)", "IB1.Lock(0,0,0)", "IB1.Unlock()",
                                      "CreateVertexBuffer(96,8,274,1,0)", "VB1.Lock(0,0,0)", "VB1.Unlock()",
                                      "IB1.Release()", "VB1.Release()", "CreateIndexBuffer(6,8,101,1,0)",
                                      "IB2.Lock(0,0,0)", "IB2.Unlock()", "CreateVertexBuffer(96,8,274,1,0)",
                                      "VB2.Lock(0,0,0)", "VB2.Unlock()"}));
  EXPECT_EQ(Device.LiveResourceCount(), 2);
  EXPECT_EQ(Contents<MeshVertex>(VertexBuffers[kPart])[0].vecPos.x, 10.0f);
}

TEST_F(Upload, DynamicCreatesOnceKeepsIndicesAndRefillsVertices) {
  BuildTriangle(0);
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 1);
  // Through null handles: the index buffer takes the static usage and pool.
  EXPECT_EQ(Device.Texts(), (std::vector<std::string>{"CreateIndexBuffer(6,8,101,1,0)", "IB1.Lock(0,0,0)",
                                                       "IB1.Unlock()", "CreateVertexBuffer(96,512,274,0,0)",
                                                       "VB1.Lock(0,0,8192)", "VB1.Unlock()"}));
  Device.ClearCalls();
  BuildTriangle(10);
  Indices[0] = 1;  // a changed topology must not reach the kept index buffer
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 1);
  EXPECT_EQ(Device.Texts(), (std::vector<std::string>{"VB1.Lock(0,0,8192)", "VB1.Unlock()"}));
  EXPECT_EQ(Contents<uint16_t>(IndexBuffers[kPart]), (std::vector<uint16_t>{2, 0, 1}));
  EXPECT_EQ(Contents<MeshVertex>(VertexBuffers[kPart])[2].vecPos.x, 12.0f);
}

TEST_F(Upload, EmptyMeshesReleaseAndCreateNothingButCountVertices) {
  BuildTriangle(0);
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  Device.ClearCalls();

  ResetMesh();
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  EXPECT_EQ(Device.Texts(), (std::vector<std::string>{"IB1.Release()", "VB1.Release()"}));
  EXPECT_EQ(IndexBuffers[kPart], nullptr);
  EXPECT_EQ(VertexBuffers[kPart], nullptr);
  EXPECT_EQ(MeshParts[kPart].iNumVertices, 0);
  EXPECT_EQ(MeshParts[kPart].iNumIndices, 0);

  BuildTriangle(0);
  iIndexCount = 0;  // vertices without triangles
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  EXPECT_EQ(MeshParts[kPart].iNumVertices, 3);
  EXPECT_EQ(MeshParts[kPart].iNumIndices, 0);
  EXPECT_EQ(Device.LiveResourceCount(), 0);
}

TEST_F(Upload, AStoppedBuildOrARefusedBufferWritesNothing) {
  BuildTriangle(0);
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  Device.ClearCalls();
  BuildTriangle(10);
  bMeshOverflow = true;
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  EXPECT_TRUE(Device.Texts().empty());
  EXPECT_EQ(Contents<MeshVertex>(VertexBuffers[kPart])[0].vecPos.x, 0.0f);

  BuildTriangle(0);
  Device.hrFailNextCreate = D3DERR_OUTOFVIDEOMEMORY;
  UploadMesh(&IndexBuffers[kPart], &VertexBuffers[kPart], &MeshParts[kPart], 0);
  EXPECT_EQ(IndexBuffers[kPart], nullptr);
  EXPECT_NE(VertexBuffers[kPart], nullptr);
  EXPECT_EQ(Device.TextsOf({"Lock"}), (std::vector<std::string>{"VB2.Lock(0,0,0)"}));
}

// Every engine test starts from the same empty engine: a fresh recording
// device as pDevice, the emission stack with the identity on top, a fresh
// drawing stack, an empty mesh store, empty model, part and buffer tables, no
// environment map and the clock at zero. What a test leaves in the tables is
// released before the device goes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>
#include <vector>

#include "core/globals.h"
#include "render/lights.h"
#include "core/records.h"
#include "mesh/mesh_store.h"
#include "recording_device.h"

class EngineFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    pDevice = &Device;
    if (MatrixStack == nullptr) CreateMatrixStack();
    MatrixStack->LoadIdentity();
    std::memset(&CurrentVertex, 0, sizeof CurrentVertex);
    ResetMesh();
    D3DXCreateMatrixStack(0, &DrawMatrixStack);
    std::memset(Models, 0, sizeof Models);
    std::memset(MeshParts, 0, sizeof MeshParts);
    std::memset(VertexBuffers, 0, sizeof VertexBuffers);
    std::memset(IndexBuffers, 0, sizeof IndexBuffers);
    pCubeTexture = nullptr;
    dwDemoTime = 0;
    fTime = 0.0f;
  }

  void TearDown() override {
    for (int i = 0; i < kMaxParts; ++i) {
      if (IndexBuffers[i] != nullptr) IndexBuffers[i]->Release();
      if (VertexBuffers[i] != nullptr) VertexBuffers[i]->Release();
      IndexBuffers[i] = nullptr;
      VertexBuffers[i] = nullptr;
    }
    if (pIndexBuffer != nullptr) pIndexBuffer->Release();
    if (pVertexBuffer != nullptr) pVertexBuffer->Release();
    if (pCubeTexture != nullptr) pCubeTexture->Release();
    pCubeTexture = nullptr;
    DrawMatrixStack->Release();
    DrawMatrixStack = nullptr;
    pDevice = nullptr;
  }

  // A buffer's bytes as the device holds them, read as T.
  template <typename T>
  std::vector<T> Contents(const void* pBuffer) const {
    const std::vector<unsigned char>& Bytes = Device.BytesOf(pBuffer);
    std::vector<T> Out(Bytes.size() / sizeof(T));
    std::memcpy(Out.data(), Bytes.data(), Out.size() * sizeof(T));
    return Out;
  }

  static void AddVertex(float x, float y, float z) {
    CurrentVertex.vecPos = D3DXVECTOR3(x, y, z);
    EmitVertex();
  }

  // Gives part i buffers on the device so that bindings print as IBn/VBn.
  void MakePartBuffers(int i) {
    Device.CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &IndexBuffers[i], nullptr);
    Device.CreateVertexBuffer(96, 0, 0x112, D3DPOOL_MANAGED, &VertexBuffers[i], nullptr);
  }

  RecordingDevice Device;
  // What a toolkit builder called with &pIndexBuffer, &pVertexBuffer, &Part makes.
  IDirect3DIndexBuffer9* pIndexBuffer = nullptr;
  IDirect3DVertexBuffer9* pVertexBuffer = nullptr;
  PartRecord Part = {};
};

inline MeshVertex MakeVertex(float x, float y, float z) {
  MeshVertex Vertex{};
  Vertex.vecPos = D3DXVECTOR3(x, y, z);
  Vertex.vecNormal = D3DXVECTOR3(0, 0, 0);
  return Vertex;
}

// Equal within a few units in the last place.
inline void ExpectVector(const D3DXVECTOR3& vec, float x, float y, float z) {
  EXPECT_FLOAT_EQ(vec.x, x);
  EXPECT_FLOAT_EQ(vec.y, y);
  EXPECT_FLOAT_EQ(vec.z, z);
}

inline void ExpectVectorNear(const D3DXVECTOR3& vec, float x, float y, float z, float fTolerance = 1e-5f) {
  EXPECT_NEAR(vec.x, x, fTolerance);
  EXPECT_NEAR(vec.y, y, fTolerance);
  EXPECT_NEAR(vec.z, z, fTolerance);
}

// The mesh store's index list is exactly Expected.
inline void ExpectIndices(std::initializer_list<int> Expected) {
  ASSERT_EQ(iIndexCount, static_cast<int>(Expected.size()));
  int i = 0;
  for (int iValue : Expected) EXPECT_EQ(Indices[i++], iValue) << "entry " << i - 1;
}

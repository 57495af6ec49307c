// A fresh recording device as pDevice for every test, the emission stack with
// the identity on top, an empty mesh store and empty model, part and buffer
// tables. Buffers left in the tables are released before the device goes.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "core/globals.h"
#include "mesh/mesh_store.h"
#include "recording_device.h"
#include "core/records.h"

class RecordingFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    if (MatrixStack == nullptr) CreateMatrixStack();
    MatrixStack->LoadIdentity();
    ResetMesh();
    std::memset(Models, 0, sizeof Models);
    std::memset(MeshParts, 0, sizeof MeshParts);
    pDevice = &Device;
  }

  void TearDown() override {
    for (int i = 0; i < kMaxParts; ++i) {
      if (IndexBuffers[i] != nullptr) IndexBuffers[i]->Release();
      if (VertexBuffers[i] != nullptr) VertexBuffers[i]->Release();
      IndexBuffers[i] = nullptr;
      VertexBuffers[i] = nullptr;
    }
    pDevice = nullptr;
  }

  template <typename T>
  std::vector<T> Contents(const void* pBuffer) const {
    const std::vector<unsigned char>& Bytes = Device.BytesOf(pBuffer);
    std::vector<T> Out(Bytes.size() / sizeof(T));
    std::memcpy(Out.data(), Bytes.data(), Out.size() * sizeof(T));
    return Out;
  }

  RecordingDevice Device;
};

inline MeshVertex MakeVertex(float x, float y, float z) {
  MeshVertex Vertex{};
  Vertex.vecPos = D3DXVECTOR3(x, y, z);
  Vertex.vecNormal = D3DXVECTOR3(0, 0, 0);
  return Vertex;
}

inline void ExpectVector(const D3DXVECTOR3& vec, float x, float y, float z) {
  EXPECT_FLOAT_EQ(vec.x, x);
  EXPECT_FLOAT_EQ(vec.y, y);
  EXPECT_FLOAT_EQ(vec.z, z);
}

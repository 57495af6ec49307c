// Shared set-up for the toolkit tests: a recording device as pDevice, the
// emission transform stack, and helpers to lay a mesh into the store.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <initializer_list>

#include "core/globals.h"
#include "mesh/mesh_store.h"
#include "recording_device.h"
#include "core/records.h"

class MeshStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pDevice = &Device;
    if (MatrixStack == nullptr) CreateMatrixStack();
    std::memset(&CurrentVertex, 0, sizeof CurrentVertex);
    ResetMesh();
  }
  void TearDown() override {
    if (pIndexBuffer) pIndexBuffer->Release();
    if (pVertexBuffer) pVertexBuffer->Release();
    pDevice = nullptr;
  }

  static void AddVertex(float x, float y, float z) {
    CurrentVertex.vecPos = D3DXVECTOR3(x, y, z);
    EmitVertex();
  }

  RecordingDevice Device;
  IDirect3DIndexBuffer9* pIndexBuffer = nullptr;
  IDirect3DVertexBuffer9* pVertexBuffer = nullptr;
  PartRecord Part = {};
};

inline void ExpectVector(const D3DXVECTOR3& v, float x, float y, float z, float fTolerance = 1e-5f) {
  EXPECT_NEAR(v.x, x, fTolerance);
  EXPECT_NEAR(v.y, y, fTolerance);
  EXPECT_NEAR(v.z, z, fTolerance);
}

inline void ExpectIndices(std::initializer_list<int> Expected) {
  ASSERT_EQ(iIndexCount, static_cast<int>(Expected.size()));
  int i = 0;
  for (int iValue : Expected) EXPECT_EQ(Indices[i++], iValue) << "entry " << i - 1;
}

// A recording device installed as pDevice, a fresh drawing transform stack
// and empty model, part and buffer tables for every test.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/globals.h"
#include "recording_device.h"
#include "core/lights.h"
#include "core/records.h"

class RecordingRenderTest : public ::testing::Test {
 protected:
  void SetUp() override {
    pDevice = &Device;
    D3DXCreateMatrixStack(0, &DrawMatrixStack);
    std::memset(Models, 0, sizeof Models);
    std::memset(MeshParts, 0, sizeof MeshParts);
    std::memset(VertexBuffers, 0, sizeof VertexBuffers);
    std::memset(IndexBuffers, 0, sizeof IndexBuffers);
    pCubeTexture = nullptr;
    dwDemoTime = 0;
  }
  void TearDown() override {
    DrawMatrixStack->Release();
    DrawMatrixStack = nullptr;
    for (int i = 0; i < kMaxParts; i++) {
      if (VertexBuffers[i]) VertexBuffers[i]->Release();
      if (IndexBuffers[i]) IndexBuffers[i]->Release();
    }
    if (pCubeTexture) pCubeTexture->Release();
    pCubeTexture = nullptr;
    pDevice = nullptr;
  }

  // Gives part i buffers on the device so that bindings print as IBn/VBn.
  void MakePartBuffers(int i) {
    Device.CreateIndexBuffer(6, 0, D3DFMT_INDEX16, D3DPOOL_MANAGED, &IndexBuffers[i], nullptr);
    Device.CreateVertexBuffer(96, 0, 0x112, D3DPOOL_MANAGED, &VertexBuffers[i], nullptr);
  }

  RecordingDevice Device;
};

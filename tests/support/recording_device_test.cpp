// The recording device is the yardstick of every engine test: its call texts
// and the bytes its buffers keep must be right.
#include <gtest/gtest.h>

#include <cstring>

#include "recording_device.h"

TEST(RecordingDevice, WritesCallsWithArgumentsAndKeepsBufferBytes) {
  RecordingDevice device;
  IDirect3DIndexBuffer9* pIndices = nullptr;
  ASSERT_EQ(device.CreateIndexBuffer(6, D3DUSAGE_WRITEONLY, D3DFMT_INDEX16, D3DPOOL_MANAGED, &pIndices, nullptr), D3D_OK);
  void* pData = nullptr;
  pIndices->Lock(0, 0, &pData, 0);
  const uint16_t Values[3] = {1, 2, 3};
  std::memcpy(pData, Values, sizeof Values);
  pIndices->Unlock();
  device.SetIndices(pIndices);
  device.SetRenderState(D3DRS_LIGHTING, TRUE);
  device.SetIndices(nullptr);

  EXPECT_EQ(device.Texts(), (std::vector<std::string>{"CreateIndexBuffer(6,8,101,1,0)", "IB1.Lock(0,0,0)",
                                                       "IB1.Unlock()", "SetIndices(IB1)", "SetRenderState(LIGHTING,1)",
                                                       "SetIndices(0)"}));
  const std::vector<unsigned char>& Bytes = device.BytesOf(pIndices);
  ASSERT_EQ(Bytes.size(), 6u);
  EXPECT_EQ(std::memcmp(Bytes.data(), Values, 6), 0);
  EXPECT_EQ(device.LiveResourceCount(), 1);
  EXPECT_EQ(pIndices->Release(), 0u);
  EXPECT_EQ(device.LiveResourceCount(), 0);
}

TEST(RecordingDevice, AFailedCreateLeavesTheHandleNull) {
  RecordingDevice device;
  IDirect3DVertexBuffer9* pVertices = reinterpret_cast<IDirect3DVertexBuffer9*>(1);
  device.hrFailNextCreate = D3DERR_OUTOFVIDEOMEMORY;
  EXPECT_EQ(device.CreateVertexBuffer(64, 0, 0x112, D3DPOOL_MANAGED, &pVertices, nullptr), D3DERR_OUTOFVIDEOMEMORY);
  EXPECT_EQ(pVertices, nullptr);
  EXPECT_EQ(device.CreateVertexBuffer(64, 0, 0x112, D3DPOOL_MANAGED, &pVertices, nullptr), D3D_OK);
  EXPECT_NE(pVertices, nullptr);
  pVertices->Release();
}

TEST(RecordingDevice, NamesStatesAsDirect3DDoesAndNumbersTheRest) {
  RecordingDevice device;
  const D3DMATRIX matIdentity = {{{1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}}};
  device.SetTransform(D3DTS_WORLD, &matIdentity);
  device.SetTransform(D3DTS_TEXTURE1, &matIdentity);
  device.SetTextureStageState(1, D3DTSS_TEXCOORDINDEX, D3DTSS_TCI_CAMERASPACEREFLECTIONVECTOR | 1);
  device.SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  device.SetRenderState(D3DRS_COLORWRITEENABLE, 0xF);
  device.SetRenderState(static_cast<D3DRENDERSTATETYPE>(200), 1);
  EXPECT_EQ(device.Texts(), (std::vector<std::string>{"SetTransform(WORLD,[1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1])",
                                                       "SetTransform(TEXTURE1,[1,0,0,0,0,1,0,0,0,0,1,0,0,0,0,1])",
                                                       "SetTextureStageState(1,TEXCOORDINDEX,196609)",
                                                       "SetSamplerState(0,MINFILTER,2)",
                                                       "SetRenderState(COLORWRITEENABLE,15)", "SetRenderState(200,1)"}));
}

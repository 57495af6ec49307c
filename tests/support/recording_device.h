// A Direct3D 9 device that draws nothing and writes down every call with its
// arguments, so tests can check the order and the values the engine sends.
// Its buffers and cube textures keep their bytes in memory.
#pragma once

#include "com_object.h"
#include "d3d9.h"

#include <functional>
#include <map>
#include <string>
#include <vector>

// One recorded call. strText is the call and its arguments as one line, for
// example "SetRenderState(LIGHTING,1)" or "CreateIndexBuffer(12,8,101,1)".
// Render, stage and sampler states and transforms print by their Direct3D
// names without the prefix (LIGHTING, COLOROP, MINFILTER, WORLD).
// Resources are named by kind and creation number ("IB1", "VB2", "CUBE1");
// a null pointer prints as "0". Floats print with %g; a matrix prints its 16
// values row by row between brackets.
struct RecordedCall {
  std::string strName;
  std::string strText;
};

class RecordingBuffer;

class RecordingDevice : public IDirect3DDevice9 {
 public:
  RecordingDevice();
  ~RecordingDevice() override;

  std::vector<RecordedCall> Calls;
  // While false, calls are counted but not written down (long runs).
  bool bRecording = true;
  uint64_t iCallCount = 0;
  // Calls by name, counted whether or not they are written down.
  std::map<std::string, uint64_t> CallCounts;
  // Next Create* call fails with this result (and leaves the handle null) when non-zero.
  HRESULT hrFailNextCreate = D3D_OK;

  // Texts of all calls, in order.
  std::vector<std::string> Texts() const;
  // Texts of the calls whose name is one of the given ones.
  std::vector<std::string> TextsOf(std::initializer_list<const char*> Names) const;
  void ClearCalls() { Calls.clear(); }

  // Name a resource prints as ("IB3"); "0" for null, "?" for a foreign pointer.
  std::string NameOf(const void* pResource) const;
  // Bytes a recorded buffer holds (empty for a foreign pointer).
  const std::vector<unsigned char>& BytesOf(const void* pBuffer) const;
  // Number of buffers and textures created and not yet released.
  int LiveResourceCount() const;

  ULONG AddRef() override;
  ULONG Release() override;
  HRESULT Clear(DWORD Count, const D3DRECT* pRects, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) override;
  HRESULT BeginScene() override;
  HRESULT EndScene() override;
  HRESULT Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                  const RGNDATA* pDirtyRegion) override;
  HRESULT SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) override;
  HRESULT SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) override;
  HRESULT SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) override;
  HRESULT SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) override;
  HRESULT SetMaterial(const D3DMATERIAL9* pMaterial) override;
  HRESULT SetLight(DWORD Index, const D3DLIGHT9* pLight) override;
  HRESULT LightEnable(DWORD Index, BOOL Enable) override;
  HRESULT SetFVF(DWORD FVF) override;
  HRESULT SetIndices(IDirect3DIndexBuffer9* pIndexData) override;
  HRESULT SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                          UINT Stride) override;
  HRESULT SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) override;
  HRESULT CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                             IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) override;
  HRESULT CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                            IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) override;
  HRESULT DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex,
                               UINT NumVertices, UINT startIndex, UINT primCount) override;

  // Called by the resources it made (lock, unlock, release are recorded too).
  void Record(const char* pszName, std::string strArgs);
  void Forget(const void* pResource);

 private:
  struct Resource;
  std::vector<Resource*> Resources;
  int iNextId[3] = {1, 1, 1};
  ULONG iRefCount = 1;
  std::string NewName(int iKind, const char* pszPrefix);
  friend class RecordingBuffer;
};

// An IDirect3D9 whose CreateDevice answers from a script: each attempt is
// written down as "CreateDevice(adapter,type,flags,ms=N)" and succeeds when
// fnAccept says so, handing out a new RecordingDevice.
class RecordingDirect3D : public ComObject<IDirect3D9> {
 public:
  explicit RecordingDirect3D(std::function<bool(DWORD BehaviorFlags, const D3DPRESENT_PARAMETERS&)> fnAccept);
  std::vector<std::string> Attempts;
  RecordingDevice* pLastDevice = nullptr;
  // Whether the devices it hands out start by writing calls down.
  bool bRecordNewDevices = true;
  std::function<bool(DWORD, const D3DPRESENT_PARAMETERS&)> fnAccept;

  HRESULT CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND hFocusWindow, DWORD BehaviorFlags,
                       D3DPRESENT_PARAMETERS* pPresentationParameters,
                       IDirect3DDevice9** ppReturnedDeviceInterface) override;
};

// Formats a float the way recorded calls print it.
std::string RecordFloat(float f);

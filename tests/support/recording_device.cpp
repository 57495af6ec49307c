#include "recording_device.h"

#include "surface_layout.h"

#include <algorithm>
#include <cstdio>
#include <utility>

// ---- formatting ------------------------------------------------------------

std::string RecordFloat(float f) {
  char szText[32];
  std::snprintf(szText, sizeof szText, "%g", static_cast<double>(f));
  return szText;
}

static std::string Join(std::initializer_list<std::string> Parts) {
  std::string strOut;
  for (const std::string& strPart : Parts) {
    if (!strOut.empty()) strOut += ',';
    strOut += strPart;
  }
  return strOut;
}

static std::string Num(uint64_t i) { return std::to_string(i); }
static std::string Int(int64_t i) { return std::to_string(i); }

static std::string Colour(const D3DCOLORVALUE& c) {
  return "(" + Join({RecordFloat(c.r), RecordFloat(c.g), RecordFloat(c.b), RecordFloat(c.a)}) + ")";
}

static std::string Matrix(const D3DMATRIX* pMatrix) {
  if (pMatrix == nullptr) return "0";
  std::string strOut = "[";
  for (int i = 0; i < 16; ++i) {
    if (i > 0) strOut += ',';
    strOut += RecordFloat(pMatrix->m[i / 4][i % 4]);
  }
  return strOut + "]";
}

// ---- state names -----------------------------------------------------------
// Recorded lists name states as Direct3D does, without the prefix
// ("SetRenderState(LIGHTING,1)"); a state not in d3d9.h prints as its number.

struct StateName {
  DWORD dwValue;
  const char* pszName;
};

#define NAMED(PREFIX, NAME) {PREFIX##NAME, #NAME}

constexpr StateName kRenderStates[] = {
    NAMED(D3DRS_, ZENABLE),          NAMED(D3DRS_, FILLMODE),           NAMED(D3DRS_, SHADEMODE),
    NAMED(D3DRS_, ZWRITEENABLE),     NAMED(D3DRS_, ALPHATESTENABLE),    NAMED(D3DRS_, SRCBLEND),
    NAMED(D3DRS_, DESTBLEND),        NAMED(D3DRS_, CULLMODE),           NAMED(D3DRS_, ZFUNC),
    NAMED(D3DRS_, ALPHAREF),         NAMED(D3DRS_, ALPHAFUNC),          NAMED(D3DRS_, DITHERENABLE),
    NAMED(D3DRS_, ALPHABLENDENABLE), NAMED(D3DRS_, FOGENABLE),          NAMED(D3DRS_, SPECULARENABLE),
    NAMED(D3DRS_, FOGCOLOR),         NAMED(D3DRS_, FOGTABLEMODE),       NAMED(D3DRS_, FOGSTART),
    NAMED(D3DRS_, FOGEND),           NAMED(D3DRS_, FOGDENSITY),         NAMED(D3DRS_, TEXTUREFACTOR),
    NAMED(D3DRS_, LIGHTING),         NAMED(D3DRS_, AMBIENT),            NAMED(D3DRS_, FOGVERTEXMODE),
    NAMED(D3DRS_, COLORVERTEX),      NAMED(D3DRS_, LOCALVIEWER),        NAMED(D3DRS_, NORMALIZENORMALS),
    NAMED(D3DRS_, DIFFUSEMATERIALSOURCE), NAMED(D3DRS_, SPECULARMATERIALSOURCE),
    NAMED(D3DRS_, AMBIENTMATERIALSOURCE), NAMED(D3DRS_, EMISSIVEMATERIALSOURCE),
    NAMED(D3DRS_, MULTISAMPLEANTIALIAS),  NAMED(D3DRS_, COLORWRITEENABLE),
};

constexpr StateName kStageStates[] = {
    NAMED(D3DTSS_, COLOROP),   NAMED(D3DTSS_, COLORARG1),     NAMED(D3DTSS_, COLORARG2),
    NAMED(D3DTSS_, ALPHAOP),   NAMED(D3DTSS_, ALPHAARG1),     NAMED(D3DTSS_, ALPHAARG2),
    NAMED(D3DTSS_, TEXCOORDINDEX), NAMED(D3DTSS_, TEXTURETRANSFORMFLAGS), NAMED(D3DTSS_, COLORARG0),
    NAMED(D3DTSS_, ALPHAARG0), NAMED(D3DTSS_, RESULTARG),     NAMED(D3DTSS_, CONSTANT),
};

constexpr StateName kSamplerStates[] = {
    NAMED(D3DSAMP_, ADDRESSU),  NAMED(D3DSAMP_, ADDRESSV),  NAMED(D3DSAMP_, ADDRESSW),
    NAMED(D3DSAMP_, BORDERCOLOR), NAMED(D3DSAMP_, MAGFILTER), NAMED(D3DSAMP_, MINFILTER),
    NAMED(D3DSAMP_, MIPFILTER), NAMED(D3DSAMP_, DMAPOFFSET),
};

constexpr StateName kTransforms[] = {
    NAMED(D3DTS_, VIEW), NAMED(D3DTS_, PROJECTION), NAMED(D3DTS_, TEXTURE0), NAMED(D3DTS_, TEXTURE1),
    NAMED(D3DTS_, WORLD),
};

#undef NAMED

template <size_t N>
std::string NameIn(const StateName (&Names)[N], DWORD dwValue) {
  for (const StateName& Entry : Names) {
    if (Entry.dwValue == dwValue) return Entry.pszName;
  }
  return std::to_string(dwValue);
}

// ---- resources -------------------------------------------------------------

enum ResourceKind { kIndexBuffer = 0, kVertexBuffer = 1, kCubeTexture = 2 };

struct RecordingDevice::Resource {
  IUnknown* pObject;
  std::string strName;
  std::vector<unsigned char>* pBytes;
};

// What every recorded resource keeps: its device, its name and its bytes.
class RecordingBuffer {
 public:
  RecordingBuffer(RecordingDevice* pOwner, std::string strName, UINT iLength)
      : pOwner(pOwner), strName(std::move(strName)), Bytes(iLength) {}

  HRESULT Lock(UINT iOffset, UINT iSize, void** ppData, DWORD dwFlags) {
    pOwner->Record("Lock", strName + ".Lock(" + Join({Num(iOffset), Num(iSize), Num(dwFlags)}) + ")");
    if (ppData == nullptr || iOffset > Bytes.size()) return D3DERR_INVALIDCALL;
    *ppData = Bytes.data() + iOffset;
    return D3D_OK;
  }
  HRESULT Unlock() {
    pOwner->Record("Unlock", strName + ".Unlock()");
    return D3D_OK;
  }

  RecordingDevice* pOwner;
  std::string strName;
  std::vector<unsigned char> Bytes;
};

namespace {

// Release is recorded; the last one also takes the resource off the device's list.
template <typename Interface>
class RecordedObject : public ComObject<Interface> {
 public:
  RecordedObject(RecordingDevice* pOwner, std::string strName, UINT iLength)
      : Buffer(pOwner, std::move(strName), iLength) {}
  ULONG Release() override {
    Buffer.pOwner->Record("Release", Buffer.strName + ".Release()");
    if (this->RefCount() == 1) Buffer.pOwner->Forget(static_cast<const IUnknown*>(this));
    return ComObject<Interface>::Release();
  }
  RecordingBuffer Buffer;
};

// Index and vertex buffers: the same calls on two interfaces.
template <typename Interface>
class RecordingBufferObject final : public RecordedObject<Interface> {
 public:
  using RecordedObject<Interface>::RecordedObject;
  HRESULT Lock(UINT iOffset, UINT iSize, void** ppData, DWORD dwFlags) override {
    return this->Buffer.Lock(iOffset, iSize, ppData, dwFlags);
  }
  HRESULT Unlock() override { return this->Buffer.Unlock(); }
};
using RecordingIndexBuffer = RecordingBufferObject<IDirect3DIndexBuffer9>;
using RecordingVertexBuffer = RecordingBufferObject<IDirect3DVertexBuffer9>;

class RecordingCubeTexture final : public RecordedObject<IDirect3DCubeTexture9> {
 public:
  RecordingCubeTexture(RecordingDevice* pOwner, std::string strName, UINT iEdge, UINT iLevels, D3DFORMAT Format)
      : RecordedObject(pOwner, std::move(strName), 0), iEdge(iEdge), iLevels(iLevels), Format(Format) {
    for (UINT iLevel = 0; iLevel < iLevels; ++iLevel) {
      const UINT iSize = LevelEdge(iEdge, iLevel);
      LevelOffsets.push_back(static_cast<UINT>(Buffer.Bytes.size()) / 6);
      Buffer.Bytes.resize(Buffer.Bytes.size() + 6 * SurfaceImageBytes(Format, iSize, iSize));
    }
  }
  DWORD GetLevelCount() override { return iLevels; }

  // Face-major layout: all levels of face 0, then face 1, ...
  HRESULT LockRect(D3DCUBEMAP_FACES Face, UINT iLevel, D3DLOCKED_RECT* pLocked, const RECT*, DWORD dwFlags) override {
    Buffer.pOwner->Record("LockRect", Buffer.strName + ".LockRect(" + Join({Num(Face), Num(iLevel), Num(dwFlags)}) + ")");
    if (pLocked == nullptr || Face > D3DCUBEMAP_FACE_NEGATIVE_Z || iLevel >= iLevels) return D3DERR_INVALIDCALL;
    const size_t iFaceBytes = Buffer.Bytes.size() / 6;
    pLocked->Pitch = static_cast<INT>(SurfaceRowBytes(Format, LevelEdge(iEdge, iLevel)));
    pLocked->pBits = Buffer.Bytes.data() + Face * iFaceBytes + LevelOffsets[iLevel];
    return D3D_OK;
  }
  HRESULT UnlockRect(D3DCUBEMAP_FACES Face, UINT iLevel) override {
    Buffer.pOwner->Record("UnlockRect", Buffer.strName + ".UnlockRect(" + Join({Num(Face), Num(iLevel)}) + ")");
    return D3D_OK;
  }

  UINT iEdge, iLevels;
  D3DFORMAT Format;
  std::vector<UINT> LevelOffsets;
};

}  // namespace

// ---- the device ------------------------------------------------------------

RecordingDevice::RecordingDevice() = default;

// Resources still alive die with the device: the engine keeps its buffers
// for the whole run and never releases them.
RecordingDevice::~RecordingDevice() {
  for (Resource* pResource : Resources) {
    delete pResource->pObject;
    delete pResource;
  }
}

void RecordingDevice::Record(const char* pszName, std::string strText) {
  ++iCallCount;
  ++CallCounts[pszName];
  if (bRecording) Calls.push_back({pszName, std::move(strText)});
}

void RecordingDevice::Forget(const void* pResource) {
  auto it = std::find_if(Resources.begin(), Resources.end(),
                         [&](const Resource* p) { return p->pObject == pResource; });
  if (it == Resources.end()) return;
  delete *it;
  Resources.erase(it);
}

std::string RecordingDevice::NewName(int iKind, const char* pszPrefix) {
  return pszPrefix + std::to_string(iNextId[iKind]++);
}

std::string RecordingDevice::NameOf(const void* pResource) const {
  if (pResource == nullptr) return "0";
  for (const Resource* p : Resources) {
    if (p->pObject == pResource) return p->strName;
  }
  return "?";
}

const std::vector<unsigned char>& RecordingDevice::BytesOf(const void* pBuffer) const {
  static const std::vector<unsigned char> kNone;
  for (const Resource* p : Resources) {
    if (p->pObject == pBuffer) return *p->pBytes;
  }
  return kNone;
}

int RecordingDevice::LiveResourceCount() const { return static_cast<int>(Resources.size()); }

std::vector<std::string> RecordingDevice::Texts() const {
  std::vector<std::string> Out;
  for (const RecordedCall& call : Calls) Out.push_back(call.strText);
  return Out;
}

std::vector<std::string> RecordingDevice::TextsOf(std::initializer_list<const char*> Names) const {
  std::vector<std::string> Out;
  for (const RecordedCall& call : Calls) {
    for (const char* pszName : Names) {
      if (call.strName == pszName) Out.push_back(call.strText);
    }
  }
  return Out;
}

ULONG RecordingDevice::AddRef() { return ++iRefCount; }

ULONG RecordingDevice::Release() {
  Record("Release", "Release()");
  return iRefCount > 0 ? --iRefCount : 0;
}

HRESULT RecordingDevice::Clear(DWORD Count, const D3DRECT*, DWORD Flags, D3DCOLOR Color, float Z, DWORD Stencil) {
  char szColour[16];
  std::snprintf(szColour, sizeof szColour, "0x%08X", Color);
  Record("Clear", "Clear(" + Join({Num(Count), Num(Flags), szColour, RecordFloat(Z), Num(Stencil)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::BeginScene() {
  Record("BeginScene", "BeginScene()");
  return D3D_OK;
}

HRESULT RecordingDevice::EndScene() {
  Record("EndScene", "EndScene()");
  return D3D_OK;
}

HRESULT RecordingDevice::Present(const RECT* pSourceRect, const RECT* pDestRect, HWND hDestWindowOverride,
                                 const RGNDATA* pDirtyRegion) {
  const bool bAllNull = !pSourceRect && !pDestRect && !hDestWindowOverride && !pDirtyRegion;
  Record("Present", bAllNull ? "Present(0,0,0,0)" : "Present(...)");
  return D3D_OK;
}

HRESULT RecordingDevice::SetTransform(D3DTRANSFORMSTATETYPE State, const D3DMATRIX* pMatrix) {
  Record("SetTransform", "SetTransform(" + NameIn(kTransforms, State) + "," + Matrix(pMatrix) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetRenderState(D3DRENDERSTATETYPE State, DWORD Value) {
  Record("SetRenderState", "SetRenderState(" + Join({NameIn(kRenderStates, State), Num(Value)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetTextureStageState(DWORD Stage, D3DTEXTURESTAGESTATETYPE Type, DWORD Value) {
  Record("SetTextureStageState",
         "SetTextureStageState(" + Join({Num(Stage), NameIn(kStageStates, Type), Num(Value)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetSamplerState(DWORD Sampler, D3DSAMPLERSTATETYPE Type, DWORD Value) {
  Record("SetSamplerState", "SetSamplerState(" + Join({Num(Sampler), NameIn(kSamplerStates, Type), Num(Value)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetMaterial(const D3DMATERIAL9* p) {
  if (p == nullptr) {
    Record("SetMaterial", "SetMaterial(0)");
    return D3DERR_INVALIDCALL;
  }
  Record("SetMaterial", "SetMaterial(" + Join({Colour(p->Diffuse), Colour(p->Ambient), Colour(p->Specular),
                                               Colour(p->Emissive), RecordFloat(p->Power)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetLight(DWORD Index, const D3DLIGHT9* p) {
  if (p == nullptr) {
    Record("SetLight", "SetLight(" + Num(Index) + ",0)");
    return D3DERR_INVALIDCALL;
  }
  const std::string strDirection =
      "(" + Join({RecordFloat(p->Direction.x), RecordFloat(p->Direction.y), RecordFloat(p->Direction.z)}) + ")";
  Record("SetLight", "SetLight(" + Join({Num(Index), Num(p->Type), Colour(p->Diffuse), Colour(p->Specular),
                                         Colour(p->Ambient), strDirection}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::LightEnable(DWORD Index, BOOL Enable) {
  Record("LightEnable", "LightEnable(" + Join({Num(Index), Int(Enable)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetFVF(DWORD FVF) {
  Record("SetFVF", "SetFVF(" + Num(FVF) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetIndices(IDirect3DIndexBuffer9* pIndexData) {
  Record("SetIndices", "SetIndices(" + NameOf(pIndexData) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetStreamSource(UINT StreamNumber, IDirect3DVertexBuffer9* pStreamData, UINT OffsetInBytes,
                                         UINT Stride) {
  Record("SetStreamSource",
         "SetStreamSource(" + Join({Num(StreamNumber), NameOf(pStreamData), Num(OffsetInBytes), Num(Stride)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::SetTexture(DWORD Stage, IDirect3DBaseTexture9* pTexture) {
  Record("SetTexture", "SetTexture(" + Join({Num(Stage), NameOf(pTexture)}) + ")");
  return D3D_OK;
}

HRESULT RecordingDevice::CreateIndexBuffer(UINT Length, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DIndexBuffer9** ppIndexBuffer, HANDLE* pSharedHandle) {
  Record("CreateIndexBuffer", "CreateIndexBuffer(" + Join({Num(Length), Num(Usage), Num(Format), Num(Pool),
                                                           pSharedHandle ? "shared" : "0"}) + ")");
  if (ppIndexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppIndexBuffer = nullptr;
  if (hrFailNextCreate != D3D_OK) return std::exchange(hrFailNextCreate, D3D_OK);
  auto* pBuffer = new RecordingIndexBuffer(this, NewName(kIndexBuffer, "IB"), Length);
  Resources.push_back(new Resource{pBuffer, pBuffer->Buffer.strName, &pBuffer->Buffer.Bytes});
  *ppIndexBuffer = pBuffer;
  return D3D_OK;
}

HRESULT RecordingDevice::CreateVertexBuffer(UINT Length, DWORD Usage, DWORD FVF, D3DPOOL Pool,
                                            IDirect3DVertexBuffer9** ppVertexBuffer, HANDLE* pSharedHandle) {
  Record("CreateVertexBuffer", "CreateVertexBuffer(" + Join({Num(Length), Num(Usage), Num(FVF), Num(Pool),
                                                             pSharedHandle ? "shared" : "0"}) + ")");
  if (ppVertexBuffer == nullptr) return D3DERR_INVALIDCALL;
  *ppVertexBuffer = nullptr;
  if (hrFailNextCreate != D3D_OK) return std::exchange(hrFailNextCreate, D3D_OK);
  auto* pBuffer = new RecordingVertexBuffer(this, NewName(kVertexBuffer, "VB"), Length);
  Resources.push_back(new Resource{pBuffer, pBuffer->Buffer.strName, &pBuffer->Buffer.Bytes});
  *ppVertexBuffer = pBuffer;
  return D3D_OK;
}

HRESULT RecordingDevice::CreateCubeTexture(UINT EdgeLength, UINT Levels, DWORD Usage, D3DFORMAT Format, D3DPOOL Pool,
                                           IDirect3DCubeTexture9** ppCubeTexture, HANDLE* pSharedHandle) {
  Record("CreateCubeTexture", "CreateCubeTexture(" + Join({Num(EdgeLength), Num(Levels), Num(Usage), Num(Format),
                                                           Num(Pool), pSharedHandle ? "shared" : "0"}) + ")");
  if (ppCubeTexture == nullptr || EdgeLength == 0 || Levels == 0) return D3DERR_INVALIDCALL;
  *ppCubeTexture = nullptr;
  if (hrFailNextCreate != D3D_OK) return std::exchange(hrFailNextCreate, D3D_OK);
  auto* pTexture = new RecordingCubeTexture(this, NewName(kCubeTexture, "CUBE"), EdgeLength, Levels, Format);
  Resources.push_back(new Resource{pTexture, pTexture->Buffer.strName, &pTexture->Buffer.Bytes});
  *ppCubeTexture = pTexture;
  return D3D_OK;
}

HRESULT RecordingDevice::DrawIndexedPrimitive(D3DPRIMITIVETYPE Type, INT BaseVertexIndex, UINT MinVertexIndex,
                                              UINT NumVertices, UINT startIndex, UINT primCount) {
  Record("DrawIndexedPrimitive", "DrawIndexedPrimitive(" + Join({Num(Type), Int(BaseVertexIndex), Num(MinVertexIndex),
                                                                 Num(NumVertices), Num(startIndex), Num(primCount)}) + ")");
  return D3D_OK;
}

// ---- the scripted Direct3D object -------------------------------------------

RecordingDirect3D::RecordingDirect3D(std::function<bool(DWORD, const D3DPRESENT_PARAMETERS&)> fnAccept)
    : fnAccept(std::move(fnAccept)) {}

HRESULT RecordingDirect3D::CreateDevice(UINT Adapter, D3DDEVTYPE DeviceType, HWND, DWORD BehaviorFlags,
                                        D3DPRESENT_PARAMETERS* pParams, IDirect3DDevice9** ppDevice) {
  Attempts.push_back("CreateDevice(" + Join({Num(Adapter), Num(DeviceType), Num(BehaviorFlags),
                                             "ms=" + Num(pParams->MultiSampleType)}) + ")");
  *ppDevice = nullptr;
  if (!fnAccept(BehaviorFlags, *pParams)) return D3DERR_NOTAVAILABLE;
  pLastDevice = new RecordingDevice();
  pLastDevice->bRecording = bRecordNewDevices;
  *ppDevice = pLastDevice;
  return D3D_OK;
}

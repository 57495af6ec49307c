// The subset of the D3DX utility library the demo calls: vector and matrix
// math (row vectors, left-handed), the matrix stack and the cube-texture loader.
#pragma once

#include "d3d9.h"

// The loader's answer to a file it cannot read as a cube map.
#ifndef D3DXERR_INVALIDDATA
#define D3DXERR_INVALIDDATA ((HRESULT)0x88760B59)
#endif

struct D3DXVECTOR3 : D3DVECTOR {
  // Components are left unset, as the engine sets them before reading.
  D3DXVECTOR3() = default;
  D3DXVECTOR3(float fx, float fy, float fz) {
    x = fx;
    y = fy;
    z = fz;
  }

  D3DXVECTOR3& operator+=(const D3DXVECTOR3& v) {
    x += v.x;
    y += v.y;
    z += v.z;
    return *this;
  }
  D3DXVECTOR3& operator*=(float s) {
    x *= s;
    y *= s;
    z *= s;
    return *this;
  }
  D3DXVECTOR3 operator+(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x + v.x, y + v.y, z + v.z); }
  D3DXVECTOR3 operator-(const D3DXVECTOR3& v) const { return D3DXVECTOR3(x - v.x, y - v.y, z - v.z); }
  D3DXVECTOR3 operator*(float s) const { return D3DXVECTOR3(x * s, y * s, z * s); }
  friend D3DXVECTOR3 operator*(float s, const D3DXVECTOR3& v) { return D3DXVECTOR3(s * v.x, s * v.y, s * v.z); }
};

struct D3DXVECTOR4 {
  float x, y, z, w;
  D3DXVECTOR4() = default;
  D3DXVECTOR4(float fx, float fy, float fz, float fw) : x(fx), y(fy), z(fz), w(fw) {}
};

struct D3DXMATRIX : D3DMATRIX {
  D3DXMATRIX() = default;
  D3DXMATRIX(float f11, float f12, float f13, float f14, float f21, float f22, float f23, float f24,
             float f31, float f32, float f33, float f34, float f41, float f42, float f43, float f44) {
    _11 = f11, _12 = f12, _13 = f13, _14 = f14;
    _21 = f21, _22 = f22, _23 = f23, _24 = f24;
    _31 = f31, _32 = f32, _33 = f33, _34 = f34;
    _41 = f41, _42 = f42, _43 = f43, _44 = f44;
  }
  float& operator()(UINT iRow, UINT iCol) { return m[iRow][iCol]; }
  float operator()(UINT iRow, UINT iCol) const { return m[iRow][iCol]; }
};

struct D3DXPLANE {
  float a, b, c, d;
  D3DXPLANE() = default;
  D3DXPLANE(float fa, float fb, float fc, float fd) : a(fa), b(fb), c(fc), d(fd) {}
};

// A stack of matrices whose top starts as the identity. The ...Local
// operations multiply their matrix on the left of the top: top = M * top.
struct ID3DXMatrixStack : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE LoadIdentity() = 0;
  virtual HRESULT STDMETHODCALLTYPE TranslateLocal(float x, float y, float z) = 0;
  virtual HRESULT STDMETHODCALLTYPE RotateYawPitchRollLocal(float Yaw, float Pitch, float Roll) = 0;
  virtual HRESULT STDMETHODCALLTYPE ScaleLocal(float x, float y, float z) = 0;
  virtual D3DXMATRIX* STDMETHODCALLTYPE GetTop() = 0;
};
typedef ID3DXMatrixStack* LPD3DXMATRIXSTACK;

HRESULT D3DXCreateMatrixStack(DWORD Flags, LPD3DXMATRIXSTACK* ppStack);

D3DXVECTOR4* D3DXVec3Transform(D3DXVECTOR4* pOut, const D3DXVECTOR3* pV, const D3DXMATRIX* pM);
D3DXVECTOR3* D3DXVec3Cross(D3DXVECTOR3* pOut, const D3DXVECTOR3* pV1, const D3DXVECTOR3* pV2);
D3DXMATRIX* D3DXMatrixIdentity(D3DXMATRIX* pOut);
D3DXMATRIX* D3DXMatrixMultiply(D3DXMATRIX* pOut, const D3DXMATRIX* pM1, const D3DXMATRIX* pM2);
D3DXMATRIX* D3DXMatrixLookAtLH(D3DXMATRIX* pOut, const D3DXVECTOR3* pEye, const D3DXVECTOR3* pAt,
                               const D3DXVECTOR3* pUp);
D3DXPLANE* D3DXPlaneFromPointNormal(D3DXPLANE* pOut, const D3DXVECTOR3* pPoint, const D3DXVECTOR3* pNormal);
D3DXMATRIX* D3DXMatrixShadow(D3DXMATRIX* pOut, const D3DXVECTOR4* pLight, const D3DXPLANE* pPlane);

// Reads a DDS cube map through the device's CreateCubeTexture. On any failure
// *ppCubeTexture is left null and an error code is returned.
HRESULT D3DXCreateCubeTextureFromFileA(IDirect3DDevice9* pDevice, LPCSTR pSrcFile,
                                       IDirect3DCubeTexture9** ppCubeTexture);

// ID3DXMatrixStack: only the top matters to the engine (it never pushes), but
// the stack keeps D3DX's meaning of the ...Local operations: top = M * top.
#include <cmath>
#include <vector>

#include "com_object.h"
#include "d3dx9.h"

namespace {

class MatrixStack final : public ComObject<ID3DXMatrixStack> {
 public:
  MatrixStack() : Stack(1) { D3DXMatrixIdentity(&Stack.back()); }

  HRESULT STDMETHODCALLTYPE LoadIdentity() override {
    D3DXMatrixIdentity(&Stack.back());
    return D3D_OK;
  }

  HRESULT STDMETHODCALLTYPE TranslateLocal(float x, float y, float z) override {
    return MultiplyLocal(D3DXMATRIX(1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, x, y, z, 1));
  }

  // R = Rz(roll) * Rx(pitch) * Ry(yaw): roll first, then pitch, then yaw.
  HRESULT STDMETHODCALLTYPE RotateYawPitchRollLocal(float fYaw, float fPitch, float fRoll) override {
    const float cy = std::cos(fYaw), sy = std::sin(fYaw);
    const float cp = std::cos(fPitch), sp = std::sin(fPitch);
    const float cr = std::cos(fRoll), sr = std::sin(fRoll);
    const D3DXMATRIX matRoll(cr, sr, 0, 0, -sr, cr, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1);
    const D3DXMATRIX matPitch(1, 0, 0, 0, 0, cp, sp, 0, 0, -sp, cp, 0, 0, 0, 0, 1);
    const D3DXMATRIX matYaw(cy, 0, -sy, 0, 0, 1, 0, 0, sy, 0, cy, 0, 0, 0, 0, 1);
    D3DXMATRIX matRotation;
    D3DXMatrixMultiply(&matRotation, &matRoll, &matPitch);
    D3DXMatrixMultiply(&matRotation, &matRotation, &matYaw);
    return MultiplyLocal(matRotation);
  }

  HRESULT STDMETHODCALLTYPE ScaleLocal(float x, float y, float z) override {
    return MultiplyLocal(D3DXMATRIX(x, 0, 0, 0, 0, y, 0, 0, 0, 0, z, 0, 0, 0, 0, 1));
  }

  D3DXMATRIX* STDMETHODCALLTYPE GetTop() override { return &Stack.back(); }

 private:
  HRESULT MultiplyLocal(const D3DXMATRIX& matLocal) {
    D3DXMatrixMultiply(&Stack.back(), &matLocal, &Stack.back());
    return D3D_OK;
  }

  std::vector<D3DXMATRIX> Stack;
};

}  // namespace

HRESULT D3DXCreateMatrixStack(DWORD /*Flags*/, LPD3DXMATRIXSTACK* ppStack) {
  if (ppStack == nullptr) return D3DERR_INVALIDCALL;
  *ppStack = new MatrixStack();
  return D3D_OK;
}

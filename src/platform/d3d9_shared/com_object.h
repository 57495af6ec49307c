// COM's reference counting, once: a new object holds one reference, AddRef
// adds one, Release returns the count left and destroys the object at zero.
// Every object a device or D3DX hands out derives from ComObject<Interface>.
#pragma once

#include "d3d9.h"

template <typename Interface>
class ComObject : public Interface {
 public:
  // Release deletes through this class: Windows' IUnknown has no virtual destructor.
  virtual ~ComObject() = default;
#ifdef _WIN32
  // Our objects are asked for no other interface than the one they were made as.
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** ppObject) override {
    if (ppObject != nullptr) *ppObject = nullptr;
    return E_NOINTERFACE;
  }
#endif
  ULONG STDMETHODCALLTYPE AddRef() override { return ++iRefCount; }
  ULONG STDMETHODCALLTYPE Release() override {
    const ULONG iLeft = --iRefCount;
    if (iLeft == 0) delete this;
    return iLeft;
  }

 protected:
  // References held now; a Release that sees 1 is the last.
  ULONG RefCount() const { return iRefCount; }

 private:
  ULONG iRefCount = 1;
};

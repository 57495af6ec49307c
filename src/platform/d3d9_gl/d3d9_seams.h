// Hooks of the Direct3D 9 stand-in for tests and tools: replace the object
// Direct3DCreate9 returns, size the back buffer, count GL calls, name the
// last refusal. Reading back what a device drew is declared for every
// platform in d3d9_readback.h.
#pragma once

#include "d3d9.h"
#include "d3d9_readback.h"

#include <functional>

// Direct3DCreate9 calls this factory instead of opening GL while it is set;
// an empty function restores the GL implementation.
void D3D9SetCreateOverride(std::function<IDirect3D9*(UINT)> fnCreate);

// While iWidth is not zero, every device is made with this back-buffer size
// and at most iSamples samples (0: none) instead of what the presentation
// parameters ask; the parameters then tell what was made. For recordings at
// sizes and antialiasing the window does not have.
void D3D9SetBackBufferOverride(UINT iWidth, UINT iHeight, int iSamples);

// GL calls made since the device was created (a cache that works keeps this low).
uint64_t D3D9GlCallCount(IDirect3DDevice9* pDevice);

// Why the GL device or one of its resources last answered D3DERR_INVALIDCALL
// (Direct3D gives one code for all of them). A debug build also says each
// reason on stderr the first time it happens. One list: each reason's name
// and the words it is reported in, and when it is given.
#define VIMRA_D3D9_REFUSALS(X)                                                                                 \
  X(kNone, "none")                                                                                             \
  /* scenes and draws */                                                                                       \
  X(kSceneAlreadyBegun, "BeginScene inside a scene")                                                           \
  X(kSceneNotBegun, "outside BeginScene/EndScene") /* EndScene or DrawIndexedPrimitive */                     \
  X(kNoDepthBuffer, "no depth-stencil buffer to clear")                                                        \
  X(kNotTriangleList, "not a triangle list")                                                                   \
  X(kNoBuffers, "no index buffer or vertex stream")                                                            \
  X(kUnsupportedVertexFormat, "vertex format other than XYZ | NORMAL | TEX1") /* or a shorter stride */         \
  X(kReadsOutsideBuffers, "indices or vertices past a buffer's end")                                           \
  X(kNoProgram, "fixed-function program did not build")                                                       \
  /* arguments */                                                                                              \
  X(kNullArgument, "a null pointer argument") /* where the call needs a value or a place for one */            \
  X(kUnknownTransform, "an unknown transform") /* not world, view, projection or a stage's texture one */      \
  X(kStateOutOfRange, "a state or stage past the device's tables")                                             \
  X(kUnsupportedLightType, "a light type other than point, spot and directional")                              \
  X(kForeignResource, "a resource of another device")                                                          \
  X(kNotStreamZero, "a stream other than 0") /* the vertex format has one */                                   \
  X(kEmptyBuffer, "a buffer of 0 bytes")                                                                       \
  /* an index format other than 16 and 32 bits, a cube format other than A8R8G8B8, X8R8G8B8, DXT1..DXT5 */    \
  X(kUnsupportedFormat, "an unsupported index or texture format")                                              \
  /* a cube edge of 0 or past GL's largest, or more levels than the edge has */                                \
  X(kBadTextureSize, "a cube edge or level count the device cannot make")                                      \
  /* a lock past a buffer's end, of a face or level the texture lacks, or of a rectangle outside its level or  \
     off the DXT block grid */                                                                                 \
  X(kOutsideResource, "outside the resource")                                                                  \
  X(kAlreadyLocked, "locked already") /* LockRect of a face level that is locked already */                   \
  X(kNotLocked, "not locked") /* Unlock or UnlockRect of what is not locked */

enum class D3D9Refusal : uint8_t {
#define VIMRA_D3D9_REFUSAL_ENUM(eName, pszWords) eName,
  VIMRA_D3D9_REFUSALS(VIMRA_D3D9_REFUSAL_ENUM)
#undef VIMRA_D3D9_REFUSAL_ENUM
};
const char* D3D9RefusalName(D3D9Refusal eReason);
// kNone for a device that never refused a call, or that is not the GL device.
D3D9Refusal D3D9LastRefusal(IDirect3DDevice9* pDevice);

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
// reason on stderr the first time it happens.
enum class D3D9Refusal : uint8_t {
  kNone,
  // scenes and draws
  kSceneAlreadyBegun,     // BeginScene inside a scene
  kSceneNotBegun,         // EndScene or DrawIndexedPrimitive outside a scene
  kNoDepthBuffer,         // Clear of the depth or stencil buffer the device lacks
  kNotTriangleList,       // DrawIndexedPrimitive draws triangle lists only
  kNoBuffers,             // no index buffer or no vertex stream set
  kUnsupportedVertexFormat,  // an FVF other than XYZ | NORMAL | TEX1, or a shorter stride
  kReadsOutsideBuffers,   // the indices or the vertices they reach lie past a buffer's end
  kNoProgram,             // the fixed-function program for the state failed to build
  // arguments
  kNullArgument,          // a null pointer where the call needs a value or a place for one
  kUnknownTransform,      // a transform other than world, view, projection and the stages' texture ones
  kStateOutOfRange,       // a render, stage or sampler state, or a stage, past the device's tables
  kUnsupportedLightType,  // a light other than point, spot and directional
  kForeignResource,       // a buffer or texture this device did not make
  kNotStreamZero,         // SetStreamSource of a stream other than 0 (the vertex format has one)
  kEmptyBuffer,           // a buffer of 0 bytes
  kUnsupportedFormat,     // an index format other than 16 and 32 bits, or a cube texture format
                          // other than A8R8G8B8, X8R8G8B8 and DXT1..DXT5
  kBadTextureSize,        // a cube edge of 0 or past GL's largest, or more levels than the edge has
  kOutsideResource,       // a lock past a buffer's end, of a face or level the texture lacks, or of
                          // a rectangle outside its level or off the DXT block grid
  kAlreadyLocked,         // LockRect of a face level that is locked already
  kNotLocked,             // Unlock or UnlockRect of what is not locked
};
const char* D3D9RefusalName(D3D9Refusal eReason);
// kNone for a device that never refused a call, or that is not the GL device.
D3D9Refusal D3D9LastRefusal(IDirect3DDevice9* pDevice);

// From Direct3D's state to the fixed-function program's inputs: the key that
// picks the program and the values of its uniform block. Pure functions of
// the state store, so tests can call them without a GL context.
#pragma once

#include "gl_ffp.h"
#include "gl_state_store.h"

namespace d3d9gl {

// The key of the program that draws with this state. A stage whose colour
// operation reads a missing texture ends the cascade, as in Direct3D 9.
FfpKey BuildFfpKey(const D3dStateStore& State);

// The uniform block for a program with iLightCount lights on a back buffer
// of iWidth x iHeight pixels (for the half-pixel offset).
void FillFfpBlock(const D3dStateStore& State, int iLightCount, int iWidth, int iHeight, FfpBlock& Block);

}  // namespace d3d9gl

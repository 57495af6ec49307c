// The surface-grid index buffer: two poles and 22 rings of 48 vertices,
// 2208 triangles, built once at start-up and bound every frame.
#pragma once

#include "core/globals.h"

void BuildGridIndices();

// The surface-grid index buffer: two poles and 22 rings of 48 vertices,
// 2208 triangles, built once at start-up and bound every frame.
#pragma once

constexpr int kGridIndexEntries = 13824;
constexpr int kGridTriangles = 2208;

void BuildGridIndices();

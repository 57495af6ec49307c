// The whole run: start-up, then the frame loop until the demo ends.
#pragma once

// The resources start-up makes once a device exists: the emission stack,
// the cube map, the three model slots, sampler and projection, the drawing
// stack and the grid indices.
void LoadDemoResources();

// Start-up up to the sound: window, cursor, Direct3D object and device (or
// the fatal message and exit code -1), then LoadDemoResources.
void StartUp();

// The fixed state of every frame: depth test, material 0, vertex format,
// lighting and material sources, the three lights, shading, culling, texture
// factor and the grid indices.
void SetFrameState();

// One frame's drawing at the current fTime: clear, begin the scene, the fixed
// state, the lights, the grid indices and the timeline's scene. The scene is
// left open.
void DrawFrame();

void RunDemo();

// The demo's script: camera and scene as a pure function of the timeline time.
#pragma once

// Remainder of a / b through the C library's double-precision fmod.
float FModF(float a, float b);

// Sets the view for fTime and draws that moment's scene.
void DrawScene(float fTime);

// Draws one model slot: the world matrix on the drawing transform stack, then
// for every part with vertices the fixed state recipe and one indexed draw.
#pragma once

#include "d3dx9.h"

void DrawModel(int slot, D3DCOLOR colour, D3DXVECTOR3 position, D3DXVECTOR3 rotation, float scale);

// Alpha reference of unlit (flag 4) parts: 255 until 6000 ms of demo time,
// then one step down every 25 ms, never below 1.
int FadeAlphaRef(DWORD dwTime);

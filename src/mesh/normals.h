// Area-weighted smooth normals for the mesh in the mesh store.
#pragma once

// Each vertex gets the sum of the unnormalised face normals of the triangles
// that use it; the two vertices of each seam pair then share their sum.
// Nothing is normalised: the device normalises normals when it lights.
void CalcNormals();

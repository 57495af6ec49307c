#include "core/records.h"

ModelRecord Models[kMaxModels];
PartRecord MeshParts[kMaxParts];
IDirect3DVertexBuffer9* VertexBuffers[kMaxParts];
IDirect3DIndexBuffer9* IndexBuffers[kMaxParts];

// Diffuse, ambient, specular, emissive (r, g, b, a), power.
const D3DMATERIAL9 kMaterials[kMaterialCount] = {
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 0}, {0, 0, 0, 0}, 20},
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {0.2f, 0.2f, 0.2f, 0}, {0, 0, 0, 0}, 5},
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {0.1f, 0.1f, 0.1f, 0}, {0, 0, 0, 0}, 3},
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {1, 1, 1, 0}, {0, 0, 0, 0}, 20},
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {2, 2, 2, 0}, {0, 0, 0, 0}, 128},
    {{1, 1, 1, 1}, {1, 1, 1, 1}, {0.5f, 0.5f, 0.5f, 0}, {0, 0, 0, 0}, 32},
    {{1.75f, 1.75f, 1.75f, 1.75f}, {1.25f, 1.25f, 1.25f, 1.25f}, {0, 0, 0, 0}, {0, 0, 0, 0}, 1},
    {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
    {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
    {{0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, {0, 0, 0, 0}, 0},
};

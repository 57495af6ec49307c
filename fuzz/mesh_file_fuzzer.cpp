// LoadMeshFile over any bytes: the loader must stay inside its tables and
// hand the device only buffers and indices that agree with each other.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "core/globals.h"
#include "core/records.h"
#include "memory_file.h"
#include "mesh/mesh_store.h"
#include "mesh/mesh_tables.h"
#include "meshfile/mesh_file_loader.h"
#include "recording_device.h"

namespace {

constexpr int kSlot = 0;

void Check(bool bHolds, const char* pszWhat) {
  if (bHolds) return;
  std::fprintf(stderr, "broken: %s\n", pszWhat);
  std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t iSize) {
  static RecordingDevice* pRecorder = [] {
    auto* pNew = new RecordingDevice();
    pNew->bRecording = false;
    CreateMatrixStack();
    return pNew;
  }();
  static MemoryFile File;
  pDevice = pRecorder;
  MatrixStack->LoadIdentity();

  LoadMeshFile(File.Hold(pData, iSize), kSlot);

  Check(iLoadedVertexCount >= 0 && iLoadedVertexCount <= kMaxLoadedVertices, "vertex count");
  Check(iLoadedNormalCount >= 0 && iLoadedNormalCount <= kMaxLoadedVertices, "normal count");
  Check(iLoadedTriangleCount >= 0 && iLoadedTriangleCount <= kMaxLoadedTriangles, "triangle count");
  for (int t = 0; t < iLoadedTriangleCount; ++t)
    for (int k = 0; k < 3; ++k)
      Check(LoadedTriangles[t][k] >= 0 && LoadedTriangles[t][k] < iLoadedVertexCount, "triangle corner");
  if (Models[kSlot].iPartCount == 1) {
    const PartRecord& Part = MeshParts[kSlot];
    Check(pRecorder->BytesOf(VertexBuffers[kSlot]).size() == size_t(Part.iNumVertices) * sizeof(MeshVertex),
          "vertex buffer size");
    const std::vector<unsigned char>& Indices = pRecorder->BytesOf(IndexBuffers[kSlot]);
    Check(Indices.size() == size_t(Part.iNumIndices) * 2, "index buffer size");
    for (size_t i = 0; i + 1 < Indices.size(); i += 2)
      Check(int(Indices[i] | Indices[i + 1] << 8) < Part.iNumVertices, "index beyond the vertex buffer");
  }
  return 0;
}

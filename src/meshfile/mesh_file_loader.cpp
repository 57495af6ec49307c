#include "meshfile/mesh_file_loader.h"

#include "mesh/mesh_tables.h"
#include "meshfile/number_stream.h"
#include "meshfile/text_file_reader.h"
#include "meshfile/text_utils.h"

namespace {

constexpr int kMaxFaceIndices = 32;

// Three passes of x, y, z over the line: a line with more than three numbers
// is read on, so the record keeps the last triple (or a mix of it and the
// one before), and every pass's triple widens the box when there is one. A
// failed read keeps the value last read for that component.
void ReadThreePasses(NumberStream& ss, float& fX, float& fY, float& fZ, D3DXVECTOR3& vecOut, D3DXVECTOR3* pMin,
                     D3DXVECTOR3* pMax) {
  for (int iPass = 0; iPass < 3; ++iPass) {
    ReadFloat(ss, fX);
    ReadFloat(ss, fY);
    ReadFloat(ss, fZ);
    vecOut = D3DXVECTOR3(fX, fY, fZ);
    if (pMin != nullptr) {
      D3DXVECTOR3& Min = *pMin;
      D3DXVECTOR3& Max = *pMax;
      if (fX <= Min.x) Min.x = fX;
      if (fY <= Min.y) Min.y = fY;
      if (fZ <= Min.z) Min.z = fZ;
      if (!(fX < Max.x)) Max.x = fX;
      if (!(fY < Max.y)) Max.y = fY;
      if (!(fZ < Max.z)) Max.z = fZ;
    }
    // Once the stream has failed, the later passes repeat this triple.
    if (ss.bFailed) break;
  }
}

void ReadFaceLine(NumberStream& ss) {
  int Faces[kMaxFaceIndices];
  int n = 0;
  while (n < kMaxFaceIndices) {
    int iValue = -1;
    ReadInt(ss, iValue);
    Faces[n] = iValue;
    if (iValue == -1) break;
    ++n;
  }
  if (n < 3) return;
  // A face whose fan does not fit in the table is dropped whole.
  if (iLoadedTriangleCount + (n - 2) > kMaxLoadedTriangles) return;

  // Indices below 1 become -1 here (no overflow for the most negative int);
  // such triangles are dropped once the file's vertex count is known.
  for (int k = 0; k < n; ++k) Faces[k] = Faces[k] < 1 ? -1 : Faces[k] - 1;
  for (int j = 0; j + 2 < n; ++j) {
    int* Triangle = LoadedTriangles[iLoadedTriangleCount];
    Triangle[0] = Faces[0];
    Triangle[1] = Faces[j + 1];
    Triangle[2] = Faces[j + 2];
    ++iLoadedTriangleCount;
  }
}

// Keeps, in order, only the triangles whose corners are all vertices of the file.
void DropInvalidTriangles() {
  int iKept = 0;
  for (int t = 0; t < iLoadedTriangleCount; ++t) {
    const int* Triangle = LoadedTriangles[t];
    bool bValid = true;
    for (int k = 0; k < 3; ++k) bValid &= Triangle[k] >= 0 && Triangle[k] < iLoadedVertexCount;
    if (!bValid) continue;
    if (iKept != t) {
      LoadedTriangles[iKept][0] = Triangle[0];
      LoadedTriangles[iKept][1] = Triangle[1];
      LoadedTriangles[iKept][2] = Triangle[2];
    }
    ++iKept;
  }
  iLoadedTriangleCount = iKept;
}

}  // namespace

void LoadMeshFile(std::string fileName, int slot) {
  TextFileReader tfrData;
  if (!tfrData.Load(fileName)) return;

  iLoadedVertexCount = 0;
  iLoadedNormalCount = 0;
  iLoadedTriangleCount = 0;
  D3DXVECTOR3 Min(1000.0f, 1000.0f, 1000.0f);
  D3DXVECTOR3 Max(-1000.0f, -1000.0f, -1000.0f);
  // Components no line of this load has read yet are 0.
  float fX = 0.0f, fY = 0.0f, fZ = 0.0f;
  float fNormalX = 0.0f, fNormalY = 0.0f, fNormalZ = 0.0f;

  // One pair of buffers serves every line.
  std::string strAct;
  std::string strCommand;
  for (const std::string& strLine : tfrData.Lines()) {
    strAct = strLine;
    strCommand.clear();
    if (SplitFirst(strAct, " ", strCommand)) {
      TrimSet(strCommand, WhitespaceChars);
      ToUpper(strCommand);
    }

    if (strCommand == "V") {
      if (iLoadedVertexCount == kMaxLoadedVertices) continue;
      NumberStream ss = OpenNumberStream(strAct);
      ReadThreePasses(ss, fX, fY, fZ, LoadedVertices[iLoadedVertexCount].vecPos, &Min, &Max);
      ++iLoadedVertexCount;
    } else if (strCommand == "VN") {
      if (iLoadedNormalCount == kMaxLoadedVertices) continue;
      NumberStream ss = OpenNumberStream(strAct);
      ReadThreePasses(ss, fNormalX, fNormalY, fNormalZ, LoadedVertices[iLoadedNormalCount].vecNormal, nullptr,
                      nullptr);
      ++iLoadedNormalCount;
    } else if (strCommand == "F") {
      NumberStream ss = OpenNumberStream(strAct);
      ReadFaceLine(ss);
    }
  }

  vecLoadedHalfExtents = (Max - Min) * 0.5f;
  if (!(vecLoadedHalfExtents.x > 0.01f)) vecLoadedHalfExtents.x = 0.01f;
  if (!(vecLoadedHalfExtents.y > 0.01f)) vecLoadedHalfExtents.y = 0.01f;
  if (!(vecLoadedHalfExtents.z > 0.01f)) vecLoadedHalfExtents.z = 0.01f;

  DropInvalidTriangles();
  BuildLoadedMesh(slot);
}

// vimra-data-pictures: draws the demo's data files to PNG for a person to
// look at. Each mesh is drawn orthographically from three sides with its
// triangle edges marked: faces turned towards the viewer are shaded grey-blue,
// faces turned away red, so a wrongly wound triangle shows at once. The cube
// map is laid out as a cross (+Y above, -X +Z +X -Z across, -Y below, each
// face upright as seen from inside), beside a mirror ball that reflects it
// and a swatch of the demo's clear colour.
#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <filesystem>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "dds.h"
#include "dxt_decode.h"
#include "host/data_files.h"
#include "meshfile/text_file_reader.h"
#include "read_whole_file.h"
#include "tool_io.h"

namespace {

const ToolInfo kTool = {"vimra-data-pictures", "vimra-data-pictures DATA_FOLDER OUTPUT_FOLDER"};

// Largest cube-map edge drawn: the picture is 4 x 3 faces of 3-byte pixels.
constexpr UINT kMaxDrawnEdge = 2048;

struct Vec3 {
  double x, y, z;
};

Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct Image {
  int iWidth, iHeight;
  std::vector<unsigned char> Rgb;
  Image(int w, int h, unsigned char iGrey) : iWidth(w), iHeight(h), Rgb(size_t(w) * h * 3, iGrey) {}
  void Set(int x, int y, double r, double g, double b) {
    unsigned char* p = &Rgb[(size_t(y) * iWidth + x) * 3];
    p[0] = static_cast<unsigned char>(std::fmin(255.0, std::fmax(0.0, r)));
    p[1] = static_cast<unsigned char>(std::fmin(255.0, std::fmax(0.0, g)));
    p[2] = static_cast<unsigned char>(std::fmin(255.0, std::fmax(0.0, b)));
  }
  bool Write(const std::string& strPath) const {
    return WritePngFile(kTool, strPath, iWidth, iHeight, 3, Rgb.data());
  }
};

// ---- meshes ------------------------------------------------------------------

struct ObjMesh {
  std::vector<Vec3> Positions;
  std::vector<std::array<int, 3>> Triangles;
};

bool ReadObj(const std::string& strPath, ObjMesh* pMesh) {
  std::vector<unsigned char> Bytes;
  if (!ReadWholeFile(strPath.c_str(), kMaxMeshFileBytes, Bytes)) return false;
  std::istringstream File(std::string(Bytes.begin(), Bytes.end()));
  std::string strLine;
  while (std::getline(File, strLine)) {
    std::istringstream Line(strLine);
    std::string strKey;
    Line >> strKey;
    if (strKey == "v") {
      Vec3 P{};
      Line >> P.x >> P.y >> P.z;
      pMesh->Positions.push_back(P);
    } else if (strKey == "f") {
      std::vector<int> Fan;
      long long i = 0;
      // Indices outside 1..INT_MAX name no vertex; the drawing skips them.
      while (Line >> i) Fan.push_back(i >= 1 && i <= INT_MAX ? static_cast<int>(i - 1) : -1);
      for (size_t j = 1; j + 1 < Fan.size(); ++j) pMesh->Triangles.push_back({Fan[0], Fan[j], Fan[j + 1]});
    }
  }
  return true;
}

// Turns a point by yaw about y, then pitch about x (left-handed, viewer
// looking along +z).
Vec3 Turn(Vec3 p, double fYaw, double fPitch) {
  const double cy = std::cos(fYaw), sy = std::sin(fYaw), cp = std::cos(fPitch), sp = std::sin(fPitch);
  const Vec3 q = {p.x * cy - p.z * sy, p.y, p.x * sy + p.z * cy};
  return {q.x, q.y * cp - q.z * sp, q.y * sp + q.z * cp};
}

void DrawMesh(const ObjMesh& Mesh, double fYaw, double fPitch, Image* pImage, int iLeft, int iSize) {
  std::vector<double> Depth(size_t(iSize) * iSize, 1e9);
  // The corners of a cube of half size 0.9 reach 1.56 from the centre.
  const double fScale = iSize * 0.5 / 1.6;
  for (const auto& T : Mesh.Triangles) {
    // A triangle naming a vertex the file lacks is left out.
    bool bNamesVertices = true;
    for (int k = 0; k < 3; ++k) bNamesVertices &= T[k] >= 0 && T[k] < static_cast<int>(Mesh.Positions.size());
    if (!bNamesVertices) continue;
    Vec3 P[3];
    for (int k = 0; k < 3; ++k) {
      const Vec3 q = Turn(Mesh.Positions[T[k]], fYaw, fPitch);
      P[k] = {iSize * 0.5 + q.x * fScale, iSize * 0.5 - q.y * fScale, q.z};
    }
    const Vec3 vecNormal = Cross(Turn(Mesh.Positions[T[1]], fYaw, fPitch) - Turn(Mesh.Positions[T[0]], fYaw, fPitch),
                                 Turn(Mesh.Positions[T[2]], fYaw, fPitch) - Turn(Mesh.Positions[T[0]], fYaw, fPitch));
    const double fLength = std::sqrt(Dot(vecNormal, vecNormal));
    if (fLength == 0) continue;
    const bool bFacing = vecNormal.z < 0;
    const double fLight = std::fabs(Dot(vecNormal, {-0.4, 0.5, -0.77})) / fLength;
    // Screen y grows downwards, so the signed area of a facing triangle is negative.
    const double fArea = (P[1].x - P[0].x) * (P[2].y - P[0].y) - (P[2].x - P[0].x) * (P[1].y - P[0].y);
    if (fArea == 0 || !std::isfinite(fArea)) continue;
    // Far outside the view (or not a number): nothing to draw, and no pixel
    // bound that overflows an int.
    bool bInView = true;
    for (const Vec3& Q : P) bInView &= std::fabs(Q.x) < 4.0 * iSize && std::fabs(Q.y) < 4.0 * iSize;
    if (!bInView) continue;
    const int x0 = std::max(0, static_cast<int>(std::floor(std::fmin(P[0].x, std::fmin(P[1].x, P[2].x)))));
    const int x1 = std::min(iSize - 1, static_cast<int>(std::ceil(std::fmax(P[0].x, std::fmax(P[1].x, P[2].x)))));
    const int y0 = std::max(0, static_cast<int>(std::floor(std::fmin(P[0].y, std::fmin(P[1].y, P[2].y)))));
    const int y1 = std::min(iSize - 1, static_cast<int>(std::ceil(std::fmax(P[0].y, std::fmax(P[1].y, P[2].y)))));
    for (int y = y0; y <= y1; ++y) {
      for (int x = x0; x <= x1; ++x) {
        const double px = x + 0.5, py = y + 0.5;
        double w[3];
        for (int k = 0; k < 3; ++k) {
          const Vec3& a = P[(k + 1) % 3];
          const Vec3& b = P[(k + 2) % 3];
          w[k] = ((b.x - a.x) * (py - a.y) - (px - a.x) * (b.y - a.y)) / fArea;
        }
        if (w[0] < 0 || w[1] < 0 || w[2] < 0) continue;
        const double z = w[0] * P[0].z + w[1] * P[1].z + w[2] * P[2].z;
        double& fDepth = Depth[size_t(y) * iSize + x];
        if (z >= fDepth) continue;
        fDepth = z;
        // Pixels near an edge: distance in pixels from barycentric weights.
        double fEdge = 1e9;
        for (int k = 0; k < 3; ++k) {
          const Vec3& a = P[(k + 1) % 3];
          const Vec3& b = P[(k + 2) % 3];
          const double fSide = std::hypot(b.x - a.x, b.y - a.y);
          fEdge = std::fmin(fEdge, w[k] * std::fabs(fArea) / fSide);
        }
        const double fShade = (0.25 + 0.75 * fLight) * (fEdge < 0.6 ? 0.55 : 1.0);
        if (bFacing)
          pImage->Set(iLeft + x, y, 150 * fShade + 30, 175 * fShade + 30, 215 * fShade + 30);
        else
          pImage->Set(iLeft + x, y, 255 * fShade, 30 * fShade, 30 * fShade);
      }
    }
  }
}

// ---- cube map ----------------------------------------------------------------

struct Cube {
  DdsCubeInfo Info;
  std::vector<unsigned char> File;
  // Texel of level 0 as R, G, B.
  std::array<int, 3> Texel(int iFace, int x, int y) const {
    std::vector<unsigned char> Decoded(4);
    const unsigned char* p = nullptr;
    const size_t iOffset = DdsFaceLevelOffset(Info, iFace, 0);
    if (IsDxtFormat(Info.Format)) {
      // Decode the block holding the texel.
      const size_t iBlock = (size_t(y / 4) * ((Info.iEdge + 3) / 4) + x / 4) * (Info.Format == D3DFMT_DXT1 ? 8 : 16);
      std::vector<unsigned char> Block(64);
      DecodeDxt(Info.Format, &File[iOffset + iBlock], 4, 4, Block.data());
      p = &Block[((y % 4) * 4 + x % 4) * 4];
      return {p[2], p[1], p[0]};
    }
    const int iBytes = Info.Format == D3DFMT_R8G8B8 ? 3 : 4;
    p = &File[iOffset + (size_t(y) * Info.iEdge + x) * iBytes];
    return {p[2], p[1], p[0]};
  }
  // Nearest texel along a direction, with Direct3D's face selection.
  std::array<int, 3> Sample(Vec3 d) const {
    const double ax = std::fabs(d.x), ay = std::fabs(d.y), az = std::fabs(d.z);
    int iFace;
    double sc, tc, ma;
    if (ax >= ay && ax >= az) {
      iFace = d.x > 0 ? 0 : 1;
      sc = d.x > 0 ? -d.z : d.z;
      tc = -d.y;
      ma = ax;
    } else if (ay >= az) {
      iFace = d.y > 0 ? 2 : 3;
      sc = d.x;
      tc = d.y > 0 ? d.z : -d.z;
      ma = ay;
    } else {
      iFace = d.z > 0 ? 4 : 5;
      sc = d.z > 0 ? d.x : -d.x;
      tc = -d.y;
      ma = az;
    }
    const int n = static_cast<int>(Info.iEdge);
    const int x = std::min(n - 1, static_cast<int>((sc / ma + 1) / 2 * n));
    const int y = std::min(n - 1, static_cast<int>((tc / ma + 1) / 2 * n));
    return Texel(iFace, x, y);
  }
};

bool DrawCube(const std::string& strPath, const std::string& strOut) {
  Cube C;
  if (!ReadWholeFile(strPath.c_str(), kMaxCubeMapFileBytes, C.File)) {
    Failure(kTool, "cannot read " + strPath + " (not a regular file of at most 256 MiB)");
    return false;
  }
  const DdsResult Result = ParseDdsCube(C.File.data(), C.File.size(), &C.Info);
  if (Result != DdsResult::kOk) {
    Failure(kTool, strPath + ": " + DdsResultName(Result));
    return false;
  }
  if (C.Info.iEdge > kMaxDrawnEdge) {
    Failure(kTool, strPath + ": faces of " + std::to_string(C.Info.iEdge) + " pixels are too large to draw");
    return false;
  }
  const int n = static_cast<int>(C.Info.iEdge);
  Image Picture(4 * n, 3 * n, 40);
  const int kCells[6][2] = {{2, 1}, {0, 1}, {1, 0}, {1, 2}, {1, 1}, {3, 1}};
  for (int iFace = 0; iFace < 6; ++iFace) {
    for (int y = 0; y < n; ++y) {
      for (int x = 0; x < n; ++x) {
        const auto T = C.Texel(iFace, x, y);
        Picture.Set(kCells[iFace][0] * n + x, kCells[iFace][1] * n + y, T[0], T[1], T[2]);
      }
    }
  }
  // A mirror ball seen from the front (viewer at -z): R = I - 2 (N.I) N.
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const double u = (x + 0.5) / n * 2 - 1, v = 1 - (y + 0.5) / n * 2;
      const double fRest = 1 - u * u - v * v;
      if (fRest <= 0) continue;
      const Vec3 N = {u, v, -std::sqrt(fRest)};
      const double fDot = N.z;
      const auto T = C.Sample({-2 * fDot * N.x, -2 * fDot * N.y, 1 - 2 * fDot * N.z});
      Picture.Set(x, y, T[0], T[1], T[2]);
    }
  }
  // The clear colour 0xFF8CAAC6 for comparison.
  for (int y = n / 4; y < 3 * n / 4; ++y)
    for (int x = n / 4; x < 3 * n / 4; ++x) Picture.Set(3 * n + x, y, 0x8C, 0xAA, 0xC6);
  return Picture.Write(strOut);
}

int Run(int argc, char** argv) {
  for (int i = 1; i < argc; ++i)
    if (IsOption(argv[i])) return UsageError(kTool, std::string("unknown option ") + argv[i]);
  if (argc != 3) return UsageError(kTool, "a data folder and an output folder are needed");
  const std::string strData = std::string(argv[1]) + "/", strOut = std::string(argv[2]) + "/";
  bool bOk = true;
  constexpr int kView = 360;
  for (const int iFile : {kCubeMeshFile, kCylinderMeshFile, kIsoMeshFile}) {
    ObjMesh Mesh;
    const std::string strPath = strData + kDataFileNames[iFile];
    if (!ReadObj(strPath, &Mesh)) {
      Failure(kTool, "cannot read " + strPath + " (not a regular file of at most 64 MiB)");
      bOk = false;
      continue;
    }
    Image Picture(3 * kView, kView, 250);
    DrawMesh(Mesh, 0.0, 0.0, &Picture, 0, kView);
    DrawMesh(Mesh, 0.6, -0.45, &Picture, kView, kView);
    DrawMesh(Mesh, 2.4, 0.6, &Picture, 2 * kView, kView);
    bOk = Picture.Write(strOut + "mesh-" + std::filesystem::path(kDataFileNames[iFile]).stem().string() + ".png") && bOk;
  }
  bOk = DrawCube(strData + kDataFileNames[kCubeMapFile], strOut + "cube-faces.png") && bOk;
  return bOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

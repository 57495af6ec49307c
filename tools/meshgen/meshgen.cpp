// vimra-meshgen: writes the demo's meshes "cubedef.obj" (rounded cube),
// "cyldef.obj" (capped cylinder with rounded rims) and "isodef.obj" (geodesic
// sphere) into the folder given as the only argument.
//
// The engine gives every vertex an area-weighted smooth normal, so rounded
// edges are built from enough rings of vertices to shade smoothly, and no
// vertex is ever split. Every triangle (a, b, c) is wound so that
// (b - a) x (c - a) points out of the solid. The files hold "v", "vn" and
// "f" lines with 1-based indices; the output depends on nothing but this
// program (fixed sizes, vertices numbered in the order they are first met).
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "host/data_files.h"
#include "tool_io.h"

namespace {

constexpr double kPi = 3.14159265358979323846;

struct Vec3 {
  double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator-(Vec3 a, Vec3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Length(Vec3 a) { return std::sqrt(a.x * a.x + a.y * a.y + a.z * a.z); }
Vec3 Normalise(Vec3 a) { return a * (1.0 / Length(a)); }

struct Mesh {
  std::vector<Vec3> Positions;
  std::vector<Vec3> Normals;
  std::vector<std::vector<int>> Triangles;

  int Add(Vec3 vecPos, Vec3 vecNormal) {
    Positions.push_back(vecPos);
    Normals.push_back(vecNormal);
    return static_cast<int>(Positions.size()) - 1;
  }
  void Triangle(int a, int b, int c) { Triangles.push_back({a, b, c}); }
};

// ---- rounded cube ------------------------------------------------------------
// Each face is a grid over the flat cube of half size kHalf. A grid point P
// maps to Inner + kRadius * normalise(P - Inner), Inner being P clamped to the
// inner box of half size kHalf - kRadius: flat in the middle, a quarter
// cylinder along each edge and an eighth of a sphere at each corner. Grid
// lines in the rounded band sit at equal angles (a + r tan(theta)).

constexpr double kCubeHalf = 0.88;
constexpr double kCubeRadius = 0.22;
constexpr int kCubeBandSteps = 3;  // per face, so 6 steps round each edge
constexpr int kCubeFlatSteps = 1;

Mesh RoundedCube() {
  const double fInner = kCubeHalf - kCubeRadius;
  auto BandLine = [&](int j) { return fInner + kCubeRadius * std::tan(j * kPi / 4 / kCubeBandSteps); };
  std::vector<double> Lines;
  for (int j = kCubeBandSteps; j >= 1; --j) Lines.push_back(-BandLine(j));
  for (int j = 0; j <= kCubeFlatSteps; ++j) Lines.push_back(-fInner + 2 * fInner * j / kCubeFlatSteps);
  for (int j = 1; j <= kCubeBandSteps; ++j) Lines.push_back(BandLine(j));
  const int iLast = static_cast<int>(Lines.size()) - 1;

  Mesh Result;
  std::map<std::vector<int>, int> VertexOfGridPoint;
  auto Vertex = [&](const int Grid[3]) {
    const std::vector<int> Key = {Grid[0], Grid[1], Grid[2]};
    const auto Found = VertexOfGridPoint.find(Key);
    if (Found != VertexOfGridPoint.end()) return Found->second;
    const Vec3 P = {Lines[Grid[0]], Lines[Grid[1]], Lines[Grid[2]]};
    const Vec3 Inner = {std::fmax(-fInner, std::fmin(fInner, P.x)), std::fmax(-fInner, std::fmin(fInner, P.y)),
                        std::fmax(-fInner, std::fmin(fInner, P.z))};
    const Vec3 Normal = Normalise(P - Inner);
    const int iIndex = Result.Add(Inner + Normal * kCubeRadius, Normal);
    VertexOfGridPoint.emplace(Key, iIndex);
    return iIndex;
  };

  // Per face: the fixed axis and side, and two grid axes u, v with u x v
  // pointing out of the face.
  struct Face {
    int iAxis, iSide, iU, iV;
  };
  const Face Faces[6] = {{0, 1, 1, 2}, {0, -1, 2, 1}, {1, 1, 2, 0}, {1, -1, 0, 2}, {2, 1, 0, 1}, {2, -1, 1, 0}};
  for (const Face& F : Faces) {
    for (int v = 0; v < iLast; ++v) {
      for (int u = 0; u < iLast; ++u) {
        int Corner[4][3];
        const int Steps[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
        for (int k = 0; k < 4; ++k) {
          Corner[k][F.iAxis] = F.iSide > 0 ? iLast : 0;
          Corner[k][F.iU] = u + Steps[k][0];
          Corner[k][F.iV] = v + Steps[k][1];
        }
        const int p00 = Vertex(Corner[0]), p10 = Vertex(Corner[1]), p11 = Vertex(Corner[2]), p01 = Vertex(Corner[3]);
        // Diagonals point at the face centre, so the four corners of a face
        // are cut alike.
        const bool bSameQuadrant = (2 * u + 1 < iLast) == (2 * v + 1 < iLast);
        if (bSameQuadrant) {
          Result.Triangle(p00, p10, p11);
          Result.Triangle(p00, p11, p01);
        } else {
          Result.Triangle(p00, p10, p01);
          Result.Triangle(p10, p11, p01);
        }
      }
    }
  }
  return Result;
}

// ---- capped cylinder ---------------------------------------------------------
// A profile in (radius, height) turned about the y axis: the top cap's rings,
// a quarter circle down to the side, the side, a quarter circle to the bottom
// cap and its rings, with a single vertex at each pole.

constexpr double kCylRadius = 0.8;
constexpr double kCylHalfHeight = 0.5;
constexpr double kCylRimRadius = 0.18;
constexpr int kCylSegments = 32;
constexpr int kCylCapRings = 1;
constexpr int kCylRimSteps = 4;
constexpr int kCylSideSteps = 1;

struct ProfilePoint {
  double fRadius, fY, fNormalRadius, fNormalY;
};

Mesh RoundedCylinder() {
  const double fCapEdge = kCylRadius - kCylRimRadius;
  const double fRimCentreY = kCylHalfHeight - kCylRimRadius;
  std::vector<ProfilePoint> Profile;
  for (int c = 1; c < kCylCapRings; ++c) Profile.push_back({fCapEdge * c / kCylCapRings, kCylHalfHeight, 0, 1});
  auto Rim = [&](double fAngle, double fCentreY) {
    const double fSin = std::sin(fAngle), fCos = std::cos(fAngle);
    Profile.push_back({fCapEdge + kCylRimRadius * fSin, fCentreY + kCylRimRadius * fCos, fSin, fCos});
  };
  for (int j = 0; j <= kCylRimSteps; ++j) Rim(j * kPi / 2 / kCylRimSteps, fRimCentreY);
  for (int s = 1; s < kCylSideSteps; ++s)
    Profile.push_back({kCylRadius, fRimCentreY - 2 * fRimCentreY * s / kCylSideSteps, 1, 0});
  for (int j = 0; j <= kCylRimSteps; ++j) Rim(kPi / 2 + j * kPi / 2 / kCylRimSteps, -fRimCentreY);
  for (int c = kCylCapRings - 1; c >= 1; --c) Profile.push_back({fCapEdge * c / kCylCapRings, -kCylHalfHeight, 0, -1});

  Mesh Result;
  const int iTop = Result.Add({0, kCylHalfHeight, 0}, {0, 1, 0});
  std::vector<std::vector<int>> Rings;
  for (const ProfilePoint& P : Profile) {
    std::vector<int> Ring;
    for (int k = 0; k < kCylSegments; ++k) {
      const double fAngle = 2 * kPi * k / kCylSegments;
      const double fCos = std::cos(fAngle), fSin = std::sin(fAngle);
      Ring.push_back(Result.Add({P.fRadius * fCos, P.fY, P.fRadius * fSin},
                                {P.fNormalRadius * fCos, P.fNormalY, P.fNormalRadius * fSin}));
    }
    Rings.push_back(Ring);
  }
  const int iBottom = Result.Add({0, -kCylHalfHeight, 0}, {0, -1, 0});

  // Going round (k + 1) and down the profile (ring + 1) span the outward side.
  for (int k = 0; k < kCylSegments; ++k) {
    const int kNext = (k + 1) % kCylSegments;
    Result.Triangle(iTop, Rings.front()[kNext], Rings.front()[k]);
    for (size_t r = 0; r + 1 < Rings.size(); ++r) {
      Result.Triangle(Rings[r][k], Rings[r][kNext], Rings[r + 1][kNext]);
      Result.Triangle(Rings[r][k], Rings[r + 1][kNext], Rings[r + 1][k]);
    }
    Result.Triangle(iBottom, Rings.back()[k], Rings.back()[kNext]);
  }
  return Result;
}

// ---- geodesic sphere ---------------------------------------------------------
// An icosahedron on the unit sphere, each triangle split in four three times
// with the new vertices pushed out onto the sphere.

constexpr int kSphereSubdivisions = 3;

Mesh GeodesicSphere() {
  const double fPhi = (1 + std::sqrt(5.0)) / 2;
  const Vec3 Corners[12] = {{-1, fPhi, 0}, {1, fPhi, 0}, {-1, -fPhi, 0}, {1, -fPhi, 0},
                            {0, -1, fPhi}, {0, 1, fPhi}, {0, -1, -fPhi}, {0, 1, -fPhi},
                            {fPhi, 0, -1}, {fPhi, 0, 1}, {-fPhi, 0, -1}, {-fPhi, 0, 1}};
  // Wound so that each normal points away from the centre.
  std::vector<std::vector<int>> Triangles = {
      {0, 11, 5}, {0, 5, 1},  {0, 1, 7},  {0, 7, 10}, {0, 10, 11}, {1, 5, 9}, {5, 11, 4},
      {11, 10, 2}, {10, 7, 6}, {7, 1, 8}, {3, 9, 4},  {3, 4, 2},   {3, 2, 6}, {3, 6, 8},
      {3, 8, 9},  {4, 9, 5},  {2, 4, 11}, {6, 2, 10}, {8, 6, 7},   {9, 8, 1}};
  Mesh Result;
  for (const Vec3& C : Corners) {
    const Vec3 N = Normalise(C);
    Result.Add(N, N);
  }
  for (int iLevel = 0; iLevel < kSphereSubdivisions; ++iLevel) {
    std::map<std::pair<int, int>, int> Midpoints;
    auto Midpoint = [&](int a, int b) {
      const std::pair<int, int> Key = {std::min(a, b), std::max(a, b)};
      const auto Found = Midpoints.find(Key);
      if (Found != Midpoints.end()) return Found->second;
      const Vec3 N = Normalise(Result.Positions[a] + Result.Positions[b]);
      const int iIndex = Result.Add(N, N);
      Midpoints.emplace(Key, iIndex);
      return iIndex;
    };
    std::vector<std::vector<int>> Finer;
    for (const std::vector<int>& T : Triangles) {
      const int ab = Midpoint(T[0], T[1]), bc = Midpoint(T[1], T[2]), ca = Midpoint(T[2], T[0]);
      Finer.push_back({T[0], ab, ca});
      Finer.push_back({ab, T[1], bc});
      Finer.push_back({ca, bc, T[2]});
      Finer.push_back({ab, bc, ca});
    }
    Triangles = std::move(Finer);
  }
  Result.Triangles = std::move(Triangles);
  return Result;
}

// ---- output ------------------------------------------------------------------

// Six decimals; values that print as zero are written without a sign.
std::string Number(double f) {
  char szText[32];
  std::snprintf(szText, sizeof szText, "%.6f", f);
  if (std::string(szText) == "-0.000000") return "0.000000";
  return szText;
}

const ToolInfo kTool = {"vimra-meshgen", "vimra-meshgen OUTPUT_FOLDER"};

bool WriteObj(const Mesh& M, const std::string& strFolder, const char* pszName, const char* pszWhat) {
  std::string strText = std::string("# ") + pszName + ": " + pszWhat + ", made by vimra-meshgen (tools/meshgen)\n";
  for (const Vec3& P : M.Positions) strText += "v " + Number(P.x) + " " + Number(P.y) + " " + Number(P.z) + "\n";
  for (const Vec3& N : M.Normals) strText += "vn " + Number(N.x) + " " + Number(N.y) + " " + Number(N.z) + "\n";
  for (const std::vector<int>& T : M.Triangles)
    strText += "f " + std::to_string(T[0] + 1) + " " + std::to_string(T[1] + 1) + " " + std::to_string(T[2] + 1) + "\n";
  return WriteWholeFile(kTool, strFolder + pszName, strText.data(), strText.size());
}

int Run(int argc, char** argv) {
  if (argc != 2) return UsageError(kTool, argc < 2 ? "no output folder" : "one output folder only");
  if (IsOption(argv[1])) return UsageError(kTool, std::string("unknown option ") + argv[1]);
  const std::string strFolder = std::string(argv[1]) + "/";
  const bool bOk =
      WriteObj(RoundedCube(), strFolder, kDataFileNames[kCubeMeshFile], "rounded cube") &&
      WriteObj(RoundedCylinder(), strFolder, kDataFileNames[kCylinderMeshFile], "capped cylinder with rounded rims") &&
      WriteObj(GeodesicSphere(), strFolder, kDataFileNames[kIsoMeshFile], "geodesic sphere");
  return bOk ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

// vimra-cubegen: writes the demo's environment cube map "cube.dds", a bright
// studio under a soft steel-blue sky: a pale horizon, a darker tiled floor and
// two soft-box lights placed where the demo's key and top lights shine from,
// so that polished objects read as metal.
//
// A8R8G8B8, 256 x 256 per face, full mip chain, faces in Direct3D's order and
// orientation (+X, -X, +Y, -Y, +Z, -Z; row 0 at the top of each face). The
// pixels use only +, -, *, / and sqrt, and the mips are integer box filters,
// so every build writes the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <vector>

namespace {

constexpr int kEdge = 256;
constexpr int kSubsamples = 3;  // per axis, per pixel of the top level

struct Vec3 {
  double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Cross(Vec3 a, Vec3 b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }
Vec3 Normalise(Vec3 a) { return a * (1.0 / std::sqrt(Dot(a, a))); }
Vec3 Mix(Vec3 a, Vec3 b, double t) { return a * (1 - t) + b * t; }

double SmoothStep(double fEdge0, double fEdge1, double f) {
  double t = (f - fEdge0) / (fEdge1 - fEdge0);
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return t * t * (3 - 2 * t);
}

// ---- the environment -----------------------------------------------------------

const Vec3 kZenith = {0.42, 0.54, 0.69};
const Vec3 kSkyLow = {0.79, 0.85, 0.91};
const Vec3 kFloorNear = {0.50, 0.53, 0.58};
const Vec3 kFloorDeep = {0.17, 0.19, 0.23};
const Vec3 kPanel = {1.0, 0.99, 0.95};

// A rectangular soft box with rounded corners, seen through the tangent plane
// at its centre direction; half sizes are in that plane's units.
struct SoftBox {
  Vec3 vecCentre;
  double fHalfWidth, fHalfHeight;
  double fGlow;
};

const SoftBox kSoftBoxes[2] = {
    // Key: a wide strip low on the right, behind the viewer, where the key light comes from.
    {Normalise({0.707, 0.22, -0.707}), 0.42, 0.17, 0.22},
    // Top: a square panel high on the right, beyond the scene, where the top light comes from.
    {Normalise({0.5, 0.707, 0.5}), 0.30, 0.30, 0.16},
};

// Returns the panel's cover (0..1) and adds its halo to *pvecGlow.
double SoftBoxCover(const SoftBox& Box, Vec3 vecDir, Vec3* pvecGlow) {
  const double fFacing = Dot(vecDir, Box.vecCentre);
  if (fFacing <= 0) return 0;
  const Vec3 vecRight = Normalise(Cross({0, 1, 0}, Box.vecCentre));
  const Vec3 vecUp = Cross(Box.vecCentre, vecRight);
  const double a = Dot(vecDir, vecRight) / fFacing / Box.fHalfWidth;
  const double b = Dot(vecDir, vecUp) / fFacing / Box.fHalfHeight;
  const double q = a * a * a * a + b * b * b * b;
  *pvecGlow = *pvecGlow + kPanel * (Box.fGlow * fFacing * fFacing / (1 + 3 * q));
  return 1 - SmoothStep(0.75, 1.0, q);
}

// Thin tile joints on a floor one unit below the viewer, fading towards the
// horizon where they would only flicker.
double FloorJoints(Vec3 vecDir) {
  const double fDepth = 1 / -vecDir.y;
  const double u = vecDir.x * fDepth, v = vecDir.z * fDepth;
  auto Joint = [](double f) {
    const double fCell = f - std::floor(f);
    const double fDistance = fCell < 0.5 ? fCell : 1 - fCell;
    return 1 - SmoothStep(0.0, 0.035, fDistance);
  };
  const double fLine = std::fmax(Joint(u), Joint(v));
  return fLine * SmoothStep(0.12, 0.45, -vecDir.y);
}

Vec3 Environment(Vec3 vecDir) {
  const double y = vecDir.y;
  Vec3 vecColour;
  if (y >= 0) {
    vecColour = Mix(kSkyLow, kZenith, SmoothStep(0.0, 0.85, y));
  } else {
    vecColour = Mix(kFloorNear, kFloorDeep, SmoothStep(0.0, 0.55, -y));
    vecColour = vecColour + Vec3{0.10, 0.10, 0.11} * FloorJoints(vecDir);
  }
  // A bright haze along the horizon, a little above it.
  const double fHaze = (y - 0.02) / 0.07;
  vecColour = Mix(vecColour, {0.97, 0.97, 0.96}, 0.8 / (1 + fHaze * fHaze));

  Vec3 vecGlow = {0, 0, 0};
  for (const SoftBox& Box : kSoftBoxes) vecColour = Mix(vecColour, kPanel, SoftBoxCover(Box, vecDir, &vecGlow));
  return vecColour + vecGlow;
}

// Direction through face coordinates s, t in [-1, 1] (s right, t down), as
// Direct3D's cube addressing maps them.
Vec3 FaceDirection(int iFace, double s, double t) {
  switch (iFace) {
    case 0: return {1, -t, -s};
    case 1: return {-1, -t, s};
    case 2: return {s, 1, t};
    case 3: return {s, -1, -t};
    case 4: return {s, -t, 1};
    default: return {-s, -t, -1};
  }
}

uint8_t ToByte(double f) {
  f = f < 0 ? 0 : (f > 1 ? 1 : f);
  return static_cast<uint8_t>(f * 255 + 0.5);
}

// One face's top level, B,G,R,A rows top first.
std::vector<uint8_t> RenderFace(int iFace) {
  std::vector<uint8_t> Pixels;
  for (int y = 0; y < kEdge; ++y) {
    for (int x = 0; x < kEdge; ++x) {
      Vec3 vecSum = {0, 0, 0};
      for (int j = 0; j < kSubsamples; ++j) {
        for (int i = 0; i < kSubsamples; ++i) {
          const double s = (2.0 * (x * kSubsamples + i) + 1) / (kEdge * kSubsamples) - 1;
          const double t = (2.0 * (y * kSubsamples + j) + 1) / (kEdge * kSubsamples) - 1;
          vecSum = vecSum + Environment(Normalise(FaceDirection(iFace, s, t)));
        }
      }
      const Vec3 vecMean = vecSum * (1.0 / (kSubsamples * kSubsamples));
      Pixels.insert(Pixels.end(), {ToByte(vecMean.z), ToByte(vecMean.y), ToByte(vecMean.x), 255});
    }
  }
  return Pixels;
}

// The next level: each texel the rounded mean of a 2 x 2 square.
std::vector<uint8_t> HalveLevel(const std::vector<uint8_t>& Level, int iEdge) {
  const int iHalf = iEdge / 2;
  std::vector<uint8_t> Smaller(size_t(iHalf) * iHalf * 4);
  for (int y = 0; y < iHalf; ++y) {
    for (int x = 0; x < iHalf; ++x) {
      for (int c = 0; c < 4; ++c) {
        auto At = [&](int dx, int dy) { return Level[((size_t(2 * y + dy) * iEdge) + 2 * x + dx) * 4 + c]; };
        const int iSum = At(0, 0) + At(1, 0) + At(0, 1) + At(1, 1);
        Smaller[(size_t(y) * iHalf + x) * 4 + c] = static_cast<uint8_t>((iSum + 2) / 4);
      }
    }
  }
  return Smaller;
}

void PutDword(std::vector<uint8_t>* pBytes, uint32_t dwValue) {
  for (int i = 0; i < 4; ++i) pBytes->push_back(static_cast<uint8_t>(dwValue >> (8 * i)));
}

std::vector<uint8_t> DdsHeader(int iLevels) {
  std::vector<uint8_t> Bytes;
  PutDword(&Bytes, 0x20534444);                       // "DDS "
  PutDword(&Bytes, 124);                              // header size
  PutDword(&Bytes, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);  // caps, height, width, pitch, pixel format, mip count
  PutDword(&Bytes, kEdge);
  PutDword(&Bytes, kEdge);
  PutDword(&Bytes, kEdge * 4);                        // pitch
  PutDword(&Bytes, 0);                                // depth
  PutDword(&Bytes, iLevels);
  for (int i = 0; i < 11; ++i) PutDword(&Bytes, 0);   // reserved
  PutDword(&Bytes, 32);                               // pixel format size
  PutDword(&Bytes, 0x41);                             // RGB with alpha
  PutDword(&Bytes, 0);                                // no FourCC
  PutDword(&Bytes, 32);                               // bits per pixel
  PutDword(&Bytes, 0x00FF0000);
  PutDword(&Bytes, 0x0000FF00);
  PutDword(&Bytes, 0x000000FF);
  PutDword(&Bytes, 0xFF000000);
  PutDword(&Bytes, 0x1000 | 0x8 | 0x400000);          // texture, complex, mipmap
  PutDword(&Bytes, 0xFE00);                           // cube map with all six faces
  for (int i = 0; i < 3; ++i) PutDword(&Bytes, 0);
  return Bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <output .dds file>\n", argv[0]);
    return 2;
  }
  int iLevels = 1;
  while ((kEdge >> (iLevels - 1)) > 1) ++iLevels;
  std::vector<uint8_t> File = DdsHeader(iLevels);
  for (int iFace = 0; iFace < 6; ++iFace) {
    std::vector<uint8_t> Level = RenderFace(iFace);
    for (int iLevel = 0; iLevel < iLevels; ++iLevel) {
      File.insert(File.end(), Level.begin(), Level.end());
      if (iLevel + 1 < iLevels) Level = HalveLevel(Level, kEdge >> iLevel);
    }
  }
  FILE* pFile = std::fopen(argv[1], "wb");
  const bool bOk = pFile != nullptr && std::fwrite(File.data(), 1, File.size(), pFile) == File.size();
  if (pFile != nullptr && std::fclose(pFile) != 0) return 1;
  if (!bOk) std::fprintf(stderr, "%s: cannot write %s\n", argv[0], argv[1]);
  return bOk ? 0 : 1;
}

// vimra-cubegen: writes the demo's environment cube map "cube.dds", made for
// the way the demo samples it: the second texture stage doubles the lit colour
// by the map (MODULATE2X), and it reads the map with point sampling and
// without mips. So the map is toned around mid-grey (a texel of about 0.5
// leaves a lit face as bright as its light), only its light sources rise
// above, and it holds no detail finer than a few degrees: a blue sky whose
// horizon, doubled on a lit face, meets the demo's clear colour, a darker
// ground, and two soft lights where the demo's key and top lights come from.
// Every level is dithered, so a gradient magnified over a flat face shows no
// plateaus.
//
// A8R8G8B8, kDefaultEdge texels per face edge (or --edge N), full mip chain,
// faces in Direct3D's order and orientation (+X, -X, +Y, -Y, +Z, -Z; row 0 at
// the top of each face). The pixels use only +, -, *, / and sqrt, the dither
// is an integer hash and the mips are integer box filters, so every build
// writes the same bytes.
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tool_io.h"

namespace {

// 256 by measurement (vimra-look-metrics on the demo's frames, see README):
// the frames measure the same from 64 to 512, but at 128 the edge of a
// light's core steps by up to 34 levels from texel to texel (51 on a lit
// face, above the speckle threshold), at 256 by 18; 512 takes 8 MB.
constexpr int kDefaultEdge = 256;
constexpr int kSubsamples = 3;  // per axis, per texel of the top level

struct Vec3 {
  double x, y, z;
};

Vec3 operator+(Vec3 a, Vec3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(Vec3 a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double Dot(Vec3 a, Vec3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 Normalise(Vec3 a) { return a * (1.0 / std::sqrt(Dot(a, a))); }
Vec3 Mix(Vec3 a, Vec3 b, double t) { return a * (1 - t) + b * t; }

double SmoothStep(double fEdge0, double fEdge1, double f) {
  double t = (f - fEdge0) / (fEdge1 - fEdge0);
  t = t < 0 ? 0 : (t > 1 ? 1 : t);
  return t * t * (3 - 2 * t);
}

// ---- the environment -----------------------------------------------------------

// The sky's horizon is the clear colour 0xFF8CAAC6 divided by twice a lit
// face's colour (about 0.7), so a reflected horizon meets the background.
const Vec3 kSkyHorizon = {0.40, 0.49, 0.57};
const Vec3 kZenith = {0.25, 0.35, 0.53};
const Vec3 kGroundHorizon = {0.33, 0.32, 0.31};
const Vec3 kNadir = {0.15, 0.15, 0.17};

// A soft round light: a bright core, a halo, and around them a wide warm glow
// that takes blue out of the sky above the horizon. The demo's lights are warm
// and their specular highlight alone brings a face that mirrors one close to
// white (about 0.7 to 0.9), so the sky there must keep little blue for that
// face to keep some colour instead of clipping to pure white. Sizes are
// 1 - cos of the angle from the centre.
struct SoftLight {
  Vec3 vecCentre;
  double fCoreSize;
  Vec3 vecCore;  // colour at the centre
  double fHaloSize, fHalo;
  double fGlowSize;
  Vec3 vecGlowFilter;  // what the glow multiplies the sky by at its centre
};

const SoftLight kLights[2] = {
    // Key light: low on the horizon behind the viewer, to the right (light 0).
    {Normalise({0.707, 0.15, -0.707}), 0.006, {1.0, 0.97, 0.86}, 0.05, 0.16, 0.2, {1.10, 0.60, 0.15}},
    // Top light: high on the right, beyond the scene (light 1).
    {Normalise({0.5, 0.707, 0.5}), 0.010, {1.0, 0.99, 0.93}, 0.08, 0.14, 0.3, {1.10, 0.70, 0.40}},
};

const Vec3 kHaloColour = {1.0, 0.85, 0.5};

Vec3 LightUp(const SoftLight& Light, Vec3 vecDir, Vec3 vecColour) {
  const double fAway = 1 - Dot(vecDir, Light.vecCentre);
  const double g = fAway / Light.fGlowSize, h = fAway / Light.fHaloSize, c = fAway / Light.fCoreSize;
  // Only the sky glows: the ground under the lights stays a plain grey.
  const double fGlow = SmoothStep(-0.2, 0.0, vecDir.y) / (1 + g * g);
  const Vec3 vecFilter = Mix({1, 1, 1}, Light.vecGlowFilter, fGlow);
  vecColour = {vecColour.x * vecFilter.x, vecColour.y * vecFilter.y, vecColour.z * vecFilter.z};
  const double fCore = 1 / (1 + c * c * c * c);
  return Mix(vecColour, Light.vecCore, fCore) + kHaloColour * (Light.fHalo / (1 + h * h));
}

Vec3 Environment(Vec3 vecDir) {
  const double y = vecDir.y;
  const Vec3 vecSky = Mix(kSkyHorizon, kZenith, SmoothStep(0.0, 0.9, y));
  const Vec3 vecGround = Mix(kGroundHorizon, kNadir, SmoothStep(0.0, 0.7, -y));
  // The horizon is a soft band some ten degrees wide, not a line.
  Vec3 vecColour = Mix(vecGround, vecSky, SmoothStep(-0.09, 0.09, y));
  for (const SoftLight& Light : kLights) vecColour = LightUp(Light, vecDir, vecColour);
  return vecColour;
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

// A fixed pseudo-random value in [0, 1) per texel and channel.
double Hash01(uint32_t a, uint32_t b, uint32_t c) {
  uint32_t h = a * 0x9E3779B1u ^ b * 0x85EBCA77u ^ c * 0xC2B2AE3Du;
  h ^= h >> 16;
  h *= 0x7FEB352Du;
  h ^= h >> 15;
  h *= 0x846CA68Bu;
  h ^= h >> 16;
  return (h >> 8) * (1.0 / 16777216.0);
}

// Rounds to 8 bits after adding triangular noise of +-1 level, so the mean of
// a region is its exact colour and no gradient shows steps.
uint8_t DitherToByte(double f, double fNoise) {
  double fLevel = f * 255 + fNoise + 0.5;
  fLevel = fLevel < 0 ? 0 : (fLevel > 255 ? 255 : fLevel);
  return static_cast<uint8_t>(fLevel);
}

// One face's top level, B,G,R,A rows top first.
std::vector<uint8_t> RenderFace(int iFace, int iEdge) {
  std::vector<uint8_t> Pixels;
  Pixels.reserve(size_t(iEdge) * iEdge * 4);
  for (int y = 0; y < iEdge; ++y) {
    for (int x = 0; x < iEdge; ++x) {
      Vec3 vecSum = {0, 0, 0};
      for (int j = 0; j < kSubsamples; ++j) {
        for (int i = 0; i < kSubsamples; ++i) {
          const double s = (2.0 * (x * kSubsamples + i) + 1) / (iEdge * kSubsamples) - 1;
          const double t = (2.0 * (y * kSubsamples + j) + 1) / (iEdge * kSubsamples) - 1;
          vecSum = vecSum + Environment(Normalise(FaceDirection(iFace, s, t)));
        }
      }
      const Vec3 vecMean = vecSum * (1.0 / (kSubsamples * kSubsamples));
      const uint32_t iTexel = uint32_t(iFace * iEdge + y) * uint32_t(iEdge) + uint32_t(x);
      auto Noise = [&](uint32_t iChannel) {
        return Hash01(iTexel, iChannel, 1) + Hash01(iTexel, iChannel, 2) - 1;
      };
      Pixels.insert(Pixels.end(), {DitherToByte(vecMean.z, Noise(0)), DitherToByte(vecMean.y, Noise(1)),
                                   DitherToByte(vecMean.x, Noise(2)), 255});
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

std::vector<uint8_t> DdsHeader(int iEdge, int iLevels) {
  std::vector<uint8_t> Bytes;
  PutDword(&Bytes, 0x20534444);                       // "DDS "
  PutDword(&Bytes, 124);                              // header size
  PutDword(&Bytes, 0x1 | 0x2 | 0x4 | 0x8 | 0x1000 | 0x20000);  // caps, height, width, pitch, pixel format, mip count
  PutDword(&Bytes, iEdge);
  PutDword(&Bytes, iEdge);
  PutDword(&Bytes, iEdge * 4);                        // pitch
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

const ToolInfo kTool = {"vimra-cubegen",
                         "vimra-cubegen [--edge N] OUTPUT.dds   (N a power of two, 16 to 1024; default 256)"};

int Run(int argc, char** argv) {
  int iEdge = kDefaultEdge;
  const char* pszOutput = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--edge") == 0) {
      if (i + 1 >= argc) return UsageError(kTool, "--edge needs a number");
      char* pEnd = nullptr;
      const long iValue = std::strtol(argv[++i], &pEnd, 10);
      if (pEnd == argv[i] || *pEnd != '\0' || iValue < 16 || iValue > 1024 || (iValue & (iValue - 1)) != 0)
        return UsageError(kTool, std::string("'") + argv[i] + "' is not a power of two from 16 to 1024");
      iEdge = static_cast<int>(iValue);
    } else if (IsOption(argv[i])) {
      return UsageError(kTool, std::string("unknown option ") + argv[i]);
    } else if (pszOutput == nullptr) {
      pszOutput = argv[i];
    } else {
      return UsageError(kTool, "one output file only");
    }
  }
  if (pszOutput == nullptr) return UsageError(kTool, "no output file");
  int iLevels = 1;
  while ((iEdge >> (iLevels - 1)) > 1) ++iLevels;
  std::vector<uint8_t> File = DdsHeader(iEdge, iLevels);
  for (int iFace = 0; iFace < 6; ++iFace) {
    std::vector<uint8_t> Level = RenderFace(iFace, iEdge);
    for (int iLevel = 0; iLevel < iLevels; ++iLevel) {
      File.insert(File.end(), Level.begin(), Level.end());
      if (iLevel + 1 < iLevels) Level = HalveLevel(Level, iEdge >> iLevel);
    }
  }
  return WriteWholeFile(kTool, pszOutput, File.data(), File.size()) ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  return RunTool(kTool, argc, argv, [&] { return Run(argc, argv); });
}

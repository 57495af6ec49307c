// The fixed-function pipeline as generated GLSL. The state that changes the
// code forms an FfpKey; the program for a key is generated once and cached.
// Values (matrices, material, lights, texture factor) live in one std140
// uniform block, FfpBlock, that the device fills on the CPU.
#pragma once

#include "gl_calls.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <type_traits>

namespace d3d9gl {

constexpr int kStageCount = 8;
constexpr int kMaxActiveLights = 8;

// Texture coordinate sources of a stage (the D3DTSS_TCI_* value >> 16).
enum TexGen : uint8_t { kTexGenPassThru = 0, kTexGenNormal = 1, kTexGenPosition = 2, kTexGenReflection = 3 };

struct FfpStageKey {
  uint8_t iColorOp, iColorArg1, iColorArg2;
  uint8_t iAlphaOp, iAlphaArg1, iAlphaArg2;
  uint8_t iTexGen;
  uint8_t iCoordSet;
  uint8_t bTexTransform;
  uint8_t bHasTexture;
};

// All bytes, no padding: compared and hashed as raw memory. Unused fields stay
// zero so that equal pipelines give equal keys.
struct FfpKey {
  uint8_t bLighting;
  uint8_t bSpecular;
  uint8_t bLocalViewer;
  uint8_t bNormalize;
  uint8_t bFlat;
  uint8_t iAlphaFunc;  // a D3DCMP value, 0 when the alpha test is off
  uint8_t iStageCount;  // stages before the first disabled one
  uint8_t iLightCount;  // lights on, in index order, at most kMaxActiveLights
  uint8_t LightTypes[kMaxActiveLights];
  FfpStageKey Stages[kStageCount];
};

// Compared with memcmp and hashed byte by byte: a padding byte would hold
// whatever the stack had, and equal pipelines would differ.
static_assert(sizeof(FfpStageKey) == 10, "a stage key is ten bytes, no padding");
static_assert(sizeof(FfpKey) == 8 + kMaxActiveLights + kStageCount * sizeof(FfpStageKey), "no padding in the key");
static_assert(std::has_unique_object_representations_v<FfpKey>, "every bit of the key is a value bit");

struct FfpKeyHash {
  size_t operator()(const FfpKey& Key) const;
};
bool operator==(const FfpKey& A, const FfpKey& B);

struct FfpLight {
  float Diffuse[4];
  float Specular[4];
  float Ambient[4];
  float Position[4];     // camera space
  float Direction[4];    // directional: unit vector toward the light; spot: unit axis
  float Attenuation[4];  // Attenuation0, 1, 2, Range
  float Spot[4];         // cos(Theta / 2), cos(Phi / 2), Falloff
};

// Matrices are D3D's row-major memory as given: read as a GLSL column-major
// mat4 they are transposed, so M * v in GLSL is D3D's v * M.
struct FfpBlock {
  float WorldView[16];
  float WorldViewProj[16];
  float NormalMatrix[16];
  float TexMatrix[kStageCount][16];
  float MatDiffuse[4];
  float MatAmbient[4];
  float MatSpecular[4];
  float MatEmissive[4];
  float GlobalAmbient[4];
  float TextureFactor[4];
  float Misc[4];         // x: material power, y: alpha reference 0..255
  float PixelOffset[4];  // xy: half a pixel in clip units (per w)
  FfpLight Lights[kMaxActiveLights];
};

// The GLSL block (kFfpBlockSource in gl_ffp.cpp) declares the same members in
// the same order with std140 layout, which puts every vec4 and mat4 at the
// next multiple of 16 bytes: with each member a whole number of vec4s, that is
// C++'s layout of these arrays, as the offsets below check. The test of the
// device also compares them with what GL reports.
namespace std140 {
constexpr size_t kVec4 = 16, kMat4 = 64;
constexpr size_t kLight = 7 * kVec4;
constexpr size_t kMaterial = 3 * kMat4 + kStageCount * kMat4;  // MatDiffuse
constexpr size_t kLights = kMaterial + 8 * kVec4;             // Lights
}  // namespace std140
static_assert(sizeof(FfpLight) == std140::kLight, "a light is seven vec4s");
static_assert(offsetof(FfpBlock, WorldViewProj) == std140::kMat4);
static_assert(offsetof(FfpBlock, NormalMatrix) == 2 * std140::kMat4);
static_assert(offsetof(FfpBlock, TexMatrix) == 3 * std140::kMat4);
static_assert(offsetof(FfpBlock, MatDiffuse) == std140::kMaterial);
static_assert(offsetof(FfpBlock, TextureFactor) == std140::kMaterial + 5 * std140::kVec4);
static_assert(offsetof(FfpBlock, PixelOffset) == std140::kMaterial + 7 * std140::kVec4);
static_assert(offsetof(FfpBlock, Lights) == std140::kLights);
static_assert(sizeof(FfpBlock) == std140::kLights + kMaxActiveLights * std140::kLight, "no padding at the end");

// Bytes of the block that matter when iLightCount lights are on.
inline size_t FfpBlockSize(int iLightCount) {
  return offsetof(FfpBlock, Lights) + sizeof(FfpLight) * static_cast<size_t>(iLightCount);
}

constexpr GLuint kFfpBlockBinding = 0;

std::string FfpVertexSource(const FfpKey& Key);
std::string FfpFragmentSource(const FfpKey& Key);

// Compiles and links the program for a key, with its block bound to
// kFfpBlockBinding and stage n's sampler to texture unit n; the program is
// left in use. 0 on failure (the log goes to stderr).
GLuint BuildFfpProgram(const FfpKey& Key);

}  // namespace d3d9gl

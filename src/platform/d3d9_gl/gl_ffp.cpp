#include "gl_ffp.h"

#include <cstdio>
#include <cstring>

#include "d3d9.h"

namespace d3d9gl {

size_t FfpKeyHash::operator()(const FfpKey& Key) const {
  const auto* pBytes = reinterpret_cast<const unsigned char*>(&Key);
  uint64_t iHash = 1469598103934665603ull;
  for (size_t i = 0; i < sizeof Key; ++i) iHash = (iHash ^ pBytes[i]) * 1099511628211ull;
  return static_cast<size_t>(iHash);
}

bool operator==(const FfpKey& A, const FfpKey& B) { return std::memcmp(&A, &B, sizeof A) == 0; }

// ---- shared declarations -----------------------------------------------------

// The block as GLSL: FfpBlock's members in order, array sizes from the same constants.
static std::string BlockSource() {
  return R"(
struct Light {
  vec4 Diffuse;
  vec4 Specular;
  vec4 Ambient;
  vec4 Position;
  vec4 Direction;
  vec4 Attenuation;
  vec4 Spot;
};
layout(std140) uniform FixedFunction {
  mat4 uWorldView;
  mat4 uWorldViewProj;
  mat4 uNormalMatrix;
  mat4 uTexMatrix[)" + std::to_string(kStageCount) + R"(];
  vec4 uMatDiffuse;
  vec4 uMatAmbient;
  vec4 uMatSpecular;
  vec4 uMatEmissive;
  vec4 uGlobalAmbient;
  vec4 uTextureFactor;
  vec4 uMisc;
  vec4 uPixelOffset;
  Light uLights[)" + std::to_string(kMaxActiveLights) + R"(];
};
)";
}

static std::string Stage(int i) { return std::to_string(i); }

static bool StageUsesTexture(const FfpKey& Key, int i) {
  return Key.Stages[i].bHasTexture != 0;
}

static std::string Varyings(const FfpKey& Key, const char* pszDirection) {
  const std::string strQualifier = Key.bFlat ? "flat " : "";
  std::string strOut = strQualifier + pszDirection + " vec4 vDiffuse;\n" + strQualifier + pszDirection +
                       " vec4 vSpecular;\n";
  for (int i = 0; i < Key.iStageCount; ++i) {
    if (StageUsesTexture(Key, i)) strOut += std::string(pszDirection) + " vec3 vTex" + Stage(i) + ";\n";
  }
  return strOut;
}

// ---- vertex stage ---------------------------------------------------------------

// One light, unrolled: a constant index reads the block directly and only
// the code of the light's type is generated.
static std::string LightSource(const FfpKey& Key, int i) {
  const std::string strLight = "uLights[" + Stage(i) + "]";
  std::string strOut = "  {\n    vec3 L;\n    float fScale = 1.0;\n";
  if (Key.LightTypes[i] == D3DLIGHT_DIRECTIONAL) {
    strOut += "    L = " + strLight + ".Direction.xyz;\n";
  } else {
    strOut += "    vec3 toLight = " + strLight + ".Position.xyz - P;\n"
              "    float d = length(toLight);\n"
              "    L = toLight / d;\n"
              "    vec4 att = " + strLight + ".Attenuation;\n"
              "    fScale = d > att.w ? 0.0 : 1.0 / (att.x + att.y * d + att.z * d * d);\n";
    if (Key.LightTypes[i] == D3DLIGHT_SPOT) {
      strOut += "    float rho = dot(-L, " + strLight + ".Direction.xyz);\n"
                "    vec4 spot = " + strLight + ".Spot;\n"
                "    if (rho <= spot.y) fScale = 0.0;\n"
                "    else if (rho <= spot.x) fScale *= pow((rho - spot.y) / (spot.x - spot.y), spot.z);\n";
    }
  }
  strOut += "    ambient += " + strLight + ".Ambient.rgb * fScale;\n"
            "    float NdotL = dot(N, L);\n"
            "    diffuse += " + strLight + ".Diffuse.rgb * clamp(NdotL, 0.0, 1.0) * fScale;\n";
  if (Key.bSpecular) {
    // D3D counts specular only where the light reaches the front of the surface.
    strOut += "    float NdotH = dot(N, normalize(L + E));\n"
              "    if (NdotL > 0.0 && NdotH > 0.0) specular += " + strLight +
              ".Specular.rgb * pow(NdotH, uMisc.x) * fScale;\n";
  }
  return strOut + "  }\n";
}

static std::string LightingSource(const FfpKey& Key) {
  std::string strOut = Key.bLocalViewer ? "  vec3 E = -normalize(P);\n" : "  vec3 E = vec3(0.0, 0.0, -1.0);\n";
  strOut += "  vec3 ambient = uGlobalAmbient.rgb;\n"
            "  vec3 diffuse = vec3(0.0);\n"
            "  vec3 specular = vec3(0.0);\n";
  for (int i = 0; i < Key.iLightCount; ++i) strOut += LightSource(Key, i);
  // Each colour is clamped once, after all lights, before interpolation.
  strOut += "  vDiffuse = vec4(clamp(uMatEmissive.rgb + uMatAmbient.rgb * ambient + uMatDiffuse.rgb * diffuse, "
            "0.0, 1.0), uMatDiffuse.a);\n"
            "  vSpecular = vec4(clamp(uMatSpecular.rgb * specular, 0.0, 1.0), 0.0);\n";
  return strOut;
}

static std::string TexCoordSource(const FfpKey& Key, int i) {
  const FfpStageKey& S = Key.Stages[i];
  std::string strCoord;
  switch (S.iTexGen) {
    case kTexGenNormal: strCoord = "N"; break;
    case kTexGenPosition: strCoord = "P"; break;
    case kTexGenReflection: strCoord = "reflect(normalize(P), N)"; break;
    default: strCoord = S.iCoordSet == 0 ? "vec3(aTexCoord, 0.0)" : "vec3(0.0)"; break;
  }
  if (S.bTexTransform) strCoord = "(uTexMatrix[" + Stage(i) + "] * vec4(" + strCoord + ", 1.0)).xyz";
  return "  vTex" + Stage(i) + " = " + strCoord + ";\n";
}

std::string FfpVertexSource(const FfpKey& Key) {
  std::string strOut = kGlslHeader;
  strOut += BlockSource();
  strOut += "layout(location = 0) in vec3 aPosition;\n"
            "layout(location = 1) in vec3 aNormal;\n"
            "layout(location = 2) in vec2 aTexCoord;\n";
  strOut += Varyings(Key, "out");
  strOut += "void main() {\n"
            "  vec4 position = vec4(aPosition, 1.0);\n"
            "  vec3 P = (uWorldView * position).xyz;\n"
            "  vec3 N = mat3(uNormalMatrix) * aNormal;\n";
  if (Key.bNormalize) strOut += "  if (dot(N, N) > 0.0) N = normalize(N);\n";
  if (Key.bLighting) {
    strOut += LightingSource(Key);
  } else {
    // This vertex format carries no colours: D3D then reads white and no specular.
    strOut += "  vDiffuse = vec4(1.0);\n  vSpecular = vec4(0.0);\n";
  }
  for (int i = 0; i < Key.iStageCount; ++i) {
    if (StageUsesTexture(Key, i)) strOut += TexCoordSource(Key, i);
  }
  // D3D clips 0 <= z <= w where GL clips -w <= z <= w, and D3D9 puts pixel
  // centres on integer coordinates, half a pixel up-left of GL's.
  strOut += "  vec4 clip = uWorldViewProj * position;\n"
            "  clip.z = 2.0 * clip.z - clip.w;\n"
            "  clip.xy += uPixelOffset.xy * clip.w;\n"
            "  gl_Position = clip;\n"
            "}\n";
  return strOut;
}

// ---- fragment stage -------------------------------------------------------------

static std::string Argument(DWORD dwArg, int iStage) {
  std::string strValue;
  switch (dwArg & D3DTA_SELECTMASK) {
    case D3DTA_DIFFUSE: strValue = "diffuse"; break;
    case D3DTA_CURRENT: strValue = "current"; break;
    case D3DTA_TEXTURE: strValue = "tex" + Stage(iStage); break;
    case D3DTA_TFACTOR: strValue = "uTextureFactor"; break;
    case D3DTA_SPECULAR: strValue = "specular"; break;
    default: strValue = "vec4(0.0)"; break;  // the temporary register starts at zero
  }
  if (dwArg & D3DTA_COMPLEMENT) strValue = "(vec4(1.0) - " + strValue + ")";
  if (dwArg & D3DTA_ALPHAREPLICATE) strValue = strValue + ".aaaa";
  return strValue;
}

static std::string Operation(DWORD dwOp, const std::string& strArg1, const std::string& strArg2) {
  switch (dwOp) {
    case D3DTOP_SELECTARG1: return strArg1;
    case D3DTOP_SELECTARG2: return strArg2;
    case D3DTOP_MODULATE: return strArg1 + " * " + strArg2;
    case D3DTOP_MODULATE2X: return "clamp(2.0 * " + strArg1 + " * " + strArg2 + ", 0.0, 1.0)";
    case D3DTOP_MODULATE4X: return "clamp(4.0 * " + strArg1 + " * " + strArg2 + ", 0.0, 1.0)";
    default: return "clamp(" + strArg1 + " + " + strArg2 + ", 0.0, 1.0)";  // D3DTOP_ADD
  }
}

static const char* AlphaCompare(uint8_t iFunc) {
  switch (iFunc) {
    case D3DCMP_NEVER: return "false";
    case D3DCMP_LESS: return "a < ref";
    case D3DCMP_EQUAL: return "a == ref";
    case D3DCMP_LESSEQUAL: return "a <= ref";
    case D3DCMP_GREATER: return "a > ref";
    case D3DCMP_NOTEQUAL: return "a != ref";
    case D3DCMP_GREATEREQUAL: return "a >= ref";
    default: return "true";
  }
}

std::string FfpFragmentSource(const FfpKey& Key) {
  std::string strOut = kGlslHeader;
  strOut += BlockSource();
  strOut += Varyings(Key, "in");
  for (int i = 0; i < Key.iStageCount; ++i) {
    if (StageUsesTexture(Key, i)) strOut += "uniform samplerCube uTexture" + Stage(i) + ";\n";
  }
  strOut += "out vec4 fragColour;\n"
            "void main() {\n"
            "  vec4 diffuse = vDiffuse;\n"
            "  vec4 specular = vSpecular;\n"
            "  vec4 current = diffuse;\n";
  for (int i = 0; i < Key.iStageCount; ++i) {
    const FfpStageKey& S = Key.Stages[i];
    const std::string strTex = "tex" + Stage(i);
    // A stage without a texture reads (0, 0, 0, 1), as D3D's null texture.
    strOut += "  vec4 " + strTex + " = " +
              (S.bHasTexture ? "texture(uTexture" + Stage(i) + ", vTex" + Stage(i) + ")" : "vec4(0.0, 0.0, 0.0, 1.0)") +
              ";\n";
    const std::string strColour = Operation(S.iColorOp, Argument(S.iColorArg1, i) + ".rgb",
                                            Argument(S.iColorArg2, i) + ".rgb");
    // An alpha operation of DISABLE under an enabled colour operation passes alpha on.
    const std::string strAlpha =
        S.iAlphaOp == D3DTOP_DISABLE
            ? "current.a"
            : Operation(S.iAlphaOp, Argument(S.iAlphaArg1, i) + ".a", Argument(S.iAlphaArg2, i) + ".a");
    strOut += "  current = vec4(" + strColour + ", " + strAlpha + ");\n";
  }
  if (Key.bSpecular) strOut += "  current.rgb = min(current.rgb + specular.rgb, vec3(1.0));\n";
  if (Key.iAlphaFunc != 0) {
    // D3D compares the alpha as 0..255 against D3DRS_ALPHAREF.
    strOut += "  float a = floor(current.a * 255.0 + 0.5);\n"
              "  float ref = uMisc.y;\n";
    strOut += std::string("  if (!(") + AlphaCompare(Key.iAlphaFunc) + ")) discard;\n";
  }
  strOut += "  fragColour = current;\n}\n";
  return strOut;
}

// ---- compile and link -----------------------------------------------------------

static GLuint Compile(GLenum eType, const std::string& strSource) {
  const GLuint iShader = Gl(glCreateShader, eType);
  const char* pszSource = strSource.c_str();
  Gl(glShaderSource, iShader, 1, &pszSource, static_cast<const GLint*>(nullptr));
  Gl(glCompileShader, iShader);
  GLint iOk = 0;
  Gl(glGetShaderiv, iShader, GL_COMPILE_STATUS, &iOk);
  if (!iOk) {
    char szLog[2048] = {};
    Gl(glGetShaderInfoLog, iShader, static_cast<GLsizei>(sizeof szLog), static_cast<GLsizei*>(nullptr), szLog);
    std::fprintf(stderr, "d3d9: fixed-function shader failed to compile:\n%s\n%s\n", szLog, pszSource);
    Gl(glDeleteShader, iShader);
    return 0;
  }
  return iShader;
}

GLuint BuildFfpProgram(const FfpKey& Key) {
  const GLuint iVertex = Compile(GL_VERTEX_SHADER, FfpVertexSource(Key));
  const GLuint iFragment = Compile(GL_FRAGMENT_SHADER, FfpFragmentSource(Key));
  GLuint iProgram = 0;
  if (iVertex != 0 && iFragment != 0) {
    iProgram = Gl(glCreateProgram);
    Gl(glAttachShader, iProgram, iVertex);
    Gl(glAttachShader, iProgram, iFragment);
    Gl(glLinkProgram, iProgram);
    GLint iOk = 0;
    Gl(glGetProgramiv, iProgram, GL_LINK_STATUS, &iOk);
    if (!iOk) {
      char szLog[2048] = {};
      Gl(glGetProgramInfoLog, iProgram, static_cast<GLsizei>(sizeof szLog), static_cast<GLsizei*>(nullptr), szLog);
      std::fprintf(stderr, "d3d9: fixed-function program failed to link:\n%s\n", szLog);
      Gl(glDeleteProgram, iProgram);
      iProgram = 0;
    }
  }
  if (iVertex != 0) Gl(glDeleteShader, iVertex);
  if (iFragment != 0) Gl(glDeleteShader, iFragment);
  if (iProgram == 0) return 0;
  const GLuint iBlock = Gl(glGetUniformBlockIndex, iProgram, "FixedFunction");
  if (iBlock != GL_INVALID_INDEX) Gl(glUniformBlockBinding, iProgram, iBlock, kFfpBlockBinding);
  Gl(glUseProgram, iProgram);
  for (int i = 0; i < Key.iStageCount; ++i) {
    const GLint iLocation = Gl(glGetUniformLocation, iProgram, ("uTexture" + Stage(i)).c_str());
    if (iLocation >= 0) Gl(glUniform1i, iLocation, i);
  }
  return iProgram;
}

}  // namespace d3d9gl

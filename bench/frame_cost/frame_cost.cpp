// Frame cost of the GL device: 80 DrawModel calls of the demo's three models
// at 1280x720 with the host's per-frame state, without and with 4-sample
// multisampling. Beside it, in the same run, the floor: a hand-written GL 3.3
// program that draws the same meshes at the same places with the same shading
// (lighting per vertex, reflection lookup, MODULATE2X), with no emulation
// layer. Device and floor frames alternate; prints median and p99 frame time
// (glFinish after each frame) and GL calls per draw.
//
// Run from anywhere:  build/bench/frame_cost/bench_frame_cost [DATA_DIR] [PNG]
// (PNG: where to write the device's last frame).
#include <SDL.h>
#include <epoxy/gl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "d3d9_seams.h"
#include "core/globals.h"
#include "host/run_demo.h"
#include "render/draw_model.h"
#include "render/lights.h"
#include "core/records.h"
#include "png_file.h"
#include "win32_seams.h"

namespace {

using Clock = std::chrono::steady_clock;
constexpr int kWarmFrames = 10;
constexpr int kFrames = 150;
constexpr int kDraws = 80;

struct Placement {
  int iSlot;
  D3DCOLOR dwColour;
  D3DXVECTOR3 vecPosition, vecRotation;
  float fScale;
};

// Sixteen rows of five, as the demo's last scene, cycling the three models
// and turning with the frame number.
std::vector<Placement> Placements(int iFrame) {
  std::vector<Placement> Out;
  for (int j = -3; j <= 12; ++j) {
    for (int i = 0; i < 5; ++i) {
      const float a = 0.05f * static_cast<float>(iFrame + 7 * i + 3 * j);
      Out.push_back({(i + j + 3) % 3, i % 2 ? 0xFFFF8000u : 0xFFC0C0C0u,
                     D3DXVECTOR3(0.45f * static_cast<float>(i) - 0.9f, 0.0f, 0.5f * static_cast<float>(j)),
                     D3DXVECTOR3(a, 0.5f * a, 0.0f), 0.25f});
    }
  }
  return Out;
}

D3DXMATRIX View() {
  const D3DXVECTOR3 vecEye(0.0f, 3.0f, -8.0f), vecAt(0.0f, 0.0f, 0.0f), vecUp(0.0f, 1.0f, 0.0f);
  D3DXMATRIX m;
  D3DXMatrixLookAtLH(&m, &vecEye, &vecAt, &vecUp);
  return m;
}

struct Figures {
  double fMedian, fP99, fCallsPerDraw;
};

Figures Summarise(std::vector<double> Times, double fCallsPerDraw) {
  std::sort(Times.begin(), Times.end());
  return {Times[Times.size() / 2], Times[std::min(Times.size() - 1, Times.size() * 99 / 100)], fCallsPerDraw};
}

// ---- the device ---------------------------------------------------------------

void DeviceFrame(int iFrame, const D3DXMATRIX& matFrameView) {
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF8CAAC6, 1.0f, 0);
  pDevice->BeginScene();
  SetFrameState();
  pDevice->SetTransform(D3DTS_VIEW, &matFrameView);
  for (const Placement& P : Placements(iFrame)) DrawModel(P.iSlot, P.dwColour, P.vecPosition, P.vecRotation, P.fScale);
  pDevice->EndScene();
  pDevice->Present(nullptr, nullptr, nullptr, nullptr);
}

void SetUpDevice(HWND hWindow, D3DMULTISAMPLE_TYPE eSamples) {
  PresentParams = DemoPresentParams(eSamples, hWindow);
  if (FAILED(pD3D->CreateDevice(0, D3DDEVTYPE_HAL, hWindow, D3DCREATE_SOFTWARE_VERTEXPROCESSING, &PresentParams,
                                &pDevice))) {
    std::fprintf(stderr, "no device\n");
    std::exit(1);
  }
  LoadDemoResources();
}

// ---- the floor: plain GL 3.3 --------------------------------------------------

const char kFloorVertex[] = R"(#version 330 core
layout(location = 0) in vec3 aPosition;
layout(location = 1) in vec3 aNormal;
uniform mat4 uWorldView;
uniform mat4 uWorldViewProj;
uniform vec3 uToLight[3];
uniform vec3 uLightDiffuse[3];
uniform vec3 uLightSpecular[3];
uniform vec3 uLightAmbient[3];
uniform vec4 uMaterial[4];  // diffuse, ambient, specular, emissive
uniform float uPower;
out vec3 vDiffuse;
out vec3 vSpecular;
out vec3 vReflect;
void main() {
  vec4 position = vec4(aPosition, 1.0);
  vec3 P = (uWorldView * position).xyz;
  vec3 N = normalize(mat3(uWorldView) * aNormal);
  vec3 E = -normalize(P);
  vec3 ambient = vec3(0.0), diffuse = vec3(0.0), specular = vec3(0.0);
  for (int i = 0; i < 3; ++i) {
    float NdotL = dot(N, uToLight[i]);
    float NdotH = dot(N, normalize(uToLight[i] + E));
    ambient += uLightAmbient[i];
    diffuse += uLightDiffuse[i] * max(NdotL, 0.0);
    if (NdotL > 0.0 && NdotH > 0.0) specular += uLightSpecular[i] * pow(NdotH, uPower);
  }
  vDiffuse = clamp(uMaterial[3].rgb + uMaterial[1].rgb * ambient + uMaterial[0].rgb * diffuse, 0.0, 1.0);
  vSpecular = clamp(uMaterial[2].rgb * specular, 0.0, 1.0);
  vReflect = reflect(normalize(P), N);
  vec4 clip = uWorldViewProj * position;
  clip.z = 2.0 * clip.z - clip.w;
  clip.xy += vec2(1.0 / 1280.0, -1.0 / 720.0) * clip.w;
  gl_Position = clip;
}
)";

const char kFloorFragment[] = R"(#version 330 core
in vec3 vDiffuse;
in vec3 vSpecular;
in vec3 vReflect;
uniform vec4 uTint;
uniform samplerCube uCube;
out vec4 fragColour;
void main() {
  vec3 c = clamp(2.0 * uTint.rgb * vDiffuse * texture(uCube, vReflect).rgb, 0.0, 1.0);
  fragColour = vec4(min(c + vSpecular, vec3(1.0)), 1.0);
}
)";

GLuint Shader(GLenum eType, const char* pszSource) {
  const GLuint iShader = glCreateShader(eType);
  glShaderSource(iShader, 1, &pszSource, nullptr);
  glCompileShader(iShader);
  return iShader;
}

struct FloorMesh {
  GLuint iVertexArray = 0;
  GLsizei iIndexCount = 0;
};

// Copies the engine's buffers of one slot (read back through Lock) into plain GL buffers.
FloorMesh CopySlot(int iSlot) {
  const PartRecord& Part = MeshParts[Models[iSlot].iFirstPart];
  void* pData = nullptr;
  FloorMesh Mesh;
  glGenVertexArrays(1, &Mesh.iVertexArray);
  glBindVertexArray(Mesh.iVertexArray);
  GLuint Buffers[2];
  glGenBuffers(2, Buffers);
  glBindBuffer(GL_ARRAY_BUFFER, Buffers[0]);
  VertexBuffers[iSlot]->Lock(0, 0, &pData, D3DLOCK_READONLY);
  glBufferData(GL_ARRAY_BUFFER, Part.iNumVertices * 32, pData, GL_STATIC_DRAW);
  VertexBuffers[iSlot]->Unlock();
  glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Buffers[1]);
  IndexBuffers[iSlot]->Lock(0, 0, &pData, D3DLOCK_READONLY);
  glBufferData(GL_ELEMENT_ARRAY_BUFFER, Part.iNumIndices * 2, pData, GL_STATIC_DRAW);
  IndexBuffers[iSlot]->Unlock();
  glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, 32, nullptr);
  glVertexAttribPointer(1, 3, GL_FLOAT, GL_FALSE, 32, reinterpret_cast<const void*>(12));
  glEnableVertexAttribArray(0);
  glEnableVertexAttribArray(1);
  Mesh.iIndexCount = Part.iNumIndices / 3 * 3;
  return Mesh;
}

class Floor {
 public:
  Floor(HWND hWindow, int iSamples);
  ~Floor();
  void Frame(int iFrame);

 private:
  SDL_Window* pWindow;
  SDL_GLContext pContext;
  int iSamples;
  GLuint iDraw = 0, iResolve = 0;
  GLint iWorldView = -1, iWorldViewProj = -1, iTint = -1;
  FloorMesh Meshes[3];
  D3DXMATRIX matFrameView = View();
  ID3DXMatrixStack* pStack = nullptr;
};

Floor::Floor(HWND hWindow, int iSamples) : pWindow(Win32GetSdlWindow(hWindow)), iSamples(iSamples) {
  // The same cube map, top level only, read before this context is current
  // (the device's resources work in the device's context).
  std::vector<unsigned char> Faces[6];
  int iEdge = 0;
  for (UINT iFace = 0; iFace < 6 && pCubeTexture != nullptr; ++iFace) {
    D3DLOCKED_RECT Locked;
    pCubeTexture->LockRect(static_cast<D3DCUBEMAP_FACES>(iFace), 0, &Locked, nullptr, D3DLOCK_READONLY);
    iEdge = Locked.Pitch / 4;
    const auto* pBytes = static_cast<const unsigned char*>(Locked.pBits);
    Faces[iFace].assign(pBytes, pBytes + static_cast<size_t>(Locked.Pitch) * iEdge);
    pCubeTexture->UnlockRect(static_cast<D3DCUBEMAP_FACES>(iFace), 0);
  }
  pContext = SDL_GL_CreateContext(pWindow);
  SDL_GL_MakeCurrent(pWindow, pContext);
  SDL_GL_SetSwapInterval(0);

  const GLuint iProgram = glCreateProgram();
  glAttachShader(iProgram, Shader(GL_VERTEX_SHADER, kFloorVertex));
  glAttachShader(iProgram, Shader(GL_FRAGMENT_SHADER, kFloorFragment));
  glLinkProgram(iProgram);
  glUseProgram(iProgram);
  float ToLight[9], Diffuse[9], Specular[9], Ambient[9];
  for (int i = 0; i < 3; ++i) {
    const D3DLIGHT9& L = kLightRecords[i];
    const D3DVECTOR d = L.Direction;
    float x = d.x * matFrameView._11 + d.y * matFrameView._21 + d.z * matFrameView._31;
    float y = d.x * matFrameView._12 + d.y * matFrameView._22 + d.z * matFrameView._32;
    float z = d.x * matFrameView._13 + d.y * matFrameView._23 + d.z * matFrameView._33;
    const float fLength = std::sqrt(x * x + y * y + z * z);
    ToLight[3 * i] = -x / fLength, ToLight[3 * i + 1] = -y / fLength, ToLight[3 * i + 2] = -z / fLength;
    Diffuse[3 * i] = L.Diffuse.r, Diffuse[3 * i + 1] = L.Diffuse.g, Diffuse[3 * i + 2] = L.Diffuse.b;
    Specular[3 * i] = L.Specular.r, Specular[3 * i + 1] = L.Specular.g, Specular[3 * i + 2] = L.Specular.b;
    Ambient[3 * i] = L.Ambient.r, Ambient[3 * i + 1] = L.Ambient.g, Ambient[3 * i + 2] = L.Ambient.b;
  }
  glUniform3fv(glGetUniformLocation(iProgram, "uToLight"), 3, ToLight);
  glUniform3fv(glGetUniformLocation(iProgram, "uLightDiffuse"), 3, Diffuse);
  glUniform3fv(glGetUniformLocation(iProgram, "uLightSpecular"), 3, Specular);
  glUniform3fv(glGetUniformLocation(iProgram, "uLightAmbient"), 3, Ambient);
  glUniform4fv(glGetUniformLocation(iProgram, "uMaterial"), 4, &kMaterials[0].Diffuse.r);
  glUniform1f(glGetUniformLocation(iProgram, "uPower"), kMaterials[0].Power);
  glUniform1i(glGetUniformLocation(iProgram, "uCube"), 0);
  iWorldView = glGetUniformLocation(iProgram, "uWorldView");
  iWorldViewProj = glGetUniformLocation(iProgram, "uWorldViewProj");
  iTint = glGetUniformLocation(iProgram, "uTint");

  // Point sampled, as the device's stage 1.
  GLuint iCube = 0;
  glGenTextures(1, &iCube);
  glBindTexture(GL_TEXTURE_CUBE_MAP, iCube);
  for (UINT iFace = 0; iFace < 6 && iEdge > 0; ++iFace) {
    glTexImage2D(GL_TEXTURE_CUBE_MAP_POSITIVE_X + iFace, 0, GL_RGBA8, iEdge, iEdge, 0, GL_BGRA,
                 GL_UNSIGNED_INT_8_8_8_8_REV, Faces[iFace].data());
  }
  glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_CUBE_MAP, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  for (int i = 0; i < 3; ++i) Meshes[i] = CopySlot(i);

  // Offscreen 1280x720 target (multisampled or not) and a resolve target.
  auto Target = [](int iTargetSamples, bool bDepth) {
    GLuint iFramebuffer = 0, Renderbuffers[2];
    glGenFramebuffers(1, &iFramebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, iFramebuffer);
    glGenRenderbuffers(2, Renderbuffers);
    glBindRenderbuffer(GL_RENDERBUFFER, Renderbuffers[0]);
    glRenderbufferStorageMultisample(GL_RENDERBUFFER, iTargetSamples, GL_RGB8, 1280, 720);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, Renderbuffers[0]);
    if (bDepth) {
      glBindRenderbuffer(GL_RENDERBUFFER, Renderbuffers[1]);
      glRenderbufferStorageMultisample(GL_RENDERBUFFER, iTargetSamples, GL_DEPTH24_STENCIL8, 1280, 720);
      glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, Renderbuffers[1]);
    }
    return iFramebuffer;
  };
  iResolve = iSamples > 0 ? Target(0, false) : 0;
  iDraw = Target(iSamples, true);
  glViewport(0, 0, 1280, 720);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glEnable(GL_CULL_FACE);
  glFrontFace(GL_CW);
  glClearColor(0x8C / 255.0f, 0xAA / 255.0f, 0xC6 / 255.0f, 1.0f);
  D3DXCreateMatrixStack(0, &pStack);
}

Floor::~Floor() {
  pStack->Release();
  SDL_GL_MakeCurrent(pWindow, nullptr);
  SDL_GL_DeleteContext(pContext);
}

void Floor::Frame(int iFrame) {
  SDL_GL_MakeCurrent(pWindow, pContext);
  glBindFramebuffer(GL_FRAMEBUFFER, iDraw);
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  for (const Placement& P : Placements(iFrame)) {
    pStack->LoadIdentity();
    pStack->TranslateLocal(P.vecPosition.x, P.vecPosition.y, P.vecPosition.z);
    pStack->RotateYawPitchRollLocal(P.vecRotation.x, P.vecRotation.y, P.vecRotation.z);
    pStack->ScaleLocal(P.fScale, P.fScale, P.fScale);
    D3DXMATRIX matWorldView, matWorldViewProj;
    D3DXMatrixMultiply(&matWorldView, pStack->GetTop(), &matFrameView);
    D3DXMatrixMultiply(&matWorldViewProj, &matWorldView, &matProjection);
    glUniformMatrix4fv(iWorldView, 1, GL_FALSE, &matWorldView._11);
    glUniformMatrix4fv(iWorldViewProj, 1, GL_FALSE, &matWorldViewProj._11);
    glUniform4f(iTint, ((P.dwColour >> 16) & 0xFF) / 255.0f, ((P.dwColour >> 8) & 0xFF) / 255.0f,
                (P.dwColour & 0xFF) / 255.0f, 1.0f);
    glBindVertexArray(Meshes[P.iSlot].iVertexArray);
    glDrawElements(GL_TRIANGLES, Meshes[P.iSlot].iIndexCount, GL_UNSIGNED_SHORT, nullptr);
  }
  GLuint iSource = iDraw;
  if (iSamples > 0) {
    glBindFramebuffer(GL_READ_FRAMEBUFFER, iDraw);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, iResolve);
    glBlitFramebuffer(0, 0, 1280, 720, 0, 0, 1280, 720, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    iSource = iResolve;
  }
  int iWindowWidth = 0, iWindowHeight = 0;
  SDL_GL_GetDrawableSize(pWindow, &iWindowWidth, &iWindowHeight);
  glBindFramebuffer(GL_READ_FRAMEBUFFER, iSource);
  glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glBlitFramebuffer(0, 0, 1280, 720, 0, 0, iWindowWidth, iWindowHeight, GL_COLOR_BUFFER_BIT, GL_LINEAR);
  SDL_GL_SwapWindow(pWindow);
}

// Device and floor frames alternate, so both see the same load on the machine.
void Measure(HWND hWindow, D3DMULTISAMPLE_TYPE eSamples, const char* pszPng) {
  SetUpDevice(hWindow, eSamples);
  Floor Plain(hWindow, static_cast<int>(eSamples));
  const D3DXMATRIX matFrameView = View();
  std::vector<double> DeviceTimes, FloorTimes;
  uint64_t iCalls = 0;
  for (int iFrame = 0; iFrame < kWarmFrames + kFrames; ++iFrame) {
    const uint64_t iCallsBefore = D3D9GlCallCount(pDevice);
    Clock::time_point tStart = Clock::now();
    DeviceFrame(iFrame, matFrameView);
    glFinish();
    const double fDevice = std::chrono::duration<double, std::milli>(Clock::now() - tStart).count();
    const uint64_t iFrameCalls = D3D9GlCallCount(pDevice) - iCallsBefore;
    tStart = Clock::now();
    Plain.Frame(iFrame);
    glFinish();
    const double fFloor = std::chrono::duration<double, std::milli>(Clock::now() - tStart).count();
    if (iFrame < kWarmFrames) continue;
    DeviceTimes.push_back(fDevice);
    FloorTimes.push_back(fFloor);
    iCalls += iFrameCalls;
  }
  if (pszPng != nullptr) {
    std::vector<unsigned char> Pixels;
    int iWidth = 0, iHeight = 0;
    if (D3D9ReadBackBuffer(pDevice, Pixels, iWidth, iHeight)) WriteRgbaPng(pszPng, Pixels, iWidth, iHeight);
  }
  const char* pszLabel = eSamples == D3DMULTISAMPLE_NONE ? "no MSAA" : "4x MSAA";
  const Figures Device = Summarise(DeviceTimes, static_cast<double>(iCalls) / (static_cast<double>(kFrames) * kDraws));
  // The floor's calls per draw: two matrices, the tint, the vertex array and the draw.
  const Figures Base = Summarise(FloorTimes, 5.0);
  std::printf("device, %-18s %10.2f %10.2f %14.2f\n", pszLabel, Device.fMedian, Device.fP99, Device.fCallsPerDraw);
  std::printf("floor (plain GL), %-8s %10.2f %10.2f %14.2f\n", pszLabel, Base.fMedian, Base.fP99, Base.fCallsPerDraw);
  std::printf("device / floor, %-10s %10.2f %10.2f\n", pszLabel, Device.fMedian / Base.fMedian, Device.fP99 / Base.fP99);
}

}  // namespace

int main(int argc, char** argv) {
  const std::string strData = argc > 1 ? argv[1] : std::string(VIMRA_SOURCE_DIR) + "/data";
  const char* pszPng = argc > 2 ? argv[2] : nullptr;
  if (chdir(strData.c_str()) != 0) {
    std::fprintf(stderr, "cannot enter %s\n", strData.c_str());
    return 1;
  }
  const HWND hWindow = CreateWindowExA(0, "STATIC", "Vimra frame cost", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 720, nullptr,
                                       nullptr, nullptr, nullptr);
  pD3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (hWindow == nullptr || pD3D == nullptr) {
    std::fprintf(stderr, "no GL-capable display\n");
    return 1;
  }
  std::printf("%d draws of the demo's models at 1280x720, %d frames after %d warm-up, glFinish per frame\n", kDraws,
              kFrames, kWarmFrames);
  std::printf("%-26s %10s %10s %14s\n", "", "median ms", "p99 ms", "GL calls/draw");
  Measure(hWindow, D3DMULTISAMPLE_NONE, pszPng);
  Measure(hWindow, D3DMULTISAMPLE_4_SAMPLES, nullptr);
  return 0;
}

#include "host/run_demo.h"

#include "host/data_files.h"
#include "host/demo_clock.h"
#include "host/frame_stats.h"
#include "host/grid_indices.h"
#include "host/music.h"
#include "core/globals.h"
#include "host/timeline.h"
#include "mesh/mesh_store.h"
#include "meshfile/mesh_file_loader.h"
#include "render/lights.h"
#include "core/records.h"

namespace {

[[noreturn]] void FailStartUp() {
  MessageBoxA(nullptr, "D3D not initialized!", "fatal Error", MB_OK);
  ExitProcess(static_cast<UINT>(-1));
}

// Five attempts, each only while the device is still missing; success is
// judged by the pointer, not the result code.
void CreateDevice() {
  struct Attempt {
    bool bSetMultiSample;
    D3DMULTISAMPLE_TYPE MultiSample;
    DWORD dwBehaviour;
  };
  const Attempt Attempts[5] = {
      {false, D3DMULTISAMPLE_4_SAMPLES, D3DCREATE_HARDWARE_VERTEXPROCESSING},
      {true, D3DMULTISAMPLE_NONE, D3DCREATE_HARDWARE_VERTEXPROCESSING},
      {true, D3DMULTISAMPLE_NONE, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
      {true, D3DMULTISAMPLE_4_SAMPLES, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
      {true, D3DMULTISAMPLE_NONE, D3DCREATE_SOFTWARE_VERTEXPROCESSING},
  };
  for (const Attempt& attempt : Attempts) {
    if (pDevice != nullptr) break;
    if (attempt.bSetMultiSample) PresentParams.MultiSampleType = attempt.MultiSample;
    pD3D->CreateDevice(D3DADAPTER_DEFAULT, D3DDEVTYPE_HAL, PresentParams.hDeviceWindow, attempt.dwBehaviour,
                       &PresentParams, &pDevice);
  }
  if (pDevice == nullptr) FailStartUp();
}

}  // namespace

void StartUp() {
  PresentParams.hDeviceWindow = CreateWindowExA(0, "STATIC", "Vimra", WS_OVERLAPPEDWINDOW, 0, 0, 1280, 720, nullptr,
                                                nullptr, nullptr, nullptr);
  ShowCursor(FALSE);
  pD3D = Direct3DCreate9(D3D_SDK_VERSION);
  if (pD3D == nullptr) FailStartUp();
  PresentParams.Windowed = TRUE;
  ShowWindow(PresentParams.hDeviceWindow, SW_SHOWNORMAL);
  CreateDevice();
  LoadDemoResources();
}

void LoadDemoResources() {
  CreateMatrixStack();
  LoadEnvironmentMap(kDataFileNames[kCubeMapFile]);
  LoadMeshFile(kDataFileNames[kCubeMeshFile], 0);
  LoadMeshFile(kDataFileNames[kCylinderMeshFile], 1);
  LoadMeshFile(kDataFileNames[kIsoMeshFile], 2);
  pDevice->SetSamplerState(0, D3DSAMP_MAGFILTER, D3DTEXF_LINEAR);
  pDevice->SetSamplerState(0, D3DSAMP_MINFILTER, D3DTEXF_LINEAR);
  pDevice->SetTransform(D3DTS_PROJECTION, &matProjection);
  D3DXCreateMatrixStack(0, &DrawMatrixStack);
  BuildGridIndices();
}

void SetFrameState() {
  pDevice->SetRenderState(D3DRS_ZENABLE, D3DZB_TRUE);
  pDevice->SetMaterial(&kMaterials[0]);
  pDevice->SetFVF(D3DFVF_XYZ | D3DFVF_NORMAL | D3DFVF_TEX1);
  pDevice->SetRenderState(D3DRS_LIGHTING, TRUE);
  pDevice->SetRenderState(D3DRS_SPECULARENABLE, TRUE);
  pDevice->SetRenderState(D3DRS_DIFFUSEMATERIALSOURCE, D3DMCS_MATERIAL);
  pDevice->SetRenderState(D3DRS_SPECULARMATERIALSOURCE, D3DMCS_MATERIAL);
  pDevice->SetRenderState(D3DRS_AMBIENTMATERIALSOURCE, D3DMCS_MATERIAL);
  pDevice->SetRenderState(D3DRS_NORMALIZENORMALS, TRUE);
  pDevice->SetTextureStageState(0, D3DTSS_COLORARG1, D3DTA_TFACTOR);

  for (int i = 0; i < kLightCount; ++i) pDevice->SetLight(i, &kLightRecords[i]);
  for (int i = 0; i < kLightCount; ++i) pDevice->LightEnable(i, TRUE);

  pDevice->SetRenderState(D3DRS_SHADEMODE, D3DSHADE_GOURAUD);
  pDevice->SetRenderState(D3DRS_CULLMODE, D3DCULL_CCW);
  pDevice->SetRenderState(D3DRS_TEXTUREFACTOR, 0xFF040480);
  pDevice->SetIndices(pGridIndices);
}

void DrawFrame() {
  pDevice->Clear(0, nullptr, D3DCLEAR_TARGET | D3DCLEAR_ZBUFFER, 0xFF8CAAC6, 1.0f, 0);
  pDevice->BeginScene();
  SetFrameState();
  DrawScene(fTime);
}

void RunDemo() {
  StartUp();

  SoundSystem FMod;
  StartMusic(FMod);

  // Demo time 0 is the moment the music started.
  StartClock();
  StartFrameStats();
  MSG msg;
  for (;;) {
    AdvanceClock();
    DrawFrame();
    // The frame that passes the end is drawn but not presented.
    if (fTime > kDemoEnd) break;
    pDevice->EndScene();
    pDevice->Present(nullptr, nullptr, nullptr, nullptr);
    NoteFramePresented();
    if (GetAsyncKeyState(VK_ESCAPE) != 0) {
      ReportFrameStats();
      ExitProcess(0);
    }
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE) != 0) DispatchMessageA(&msg);
    ReadSpeedKeys();
  }
  ReportFrameStats();
}

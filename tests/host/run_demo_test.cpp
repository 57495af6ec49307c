// The whole run on a scripted Direct3D, timer and keyboard: the device
// attempt chain, the fatal path, the start-up and per-frame call order, and
// the two ways out.
#include <gtest/gtest.h>

#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "d3d9_seams.h"
#include "host/demo_clock.h"
#include "core/globals.h"
#include "host/run_demo.h"
#include "mesh/mesh_store.h"
#include "recording_device.h"
#include "core/records.h"
#include "win32_seams.h"

namespace {

struct ProcessExit {
  UINT uCode;
};

class RunDemoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // A working directory with one tiny mesh file and nothing else.
    Folder = std::filesystem::temp_directory_path() / ("vimra-run-" + std::to_string(::getpid()));
    std::filesystem::create_directories(Folder);
    std::ofstream(Folder / "cubedef.obj") << "v 0 0 0\nv 1 0 0\nv 0 1 0\nf 1 2 3\n";
    OldFolder = std::filesystem::current_path();
    std::filesystem::current_path(Folder);

    pD3D = nullptr;
    pDevice = nullptr;
    dwDemoTime = 0;
    PresentParams.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    Win32SetExitHandler([](UINT uCode) { throw ProcessExit{uCode}; });
    Win32SetMessageBoxHandler([this](const std::string& strText, const std::string& strCaption) {
      strBox = strCaption + ": " + strText;
      return IDOK;
    });
    Win32SetTimeSource([this] { return dwNow += dwStepPerRead; });
    Win32SetKeySource([this](int iKey) -> SHORT { return fnKeys ? fnKeys(iKey) : 0; });
    D3D9SetCreateOverride([this](UINT) -> IDirect3D9* {
      if (!bHaveDirect3D) return nullptr;
      pRecordingD3D = new RecordingDirect3D(fnAccept);
      pRecordingD3D->bRecordNewDevices = bRecordNewDevices;
      return pRecordingD3D;
    });
  }

  void TearDown() override {
    Win32ResetSeams();
    D3D9SetCreateOverride(nullptr);
    std::filesystem::current_path(OldFolder);
    std::filesystem::remove_all(Folder);
    ForgetRun();
  }

  // Drops the device of the last run and everything that pointed into it;
  // the run itself keeps all of it until the process ends.
  void ForgetRun() {
    if (MatrixStack != nullptr) MatrixStack->Release();
    if (DrawMatrixStack != nullptr) DrawMatrixStack->Release();
    MatrixStack = nullptr;
    DrawMatrixStack = nullptr;
    if (pRecordingD3D != nullptr) delete pRecordingD3D->pLastDevice;
    delete pRecordingD3D;
    pRecordingD3D = nullptr;
    for (ModelRecord& model : Models) model = ModelRecord{};
    for (int i = 0; i < kMaxParts; ++i) {
      MeshParts[i] = PartRecord{};
      IndexBuffers[i] = nullptr;
      VertexBuffers[i] = nullptr;
    }
    pDevice = nullptr;
    pD3D = nullptr;
    dwDemoTime = 0;
  }

  // Runs the demo; the exit code it ended with, or -2 when RunDemo returned.
  int64_t Run() {
    try {
      RunDemo();
      return -2;
    } catch (const ProcessExit& exit) {
      return exit.uCode;
    }
  }

  RecordingDevice& Device() { return *pRecordingD3D->pLastDevice; }

  std::filesystem::path Folder, OldFolder;
  bool bHaveDirect3D = true;
  bool bRecordNewDevices = true;
  std::function<bool(DWORD, const D3DPRESENT_PARAMETERS&)> fnAccept = [](DWORD dwFlags, const D3DPRESENT_PARAMETERS&) {
    return dwFlags == D3DCREATE_SOFTWARE_VERTEXPROCESSING;
  };
  std::function<SHORT(int)> fnKeys;
  RecordingDirect3D* pRecordingD3D = nullptr;
  std::string strBox;
  DWORD dwNow = 5000;
  DWORD dwStepPerRead = 10;
};

TEST_F(RunDemoTest, DeviceAttemptsFollowTheFallbackChain) {
  const struct {
    const char* pszName;
    std::function<bool(DWORD, const D3DPRESENT_PARAMETERS&)> fnAccept;
    std::vector<std::string> Attempts;
    D3DMULTISAMPLE_TYPE FinalMultiSample;
  } Cases[] = {
      {"hardware with multisampling", [](DWORD, const D3DPRESENT_PARAMETERS&) { return true; },
       {"CreateDevice(0,1,64,ms=4)"}, D3DMULTISAMPLE_4_SAMPLES},
      {"hardware without multisampling",
       [](DWORD dwFlags, const D3DPRESENT_PARAMETERS& params) {
         return dwFlags == D3DCREATE_HARDWARE_VERTEXPROCESSING && params.MultiSampleType == D3DMULTISAMPLE_NONE;
       },
       {"CreateDevice(0,1,64,ms=4)", "CreateDevice(0,1,64,ms=0)"}, D3DMULTISAMPLE_NONE},
      {"software only (no GPU)",
       [](DWORD dwFlags, const D3DPRESENT_PARAMETERS&) { return dwFlags == D3DCREATE_SOFTWARE_VERTEXPROCESSING; },
       {"CreateDevice(0,1,64,ms=4)", "CreateDevice(0,1,64,ms=0)", "CreateDevice(0,1,32,ms=0)"}, D3DMULTISAMPLE_NONE},
      {"software with multisampling only",
       [](DWORD dwFlags, const D3DPRESENT_PARAMETERS& params) {
         return dwFlags == D3DCREATE_SOFTWARE_VERTEXPROCESSING && params.MultiSampleType == D3DMULTISAMPLE_4_SAMPLES;
       },
       {"CreateDevice(0,1,64,ms=4)", "CreateDevice(0,1,64,ms=0)", "CreateDevice(0,1,32,ms=0)",
        "CreateDevice(0,1,32,ms=4)"},
       D3DMULTISAMPLE_4_SAMPLES},
  };
  for (const auto& c : Cases) {
    fnAccept = c.fnAccept;
    PresentParams.MultiSampleType = D3DMULTISAMPLE_4_SAMPLES;
    fnKeys = [](int iKey) -> SHORT { return iKey == VK_ESCAPE ? 1 : 0; };
    EXPECT_EQ(Run(), 0) << c.pszName;
    EXPECT_EQ(pRecordingD3D->Attempts, c.Attempts) << c.pszName;
    EXPECT_EQ(PresentParams.MultiSampleType, c.FinalMultiSample) << c.pszName;
    EXPECT_EQ(pDevice, pRecordingD3D->pLastDevice);
    ForgetRun();
  }
}

TEST_F(RunDemoTest, NoDeviceShowsTheFatalMessageAndExitsMinusOne) {
  fnAccept = [](DWORD, const D3DPRESENT_PARAMETERS&) { return false; };
  EXPECT_EQ(Run(), 0xFFFFFFFFu);
  EXPECT_EQ(strBox, "fatal Error: D3D not initialized!");
  EXPECT_EQ(pRecordingD3D->Attempts.size(), 5u);
  EXPECT_EQ(pRecordingD3D->Attempts[4], "CreateDevice(0,1,32,ms=0)");
}

TEST_F(RunDemoTest, NoDirect3DShowsTheFatalMessageBeforeAnyAttempt) {
  bHaveDirect3D = false;
  EXPECT_EQ(Run(), 0xFFFFFFFFu);
  EXPECT_EQ(strBox, "fatal Error: D3D not initialized!");
  EXPECT_EQ(pRecordingD3D, nullptr);
}

TEST_F(RunDemoTest, StartUpThenFramesInTheDesignedOrder) {
  int iFrame = 0;
  fnKeys = [&](int iKey) -> SHORT { return iKey == VK_ESCAPE && ++iFrame == 2 ? 1 : 0; };
  EXPECT_EQ(Run(), 0);
  const std::vector<std::string> Texts = Device().Texts();
  auto Find = [&](const std::string& strText, size_t iFrom = 0) {
    for (size_t i = iFrom; i < Texts.size(); ++i) {
      if (Texts[i].rfind(strText, 0) == 0) return i;
    }
    return Texts.size();
  };
  // Start-up: the one mesh file becomes slot 0, then sampler, projection, grid.
  const size_t iMesh = Find("CreateIndexBuffer(6,8,101,1,0)");
  const size_t iSampler = Find("SetSamplerState(0,MAGFILTER,2)");
  ASSERT_LT(iMesh, Texts.size());
  EXPECT_LT(iMesh, iSampler);
  EXPECT_EQ(Texts[iSampler + 1], "SetSamplerState(0,MINFILTER,2)");
  EXPECT_EQ(Texts[iSampler + 2], "SetTransform(PROJECTION,[3.6,0,0,0,0,6.4,0,0,0,0,1.001,1,0,0,-1.001,0])");
  EXPECT_EQ(Texts[iSampler + 3], "CreateIndexBuffer(27648,8,101,1,0)");
  EXPECT_EQ(Models[0].iPartCount, 1);
  EXPECT_EQ(Models[1].iPartCount, 0);

  // The first frame, up to the view.
  const size_t iClear = Find("Clear(");
  const std::vector<std::string> Frame(Texts.begin() + iClear, Texts.begin() + iClear + 25);
  const std::vector<std::string> Expected = {
      "Clear(0,3,0xFF8CAAC6,1,0)", "BeginScene()", "SetRenderState(ZENABLE,1)",
      "SetMaterial((1,1,1,1),(1,1,1,1),(1,1,1,0),(0,0,0,0),20)", "SetFVF(274)", "SetRenderState(LIGHTING,1)",
      "SetRenderState(SPECULARENABLE,1)", "SetRenderState(DIFFUSEMATERIALSOURCE,0)", "SetRenderState(SPECULARMATERIALSOURCE,0)", "SetRenderState(AMBIENTMATERIALSOURCE,0)",
      "SetRenderState(NORMALIZENORMALS,1)", "SetTextureStageState(0,COLORARG1,3)",
      "SetLight(0,3,(0.7,0.7,0.5,0),(1,1,0.9,0),(0.4,0.4,0.4,0),(-0.707,0,0.707))",
      "SetLight(1,3,(0.7,0.7,0.5,0),(0.8,0.8,0.75,0),(0.1,0.1,0.1,0),(-0.5,-0.707,-0.5))",
      "SetLight(2,3,(0.1,0.05,0.3,0),(0.35,0.35,0.8,0),(0,0,0,0),(0,0.9798,0.4))", "LightEnable(0,1)",
      "LightEnable(1,1)", "LightEnable(2,1)", "SetRenderState(SHADEMODE,2)", "SetRenderState(CULLMODE,3)",
      "SetRenderState(TEXTUREFACTOR,4278453376)", "SetIndices(IB2)"};
  for (size_t i = 0; i < Expected.size(); ++i) EXPECT_EQ(Frame[i], Expected[i]) << i;
  EXPECT_EQ(Frame[Expected.size()].rfind("SetTransform(VIEW,", 0), 0u);

  // Slot 0 is drawn 48 times a frame (the empty slot 1 not at all), then the
  // frame is ended and presented; Escape after the second frame's Present.
  const size_t iEnd = Find("EndScene()", iClear);
  int iDraws = 0;
  for (size_t i = iClear; i < iEnd; ++i) iDraws += Texts[i].rfind("DrawIndexedPrimitive(4,0,0,3,0,1)", 0) == 0;
  EXPECT_EQ(iDraws, 48);
  EXPECT_EQ(Texts[iEnd + 1], "Present(0,0,0,0)");
  EXPECT_EQ(std::count(Texts.begin(), Texts.end(), "Present(0,0,0,0)"), 2);
  EXPECT_EQ(Texts.back(), "Present(0,0,0,0)");
}

TEST_F(RunDemoTest, EndsByItselfWithoutPresentingTheLastFrame) {
  bRecordNewDevices = false;
  EXPECT_EQ(Run(), -2);
  // 10 ms a frame at speed 1 lands on the end exactly; the frames at 10 to
  // 85070 ms are presented, the one at 85080 ms is drawn only.
  EXPECT_EQ(dwDemoTime, 85080u);
  EXPECT_EQ(Device().CallCounts["Present"], 8507u);
  EXPECT_EQ(Device().CallCounts["Clear"], 8508u);
  EXPECT_EQ(Device().CallCounts["EndScene"], 8507u);
}

TEST_F(RunDemoTest, HoldingF2RacesThroughTheDemo) {
  fnKeys = [](int iKey) -> SHORT { return iKey == VK_F2 ? static_cast<SHORT>(0x8000) : 0; };
  EXPECT_EQ(Run(), -2);
  const uint64_t iPresented = Device().CallCounts["Present"];
  EXPECT_EQ(iSpeed, static_cast<int>(1 + 2 * iPresented));
  EXPECT_LT(iPresented, 100u);
  EXPECT_GT(fTime, 20.5f);
}

}  // namespace

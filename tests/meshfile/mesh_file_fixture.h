// Writes a mesh file to a temporary path and loads it into a slot, with the
// recording device as pDevice.
#pragma once

#include <array>
#include <fstream>
#include <string>
#include <vector>

#include "mesh/mesh_tables.h"
#include "meshfile/mesh_file_loader.h"
#include "engine_fixture.h"

using Triangle = std::array<int, 3>;

class MeshFileFixture : public EngineFixture {
 protected:
  static constexpr int kSlot = 9;

  static std::string WriteMeshFile(const std::string& strText, const std::string& strName = "mesh.obj") {
    // Named after the test: ctest may run other tests of this program at the same time.
    const ::testing::TestInfo* pTest = ::testing::UnitTest::GetInstance()->current_test_info();
    const std::string strPath =
        ::testing::TempDir() + pTest->test_suite_name() + "_" + pTest->name() + "_" + strName;
    std::ofstream(strPath, std::ios::binary) << strText;
    return strPath;
  }

  static void Load(const std::string& strText, int iSlot = kSlot) { LoadMeshFile(WriteMeshFile(strText), iSlot); }

  static std::vector<Triangle> LoadedTriangleList() {
    std::vector<Triangle> Out;
    for (int t = 0; t < iLoadedTriangleCount; ++t)
      Out.push_back({LoadedTriangles[t][0], LoadedTriangles[t][1], LoadedTriangles[t][2]});
    return Out;
  }
};

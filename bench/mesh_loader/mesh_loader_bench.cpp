// Mesh-file loader throughput on a large valid file: a 300 x 200 vertex grid
// with a normal per vertex and one triangle per cell (60000 vertices, 59501
// faces). Prints MB/s and vertices/s for the whole load (read, parse, build,
// upload to a recording device) and for reading the lines alone.
//
// Usage: bench_mesh_loader [repeats]
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "core/globals.h"
#include "mesh/mesh_store.h"
#include "mesh/mesh_tables.h"
#include "meshfile/mesh_file_loader.h"
#include "meshfile/text_file_reader.h"
#include "recording_device.h"
#include "core/records.h"

namespace {

constexpr int kColumns = 300;
constexpr int kRows = 200;

std::string MakeGridFile() {
  std::string strText;
  char szLine[128];
  for (int r = 0; r < kRows; ++r)
    for (int c = 0; c < kColumns; ++c) {
      const float fX = c * 0.013f - 1.9f, fZ = r * 0.017f - 1.7f;
      const float fY = 0.25f * std::sin(fX * 3.1f) * std::cos(fZ * 2.3f);
      std::snprintf(szLine, sizeof szLine, "v %.6f %.6f %.6f\nvn %.6f %.6f %.6f\n", fX, fY, fZ, -fY, 1.0f, fX * 0.1f);
      strText += szLine;
    }
  for (int r = 0; r + 1 < kRows; ++r)
    for (int c = 0; c + 1 < kColumns; ++c) {
      const int i = r * kColumns + c + 1;
      std::snprintf(szLine, sizeof szLine, "f %d %d %d\n", i, i + kColumns, i + 1);
      strText += szLine;
    }
  return strText;
}

double Seconds(std::chrono::steady_clock::duration d) { return std::chrono::duration<double>(d).count(); }

template <typename Fn>
std::vector<double> Time(int iRepeats, Fn fnRun) {
  std::vector<double> Times;
  for (int i = 0; i < iRepeats; ++i) {
    const auto tStart = std::chrono::steady_clock::now();
    fnRun();
    Times.push_back(Seconds(std::chrono::steady_clock::now() - tStart));
  }
  std::sort(Times.begin(), Times.end());
  return Times;
}

void Report(const char* pszWhat, const std::vector<double>& Times, double fMegabytes) {
  const double fBest = Times.front(), fMedian = Times[Times.size() / 2];
  std::printf("%-28s best %7.2f ms  median %7.2f ms  %7.1f MB/s  %6.2f M vertices/s (best)\n", pszWhat,
              fBest * 1e3, fMedian * 1e3, fMegabytes / fBest, kColumns * kRows / fBest / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
  const int iRepeats = argc > 1 ? std::max(1, std::atoi(argv[1])) : 15;
  const std::string strPath = (std::filesystem::temp_directory_path() / "vimra_bench_grid.obj").string();
  const std::string strText = MakeGridFile();
  std::ofstream(strPath, std::ios::binary) << strText;
  const double fMegabytes = strText.size() / 1e6;

  RecordingDevice Device;
  Device.bRecording = false;
  pDevice = &Device;
  CreateMatrixStack();

  LoadMeshFile(strPath, 0);
  if (iLoadedVertexCount != kColumns * kRows || iLoadedTriangleCount != (kColumns - 1) * (kRows - 1) ||
      MeshParts[0].iNumVertices != kColumns * kRows) {
    std::fprintf(stderr, "unexpected load: %d vertices, %d triangles\n", iLoadedVertexCount, iLoadedTriangleCount);
    return 1;
  }

  std::printf("file: %.2f MB, %d vertices, %d normals, %d triangles, %d repeats, one thread\n", fMegabytes,
              iLoadedVertexCount, iLoadedNormalCount, iLoadedTriangleCount, iRepeats);
  Report("LoadMeshFile (whole load)", Time(iRepeats, [&] { LoadMeshFile(strPath, 0); }), fMegabytes);
  Report("TextFileReader::Load", Time(iRepeats, [&] {
           TextFileReader tfrData;
           tfrData.Load(strPath);
         }),
         fMegabytes);

  IndexBuffers[0]->Release();
  VertexBuffers[0]->Release();
  ReleaseMatrixStack();
  std::filesystem::remove(strPath);
  return 0;
}

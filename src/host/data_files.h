// The demo's data files, by the fixed names it opens them with from its
// working directory. The host hands them to the platform's data lookup; the
// build reads the table in data_files.cpp into the one list (data-files.txt
// in the build folder) that packaging, the build scripts, the page and the
// tests use.
#pragma once

enum DataFileIndex { kCubeMeshFile, kCylinderMeshFile, kIsoMeshFile, kCubeMapFile, kMusicFile, kDataFileCount };

extern const char* const kDataFileNames[kDataFileCount];

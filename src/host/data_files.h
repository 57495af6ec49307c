// The demo's data files, by the fixed names it opens them with from its
// working directory. The host hands them to the platform's data lookup. The
// names are written once, in data_files.txt beside this header, in this
// enumeration's order; the build makes the table from it, and the list that
// packaging, the build scripts, the page and the tests use.
#pragma once

enum DataFileIndex { kCubeMeshFile, kCylinderMeshFile, kIsoMeshFile, kCubeMapFile, kMusicFile, kDataFileCount };

extern const char* const kDataFileNames[kDataFileCount];

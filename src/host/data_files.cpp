#include "host/data_files.h"

// One quoted name a line, in DataFileIndex's order: cmake/data_files.cmake
// reads them from here.
const char* const kDataFileNames[kDataFileCount] = {
    "cubedef.obj",
    "cyldef.obj",
    "isodef.obj",
    "cube.dds",
    "demodemo.mp3",
};

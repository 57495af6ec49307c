// Reads a data file into memory for the platform layers (the cube-map loader,
// the sound library). Only a regular file is read: a directory, FIFO, device
// or socket counts as missing and never blocks. A file larger than the cap, a
// short read or an allocation failure also counts as missing.
#pragma once

#include <cstddef>
#include <vector>

// Largest files the loaders take: far above any real file of their format,
// far below what would exhaust memory.
constexpr size_t kMaxCubeMapFileBytes = size_t{256} << 20;
constexpr size_t kMaxSoundFileBytes = size_t{128} << 20;

// True with the whole content in Bytes; false (Bytes empty) otherwise.
bool ReadWholeFile(const char* pszName, size_t uMaxBytes, std::vector<unsigned char>& Bytes);

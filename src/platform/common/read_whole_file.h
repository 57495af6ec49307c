// Reading data files safely, for every reader of a data file (the mesh files,
// the cube map, the music). Only a regular file is read: a directory, FIFO,
// device or socket counts as missing and is never opened, so it never blocks.
// A file larger than the cap its reader gives, a file that ends before the
// size it had when opened, and an allocation failure also count as missing.
// The reader of each format owns its cap (kMaxMeshFileBytes in the mesh file
// reader, kMaxCubeMapFileBytes in the D3DX subset's DDS reader).
#pragma once

#include <cstddef>
#include <vector>

// A regular file open for reading, no larger than the cap when opened.
class DataFile {
 public:
  DataFile(const char* pszName, size_t uMaxBytes);
  ~DataFile();
  DataFile(const DataFile&) = delete;
  DataFile& operator=(const DataFile&) = delete;

  bool IsOpen() const { return iFd >= 0; }
  // The size the file had when it was opened.
  size_t Size() const { return uSize; }
  // Fills all uCount bytes, or returns false (end of file or a read error).
  bool ReadExactly(void* pBuffer, size_t uCount);

 private:
  int iFd = -1;
  size_t uSize = 0;
};

// True with the whole content in Bytes; false (Bytes empty) otherwise.
bool ReadWholeFile(const char* pszName, size_t uMaxBytes, std::vector<unsigned char>& Bytes);

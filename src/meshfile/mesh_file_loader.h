// Loads a mesh description file into the loaded-mesh stores and builds it
// into a model slot.
//
// Lines are cut at their first space: the keyword before it (tabs trimmed,
// case ignored) is "V" (position), "VN" (normal) or "F" (a fan of 3 to 32
// 1-based vertex indices); every other line is ignored. A missing file
// changes nothing. Bad input is made safe without a message: vertex and normal
// lines beyond the table, face lines whose triangles do not fit, and
// triangles naming a vertex the file does not define are dropped.
#pragma once

#include <string>

void LoadMeshFile(std::string fileName, int slot);

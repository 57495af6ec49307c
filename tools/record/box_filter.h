// Supersampling's filter: each k x k block of a frame rendered k times larger
// becomes one pixel, the rounded mean of the block.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// In: RGBA rows of iOutWidth*k x iOutHeight*k pixels. Out: resized to
// iOutWidth x iOutHeight RGBA pixels.
void BoxDownsample(const std::vector<unsigned char>& In, int iOutWidth, int iOutHeight, int iFactor,
                   std::vector<unsigned char>& Out);

#include "box_filter.h"

void BoxDownsample(const std::vector<unsigned char>& In, int iOutWidth, int iOutHeight, int iFactor,
                   std::vector<unsigned char>& Out) {
  const size_t iOutRow = static_cast<size_t>(iOutWidth) * 4;
  const size_t iInRow = iOutRow * static_cast<size_t>(iFactor);
  const uint32_t iCount = static_cast<uint32_t>(iFactor * iFactor);
  Out.resize(iOutRow * static_cast<size_t>(iOutHeight));
  // Sums of each input column's channels over the k rows of one output row.
  std::vector<uint32_t> ColumnSums(iInRow);
  for (int y = 0; y < iOutHeight; ++y) {
    const unsigned char* pBlock = &In[static_cast<size_t>(y) * static_cast<size_t>(iFactor) * iInRow];
    for (size_t i = 0; i < iInRow; ++i) ColumnSums[i] = pBlock[i];
    for (int r = 1; r < iFactor; ++r) {
      const unsigned char* pRow = pBlock + static_cast<size_t>(r) * iInRow;
      for (size_t i = 0; i < iInRow; ++i) ColumnSums[i] += pRow[i];
    }
    unsigned char* pOut = &Out[static_cast<size_t>(y) * iOutRow];
    for (int x = 0; x < iOutWidth; ++x) {
      const uint32_t* pSums = &ColumnSums[static_cast<size_t>(x) * static_cast<size_t>(iFactor) * 4];
      for (int c = 0; c < 4; ++c) {
        uint32_t iSum = 0;
        for (int k = 0; k < iFactor; ++k) iSum += pSums[k * 4 + c];
        pOut[x * 4 + c] = static_cast<unsigned char>((iSum + iCount / 2) / iCount);
      }
    }
  }
}

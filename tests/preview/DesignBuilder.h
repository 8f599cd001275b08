// Designs built word by word for the renderer and picture tests.
#pragma once

#include "design/EmbData.h"

#include <initializer_list>
#include <utility>

namespace testdesign {

using Word = std::pair<int, int>;
constexpr Word Jump = {0x80, 0x02};
constexpr Word JumpAlt = {0x80, 0x04};
constexpr Word ColorChange = {0x80, 0x01};
constexpr Word Skipped = {0x80, 0x03};
constexpr Word End = {0x80, 0x10};

// Fills a design with the words and nBlocks default colour blocks; validates it unless told not
// to (then the status is set to "starts with a stitch" so that it draws as it stands).
inline bool Build(CEmbData& design, std::initializer_list<Word> words, int nBlocks, bool bValidate = true)
{
    design.Reset();
    if (!design.AllocLayers(nBlocks) || !design.AllocStitchWords(static_cast<int>(words.size())))
        return false;
    int i = 0;
    for (const Word& w : words) {
        design.m_pStitchWords[i].bX = static_cast<BYTE>(w.first);
        design.m_pStitchWords[i].bY = static_cast<BYTE>(w.second);
        ++i;
    }
    if (!bValidate) {
        design.m_nStatus = CEmbData::scStartsWithStitch;
        return true;
    }
    return design.Validate();
}

inline void SetCustom(CEmbData& design, int nBlock, COLORREF cr, BYTE bMarker = 0, int nDirection = 0)
{
    CLayerInfo& block = design.m_pColorBlocks[nBlock];
    block.m_bCustom = 1;
    block.m_customThread.bRed = GetRValue(cr);
    block.m_customThread.bGreen = GetGValue(cr);
    block.m_customThread.bBlue = GetBValue(cr);
    block.m_customThread.bMarker = bMarker;
    block.m_customThread.nMarkDirection = nDirection;
}

} // namespace testdesign

// Designs built word by word for the renderer and picture tests.
#pragma once

#include "design/EmbData.h"

#include <initializer_list>
#include <utility>

namespace testdesign {

using Word = std::pair<int, int>;
constexpr Word Jump = {0x80, 0x02}, JumpAlt = {0x80, 0x04}, ColorChange = {0x80, 0x01}, Skipped = {0x80, 0x03},
               End = {0x80, 0x10};

// Fills a design with the words and nBlocks default colour blocks; validates it unless told not
// to (then the status is set to "starts with a stitch" so that it draws as it stands).
inline bool Build(CEmbData& design, std::initializer_list<Word> words, int nBlocks, bool bValidate = true)
{
    design.Reset();
    if (!design.AllocLayers(nBlocks) || !design.AllocStitchWords(static_cast<int>(words.size())))
        return false;
    STITCHWORD* p = design.m_pStitchWords;
    for (const Word& w : words)
        *p++ = {static_cast<BYTE>(w.first), static_cast<BYTE>(w.second)};
    design.m_nStatus = CEmbData::scStartsWithStitch;
    return !bValidate || design.Validate();
}

inline void SetCustom(CEmbData& design, int nBlock, COLORREF cr, BYTE bMarker = 0, int nDirection = 0)
{
    design.m_pColorBlocks[nBlock].m_bCustom = 1;
    design.m_pColorBlocks[nBlock].m_customThread = {GetRValue(cr), GetGValue(cr), GetBValue(cr), bMarker, nDirection, {}};
}

} // namespace testdesign

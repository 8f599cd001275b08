// CEmbData: a design in memory - its placement (CEmbNode), its stream of 2-byte stitch words and
// one CLayerInfo per colour block.
//
// Stitch word: byte 0 dx, byte 1 dy, signed, 0.1 mm, y upward, relative to the previous needle
// position. Byte 0 == 0x80 makes it a command with code byte 1:
//   0x01 colour change, then one move word     0x02 / 0x04 jump, then one move word
//   0x03 skipped by everything                  0x10 end of design, the last word
// A jump or colour-change move with |dx| or |dy| of 119 is a sewn long stitch.
//
// The renderer and the readers use the fields directly. A design is drawn, measured and checked
// only while its status is positive.
#pragma once

#include "design/EmbNode.h"
#include "design/LayerInfo.h"

#include <cstdint>

struct STITCHWORD {
    BYTE bX;  // dx, or 0x80 for a command
    BYTE bY;  // dy, or the command code

    bool IsCommand() const { return bX == 0x80; }
    BYTE Code() const { return bY; }
    int DX() const { return static_cast<int8_t>(bX); }
    int DY() const { return static_cast<int8_t>(bY); }
};
static_assert(sizeof(STITCHWORD) == 2);

constexpr BYTE STITCH_COMMAND = 0x80;
constexpr BYTE SC_COLOR_CHANGE = 0x01;
constexpr BYTE SC_JUMP = 0x02;
constexpr BYTE SC_SKIPPED = 0x03;
constexpr BYTE SC_JUMP_ALT = 0x04;
constexpr BYTE SC_END = 0x10;
constexpr int LONG_STITCH_MOVE = 119;

class CEmbData : public CEmbNode {
public:
    enum status_code {
        scStartsWithJump = 1,
        scStartsWithStitch = 2,
        scEmpty = 0,
        scColorCountMismatch = -2,
        scEndNotLast = -3,
        scNoEnd = -4,
        scBadMove = -5,
    };

    CEmbData() = default;

    /* 0 */ ~CEmbData() override;
    /* 1 */ CEmbData* GetEmbData() override { return this; }
    /* 14 */ int GetStitchWordCount() const override { return m_nStitchWordCount; }
    /* 15 */ int GetColorBlockCount() const override { return m_nColorBlockCount; }
    /* 22 */ void GetBoundingRect(RECT& rc, int nAngle, BOOL bVertical, BOOL bHorizontal, int nScale) override;
    /* 23 */ void CalcExtents(EMBEXTENTS& ext, int nAngle, BOOL bVertical, BOOL bHorizontal, int nScale) override;
    /* 24 */ void UpdateExtents() override;
    /* 25 */ virtual bool IgnoresScale() { return false; }
    /* 26 */ virtual void* Reserved26() { return nullptr; }
    /* 27 */ virtual bool Reserved27() { return false; }
    /* 28 */ virtual bool Reserved28() { return false; }

    // Walks the stitch stream, records where each colour block starts, rewrites the colour change
    // of an empty block into a jump, and stores the status; true when the design is usable.
    bool Validate();
    // Replaces the colour blocks by nCount default ones; false for a count below 1 or no memory.
    bool AllocLayers(int nCount);
    // Replaces the stitch words by nCount zeroed ones; false for a count below 1 or no memory.
    bool AllocStitchWords(int nCount);
    // True when every block's colour (custom colour when set) is light: red, green, blue >= 221.
    bool IsAllLight() const;
    // Back to the state of a new design: default transform, no blocks, no words, scEmpty.
    void Reset();
    void FreeLayers();
    void FreeStitchWords();

    int32_t m_nColorBlockCount = 0;
    CLayerInfo* m_pColorBlocks = nullptr;   // owned, m_nColorBlockCount entries
    int32_t m_nStitchWordCount = 0;
    STITCHWORD* m_pStitchWords = nullptr;   // owned, m_nStitchWordCount entries
    int32_t m_nStatus = scEmpty;            // a status_code
    int32_t m_nDesignOption = 0;            // from a QPX header; 3 enables the QPX layout entry
};

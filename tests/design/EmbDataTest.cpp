// The design model: validation of the stitch stream, extents under every transform, the
// transform operations, and IsAllLight.
#include "design/EmbData.h"
#include "design/ThreadPalette.h"
#include "tests/design/DesignTestUtil.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <tuple>
#include <vector>

using namespace fixture;
using designtest::LoadWords;

namespace {

Bytes Words(std::initializer_list<int> bytes)
{
    Bytes b;
    for (int v : bytes)
        b.push_back(static_cast<uint8_t>(v));
    return b;
}

} // namespace

// --- Validate ---------------------------------------------------------------------------------

TEST(EmbDataValidate, StatusOfEveryStreamShape)
{
    CEmbData data;
    EXPECT_FALSE(data.Validate());
    EXPECT_EQ(data.m_nStatus, CEmbData::scEmpty);
    ASSERT_TRUE(data.AllocStitchWords(2));
    EXPECT_FALSE(data.Validate());  // words but no blocks
    EXPECT_EQ(data.m_nStatus, CEmbData::scEmpty);

    struct Case { const char* what; Bytes words; int blocks; int status; };
    const Case cases[] = {
        {"jump first", {0x80, 0x04, 5, 5, 1, 1, 0x80, 0x10}, 1, CEmbData::scStartsWithJump},
        {"stitch first", {1, 1, 0x80, 0x10}, 1, CEmbData::scStartsWithStitch},
        {"skipped command first is no jump", {0x80, 0x03, 1, 1, 0x80, 0x10}, 1, CEmbData::scStartsWithStitch},
        {"no end", {1, 1, 2, 2}, 1, CEmbData::scNoEnd},
        {"end not last", {1, 1, 0x80, 0x10, 0, 0}, 1, CEmbData::scEndNotLast},
        {"end in a move's place", {0x80, 0x02, 0x80, 0x10}, 1, CEmbData::scBadMove},
        {"cut after a jump", {1, 1, 0x80, 0x02}, 1, CEmbData::scNoEnd},
        {"more blocks than changes", {1, 1, 0x80, 0x01, 1, 1, 2, 2, 0x80, 0x10}, 3, CEmbData::scColorCountMismatch},
        {"fewer blocks than changes", {1, 1, 0x80, 0x01, 1, 1, 2, 2, 0x80, 0x10}, 1, CEmbData::scColorCountMismatch},
        {"jumps between move and stitch", {0x80, 0x01, 1, 1, 0x80, 0x04, 2, 2, 0x80, 0x03, 3, 3, 0x80, 0x10}, 2,
         CEmbData::scStartsWithStitch},
        {"chained jump after a colour change", {0x80, 0x01, 1, 1, 0x80, 0x04, 0x80, 0x01, 2, 2, 0x80, 0x10}, 2,
         CEmbData::scStartsWithStitch},
        {"command right after a colour change", {0x80, 0x01, 0x80, 0x04, 1, 1, 0x80, 0x10}, 2, CEmbData::scBadMove},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        LoadWords(data, c.words, c.blocks);
        EXPECT_EQ(data.Validate(), c.status > 0);
        EXPECT_EQ(data.m_nStatus, c.status);
    }
}

TEST(EmbDataValidate, ColourChangeRecordsBlockStart)
{
    CEmbData data;
    // stitches to (3, -2), colour change at word 2, move, stitch, end
    LoadWords(data, Words({1, 0, 2, 0xFE, 0x80, 0x01, 10, 10, 1, 1, 0x80, 0x10}), 2);
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(data.m_pColorBlocks[0].m_nFirstWord, 0);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nFirstWord, 2);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nStartX, 3);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nStartY, -2);
}

TEST(EmbDataValidate, EmptyColourBlockBecomesAJumpAndIsRemoved)
{
    CEmbData data;
    // stitches, colour change, move, colour change, move, stitches, end - three blocks declared
    LoadWords(data, Words({1, 1, 0x80, 0x01, 5, 5, 0x80, 0x01, 6, 6, 2, 2, 0x80, 0x10}), 3);
    for (int i = 0; i < 3; ++i)
        data.m_pColorBlocks[i].m_nPaletteIndex = 10 + i;
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(data.m_nColorBlockCount, 2);
    EXPECT_EQ(data.m_pStitchWords[1].bY, SC_JUMP);          // first colour change rewritten
    EXPECT_EQ(data.m_pStitchWords[3].bY, SC_COLOR_CHANGE);  // second kept
    EXPECT_EQ(data.m_pColorBlocks[0].m_nPaletteIndex, 10);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nPaletteIndex, 12);  // the former block 2 moved down
    EXPECT_EQ(data.m_pColorBlocks[1].m_nFirstWord, 3);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nStartX, 6);
    // A colour change followed by the end loses its block too.
    LoadWords(data, Words({1, 1, 0x80, 0x01, 5, 5, 0x80, 0x10}), 2);
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(data.m_nColorBlockCount, 1);
    EXPECT_EQ(data.m_pStitchWords[1].bY, SC_JUMP);
}

TEST(EmbDataValidate, ChainedJumpTakesItsMoveWordAsItStands)
{
    CEmbData data;
    // jump, move (3, 3), jump whose move word reads 0x80 0x10 (-128, 16), stitch (1, 1), colour
    // change, move, stitch, end: the chained move is a move, not an end and not a bad move.
    LoadWords(data, Words({0x80, 0x02, 3, 3, 0x80, 0x02, 0x80, 0x10, 1, 1, 0x80, 0x01, 2, 2, 4, 4, 0x80, 0x10}),
              2);
    ASSERT_TRUE(data.Validate()) << data.m_nStatus;
    EXPECT_EQ(data.m_nStatus, CEmbData::scStartsWithJump);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nFirstWord, 5);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nStartX, -124);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nStartY, 20);
    // The extents walk the same needle path.
    EXPECT_EQ(data.m_extents.nLeft, 124);
    EXPECT_EQ(data.m_extents.nUp, 26);
}

// --- CalcExtents ------------------------------------------------------------------------------

// The extents walk the needle path from the origin, which always counts, under each transform;
// each point is rounded on its own, half away from zero.
TEST(EmbDataExtents, EveryTransformAndJump)
{
    struct Case {
        const char* what;
        Bytes words;
        int angle, mirrorVertical, mirrorHorizontal, scale;
        EMBEXTENTS want;  // left, up, right, down
    };
    const Bytes corner = Words({100, 0, 0, 50, 0x80, 0x10});
    const Case cases[] = {
        {"the origin counts", Words({10, 20, 5, 5, 0x80, 0x10}), 0, 0, 0, 100, {0, 25, 15, 0}},
        {"turned clockwise", corner, 90, 0, 0, 100, {0, 0, 50, 100}},
        {"turned half round", corner, 180, 0, 0, 100, {100, 0, 0, 50}},
        {"horizontal mirror negates x", corner, 0, 0, 1, 100, {100, 50, 0, 0}},
        {"vertical mirror negates y", corner, 0, 1, 0, 100, {0, 0, 100, 50}},
        {"half size rounds away from zero", Words({3, 0, 0, 0xFD, 0x80, 0x10}), 0, 0, 0, 50, {0, 0, 2, 2}},
        {"a degree off", Words({3, 0, 0, 0xFD, 0x80, 0x10}), 1, 0, 0, 100, {0, 0, 3, 4}},
        {"a jump no stitch follows", Words({1, 1, 0x80, 0x02, 100, 0, 0x80, 0x10}), 0, 0, 0, 100, {0, 1, 1, 0}},
        {"a long jump (119) is sewn", Words({1, 1, 0x80, 0x02, 119, 0, 0x80, 0x10}), 0, 0, 0, 100, {0, 1, 120, 0}},
        {"a jump closed by a stitch", Words({0x80, 0x02, 100, 0, 0x80, 0x02, 20, 0, 1, 0, 0x80, 0x10}), 0, 0, 0, 100,
         {0, 0, 121, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CEmbData data;
        LoadWords(data, c.words, 1);
        ASSERT_TRUE(data.Validate());
        EMBEXTENTS e;
        data.CalcExtents(e, c.angle, c.mirrorVertical, c.mirrorHorizontal, c.scale);
        EXPECT_EQ(std::tie(e.nLeft, e.nUp, e.nRight, e.nDown), std::tie(c.want.nLeft, c.want.nUp, c.want.nRight, c.want.nDown));
        if (c.angle == 0 && c.scale == 100 && !c.mirrorVertical && !c.mirrorHorizontal) {
            EXPECT_EQ(std::memcmp(&e, &data.m_extents, sizeof e), 0) << "the design's own extents";
        }
    }
}

TEST(EmbDataExtents, InvalidDesignMeasuresZero)
{
    CEmbData data;
    LoadWords(data, Words({10, 20, 5, 5}), 1);
    EXPECT_FALSE(data.Validate());
    EMBEXTENTS ext{9, 9, 9, 9};
    data.CalcExtents(ext, 0, 0, 0, 100);
    EXPECT_EQ(ext.nLeft + ext.nUp + ext.nRight + ext.nDown, 0);
}

TEST(EmbDataExtents, IgnoresScaleUsesFullSize)
{
    struct CFixedSize : CEmbData {
        bool IgnoresScale() override { return true; }
    } data;
    LoadWords(data, Words({100, 0, 0x80, 0x10}), 1);
    ASSERT_TRUE(data.Validate());
    EMBEXTENTS e;
    data.CalcExtents(e, 0, 0, 0, 10);
    EXPECT_EQ(e.nRight, 100);
}

TEST(EmbDataExtents, UpdateOnlyWhenDirtyAndBoundingRectAddsPosition)
{
    CEmbData data;
    LoadWords(data, Words({100, 50, 0x80, 0x10}), 1);
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(data.m_bExtentsDirty, 0);
    data.SetScale(200);
    EXPECT_EQ(data.m_bExtentsDirty, 1);
    EXPECT_EQ(data.m_extents.nRight, 100);  // not recomputed yet
    data.UpdateExtents();
    EXPECT_EQ(data.m_extents.nRight, 200);
    data.SetPosition(10.5, -2.5);           // half away from zero: 11, -3
    RECT rc;
    data.GetBoundingRect(rc, 0, 0, 0, 100);
    EXPECT_EQ(rc.left, 11);
    EXPECT_EQ(rc.right, 111);
    EXPECT_EQ(rc.top, 47);
    EXPECT_EQ(rc.bottom, -3);
}

// --- Transform ---------------------------------------------------------------------------------

TEST(EmbNodeTransform, RotateFlipAndAngleRange)
{
    CEmbData data;
    data.m_bExtentsDirty = 0;
    data.Rotate(-90);
    EXPECT_EQ(data.m_nAngle, 270);
    EXPECT_EQ(data.m_bExtentsDirty, 1);
    data.SetAngle(30);
    data.FlipVertical();
    EXPECT_EQ(data.m_nAngle, 330);
    EXPECT_EQ(data.m_bMirrorVertical, 1);
    data.SetAngle(-1000);                  // folded into 0..359
    EXPECT_EQ(data.m_nAngle, 80);
    data.Rotate(-725);
    EXPECT_EQ(data.m_nAngle, 75);
    data.m_bExtentsDirty = 0;
    data.SetAngle(75);
    EXPECT_EQ(data.m_bExtentsDirty, 0);    // unchanged: not dirty
    data.Rotate(0);
    EXPECT_EQ(data.m_bExtentsDirty, 0);
}

TEST(EmbNodeTransform, SetMirrorFlipsOnlyWhatDiffers)
{
    CEmbData data;
    data.SetAngle(40);
    data.SetMirror(false, true);
    EXPECT_EQ(data.m_bMirrorVertical, 0);
    EXPECT_EQ(data.m_bMirrorHorizontal, 1);
    EXPECT_EQ(data.m_nAngle, 320);
    data.SetMirror(false, true);
    EXPECT_EQ(data.m_nAngle, 320);
    data.SetMirror(true, true); // now the vertical one differs
    EXPECT_EQ(data.m_bMirrorVertical, 1);
    EXPECT_EQ(data.m_bMirrorHorizontal, 1);
    EXPECT_EQ(data.m_nAngle, 40);
    data.AddScale(-30);
    EXPECT_EQ(data.m_nScale, 70);
}

// --- Colours and tables ------------------------------------------------------------------------

TEST(EmbDataColours, IsAllLight)
{
    CEmbData data;
    EXPECT_FALSE(data.IsAllLight());
    ASSERT_TRUE(data.AllocLayers(3));
    data.m_pColorBlocks[0].m_nPaletteIndex = 2;   // White
    data.m_pColorBlocks[1].m_nPaletteIndex = 23;  // Silver Gray
    data.m_pColorBlocks[2].m_nPaletteIndex = 51;  // Ivory White
    EXPECT_TRUE(data.IsAllLight());
    data.m_pColorBlocks[1].m_nPaletteIndex = 24;  // Gray, red 136
    EXPECT_FALSE(data.IsAllLight());
    // The custom colour wins when its flag is set.
    data.m_pColorBlocks[1].m_bCustom = 1;
    data.m_pColorBlocks[1].m_customThread.bRed = 221;
    data.m_pColorBlocks[1].m_customThread.bGreen = 221;
    data.m_pColorBlocks[1].m_customThread.bBlue = 221;
    EXPECT_TRUE(data.IsAllLight());
    data.m_pColorBlocks[1].m_customThread.bBlue = 220;
    EXPECT_FALSE(data.IsAllLight());
    EXPECT_EQ(data.m_pColorBlocks[1].GetColor(true), ThreadPaletteColor(24));
}

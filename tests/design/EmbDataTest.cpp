// The design model: validation of the stitch stream, extents under every transform, the
// transform operations, and IsAllLight.
#include "design/EmbData.h"
#include "design/ThreadPalette.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>
#include <vector>

using namespace fixture;

// A design holding the given words and nBlocks default colour blocks (not yet validated).
static void LoadWords(CEmbData& data, const Bytes& words, int nBlocks)
{
    data.Reset();
    ASSERT_TRUE(data.AllocLayers(nBlocks) && data.AllocStitchWords(static_cast<int>(words.size() / 2)));
    std::memcpy(data.m_pStitchWords, words.data(), words.size());
}

// --- Validate ---------------------------------------------------------------------------------

TEST(EmbDataValidate, StatusOfEveryStreamShape)
{
    CEmbData data;
    EXPECT_FALSE(data.Validate());
    ASSERT_TRUE(data.AllocStitchWords(2));
    EXPECT_FALSE(data.Validate());  // words but no blocks
    EXPECT_EQ(data.m_nStatus, CEmbData::scEmpty);

    struct Case { const char* what; Bytes words; int blocks; int status; };
    const Case cases[] = {
        {"jump first", {0x80, 0x04, 5, 5, 1, 1, 0x80, 0x10}, 1, CEmbData::scStartsWithJump}, {"stitch first", {1, 1, 0x80, 0x10}, 1, CEmbData::scStartsWithStitch},
        {"skipped command first is no jump", {0x80, 0x03, 1, 1, 0x80, 0x10}, 1, CEmbData::scStartsWithStitch},
        {"no end", {1, 1, 2, 2}, 1, CEmbData::scNoEnd}, {"end not last", {1, 1, 0x80, 0x10, 0, 0}, 1, CEmbData::scEndNotLast},
        {"end in a move's place", {0x80, 0x02, 0x80, 0x10}, 1, CEmbData::scBadMove}, {"cut after a jump", {1, 1, 0x80, 0x02}, 1, CEmbData::scNoEnd},
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

// An empty colour block's change becomes a jump and the block goes; a chained jump's move word is
// taken as it stands.
TEST(EmbDataValidate, EmptyColourBlockBecomesAJumpAndChainedJumpTakesItsMoveWordAsItStands)
{
    CEmbData data;
    // stitches, colour change, move, colour change, move, stitches, end - three blocks declared
    LoadWords(data, Bytes({1, 1, 0x80, 0x01, 5, 5, 0x80, 0x01, 6, 6, 2, 2, 0x80, 0x10}), 3);
    for (int i = 0; i < 3; ++i)
        data.m_pColorBlocks[i].m_nPaletteIndex = 10 + i;
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(data.m_nColorBlockCount, 2);
    // The first colour change rewritten, the second kept; the former block 2 moved down.
    EXPECT_EQ(std::make_pair(data.m_pStitchWords[1].bY, data.m_pStitchWords[3].bY), std::make_pair(BYTE(SC_JUMP), BYTE(SC_COLOR_CHANGE)));
    const CLayerInfo* blocks = data.m_pColorBlocks;
    EXPECT_EQ(std::make_tuple(blocks[0].m_nPaletteIndex, blocks[1].m_nPaletteIndex, blocks[1].m_nFirstWord, blocks[1].m_nStartX),
              std::make_tuple(10, 12, 3, 6));
    // A colour change followed by the end loses its block too.
    LoadWords(data, Bytes({1, 1, 0x80, 0x01, 5, 5, 0x80, 0x10}), 2);
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(std::make_pair(data.m_nColorBlockCount, data.m_pStitchWords[1].bY), std::make_pair(1, BYTE(SC_JUMP)));

    // jump, move (3, 3), jump whose move word reads 0x80 0x10 (-128, 16), stitch (1, 1), colour
    // change, move, stitch, end: the chained move is a move, not an end and not a bad move.
    LoadWords(data, Bytes({0x80, 0x02, 3, 3, 0x80, 0x02, 0x80, 0x10, 1, 1, 0x80, 0x01, 2, 2, 4, 4, 0x80, 0x10}),
              2);
    ASSERT_EQ(data.Validate() ? data.m_nStatus : 0, CEmbData::scStartsWithJump);
    const CLayerInfo& block = data.m_pColorBlocks[1];
    EXPECT_EQ(std::make_tuple(data.m_pColorBlocks[0].m_nFirstWord, block.m_nFirstWord, block.m_nStartX, block.m_nStartY),
              std::make_tuple(0, 5, -124, 20));
    // The extents walk the same needle path.
    EXPECT_EQ(std::make_pair(data.m_extents.nLeft, data.m_extents.nUp), std::make_pair(124, 26));
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
    const Bytes corner = Bytes({100, 0, 0, 50, 0x80, 0x10});
    const Case cases[] = {
        {"the origin counts", Bytes({10, 20, 5, 5, 0x80, 0x10}), 0, 0, 0, 100, {0, 25, 15, 0}},
        {"turned clockwise", corner, 90, 0, 0, 100, {0, 0, 50, 100}}, {"turned half round", corner, 180, 0, 0, 100, {100, 0, 0, 50}},
        {"horizontal mirror negates x", corner, 0, 0, 1, 100, {100, 50, 0, 0}}, {"vertical mirror negates y", corner, 0, 1, 0, 100, {0, 0, 100, 50}},
        {"half size rounds away from zero", Bytes({3, 0, 0, 0xFD, 0x80, 0x10}), 0, 0, 0, 50, {0, 0, 2, 2}},
        {"a degree off", Bytes({3, 0, 0, 0xFD, 0x80, 0x10}), 1, 0, 0, 100, {0, 0, 3, 4}},
        {"a jump no stitch follows", Bytes({1, 1, 0x80, 0x02, 100, 0, 0x80, 0x10}), 0, 0, 0, 100, {0, 1, 1, 0}},
        {"a long jump (119) is sewn", Bytes({1, 1, 0x80, 0x02, 119, 0, 0x80, 0x10}), 0, 0, 0, 100, {0, 1, 120, 0}},
        {"a jump closed by a stitch", Bytes({0x80, 0x02, 100, 0, 0x80, 0x02, 20, 0, 1, 0, 0x80, 0x10}), 0, 0, 0, 100,
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
        const bool bPlain = c.angle == 0 && c.scale == 100 && !c.mirrorVertical && !c.mirrorHorizontal;
        EXPECT_TRUE(!bPlain || std::memcmp(&e, &data.m_extents, sizeof e) == 0) << "the design's own extents";
    }
}

// An invalid design measures zero; a design that ignores scale is measured at full size; the
// design's own extents are recomputed only when dirty; the bounding rectangle adds the position.
TEST(EmbDataExtents, InvalidMeasuresZeroIgnoresScaleUpdatesWhenDirtyAndBoundingRectAddsPosition)
{
    struct CFixedSize : CEmbData {
        bool IgnoresScale() override { return true; }
    } fixed;
    LoadWords(fixed, Bytes({10, 20, 5, 5}), 1);
    EXPECT_FALSE(fixed.Validate());
    EMBEXTENTS e{9, 9, 9, 9};
    fixed.CalcExtents(e, 0, 0, 0, 100);
    EXPECT_EQ(std::make_tuple(e.nLeft, e.nUp, e.nRight, e.nDown), std::make_tuple(0, 0, 0, 0));
    LoadWords(fixed, Bytes({100, 0, 0x80, 0x10}), 1);
    ASSERT_TRUE(fixed.Validate());
    fixed.CalcExtents(e, 0, 0, 0, 10);
    EXPECT_EQ(e.nRight, 100);

    CEmbData data;
    LoadWords(data, Bytes({100, 50, 0x80, 0x10}), 1);
    ASSERT_TRUE(data.Validate());
    EXPECT_EQ(data.m_bExtentsDirty, 0);
    data.SetScale(200);
    EXPECT_EQ(std::make_pair(data.m_bExtentsDirty, data.m_extents.nRight), std::make_pair(1, 100));  // not recomputed yet
    data.UpdateExtents();
    EXPECT_EQ(data.m_extents.nRight, 200);
    data.SetPosition(10.5, -2.5);           // half away from zero: 11, -3
    RECT rc;
    data.GetBoundingRect(rc, 0, 0, 0, 100);
    EXPECT_EQ(std::make_tuple(rc.left, rc.right, rc.top, rc.bottom), std::make_tuple(11, 111, 47, -3));
}

// --- Transform ---------------------------------------------------------------------------------

// Angles fold into 0..359 and only a change makes the extents dirty; a flip mirrors the angle; a
// mirror set flips only the axes that differ.
TEST(EmbNodeTransform, RotateFlipAndSetMirrorFlipsOnlyWhatDiffers)
{
    CEmbData data;
    data.m_bExtentsDirty = 0;
    data.Rotate(-90);
    EXPECT_EQ(std::make_pair(data.m_nAngle, data.m_bExtentsDirty), std::make_pair(270, 1));
    data.SetAngle(30);
    data.FlipVertical();
    EXPECT_EQ(std::make_pair(data.m_nAngle, data.m_bMirrorVertical), std::make_pair(330, 1));
    data.SetAngle(-1000);
    EXPECT_EQ(data.m_nAngle, 80);
    data.Rotate(-725);
    data.m_bExtentsDirty = 0;
    data.SetAngle(75);
    data.Rotate(0);
    EXPECT_EQ(std::make_pair(data.m_nAngle, data.m_bExtentsDirty), std::make_pair(75, 0));

    CEmbData mirrored;
    mirrored.SetAngle(40);
    for (int i = 0; i < 2; ++i) { // the second time nothing differs
        mirrored.SetMirror(false, true);
        EXPECT_EQ(std::make_tuple(mirrored.m_bMirrorVertical, mirrored.m_bMirrorHorizontal, mirrored.m_nAngle), std::make_tuple(0, 1, 320));
    }
    mirrored.SetMirror(true, true); // now the vertical one differs
    EXPECT_EQ(std::make_tuple(mirrored.m_bMirrorVertical, mirrored.m_bMirrorHorizontal, mirrored.m_nAngle), std::make_tuple(1, 1, 40));
    mirrored.AddScale(-30);
    EXPECT_EQ(mirrored.m_nScale, 70);
}

// --- Colours and tables ------------------------------------------------------------------------

TEST(EmbDataColours, IsAllLight)
{
    CEmbData data;
    EXPECT_FALSE(data.IsAllLight());
    ASSERT_TRUE(data.AllocLayers(3));
    for (int i = 0; int nRow : {2, 23, 51}) // White, Silver Gray, Ivory White
        data.m_pColorBlocks[i++].m_nPaletteIndex = nRow;
    EXPECT_TRUE(data.IsAllLight());
    data.m_pColorBlocks[1].m_nPaletteIndex = 24;  // Gray, red 136
    EXPECT_FALSE(data.IsAllLight());
    // The custom colour wins when its flag is set.
    data.m_pColorBlocks[1].m_bCustom = 1;
    data.m_pColorBlocks[1].m_customThread = {221, 221, 221, 0, 0, {}};
    EXPECT_TRUE(data.IsAllLight());
    data.m_pColorBlocks[1].m_customThread.bBlue = 220;
    EXPECT_FALSE(data.IsAllLight());
    EXPECT_EQ(data.m_pColorBlocks[1].GetColor(true), ThreadPaletteColor(24));
}

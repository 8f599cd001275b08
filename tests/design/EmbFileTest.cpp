// The design readers: every header and table check at its boundary, the optional blocks and their
// silent failures, DST decoding and hoops, real designs, and hostile bytes.
#include "design/EmbFile.h"
#include "platform/file/DriveMap.h"
#include "tests/design/DesignTestUtil.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <unistd.h>

using namespace fixture;
using designtest::ReadBytes;

namespace {


// Two colour blocks: stitches, a colour change, more stitches, the end. 9 words.
Stitches SmallDesign()
{
    return {JumpBy(5, 5), Sew(10, 0), Sew(0, 10), ChangeColor(3, 3), Sew(-10, 0), Sew(0, -20), EndDesign()};
}

DesignLayout SmallLayout()
{
    DesignLayout layout = LayoutFromStitches(SmallDesign());
    layout.palette = {10, 12};
    layout.threadTypes = {7, 8};
    layout.hoop = 15;
    return layout;
}

struct ReadResult {
    bool ok;
    int error;
};

ReadResult Read(int type, const Bytes& bytes, CEmbData& data, CEmbFile& file)
{
    const bool ok = ReadBytes(file, type, bytes, data);
    return {ok, file.GetLastFileError()};
}

ReadResult Read(int type, const Bytes& bytes)
{
    CEmbFile file;
    CEmbData data;
    return Read(type, bytes, data, file);
}

} // namespace

// --- File types ------------------------------------------------------------------------------

TEST(EmbFileType, ByExtensionWithoutRegardToCase)
{
    EXPECT_EQ(CEmbFile::GetFileType(u"C:\\a\\rose.QEF"), CEmbFile::dftQef);
    EXPECT_EQ(CEmbFile::GetFileType(u"rose.qef+"), CEmbFile::dftQefPlus);
    EXPECT_EQ(CEmbFile::GetFileType(u"rose.Qpx"), CEmbFile::dftQpx);
    EXPECT_EQ(CEmbFile::GetFileType(u"rose.DST"), CEmbFile::dftDst);
    EXPECT_EQ(CEmbFile::GetFileType(u"rose.qbd"), CEmbFile::dftQbd);
    EXPECT_EQ(CEmbFile::GetFileType(u"rose"), CEmbFile::dftUnknown);
    EXPECT_EQ(CEmbFile::GetFileType(u"rose.qef.bak"), CEmbFile::dftUnknown);
    EXPECT_EQ(CEmbFile::GetFileType(nullptr), CEmbFile::dftUnknown);
}

// --- QEF -------------------------------------------------------------------------------------

TEST(EmbFileQef, ReadsBlocksWordsAndHoop)
{
    CEmbFile file;
    CEmbData data;
    DesignLayout layout = SmallLayout();
    layout.palette = {10, 99};  // out of the palette: becomes 0
    ASSERT_TRUE(Read(CEmbFile::dftQef, MakeQef(layout), data, file).ok);
    EXPECT_EQ(data.m_nStatus, CEmbData::scStartsWithJump);
    EXPECT_EQ(data.m_nColorBlockCount, 2);
    EXPECT_EQ(data.m_nStitchWordCount, static_cast<int>(layout.words.size() / 2));
    EXPECT_EQ(data.m_pColorBlocks[0].m_nPaletteIndex, 10);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nPaletteIndex, 0);
    EXPECT_EQ(data.m_pColorBlocks[0].m_nThreadType, 7);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nThreadType, 8);
    EXPECT_EQ(file.GetHoopCode(), 15);
    EXPECT_EQ(std::memcmp(data.m_pStitchWords, layout.words.data(), layout.words.size()), 0);
    EXPECT_EQ(data.m_bExtentsDirty, 0);
    EXPECT_EQ(data.m_extents.nRight, 15);
    EXPECT_EQ(data.m_extents.nUp, 18);
    EXPECT_EQ(data.m_extents.nDown, 2);
}

// Each header field at its boundary, in every native format: the stitch offset against the
// tables' end and the file's end, the counts against zero, each other and the file.
TEST(EmbFileHeaders, FieldsAtTheirLimits)
{
    const Bytes qef = MakeQef(SmallLayout()), qefPlus = MakeQefPlus(SmallLayout()), qpx = MakeQpx(SmallLayout());
    ASSERT_EQ(Get32(qef, 0), 116 + 8 * 2);
    ASSERT_EQ(Get32(qefPlus, 0), 140 + 16);
    ASSERT_EQ(Get32(qpx, 0), 80 + 16);
    const int32_t nQefSize = static_cast<int32_t>(qef.size());
    struct Case {
        const char* what;
        int type;
        std::vector<std::pair<size_t, int32_t>> patches;
        size_t cutTo;  // 0: whole
        int error;
    };
    const Case cases[] = {
        {"QEF offset inside the tables", CEmbFile::dftQef, {{0, 116 + 16 - 1}}, 0, CEmbFile::feBadHeader},
        {"QEF offset at the end", CEmbFile::dftQef, {{0, nQefSize}}, 0, CEmbFile::feStitchData},
        {"QEF offset past the end", CEmbFile::dftQef, {{0, nQefSize + 1}}, 0, CEmbFile::feBadHeader},
        {"QEF offset negative", CEmbFile::dftQef, {{0, -1}}, 0, CEmbFile::feBadHeader},
        {"QEF header cut", CEmbFile::dftQef, {}, 115, CEmbFile::feBadHeader},
        {"QEF no colours", CEmbFile::dftQef, {{24, 0}}, 0, CEmbFile::feNoColors},
        {"QEF negative colours", CEmbFile::dftQef, {{24, -5}}, 0, CEmbFile::feNoColors},
        {"QEF no words", CEmbFile::dftQef, {{28, 0}}, 0, CEmbFile::feNoStitches},
        {"QEF fewer words than twice the colours", CEmbFile::dftQef, {{28, 3}}, 0, CEmbFile::feBadHeader},
        {"QEF tables past the offset", CEmbFile::dftQef, {{24, 100}, {28, 200}}, 0, CEmbFile::feBadHeader},
        {"QEF a word more than the file", CEmbFile::dftQef, {{28, Get32(qef, 28) + 1}}, 0, CEmbFile::feStitchData},
        {"QEF huge word count", CEmbFile::dftQef, {{28, 2000000000}}, 0, CEmbFile::feStitchData},
        {"QEF+ offset inside the tables", CEmbFile::dftQefPlus, {{0, 140 + 16 - 1}}, 0, CEmbFile::feBadHeader},
        {"QEF+ offset negative", CEmbFile::dftQefPlus, {{0, -140}}, 0, CEmbFile::feBadHeader},
        {"QEF+ custom threads past the end", CEmbFile::dftQefPlus, {{116 + 16, 50}}, 0, CEmbFile::feExtension},
        {"QEF+ custom threads negative", CEmbFile::dftQefPlus, {{116 + 16, -1}}, 0, CEmbFile::feExtension},
        {"QPX offset inside the tables", CEmbFile::dftQpx, {{0, 80 + 16 - 1}}, 0, CEmbFile::feBadHeader},
        {"QPX header cut", CEmbFile::dftQpx, {}, 59, CEmbFile::feBadHeader},
        {"QPX no colours", CEmbFile::dftQpx, {{32, 0}}, 0, CEmbFile::feNoColors},
        {"QPX no words", CEmbFile::dftQpx, {{36, 0}}, 0, CEmbFile::feNoStitches},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = c.type == CEmbFile::dftQef ? qef : c.type == CEmbFile::dftQefPlus ? qefPlus : qpx;
        EXPECT_TRUE(Read(c.type, b).ok);
        for (const auto& [at, value] : c.patches)
            Patch32(b, at, value);
        if (c.cutTo)
            b.resize(c.cutTo);
        EXPECT_EQ(Read(c.type, b).error, c.error);
    }
}

TEST(EmbFileQef, InvalidStreamIsBadStitches)
{
    DesignLayout layout = SmallLayout();
    layout.words.resize(layout.words.size() - 2);  // no end command
    EXPECT_EQ(Read(CEmbFile::dftQef, MakeQef(layout)).error, CEmbFile::feBadStitches);
}

TEST(EmbFileQef, EnhanceEditItemsOnlyForHoopFive)
{
    DesignLayout layout = SmallLayout();
    layout.extensionLevel = 20;
    layout.hoop = 5;
    layout.enhance = {EnhanceEntry{1, {1, 2, 3}, std::nullopt}, EnhanceEntry{7, {9}, std::nullopt},
                    EnhanceEntry{2, {4, 5}, std::nullopt}};
    CEmbFile file;
    CEmbData data;
    ASSERT_TRUE(Read(CEmbFile::dftQef, MakeQef(layout), data, file).ok);
    ASSERT_EQ(file.GetEditItemCount(), 2);
    const CEmbEditData* items = file.GetEditItems();
    EXPECT_EQ(items[0].m_nOffsetY, 400);
    EXPECT_EQ(items[0].m_nFlag, 0);
    EXPECT_EQ(items[0].m_nScale, 100);
    EXPECT_EQ(items[0].m_nPayloadLength, 3);
    EXPECT_EQ(items[0].m_pPayload[2], 3);
    EXPECT_EQ(items[1].m_nOffsetY, -400);
    EXPECT_EQ(items[1].m_nFlag, 1);
    EXPECT_EQ(items[1].m_pPayload[1], 5);
    layout.hoop = 30;
    ASSERT_TRUE(Read(CEmbFile::dftQef, MakeQef(layout), data, file).ok);
    EXPECT_EQ(file.GetEditItemCount(), 0);
}

// --- QEF+ ------------------------------------------------------------------------------------

TEST(EmbFileQefPlus, CustomThreadsAndEditBlock)
{
    DesignLayout layout = SmallLayout();
    layout.customThreads = {CustomThread{0, 9, 8, 7, 0, 1}, CustomThread{5, 1, 1, 1, 0, 0}};
    layout.version = 2;
    layout.enhance = {EnhanceEntry{3, Bytes(10, 0xEE), std::nullopt}};
    layout.edit = EditBlock{31, 40, {EditItem{11, 22, 33, 80, 1, 2, 3, 1, {200, 100}}, EditItem{5, 0, 0, 100, 0, 0, 0, 0, {7}}},
                          std::nullopt, std::nullopt};
    CEmbFile file;
    CEmbData data;
    ASSERT_TRUE(Read(CEmbFile::dftQefPlus, MakeQefPlus(layout), data, file).ok);
    EXPECT_EQ(data.m_pColorBlocks[0].GetColor(), RGB(9, 8, 7));
    EXPECT_EQ(data.m_pColorBlocks[1].m_bCustom, 0);  // index 5 is no block: skipped
    ASSERT_EQ(file.GetEditItemCount(), 2);
    const CEmbEditData& item = file.GetEditItems()[0];
    EXPECT_EQ(item.m_nValueA, 11);
    EXPECT_EQ(item.m_nOffsetX, 22);
    EXPECT_EQ(item.m_nOffsetY, 33);
    EXPECT_EQ(item.m_nScale, 80);
    EXPECT_EQ(item.m_nValueD, 3);
    EXPECT_EQ(item.m_nFlag, 1);
    EXPECT_EQ(item.m_nPayloadLength, 2);
    EXPECT_EQ(item.m_pPayload[0], 200);
    EXPECT_EQ(file.GetEditItems()[1].m_pPayload[0], 7);
}

// --- QPX -------------------------------------------------------------------------------------

TEST(EmbFileQpx, OptionAndHoopFromTheHeader)
{
    DesignLayout layout = SmallLayout();
    layout.optionMarker = true;
    layout.designOption = -2;
    layout.hoop = 28;
    CEmbFile file;
    CEmbData data;
    ASSERT_TRUE(Read(CEmbFile::dftQpx, MakeQpx(layout), data, file).ok);
    EXPECT_EQ(data.m_nDesignOption, -2);
    EXPECT_EQ(file.GetHoopCode(), 28);
    EXPECT_EQ(data.m_nColorBlockCount, 2);
    // Without the marker the option byte is not taken.
    layout.optionMarker = false;
    ASSERT_TRUE(Read(CEmbFile::dftQpx, MakeQpx(layout), data, file).ok);
    EXPECT_EQ(data.m_nDesignOption, 0);
}

// --- DST -------------------------------------------------------------------------------------

TEST(EmbFileDst, SizeLimits)
{
    Bytes b(512, ' ');
    EXPECT_EQ(Read(CEmbFile::dftDst, b).error, CEmbFile::feBadHeader);
    b.push_back(0);
    EXPECT_EQ(Read(CEmbFile::dftDst, b).error, CEmbFile::feDstData);
    b.push_back(0);
    b.push_back(0xF3);
    EXPECT_TRUE(Read(CEmbFile::dftDst, b).ok);
    // A stitch record and then one stray byte before any end record.
    Bytes cut(512, ' ');
    for (uint8_t v : {1, 0, 3, 0})
        cut.push_back(v);
    EXPECT_EQ(Read(CEmbFile::dftDst, cut).error, CEmbFile::feDstData);
    // Whole records but no end record: the stream has no end.
    cut.resize(515);
    EXPECT_EQ(Read(CEmbFile::dftDst, cut).error, CEmbFile::feBadStitches);
}

TEST(EmbFileDst, FirstStitchGetsJumpAndZeroMoveInFront)
{
    CEmbFile file;
    CEmbData data;
    ASSERT_TRUE(Read(CEmbFile::dftDst, MakeDst({Sew(5, -7), EndDesign()}), data, file).ok);
    ASSERT_EQ(data.m_nStitchWordCount, 4);
    EXPECT_EQ(data.m_pStitchWords[0].bX, 0x80);
    EXPECT_EQ(data.m_pStitchWords[0].bY, SC_JUMP);
    EXPECT_EQ(data.m_pStitchWords[1].DX(), 0);
    EXPECT_EQ(data.m_pStitchWords[2].DX(), 5);
    EXPECT_EQ(data.m_pStitchWords[2].DY(), -7);
    EXPECT_EQ(data.m_pStitchWords[3].Code(), SC_END);
    EXPECT_EQ(data.m_nStatus, CEmbData::scStartsWithJump);
    // A jump first is taken as it is.
    ASSERT_TRUE(Read(CEmbFile::dftDst, MakeDst({JumpBy(5, 5), Sew(1, 1), EndDesign()}), data, file).ok);
    EXPECT_EQ(data.m_nStitchWordCount, 4);
    EXPECT_EQ(data.m_pStitchWords[1].DX(), 5);
}

TEST(EmbFileDst, ColourChangesMakeBlocksFromPaletteRowThree)
{
    CEmbFile file;
    CEmbData data;
    ASSERT_TRUE(Read(CEmbFile::dftDst, MakeDst({Sew(1, 1), ChangeColor(4, 4), Sew(2, 2), EndDesign()}), data, file).ok);
    ASSERT_EQ(data.m_nColorBlockCount, 2);
    EXPECT_EQ(data.m_pColorBlocks[0].m_nPaletteIndex, 3);
    EXPECT_EQ(data.m_pColorBlocks[1].m_nPaletteIndex, 4);
    // colour change, zero move, jump, move
    EXPECT_EQ(data.m_pStitchWords[3].Code(), SC_COLOR_CHANGE);
    EXPECT_EQ(data.m_pStitchWords[4].DX(), 0);
    EXPECT_EQ(data.m_pStitchWords[5].Code(), SC_JUMP);
    EXPECT_EQ(data.m_pStitchWords[6].DX(), 4);
    Stitches many;
    for (int i = 0; i < 77; ++i) {
        many.push_back(Sew(1, 0));
        many.push_back(ChangeColor());
    }
    many.push_back(Sew(1, 0));
    many.push_back(EndDesign());
    ASSERT_TRUE(Read(CEmbFile::dftDst, MakeDst(many), data, file).ok);
    ASSERT_EQ(data.m_nColorBlockCount, 78);
    EXPECT_EQ(data.m_pColorBlocks[75].m_nPaletteIndex, 78);
    EXPECT_EQ(data.m_pColorBlocks[76].m_nPaletteIndex, 3);
    EXPECT_EQ(data.m_pColorBlocks[77].m_nPaletteIndex, 4);
}

TEST(EmbFileDst, DecodesEveryBitWeight)
{
    struct Case { uint8_t b0, b1, b2; int dx, dy; };
    const Case cases[] = {
        {0x01, 0, 0, 1, 0},   {0x02, 0, 0, -1, 0},  {0x04, 0, 0, 9, 0},   {0x08, 0, 0, -9, 0},
        {0x10, 0, 0, 0, -9},  {0x20, 0, 0, 0, 9},   {0x40, 0, 0, 0, -1},  {0x80, 0, 0, 0, 1},
        {0, 0x01, 0, 3, 0},   {0, 0x02, 0, -3, 0},  {0, 0x04, 0, 27, 0},  {0, 0x08, 0, -27, 0},
        {0, 0x10, 0, 0, -27}, {0, 0x20, 0, 0, 27},  {0, 0x40, 0, 0, -3},  {0, 0x80, 0, 0, 3},
        {0, 0, 0x04, 81, 0},  {0, 0, 0x08, -81, 0}, {0, 0, 0x10, 0, -81}, {0, 0, 0x20, 0, 81},
        {0xFF, 0xFF, 0xFF, 0, 0}, {0xA5, 0xA5, 0x24, 121, 121},
    };
    for (const Case& c : cases) {
        int dx, dy;
        CEmbFile::DecodeDstRecord(c.b0, c.b1, c.b2, dx, dy);
        EXPECT_EQ(dx, c.dx) << int(c.b0) << " " << int(c.b1) << " " << int(c.b2);
        EXPECT_EQ(dy, c.dy) << int(c.b0) << " " << int(c.b1) << " " << int(c.b2);
    }
    // The writer's encoding decodes back for every move.
    for (int v = -121; v <= 121; ++v) {
        uint8_t b0, b1, b2;
        EncodeDstMove(v, -v, b0, b1, b2);
        int dx, dy;
        CEmbFile::DecodeDstRecord(b0, b1, b2, dx, dy);
        ASSERT_EQ(dx, v);
        ASSERT_EQ(dy, -v);
    }
}

TEST(EmbFileDst, HoopBandsFromExtents)
{
    auto hoop = [](Stitches s) {
        s.push_back(EndDesign());
        CEmbFile file;
        CEmbData data;
        EXPECT_TRUE(ReadBytes(file, CEmbFile::dftDst, MakeDst(s), data));
        return file.GetHoopCode();
    };
    EXPECT_EQ(hoop({Sew(500, 200), JumpBy(-1000, -400)}), 30);
    EXPECT_EQ(hoop({Sew(501, 0)}), 15);
    EXPECT_EQ(hoop({Sew(0, 201)}), 15);
    EXPECT_EQ(hoop({Sew(-700, -700), Sew(1400, 1400)}), 15);
    EXPECT_EQ(hoop({Sew(0, -701)}), 28);
    EXPECT_EQ(hoop({Sew(1150, 1150), Sew(-2300, -2300)}), 28);
    EXPECT_EQ(hoop({Sew(-1151, 0)}), 29);
}

// --- Read, ReadFile and hostile bytes ------------------------------------------------------------

TEST(EmbFileRead, ResetsTheDesignFirstAndRewinds)
{
    CEmbFile file;
    CEmbData data;
    Bytes good = MakeQef(SmallLayout());
    ASSERT_TRUE(Read(CEmbFile::dftQef, good, data, file).ok);
    data.SetAngle(90);
    data.SetPosition(5, 5);
    Bytes bad = good;
    Patch32(bad, 24, 0);
    EXPECT_FALSE(Read(CEmbFile::dftQef, bad, data, file).ok);
    EXPECT_EQ(data.m_nAngle, 0);
    EXPECT_EQ(data.m_dPosX, 0.0);
    EXPECT_EQ(data.m_nColorBlockCount, 0);
    EXPECT_LE(data.m_nStatus, 0);
    // A memory file left at its end is rewound.
    CMemFile mem(good.data(), static_cast<UINT>(good.size()));
    mem.SeekToEnd();
    file.SetFileType(CEmbFile::dftQef);
    EXPECT_TRUE(file.Read(mem, data));
}


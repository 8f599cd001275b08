// The design readers: every header and table check at its boundary, the optional blocks and their
// silent failures, DST decoding and hoops, and a read that fails.
#include "design/EmbFile.h"
#include "platform/afx/MemFile.h"
#include "tests/design/FixtureWriter.h"

#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

using namespace fixture;

namespace {

// Two colour blocks: stitches, a colour change, more stitches, the end. 9 words.
DesignLayout SmallLayout()
{
    return {.words = LayoutFromStitches({JumpBy(5, 5), Sew(10, 0), Sew(0, 10), ChangeColor(3, 3), Sew(-10, 0), Sew(0, -20), EndDesign()}).words,
            .palette = {10, 12}, .threadTypes = {7, 8}, .hoop = 15};
}

// A file and the design it reads into, through a memory file as the callers read.
struct Reader {
    CEmbFile file;
    CEmbData data;
    bool Read(int nType, Bytes bytes)
    {
        file.SetFileType(nType);
        CMemFile mem(bytes.data(), static_cast<UINT>(bytes.size()));
        return file.Read(mem, data);
    }
    int Error(int nType, const Bytes& bytes) { return Read(nType, bytes) ? 0 : file.GetLastFileError(); }
};

int ReadError(int nType, const Bytes& bytes) { return Reader().Error(nType, bytes); }

} // namespace

TEST(EmbFileType, ByExtensionWithoutRegardToCase)
{
    const std::pair<const char16_t*, int> cases[] = {
        {u"C:\\a\\rose.QEF", CEmbFile::dftQef}, {u"rose.qef+", CEmbFile::dftQefPlus}, {u"rose.Qpx", CEmbFile::dftQpx},
        {u"rose.DST", CEmbFile::dftDst},        {u"rose.qbd", CEmbFile::dftQbd},      {u"rose", CEmbFile::dftUnknown},
        {u"rose.qef.bak", CEmbFile::dftUnknown}, {nullptr, CEmbFile::dftUnknown}};
    for (const auto& [psz, nType] : cases)
        EXPECT_EQ(CEmbFile::GetFileType(psz), nType);
}

// --- QEF, QEF+, QPX -----------------------------------------------------------------------------

// QPX: the design option only behind its marker.
TEST(EmbFileQef, ReadsBlocksWordsHoopAndQpxOptionAndAStreamWithoutEndIsBadStitches)
{
    Reader r;
    DesignLayout layout = SmallLayout();
    layout.palette = {10, 99};  // out of the palette: becomes 0
    ASSERT_TRUE(r.Read(CEmbFile::dftQef, MakeQef(layout)));
    EXPECT_EQ(std::make_tuple(r.data.m_nStatus, r.data.m_nColorBlockCount, r.data.m_nStitchWordCount, r.file.GetHoopCode()),
              std::make_tuple(int(CEmbData::scStartsWithJump), 2, 9, 15));
    const CLayerInfo* blocks = r.data.m_pColorBlocks;
    EXPECT_EQ(std::make_tuple(blocks[0].m_nPaletteIndex, blocks[1].m_nPaletteIndex, blocks[0].m_nThreadType, blocks[1].m_nThreadType),
              std::make_tuple(10, 0, 7, 8));
    EXPECT_EQ(std::memcmp(r.data.m_pStitchWords, layout.words.data(), layout.words.size()), 0);
    EXPECT_EQ(std::make_tuple(r.data.m_bExtentsDirty, r.data.m_extents.nRight, r.data.m_extents.nUp, r.data.m_extents.nDown),
              std::make_tuple(0, 15, 18, 2));

    layout.words.resize(layout.words.size() - 2);  // no end command
    EXPECT_EQ(ReadError(CEmbFile::dftQef, MakeQef(layout)), CEmbFile::feBadStitches);

    layout = SmallLayout();
    std::tie(layout.optionMarker, layout.designOption, layout.hoop) = std::make_tuple(true, int8_t(-2), 28);
    ASSERT_TRUE(r.Read(CEmbFile::dftQpx, MakeQpx(layout)));
    EXPECT_EQ(std::make_tuple(r.data.m_nDesignOption, r.file.GetHoopCode(), r.data.m_nColorBlockCount), std::make_tuple(-2, 28, 2));
    layout.optionMarker = false;
    ASSERT_TRUE(r.Read(CEmbFile::dftQpx, MakeQpx(layout)));
    EXPECT_EQ(r.data.m_nDesignOption, 0);
}

// Each error a header can give, in every native format (hostile fields at every offset are
// fuzzed and walked end to end in tests/hostile): the stitch offset against the tables' end and
// the file's end, the counts against zero, each other and the file.
TEST(EmbFileHeaders, EachErrorOfEveryFormat)
{
    const Bytes qef = MakeQef(SmallLayout()), qefPlus = MakeQefPlus(SmallLayout()), qpx = MakeQpx(SmallLayout());
    struct Case {
        const char* what;
        int type;
        std::vector<std::pair<size_t, int32_t>> patches;
        size_t cutTo;  // 0: whole
        int error;
    };
    const Case cases[] = {
        {"QEF offset inside the tables", CEmbFile::dftQef, {{0, 116 + 16 - 1}}, 0, CEmbFile::feBadHeader},
        {"QEF offset at the end", CEmbFile::dftQef, {{0, static_cast<int32_t>(qef.size())}}, 0, CEmbFile::feStitchData},
        {"QEF header cut", CEmbFile::dftQef, {}, 115, CEmbFile::feBadHeader},
        {"QEF no colours", CEmbFile::dftQef, {{24, 0}}, 0, CEmbFile::feNoColors},
        {"QEF no words", CEmbFile::dftQef, {{28, 0}}, 0, CEmbFile::feNoStitches},
        {"QEF fewer words than twice the colours", CEmbFile::dftQef, {{28, 3}}, 0, CEmbFile::feBadHeader},
        {"QEF a word more than the file", CEmbFile::dftQef, {{28, Get32(qef, 28) + 1}}, 0, CEmbFile::feStitchData},
        {"QEF+ offset inside the tables", CEmbFile::dftQefPlus, {{0, 140 + 16 - 1}}, 0, CEmbFile::feBadHeader},
        {"QEF+ custom threads past the end", CEmbFile::dftQefPlus, {{116 + 16, 50}}, 0, CEmbFile::feExtension},
        {"QPX offset inside the tables", CEmbFile::dftQpx, {{0, 80 + 16 - 1}}, 0, CEmbFile::feBadHeader},
        {"QPX no colours", CEmbFile::dftQpx, {{32, 0}}, 0, CEmbFile::feNoColors},
        {"QPX no words", CEmbFile::dftQpx, {{36, 0}}, 0, CEmbFile::feNoStitches},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Bytes b = c.type == CEmbFile::dftQef ? qef : c.type == CEmbFile::dftQefPlus ? qefPlus : qpx;
        EXPECT_EQ(ReadError(c.type, b), 0);
        for (const auto& [at, value] : c.patches)
            Patch32(b, at, value);
        if (c.cutTo)
            b.resize(c.cutTo);
        EXPECT_EQ(ReadError(c.type, b), c.error);
    }
}

// QEF: the enhance entries are edit items only for hoop 5. QEF+: custom threads for the blocks that
// exist, and the edit block's items.
TEST(EmbFileQef, EnhanceEditItemsOnlyForHoopFiveAndQefPlusCustomThreadsAndEditBlock)
{
    DesignLayout layout = SmallLayout();
    layout.extensionLevel = 20;
    layout.hoop = 5;
    layout.enhance = {EnhanceEntry{1, {1, 2, 3}, std::nullopt}, EnhanceEntry{7, {9}, std::nullopt},
                      EnhanceEntry{2, {4, 5}, std::nullopt}};
    Reader r;
    ASSERT_TRUE(r.Read(CEmbFile::dftQef, MakeQef(layout)));
    ASSERT_EQ(r.file.GetEditItemCount(), 2);
    const CEmbEditData* items = r.file.GetEditItems();
    EXPECT_EQ(std::make_tuple(items[0].m_nOffsetY, items[0].m_nFlag, items[0].m_nScale, items[0].m_nPayloadLength, items[0].m_pPayload[2]),
              std::make_tuple(400, 0, 100, 3, BYTE(3)));
    EXPECT_EQ(std::make_tuple(items[1].m_nOffsetY, items[1].m_nFlag, items[1].m_pPayload[1]), std::make_tuple(-400, 1, BYTE(5)));
    layout.hoop = 30;
    ASSERT_TRUE(r.Read(CEmbFile::dftQef, MakeQef(layout)));
    EXPECT_EQ(r.file.GetEditItemCount(), 0);

    layout = SmallLayout();
    layout.customThreads = {CustomThread{0, 9, 8, 7, 0, 1}, CustomThread{5, 1, 1, 1, 0, 0}};
    layout.version = 2;
    layout.enhance = {EnhanceEntry{3, Bytes(10, 0xEE), std::nullopt}};
    layout.edit = EditBlock{31, 40, {EditItem{11, 22, 33, 80, 1, 2, 3, 1, {200, 100}}, EditItem{5, 0, 0, 100, 0, 0, 0, 0, {7}}},
                            std::nullopt, std::nullopt};
    ASSERT_TRUE(r.Read(CEmbFile::dftQefPlus, MakeQefPlus(layout)));
    EXPECT_EQ(r.data.m_pColorBlocks[0].GetColor(), RGB(9, 8, 7));
    EXPECT_EQ(r.data.m_pColorBlocks[1].m_bCustom, 0);  // index 5 is no block: skipped
    ASSERT_EQ(r.file.GetEditItemCount(), 2);
    const CEmbEditData& i = r.file.GetEditItems()[0];
    EXPECT_EQ(std::make_tuple(i.m_nValueA, i.m_nOffsetX, i.m_nOffsetY, i.m_nScale, i.m_nValueD, i.m_nFlag, i.m_nPayloadLength),
              std::make_tuple(11, 22, 33, 80, 3, 1, 2));
    EXPECT_EQ(std::make_pair(i.m_pPayload[0], r.file.GetEditItems()[1].m_pPayload[0]), std::make_pair(BYTE(200), BYTE(7)));
}

// --- DST -------------------------------------------------------------------------------------

// The records' size limits, and the hoop band from the extents.
TEST(EmbFileDst, SizeLimitsAndHoopBandsFromExtents)
{
    auto after = [](std::initializer_list<uint8_t> records) {
        Bytes b(512, ' ');
        b.insert(b.end(), records);
        return ReadError(CEmbFile::dftDst, b);
    };
    EXPECT_EQ(after({}), CEmbFile::feBadHeader);
    EXPECT_EQ(after({0}), CEmbFile::feDstData);
    EXPECT_EQ(after({0, 0, 0xF3}), 0);
    EXPECT_EQ(after({1, 0, 3, 0}), CEmbFile::feDstData);  // a stitch record and a stray byte
    EXPECT_EQ(after({1, 0, 3}), CEmbFile::feBadStitches); // whole records but no end record

    auto hoop = [](Stitches s) {
        s.push_back(EndDesign());
        Reader r;
        EXPECT_TRUE(r.Read(CEmbFile::dftDst, MakeDst(s)));
        return r.file.GetHoopCode();
    };
    EXPECT_EQ(hoop({Sew(500, 200), JumpBy(-1000, -400)}), 30);
    EXPECT_EQ(std::make_tuple(hoop({Sew(501, 0)}), hoop({Sew(0, 201)}), hoop({Sew(-700, -700), Sew(1400, 1400)})), std::make_tuple(15, 15, 15));
    EXPECT_EQ(std::make_pair(hoop({Sew(0, -701)}), hoop({Sew(1150, 1150), Sew(-2300, -2300)})), std::make_pair(28, 28));
    EXPECT_EQ(hoop({Sew(-1151, 0)}), 29);
}

// The first stitch gets a jump and a zero move in front (a jump first is taken as it is); each
// colour change a zero move and a jump, and a block of the palette from row 3 on, wrapping after 78.
TEST(EmbFileDst, FirstStitchAndColourChangesGetJumpsInFrontAndBlocksFromPaletteRowThree)
{
    Reader r;
    ASSERT_TRUE(r.Read(CEmbFile::dftDst, MakeDst({Sew(5, -7), ChangeColor(4, 4), Sew(2, 2), EndDesign()})));
    ASSERT_EQ(r.data.m_nStitchWordCount, 9);
    EXPECT_EQ(r.data.m_nStatus, CEmbData::scStartsWithJump);
    const STITCHWORD* w = r.data.m_pStitchWords;
    EXPECT_EQ(std::make_tuple(w[0].bX, w[0].bY, w[1].DX(), w[2].DX(), w[2].DY(), w[8].Code()),
              std::make_tuple(BYTE(0x80), BYTE(SC_JUMP), 0, 5, -7, BYTE(SC_END)));
    EXPECT_EQ(std::make_tuple(w[3].Code(), w[4].DX(), w[5].Code(), w[6].DX()), std::make_tuple(BYTE(SC_COLOR_CHANGE), 0, BYTE(SC_JUMP), 4));
    ASSERT_EQ(r.data.m_nColorBlockCount, 2);
    EXPECT_EQ(std::make_pair(r.data.m_pColorBlocks[0].m_nPaletteIndex, r.data.m_pColorBlocks[1].m_nPaletteIndex), std::make_pair(3, 4));
    ASSERT_TRUE(r.Read(CEmbFile::dftDst, MakeDst({JumpBy(5, 5), Sew(1, 1), EndDesign()})));
    EXPECT_EQ(r.data.m_nStitchWordCount, 4);
    EXPECT_EQ(r.data.m_pStitchWords[1].DX(), 5);

    Stitches many;
    for (int i = 0; i < 77; ++i)
        many.insert(many.end(), {Sew(1, 0), ChangeColor()});
    many.insert(many.end(), {Sew(1, 0), EndDesign()});
    ASSERT_TRUE(r.Read(CEmbFile::dftDst, MakeDst(many)));
    ASSERT_EQ(r.data.m_nColorBlockCount, 78);
    const CLayerInfo* blocks = r.data.m_pColorBlocks;
    EXPECT_EQ(std::make_tuple(blocks[75].m_nPaletteIndex, blocks[76].m_nPaletteIndex, blocks[77].m_nPaletteIndex), std::make_tuple(78, 3, 4));
}

// The writer's encoding (weights 1, 3, 9, 27, 81 each way, written apart from the reader) decodes
// back for every move; all bits set cancel out; the real corpus files are read in the picture tests.
TEST(EmbFileDst, DecodesEveryMove)
{
    auto decode = [](uint8_t b0, uint8_t b1, uint8_t b2) {
        int dx, dy;
        CEmbFile::DecodeDstRecord(b0, b1, b2, dx, dy);
        return std::make_pair(dx, dy);
    };
    for (int v = -121; v <= 121; ++v)
        for (const auto& [x, y] : {std::make_pair(v, -v), std::make_pair(-v, v / 2)}) {
            uint8_t b0, b1, b2;
            EncodeDstMove(x, y, b0, b1, b2);
            ASSERT_EQ(decode(b0, b1, b2), std::make_pair(x, y));
        }
    EXPECT_EQ(decode(0xFF, 0xFF, 0xFF), std::make_pair(0, 0));
    EXPECT_EQ(decode(0x01, 0x80, 0x20), std::make_pair(1, 84));
}

// --- A read that fails -------------------------------------------------------------------------

TEST(EmbFileRead, ResetsTheDesignFirstAndRewinds)
{
    Reader r;
    Bytes good = MakeQef(SmallLayout());
    ASSERT_TRUE(r.Read(CEmbFile::dftQef, good));
    r.data.SetAngle(90);
    r.data.SetPosition(5, 5);
    Bytes bad = good;
    Patch32(bad, 24, 0);
    EXPECT_FALSE(r.Read(CEmbFile::dftQef, bad));
    EXPECT_EQ(std::make_tuple(r.data.m_nAngle, r.data.m_dPosX, r.data.m_nColorBlockCount), std::make_tuple(0, 0.0, 0));
    EXPECT_LE(r.data.m_nStatus, 0);
    // A memory file left at its end is rewound.
    CMemFile mem(good.data(), static_cast<UINT>(good.size()));
    mem.SeekToEnd();
    r.file.SetFileType(CEmbFile::dftQef);
    EXPECT_TRUE(r.file.Read(mem, r.data));
}

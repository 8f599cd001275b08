// tavren convert: a DST design becomes a native file that the module's own reader reads as the
// same design (words, colour blocks, extents) and that the machine's check passes; what the
// machine could not take, and what is not a whole DST design, leaves no file behind.
#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "host/DstConverter.h"
#include "platform/file/DriveMap.h"
#include "tests/design/FixtureWriter.h"
#include "tests/host/TavrenProcess.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>

namespace fs = std::filesystem;
using tavren::test::RunTavren;
using tavren::test::ScratchDir;

namespace {

fs::path Corpus() { return tavren::test::SourceDir() + "/tests/fixtures/corpus"; }

struct ReadDesign {
    bool ok = false;
    CEmbData data;
    int hoop = 0;
};

void ReadAs(int nType, const fixture::Bytes& bytes, ReadDesign& out)
{
    CEmbFile file(nType);
    out.ok = file.ReadBuffer(bytes.data(), bytes.size(), out.data) && out.data.m_nStatus > 0;
    out.hoop = file.GetHoopCode();
    out.data.UpdateExtents();
}

// Both designs as the module sees them: the same stitch words, palette rows and extents.
void ExpectSameDesign(const CEmbData& dst, const CEmbData& native, const std::string& what)
{
    SCOPED_TRACE(what);
    ASSERT_EQ(native.m_nStitchWordCount, dst.m_nStitchWordCount);
    EXPECT_EQ(0, std::memcmp(native.m_pStitchWords, dst.m_pStitchWords, 2 * static_cast<size_t>(dst.m_nStitchWordCount)));
    ASSERT_EQ(native.m_nColorBlockCount, dst.m_nColorBlockCount);
    for (int i = 0; i < dst.m_nColorBlockCount; ++i) {
        EXPECT_EQ(native.m_pColorBlocks[i].m_nPaletteIndex, dst.m_pColorBlocks[i].m_nPaletteIndex) << "block " << i;
        EXPECT_EQ(native.m_pColorBlocks[i].m_nFirstWord, dst.m_pColorBlocks[i].m_nFirstWord) << "block " << i;
    }
    EXPECT_EQ(native.m_extents.nLeft, dst.m_extents.nLeft);
    EXPECT_EQ(native.m_extents.nUp, dst.m_extents.nUp);
    EXPECT_EQ(native.m_extents.nRight, dst.m_extents.nRight);
    EXPECT_EQ(native.m_extents.nDown, dst.m_extents.nDown);
}

std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> out;
    for (const auto& entry : fs::directory_iterator(dir))
        out.push_back(entry.path().filename().string());
    std::sort(out.begin(), out.end());
    return out;
}

// A DST design reaching well past the editing area to the right.
fixture::Bytes WideDst()
{
    fixture::Stitches s{fixture::Sew(10, 10)};
    for (int i = 0; i < 30; ++i)
        s.push_back(fixture::Sew(100, 0));
    s.push_back(fixture::EndDesign());
    return fixture::MakeDst(s);
}

fixture::Bytes ManyBlocksDst(int nBlocks)
{
    fixture::Stitches s{fixture::Sew(5, 5), fixture::Sew(5, -5)};
    for (int i = 1; i < nBlocks; ++i) {
        s.push_back(fixture::ChangeColor(1, 0));
        s.push_back(fixture::Sew(5, 5));
    }
    s.push_back(fixture::EndDesign());
    return fixture::MakeDst(s);
}

} // namespace

TEST(ConvertDst, CorpusDesignsReadBackTheSameInEveryNativeFormat)
{
    const auto dsts = tavren::test::CorpusFiles();
    ASSERT_GE(dsts.size(), 5u);
    bool sawSeveralBlocks = false;
    for (const fs::path& path : dsts) {
        const fixture::Bytes dst = fixture::ReadWholeFile(path.string());
        ReadDesign original;
        ReadAs(CEmbFile::dftDst, dst, original);
        ASSERT_TRUE(original.ok) << path;
        sawSeveralBlocks |= original.data.m_nColorBlockCount > 1;
        for (int nType : {CEmbFile::dftQef, CEmbFile::dftQefPlus, CEmbFile::dftQpx}) {
            fixture::Bytes native;
            std::string why;
            ASSERT_TRUE(ConvertDstToNative(dst, nType, native, why)) << path << ": " << why;
            ReadDesign converted;
            ReadAs(nType, native, converted);
            ASSERT_TRUE(converted.ok) << path << " as type " << nType;
            ExpectSameDesign(original.data, converted.data, path.filename().string() + " type " + std::to_string(nType));
            EXPECT_EQ(converted.hoop, original.hoop) << path;
            EXPECT_EQ(CMachineFileCheck::CheckDesignLimits(converted.data), CMachineFileCheck::mfcOk) << path;
        }
    }
    EXPECT_TRUE(sawSeveralBlocks) << "the corpus should hold a design of several colours";
}

TEST(ConvertCommand, WritesAFileTheModuleReadsAndTheMachineTakes)
{
    // What the converter makes of every corpus design is compared above; here the command's file.
    ScratchDir dir;
    const fixture::Bytes cake = fixture::ReadWholeFile((Corpus() / "Cake 3.dst").string());
    for (const char* ext : {".qef", ".qef+", ".qpx"}) {
        const fs::path out = dir.path / (std::string("out") + ext);
        const auto run = RunTavren({"convert", (Corpus() / "Cake 3.dst").string(), "-o", out.string(), "--force"});
        ASSERT_EQ(run.exitCode, 0) << run.output;
        // Through the module's own file access, as the File Manager checks what it sends.
        const std::u16string win = tavren::DriveMap::Instance().FromHost(out.string());
        ASSERT_FALSE(win.empty());
        EXPECT_EQ(CMachineFileCheck::CheckDesignFile(win.c_str()), CMachineFileCheck::mfcOk) << ext;
        fixture::Bytes want;
        std::string why;
        ASSERT_TRUE(ConvertDstToNative(cake, CEmbFile::GetFileType(win.c_str()), want, why)) << why;
        EXPECT_EQ(fixture::ReadWholeFile(out.string()), want) << ext << ": the converter's bytes, in the format its name gives";
    }
    EXPECT_EQ(FilesIn(dir.path), (std::vector<std::string>{"out.qef", "out.qef+", "out.qpx"}));

    // Without -o the design lands beside its DST as .qef.
    fixture::WriteFile((dir.path / "bean.dst").string(), fixture::ReadWholeFile((Corpus() / "Bean.dst").string()));
    EXPECT_EQ(RunTavren({"convert", (dir.path / "bean.dst").string()}).exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(dir.path / "bean.qef"));
}

TEST(ConvertCommand, RefusalsLeaveNoFileBehind)
{
    ScratchDir dir;
    const fs::path wide = dir.path / "in" / "wide.dst";
    const fs::path truncated = dir.path / "in" / "cut.dst";
    const fs::path many = dir.path / "in" / "many.dst";
    fs::create_directories(wide.parent_path());
    fixture::WriteFile(wide.string(), WideDst());
    const fixture::Bytes star = fixture::ReadWholeFile((Corpus() / "Star.DST").string());
    fixture::WriteFile(truncated.string(), fixture::Bytes(star.begin(), star.begin() + star.size() / 2 + 1));
    fixture::WriteFile(many.string(), ManyBlocksDst(250));
    const fs::path outDir = dir.path / "out";
    fs::create_directories(outDir);

    auto run = RunTavren({"convert", wide.string(), "-o", (outDir / "wide.qef").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("editing area"), std::string::npos) << run.output;
    run = RunTavren({"convert", truncated.string(), "-o", (outDir / "cut.qpx").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("cannot convert"), std::string::npos) << run.output;
    run = RunTavren({"convert", many.string(), "-o", (outDir / "many.qef+").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("250 colour blocks"), std::string::npos) << run.output;
    run = RunTavren({"convert", (dir.path / "in" / "missing.dst").string(), "-o", (outDir / "m.qef").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.output.find("no such file"), std::string::npos) << run.output;
    EXPECT_TRUE(FilesIn(outDir).empty());

    // Not one of the machine's formats, and an existing file kept unless --force.
    EXPECT_EQ(RunTavren({"convert", (Corpus() / "Bean.dst").string(), "-o", (outDir / "b.dst").string()}).exitCode, 2);
    fixture::WriteFile((outDir / "keep.qef").string(), {'x'});
    run = RunTavren({"convert", (Corpus() / "Bean.dst").string(), "-o", (outDir / "keep.qef").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(fixture::ReadWholeFile((outDir / "keep.qef").string()), fixture::Bytes{'x'});
    run = RunTavren({"convert", (Corpus() / "Bean.dst").string(), "-o", (outDir / "keep.qef").string(), "--force"});
    EXPECT_EQ(run.exitCode, 0) << run.output;
    EXPECT_GT(fs::file_size(outDir / "keep.qef"), 116u);
    EXPECT_EQ(FilesIn(outDir), (std::vector<std::string>{"keep.qef"}));
}

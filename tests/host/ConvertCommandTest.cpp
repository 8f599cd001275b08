// tavren convert: a DST design becomes a native file that the module's own reader reads as the
// same design (words, colour blocks, extents) and that the machine's check passes; what the
// machine could not take, and what is not a whole DST design, leaves no file behind.
#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "platform/file/DriveMap.h"
#include "tests/design/FixtureWriter.h"
#include "tests/host/TavrenProcess.h"

#include <gtest/gtest.h>

#include <tuple>

namespace fs = std::filesystem;
using tavren::test::FilesUnder;
using tavren::test::RunTavren;
using tavren::test::ScratchDir;

namespace {

fs::path Corpus() { return tavren::test::SourceDir() + "/tests/fixtures/corpus"; }

// A design file as the module reads it: whether it reads, its stitch words, palette rows, extents
// and hoop.
auto Seen(int nType, const fixture::Bytes& bytes)
{
    CEmbFile file(nType);
    CEmbData d;
    const bool bRead = file.ReadBuffer(bytes.data(), bytes.size(), d) && d.m_nStatus > 0;
    d.UpdateExtents();
    std::vector<std::pair<int, int>> blocks;
    for (int i = 0; i < d.m_nColorBlockCount; ++i)
        blocks.emplace_back(d.m_pColorBlocks[i].m_nPaletteIndex, d.m_pColorBlocks[i].m_nFirstWord);
    return std::tuple(bRead, std::string(reinterpret_cast<const char*>(d.m_pStitchWords), 2 * static_cast<size_t>(d.m_nStitchWordCount)),
                      blocks, std::vector<int>{d.m_extents.nLeft, d.m_extents.nUp, d.m_extents.nRight, d.m_extents.nDown}, file.GetHoopCode());
}

} // namespace

// Every corpus design, converted by the command into each native format, reads back through the
// module's own file access as the same design, and the machine's check passes it.
TEST(ConvertCommand, CorpusDesignsReadBackTheSameInEveryNativeFormat)
{
    ScratchDir dir;
    const auto dsts = tavren::test::CorpusFiles();
    ASSERT_GE(dsts.size(), 5u);
    bool bSawSeveralBlocks = false;
    for (const fs::path& path : dsts) {
        const auto original = Seen(CEmbFile::dftDst, fixture::ReadWholeFile(path.string()));
        ASSERT_TRUE(std::get<0>(original)) << path;
        bSawSeveralBlocks |= std::get<2>(original).size() > 1;
        for (const char* ext : {".qef", ".qef+", ".qpx"}) {
            const fs::path out = dir.path / (std::string("out") + ext);
            const auto run = RunTavren({"convert", path.string(), "-o", out.string(), "--force"});
            ASSERT_EQ(run.exitCode, 0) << run.output;
            const std::u16string win = tavren::DriveMap::Instance().FromHost(out.string());
            EXPECT_EQ(CMachineFileCheck::CheckDesignFile(win.c_str()), CMachineFileCheck::mfcOk) << path << " as " << ext;
            EXPECT_TRUE(Seen(CEmbFile::GetFileType(win.c_str()), fixture::ReadWholeFile(out.string())) == original) << path << " as " << ext;
        }
    }
    EXPECT_TRUE(bSawSeveralBlocks) << "the corpus should hold a design of several colours";
    EXPECT_EQ(FilesUnder(dir.path), (std::set<std::string>{"out.qef", "out.qef+", "out.qpx"}));

    // Without -o the design lands beside its DST as .qef.
    fixture::WriteFile((dir.path / "bean.dst").string(), fixture::ReadWholeFile((Corpus() / "Bean.dst").string()));
    EXPECT_EQ(RunTavren({"convert", (dir.path / "bean.dst").string()}).exitCode, 0);
    EXPECT_TRUE(fs::is_regular_file(dir.path / "bean.qef"));
}

TEST(ConvertCommand, RefusalsLeaveNoFileBehind)
{
    using namespace fixture;
    ScratchDir dir;
    const fs::path outDir = dir.path / "out";
    fs::create_directories(outDir);
    WriteFile((outDir / "keep.qef").string(), {'x'});
    const Bytes star = ReadWholeFile((Corpus() / "Star.DST").string()), bean = ReadWholeFile((Corpus() / "Bean.dst").string());
    Stitches manyBlocks{Sew(5, 5), Sew(5, -5)};
    for (int i = 1; i < 250; ++i)
        manyBlocks.insert(manyBlocks.end(), {ChangeColor(1, 0), Sew(5, 5)});
    manyBlocks.push_back(EndDesign());
    const std::tuple<const char*, Bytes, const char*, int> refused[] = {
        {"wide.qef", MakeDst({Sew(3000, 0), EndDesign()}), "editing area", 1},
        {"cut.qpx", Bytes(star.begin(), star.begin() + star.size() / 2 + 1), "cannot convert", 1},
        {"many.qef+", MakeDst(manyBlocks), "250 colour blocks", 1},
        {"missing.qef", {}, "no such file", 1},
        {"b.dst", bean, "end in .qef, .qef+ or .qpx", 2},
        {"keep.qef", bean, "already exists (--force replaces it)", 1},
    };
    for (const auto& [out, bytes, why, exitCode] : refused) {
        const fs::path in = dir.path / (fs::path(out).stem().string() + ".dst");
        if (!bytes.empty())
            WriteFile(in.string(), bytes);
        const auto run = RunTavren({"convert", in.string(), "-o", (outDir / out).string()});
        EXPECT_EQ(run.exitCode, exitCode) << in;
        EXPECT_NE(run.output.find(why), std::string::npos) << run.output;
    }
    EXPECT_EQ(FilesUnder(outDir), (std::set<std::string>{"keep.qef"}));
    EXPECT_EQ(ReadWholeFile((outDir / "keep.qef").string()), Bytes{'x'});
    // (--force replacing a file: the corpus test, which converts every design to the same files.)
}

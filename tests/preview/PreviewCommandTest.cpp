// `tavren preview` end to end: a picture of the asked size with thread on it, the 48 x 48 list
// picture, and a file that cannot be read gives status 1 and no PNG.
#include "host/cli/PreviewCommand.h"
#include "tests/design/FixtureWriter.h"
#include "tests/support/PngReader.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

class PreviewCommand : public ::testing::Test {
protected:
    int Run(std::vector<std::string> args)
    {
        std::vector<char*> argv = {const_cast<char*>("preview")};
        for (auto& a : args)
            argv.push_back(a.data());
        return RunPreviewCommand(static_cast<int>(argv.size()), argv.data());
    }
    std::string Out(const std::string& name) const { return (m_dir / name).string(); }

    // Pixels that are neither white nor the light-thread background.
    static int CountInk(const std::vector<uint8_t>& bgr)
    {
        int n = 0;
        for (size_t i = 0; i < bgr.size(); i += 3)
            n += !(bgr[i] == bgr[i + 1] && ((bgr[i] == 255 && bgr[i + 2] == 255) || (bgr[i] == 0x9B && bgr[i + 2] == 0x88)));
        return n;
    }

    tavren::test::ScratchDir m_scratch;
    const fs::path& m_dir = m_scratch.path;
};

// Every corpus design's picture is pinned pixel for pixel in PictureIdentityTest.cpp, and the box
// in the list picture's corner in ModuleListPicture.TheCornerShowsBitmaps13005And13006WithWhiteLeftOut;
// here the command's sizes, the list picture of both families and that --checked changes it.
TEST_F(PreviewCommand, SizesListPicturesAndTheirBox)
{
    const std::string star = tavren::test::SourceDir() + "/tests/fixtures/corpus/Star.DST";
    const std::string stx = Out("p.stx");
    ASSERT_TRUE(fixture::WriteFile(stx, fixture::MakeStx(fixture::WellFormedStx(12))));
    int w, h;
    std::vector<uint8_t> plain, checked;
    const std::vector<std::string> runs[] = {
        {star}, {star, "--size", "100"}, {stx, "--size", "128"}, {stx, "--list-picture"}, {star, "--list-picture"}};
    for (std::vector<std::string> args : runs) {
        const int nSize = args.size() == 1 ? 512 : args[1] == "--size" ? std::stoi(args[2]) : 48;
        args.insert(args.end(), {"-o", Out("a.png")});
        ASSERT_EQ(Run(args), 0) << args[0];
        ASSERT_TRUE(ReadPngBgr(Out("a.png"), w, h, plain));
        EXPECT_EQ(std::make_pair(w, h), std::make_pair(nSize, nSize)) << args[0];
        EXPECT_GT(CountInk(plain), nSize == 512 ? 500 : nSize == 48 ? 20 : 50) << args[0] << ": thread on the picture";
    }
    ASSERT_EQ(Run({star, "--checked", "--list-picture", "-o", Out("c.png")}), 0);
    ASSERT_TRUE(ReadPngBgr(Out("c.png"), w, h, checked));
    EXPECT_NE(plain, checked) << "the ticked box";
}

TEST_F(PreviewCommand, UnreadableFilesGiveStatusOneAndNoPicture)
{
    const std::pair<const char*, fixture::Bytes> files[] = {
        {"junk.qef", fixture::Bytes(40, 0x55)}, {"short.dst", fixture::Bytes(100, 0x20)}, {"empty.stx", {}},
        {"notes.txt", fixture::Bytes(600, 'a')}};
    for (const auto& [name, bytes] : files)
        ASSERT_TRUE(fixture::WriteFile(Out(name), bytes));
    for (const std::string& strIn : {Out("missing.qef"), Out("junk.qef"), Out("short.dst"), Out("empty.stx"), Out("notes.txt"), m_dir.string()}) {
        EXPECT_EQ(Run({strIn, "-o", Out("x.png")}), 1) << strIn;
        EXPECT_FALSE(fs::exists(Out("x.png"))) << strIn;
    }
    // A PNG that cannot be written is a failure too.
    EXPECT_EQ(Run({tavren::test::SourceDir() + "/tests/fixtures/corpus/Bean.dst", "-o", Out("no/such/dir/x.png")}), 1);
}

} // namespace

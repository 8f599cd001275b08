// `tavren preview` end to end: a picture of the asked size with thread on it, the 48 x 48 list
// picture, and a file that cannot be read gives status 1 and no PNG.
#include "tests/design/FixtureWriter.h"
#include "tests/support/PngReader.h"

#include "host/PreviewCommand.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

using tavren::test::SourceDir;

class PreviewCommand : public ::testing::Test {
protected:

    int Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "preview");
        std::vector<char*> argv;
        for (auto& a : args)
            argv.push_back(a.data());
        return RunPreviewCommand(static_cast<int>(argv.size()), argv.data());
    }
    std::string Out(const std::string& name) const { return (m_dir / name).string(); }

    // Pixels that are neither white nor the light-thread background.
    static int CountInk(const std::vector<uint8_t>& bgr)
    {
        int n = 0;
        for (size_t i = 0; i < bgr.size(); i += 3) {
            bool bWhite = bgr[i] == 255 && bgr[i + 1] == 255 && bgr[i + 2] == 255;
            bool bGreyBlue = bgr[i] == 0x9B && bgr[i + 1] == 0x9B && bgr[i + 2] == 0x88;
            n += !bWhite && !bGreyBlue;
        }
        return n;
    }

    tavren::test::ScratchDir m_scratch;
    fs::path m_dir = m_scratch.path;
};

// Every corpus design's picture is pinned pixel for pixel in PictureIdentityTest.cpp; here the
// command's sizes, the list picture of both families and its box.
TEST_F(PreviewCommand, SizesListPicturesAndTheirBox)
{
    const std::string star = SourceDir() + "/tests/fixtures/corpus/Star.DST";
    const std::string stx = Out("p.stx");
    ASSERT_TRUE(fixture::WriteFile(stx, fixture::MakeStx(fixture::WellFormedStx(12))));
    int w, h;
    std::vector<uint8_t> plain, checked;
    const std::pair<std::string, int> sizes[] = {{star, 512}, {star, 100}, {stx, 128}}; // 512 unasked
    for (const auto& [strIn, nSize] : sizes) {
        std::vector<std::string> args{strIn, "-o", Out("a.png")};
        if (nSize != 512)
            args.insert(args.end(), {"--size", std::to_string(nSize)});
        ASSERT_EQ(Run(args), 0) << strIn;
        ASSERT_TRUE(ReadPngBgr(Out("a.png"), w, h, plain));
        EXPECT_EQ(w, nSize);
        EXPECT_EQ(h, nSize);
        EXPECT_GT(CountInk(plain), nSize == 512 ? 500 : 50) << strIn << ": thread on the picture";
        if (nSize == 512) {
            EXPECT_EQ(CountInk({plain.begin(), plain.begin() + 512 * 3 * 4}), 0) << "the border rows stay clear";
        }
    }
    for (const std::string& strIn : {stx, star}) { // the design's last: its box is compared below
        ASSERT_EQ(Run({strIn, "-o", Out("l.png"), "--list-picture"}), 0);
        ASSERT_TRUE(ReadPngBgr(Out("l.png"), w, h, plain));
        EXPECT_EQ(w, 48);
        EXPECT_EQ(h, 48);
    }
    ASSERT_EQ(Run({star, "--checked", "--list-picture", "-o", Out("c.png")}), 0);
    ASSERT_TRUE(ReadPngBgr(Out("c.png"), w, h, checked));
    // Same picture, another box in the bottom-right corner.
    size_t nDiffer = 0, nOutsideCorner = 0;
    for (int y = 0; y < 48; ++y)
        for (int x = 0; x < 48; ++x) {
            size_t i = (static_cast<size_t>(y) * 48 + x) * 3;
            bool bDiffer = plain[i] != checked[i] || plain[i + 1] != checked[i + 1] || plain[i + 2] != checked[i + 2];
            nDiffer += bDiffer;
            nOutsideCorner += bDiffer && (x < 32 || y < 32);
        }
    EXPECT_GT(nDiffer, 0u);
    EXPECT_EQ(nOutsideCorner, 0u);
}

TEST_F(PreviewCommand, UnreadableFilesGiveStatusOneAndNoPicture)
{
    ASSERT_TRUE(fixture::WriteFile(Out("junk.qef"), fixture::Bytes(40, 0x55)));
    ASSERT_TRUE(fixture::WriteFile(Out("short.dst"), fixture::Bytes(100, 0x20)));
    ASSERT_TRUE(fixture::WriteFile(Out("empty.stx"), fixture::Bytes()));
    ASSERT_TRUE(fixture::WriteFile(Out("notes.txt"), fixture::Bytes(600, 'a')));
    for (const char* name : {"missing.qef", "junk.qef", "short.dst", "empty.stx", "notes.txt"}) {
        EXPECT_EQ(Run({Out(name), "-o", Out("x.png")}), 1) << name;
        EXPECT_FALSE(fs::exists(Out("x.png"))) << name;
    }
    EXPECT_EQ(Run({m_dir.string(), "-o", Out("x.png")}), 1); // a folder
    EXPECT_FALSE(fs::exists(Out("x.png")));
    // A PNG that cannot be written is a failure too.
    EXPECT_EQ(Run({SourceDir() + "/tests/fixtures/corpus/Bean.dst", "-o", Out("no/such/dir/x.png")}), 1);
}

} // namespace

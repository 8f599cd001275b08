// `tavren info`: one JSON object per file in the agreed shape, for good, bad and missing files of
// both families, and the human summary naming what was wrong.
#include "host/InfoCommand.h"
#include "tests/design/FixtureWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <filesystem>
#include <iostream>
#include <sstream>
#include <unistd.h>

using namespace fixture;
using nlohmann::json;

namespace {

class InfoCommandTest : public ::testing::Test {
protected:

    std::string Put(const std::string& name, const Bytes& bytes)
    {
        const std::string path = m_dir + "/" + name;
        EXPECT_TRUE(WriteFile(path, bytes));
        return path;
    }

    // Runs the command and returns its exit status and standard output.
    std::pair<int, std::string> Run(std::vector<std::string> args)
    {
        args.insert(args.begin(), "info");
        std::vector<char*> argv;
        for (std::string& a : args)
            argv.push_back(a.data());
        std::ostringstream out;
        std::streambuf* old = std::cout.rdbuf(out.rdbuf());
        const int rc = RunInfoCommand(static_cast<int>(argv.size()), argv.data());
        std::cout.rdbuf(old);
        return {rc, out.str()};
    }

    std::vector<json> Lines(const std::string& text)
    {
        std::vector<json> lines;
        std::istringstream in(text);
        std::string line;
        while (std::getline(in, line))
            lines.push_back(json::parse(line));
        return lines;
    }

    tavren::test::ScratchDir m_scratch;
    std::string m_dir = m_scratch.path.string();
};

} // namespace

TEST_F(InfoCommandTest, DesignObjectHasTheAgreedFields)
{
    DesignLayout layout = LayoutFromStitches({JumpBy(5, 5), Sew(10, 0), ChangeColor(1, 1), Sew(0, 10), EndDesign()});
    layout.palette = {2, 10};
    layout.customThreads = {CustomThread{1, 1, 2, 3, 0xFE, 4}};
    layout.hoop = 28;
    const std::string path = Put("rose.qpx", MakeQpx(layout));
    auto [rc, out] = Run({"--json", "--words", path});
    ASSERT_EQ(rc, 0);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 1u);
    const json& j = lines[0];
    EXPECT_EQ(j["file"], path);
    EXPECT_EQ(j["family"], "design");
    EXPECT_EQ(j["fileType"], 3);
    EXPECT_EQ(j["read"], true);
    EXPECT_EQ(j["status"], 1);
    EXPECT_EQ(j["colorBlocks"], 2);
    EXPECT_EQ(j["stitchWords"], 7);
    EXPECT_EQ(j["hoop"], 28);
    EXPECT_EQ(j["designOption"], 0);
    EXPECT_EQ(j["extents"], json({0, 16, 16, 0}));
    ASSERT_EQ(j["blocks"].size(), 2u);
    EXPECT_EQ(j["blocks"][0]["rgb"], json({255, 255, 255}));
    EXPECT_EQ(j["blocks"][0]["custom"], false);
    EXPECT_EQ(j["blocks"][1]["custom"], true);
    EXPECT_EQ(j["blocks"][1]["rgb"], json({1, 2, 3}));
    EXPECT_EQ(j["blocks"][1]["marker"], 0xFE);
    EXPECT_EQ(j["blocks"][1]["markDirection"], 4);
    EXPECT_EQ(j["blocks"][1]["firstWord"], 3);
    EXPECT_EQ(j["blocks"][1]["start"], json({15, 5}));
    EXPECT_EQ(j["editItems"], 0);
    EXPECT_EQ(j["allLight"], false);
    EXPECT_EQ(j["check"], "ok");
    ASSERT_EQ(j["words"].size(), 7u);
    EXPECT_EQ(j["words"][0], json({128, 2}));
    EXPECT_EQ(j["words"][1], json({5, 5}));
    EXPECT_EQ(j["words"][6], json({128, 16}));
    // Without --words there are none.
    EXPECT_FALSE(Lines(Run({"--json", path}).second)[0].contains("words"));
}

TEST_F(InfoCommandTest, BadAndMissingFilesStillGetTheirObject)
{
    Bytes bad = MakeQef(LayoutFromStitches({Sew(1, 1), EndDesign()}));
    Patch32(bad, 24, 0);
    const std::string badPath = Put("bad.QEF", bad);
    const std::string big = Put("big.qef", MakeQef(LayoutFromStitches({Sew(1401, 0), EndDesign()})));
    const std::string missing = m_dir + "/missing.qef+";
    auto [rc, out] = Run({"--json", badPath, big, missing});
    EXPECT_EQ(rc, 1);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["read"], false);
    EXPECT_EQ(lines[0]["fileType"], 1);
    EXPECT_EQ(lines[0]["check"], "error-in-file");
    EXPECT_EQ(lines[0]["error"], 2);
    EXPECT_EQ(lines[1]["check"], "too-large");
    EXPECT_EQ(lines[2]["read"], false);
    EXPECT_EQ(lines[2]["check"], "not-found");
    EXPECT_EQ(lines[2]["fileType"], 2);
    EXPECT_EQ(lines[2]["colorBlocks"], 0);
}

TEST_F(InfoCommandTest, StxObject)
{
    const std::string good = Put("zig.STX", MakeStx(WellFormedStx(4)));
    StxLayout layout = WellFormedStx(4);
    layout.headerSize = 0x40;
    const std::string bad = Put("bad.stx", MakeStx(layout));
    auto [rc, out] = Run({"--json", good, bad, m_dir + "/none.stx"});
    EXPECT_EQ(rc, 1);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["family"], "stx");
    EXPECT_EQ(lines[0]["read"], true);
    EXPECT_EQ(lines[0]["broken"], false);
    EXPECT_EQ(lines[0]["width"], 24);
    EXPECT_EQ(lines[0]["length"], 16);
    EXPECT_EQ(lines[0]["minFeed"], 0);
    EXPECT_EQ(lines[0]["outline"].size(), 4u);
    EXPECT_EQ(lines[0]["outline"][1], json({12, 4}));
    EXPECT_EQ(lines[0]["check"], "ok");
    EXPECT_EQ(lines[1]["read"], false);
    EXPECT_EQ(lines[1]["broken"], true);
    EXPECT_EQ(lines[1]["check"], "error-in-file");
    EXPECT_EQ(lines[2]["check"], "not-found");
}

TEST_F(InfoCommandTest, DstFileIsNoMachineFileWhateverItsDesign)
{
    const Stitches small = {Sew(100, 50), ChangeColor(), Sew(-10, -10), EndDesign()};
    Stitches wide;
    for (int i = 0; i < 15; ++i)
        wide.push_back(Sew(100, 0)); // 150 mm to the right
    wide.push_back(EndDesign());
    const std::string dst = Put("ok.dst", MakeDst(small));
    const std::string wideDst = Put("wide.DST", MakeDst(wide));
    const std::string qef = Put("ok.qef", MakeQef(LayoutFromStitches(small)));

    // The machine reads only its own formats and nothing converts a DST file; what can be said is
    // whether the design itself keeps within the limits.
    std::string out = Run({dst}).second;
    EXPECT_EQ(out.find("the machine would take it"), std::string::npos) << out;
    EXPECT_NE(out.find("machine: reads only .qef, .qef+ and .qpx files"), std::string::npos) << out;
    EXPECT_NE(out.find("design: within the machine's limits"), std::string::npos) << out;
    out = Run({wideDst}).second;
    EXPECT_NE(out.find("machine: reads only .qef, .qef+ and .qpx files"), std::string::npos) << out;
    EXPECT_NE(out.find("design: beyond the machine's limits: larger than 140 mm"), std::string::npos) << out;
    out = Run({qef}).second;
    EXPECT_NE(out.find("machine: the machine would take it"), std::string::npos) << out;
    EXPECT_EQ(out.find("reads only"), std::string::npos) << out;

    const auto lines = Lines(Run({"--json", dst, wideDst, qef}).second);
    ASSERT_EQ(lines.size(), 3u);
    EXPECT_EQ(lines[0]["machineFormat"], false);
    EXPECT_EQ(lines[0]["check"], "ok");
    EXPECT_EQ(lines[1]["machineFormat"], false);
    EXPECT_EQ(lines[1]["check"], "too-large");
    EXPECT_EQ(lines[2]["machineFormat"], true);
    EXPECT_EQ(lines[2]["check"], "ok");
}


// `tavren info`: one JSON object per file in the agreed shape, for good, bad and missing files of
// both families, and the human summary naming what was wrong.
#include "host/cli/InfoCommand.h"
#include "tests/design/FixtureWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <iostream>
#include <sstream>

using namespace fixture;
using nlohmann::json;

namespace {

class InfoCommandTest : public ::testing::Test {
protected:
    std::string Put(const std::string& name, const Bytes& bytes)
    {
        EXPECT_TRUE(WriteFile(m_dir + "/" + name, bytes));
        return m_dir + "/" + name;
    }

    // Runs the command and returns its exit status and standard output.
    std::pair<int, std::string> Run(std::vector<std::string> args)
    {
        std::vector<char*> argv = {const_cast<char*>("info")};
        for (std::string& a : args)
            argv.push_back(a.data());
        std::ostringstream out;
        std::streambuf* old = std::cout.rdbuf(out.rdbuf());
        const int rc = RunInfoCommand(static_cast<int>(argv.size()), argv.data());
        std::cout.rdbuf(old);
        return {rc, out.str()};
    }

    static std::vector<json> Lines(const std::string& text)
    {
        std::vector<json> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(json::parse(line));
        return lines;
    }

    // Each field of want has its value in j.
    static void ExpectFields(const json& j, const char* pszWant)
    {
        const json want = json::parse(pszWant);
        for (const auto& item : want.items())
            EXPECT_EQ(j.value(item.key(), json()), item.value()) << item.key() << " in " << j.dump();
    }

    tavren::test::ScratchDir m_scratch;
    std::string m_dir = m_scratch.path.string();
};

} // namespace

TEST_F(InfoCommandTest, DesignObjectHasTheAgreedFields)
{
    const std::string path = Put("rose.qpx", MakeQpx({.words = LayoutFromStitches({JumpBy(5, 5), Sew(10, 0), ChangeColor(1, 1), Sew(0, 10), EndDesign()}).words,
                                                      .palette = {2, 10}, .hoop = 28, .customThreads = {CustomThread{1, 1, 2, 3, 0xFE, 4}}}));
    auto [rc, out] = Run({"--json", "--words", path});
    ASSERT_EQ(std::make_pair(rc, Lines(out).size()), std::make_pair(0, size_t(1)));
    json j = Lines(out)[0];
    EXPECT_EQ(j["file"], path);
    j.erase("file");
    EXPECT_EQ(j, json::parse(R"({"family": "design", "fileType": 3, "read": true, "status": 1, "error": 0, "errorText": "",
        "colorBlocks": 2, "stitchWords": 7, "hoop": 28, "designOption": 0, "extents": [0, 16, 16, 0],
        "blocks": [{"custom": false, "firstWord": 0, "markDirection": 0, "marker": 0, "palette": 2, "rgb": [255, 255, 255],
                    "start": [0, 0], "threadType": 13},
                   {"custom": true, "firstWord": 3, "markDirection": 4, "marker": 254, "palette": 10, "rgb": [1, 2, 3],
                    "start": [15, 5], "threadType": 13}],
        "editItems": 0, "allLight": false, "check": "ok", "machineFormat": true,
        "words": [[128, 2], [5, 5], [10, 0], [128, 1], [1, 1], [0, 10], [128, 16]]})"));
    // Without --words there are none.
    EXPECT_FALSE(Lines(Run({"--json", path}).second)[0].contains("words"));
}

// Good, bad and missing files of both families each get their object, and the status is 1.
TEST_F(InfoCommandTest, BadAndMissingFilesOfBothFamiliesStillGetTheirObject)
{
    Bytes bad = MakeQef(LayoutFromStitches({Sew(1, 1), EndDesign()}));
    Patch32(bad, 24, 0);
    StxLayout badStx = WellFormedStx(4);
    badStx.headerSize = 0x40;
    auto [rc, out] = Run({"--json", Put("bad.QEF", bad), Put("big.qef", MakeQef(LayoutFromStitches({Sew(1401, 0), EndDesign()}))),
                          m_dir + "/missing.qef+", Put("zig.STX", MakeStx(WellFormedStx(4))), Put("bad.stx", MakeStx(badStx)),
                          m_dir + "/none.stx"});
    EXPECT_EQ(rc, 1);
    const auto lines = Lines(out);
    ASSERT_EQ(lines.size(), 6u);
    ExpectFields(lines[0], R"({"read": false, "fileType": 1, "check": "error-in-file", "error": 2})");
    ExpectFields(lines[1], R"({"check": "too-large"})");
    ExpectFields(lines[2], R"({"read": false, "check": "not-found", "fileType": 2, "colorBlocks": 0})");
    ExpectFields(lines[3], R"({"family": "stx", "read": true, "broken": false, "width": 24, "length": 16,
                               "minFeed": 0, "check": "ok"})");
    EXPECT_EQ(std::make_pair(lines[3]["outline"].size(), lines[3]["outline"][1]), std::make_pair(size_t(4), json({12, 4})));
    ExpectFields(lines[4], R"({"read": false, "broken": true, "check": "error-in-file"})");
    ExpectFields(lines[5], R"({"check": "not-found"})");
}

TEST_F(InfoCommandTest, DstFileIsNoMachineFileWhateverItsDesign)
{
    const Stitches small = {Sew(100, 50), ChangeColor(), Sew(-10, -10), EndDesign()};
    const std::string dst = Put("ok.dst", MakeDst(small)), qef = Put("ok.qef", MakeQef(LayoutFromStitches(small)));
    const std::string wideDst = Put("wide.DST", MakeDst({Sew(1500, 0), EndDesign()})); // 150 mm to the right

    // The machine reads only its own formats and nothing converts a DST file; what can be said is
    // whether the design itself keeps within the limits.
    const std::pair<std::string, std::vector<std::string>> summaries[] = {
        {dst, {"machine: reads only .qef, .qef+ and .qpx files", "design: within the machine's limits"}},
        {wideDst, {"machine: reads only .qef, .qef+ and .qpx files", "design: beyond the machine's limits: larger than 140 mm"}},
        {qef, {"machine: the machine would take it"}}};
    for (const auto& [path, texts] : summaries) {
        const std::string out = Run({path}).second;
        for (const std::string& text : texts)
            EXPECT_NE(out.find(text), std::string::npos) << out;
        EXPECT_EQ(out.find(path == qef ? "reads only" : "the machine would take it"), std::string::npos) << out;
    }
    // The same in the object (a native file's "machineFormat": true is in DesignObjectHasTheAgreedFields).
    ExpectFields(Lines(Run({"--json", wideDst}).second).at(0), R"({"machineFormat": false, "check": "too-large"})");
}


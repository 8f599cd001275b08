// tavren thumbnail and the desktop entries: the installed thumbnailer run as a file manager runs
// it, a PNG of the asked size for every design and pattern format, and uninstall taking away all
// that install put.
#include "tests/design/FixtureWriter.h"
#include "tests/host/TavrenProcess.h"
#include "tests/support/PngReader.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;
using tavren::test::FilesUnder;
using tavren::test::RunProcess;
using tavren::test::RunTavren;
using tavren::test::ScratchDir;

namespace {

struct Picture {
    bool ok = false;
    int width = 0, height = 0;
    // The bounding box of the pixels that differ from the corner's.
    int left = 0, top = 0, right = -1, bottom = -1;
};

Picture ReadPng(const fs::path& path)
{
    Picture pic;
    std::vector<uint8_t> bgr;
    if (!(pic.ok = ReadPngBgr(path.string(), pic.width, pic.height, bgr)))
        return pic;
    pic.left = pic.width;
    pic.top = pic.height;
    for (int y = 0; y < pic.height; ++y)
        for (int x = 0; x < pic.width; ++x)
            if (!std::equal(bgr.begin(), bgr.begin() + 3, bgr.begin() + 3 * (y * pic.width + x))) {
                pic.left = std::min(pic.left, x);
                pic.right = std::max(pic.right, x);
                pic.top = std::min(pic.top, y);
                pic.bottom = std::max(pic.bottom, y);
            }
    return pic;
}

std::string ReadText(const fs::path& path) { return std::string(std::istreambuf_iterator<char>(std::ifstream(path).rdbuf()), {}); }

// The Exec line split as desktop entries quote it, with the thumbnailer's field codes replaced.
std::vector<std::string> ExecArguments(const std::string& exec, const std::map<char, std::string>& codes)
{
    std::vector<std::string> args(1);
    bool quoted = false;
    for (size_t i = 0; i < exec.size(); ++i) {
        const char c = exec[i];
        if (c == '"')
            quoted = !quoted;
        else if (c == ' ' && !quoted)
            args.emplace_back();
        else if ((c == '%' || (quoted && c == '\\')) && i + 1 < exec.size())
            args.back() += c == '%' ? codes.at(exec[++i]) : std::string(1, exec[++i]);
        else
            args.back() += c;
    }
    return args;
}

} // namespace

// tavren thumbnail as the installed entry runs it, the way a file manager does: every format at
// two sizes, the drawing's aspect kept; a broken file leaves no picture.
TEST(DesktopEntries, InstalledThumbnailerDrawsEveryFormatAndUninstallTakesAllAway)
{
    ScratchDir dir;
    const fs::path data = dir.path / "data home";  // a space, so the Exec line's quoting counts
    const std::map<std::string, std::string> env{{"XDG_DATA_HOME", data.string()}};
    const fs::path program = dir.path / "bin dir" / "tavren";
    fs::create_directories(program.parent_path());
    fs::copy_file(tavren::test::TavrenBinary(), program);
    fs::permissions(program, fs::perms::owner_all);

    auto run = RunProcess({program.string(), "install-desktop"}, env);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    const std::string mime = ReadText(data / "mime/packages/tavren-designs.xml");
    for (const char* glob : {"*.qef\"", "*.qef+\"", "*.qpx\"", "*.dst\"", "*.stx\""})
        EXPECT_NE(mime.find(glob), std::string::npos) << glob;
    const std::string entry = ReadText(data / "thumbnailers/tavren.thumbnailer");
    ASSERT_EQ(entry.rfind("[Thumbnailer Entry]\n", 0), 0u) << entry;
    const size_t at = entry.find("\nExec=");
    ASSERT_NE(at, std::string::npos) << entry;
    const std::string exec = entry.substr(at + 6, entry.find('\n', at + 1) - at - 6);
    EXPECT_NE(entry.find("application/x-tavren-qef-plus;"), std::string::npos) << entry;

    // One file of each format the thumbnailer is installed for: a 40 x 10 mm rectangle, sewn all round.
    const fixture::Stitches wide{fixture::Sew(400, 0), fixture::Sew(0, 100), fixture::Sew(-400, 0), fixture::Sew(0, -100), fixture::EndDesign()};
    const fixture::DesignLayout layout = fixture::LayoutFromStitches(wide);
    const fs::path out = dir.path / "thumb.png";
    for (const auto& [name, bytes] : {std::pair{"wide.qef", fixture::MakeQef(layout)}, {"wide.qef+", fixture::MakeQefPlus(layout)},
                                      {"wide.qpx", fixture::MakeQpx(layout)}, {"wide.dst", fixture::MakeDst(wide)},
                                      {"pattern.stx", fixture::MakeStx(fixture::WellFormedStx(12))}}) {
        const fs::path in = dir.path / name;
        fixture::WriteFile(in.string(), bytes);
        for (int size : {128, 256}) {
            fs::remove(out);
            const auto args = ExecArguments(exec, {{'s', std::to_string(size)}, {'i', in.string()}, {'o', out.string()}});
            ASSERT_EQ(args.front(), program.string()) << exec;
            run = RunProcess(args);
            ASSERT_EQ(run.exitCode, 0) << in << ": " << run.output;
            const Picture pic = ReadPng(out);
            ASSERT_TRUE(pic.ok && pic.width == size && pic.height == size) << in;
            ASSERT_GE(pic.right, pic.left) << in << ": nothing drawn";
            if (in.extension() != ".stx") {
                // The drawing spans most of the width and is a quarter as high.
                const double w = pic.right - pic.left + 1, h = pic.bottom - pic.top + 1;
                EXPECT_GT(w, 0.8 * size) << in;
                EXPECT_NEAR(w / h, 4.0, 0.8) << in;
            }
        }
    }
    fixture::WriteFile((dir.path / "broken.qef").string(), fixture::Bytes(40, 7));
    fs::remove(out);
    EXPECT_EQ(RunTavren({"thumbnail", "-s", "128", (dir.path / "broken.qef").string(), out.string()}).exitCode, 1);
    EXPECT_FALSE(fs::exists(out));
    EXPECT_EQ(RunTavren({"thumbnail", (dir.path / "wide.qef").string(), out.string()}).exitCode, 2);
    if (fs::exists(data / "mime/mime.cache")) { // the MIME database rebuilt where its tool is installed
        EXPECT_NE(ReadText(data / "mime/globs2").find("application/x-tavren-stx:*.stx"), std::string::npos);
    }

    // Another package's types stay; only ours go.
    run = RunProcess({program.string(), "uninstall-desktop"}, env);
    ASSERT_EQ(run.exitCode, 0) << run.output;
    EXPECT_TRUE(FilesUnder(data).empty()) << *FilesUnder(data).begin();

    fs::create_directories(data / "mime/packages");
    std::ofstream(data / "mime/packages/other.xml")
        << "<?xml version=\"1.0\"?>\n<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">"
           "<mime-type type=\"text/x-other\"><glob pattern=\"*.oth\"/></mime-type></mime-info>\n";
    ASSERT_EQ(RunProcess({program.string(), "install-desktop"}, env).exitCode, 0);
    ASSERT_EQ(RunProcess({program.string(), "uninstall-desktop"}, env).exitCode, 0);
    EXPECT_TRUE(fs::exists(data / "mime/packages/other.xml"));
    EXPECT_FALSE(fs::exists(data / "thumbnailers"));
    for (const std::string& file : FilesUnder(data)) {
        EXPECT_EQ(file.find("tavren"), std::string::npos) << file;
        if (fs::is_regular_file(data / file) && file != "mime/mime.cache") {
            EXPECT_EQ(ReadText(data / file).find("x-tavren"), std::string::npos) << file;
        }
    }
}

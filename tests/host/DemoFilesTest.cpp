// The demo files: what is committed in tests/fixtures/demo is what make_demo_files makes, and
// tavren machine and tavren gui lay them out where a newcomer looks first.
#include "tests/host/DemoFiles.h"

#include "host/cli/MachineCommand.h"
#include "host/cli/SampleFiles.h"
#include "tests/design/FixtureWriter.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <set>

namespace fs = std::filesystem;

namespace {

std::set<std::string> Tree(const fs::path& root)
{
    std::set<std::string> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(root, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            out.insert(fs::relative(it->path(), root).generic_string());
    return out;
}

} // namespace

TEST(DemoFiles, CommittedFilesAreWhatTheGeneratorMakes)
{
    tavren::test::ScratchDir made;
    std::string strError;
    ASSERT_TRUE(demo::WriteDemoFiles(FixturesDir() / "corpus", made.path, strError)) << strError;
    std::set<std::string> want = Tree(made.path), have = Tree(DemoDir());
    EXPECT_EQ(want.size(), demo::DemoLayout().size());
    EXPECT_EQ(have, want) << "renew with: cmake --build build --target demo_fixtures";
    for (const std::string& f : want)
        EXPECT_EQ(fixture::ReadWholeFile((DemoDir() / f).string()), fixture::ReadWholeFile((made.path / f).string()))
            << f << " differs from what make_demo_files makes";
}

TEST(DemoFiles, MachineStorageAndSampleFilesComeFromTheDemo)
{
    tavren::test::ScratchDir storage;
    int n = MakeDemoStorage(storage.path);
    std::set<std::string> machine = Tree(DemoDir() / "machine");
    EXPECT_EQ(static_cast<size_t>(n), machine.size());
    EXPECT_EQ(Tree(storage.path), machine);

    // A file the storage already has is kept: a person's own storage is never overwritten.
    fixture::WriteFile((storage.path / "builtin" / "EMB" / "Star.qef").string(), {1, 2, 3});
    EXPECT_EQ(MakeDemoStorage(storage.path), 0);
    EXPECT_EQ(fixture::ReadWholeFile((storage.path / "builtin" / "EMB" / "Star.qef").string()), (fixture::Bytes{1, 2, 3}));

    // The samples Write a Design offers: the PC's demo designs and patterns, in name order.
    std::set<std::string> samples;
    for (const auto& [strFolder, files] : {std::pair{"Designs/", SampleDesigns()}, {"Patterns/", SampleStxPatterns()}}) {
        EXPECT_TRUE(std::is_sorted(files.begin(), files.end())) << strFolder;
        for (const fs::path& f : files)
            samples.insert(strFolder + f.filename().string());
    }
    EXPECT_EQ(samples, Tree(DemoDir() / "pc"));
}

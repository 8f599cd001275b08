// tavren machine [--storage DIR] [--socket PATH] [settings]: runs quorvel-machine (beside this
// program) in this process's place. Without --storage it makes a demo storage in a temporary
// folder from the files the tests ship in tests/fixtures: designs (.qef, .qef+, .qpx) and Tajima
// DST files into "\EMB" of the built-in storage (some in "\EMB\Flowers"), STX files into
// "\ORD\(UserST)", ORD+ files into "\ORD", and the designs again on USB flash drive 1. Files are
// copied as they are; a DST file keeps its name, so it shows in lists that take DST files only.
#include "host/MachineCommand.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {

fs::path ProgramDir()
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path(".") : self.parent_path();
}

} // namespace

fs::path FixturesDir()
{
    if (const char* s = std::getenv("TAVREN_SOURCE_DIR"); s && *s)
        return fs::path(s) / "tests" / "fixtures";
    return ProgramDir().parent_path().parent_path() / "tests" / "fixtures";
}

namespace {

std::string LowerExtension(const fs::path& p)
{
    std::string e = p.extension().string();
    std::transform(e.begin(), e.end(), e.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return e;
}

} // namespace

int MakeDemoStorage(const fs::path& root)
{
    std::error_code ec;
    fs::path emb = root / "builtin" / "EMB";
    fs::create_directories(emb / "Flowers", ec);
    fs::create_directories(root / "builtin" / "ORD" / "(UserST)", ec);
    fs::create_directories(root / "usb1" / "EMB", ec);
    int copied = 0, designs = 0;
    fs::path fixtures = FixturesDir();
    std::vector<fs::path> files;
    for (fs::recursive_directory_iterator it(fixtures, ec), end; !ec && it != end; it.increment(ec))
        if (it->is_regular_file(ec))
            files.push_back(it->path());
    std::sort(files.begin(), files.end());
    for (const fs::path& f : files) {
        std::string ext = LowerExtension(f);
        fs::path to;
        if (ext == ".qef" || ext == ".qef+" || ext == ".qpx" || ext == ".dst")
            to = (designs++ % 3 == 2 ? emb / "Flowers" : emb) / f.filename();
        else if (ext == ".stx")
            to = root / "builtin" / "ORD" / "(UserST)" / f.filename();
        else if (ext == ".ord+")
            to = root / "builtin" / "ORD" / f.filename();
        else
            continue;
        if (fs::exists(to, ec))
            continue; // the same name from two fixture folders: the first one stays
        if (fs::copy_file(f, to, ec))
            ++copied;
        if (ext != ".stx" && ext != ".ord+")
            fs::copy_file(f, root / "usb1" / "EMB" / f.filename(), ec);
    }
    return copied;
}

int RunMachineCommand(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    bool hasStorage = std::find(args.begin(), args.end(), "--storage") != args.end();
    bool help = std::find(args.begin(), args.end(), "--help") != args.end() ||
                std::find(args.begin(), args.end(), "-h") != args.end();
    bool ctl = !args.empty() && args[0] == "ctl";
    if (!hasStorage && !help && !ctl) {
        char tmpl[] = "/tmp/tavren-machine-XXXXXX";
        if (!mkdtemp(tmpl)) {
            std::fprintf(stderr, "tavren machine: cannot make a demo storage: %s\n", std::strerror(errno));
            return 1;
        }
        int n = MakeDemoStorage(tmpl);
        std::printf("tavren machine: demo storage with %d files in %s\n", n, tmpl);
        std::fflush(stdout);
        args.insert(args.begin(), {"--storage", tmpl});
    }
    std::string program = (ProgramDir() / "quorvel-machine").string();
    std::vector<char*> av;
    av.push_back(const_cast<char*>(program.c_str()));
    for (auto& a : args)
        av.push_back(a.data());
    av.push_back(nullptr);
    execv(program.c_str(), av.data());
    std::fprintf(stderr, "tavren machine: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}

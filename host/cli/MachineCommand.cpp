// tavren machine [--storage DIR] [--socket PATH] [settings]: runs quorvel-machine (beside the
// module, see InstallLayout.h) in this process's place. Without --storage it makes a demo storage in a temporary
// folder from tests/fixtures/demo/machine: designs in the machine's own formats (.qef, .qef+,
// .qpx) in "\EMB" of the built-in storage and in its folders Flowers, Shapes and Logos, STX
// patterns in "\ORD\(UserST)", and a few of each on USB flash drive 1.
#include "host/cli/MachineCommand.h"

#include "host/cli/InstallLayout.h"
#include "host/cli/SampleFiles.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

fs::path FixturesDir()
{
    if (const char* s = std::getenv("TAVREN_SOURCE_DIR"); s && *s)
        return fs::path(s) / "tests" / "fixtures";
    return ProgramDir().parent_path().parent_path() / "tests" / "fixtures";
}

int MakeDemoStorage(const fs::path& root)
{
    return CopyDemoTree(DemoDir() / "machine", root);
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
    std::string program = (LibraryDir() / "quorvel-machine").string();
    std::vector<char*> av;
    av.push_back(const_cast<char*>(program.c_str()));
    for (auto& a : args)
        av.push_back(a.data());
    av.push_back(nullptr);
    execv(program.c_str(), av.data());
    std::fprintf(stderr, "tavren machine: cannot run %s: %s\n", program.c_str(), std::strerror(errno));
    return 1;
}

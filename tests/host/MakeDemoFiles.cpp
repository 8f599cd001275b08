// make_demo_files CORPUS OUT: writes the demo files of tavren gui and tavren machine into OUT
// (the build's `demo_fixtures` target renews tests/fixtures/demo with it).
#include "tests/host/DemoFiles.h"

#include <cstdio>
#include <string>

int main(int argc, char** argv)
{
    if (argc != 3) {
        std::fprintf(stderr, "usage: make_demo_files CORPUS_DIR OUT_DIR\n");
        return 2;
    }
    std::string strError;
    if (!demo::WriteDemoFiles(argv[1], argv[2], strError)) {
        std::fprintf(stderr, "make_demo_files: %s\n", strError.c_str());
        return 1;
    }
    std::printf("make_demo_files: %zu files in %s\n", demo::DemoLayout().size(), argv[2]);
    return 0;
}

// The built tavren program run as a person or a file manager runs it: its arguments, an
// environment with some variables replaced, its exit code and what it printed.
#pragma once

#include "tests/support/TestFiles.h"

#include <map>
#include <set>

namespace tavren::test {

struct ProcessResult {
    int exitCode = -1;
    std::string output;  // stdout and stderr together
};

// $TAVREN_BIN_DIR/tavren (ctest sets it), else the build's own.
std::filesystem::path TavrenBinary();
// argv[0] is the program; env holds the variables to set over this process's environment.
ProcessResult RunProcess(const std::vector<std::string>& argv, const std::map<std::string, std::string>& env = {});
ProcessResult RunTavren(const std::vector<std::string>& args, const std::map<std::string, std::string>& env = {});
// Every file and folder below root, relative to it ("a/b.qef").
std::set<std::string> FilesUnder(const std::filesystem::path& root);

} // namespace tavren::test

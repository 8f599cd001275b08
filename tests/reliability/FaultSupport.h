// What the fault tests look at on disk: the names in a folder, the bytes under a folder, whether a
// fault armed on the emulated machine has been used yet.
#pragma once

#include "tests/dialogs/FileManagerTransferFixture.h"
#include "tests/support/EmulatedMachine.h"

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace faults {

namespace fs = std::filesystem;

// The names in a folder, sorted; none when it does not exist.
inline std::vector<std::string> FilesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    if (fs::is_directory(dir, ec))
        for (const auto& e : fs::directory_iterator(dir, ec))
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

inline uintmax_t BytesUnder(const fs::path& dir)
{
    uintmax_t n = 0;
    std::error_code ec;
    for (const auto& e : fs::recursive_directory_iterator(dir, ec))
        if (e.is_regular_file(ec))
            n += e.file_size(ec);
    return n;
}

} // namespace faults

namespace fmtest {

// True while a fault armed on the operation has not been used by any call.
inline bool FaultArmedOn(const tavren::test::EmulatedMachine& machine, const std::string& strOp)
{
    return machine.Ctl({"show"}).find("fault " + strOp + " ") != std::string::npos;
}

} // namespace fmtest

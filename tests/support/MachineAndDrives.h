// What the dialog, list and fault tests do to the emulated machine and to the drive map while a
// person works: control commands the machine must take, faults armed and used, drive letters
// pulled out or made to refuse writes, and the names left in a folder.
#pragma once

#include "tests/support/EmulatedMachine.h"

#include "platform/file/DriveMap.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace tavren::test {

// A control command the machine must take ("cable pull", "fault GetStatus 0x3", ...).
inline void CtlOk(const EmulatedMachine& machine, const std::vector<std::string>& words)
{
    int rc = -1;
    machine.Ctl(words, &rc);
    EXPECT_EQ(rc, 0) << words[0];
}

// True while a fault armed on the operation has not been used by any call.
inline bool FaultArmed(const EmulatedMachine& machine, const std::string& strOp)
{
    return machine.Ctl({"show"}).find("fault " + strOp + " ") != std::string::npos;
}

// Pulls a drive letter out of the map (a volume removal, broadcast once InstallDriveBroadcasts ran).
inline void RemoveDrive(char16_t letter)
{
    auto drives = tavren::DriveMap::Instance().Drives();
    std::erase_if(drives, [&](const tavren::Drive& d) { return d.letter == letter; });
    tavren::DriveMap::Instance().SetDrives(drives);
}

// The drive write-protected (EROFS), full (ENOSPC) or as it was (0); the letters stay.
inline void SetWriteFault(char16_t letter, int nFault)
{
    auto drives = tavren::DriveMap::Instance().Drives();
    for (tavren::Drive& d : drives)
        if (d.letter == letter)
            d.writeFault = nFault;
    tavren::DriveMap::Instance().SetDrives(drives);
}

// The names in a folder, sorted; none when it does not exist.
inline std::vector<std::string> NamesIn(const std::filesystem::path& dir)
{
    std::vector<std::string> names;
    std::error_code ec;
    if (std::filesystem::is_directory(dir, ec))
        for (const auto& e : std::filesystem::directory_iterator(dir, ec))
            names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace tavren::test

// A temporary drive map for one test: each drive a folder in a temporary directory, set through
// TAVREN_DRIVES as a user's machine would set it, and the map re-read; the map as it was before
// comes back afterwards.
//
//   tavren::test::TempDrives drives;                       // C: fixed, E: removable "USBSTICK"
//   tavren::test::TempDrives drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "STICK"},
//                                    {u'Q', DRIVE_CDROM, "", false}});   // an optical drive, empty
//   drives.Write("USBSTICK/EMB/rose.qef", bytes);          // paths below the temporary directory
//   drives.Folder(u'E');                                   // the host folder behind E:
//
// A fixed or optical drive's folder is named after its letter ("c"), a removable drive's after its
// label (which the drive map takes from the folder's name). A drive without a medium has no folder.
#pragma once

#include "platform/file/DriveMap.h"

#include <optional>
#include <string>
#include <vector>

namespace tavren::test {

struct DriveSpec {
    char16_t letter = u'C';
    UINT type = DRIVE_FIXED;
    std::string label;      // removable drives: the volume label (and the folder's name)
    bool bMedium = true;    // false: the drive is there but holds nothing (its folder is missing)
};

class TempDrives {
public:
    TempDrives();
    explicit TempDrives(const std::vector<DriveSpec>& drives);
    ~TempDrives();
    TempDrives(const TempDrives&) = delete;
    TempDrives& operator=(const TempDrives&) = delete;

    const std::string& Root() const { return m_root; }
    // A path below the temporary directory ("c/designs/rose.qef").
    std::string Host(const std::string& strRelative) const { return m_root + "/" + strRelative; }
    // The host folder behind a drive letter.
    std::string Folder(char16_t letter) const;
    // Writes a file below the temporary directory, making its folders.
    void Write(const std::string& strRelative, const std::string& bytes) const;
    // The TAVREN_DRIVES value this map was set with.
    const std::string& Setting() const { return m_strSetting; }

private:
    std::string m_root;
    std::string m_strSetting;
    std::vector<std::pair<char16_t, std::string>> m_folders;
    std::optional<std::string> m_previous;
};

} // namespace tavren::test

// The drive map: which host folder each drive letter stands for, and the translation of Windows
// paths ("E:\EMB\Embf\rose.qef") into host paths at this one boundary.
//
// By default C: is the host's "/" (fixed) and mounted removable media (/media/$USER/*,
// /run/media/$USER/*) get the next free letters from E: as removable drives. TAVREN_DRIVES
// overrides it: "C=fixed:/tmp/t/c;E=removable:/tmp/t/usb" (types fixed, removable, cdrom, remote).
// A type may carry ",readonly" (a write-protected medium) or ",full" (a disk without free space):
// "E=removable,readonly:/tmp/t/usb".
// A path component that does not exist as spelled is looked up without regard to case.
#pragma once

#include "platform/base/WinTypes.h"
#include "platform/file/FileApi.h" // the drive types

#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace tavren {

struct Drive {
    char16_t letter = u'C';   // upper case
    std::string hostRoot;     // host folder, no trailing "/" except for "/" itself
    UINT type = DRIVE_FIXED;
    std::u16string label;     // volume label; empty gives the type's default display name
    // Why writing file contents on it fails, as errno: EROFS (write-protected), ENOSPC (full), 0.
    int writeFault = 0;
};

class DriveMap {
public:
    static DriveMap& Instance();

    std::vector<Drive> Drives() const;
    std::optional<Drive> Find(char16_t letter) const;
    // Replaces the whole map (tests, and the watcher when media come and go). Calls the change
    // callback with the unit masks of the letters that arrived and left.
    void SetDrives(std::vector<Drive> drives);
    // Reads TAVREN_DRIVES or the default, as at start.
    void Reload();
    // Looks at the removable media folders again; used by the watcher.
    void Rescan();
    void SetChangeCallback(std::function<void(DWORD arrived, DWORD removed)> callback);

    // Translates a Windows path (absolute "X:\...", or relative to the current directory) into a
    // host path. Components are looked up without regard to case; empty components ("C:\\Photos")
    // are skipped. Fails with ERROR_PATH_NOT_FOUND for an unmapped letter, ERROR_NOT_READY for a
    // drive without its medium (its folder missing), ERROR_INVALID_NAME for an unusable path.
    bool ToHost(std::u16string_view winPath, std::string& hostPath, DWORD& error) const;
    // The write fault of the drive a Windows path is on (Drive::writeFault), 0 for none.
    int WriteFault(std::u16string_view winPath) const;
    // What the drive a Windows path is on answers a call that changes it, as Windows does: a
    // write-protected drive refuses every change (ERROR_WRITE_PROTECT), a full one every change
    // that needs room (bNeedsRoom: ERROR_DISK_FULL); 0 when the change may go on. Every call that
    // changes a drive asks this first.
    DWORD RefusedChange(std::u16string_view winPath, bool bNeedsRoom) const;
    // The Windows path of a host path inside a mapped drive (longest root wins), or empty.
    std::u16string FromHost(const std::string& hostPath) const;

    std::u16string CurrentDirectory() const;
    void SetCurrentDirectoryPath(std::u16string path);

private:
    DriveMap();
    std::vector<Drive> Defaults() const;
    std::u16string Absolute(std::u16string_view winPath) const;

    mutable std::mutex m_lock;
    std::vector<Drive> m_drives;
    std::u16string m_currentDirectory = u"C:\\";
    std::function<void(DWORD, DWORD)> m_onChange;
};

// Case-blind lookup of one name in a host folder: the name as it is on disk, or empty.
std::string FindNameNoCase(const std::string& hostFolder, const std::string& name);

} // namespace tavren

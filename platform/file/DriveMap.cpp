#include "platform/file/DriveMap.h"

#include "platform/base/Unicode.h"
#include "platform/base/WinError.h"

#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <cstdlib>

namespace tavren {

namespace {

bool Exists(const std::string& p)
{
    struct stat st;
    return lstat(p.c_str(), &st) == 0;
}

bool IsDir(const std::string& p)
{
    struct stat st;
    return stat(p.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string JoinHost(const std::string& a, const std::string& b) { return a == "/" ? "/" + b : a + "/" + b; }

std::vector<std::string> MediaFolders()
{
    std::vector<std::string> out;
    const char* user = std::getenv("USER");
    std::string u = user ? user : "";
    for (std::string base : {std::string("/media/") + u, std::string("/run/media/") + u}) {
        if (u.empty())
            break;
        DIR* d = opendir(base.c_str());
        if (!d)
            continue;
        while (dirent* e = readdir(d)) {
            std::string n = e->d_name;
            if (n != "." && n != ".." && IsDir(base + "/" + n))
                out.push_back(base + "/" + n);
        }
        closedir(d);
    }
    std::sort(out.begin(), out.end());
    return out;
}

DWORD Mask(const std::vector<Drive>& drives)
{
    DWORD m = 0;
    for (const auto& d : drives)
        m |= 1u << (d.letter - u'A');
    return m;
}

} // namespace

std::string FindNameNoCase(const std::string& hostFolder, const std::string& name)
{
    if (Exists(JoinHost(hostFolder, name)))
        return name;
    std::u16string want = Utf8ToUtf16(name);
    for (auto& c : want)
        c = ToLower(c);
    DIR* d = opendir(hostFolder.c_str());
    if (!d)
        return {};
    std::string found;
    while (dirent* e = readdir(d)) {
        std::u16string have = Utf8ToUtf16(e->d_name);
        for (auto& c : have)
            c = ToLower(c);
        if (have == want) {
            found = e->d_name;
            break;
        }
    }
    closedir(d);
    return found;
}

DriveMap& DriveMap::Instance()
{
    static DriveMap map;
    return map;
}

DriveMap::DriveMap() { m_drives = Defaults(); }

std::vector<Drive> DriveMap::Defaults() const
{
    std::vector<Drive> drives;
    if (const char* pszMap = std::getenv("TAVREN_DRIVES")) {
        std::string s = pszMap;
        size_t pos = 0;
        while (pos <= s.size()) {
            size_t end = s.find(';', pos);
            std::string item = s.substr(pos, end == std::string::npos ? std::string::npos : end - pos);
            pos = end == std::string::npos ? s.size() + 1 : end + 1;
            // letter=type:folder
            size_t eq = item.find('='), colon = item.find(':', eq == std::string::npos ? 0 : eq);
            if (eq != 1 || colon == std::string::npos || !std::isalpha(static_cast<unsigned char>(item[0])))
                continue;
            Drive d;
            d.letter = static_cast<char16_t>(std::toupper(static_cast<unsigned char>(item[0])));
            std::string type = item.substr(eq + 1, colon - eq - 1);
            if (const size_t comma = type.find(','); comma != std::string::npos) {
                const std::string option = type.substr(comma + 1);
                d.writeFault = option == "readonly" ? EROFS : option == "full" ? ENOSPC : 0;
                type.resize(comma);
            }
            d.type = type == "removable" ? DRIVE_REMOVABLE : type == "cdrom" ? DRIVE_CDROM
                   : type == "remote"  ? DRIVE_REMOTE
                   : type == "ramdisk" ? DRIVE_RAMDISK
                                       : DRIVE_FIXED;
            d.hostRoot = item.substr(colon + 1);
            while (d.hostRoot.size() > 1 && d.hostRoot.back() == '/')
                d.hostRoot.pop_back();
            if (d.type == DRIVE_REMOVABLE) {
                size_t slash = d.hostRoot.find_last_of('/');
                d.label = Utf8ToUtf16(d.hostRoot.substr(slash == std::string::npos ? 0 : slash + 1));
            }
            drives.push_back(d);
        }
        std::sort(drives.begin(), drives.end(), [](const Drive& a, const Drive& b) { return a.letter < b.letter; });
        return drives;
    }
    drives.push_back({u'C', "/", DRIVE_FIXED, {}});
    char16_t next = u'E';
    for (const auto& folder : MediaFolders()) {
        if (next > u'Z')
            break;
        size_t slash = folder.find_last_of('/');
        drives.push_back({next++, folder, DRIVE_REMOVABLE, Utf8ToUtf16(folder.substr(slash + 1))});
    }
    return drives;
}

std::vector<Drive> DriveMap::Drives() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_drives;
}

std::optional<Drive> DriveMap::Find(char16_t letter) const
{
    letter = ToUpper(letter);
    std::lock_guard<std::mutex> g(m_lock);
    for (const auto& d : m_drives)
        if (d.letter == letter)
            return d;
    return std::nullopt;
}

void DriveMap::SetDrives(std::vector<Drive> drives)
{
    std::function<void(DWORD, DWORD)> notify;
    DWORD before, after;
    {
        std::lock_guard<std::mutex> g(m_lock);
        before = Mask(m_drives);
        m_drives = std::move(drives);
        after = Mask(m_drives);
        notify = m_onChange;
    }
    if (notify && before != after)
        notify(after & ~before, before & ~after);
}

void DriveMap::Reload() { SetDrives(Defaults()); }

void DriveMap::Rescan()
{
    if (std::getenv("TAVREN_DRIVES"))
        return; // a fixed map: media come and go only through SetDrives
    Reload();
}

void DriveMap::SetChangeCallback(std::function<void(DWORD, DWORD)> callback)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_onChange = std::move(callback);
}

std::u16string DriveMap::CurrentDirectory() const
{
    std::lock_guard<std::mutex> g(m_lock);
    return m_currentDirectory;
}

void DriveMap::SetCurrentDirectoryPath(std::u16string path)
{
    std::lock_guard<std::mutex> g(m_lock);
    m_currentDirectory = std::move(path);
}

// A Windows path made absolute against the current directory.
std::u16string DriveMap::Absolute(std::u16string_view winPath) const
{
    std::u16string full(winPath);
    if (full.size() < 2 || full[1] != u':') {
        std::u16string cur = CurrentDirectory();
        if (!full.empty() && (full[0] == u'\\' || full[0] == u'/'))
            full = cur.substr(0, 2) + full;
        else
            full = cur + u"\\" + full;
    }
    return full;
}

int DriveMap::WriteFault(std::u16string_view winPath) const
{
    const auto drive = Find(Absolute(winPath)[0]);
    return drive ? drive->writeFault : 0;
}

DWORD DriveMap::RefusedChange(std::u16string_view winPath, bool bNeedsRoom) const
{
    switch (WriteFault(winPath)) {
    case EROFS: return ERROR_WRITE_PROTECT;
    case ENOSPC: return bNeedsRoom ? ERROR_DISK_FULL : 0;
    default: return 0;
    }
}

bool DriveMap::ToHost(std::u16string_view winPath, std::string& hostPath, DWORD& error) const
{
    const std::u16string full = Absolute(winPath);
    auto drive = Find(full[0]);
    if (!drive) {
        error = ERROR_PATH_NOT_FOUND;
        return false;
    }
    // A drive without its medium (an optical drive without a disc) has no folder: every path on
    // it is "not ready", whatever the path, as on Windows.
    if (!IsDir(drive->hostRoot)) {
        error = ERROR_NOT_READY;
        return false;
    }
    std::string host = drive->hostRoot;
    std::vector<std::string> parts;
    size_t pos = 2;
    while (pos <= full.size()) {
        size_t end = full.find_first_of(u"\\/", pos);
        std::u16string part = full.substr(pos, end == std::u16string::npos ? std::u16string::npos : end - pos);
        pos = end == std::u16string::npos ? full.size() + 1 : end + 1;
        if (part.empty() || part == u".")
            continue;
        if (part == u"..") {
            if (!parts.empty())
                parts.pop_back();
            continue;
        }
        // Windows drops trailing dots and spaces of a component.
        while (!part.empty() && (part.back() == u'.' || part.back() == u' '))
            part.pop_back();
        if (part.empty() || part.find_first_of(u"<>:\"|?*") != std::u16string::npos) {
            error = ERROR_INVALID_NAME;
            return false;
        }
        parts.push_back(Utf16ToUtf8(part));
    }
    for (const auto& p : parts) {
        std::string onDisk = FindNameNoCase(host, p);
        host = JoinHost(host, onDisk.empty() ? p : onDisk);
    }
    hostPath = host;
    error = ERROR_SUCCESS;
    return true;
}

std::u16string DriveMap::FromHost(const std::string& hostPath) const
{
    std::lock_guard<std::mutex> g(m_lock);
    const Drive* best = nullptr;
    for (const auto& d : m_drives) {
        const std::string& r = d.hostRoot;
        bool inside = r == "/" ? hostPath.starts_with("/")
                               : (hostPath == r || hostPath.starts_with(r + "/"));
        if (inside && (!best || r.size() > best->hostRoot.size()))
            best = &d;
    }
    if (!best)
        return {};
    std::string rest = best->hostRoot == "/" ? hostPath.substr(1) : hostPath.substr(best->hostRoot.size());
    while (!rest.empty() && rest[0] == '/')
        rest.erase(0, 1);
    std::u16string out{best->letter, u':', u'\\'};
    std::u16string tail = Utf8ToUtf16(rest);
    std::replace(tail.begin(), tail.end(), u'/', u'\\');
    return out + tail;
}

} // namespace tavren

#include "platform/file/FileApi.h"

#include "platform/base/Unicode.h"
#include "platform/file/DriveMap.h"
#include "platform/kernel/Handle.h"
#include "platform/file/HostPath.h"
#include "platform/base/WinError.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <vector>

namespace {

using tavren::DriveMap;

bool ToHost(const char16_t* path, std::string& host)
{
    DWORD err = 0;
    if (!path || !*path) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return false;
    }
    if (!DriveMap::Instance().ToHost(path, host, err)) {
        SetLastError(err);
        return false;
    }
    return true;
}

BOOL FailPath(int err, const std::string& host)
{
    SetLastError(tavren::Win32ErrorForPath(err, host));
    return FALSE;
}

// Translates a path and looks at what is there; false with the last error set when either fails.
bool StatPath(const char16_t* path, std::string& host, struct stat& st, bool bFollowLinks = true)
{
    if (!ToHost(path, host))
        return false;
    if ((bFollowLinks ? stat(host.c_str(), &st) : lstat(host.c_str(), &st)) != 0) {
        FailPath(errno, host);
        return false;
    }
    return true;
}

// Windows' FILETIME: 100 ns ticks since 1601.
FILETIME ToFileTime(const timespec& ts)
{
    uint64_t t = (static_cast<uint64_t>(ts.tv_sec) + 11644473600ull) * 10000000ull + static_cast<uint64_t>(ts.tv_nsec) / 100;
    return {static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
}

DWORD AttributesOf(const std::string& name, const struct stat& st)
{
    DWORD a = 0;
    if (S_ISDIR(st.st_mode))
        a |= FILE_ATTRIBUTE_DIRECTORY;
    if (!(st.st_mode & S_IWUSR))
        a |= FILE_ATTRIBUTE_READONLY;
    if (!name.empty() && name[0] == '.' && name != "." && name != "..")
        a |= FILE_ATTRIBUTE_HIDDEN;
    if (!S_ISDIR(st.st_mode))
        a |= FILE_ATTRIBUTE_ARCHIVE;
    return a ? a : FILE_ATTRIBUTE_NORMAL;
}

// "*", "*.*", "*.qef", "name.qef": '*' matches any run, everything else one character without
// regard to case. "*.*" matches every name, also one without a dot, as on Windows.
bool Matches(std::u16string_view pat, std::u16string_view name)
{
    if (pat == u"*.*")
        return true;
    size_t p = 0, n = 0, star = std::u16string_view::npos, mark = 0;
    while (n < name.size()) {
        if (p < pat.size() && pat[p] == u'*') {
            star = p++;
            mark = n;
        } else if (p < pat.size() && (pat[p] == u'?' || tavren::ToLower(pat[p]) == tavren::ToLower(name[n]))) {
            ++p;
            ++n;
        } else if (star != std::u16string_view::npos) {
            p = star + 1;
            n = ++mark;
        } else {
            return false;
        }
    }
    while (p < pat.size() && pat[p] == u'*')
        ++p;
    return p == pat.size();
}

// A find handle lives in the process's handle table like every other handle.
struct FindState : tavren::HandleObject {
    std::vector<WIN32_FIND_DATAW> entries;
    size_t next = 0;
};

void Fill(WIN32_FIND_DATAW& d, const std::u16string& name, const struct stat& st, const std::string& hostName)
{
    std::memset(&d, 0, sizeof d);
    d.dwFileAttributes = AttributesOf(hostName, st);
    d.ftCreationTime = ToFileTime(st.st_ctim);
    d.ftLastAccessTime = ToFileTime(st.st_atim);
    d.ftLastWriteTime = ToFileTime(st.st_mtim);
    uint64_t size = S_ISDIR(st.st_mode) ? 0 : static_cast<uint64_t>(st.st_size);
    d.nFileSizeHigh = static_cast<DWORD>(size >> 32);
    d.nFileSizeLow = static_cast<DWORD>(size);
    std::copy(name.begin(), name.end(), d.cFileName);
}

} // namespace

HANDLE FindFirstFileW(const char16_t* pattern, WIN32_FIND_DATAW* data)
{
    std::u16string pat = pattern ? pattern : u"";
    size_t slash = pat.find_last_of(u"\\/");
    std::u16string folder = slash == std::u16string::npos ? u"." : pat.substr(0, slash);
    std::u16string mask = slash == std::u16string::npos ? pat : pat.substr(slash + 1);
    if (folder.size() == 2 && folder[1] == u':')
        folder += u'\\';
    std::string host;
    if (mask.empty() || !ToHost(folder.c_str(), host)) {
        if (mask.empty())
            SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    DIR* dir = opendir(host.c_str());
    if (!dir) {
        SetLastError(errno == ENOTDIR ? ERROR_DIRECTORY : tavren::Win32ErrorForPath(errno, host + "/x"));
        if (errno == ENOENT)
            SetLastError(ERROR_PATH_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    auto state = std::make_shared<FindState>();
    std::vector<std::pair<std::string, WIN32_FIND_DATAW>> found;
    while (dirent* e = readdir(dir)) {
        std::string n = e->d_name;
        std::u16string wn = tavren::Utf8ToUtf16(n);
        if (wn.size() >= MAX_PATH || !Matches(mask, wn))
            continue;
        struct stat st;
        if (stat((host == "/" ? "/" + n : host + "/" + n).c_str(), &st) != 0)
            continue; // a dangling link is not a file to list
        WIN32_FIND_DATAW d;
        Fill(d, wn, st, n);
        found.emplace_back(n, d);
    }
    closedir(dir);
    // Windows lists "." and ".." first below a drive root and never at the root itself.
    bool atRoot = host == DriveMap::Instance().Find(folder[0]).value_or(tavren::Drive{}).hostRoot;
    std::stable_sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        auto rank = [](const std::string& s) { return s == "." ? 0 : s == ".." ? 1 : 2; };
        return rank(a.first) < rank(b.first);
    });
    for (auto& [n, d] : found)
        if (!(atRoot && (n == "." || n == "..")))
            state->entries.push_back(d);
    if (state->entries.empty()) {
        SetLastError(ERROR_FILE_NOT_FOUND);
        return INVALID_HANDLE_VALUE;
    }
    *data = state->entries[0];
    state->next = 1;
    return tavren::AllocHandle(state);
}

BOOL FindNextFileW(HANDLE hFind, WIN32_FIND_DATAW* data)
{
    auto state = tavren::LookupHandleAs<FindState>(hFind);
    if (!state) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    // A find handle belongs to one thread at a time, as on Windows.
    if (state->next >= state->entries.size()) {
        SetLastError(ERROR_NO_MORE_FILES);
        return FALSE;
    }
    *data = state->entries[state->next++];
    return TRUE;
}

BOOL FindClose(HANDLE hFind)
{
    if (!tavren::LookupHandleAs<FindState>(hFind) || !CloseHandle(hFind)) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    return TRUE;
}

namespace {

// The drive's answer to a change of the path (DriveMap::RefusedChange): true, with that error set,
// when it refuses.
bool DriveRefuses(const char16_t* path, bool bNeedsRoom)
{
    const DWORD refused = DriveMap::Instance().RefusedChange(path, bNeedsRoom);
    if (refused)
        SetLastError(refused);
    return refused != 0;
}

// A new file beside the host path, for bytes that take its place only once they are whole; -1
// with errno set when none can be made.
int OpenBeside(const std::string& host, std::string& temp)
{
    const size_t slash = host.find_last_of('/');
    const std::string folder = slash == std::string::npos ? std::string(".") : host.substr(0, slash);
    const std::string name = slash == std::string::npos ? host : host.substr(slash + 1);
    for (int n = 0; n < 1000; ++n) {
        temp = folder + "/.~" + name + "." + std::to_string(n) + ".copy";
        const int fd = open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    errno = EEXIST;
    return -1;
}

} // namespace

BOOL CopyFileW(const char16_t* existing, const char16_t* newName, BOOL failIfExists)
{
    std::string from, to;
    if (!ToHost(existing, from) || !ToHost(newName, to))
        return FALSE;
    int in = open(from.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0)
        return FailPath(errno, from);
    struct stat st;
    if (fstat(in, &st) != 0 || S_ISDIR(st.st_mode)) {
        close(in);
        SetLastError(ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // A write-protected or full drive refuses the copy before the target is touched.
    if (DriveRefuses(newName, st.st_size > 0)) {
        close(in);
        return FALSE;
    }
    struct stat target;
    const bool bTargetExists = stat(to.c_str(), &target) == 0;
    if (bTargetExists && (failIfExists || S_ISDIR(target.st_mode) || !(target.st_mode & S_IWUSR))) {
        close(in);
        // As on Windows, a read-only file is not replaced, whoever asks (the host may run as root).
        SetLastError(failIfExists && !S_ISDIR(target.st_mode) ? ERROR_FILE_EXISTS : ERROR_ACCESS_DENIED);
        return FALSE;
    }
    // The bytes go to a new file beside the target, which takes the target's place only when
    // whole: a copy that fails half-way leaves the file it was to replace as it was.
    std::string temp;
    int out = OpenBeside(to, temp);
    if (out < 0) {
        const int e = errno;
        close(in);
        return FailPath(e, to);
    }
    const auto fail = [&](int e) {
        close(in);
        if (out >= 0)
            close(out);
        unlink(temp.c_str());
        tavren::SetLastErrorFromErrno(e);
        return FALSE;
    };
    std::vector<char> buf(1 << 16);
    for (;;) {
        size_t nRead = 0, nWritten = 0;
        if (!tavren::ReadFully(in, buf.data(), buf.size(), nRead))
            return fail(errno);
        if (nRead == 0)
            break;
        if (!tavren::WriteFully(out, buf.data(), nRead, nWritten))
            return fail(errno);
    }
    // The copy takes the source's attributes: a read-only file gives a read-only copy.
    if (!(st.st_mode & S_IWUSR) && fchmod(out, 0444) != 0)
        return fail(errno);
    const int closed = close(out);
    out = -1;
    if (closed != 0)
        return fail(errno);
    close(in);
    in = -1;
    // Without replacing, the copy is linked in only where no file is: one that appeared meanwhile
    // stays.
    const int placed = failIfExists ? link(temp.c_str(), to.c_str()) : rename(temp.c_str(), to.c_str());
    const int e = errno;
    if (failIfExists || placed != 0)
        unlink(temp.c_str());
    if (placed != 0) {
        SetLastError(e == EEXIST ? ERROR_FILE_EXISTS : tavren::Win32ErrorForPath(e, to));
        return FALSE;
    }
    return TRUE;
}

BOOL MoveFileExW(const char16_t* existing, const char16_t* newName, DWORD flags)
{
    std::string from, to;
    if (!ToHost(existing, from) || !ToHost(newName, to))
        return FALSE;
    struct stat st;
    if (lstat(from.c_str(), &st) != 0)
        return FailPath(errno, from);
    // A move changes both drives: the one it leaves and the one it goes to.
    if (DriveRefuses(existing, false) || DriveRefuses(newName, false))
        return FALSE;
    struct stat dst;
    // A target that differs only in case from the source is the same file: a rename in place.
    bool sameFile = lstat(to.c_str(), &dst) == 0 && dst.st_ino == st.st_ino && dst.st_dev == st.st_dev;
    if (!sameFile && lstat(to.c_str(), &dst) == 0) {
        if (!(flags & MOVEFILE_REPLACE_EXISTING) || S_ISDIR(dst.st_mode) || S_ISDIR(st.st_mode)) {
            SetLastError(ERROR_ALREADY_EXISTS);
            return FALSE;
        }
    }
    if (sameFile) {
        // The case-blind lookup found the source itself; rename to the spelling asked for.
        size_t slash = to.find_last_of('/');
        std::u16string nn = newName;
        size_t ws = nn.find_last_of(u"\\/");
        to = to.substr(0, slash + 1) + tavren::Utf16ToUtf8(nn.substr(ws == std::u16string::npos ? 0 : ws + 1));
    }
    if (rename(from.c_str(), to.c_str()) != 0) {
        if (errno == EXDEV && (flags & MOVEFILE_COPY_ALLOWED) && !S_ISDIR(st.st_mode)) {
            if (!CopyFileW(existing, newName, !(flags & MOVEFILE_REPLACE_EXISTING)))
                return FALSE;
            unlink(from.c_str());
            return TRUE;
        }
        return FailPath(errno, to);
    }
    if (flags & MOVEFILE_WRITE_THROUGH) {
        size_t slash = to.find_last_of('/');
        int d = open(slash == 0 ? "/" : to.substr(0, slash).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (d >= 0) {
            fsync(d);
            close(d);
        }
    }
    return TRUE;
}

BOOL MoveFileW(const char16_t* existing, const char16_t* newName) { return MoveFileExW(existing, newName, MOVEFILE_COPY_ALLOWED); }

BOOL DeleteFileW(const char16_t* path)
{
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st, false) || DriveRefuses(path, false))
        return FALSE;
    if (S_ISDIR(st.st_mode) || !(st.st_mode & S_IWUSR)) {
        SetLastError(ERROR_ACCESS_DENIED); // Windows refuses to delete a folder or a read-only file
        return FALSE;
    }
    if (unlink(host.c_str()) != 0)
        return FailPath(errno, host);
    return TRUE;
}

BOOL RemoveDirectoryW(const char16_t* path)
{
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st, false))
        return FALSE;
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    if (DriveRefuses(path, false))
        return FALSE;
    if (rmdir(host.c_str()) != 0) {
        SetLastError(errno == ENOTEMPTY || errno == EEXIST ? ERROR_DIR_NOT_EMPTY : tavren::Win32ErrorFromErrno(errno));
        return FALSE;
    }
    return TRUE;
}

BOOL CreateDirectoryW(const char16_t* path, void*)
{
    std::string host;
    if (!ToHost(path, host) || DriveRefuses(path, true))
        return FALSE;
    if (mkdir(host.c_str(), 0777) != 0)
        return FailPath(errno, host);
    return TRUE;
}

DWORD GetFileAttributesW(const char16_t* path)
{
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st))
        return INVALID_FILE_ATTRIBUTES;
    size_t slash = host.find_last_of('/');
    return AttributesOf(host.substr(slash + 1), st);
}

BOOL SetFileAttributesW(const char16_t* path, DWORD attributes)
{
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st) || DriveRefuses(path, false))
        return FALSE;
    mode_t mode = st.st_mode & 07777;
    mode = (attributes & FILE_ATTRIBUTE_READONLY) ? (mode & ~S_IWUSR) : (mode | S_IWUSR);
    if (chmod(host.c_str(), mode) != 0)
        return FailPath(errno, host);
    return TRUE;
}

BOOL SetCurrentDirectoryW(const char16_t* path)
{
    std::string host;
    struct stat st;
    if (!StatPath(path, host, st))
        return FALSE;
    if (!S_ISDIR(st.st_mode)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }
    std::u16string win = DriveMap::Instance().FromHost(host);
    DriveMap::Instance().SetCurrentDirectoryPath(win.empty() ? std::u16string(path) : win);
    return TRUE;
}

DWORD GetCurrentDirectoryW(DWORD size, char16_t* buffer)
{
    std::u16string cur = DriveMap::Instance().CurrentDirectory();
    if (!buffer || size <= cur.size())
        return static_cast<DWORD>(cur.size() + 1);
    std::copy(cur.begin(), cur.end(), buffer);
    buffer[cur.size()] = 0;
    return static_cast<DWORD>(cur.size());
}

DWORD GetLogicalDrives()
{
    DWORD mask = 0;
    for (const auto& d : DriveMap::Instance().Drives())
        mask |= 1u << (d.letter - u'A');
    return mask;
}

UINT GetDriveTypeW(const char16_t* root)
{
    if (!root || !*root)
        return DRIVE_NO_ROOT_DIR; // the current directory's drive is not asked for by the module
    auto d = DriveMap::Instance().Find(root[0]);
    if (!d || (root[1] != u':'))
        return DRIVE_NO_ROOT_DIR;
    return d->type;
}

BOOL GetDiskFreeSpaceExW(const char16_t* directory, ULARGE_INTEGER* freeToCaller, ULARGE_INTEGER* total,
                         ULARGE_INTEGER* totalFree)
{
    std::string host;
    if (!ToHost(directory, host))
        return FALSE;
    struct statvfs vfs;
    // A drive without its medium is "not ready" already; here a folder is missing.
    if (statvfs(host.c_str(), &vfs) != 0)
        return FailPath(errno, host + "/x");
    uint64_t unit = vfs.f_frsize ? vfs.f_frsize : vfs.f_bsize;
    if (freeToCaller)
        freeToCaller->QuadPart = unit * vfs.f_bavail;
    if (total)
        total->QuadPart = unit * vfs.f_blocks;
    if (totalFree)
        totalFree->QuadPart = unit * vfs.f_bfree;
    return TRUE;
}

BOOL GetVolumeInformationW(const char16_t* root, char16_t* volumeName, DWORD volumeNameSize, DWORD* serial,
                           DWORD* maxComponentLength, DWORD* fileSystemFlags, char16_t* fileSystemName,
                           DWORD fileSystemNameSize)
{
    auto d = root ? DriveMap::Instance().Find(root[0]) : std::nullopt;
    struct stat st;
    if (!d || stat(d->hostRoot.c_str(), &st) != 0) {
        SetLastError(d ? ERROR_NOT_READY : ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    auto put = [](char16_t* dst, DWORD size, const std::u16string& s) {
        if (dst && size) {
            size_t n = std::min<size_t>(s.size(), size - 1);
            std::copy_n(s.begin(), n, dst);
            dst[n] = 0;
        }
    };
    put(volumeName, volumeNameSize, d->label);
    put(fileSystemName, fileSystemNameSize, d->type == DRIVE_REMOVABLE ? u"FAT32" : u"NTFS");
    if (serial)
        *serial = static_cast<DWORD>(st.st_dev);
    if (maxComponentLength)
        *maxComponentLength = 255;
    if (fileSystemFlags)
        *fileSystemFlags = 0;
    return TRUE;
}

BOOL PathIsDirectoryW(const char16_t* path)
{
    DWORD a = GetFileAttributesW(path);
    return a != INVALID_FILE_ATTRIBUTES && (a & FILE_ATTRIBUTE_DIRECTORY) ? TRUE : FALSE;
}

BOOL PathFileExistsW(const char16_t* path) { return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES ? TRUE : FALSE; }

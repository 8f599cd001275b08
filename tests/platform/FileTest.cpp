// The file calls on the drive map, one test for each fault a person can meet: a file or folder
// that is missing (the Windows codes, names found without regard to case), a file or drive that
// is read-only, a drive without room, a drive without its medium. What a folder lists, reading a
// file and the text of a missing file are the file lists' and the design readers' (tests/lists,
// tests/design); the module names every file by its whole path.
#include "tests/support/TempDrives.h"

#include "platform/afx/File.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <utility>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tavren::DriveMap;

// A file's bytes below the temporary directory, or "(none)".
std::string Read(const tavren::test::TempDrives& t, const std::string& strRelative)
{
    std::ifstream in(t.Host(strRelative), std::ios::binary);
    return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(none)");
}

// The drive map as a user's TAVREN_DRIVES gives it.
void SetDrives(const std::string& strSetting)
{
    setenv("TAVREN_DRIVES", strSetting.c_str(), 1);
    DriveMap::Instance().Reload();
}

// The last error a failing call leaves, cleared before it; success when the call did not fail.
DWORD LastErrorOf(const std::function<bool()>& failed)
{
    SetLastError(ERROR_SUCCESS);
    return failed() ? GetLastError() : ERROR_SUCCESS;
}

// The error CFile::Open gives, or success.
LONG OpenError(const char16_t* pszPath, UINT nFlags)
{
    CFile f;
    CFileException e;
    return f.Open(pszPath, nFlags, &e) ? 0 : e.m_lOsError;
}

} // namespace

TEST(FileCalls, AMissingFileOrFolderHasItsCodeAndNamesAreFoundWithoutRegardToCase)
{
    tavren::test::TempDrives t;
    t.Write("USBSTICK/EMB/Embf/Rose.QEF", "abc");
    t.Write("c/dir/a.qef", "1");
    t.Write("c/dir/b.qef", "2");
    EXPECT_NE(GetFileAttributesW(u"e:\\emb\\EMBF\\rose.qef"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(DriveMap::Instance().FromHost(t.Host("USBSTICK/EMB")), u"E:\\EMB");

    WIN32_FIND_DATAW fd;
    // In order: each call fails with its code, and the calls between them set the scene.
    const std::vector<std::pair<std::function<bool()>, DWORD>> calls = {
        {[] { return GetFileAttributesW(u"C:\\dir\\missing.qef") == INVALID_FILE_ATTRIBUTES; }, ERROR_FILE_NOT_FOUND},
        {[] { return GetFileAttributesW(u"C:\\nodir\\missing.qef") == INVALID_FILE_ATTRIBUTES; }, ERROR_PATH_NOT_FOUND},
        {[] { return GetFileAttributesW(u"Q:\\x") == INVALID_FILE_ATTRIBUTES; }, ERROR_PATH_NOT_FOUND},
        {[] { return GetFileAttributesW(u"C:\\a|b") == INVALID_FILE_ATTRIBUTES; }, ERROR_INVALID_NAME},
        {[&] { return FindFirstFileW(u"C:\\nowhere\\*", &fd) == INVALID_HANDLE_VALUE; }, ERROR_PATH_NOT_FOUND},
        {[] { return OpenError(u"C:\\none\\x.qef", CFile::modeRead) != 0; }, ERROR_PATH_NOT_FOUND},
        {[] { return !DeleteFileW(u"C:\\dir"); }, ERROR_ACCESS_DENIED},
        {[] { return CreateDirectoryW(u"C:\\dir\\sub", nullptr) && !CreateDirectoryW(u"C:\\DIR\\SUB", nullptr); }, ERROR_ALREADY_EXISTS},
        {[&] { t.Write("c/dir/sub/x", ""); return !RemoveDirectoryW(u"C:\\dir\\sub"); }, ERROR_DIR_NOT_EMPTY},
        // Moving onto an existing name without the replace flag keeps both files.
        {[] { return !MoveFileExW(u"C:\\dir\\a.qef", u"C:\\dir\\b.qef", MOVEFILE_WRITE_THROUGH); }, ERROR_ALREADY_EXISTS},
        {[] { return CopyFileW(u"C:\\dir\\b.qef", u"E:\\b.qef", TRUE) && !CopyFileW(u"C:\\dir\\b.qef", u"E:\\b.qef", TRUE); }, ERROR_FILE_EXISTS},
    };
    for (size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(LastErrorOf(calls[i].first), calls[i].second) << "call " << i;
    EXPECT_EQ(OpenError(u"C:\\missing", CFile::modeRead), static_cast<LONG>(ERROR_FILE_NOT_FOUND));
    // A rename that changes only the case is a rename, not a collision.
    EXPECT_TRUE(MoveFileExW(u"C:\\dir\\a.qef", u"C:\\dir\\A.QEF", MOVEFILE_WRITE_THROUGH));
    const HANDLE hFind = FindFirstFileW(u"c:\\DIR\\*.QeF", &fd);
    ASSERT_NE(hFind, INVALID_HANDLE_VALUE);
    std::set<std::u16string> found{fd.cFileName};
    while (FindNextFileW(hFind, &fd))
        found.insert(fd.cFileName);
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(hFind));
    EXPECT_EQ(found, (std::set<std::u16string>{u"A.QEF", u"b.qef"}));
}

// A read-only file is copied read-only and never replaced; a write-protected drive refuses every
// change as Windows does and keeps what is there.
TEST(Drives, AReadOnlyFileOrWriteProtectedDriveRefusesChangesAndKeepsWhatIsThere)
{
    tavren::test::TempDrives t;
    t.Write("c/ro.stx", "locked");
    t.Write("c/rw.stx", "open");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.stx", FILE_ATTRIBUTE_READONLY));
    EXPECT_TRUE(CopyFileW(u"C:\\ro.stx", u"E:\\ro.stx", FALSE));
    EXPECT_NE(GetFileAttributesW(u"E:\\ro.stx") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(CopyFileW(u"C:\\rw.stx", u"E:\\rw.stx", FALSE));
    EXPECT_EQ(GetFileAttributesW(u"E:\\rw.stx") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(LastErrorOf([] { return !CopyFileW(u"C:\\rw.stx", u"E:\\ro.stx", FALSE); }), DWORD{ERROR_ACCESS_DENIED});
    EXPECT_EQ(Read(t, "USBSTICK/ro.stx"), "locked") << "a read-only file is not replaced";
    ASSERT_TRUE(SetFileAttributesW(u"E:\\ro.stx", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(CopyFileW(u"C:\\rw.stx", u"E:\\ro.stx", FALSE)) << "replaced once the attribute is cleared";
    EXPECT_EQ(Read(t, "USBSTICK/ro.stx"), "open");

    t.Write("USBSTICK/kept.stx", "kept");
    fs::create_directories(t.Host("USBSTICK/Empty"));
    SetDrives("C=fixed:" + t.Folder(u'C') + ";E=removable,readonly:" + t.Folder(u'E'));
    EXPECT_EQ(OpenError(u"E:\\kept.stx", CFile::modeCreate | CFile::modeWrite), static_cast<LONG>(ERROR_WRITE_PROTECT));
    EXPECT_TRUE(CopyFileW(u"E:\\kept.stx", u"C:\\back.stx", FALSE)) << "reading it still works";
    const std::vector<std::pair<const char*, std::function<BOOL()>>> changes = {
        {"CopyFileW over a file", [] { return CopyFileW(u"C:\\rw.stx", u"E:\\kept.stx", FALSE); }},
        {"CopyFileW to a new name", [] { return CopyFileW(u"C:\\rw.stx", u"E:\\new.stx", FALSE); }},
        {"DeleteFileW", [] { return DeleteFileW(u"E:\\kept.stx"); }},
        {"MoveFileExW within the drive", [] { return MoveFileExW(u"E:\\kept.stx", u"E:\\moved.stx", 0); }},
        {"MoveFileExW off the drive", [] { return MoveFileExW(u"E:\\kept.stx", u"C:\\moved.stx", MOVEFILE_COPY_ALLOWED); }},
        {"MoveFileExW onto the drive", [] { return MoveFileExW(u"C:\\rw.stx", u"E:\\moved.stx", MOVEFILE_COPY_ALLOWED); }},
        {"CreateDirectoryW", [] { return CreateDirectoryW(u"E:\\New", nullptr); }},
        {"RemoveDirectoryW", [] { return RemoveDirectoryW(u"E:\\Empty"); }},
        {"SetFileAttributesW", [] { return SetFileAttributesW(u"E:\\kept.stx", FILE_ATTRIBUTE_READONLY); }},
    };
    for (const auto& [pszCall, call] : changes)
        EXPECT_EQ(LastErrorOf([&] { return !call(); }), DWORD{ERROR_WRITE_PROTECT}) << pszCall;
    EXPECT_EQ(Read(t, "USBSTICK/kept.stx") + Read(t, "USBSTICK/new.stx") + Read(t, "c/rw.stx"), "kept(none)open");
    EXPECT_EQ(GetFileAttributesW(u"E:\\kept.stx") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(fs::is_directory(t.Host("USBSTICK/Empty")));
    EXPECT_FALSE(fs::exists(t.Host("USBSTICK/New")) || fs::exists(t.Host("USBSTICK/moved.stx")) || fs::exists(t.Host("c/moved.stx")));
    SetDrives(t.Setting());
}

// A full drive: a file can be made but takes no byte, a copy is refused before the target is
// touched, and a replace that fails half-way leaves the old file whole and nothing beside it.
TEST(Drives, AFullDriveRefusesWhatNeedsRoomAndLeavesWhatIsThere)
{
    tavren::test::TempDrives t;
    t.Write("c/src.stx", "pattern");
    t.Write("c/empty.stx", "");
    t.Write("c/big.stx", std::string(256 * 1024, 'b'));
    t.Write("USBSTICK/kept.stx", "kept");
    fs::create_directories(t.Host("USBSTICK/Empty"));

    // The medium takes no more bytes part of the way through.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const BOOL bCopied = CopyFileW(u"C:\\big.stx", u"E:\\kept.stx", FALSE);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(bCopied);
    EXPECT_EQ(Read(t, "USBSTICK/kept.stx"), "kept");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(t.Host("USBSTICK")))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"kept.stx", "Empty"}));

    SetDrives("C=fixed:" + t.Folder(u'C') + ";E=removable,full:" + t.Folder(u'E'));
    EXPECT_EQ(LastErrorOf([] { return !CopyFileW(u"C:\\src.stx", u"E:\\kept.stx", FALSE); }), DWORD{ERROR_DISK_FULL});
    EXPECT_EQ(Read(t, "USBSTICK/kept.stx"), "kept");
    EXPECT_TRUE(CopyFileW(u"C:\\empty.stx", u"E:\\empty.stx", FALSE));
    CFile file(u"E:\\made.stx", CFile::modeCreate | CFile::modeWrite);
    file.Write("", 0);
    try {
        file.Write("abc", 3);
        ADD_FAILURE() << "a full disk took bytes";
    } catch (CFileException* x) {
        EXPECT_EQ(x->m_lOsError, static_cast<LONG>(ERROR_DISK_FULL));
        x->Delete();
    }
    file.Close();
    EXPECT_EQ(Read(t, "USBSTICK/made.stx"), "");
    // A new folder needs room; taking things away and renaming do not.
    EXPECT_EQ(LastErrorOf([] { return !CreateDirectoryW(u"E:\\New", nullptr); }), DWORD{ERROR_DISK_FULL});
    EXPECT_TRUE(MoveFileExW(u"E:\\made.stx", u"E:\\renamed.stx", 0));
    EXPECT_TRUE(DeleteFileW(u"E:\\renamed.stx"));
    EXPECT_TRUE(RemoveDirectoryW(u"E:\\Empty"));
    SetDrives(t.Setting());
}

// An optical drive without its disc, or a flash drive pulled out: the letter stays, and every call
// on a path there answers "The device is not ready." until the medium is back; a folder missing on
// a drive that is ready is still a missing path.
TEST(Drives, EveryFileCallOnADriveWithoutItsMediumIsNotReady)
{
    tavren::test::TempDrives t({{u'C', DRIVE_FIXED}, {u'D', DRIVE_CDROM, "", false}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}});
    t.Write("c/rose.qef", "design");
    char16_t szText[64];
    const DWORD nText = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, ERROR_NOT_READY, 0, szText, 64, nullptr);
    EXPECT_EQ(std::u16string(szText, nText), u"The device is not ready.\r\n");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));

    WIN32_FIND_DATAW find;
    ULARGE_INTEGER freeBytes;
    const auto everyCallOn = [&](char16_t chDrive) {
        const std::u16string d{chDrive, u':', u'\\'};
        const auto open = [&](const char16_t* pszName, UINT nFlags) { return OpenError((d + pszName).c_str(), nFlags) == ERROR_NOT_READY; };
        const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
            {"CreateDirectoryW", [&] { return !CreateDirectoryW((d + u"EMB\\Embf").c_str(), nullptr); }},
            {"FindFirstFileW", [&] { return FindFirstFileW((d + u"*.*").c_str(), &find) == INVALID_HANDLE_VALUE; }},
            {"SetCurrentDirectoryW", [&] { return !SetCurrentDirectoryW(d.c_str()); }},
            {"CFile::Open to read", [&] { return open(u"rose.qef", CFile::modeRead); }},
            {"CFile::Open to create", [&] { return open(u"new.qef", CFile::modeCreate | CFile::modeWrite); }},
            {"GetFileAttributesW of the root", [&] { return GetFileAttributesW(d.c_str()) == INVALID_FILE_ATTRIBUTES; }},
            {"SetFileAttributesW", [&] { return !SetFileAttributesW((d + u"rose.qef").c_str(), FILE_ATTRIBUTE_NORMAL); }},
            {"DeleteFileW", [&] { return !DeleteFileW((d + u"rose.qef").c_str()); }},
            {"RemoveDirectoryW", [&] { return !RemoveDirectoryW((d + u"EMB").c_str()); }},
            {"MoveFileExW onto it", [&] { return !MoveFileExW(u"C:\\rose.qef", (d + u"rose.qef").c_str(), MOVEFILE_COPY_ALLOWED); }},
            {"MoveFileExW from it", [&] { return !MoveFileExW((d + u"rose.qef").c_str(), u"C:\\moved.qef", MOVEFILE_COPY_ALLOWED); }},
            {"CopyFileW onto it", [&] { return !CopyFileW(u"C:\\rose.qef", (d + u"rose.qef").c_str(), FALSE); }},
            {"CopyFileW from it", [&] { return !CopyFileW((d + u"rose.qef").c_str(), u"C:\\copy.qef", FALSE); }},
            {"GetDiskFreeSpaceExW", [&] { return !GetDiskFreeSpaceExW(d.c_str(), &freeBytes, nullptr, nullptr); }},
        };
        for (const auto& [pszCall, call] : calls)
            EXPECT_EQ(LastErrorOf(call), DWORD{ERROR_NOT_READY}) << pszCall << " on " << static_cast<char>(chDrive) << ":";
    };

    everyCallOn(u'D');
    // Nothing moved or was left behind on the drive that is ready; the current directory stayed.
    EXPECT_TRUE(fs::exists(t.Host("c/rose.qef")));
    EXPECT_FALSE(fs::exists(t.Host("c/moved.qef")) || fs::exists(t.Host("c/copy.qef")) || fs::exists(t.Host("d")));
    char16_t szCurrent[MAX_PATH] = {};
    EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, szCurrent), 3u);
    EXPECT_EQ(std::u16string(szCurrent), u"C:\\");

    // A disc goes in: the same calls work, and a folder missing there is a missing path.
    fs::create_directories(t.Host("d/EMB"));
    EXPECT_TRUE(CreateDirectoryW(u"D:\\EMB\\Embf", nullptr));
    EXPECT_TRUE(CopyFileW(u"C:\\rose.qef", u"D:\\rose.qef", FALSE));
    EXPECT_EQ(LastErrorOf([] { return !CreateDirectoryW(u"D:\\Gone\\New", nullptr); }), DWORD{ERROR_PATH_NOT_FOUND});
    EXPECT_EQ(LastErrorOf([&] { return !GetDiskFreeSpaceExW(u"D:\\Gone", &freeBytes, nullptr, nullptr); }), DWORD{ERROR_PATH_NOT_FOUND});

    // The flash drive pulled out: its letter stays in the map, and it is not ready either.
    fs::remove_all(t.Host("USBSTICK"));
    everyCallOn(u'E');
}

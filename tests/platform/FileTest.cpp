// The file calls on the drive map: paths found without regard to case, the Windows error codes and
// their texts, copies and finds, CFile, and drives without their medium, write-protected or full.
#include "tests/support/TempDrives.h"

#include "platform/afx/File.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/file/Shell.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

#include <cerrno>
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

std::u16string Message(DWORD code)
{
    char16_t buf[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf, 256, nullptr);
    return std::u16string(buf, n);
}

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

} // namespace

TEST(DrivePaths, ComponentsAreFoundWithoutRegardToCaseAndTheMapIsParsed)
{
    tavren::test::TempDrives t;
    t.Write("USBSTICK/EMB/Embf/Rose.QEF", "abc");
    std::string host;
    DWORD err = 0;
    ASSERT_TRUE(DriveMap::Instance().ToHost(u"e:\\emb\\EMBF\\rose.qef", host, err));
    EXPECT_EQ(host, t.Host("USBSTICK/EMB/Embf/Rose.QEF"));
    // A drive root followed by an empty component, and a name that does not exist yet.
    ASSERT_TRUE(DriveMap::Instance().ToHost(u"E:\\\\emb\\new.qef", host, err));
    EXPECT_EQ(host, t.Host("USBSTICK/EMB/new.qef"));
    EXPECT_FALSE(DriveMap::Instance().ToHost(u"Q:\\x", host, err));
    EXPECT_EQ(err, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(DriveMap::Instance().ToHost(u"C:\\a|b", host, err));
    EXPECT_EQ(err, ERROR_INVALID_NAME);
    EXPECT_EQ(DriveMap::Instance().FromHost(t.Host("USBSTICK/EMB")), u"E:\\EMB");

    SetDrives("E=removable,readonly:/media/u/STICK/;C=fixed:/tmp/c;bad;D=cdrom:/cd");
    const auto drives = DriveMap::Instance().Drives();
    SetDrives(t.Setting());
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].letter, u'C');
    EXPECT_EQ(drives[0].writeFault, 0);
    EXPECT_EQ(drives[1].type, DRIVE_CDROM);
    EXPECT_EQ(drives[2].hostRoot, "/media/u/STICK");
    EXPECT_EQ(drives[2].label, u"STICK");
    EXPECT_EQ(drives[2].writeFault, EROFS);
}

TEST(FileCalls, ErrorsAreTheWindowsCodesWithTheirSystemTexts)
{
    tavren::test::TempDrives t;
    t.Write("c/dir/a.qef", "1");
    t.Write("c/dir/b.qef", "2");
    EXPECT_EQ(Message(ERROR_FILE_NOT_FOUND), u"The system cannot find the file specified.\r\n");
    // In order: each call fails with its code, and the calls between them set the scene.
    const std::vector<std::pair<std::function<bool()>, DWORD>> calls = {
        {[] { return GetFileAttributesW(u"C:\\dir\\missing.qef") == INVALID_FILE_ATTRIBUTES; }, ERROR_FILE_NOT_FOUND},
        {[] { return GetFileAttributesW(u"C:\\nodir\\missing.qef") == INVALID_FILE_ATTRIBUTES; }, ERROR_PATH_NOT_FOUND},
        {[] { return !DeleteFileW(u"C:\\dir"); }, ERROR_ACCESS_DENIED},
        {[] { return CreateDirectoryW(u"C:\\dir\\sub", nullptr) && !CreateDirectoryW(u"C:\\DIR\\SUB", nullptr); }, ERROR_ALREADY_EXISTS},
        {[&] { t.Write("c/dir/sub/x", ""); return !RemoveDirectoryW(u"C:\\dir\\sub"); }, ERROR_DIR_NOT_EMPTY},
        // Moving onto an existing name without the replace flag keeps both files.
        {[] { return !MoveFileExW(u"C:\\dir\\a.qef", u"C:\\dir\\b.qef", MOVEFILE_WRITE_THROUGH); }, ERROR_ALREADY_EXISTS},
        {[] { return CopyFileW(u"C:\\dir\\b.qef", u"E:\\b.qef", TRUE) && !CopyFileW(u"C:\\dir\\b.qef", u"E:\\b.qef", TRUE); }, ERROR_FILE_EXISTS},
    };
    for (size_t i = 0; i < calls.size(); ++i)
        EXPECT_EQ(LastErrorOf(calls[i].first), calls[i].second) << "call " << i;
    // A rename that changes only the case is a rename, not a collision.
    EXPECT_TRUE(MoveFileExW(u"C:\\dir\\a.qef", u"C:\\dir\\A.QEF", MOVEFILE_WRITE_THROUGH));
    EXPECT_TRUE(fs::exists(t.Host("c/dir/A.QEF")));
    EXPECT_FALSE(fs::exists(t.Host("c/dir/a.qef")));
}

TEST(FileCalls, CopyKeepsTheReadOnlyAttributeAndNeverReplacesAReadOnlyFile)
{
    tavren::test::TempDrives t;
    t.Write("c/ro.stx", "locked");
    t.Write("c/rw.stx", "open");
    ASSERT_TRUE(SetFileAttributesW(u"C:\\ro.stx", FILE_ATTRIBUTE_READONLY));

    // The copy of a read-only file is read-only too, with the same bytes.
    EXPECT_TRUE(CopyFileW(u"C:\\ro.stx", u"E:\\ro.stx", FALSE));
    EXPECT_NE(GetFileAttributesW(u"E:\\ro.stx") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_EQ(Read(t, "USBSTICK/ro.stx"), "locked");
    EXPECT_TRUE(CopyFileW(u"C:\\rw.stx", u"E:\\rw.stx", FALSE));
    EXPECT_EQ(GetFileAttributesW(u"E:\\rw.stx") & FILE_ATTRIBUTE_READONLY, 0u);

    // Replacing it is refused until the attribute is cleared, as Windows refuses it.
    EXPECT_EQ(LastErrorOf([] { return !CopyFileW(u"C:\\rw.stx", u"E:\\ro.stx", FALSE); }), DWORD{ERROR_ACCESS_DENIED});
    ASSERT_TRUE(SetFileAttributesW(u"E:\\ro.stx", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(CopyFileW(u"C:\\rw.stx", u"E:\\ro.stx", FALSE));
    EXPECT_EQ(Read(t, "USBSTICK/ro.stx"), "open");

    // A replace that fails half-way (the medium takes no more bytes) leaves the old file whole,
    // and nothing beside it.
    t.Write("c/big.stx", std::string(256 * 1024, 'b'));
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 64 * 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const BOOL bCopied = CopyFileW(u"C:\\big.stx", u"E:\\rw.stx", FALSE);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(bCopied);
    EXPECT_EQ(Read(t, "USBSTICK/rw.stx"), "open");
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(t.Host("USBSTICK")))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names, (std::set<std::string>{"ro.stx", "rw.stx"}));
}

TEST(FileCalls, FindListsMatchingNamesWithDotsFirstBelowTheRoot)
{
    tavren::test::TempDrives t;
    t.Write("c/d/one.QEF", "12345");
    t.Write("c/d/two.qef", "");
    t.Write("c/d/three.stx", "");
    t.Write("c/d/.hidden.qef", "");
    fs::create_directories(t.Host("c/d/Folder"));
    // Each name found, with "/" after a folder's, "+" after a hidden one's and the size of a file's.
    const auto find = [](const char16_t* pszPattern) {
        std::vector<std::u16string> found;
        WIN32_FIND_DATAW fd;
        const HANDLE h = FindFirstFileW(pszPattern, &fd);
        if (h == INVALID_HANDLE_VALUE)
            return found;
        do {
            std::u16string s = fd.cFileName;
            s += fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY ? u"/" : fd.nFileSizeLow == 5 ? u" 5" : u"";
            found.push_back(fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN ? s + u"+" : s);
        } while (FindNextFileW(h, &fd));
        EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
        EXPECT_TRUE(FindClose(h));
        return found;
    };
    const std::vector<std::u16string> all = find(u"C:\\d\\*");
    ASSERT_EQ(all.size(), 7u);
    EXPECT_EQ(all[0], u"./");
    EXPECT_EQ(all[1], u"../");
    EXPECT_EQ(std::set<std::u16string>(all.begin() + 2, all.end()),
              (std::set<std::u16string>{u"one.QEF 5", u"two.qef", u"three.stx", u".hidden.qef+", u"Folder/"}));
    EXPECT_EQ(find(u"C:\\D\\*.qef").size(), 3u);
    EXPECT_EQ(find(u"C:\\*"), std::vector<std::u16string>{u"d/"}) << "the root of a drive has no \".\" and \"..\"";
    WIN32_FIND_DATAW fd;
    EXPECT_EQ(FindFirstFileW(u"C:\\nowhere\\*", &fd), INVALID_HANDLE_VALUE);
    EXPECT_EQ(GetLastError(), ERROR_PATH_NOT_FOUND);
}

TEST(Files, CFileThrowsWithTheCauseAndOpensWithoutRegardToCase)
{
    tavren::test::TempDrives t;
    try {
        CFile f(u"C:\\none\\x.qef", CFile::modeRead);
        FAIL() << "opened a missing file";
    } catch (CFileException* e) {
        EXPECT_EQ(e->m_lOsError, static_cast<LONG>(ERROR_PATH_NOT_FOUND));
        e->Delete();
    }
    CFile(u"c:\\OUT.bin", CFile::modeCreate | CFile::modeWrite).Write("hello", 5);
    CFile f;
    CFileException e;
    ASSERT_TRUE(f.Open(u"C:\\out.BIN", CFile::modeRead | CFile::shareDenyWrite, &e));
    char buf[16] = {};
    EXPECT_EQ(f.GetLength(), 5u);
    EXPECT_EQ(f.Read(buf, 16), 5u);
    EXPECT_EQ(std::string(buf), "hello");
    EXPECT_EQ(f.Read(buf, 16), 0u);
    EXPECT_FALSE(f.Open(u"C:\\missing", CFile::modeRead, &e));
    EXPECT_EQ(e.m_lOsError, static_cast<LONG>(ERROR_FILE_NOT_FOUND));
}

// An optical drive without its disc: the drive is listed, and every call on a path there answers
// "The device is not ready." until a disc goes in; a folder missing on a drive that is ready is
// still a missing path.
TEST(Drives, EveryFileCallOnADriveWithoutItsMediumIsNotReady)
{
    tavren::test::TempDrives t({{u'C', DRIVE_FIXED}, {u'D', DRIVE_CDROM, "", false}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}});
    t.Write("c/rose.qef", "design");
    EXPECT_EQ(GetDriveTypeW(u"D:\\"), DRIVE_CDROM);
    EXPECT_EQ(Message(ERROR_NOT_READY), u"The device is not ready.\r\n");
    ASSERT_TRUE(SetCurrentDirectoryW(u"C:\\"));

    WIN32_FIND_DATAW find;
    ULARGE_INTEGER freeBytes;
    const auto everyCallOn = [&](char16_t chDrive) {
        const std::u16string d{chDrive, u':', u'\\'};
        const auto open = [&](const char16_t* pszName, UINT nFlags) {
            CFile f;
            CFileException error;
            return !f.Open((d + pszName).c_str(), nFlags, &error) && error.m_lOsError == ERROR_NOT_READY;
        };
        const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
            {"CreateDirectoryW", [&] { return !CreateDirectoryW((d + u"EMB").c_str(), nullptr); }},
            {"CreateDirectoryW deeper", [&] { return !CreateDirectoryW((d + u"EMB\\Embf").c_str(), nullptr); }},
            {"FindFirstFileW", [&] { return FindFirstFileW((d + u"*.*").c_str(), &find) == INVALID_HANDLE_VALUE; }},
            {"FindFirstFileW in a folder", [&] { return FindFirstFileW((d + u"EMB\\*.qef").c_str(), &find) == INVALID_HANDLE_VALUE; }},
            {"SetCurrentDirectoryW", [&] { return !SetCurrentDirectoryW(d.c_str()); }},
            {"CFile::Open to read", [&] { return open(u"rose.qef", CFile::modeRead); }},
            {"CFile::Open to create", [&] { return open(u"new.qef", CFile::modeCreate | CFile::modeWrite); }},
            {"GetFileAttributesW of the root", [&] { return GetFileAttributesW(d.c_str()) == INVALID_FILE_ATTRIBUTES; }},
            {"GetFileAttributesW", [&] { return GetFileAttributesW((d + u"EMB\\rose.qef").c_str()) == INVALID_FILE_ATTRIBUTES; }},
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
        EXPECT_FALSE(PathFileExistsW(d.c_str()));
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
    EXPECT_NE(GetFileAttributesW(u"D:\\EMB"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(CreateDirectoryW(u"D:\\EMB\\Embf", nullptr));
    EXPECT_TRUE(CopyFileW(u"C:\\rose.qef", u"D:\\rose.qef", FALSE));
    EXPECT_TRUE(GetDiskFreeSpaceExW(u"D:\\EMB", &freeBytes, nullptr, nullptr));
    EXPECT_EQ(LastErrorOf([] { return !CreateDirectoryW(u"D:\\Gone\\New", nullptr); }), DWORD{ERROR_PATH_NOT_FOUND});
    EXPECT_EQ(LastErrorOf([&] { return !GetDiskFreeSpaceExW(u"D:\\Gone", &freeBytes, nullptr, nullptr); }), DWORD{ERROR_PATH_NOT_FOUND});

    // The USB flash drive pulled out: its letter stays in the map, and it is not ready either.
    fs::remove_all(t.Host("USBSTICK"));
    everyCallOn(u'E');
}

TEST(Drives, AWriteProtectedOrFullDriveRefusesWhatWindowsRefusesAndLeavesWhatIsThere)
{
    tavren::test::TempDrives t;
    t.Write("c/src.stx", "pattern");
    t.Write("c/empty.stx", "");
    t.Write("USBSTICK/kept.stx", "kept");
    t.Write("USBSTICK/Folder/inside.stx", "inside");
    fs::create_directories(t.Host("USBSTICK/Empty"));
    SetDrives("C=fixed:" + t.Folder(u'C') + ";E=removable,readonly:" + t.Folder(u'E'));

    CFile file;
    CFileException e;
    EXPECT_FALSE(file.Open(u"E:\\kept.stx", CFile::modeCreate | CFile::modeWrite, &e));
    EXPECT_EQ(e.m_lOsError, static_cast<LONG>(ERROR_WRITE_PROTECT));
    EXPECT_TRUE(file.Open(u"E:\\kept.stx", CFile::modeRead));
    file.Close();
    EXPECT_TRUE(CopyFileW(u"E:\\kept.stx", u"C:\\back.stx", FALSE)) << "reading it still works";
    // Every call that would change it answers as Windows does, and changes nothing.
    const std::vector<std::pair<const char*, std::function<BOOL()>>> changes = {
        {"CopyFileW over a file", [] { return CopyFileW(u"C:\\src.stx", u"E:\\kept.stx", FALSE); }},
        {"CopyFileW to a new name", [] { return CopyFileW(u"C:\\src.stx", u"E:\\new.stx", FALSE); }},
        {"DeleteFileW", [] { return DeleteFileW(u"E:\\kept.stx"); }},
        {"MoveFileExW within the drive", [] { return MoveFileExW(u"E:\\kept.stx", u"E:\\moved.stx", 0); }},
        {"MoveFileExW off the drive", [] { return MoveFileExW(u"E:\\kept.stx", u"C:\\moved.stx", MOVEFILE_COPY_ALLOWED); }},
        {"MoveFileExW onto the drive", [] { return MoveFileExW(u"C:\\src.stx", u"E:\\moved.stx", MOVEFILE_COPY_ALLOWED); }},
        {"CreateDirectoryW", [] { return CreateDirectoryW(u"E:\\New", nullptr); }},
        {"RemoveDirectoryW", [] { return RemoveDirectoryW(u"E:\\Empty"); }},
        {"SetFileAttributesW", [] { return SetFileAttributesW(u"E:\\kept.stx", FILE_ATTRIBUTE_READONLY); }},
    };
    for (const auto& [pszCall, call] : changes)
        EXPECT_EQ(LastErrorOf([&] { return !call(); }), DWORD{ERROR_WRITE_PROTECT}) << pszCall;
    EXPECT_EQ(Read(t, "USBSTICK/kept.stx"), "kept");
    EXPECT_EQ(Read(t, "USBSTICK/new.stx"), "(none)");
    EXPECT_EQ(Read(t, "c/src.stx"), "pattern");
    EXPECT_EQ(GetFileAttributesW(u"E:\\kept.stx") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(fs::is_directory(t.Host("USBSTICK/Empty")));
    EXPECT_FALSE(fs::exists(t.Host("USBSTICK/New")) || fs::exists(t.Host("USBSTICK/moved.stx")) || fs::exists(t.Host("c/moved.stx")));

    // Full: a file can be made but takes no byte; a copy is refused before the target is touched.
    SetDrives("C=fixed:" + t.Folder(u'C') + ";E=removable,full:" + t.Folder(u'E'));
    EXPECT_EQ(LastErrorOf([] { return !CopyFileW(u"C:\\src.stx", u"E:\\kept.stx", FALSE); }), DWORD{ERROR_DISK_FULL});
    EXPECT_EQ(Read(t, "USBSTICK/kept.stx"), "kept");
    EXPECT_TRUE(CopyFileW(u"C:\\empty.stx", u"E:\\empty.stx", FALSE));
    ASSERT_TRUE(file.Open(u"E:\\made.stx", CFile::modeCreate | CFile::modeWrite, &e));
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
    // A relative path on the current drive is judged by that drive.
    DriveMap::Instance().SetCurrentDirectoryPath(u"E:\\");
    EXPECT_EQ(DriveMap::Instance().WriteFault(u"kept.stx"), ENOSPC);
    DriveMap::Instance().SetCurrentDirectoryPath(u"C:\\");
    EXPECT_EQ(DriveMap::Instance().WriteFault(u"kept.stx"), 0);
    SetDrives(t.Setting());
}

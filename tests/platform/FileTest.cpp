#include "tests/support/TempDrives.h"

#include "platform/afx/File.h"
#include "platform/file/FileApi.h"
#include "platform/afx/MemFile.h"
#include "platform/file/Shell.h"
#include "platform/base/WinError.h"

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
std::u16string Message(DWORD code)
{
    char16_t buf[256];
    DWORD n = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code, 0, buf, 256, nullptr);
    return std::u16string(buf, n);
}
} // namespace

TEST(DrivePaths, ComponentsAreFoundWithoutRegardToCase)
{
    tavren::test::TempDrives t;
    t.Write("USBSTICK/EMB/Embf/Rose.QEF", "abc");
    std::string host;
    DWORD err = 0;
    ASSERT_TRUE(tavren::DriveMap::Instance().ToHost(u"e:\\emb\\EMBF\\rose.qef", host, err));
    EXPECT_EQ(host, t.Host("USBSTICK/EMB/Embf/Rose.QEF"));
    // A drive root followed by an empty component, and a name that does not exist yet.
    ASSERT_TRUE(tavren::DriveMap::Instance().ToHost(u"E:\\\\emb\\new.qef", host, err));
    EXPECT_EQ(host, t.Host("USBSTICK/EMB/new.qef"));
    EXPECT_FALSE(tavren::DriveMap::Instance().ToHost(u"Q:\\x", host, err));
    EXPECT_EQ(err, ERROR_PATH_NOT_FOUND);
    EXPECT_FALSE(tavren::DriveMap::Instance().ToHost(u"C:\\a|b", host, err));
    EXPECT_EQ(err, ERROR_INVALID_NAME);
    EXPECT_EQ(tavren::DriveMap::Instance().FromHost(t.Host("USBSTICK/EMB")), u"E:\\EMB");
}

TEST(DrivePaths, EnvironmentMapIsParsed)
{
    setenv("TAVREN_DRIVES", "E=removable:/media/u/STICK/;C=fixed:/tmp/c;bad;D=cdrom:/cd", 1);
    tavren::DriveMap::Instance().Reload();
    auto drives = tavren::DriveMap::Instance().Drives();
    unsetenv("TAVREN_DRIVES");
    tavren::DriveMap::Instance().Reload();
    ASSERT_EQ(drives.size(), 3u);
    EXPECT_EQ(drives[0].letter, u'C');
    EXPECT_EQ(drives[1].type, DRIVE_CDROM);
    EXPECT_EQ(drives[2].hostRoot, "/media/u/STICK");
    EXPECT_EQ(drives[2].label, u"STICK");
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
        {[] { return CopyFileW(u"C:\\dir\\b.qef", u"E:\\b.qef", TRUE) && !CopyFileW(u"C:\\dir\\b.qef", u"E:\\b.qef", TRUE); },
         ERROR_FILE_EXISTS},
    };
    for (size_t i = 0; i < calls.size(); ++i) {
        SetLastError(0);
        EXPECT_TRUE(calls[i].first()) << "call " << i;
        EXPECT_EQ(GetLastError(), calls[i].second) << "call " << i;
    }
    // A rename that changes only the case is a rename, not a collision.
    EXPECT_TRUE(MoveFileExW(u"C:\\dir\\a.qef", u"C:\\dir\\A.QEF", MOVEFILE_WRITE_THROUGH));
    EXPECT_TRUE(std::filesystem::exists(t.Host("c/dir/A.QEF")));
    EXPECT_FALSE(std::filesystem::exists(t.Host("c/dir/a.qef")));
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
    std::ifstream copied(t.Host("USBSTICK/ro.stx"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(copied), {}), "locked");
    EXPECT_TRUE(CopyFileW(u"C:\\rw.stx", u"E:\\rw.stx", FALSE));
    EXPECT_EQ(GetFileAttributesW(u"E:\\rw.stx") & FILE_ATTRIBUTE_READONLY, 0u);

    // Replacing it is refused until the attribute is cleared, as Windows refuses it.
    EXPECT_FALSE(CopyFileW(u"C:\\rw.stx", u"E:\\ro.stx", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_ACCESS_DENIED);
    ASSERT_TRUE(SetFileAttributesW(u"E:\\ro.stx", FILE_ATTRIBUTE_NORMAL));
    EXPECT_TRUE(CopyFileW(u"C:\\rw.stx", u"E:\\ro.stx", FALSE));
    std::ifstream replaced(t.Host("USBSTICK/ro.stx"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(replaced), {}), "open");

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
    std::ifstream kept(t.Host("USBSTICK/rw.stx"), std::ios::binary);
    EXPECT_EQ(std::string(std::istreambuf_iterator<char>(kept), {}), "open");
    std::set<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(t.Host("USBSTICK")))
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
    std::filesystem::create_directories(t.Host("c/d/Folder"));
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW(u"C:\\d\\*", &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    std::vector<std::u16string> names{fd.cFileName};
    std::set<std::u16string> dirs;
    while (FindNextFileW(h, &fd)) {
        names.push_back(fd.cFileName);
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            dirs.insert(fd.cFileName);
        if (names.back() == u"one.QEF") {
            EXPECT_EQ(fd.nFileSizeLow, 5u);
        }
        if (names.back() == u".hidden.qef") {
            EXPECT_TRUE(fd.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN);
        }
    }
    EXPECT_EQ(GetLastError(), ERROR_NO_MORE_FILES);
    EXPECT_TRUE(FindClose(h));
    ASSERT_EQ(names.size(), 7u);
    EXPECT_EQ(names[0], u".");
    EXPECT_EQ(names[1], u"..");
    EXPECT_EQ(dirs, (std::set<std::u16string>{u"..", u"Folder"}));

    h = FindFirstFileW(u"C:\\D\\*.qef", &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    int n = 1;
    while (FindNextFileW(h, &fd))
        ++n;
    FindClose(h);
    EXPECT_EQ(n, 3);

    // The root of a drive has no "." and "..".
    h = FindFirstFileW(u"C:\\*", &fd);
    ASSERT_NE(h, INVALID_HANDLE_VALUE);
    EXPECT_EQ(std::u16string(fd.cFileName), u"d");
    FindClose(h);
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
        EXPECT_EQ(e->m_cause, CFileException::badPath);
        EXPECT_EQ(e->m_lOsError, static_cast<LONG>(ERROR_PATH_NOT_FOUND));
        e->Delete();
    }
    {
        CFile f(u"c:\\OUT.bin", CFile::modeCreate | CFile::modeWrite);
        f.Write("hello", 5);
    }
    CFile f;
    CFileException e;
    ASSERT_TRUE(f.Open(u"C:\\out.BIN", CFile::modeRead | CFile::shareDenyWrite, &e));
    char buf[16] = {};
    EXPECT_EQ(f.GetLength(), 5u);
    EXPECT_EQ(f.Read(buf, 16), 5u);
    EXPECT_EQ(std::string(buf), "hello");
    EXPECT_EQ(f.Read(buf, 16), 0u);
    EXPECT_FALSE(f.Open(u"C:\\missing", CFile::modeRead, &e));
    EXPECT_EQ(e.m_cause, CFileException::fileNotFound);

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

    // Each call fails with the last error it leaves, cleared before it.
    auto lastErrorOf = [](const std::function<bool()>& failed) -> DWORD {
        SetLastError(ERROR_SUCCESS);
        return failed() ? GetLastError() : ERROR_SUCCESS;
    };
    auto everyCallOn = [&](char16_t chDrive) {
        const std::u16string d{chDrive, u':', u'\\'};
        WIN32_FIND_DATAW find;
        ULARGE_INTEGER freeBytes;
        CFileException error;
        const std::vector<std::pair<const char*, std::function<bool()>>> calls = {
            {"CreateDirectoryW", [&] { return !CreateDirectoryW((d + u"EMB").c_str(), nullptr); }},
            {"CreateDirectoryW deeper", [&] { return !CreateDirectoryW((d + u"EMB\\Embf").c_str(), nullptr); }},
            {"FindFirstFileW", [&] { return FindFirstFileW((d + u"*.*").c_str(), &find) == INVALID_HANDLE_VALUE; }},
            {"FindFirstFileW in a folder", [&] { return FindFirstFileW((d + u"EMB\\*.qef").c_str(), &find) == INVALID_HANDLE_VALUE; }},
            {"SetCurrentDirectoryW", [&] { return !SetCurrentDirectoryW(d.c_str()); }},
            {"CFile::Open to read", [&] {
                 CFile f;
                 return !f.Open((d + u"rose.qef").c_str(), CFile::modeRead, &error) && error.m_lOsError == ERROR_NOT_READY;
             }},
            {"CFile::Open to create", [&] {
                 CFile f;
                 return !f.Open((d + u"new.qef").c_str(), CFile::modeCreate | CFile::modeWrite, &error) &&
                        error.m_lOsError == ERROR_NOT_READY;
             }},
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
            EXPECT_EQ(lastErrorOf(call), DWORD{ERROR_NOT_READY}) << pszCall << " on " << static_cast<char>(chDrive) << ":";
        EXPECT_FALSE(PathFileExistsW(d.c_str()));
    };

    everyCallOn(u'D');
    // Nothing moved or was left behind on the drive that is ready; the current directory stayed.
    EXPECT_TRUE(std::filesystem::exists(t.Host("c/rose.qef")));
    EXPECT_FALSE(std::filesystem::exists(t.Host("c/moved.qef")) || std::filesystem::exists(t.Host("c/copy.qef")));
    EXPECT_FALSE(std::filesystem::exists(t.Host("d")));
    char16_t szCurrent[MAX_PATH] = {};
    EXPECT_EQ(GetCurrentDirectoryW(MAX_PATH, szCurrent), 3u);
    EXPECT_EQ(std::u16string(szCurrent), u"C:\\");

    // A disc goes in: the same calls work.
    std::filesystem::create_directories(t.Host("d/EMB"));
    EXPECT_NE(GetFileAttributesW(u"D:\\EMB"), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(CreateDirectoryW(u"D:\\EMB\\Embf", nullptr));
    EXPECT_TRUE(CopyFileW(u"C:\\rose.qef", u"D:\\rose.qef", FALSE));
    ULARGE_INTEGER freeBytes;
    EXPECT_TRUE(GetDiskFreeSpaceExW(u"D:\\EMB", &freeBytes, nullptr, nullptr));
    // ... and a folder missing there is a missing path, not a missing medium.
    EXPECT_EQ(lastErrorOf([] { return !CreateDirectoryW(u"D:\\Gone\\New", nullptr); }), DWORD{ERROR_PATH_NOT_FOUND});
    EXPECT_EQ(lastErrorOf([&] { return !GetDiskFreeSpaceExW(u"D:\\Gone", &freeBytes, nullptr, nullptr); }),
              DWORD{ERROR_PATH_NOT_FOUND});

    // The USB flash drive pulled out: its letter stays in the map, and it is not ready either.
    std::filesystem::remove_all(t.Host("USBSTICK"));
    everyCallOn(u'E');
}

TEST(Drives, AWriteProtectedOrFullDriveRefusesWhatWindowsRefusesAndLeavesWhatIsThere)
{
    tavren::test::TempDrives t;
    t.Write("c/src.stx", "pattern");
    t.Write("c/empty.stx", "");
    t.Write("USBSTICK/kept.stx", "kept");
    const auto read = [&](const std::string& strRelative) {
        std::ifstream in(t.Host(strRelative), std::ios::binary);
        return in ? std::string(std::istreambuf_iterator<char>(in), {}) : std::string("(none)");
    };
    // The options as a user's TAVREN_DRIVES gives them.
    setenv("TAVREN_DRIVES", ("C=fixed:" + t.Folder(u'C') + ";E=removable,readonly:" + t.Folder(u'E')).c_str(), 1);
    tavren::DriveMap::Instance().Reload();
    ASSERT_EQ(tavren::DriveMap::Instance().Find(u'E')->writeFault, EROFS);
    EXPECT_EQ(tavren::DriveMap::Instance().Find(u'E')->label, u"USBSTICK");
    EXPECT_EQ(tavren::DriveMap::Instance().Find(u'C')->writeFault, 0);

    EXPECT_FALSE(CopyFileW(u"C:\\src.stx", u"E:\\kept.stx", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_PROTECT);
    EXPECT_FALSE(CopyFileW(u"C:\\src.stx", u"E:\\new.stx", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_WRITE_PROTECT);
    CFile file;
    CFileException e;
    EXPECT_FALSE(file.Open(u"E:\\kept.stx", CFile::modeCreate | CFile::modeWrite, &e));
    EXPECT_EQ(e.m_lOsError, static_cast<LONG>(ERROR_WRITE_PROTECT));
    EXPECT_TRUE(file.Open(u"E:\\kept.stx", CFile::modeRead));
    file.Close();
    EXPECT_TRUE(CopyFileW(u"E:\\kept.stx", u"C:\\back.stx", FALSE)) << "reading it still works";
    EXPECT_EQ(read("USBSTICK/kept.stx"), "kept");
    EXPECT_EQ(read("USBSTICK/new.stx"), "(none)");
    // Every other call that would change it answers as Windows does, and changes nothing.
    t.Write("USBSTICK/Folder/inside.stx", "inside");
    std::filesystem::create_directories(t.Host("USBSTICK/Empty"));
    const std::vector<std::pair<const char*, std::function<BOOL()>>> changes = {
        {"DeleteFileW", [] { return DeleteFileW(u"E:\\kept.stx"); }},
        {"MoveFileExW within the drive", [] { return MoveFileExW(u"E:\\kept.stx", u"E:\\moved.stx", 0); }},
        {"MoveFileExW off the drive", [] { return MoveFileExW(u"E:\\kept.stx", u"C:\\moved.stx", MOVEFILE_COPY_ALLOWED); }},
        {"MoveFileExW onto the drive", [] { return MoveFileExW(u"C:\\src.stx", u"E:\\moved.stx", MOVEFILE_COPY_ALLOWED); }},
        {"CreateDirectoryW", [] { return CreateDirectoryW(u"E:\\New", nullptr); }},
        {"RemoveDirectoryW", [] { return RemoveDirectoryW(u"E:\\Empty"); }},
        {"SetFileAttributesW", [] { return SetFileAttributesW(u"E:\\kept.stx", FILE_ATTRIBUTE_READONLY); }},
    };
    for (const auto& [pszCall, call] : changes) {
        SetLastError(0);
        EXPECT_FALSE(call()) << pszCall;
        EXPECT_EQ(GetLastError(), ERROR_WRITE_PROTECT) << pszCall;
    }
    EXPECT_EQ(read("USBSTICK/kept.stx"), "kept");
    EXPECT_EQ(read("c/src.stx"), "pattern");
    EXPECT_EQ(GetFileAttributesW(u"E:\\kept.stx") & FILE_ATTRIBUTE_READONLY, 0u);
    EXPECT_TRUE(std::filesystem::is_directory(t.Host("USBSTICK/Empty")));
    EXPECT_FALSE(std::filesystem::exists(t.Host("USBSTICK/New")) || std::filesystem::exists(t.Host("USBSTICK/moved.stx")) ||
                 std::filesystem::exists(t.Host("c/moved.stx")));

    // Full: a file can be made but takes no byte; a copy is refused before the target is touched.
    setenv("TAVREN_DRIVES", ("C=fixed:" + t.Folder(u'C') + ";E=removable,full:" + t.Folder(u'E')).c_str(), 1);
    tavren::DriveMap::Instance().Reload();
    EXPECT_FALSE(CopyFileW(u"C:\\src.stx", u"E:\\kept.stx", FALSE));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_EQ(read("USBSTICK/kept.stx"), "kept");
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
    EXPECT_EQ(read("USBSTICK/made.stx"), "");
    // A new folder needs room; taking things away and renaming do not.
    EXPECT_FALSE(CreateDirectoryW(u"E:\\New", nullptr));
    EXPECT_EQ(GetLastError(), ERROR_DISK_FULL);
    EXPECT_TRUE(MoveFileExW(u"E:\\made.stx", u"E:\\renamed.stx", 0));
    EXPECT_TRUE(DeleteFileW(u"E:\\renamed.stx"));
    EXPECT_TRUE(RemoveDirectoryW(u"E:\\Empty"));
    // A relative path on the current drive is judged by that drive.
    tavren::DriveMap::Instance().SetCurrentDirectoryPath(u"E:\\");
    EXPECT_EQ(tavren::DriveMap::Instance().WriteFault(u"kept.stx"), ENOSPC);
    tavren::DriveMap::Instance().SetCurrentDirectoryPath(u"C:\\");
    EXPECT_EQ(tavren::DriveMap::Instance().WriteFault(u"kept.stx"), 0);
    setenv("TAVREN_DRIVES", t.Setting().c_str(), 1);
    tavren::DriveMap::Instance().Reload();
}

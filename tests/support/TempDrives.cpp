#include "tests/support/TempDrives.h"
#include "tests/support/TestFiles.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace tavren::test {

namespace {

const char* TypeName(UINT type)
{
    switch (type) {
    case DRIVE_REMOVABLE: return "removable";
    case DRIVE_CDROM: return "cdrom";
    case DRIVE_REMOTE: return "remote";
    case DRIVE_RAMDISK: return "ramdisk";
    default: return "fixed";
    }
}

} // namespace

TempDrives::TempDrives() : TempDrives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}) {}

TempDrives::TempDrives(const std::vector<DriveSpec>& drives)
{
    m_root = MakeTempDir("tavren-drives");
    for (const DriveSpec& d : drives) {
        std::string strName = d.type == DRIVE_REMOVABLE && !d.label.empty()
                                  ? d.label
                                  : std::string(1, static_cast<char>(std::tolower(static_cast<int>(d.letter))));
        std::string strFolder = m_root + "/" + strName;
        if (d.bMedium)
            std::filesystem::create_directories(strFolder);
        if (!m_strSetting.empty())
            m_strSetting += ";";
        m_strSetting += std::string(1, static_cast<char>(d.letter)) + "=" + TypeName(d.type) + ":" + strFolder;
        m_folders.emplace_back(d.letter, strFolder);
    }
    if (const char* pszPrevious = std::getenv("TAVREN_DRIVES"))
        m_previous = pszPrevious;
    // With the variable set, the drive watcher leaves the map alone instead of looking for media.
    setenv("TAVREN_DRIVES", m_strSetting.c_str(), 1);
    DriveMap::Instance().Reload();
    DriveMap::Instance().SetCurrentDirectoryPath(drives.empty() ? u"C:\\" : std::u16string(1, drives[0].letter) + u":\\");
}

TempDrives::~TempDrives()
{
    if (m_previous)
        setenv("TAVREN_DRIVES", m_previous->c_str(), 1);
    else
        unsetenv("TAVREN_DRIVES");
    DriveMap::Instance().Reload();
    DriveMap::Instance().SetCurrentDirectoryPath(u"C:\\");
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

std::string TempDrives::Folder(char16_t letter) const
{
    for (const auto& [l, strFolder] : m_folders)
        if (l == letter)
            return strFolder;
    return {};
}

void TempDrives::Write(const std::string& strRelative, const std::string& bytes) const
{
    std::filesystem::create_directories(std::filesystem::path(Host(strRelative)).parent_path());
    FILE* f = std::fopen(Host(strRelative).c_str(), "wb");
    if (!f)
        return;
    std::fwrite(bytes.data(), 1, bytes.size(), f);
    std::fclose(f);
}

} // namespace tavren::test

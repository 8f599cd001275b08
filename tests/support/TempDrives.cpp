#include "tests/support/TempDrives.h"
#include "tests/support/TestFiles.h"

#include <fstream>
#include <unistd.h>

namespace tavren::test {

TempDrives::TempDrives() : TempDrives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}) {}

TempDrives::TempDrives(const std::vector<DriveSpec>& drives)
{
    m_root = MakeTempDir("tavren-drives");
    for (const DriveSpec& d : drives) {
        const std::string strFolder = m_root + "/" + (d.type == DRIVE_REMOVABLE && !d.label.empty() ? d.label
                                                      : std::string(1, static_cast<char>(std::tolower(static_cast<int>(d.letter)))));
        if (d.bMedium)
            std::filesystem::create_directories(strFolder);
        m_strSetting += m_strSetting.empty() ? "" : ";";
        const char* pszType = d.type == DRIVE_REMOVABLE ? "removable" : d.type == DRIVE_CDROM ? "cdrom" : d.type == DRIVE_REMOTE ? "remote"
                              : d.type == DRIVE_RAMDISK ? "ramdisk" : "fixed";
        m_strSetting += std::string(1, static_cast<char>(d.letter)) + "=" + pszType + ":" + strFolder;
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
    const auto it = std::find_if(m_folders.begin(), m_folders.end(), [&](const auto& f) { return f.first == letter; });
    return it == m_folders.end() ? std::string() : it->second;
}

void TempDrives::Write(const std::string& strRelative, const std::string& bytes) const
{
    std::filesystem::create_directories(std::filesystem::path(Host(strRelative)).parent_path());
    std::ofstream(Host(strRelative), std::ios::binary) << bytes;
}

} // namespace tavren::test

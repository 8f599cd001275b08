// A temporary folder tree mapped as drives for one test, restored afterwards.
#pragma once

#include "platform/file/DriveMap.h"

#include <filesystem>
#include <string>
#include <vector>

class TempDrives {
public:
    // Makes <tmp>/c mapped as C: (fixed) and <tmp>/usb as E: (removable, label "USBSTICK").
    TempDrives()
    {
        char tmpl[] = "/tmp/tavren-drives-XXXXXX";
        m_root = mkdtemp(tmpl);
        std::filesystem::create_directories(m_root + "/c");
        std::filesystem::create_directories(m_root + "/USBSTICK");
        tavren::DriveMap::Instance().SetDrives({
            {u'C', m_root + "/c", DRIVE_FIXED, {}},
            {u'E', m_root + "/USBSTICK", DRIVE_REMOVABLE, u"USBSTICK"},
        });
        tavren::DriveMap::Instance().SetCurrentDirectoryPath(u"C:\\");
    }
    ~TempDrives()
    {
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
        tavren::DriveMap::Instance().Reload();
    }
    std::string Host(const std::string& rel) const { return m_root + "/" + rel; }
    void Write(const std::string& rel, const std::string& bytes) const;

private:
    std::string m_root;
};

inline void TempDrives::Write(const std::string& rel, const std::string& bytes) const
{
    std::filesystem::create_directories(std::filesystem::path(Host(rel)).parent_path());
    FILE* f = fopen(Host(rel).c_str(), "wb");
    fwrite(bytes.data(), 1, bytes.size(), f);
    fclose(f);
}

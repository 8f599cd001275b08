#include "host/gui/PcDriveSwitch.h"

#include "host/cli/SampleFiles.h"
#include "platform/afx/CString.h"

#include <algorithm>
#include <cstdlib>

namespace fs = std::filesystem;
using nlohmann::json;

void CPcDriveSwitch::MakeSampleDrives(const fs::path& temp)
{
    if (const char* env = std::getenv("TAVREN_DRIVES"); env && *env)
        return;
    fs::path pc = temp / "pc", usb = temp / "usb";
    std::error_code ec;
    fs::create_directories(pc, ec);
    fs::create_directories(usb, ec);
    CopyDemoTree(DemoDir() / "pc", pc);
    CopyDemoTree(DemoDir() / "pc-usb", usb);
    std::string strDrives = "C=fixed:" + pc.string() + ";E=removable:" + usb.string();
    setenv("TAVREN_DRIVES", strDrives.c_str(), 1);
    tavren::DriveMap::Instance().Reload();
    m_bOurs = true;
}

json CPcDriveSwitch::State()
{
    json drives = json::array();
    for (const tavren::Drive& d : tavren::DriveMap::Instance().Drives())
        drives.push_back({{"letter", tavren::Utf16ToUtf8(std::u16string(1, d.letter))},
                          {"type", d.type == DRIVE_REMOVABLE ? "removable" : d.type == DRIVE_FIXED ? "fixed" : "other"},
                          {"present", true}});
    std::lock_guard lock(m_mutex);
    if (m_removed)
        drives.push_back({{"letter", tavren::Utf16ToUtf8(std::u16string(1, m_removed->letter))}, {"type", "removable"}, {"present", false}});
    return {{"drives", drives}, {"switchable", m_bOurs}};
}

bool CPcDriveSwitch::Set(bool bPlugged, std::string& strError)
{
    if (!m_bOurs) {
        strError = "TAVREN_DRIVES was set by the user";
        return false;
    }
    std::lock_guard lock(m_mutex);
    std::vector<tavren::Drive> drives = tavren::DriveMap::Instance().Drives();
    if (bPlugged) {
        if (!m_removed)
            return true;
        drives.push_back(*m_removed);
        m_removed.reset();
    } else {
        auto it = std::find_if(drives.begin(), drives.end(), [](const tavren::Drive& d) { return d.type == DRIVE_REMOVABLE; });
        if (it == drives.end()) {
            strError = "no removable drive to pull out";
            return false;
        }
        m_removed = *it;
        drives.erase(it);
    }
    tavren::DriveMap::Instance().SetDrives(drives);
    return true;
}

// The PC's drives in tavren gui: a temporary drive map with a PC drive C: (the demo's "Designs" and
// "Patterns" folders) and a USB flash drive E: (designs in EMB\Embf, STX patterns in ORD\Ordf),
// whose flash drive the page can pull out and plug in again.
#pragma once

#include "platform/file/DriveMap.h"

#include <nlohmann/json.hpp>

#include <filesystem>
#include <mutex>
#include <optional>
#include <string>

class CPcDriveSwitch {
public:
    // Makes the drives in temp and points TAVREN_DRIVES at them, unless the user set it.
    void MakeSampleDrives(const std::filesystem::path& temp);

    // {"drives": [{"letter", "type", "present"}...], "switchable"}
    nlohmann::json State();
    // Pulls out (bPlugged false) or plugs in the removable drive; the drive watcher tells the
    // windows. False with a reason when there is none, or the drives are the user's.
    bool Set(bool bPlugged, std::string& strError);

private:
    bool m_bOurs = false; // the map was made here
    std::mutex m_mutex;
    std::optional<tavren::Drive> m_removed;
};

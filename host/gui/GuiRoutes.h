// The HTTP routes of tavren gui: the page's files, its state (calls, machine, drives and the seam's
// snapshot), its calls and actions, and the pictures the snapshot refers to.
#pragma once

#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/afx/ImageList.h"
#include <nlohmann/json.hpp>

namespace httplib {
class Server;
}
class CGuiLiveState;
class CGuiMachine;
class CHostSession;
class CImageListPngCache;
class CPcDriveSwitch;
class CUiCallQueue;

class CGuiRoutes {
public:
    // Everything named here must outlive the server.
    CGuiRoutes(std::filesystem::path web, CHostSession& session, CUiCallQueue& calls, CGuiMachine& machine,
               CPcDriveSwitch& drives, CImageListPngCache& pictures);
    ~CGuiRoutes();

    // Also starts following the state for the page.
    void Install(httplib::Server& server);
    // Answers every page that waits for a change, so the server can stop.
    void Stop();
    // The state the page draws: calls, machine, drives and the snapshot (list items around the view).
    nlohmann::json State();

private:
    std::filesystem::path m_web;
    CHostSession& m_session;
    CUiCallQueue& m_calls;
    CGuiMachine& m_machine;
    CPcDriveSwitch& m_drives;
    CImageListPngCache& m_pictures;
    std::unique_ptr<CGuiLiveState> m_live;
    std::mutex m_listsMutex;
    std::vector<HIMAGELIST> m_lists; // those the last state showed: a picture drawn is a change
};

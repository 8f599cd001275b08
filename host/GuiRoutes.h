// The HTTP routes of tavren gui: the page's files, its state (calls, machine, drives and the seam's
// snapshot), its calls and actions, and the pictures the snapshot refers to.
#pragma once

#include <filesystem>

namespace httplib {
class Server;
}
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

    void Install(httplib::Server& server);

private:
    std::filesystem::path m_web;
    CHostSession& m_session;
    CUiCallQueue& m_calls;
    CGuiMachine& m_machine;
    CPcDriveSwitch& m_drives;
    CImageListPngCache& m_pictures;
};

// Device notifications: a device interface to the windows registered for its class, a drive that
// comes or goes to every top-level window as a volume broadcast. (The list view's sorting is the
// file lists' (tests/lists/FolderListCtrlTest.cpp, SortListCtrl); a pulled drive as the dialogs
// see it is theirs (tests/dialogs/WriteDesignDriveTest.cpp).)
#include "WindowTestSupport.h"

#include "tests/support/TempDrives.h"

#include "platform/file/DriveWatcher.h"
#include "platform/user/Dbt.h"

#include <tuple>

namespace {

using Broadcast = std::tuple<UINT, DWORD, DWORD>; // event, device type, a volume's unit mask

// Records the device broadcasts of one device type; ends itself after m_nEndAfter of them.
class CDeviceDlg : public wintest::CTestDlg {
public:
    std::vector<Broadcast> m_seen;
    DWORD m_dwType;
    size_t m_nEndAfter = 0;
    explicit CDeviceDlg(DWORD dwType) : CTestDlg(u"Device", 100, 50), m_dwType(dwType) {}

protected:
    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        const auto* p = reinterpret_cast<DEV_BROADCAST_HDR*>(lParam);
        if (nMsg != WM_DEVICECHANGE || !p || p->dbch_devicetype != m_dwType)
            return CDialog::WindowProc(nMsg, wParam, lParam);
        m_seen.emplace_back(static_cast<UINT>(wParam), p->dbch_devicetype,
                            m_dwType == DBT_DEVTYP_VOLUME ? reinterpret_cast<DEV_BROADCAST_VOLUME*>(lParam)->dbcv_unitmask : 0);
        if (m_seen.size() == m_nEndAfter)
            EndDialog(IDOK);
        return TRUE;
    }
};

// That a registered window hears the machine link's events from its reader thread, and no more
// once unregistered, is the machine tests' (tests/machine/QuorvelNotifyTest.cpp); here, the class.
TEST(DeviceNotification, OnlyWindowsRegisteredForTheClassHearInterfaceEvents)
{
    CDeviceDlg registered(DBT_DEVTYP_DEVICEINTERFACE), other(DBT_DEVTYP_DEVICEINTERFACE);
    registered.Create();
    other.Create();
    DEV_BROADCAST_DEVICEINTERFACE filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    DEV_BROADCAST_DEVICEINTERFACE otherFilter = filter;
    otherFilter.dbcc_classguid.Data1 = 99;
    const HDEVNOTIFY h = RegisterDeviceNotificationW(registered.m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    const HDEVNOTIFY hOther = RegisterDeviceNotificationW(other.m_hWnd, &otherFilter, DEVICE_NOTIFY_WINDOW_HANDLE);
    ASSERT_TRUE(h && hOther);
    tavren::NotifyDeviceInterface(DBT_DEVICEARRIVAL, &filter);
    tavren::NotifyDeviceInterface(DBT_DEVICEREMOVECOMPLETE, &filter);
    EXPECT_EQ(registered.m_seen, (std::vector<Broadcast>{{DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, 0},
                                                         {DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, 0}}));
    EXPECT_TRUE(other.m_seen.empty());
    EXPECT_TRUE(UnregisterDeviceNotification(h));
    EXPECT_FALSE(UnregisterDeviceNotification(h)) << "a handle is unregistered once";
    UnregisterDeviceNotification(hOther);
}

TEST(DriveWatcher, ArrivalAndRemovalOfALetterAreBroadcastWithItsUnitMask)
{
    tavren::test::TempDrives t;
    tavren::InstallDriveBroadcasts();
    CDeviceDlg dlg(DBT_DEVTYP_VOLUME);
    dlg.m_nEndAfter = 2;
    EXPECT_EQ(wintest::RunWithUser(dlg, [&](tavren::ScriptedUser& u) {
        // Once the dialog is up, the person plugs a stick in as F: and pulls E: out.
        u.WaitForWindow(u"Device");
        auto drives = tavren::DriveMap::Instance().Drives();
        drives.erase(drives.begin() + 1);
        drives.push_back({u'F', t.Host("c"), DRIVE_REMOVABLE, u"STICK2"});
        tavren::DriveMap::Instance().SetDrives(drives);
    }), IDOK);
    EXPECT_EQ(dlg.m_seen, (std::vector<Broadcast>{{DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_VOLUME, 1 << 4},
                                                  {DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, 1 << 5}}));
}

} // namespace

// A drive that comes or goes reaches every top-level window as a volume broadcast.
#include "WindowTestSupport.h"

#include "tests/support/MessageRecorder.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/TempDrives.h"
#include "tests/support/Watchdog.h"

#include "platform/seam/Automation.h"
#include "platform/user/Dbt.h"
#include "platform/file/DriveWatcher.h"

#include <gtest/gtest.h>

namespace {

using namespace tavren::test;

// Records each broadcast with its device type as the code and the volume's unit mask as lParam.
class CVolumeDlg : public CDialog {
public:
    MessageRecorder m_seen;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Volumes", 100, 40, {});
    CVolumeDlg() { SetTemplate(&m_tmpl); }

protected:
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData)
    {
        auto* hdr = reinterpret_cast<DEV_BROADCAST_HDR*>(dwData);
        DWORD mask = hdr && hdr->dbch_devicetype == DBT_DEVTYP_VOLUME
                         ? reinterpret_cast<DEV_BROADCAST_VOLUME*>(dwData)->dbcv_unitmask
                         : 0;
        m_seen.Record({WM_DEVICECHANGE, nEventType, static_cast<LPARAM>(mask), hdr ? hdr->dbch_devicetype : 0, 0});
        if (m_seen.Size() == 2)
            EndDialog(IDOK);
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CVolumeDlg, CDialog)
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

} // namespace

TEST(DriveWatcher, ArrivalAndRemovalOfALetterAreBroadcastWithItsUnitMask)
{
    tavren::test::Watchdog watchdog;
    tavren::test::TempDrives t;
    tavren::InstallDriveBroadcasts();
    CVolumeDlg dlg;
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        // Once the dialog is up, the person plugs a stick in as F: and pulls E: out.
        u.WaitForWindow(u"Volumes");
        auto drives = tavren::DriveMap::Instance().Drives();
        drives.erase(drives.begin() + 1);
        drives.push_back({u'F', t.Host("c"), DRIVE_REMOVABLE, u"STICK2"});
        tavren::DriveMap::Instance().SetDrives(drives);
    });
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_SEQUENCE(dlg.m_seen, {{WM_DEVICECHANGE, kWParam | kLParam | kCode, DBT_DEVICEREMOVECOMPLETE, 1 << 4, DBT_DEVTYP_VOLUME},
                                 {WM_DEVICECHANGE, kWParam | kLParam | kCode, DBT_DEVICEARRIVAL, 1 << 5, DBT_DEVTYP_VOLUME}});
}

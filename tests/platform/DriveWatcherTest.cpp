// A drive that comes or goes reaches every top-level window as a volume broadcast.
#include "WindowTestSupport.h"

#include "tests/support/ScriptedUser.h"
#include "tests/support/TempDrives.h"
#include "tests/support/Watchdog.h"

#include "platform/seam/Automation.h"
#include "platform/user/Dbt.h"
#include "platform/file/DriveWatcher.h"

#include <gtest/gtest.h>

namespace {

struct Seen {
    UINT nEvent;
    DWORD dwType;
    DWORD dwMask;
};

class CVolumeDlg : public CDialog {
public:
    std::vector<Seen> m_seen;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Volumes", 100, 40, {});
    CVolumeDlg() { SetTemplate(&m_tmpl); }

protected:
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData)
    {
        auto* hdr = reinterpret_cast<DEV_BROADCAST_HDR*>(dwData);
        DWORD mask = hdr && hdr->dbch_devicetype == DBT_DEVTYP_VOLUME
                         ? reinterpret_cast<DEV_BROADCAST_VOLUME*>(dwData)->dbcv_unitmask
                         : 0;
        m_seen.push_back({nEventType, hdr ? hdr->dbch_devicetype : 0, mask});
        if (m_seen.size() == 2)
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
    ASSERT_EQ(dlg.m_seen.size(), 2u);
    EXPECT_EQ(dlg.m_seen[0].nEvent, DBT_DEVICEREMOVECOMPLETE);
    EXPECT_EQ(dlg.m_seen[0].dwType, DBT_DEVTYP_VOLUME);
    EXPECT_EQ(dlg.m_seen[0].dwMask, 1u << 4); // E:
    EXPECT_EQ(dlg.m_seen[1].nEvent, DBT_DEVICEARRIVAL);
    EXPECT_EQ(dlg.m_seen[1].dwMask, 1u << 5); // F:
}

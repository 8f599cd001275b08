// The list view model through its wrapper (the notifications of a change, sorting), and device
// notifications: a device interface to the windows registered for it, a drive that comes or goes
// to every top-level window as a volume broadcast.
#include "WindowTestSupport.h"

#include "tests/support/TempDrives.h"

#include "platform/afx/ListCtrl.h"
#include "platform/file/DriveWatcher.h"
#include "platform/user/Dbt.h"

#include <string>
#include <tuple>

namespace {

using Notice = std::tuple<UINT, int, UINT>; // code, item, changed fields

const wintest::Items kReport = {{u"SysListView32", 100, u"", 0, 0, 0, 182, 89, wintest::kChild | WS_BORDER | LVS_REPORT | LVS_SINGLESEL, 0}};

// The parent records the list's notifications with the item and the changed fields.
class CHostDlg : public wintest::CTestDlg {
public:
    CListCtrl m_report;
    std::vector<Notice> m_seq;
    bool m_bRefuseChanging = false;
    CHostDlg() : CTestDlg(u"Host", 200, 330, kReport) { Create(); }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 100, m_report); }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        const auto* pList = reinterpret_cast<NMLISTVIEW*>(lParam);
        const UINT nCode = pList->hdr.code;
        if (nCode != LVN_ITEMCHANGING && nCode != LVN_ITEMCHANGED && nCode != LVN_INSERTITEM)
            return CDialog::OnNotify(wParam, lParam, pResult);
        EXPECT_EQ(pList->hdr.idFrom, 100u);
        m_seq.emplace_back(nCode, pList->iItem, pList->uChanged);
        *pResult = nCode == LVN_ITEMCHANGING && m_bRefuseChanging;
        return TRUE;
    }
};

TEST(ListView, InsertSetAndStateChangesNotifyTheParentInOrder)
{
    CHostDlg dlg;
    CListCtrl& list = dlg.m_report;
    EXPECT_EQ(list.InsertItem(5, u"B"), 0) << "an index past the end appends";
    EXPECT_EQ(list.InsertItem(0, u"A"), 0);
    dlg.m_seq.clear();
    list.SetItemData(1, 9);
    list.SetItemData(1, 9); // unchanged: nothing to announce
    list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    list.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED); // single selection moves
    EXPECT_EQ(dlg.m_seq, (std::vector<Notice>{{LVN_ITEMCHANGING, 1, LVIF_PARAM}, {LVN_ITEMCHANGED, 1, LVIF_PARAM},
                                              {LVN_ITEMCHANGING, 0, LVIF_STATE}, {LVN_ITEMCHANGED, 0, LVIF_STATE},
                                              {LVN_ITEMCHANGING, 1, LVIF_STATE}, {LVN_ITEMCHANGING, 0, LVIF_STATE},
                                              {LVN_ITEMCHANGED, 0, LVIF_STATE}, {LVN_ITEMCHANGED, 1, LVIF_STATE}}));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(list.GetSelectedCount(), 1u);
    dlg.m_bRefuseChanging = true;
    EXPECT_TRUE(list.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(list.GetNextItem(-1, LVNI_SELECTED), 1) << "the parent refused the change";
}

TEST(ListView, SortItemsUsesTheCallbackOnDataWordsAndKeepsEqualsInOrder)
{
    CHostDlg dlg;
    const LPARAM data[] = {1, 3, 2, 3, 1};
    for (int i = 0; i < 5; ++i)
        dlg.m_report.InsertItem(LVIF_TEXT | LVIF_PARAM, i, std::u16string(1, static_cast<char16_t>(u'a' + i)).c_str(), 0, 0, 0, data[i]);
    const auto byDataDescending = [](LPARAM a, LPARAM b, LPARAM lSort) -> int {
        EXPECT_EQ(lSort, 77);
        return a < b ? 1 : (a > b ? -1 : 0);
    };
    EXPECT_TRUE(dlg.m_report.SortItems(byDataDescending, 77));
    std::u16string order;
    for (int i = 0; i < 5; ++i)
        order += dlg.m_report.GetItemText(i, 0);
    EXPECT_EQ(order, u"bdcae");
}

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

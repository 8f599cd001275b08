// The list view model through its wrapper (the notifications of a change, sorting), and device
// notifications.
#include "WindowTestSupport.h"

#include "tests/support/MessagePump.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/Watchdog.h"

#include "platform/user/Dbt.h"
#include "platform/afx/ListCtrl.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>

namespace {

using namespace tavren::test;
using wintest::kChild;

const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"SysListView32", 100, u"", 0, 0, 0, 182, 89, kChild | WS_BORDER | LVS_REPORT | LVS_SINGLESEL, 0},
};

// The parent records the list's notifications as Wine's message tables do, with the item in wParam
// and the changed fields in lParam.
class CHostDlg : public CDialog {
public:
    CListCtrl m_report;
    MessageRecorder m_seq;
    bool m_bRefuseChanging = false;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Host", 200, 330, kItems);
    CHostDlg()
    {
        SetTemplate(&m_tmpl);
        tavren::CreateDialogWindow(m_tmpl, 0, this, 0);
    }
    ~CHostDlg() override { DestroyWindow(); }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, 100, m_report);
    }

protected:
    BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult) override
    {
        auto* pHeader = reinterpret_cast<NMHDR*>(lParam);
        auto* pList = reinterpret_cast<NMLISTVIEW*>(lParam);
        switch (pHeader->code) {
        case LVN_ITEMCHANGING:
            *pResult = m_bRefuseChanging;
            break;
        case LVN_ITEMCHANGED:
        case LVN_INSERTITEM:
            break;
        default:
            return CDialog::OnNotify(wParam, lParam, pResult);
        }
        m_seq.Record({WM_NOTIFY, static_cast<WPARAM>(pList->iItem), static_cast<LPARAM>(pList->uChanged), pHeader->code,
                      pHeader->idFrom});
        return TRUE;
    }
};

// A list notification about an item, with the fields it changed.
ExpectedMessage Notified(UINT nCode, int nItem, UINT nChanged = 0)
{
    return {WM_NOTIFY, kCode | kWParam | kLParam | kId, static_cast<WPARAM>(nItem), static_cast<LPARAM>(nChanged), nCode, 100};
}

int CALLBACK_ByDataDescending(LPARAM a, LPARAM b, LPARAM lSort)
{
    EXPECT_EQ(lSort, 77);
    return a < b ? 1 : (a > b ? -1 : 0);
}

TEST(ListView, InsertSetAndStateChangesNotifyTheParentInOrder)
{
    CHostDlg dlg;
    EXPECT_EQ(dlg.m_report.InsertItem(5, u"B"), 0) << "an index past the end appends";
    EXPECT_EQ(dlg.m_report.InsertItem(0, u"A"), 0);
    dlg.m_seq.Clear();
    dlg.m_report.SetItemData(1, 9);
    dlg.m_report.SetItemData(1, 9); // unchanged: nothing to announce
    dlg.m_report.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED);
    dlg.m_report.SetItemState(1, LVIS_SELECTED, LVIS_SELECTED); // single selection moves
    EXPECT_SEQUENCE(dlg.m_seq, {Notified(LVN_ITEMCHANGING, 1, LVIF_PARAM), Notified(LVN_ITEMCHANGED, 1, LVIF_PARAM),
                                Notified(LVN_ITEMCHANGING, 0, LVIF_STATE), Notified(LVN_ITEMCHANGED, 0, LVIF_STATE),
                                Notified(LVN_ITEMCHANGING, 1, LVIF_STATE), Notified(LVN_ITEMCHANGING, 0, LVIF_STATE),
                                Notified(LVN_ITEMCHANGED, 0, LVIF_STATE), Notified(LVN_ITEMCHANGED, 1, LVIF_STATE)});
    EXPECT_EQ(dlg.m_report.GetNextItem(-1, LVNI_SELECTED), 1);
    EXPECT_EQ(dlg.m_report.GetSelectedCount(), 1u);
    EXPECT_EQ(dlg.m_report.GetItemData(1), 9);
    dlg.m_bRefuseChanging = true;
    EXPECT_TRUE(dlg.m_report.SetItemState(0, LVIS_SELECTED, LVIS_SELECTED));
    EXPECT_EQ(dlg.m_report.GetNextItem(-1, LVNI_SELECTED), 1) << "the parent refused the change";
}

TEST(ListView, SortItemsUsesTheCallbackOnDataWordsAndKeepsEqualsInOrder)
{
    CHostDlg dlg;
    const char16_t* names[] = {u"a", u"b", u"c", u"d", u"e"};
    const LPARAM data[] = {1, 3, 2, 3, 1};
    for (int i = 0; i < 5; ++i)
        dlg.m_report.InsertItem(LVIF_TEXT | LVIF_PARAM, i, names[i], 0, 0, 0, data[i]);
    EXPECT_TRUE(dlg.m_report.SortItems(CALLBACK_ByDataDescending, 77));
    std::u16string order;
    for (int i = 0; i < 5; ++i)
        order += dlg.m_report.GetItemText(i, 0);
    EXPECT_EQ(order, u"bdcae");
}

class CDeviceDlg : public CDialog {
public:
    MessageRecorder m_events;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Device", 100, 50, {});
    CDeviceDlg()
    {
        SetTemplate(&m_tmpl);
        tavren::CreateDialogWindow(m_tmpl, 0, this, 0);
    }
    ~CDeviceDlg() override { DestroyWindow(); }

protected:
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData)
    {
        auto* p = reinterpret_cast<DEV_BROADCAST_HDR*>(dwData);
        if (p && p->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE)
            m_events.Record({WM_DEVICECHANGE, nEventType, 0, p->dbch_devicetype, 0});
        return TRUE;
    }
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CDeviceDlg, CDialog)
    ON_WM_DEVICECHANGE()
END_MESSAGE_MAP()

TEST(DeviceNotification, OnlyRegisteredWindowsOfTheClassHearInterfaceEvents)
{
    Watchdog watchdog; // the notifier waits for this thread
    CDeviceDlg registered, other, unregistered;
    DEV_BROADCAST_DEVICEINTERFACE filter{};
    filter.dbcc_size = sizeof(filter);
    filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
    filter.dbcc_classguid = GUID{1, 2, 3, {4, 5, 6, 7, 8, 9, 10, 11}};
    HDEVNOTIFY h = RegisterDeviceNotificationW(registered.m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    ASSERT_NE(h, 0u);
    DEV_BROADCAST_DEVICEINTERFACE otherFilter = filter;
    otherFilter.dbcc_classguid.Data1 = 99;
    HDEVNOTIFY hOther = RegisterDeviceNotificationW(other.m_hWnd, &otherFilter, DEVICE_NOTIFY_WINDOW_HANDLE);
    HDEVNOTIFY hGone = RegisterDeviceNotificationW(unregistered.m_hWnd, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
    EXPECT_TRUE(UnregisterDeviceNotification(hGone));
    EXPECT_FALSE(UnregisterDeviceNotification(hGone));
    // From another thread, as the machine link's reader does.
    std::thread notifier([&] { tavren::NotifyDeviceInterface(DBT_DEVICEARRIVAL, &filter); });
    EXPECT_TRUE(PumpMessagesUntil([&] { return registered.m_events.Size() > 0; }));
    notifier.join();
    tavren::NotifyDeviceInterface(DBT_DEVICEREMOVECOMPLETE, &filter);
    EXPECT_SEQUENCE(registered.m_events, {{WM_DEVICECHANGE, kWParam, DBT_DEVICEARRIVAL},
                                          {WM_DEVICECHANGE, kWParam, DBT_DEVICEREMOVECOMPLETE}});
    EXPECT_SEQUENCE(other.m_events, {});
    EXPECT_SEQUENCE(unregistered.m_events, {});
    UnregisterDeviceNotification(h);
    UnregisterDeviceNotification(hOther);
}

} // namespace

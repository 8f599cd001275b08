// The machine link's device notification: WM_DEVICECHANGE to a window of the test thread.
#include "machine/Quorvel.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Dbt.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"
#include "tests/support/EmulatedMachine.h"
#include "tests/support/MessagePump.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>

namespace {

using namespace tavren::test;

// A window that keeps the device changes it is told of: the event, or 0 for a broadcast of
// another device type (the header behind lParam does not outlive the call).
class CChangesModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
        if (nMsg == WM_DEVICECHANGE)
            m_changes.push_back(header && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE ? wParam : 0);
        return 0;
    }
    std::vector<WPARAM> m_changes;
};

TEST(QuorvelNotifyTest, DeviceChange_SentWhenTheMachineComesAndGoes)
{
    Watchdog watchdog;
    EmulatedMachine machine;
    auto record = tavren::NewWindowRecord(0, u"QuorvelTestWindow", 0, 0);
    auto model = std::make_unique<CChangesModel>();
    const std::vector<WPARAM>& changes = model->m_changes;
    record->pModel = std::move(model);
    const HWND hWnd = record->hWnd;
    // Handles this thread's messages until the window has been told of count changes (10 s at most).
    auto told = [&](size_t count) {
        PumpMessagesUntil([&] { return changes.size() >= count; }, 10000);
        return changes.size();
    };

    // Where the machine will answer is set before the watcher's thread reads it (Start sets it only
    // when it changes), so a machine started after the registration arrives too.
    setenv("QUORVEL_SOCKET", EmulatedMachine::SocketPathOfThisProgram().c_str(), 1);
    const uint32_t hNotify = RegisterMachineDeviceNotification(hWnd);
    ASSERT_NE(hNotify, 0u);
    ASSERT_TRUE(machine.Start());
    ASSERT_EQ(told(1), 1u);
    machine.Ctl({"cable", "pull"});
    machine.Ctl({"usb2", "absent"}); // a setting that leaves the cable as it is says nothing
    machine.Ctl({"cable", "plug"});
    ASSERT_EQ(told(3), 3u);
    // The machine ending and a new one starting count as going and coming too.
    machine.Stop();
    ASSERT_EQ(told(4), 4u);
    ASSERT_TRUE(machine.Start());
    EXPECT_EQ(told(5), 5u);

    EXPECT_TRUE(UnregisterDeviceNotification(hNotify));
    machine.Ctl({"cable", "pull"});
    PumpMessagesUntil([] { return false; }, 300);
    const WPARAM kIn = DBT_DEVICEARRIVAL, kOut = DBT_DEVICEREMOVECOMPLETE;
    EXPECT_EQ(changes, (std::vector<WPARAM>{kIn, kOut, kIn, kOut, kIn}));
    DestroyWindow(hWnd);
}

} // namespace

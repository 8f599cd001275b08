// The machine link's device notification: WM_DEVICECHANGE to a window of the test thread.
#include "machine/Quorvel.h"
#include "platform/user/Dbt.h"
#include "platform/kernel/Handle.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"
#include "tests/support/EmulatedMachine.h"
#include "tests/support/MessagePump.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

using namespace tavren::test;

// A window that records the device changes it is told of, with the broadcast's device type as
// the code (the header behind lParam does not outlive the call).
class CRecordingModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == WM_DEVICECHANGE) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
            m_recorder.Record({nMsg, wParam, 0, header ? header->dbch_devicetype : 0, 0});
        }
        return 0;
    }
    MessageRecorder m_recorder;
};

ExpectedMessage Change(WPARAM nEvent)
{
    return {WM_DEVICECHANGE, kWParam | kCode, nEvent, 0, DBT_DEVTYP_DEVICEINTERFACE};
}

class QuorvelNotifyTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        auto record = tavren::NewWindowRecord(0, u"QuorvelTestWindow", 0, 0);
        auto model = std::make_unique<CRecordingModel>();
        m_pModel = model.get();
        record->pModel = std::move(model);
        m_hWnd = record->hWnd;
    }
    void TearDown() override { DestroyWindow(m_hWnd); }

    // Handles this thread's messages until the window has been told of count changes (10 s at most).
    MessageRecorder& WaitForChanges(size_t count)
    {
        PumpMessagesUntil([&] { return m_pModel->m_recorder.Size() >= count; }, 10000);
        return m_pModel->m_recorder;
    }
    // Handles what is pending for a while, for a test that nothing more comes.
    void Pump(DWORD ms)
    {
        PumpMessagesUntil([] { return false; }, ms);
    }

    Watchdog m_watchdog;
    EmulatedMachine m_machine;
    HWND m_hWnd = 0;
    CRecordingModel* m_pModel = nullptr;
};

TEST_F(QuorvelNotifyTest, DeviceChange_SentWhenTheMachineComesAndGoes)
{
    ASSERT_TRUE(m_machine.Start());
    uint32_t hNotify = RegisterMachineDeviceNotification(m_hWnd);
    ASSERT_NE(hNotify, 0u);

    m_machine.Ctl({"cable", "pull"});
    m_machine.Ctl({"usb2", "absent"}); // a setting that leaves the cable as it is says nothing
    m_machine.Ctl({"cable", "plug"});
    // The machine ending and a new one starting count as going and coming too.
    ASSERT_EQ(WaitForChanges(2).Size(), 2u);
    m_machine.Stop();
    ASSERT_EQ(WaitForChanges(3).Size(), 3u);
    ASSERT_TRUE(m_machine.Start());
    EXPECT_SEQUENCE(WaitForChanges(4), {Change(DBT_DEVICEREMOVECOMPLETE), Change(DBT_DEVICEARRIVAL),
                                        Change(DBT_DEVICEREMOVECOMPLETE), Change(DBT_DEVICEARRIVAL)});

    EXPECT_TRUE(UnregisterDeviceNotification(hNotify));
    m_machine.Ctl({"cable", "pull"});
    Pump(300);
    EXPECT_EQ(m_pModel->m_recorder.Size(), 4u);
}

TEST_F(QuorvelNotifyTest, DeviceChange_ArrivalOfAMachineStartedAfterRegistration)
{
    // Where the machine will answer is set before the watcher's thread reads it (Start sets it
    // only when it changes); run alone, this case is the first to set it.
    setenv("QUORVEL_SOCKET", tavren::test::EmulatedMachine::SocketPathOfThisProgram().c_str(), 1);
    uint32_t hNotify = RegisterMachineDeviceNotification(m_hWnd);
    ASSERT_NE(hNotify, 0u);
    ASSERT_TRUE(m_machine.Start());
    EXPECT_SEQUENCE(WaitForChanges(1), {Change(DBT_DEVICEARRIVAL)});
    EXPECT_TRUE(UnregisterDeviceNotification(hNotify));
}

} // namespace

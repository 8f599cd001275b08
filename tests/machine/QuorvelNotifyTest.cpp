// The machine link's device notification: WM_DEVICECHANGE to a window of the test thread.
#include "machine/Quorvel.h"
#include "platform/user/Dbt.h"
#include "platform/kernel/Handle.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowManager.h"
#include "tests/machine/MachineFixture.h"

namespace {

struct DeviceChange {
    WPARAM nEvent = 0;
    DWORD nDeviceType = 0;
};

// A window that keeps the device changes it is told of.
class CRecordingModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == WM_DEVICECHANGE) {
            const auto* header = reinterpret_cast<const DEV_BROADCAST_HDR*>(lParam);
            m_changes.push_back({wParam, header ? header->dbch_devicetype : 0});
        }
        return 0;
    }
    std::vector<DeviceChange> m_changes; // the test thread's alone: messages run on it
};

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
    const std::vector<DeviceChange>& WaitForChanges(size_t count)
    {
        for (int i = 0; i < 1000 && m_pModel->m_changes.size() < count; ++i) {
            MSG msg{};
            while (PeekMessageW(&msg, 0, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            if (m_pModel->m_changes.size() < count)
                std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return m_pModel->m_changes;
    }
    // Handles what is pending for a while, for a test that nothing more comes.
    void Pump(int ms)
    {
        for (int i = 0; i < ms / 10; ++i) {
            MSG msg{};
            while (PeekMessageW(&msg, 0, 0, 0, PM_REMOVE))
                DispatchMessageW(&msg);
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }

    CMachineFixture m_machine;
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
    ASSERT_EQ(WaitForChanges(2).size(), 2u);
    m_machine.Stop();
    ASSERT_EQ(WaitForChanges(3).size(), 3u);
    ASSERT_TRUE(m_machine.Start());
    const auto& changes = WaitForChanges(4);
    ASSERT_EQ(changes.size(), 4u);
    const WPARAM expected[] = {DBT_DEVICEREMOVECOMPLETE, DBT_DEVICEARRIVAL, DBT_DEVICEREMOVECOMPLETE,
                               DBT_DEVICEARRIVAL};
    for (size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(changes[i].nEvent, expected[i]) << i;
        EXPECT_EQ(changes[i].nDeviceType, DBT_DEVTYP_DEVICEINTERFACE) << i;
    }

    EXPECT_TRUE(UnregisterDeviceNotification(hNotify));
    m_machine.Ctl({"cable", "pull"});
    Pump(300);
    EXPECT_EQ(m_pModel->m_changes.size(), 4u);
}

TEST_F(QuorvelNotifyTest, DeviceChange_ArrivalOfAMachineStartedAfterRegistration)
{
    uint32_t hNotify = RegisterMachineDeviceNotification(m_hWnd);
    ASSERT_NE(hNotify, 0u);
    ASSERT_TRUE(m_machine.Start());
    const auto& changes = WaitForChanges(1);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].nEvent, DBT_DEVICEARRIVAL);
    EXPECT_TRUE(UnregisterDeviceNotification(hNotify));
}

} // namespace

#include "link/MachineLink.h"

#include <gtest/gtest.h>

TEST(MachineLink, BindsEveryOperationOfTheLibraryBesideTheModule)
{
    ASSERT_TRUE(LoadMachineLink());
    const CMachineLink& t = MachineLink();
    EXPECT_NE(t.m_hModule.load(), 0u);
    EXPECT_TRUE(t.m_pfnRegisterMachineDeviceNotification && t.m_pfnGetConnectedDevice && t.m_pfnGetMachineType &&
                t.m_pfnGetStatus && t.m_pfnUploadList && t.m_pfnDownloadFile && t.m_pfnUploadFile &&
                t.m_pfnEraseFile && t.m_pfnRenameFile && t.m_pfnSelectFile && t.m_pfnCreateFolder &&
                t.m_pfnRenameFolder && t.m_pfnDeleteFolder && t.m_pfnUploadDesign && t.m_pfnGlobalHeapFree);
    // A second load keeps the same library.
    HMODULE h = t.m_hModule.load();
    EXPECT_TRUE(EnsureMachineLink());
    EXPECT_TRUE(LoadMachineLink());
    EXPECT_EQ(MachineLink().m_hModule.load(), h);
    // No machine answers on this socket: the library says so with handle 0.
    setenv("QUORVEL_SOCKET", "/nonexistent/quorvel.sock", 1);
    int32_t status = -5;
    EXPECT_EQ(t.m_pfnGetConnectedDevice(0, -1, &status), 0u);
}

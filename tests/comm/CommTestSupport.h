// Helpers shared by the communication tests, and their fixture: an emulated machine of its own for
// every test (tests/support), in which the test works in a folder "\EMB\<test name>".
#pragma once

#include "tests/support/MachineAndDrives.h"
#include "tests/support/MessageRecorder.h"
#include "tests/support/ModuleFixture.h"

#include "comm/CommunicationThread.h"
#include "link/MachineLink.h"
#include "platform/afx/CString.h"
#include "platform/afx/Wnd.h"
#include "platform/user/Resource.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

namespace commtest {

// The thread's own pacing (100 ms before each item) for one test, whatever TAVREN_PACING_MS says.
struct RealPacing {
    const char* m_pszSet = std::getenv("TAVREN_PACING_MS");
    const std::string m_strSaved = m_pszSet ? m_pszSet : "";
    RealPacing() { unsetenv("TAVREN_PACING_MS"); }
    ~RealPacing() { if (m_pszSet) setenv("TAVREN_PACING_MS", m_strSaved.c_str(), 1); }
};

// A progress message with its parameter, as a recorder expects it.
inline tavren::test::ExpectedMessage Xfer(UINT nMsg, int32_t nParam)
{
    return {nMsg, tavren::test::kWParam, static_cast<WPARAM>(static_cast<uint32_t>(nParam))};
}

// QUORVEL_SOCKET is set when the program starts, before any thread of ours could read it.
inline const bool g_bSocketSet =
    setenv("QUORVEL_SOCKET", tavren::test::EmulatedMachine::SocketPathOfThisProgram().c_str(), 1) == 0;

inline std::vector<uint8_t> Bytes(size_t nSize, uint8_t seed)
{
    std::vector<uint8_t> bytes(nSize);
    uint32_t x = seed * 2654435761u + 1;
    for (auto& b : bytes) {
        x = x * 1103515245u + 12345u;
        b = static_cast<uint8_t>(x >> 16);
    }
    return bytes;
}

using Strings = std::vector<std::string>;

inline Strings Names(const CStringArray& names)
{
    Strings out;
    for (const CString& s : names)
        out.push_back(s.ToUtf8());
    return out;
}

inline Strings ItemNames(const CCommunicationThread& thread)
{
    Strings out;
    for (const CCommunicationData* p : thread.m_requests)
        out.push_back(p->m_strItemName.ToUtf8());
    return out;
}

inline std::vector<uint8_t> DataOf(const CCommunicationData& r) { return {r.m_pData, r.m_pData + r.m_nSize}; }

// A plain window on the test thread: the owner of message boxes, the receiver of the worker's
// messages.
class CTestWnd : public CWnd {
public:
    CTestWnd()
    {
        static const tavren::DialogTemplate tmpl{1, u"Test window", WS_POPUP | WS_CAPTION, 0, 0, 0, 100, 40,
                                                 u"MS Shell Dlg", 8, 0, 0, 0, nullptr, 0};
        tavren::CreateDialogWindow(tmpl, 0, this, 0);
    }
    ~CTestWnd() override { if (m_hWnd) DestroyWindow(); }
};

// A test with a machine, its own folder "\EMB\<test name>" on storage 1 (created empty) and a
// device handle.
class CMachineTest : public tavren::test::ModuleFixture {
protected:
    CMachineTest() : ModuleFixture(Parts().Machine()) {}

    void SetUp() override
    {
        ModuleFixture::SetUp();
        if (HasFatalFailure())
            return;
        ASSERT_TRUE(EnsureMachineLink());
        int32_t nStatus = -1;
        m_hDevice = MachineLink().m_pfnGetConnectedDevice(0, -1, &nStatus);
        ASSERT_NE(m_hDevice, 0u);
        m_strName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        std::replace(m_strName.begin(), m_strName.end(), '/', '_');
        m_dir = Machine().Storage(1) / "EMB" / m_strName;
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        if (m_hDevice) CloseHandle(m_hDevice);
        ModuleFixture::TearDown();
    }

    // "\EMB\<test name>", the machine path of the test's folder.
    CString Folder() const { return CString::FromUtf8("\\EMB\\" + m_strName); }
    std::filesystem::path HostPath(const std::string& strRelative) const { return m_dir / strRelative; }
    void PutFile(const std::string& strRelative, const std::vector<uint8_t>& bytes) const
    {
        tavren::test::EmulatedMachine::WriteBytes(HostPath(strRelative), bytes);
    }
    bool Exists(const std::string& strRelative) const { return std::filesystem::exists(HostPath(strRelative)); }
    void Fault(const std::string& strOp, const std::string& strWhat, int nCount = 1) const
    {
        tavren::test::CtlOk(Machine(), {"fault", strOp, strWhat, "--count", std::to_string(nCount)});
    }

    // The thread object set up for a run in the test's folder, or in its sub-folder pszSub.
    void Prepare(CCommunicationThread& thread, int32_t nKind, const char16_t* pszSub = nullptr) const
    {
        thread.m_nRequest = nKind;
        thread.m_hDevice = m_hDevice;
        thread.m_nStorage = 1;
        thread.m_strFolder = pszSub ? Folder() + u"\\" + pszSub : Folder();
    }
    void MakeDirs(std::initializer_list<const char*> dirs) const
    {
        for (const char* psz : dirs)
            std::filesystem::create_directories(HostPath(psz));
    }
    // A run of the kind over the records, on the test's thread; its result.
    int32_t Run(CCommunicationThread& thread, int32_t nKind, std::initializer_list<CCommunicationData*> records) const
    {
        Prepare(thread, nKind);
        for (CCommunicationData* p : records)
            thread.m_requests.Add(p);
        return thread.RunRequest();
    }

    HANDLE m_hDevice = 0;
    std::string m_strName;
    std::filesystem::path m_dir;
};

inline CCommunicationData* NameRecord(const char16_t* pszName, const char16_t* pszOld = nullptr)
{
    auto* p = new CCommunicationData;
    p->m_strItemName = pszName;
    p->m_strOldName = pszOld ? pszOld : u"";
    return p;
}

inline CCommunicationData* SendRecord(const char16_t* pszName, const std::vector<uint8_t>& bytes)
{
    auto* p = NameRecord(pszName);
    EXPECT_TRUE(p->SetData(bytes.data(), static_cast<uint32_t>(bytes.size())));
    return p;
}

} // namespace commtest

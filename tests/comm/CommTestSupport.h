// One emulated machine for the whole test program, and helpers shared by the communication tests.
//
// The machine is started before the first test (QUORVEL_SOCKET is set before any thread of ours
// runs) and each test works in a folder of its own below "\EMB", so tests never see each other's
// files. Faults and broken listings are cleared before every test.
#pragma once

#include "tests/machine/MachineFixture.h"

#include "comm/CommunicationThread.h"
#include "link/MachineLink.h"
#include "platform/afx/CString.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <thread>
#include <string>
#include <vector>

namespace commtest {

// Set in the child process of the "library missing" test: no machine is started.
inline bool NoLinkChild()
{
    const char* s = std::getenv("TAVREN_COMM_NO_LINK");
    return s && *s == '1';
}

inline CMachineFixture& Machine()
{
    static CMachineFixture machine;
    return machine;
}

class CMachineEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        if (!NoLinkChild()) {
            ASSERT_TRUE(Machine().Start());
        }
    }
    void TearDown() override { Machine().Stop(); }
};

// Ends the test program when the test it guards runs longer than it may (a deadlock).
class CWatchdog {
public:
    explicit CWatchdog(int nSeconds)
        : m_thread([this, nSeconds] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (!m_cv.wait_for(lock, std::chrono::seconds(nSeconds), [this] { return m_bDone; })) {
                  std::fprintf(stderr, "watchdog: the test did not finish in %d s (deadlock)\n", nSeconds);
                  Machine().Stop();
                  std::_Exit(3);
              }
          })
    {
    }
    ~CWatchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bDone = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bDone = false;
    std::thread m_thread;
};

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

inline std::vector<std::string> Names(const CStringArray& names)
{
    std::vector<std::string> out;
    for (const CString& s : names)
        out.push_back(s.ToUtf8());
    return out;
}

inline std::vector<std::string> ItemNames(const CCommunicationThread& thread)
{
    std::vector<std::string> out;
    for (const CCommunicationData* p : thread.m_requests)
        out.push_back(p->m_strItemName.ToUtf8());
    return out;
}

// A test with its own folder "\EMB\<test name>" on storage 1 (created empty) and a device handle.
class CMachineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(Machine().Running());
        Machine().Ctl({"fault", "clear"});
        Machine().Ctl({"listing", "none"});
        ASSERT_TRUE(EnsureMachineLink());
        int32_t nStatus = -1;
        m_hDevice = MachineLink().m_pfnGetConnectedDevice(0, -1, &nStatus);
        ASSERT_NE(m_hDevice, 0u);
        m_strName = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        for (char& c : m_strName)
            if (c == '/')
                c = '_';
        m_dir = Machine().Storage(1) / "EMB" / m_strName;
        std::filesystem::remove_all(m_dir);
        std::filesystem::create_directories(m_dir);
    }
    void TearDown() override
    {
        if (m_hDevice)
            CloseHandle(m_hDevice);
        Machine().Ctl({"fault", "clear"});
        Machine().Ctl({"listing", "none"});
    }

    // "\EMB\<test name>", the machine path of the test's folder.
    CString Folder() const { return CString(u"\\EMB\\") + CString::FromUtf8(m_strName); }
    std::filesystem::path HostPath(const std::string& strRelative) const { return m_dir / strRelative; }
    void PutFile(const std::string& strRelative, const std::vector<uint8_t>& bytes) const
    {
        CMachineFixture::WriteBytes(HostPath(strRelative), bytes);
    }
    bool Exists(const std::string& strRelative) const { return std::filesystem::exists(HostPath(strRelative)); }
    void Fault(const std::string& strOp, const std::string& strWhat, int nCount = 1) const
    {
        int rc = -1;
        Machine().Ctl({"fault", strOp, strWhat, "--count", std::to_string(nCount)}, &rc);
        ASSERT_EQ(rc, 0);
    }
    void BreakNextListing(const std::string& strHow) const
    {
        int rc = -1;
        Machine().Ctl({"listing", strHow}, &rc);
        ASSERT_EQ(rc, 0);
    }

    // The thread object set up for a run in the test's folder.
    void Prepare(CCommunicationThread& thread, int32_t nKind) const
    {
        thread.m_nRequest = nKind;
        thread.m_hDevice = m_hDevice;
        thread.m_nStorage = 1;
        thread.m_strFolder = Folder();
    }

    HANDLE m_hDevice = 0;
    std::string m_strName;
    std::filesystem::path m_dir;
};

inline CCommunicationData* NameRecord(const char16_t* pszName, const char16_t* pszOld = nullptr)
{
    auto* p = new CCommunicationData;
    p->m_strItemName = pszName;
    if (pszOld)
        p->m_strOldName = pszOld;
    return p;
}

inline CCommunicationData* SendRecord(const char16_t* pszName, const std::vector<uint8_t>& bytes)
{
    auto* p = NameRecord(pszName);
    EXPECT_TRUE(p->SetData(bytes.data(), static_cast<uint32_t>(bytes.size())));
    return p;
}

} // namespace commtest

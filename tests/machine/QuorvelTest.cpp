// libQuorvel's exports against a real quorvel-machine process.
#include "machine/Quorvel.h"
#include "platform/kernel/Handle.h"
#include "tests/support/MachineAndDrives.h"
#include "tests/support/TestFiles.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;
using tavren::test::EmulatedMachine;

Bytes RandomBytes(size_t n, unsigned seed)
{
    Bytes v(n);
    return std::generate(v.begin(), v.end(), std::mt19937(seed)), v;
}

uint32_t Le32(const Bytes& b, size_t at) { return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (uint32_t(b[at + 3]) << 24); }

// One record of the listing block as the machine must build it.
void AppendRecord(Bytes* out, const std::string& name1252, bool folder, uint32_t size, const fs::path& file)
{
    struct stat st {};
    stat(file.c_str(), &st);
    const uint32_t len = static_cast<uint32_t>((16 + name1252.size() + 1 + 3) / 4 * 4);
    const size_t at = out->size();
    out->resize(at + len, 0);
    const uint32_t fields[] = {len, folder ? 0xFFFFFFFFu : 0u, size, static_cast<uint32_t>(st.st_mtime)};
    for (size_t i = 0; i < 16; ++i)
        (*out)[at + i] = static_cast<uint8_t>(fields[i / 4] >> (8 * (i % 4)));
    std::memcpy(out->data() + at + 16, name1252.data(), name1252.size());
}

// One raw request frame to the machine and the result code of its answer (-100 when none came).
int32_t RawExchange(const std::string& socketPath, const Bytes& body)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{AF_UNIX, {}};
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    Bytes frame = {static_cast<uint8_t>(body.size()), 0, 0, 0}, answer(8);
    frame.insert(frame.end(), body.begin(), body.end());
    timeval tv{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    const bool bAnswered = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0 &&
                           write(fd, frame.data(), frame.size()) == static_cast<ssize_t>(frame.size()) &&
                           recv(fd, answer.data(), 8, MSG_WAITALL) == 8;
    close(fd);
    return bAnswered ? static_cast<int32_t>(Le32(answer, 4)) : -100;
}

class QuorvelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("QUORVEL_TIMEOUT_MS");
        ASSERT_TRUE(m_machine.Start());
        ASSERT_NE(m_hDevice = Connect(), 0u);
    }
    void TearDown() override { CloseHandle(m_hDevice); } // 0 when the test has none: a no-op
    void Ctl(const std::vector<std::string>& words) { tavren::test::CtlOk(m_machine, words); }
    // A handle of the machine connected now (0 when there is none), never with the status of a
    // machine the link cannot work with.
    static uint32_t Connect()
    {
        int32_t status = 0;
        const uint32_t h = GetConnectedDevice(0, -1, &status);
        EXPECT_EQ(status, 0);
        return h;
    }
    // What UploadFile or UploadList gives for a path, the call answering nCode (no buffer when it
    // fails); the buffer copied and released as the module does (freeing no buffer passes too).
    Bytes Upload(decltype(&UploadFile) pfnUpload, uint32_t storage, const char16_t* path, int32_t nCode = 0)
    {
        uint8_t* p = nullptr;
        uint32_t n = 0;
        EXPECT_EQ(pfnUpload(m_hDevice, storage, path, &p, &n), nCode) << tavren::test::Narrow(path);
        EXPECT_TRUE(nCode == 0 || p == nullptr);
        Bytes v(p, p + n);
        EXPECT_EQ(GlobalHeapFree(&p), 0);
        EXPECT_EQ(p, nullptr);
        return v;
    }
    Bytes List(uint32_t storage, const char16_t* folder, int32_t nCode = 0) { return Upload(UploadList, storage, folder, nCode); }
    int32_t Send(uint32_t storage, const char16_t* path, const Bytes& data) { return DownloadFile(m_hDevice, storage, path, data.data(), uint32_t(data.size())); }
    // The machine's status value, or minus the link's code when the call failed.
    int Status(uint32_t nWhich)
    {
        uint8_t v = 99;
        const int32_t r = GetStatus(m_hDevice, nWhich, &v);
        return r == 0 ? v : -r;
    }

    tavren::test::Watchdog m_watchdog; // a call that never returns ends the test, not the run
    EmulatedMachine m_machine;
    uint32_t m_hDevice = 0;
};

TEST_F(QuorvelTest, ListingBlock_ExactBytesFoldersFirstNamesIn1252AndLookupWithoutCase)
{
    fs::path emb = m_machine.Storage(1) / "EMB";
    fs::create_directory(emb / "Flowers");
    EmulatedMachine::WriteBytes(emb / "rose.qef", {1, 2, 3, 4, 5});
    EmulatedMachine::WriteBytes(emb / "Caf\xC3\xA9.qef", {9});                 // "Café.qef"
    EmulatedMachine::WriteBytes(emb / "\xE5\x90\x8D\xE5\x89\x8D.qef", {7, 7}); // not in 1252

    Bytes expected = {4, 0, 0, 0};
    AppendRecord(&expected, "Flowers", true, 0, emb / "Flowers");
    AppendRecord(&expected, "??.qef", false, 2, emb / "\xE5\x90\x8D\xE5\x89\x8D.qef");
    AppendRecord(&expected, "Caf\xE9.qef", false, 1, emb / "Caf\xC3\xA9.qef");
    AppendRecord(&expected, "rose.qef", false, 5, emb / "rose.qef");
    EXPECT_EQ(List(1, u"\\EMB"), expected);
    // The module's form: two backslashes name the storage's top, the root folder below it.
    EXPECT_EQ(List(1, u"\\\\EMB"), expected);
    // A missing folder, and an empty component elsewhere, name nothing.
    for (const char16_t* pszNothing : {u"\\EMB\\Nowhere", u"\\\\\\EMB", u"\\\\EMB\\\\Flowers", u"\\EMB\\"})
        List(1, pszNothing, 0x800D);

    // The storage's top lists its root folders; an empty folder is a count of 0 alone.
    Bytes top = List(1, u"\\");
    ASSERT_GE(top.size(), 4u);
    EXPECT_EQ(Le32(top, 0), 2u);
    EXPECT_EQ(List(1, u"\\EMB\\Flowers"), (Bytes{0, 0, 0, 0}));
    Bytes ord = List(2, u"\\ORD");
    ASSERT_EQ(Le32(ord, 0), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(ord.data() + 4 + 16), "(UserST)");

    // Names are looked up without regard to case, also beyond ASCII.
    fs::create_directory(emb / "\xC3\x89t\xC3\xA9"); // "Été"
    List(1, u"\\emb\\\u00E9T\u00C9");
}

TEST_F(QuorvelTest, FileAndFolderOperations)
{
    fs::path emb = m_machine.Storage(1) / "EMB";
    EmulatedMachine::WriteBytes(emb / "a.qef", {1});
    EmulatedMachine::WriteBytes(emb / "b.qef", {2});

    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\a.qef", u"c.qef"), 0);
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\c.qef", u"b.qef"), 0x8014); // taken
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\c.qef", u"x?.qef"), 0x8014);
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\gone.qef", u"d.qef"), 0x800D);

    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\b.qef"), 0);
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\b.qef"), 0x800D);

    EXPECT_EQ(CreateFolder(m_hDevice, 1, u"\\EMB", u"Flowers"), 0);
    EXPECT_EQ(CreateFolder(m_hDevice, 1, u"\\EMB\\Nowhere", u"x"), 0x800D);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\EMB\\Flowers", u"Roses"), 0);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\EMB\\c.qef", u"Tulips"), 0x8014); // a file is not a folder
    EmulatedMachine::WriteBytes(emb / "Roses" / "r.qef", {3});
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\EMB\\Roses"), 0x8013); // not empty
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\Roses\\r.qef"), 0);
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\EMB\\Roses"), 0);
    // Nothing reaches outside the storage's folder.
    const Bytes data = {1};
    EXPECT_NE(Send(1, u"\\EMB\\..\\..\\escape.qef", data), 0);
    EXPECT_NE(Send(1, u"\\EMB\\a/..\\escape.qef", data), 0);
    EXPECT_FALSE(fs::exists(m_machine.StorageRoot() / "escape.qef") || fs::exists(m_machine.Storage(1) / "escape.qef"));
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\..\\usb1\\EMB"), 0x800D);
    // The machine's root folders stay.
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\ORD\\(UserST)"), 0x8013);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\EMB", u"X"), 0x8014);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\\\EMB", u"X"), 0x8014);
    // What lies beside them at the storage's top is the person's, in the module's form too.
    EXPECT_EQ(CreateFolder(m_hDevice, 1, u"\\", u"Spare"), 0);
    EXPECT_EQ(Send(1, u"\\\\loose.qef", data), 0);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\\\Spare", u"Extra"), 0);
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\\\loose.qef", u"found.qef"), 0);
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\\\found.qef"), 0);
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\\\Extra"), 0);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "Extra") || fs::exists(m_machine.Storage(1) / "found.qef"));
}

TEST_F(QuorvelTest, StatusAndStorageFull_SettingsTakeEffectAndAFullStorageKeepsNothing)
{
    EXPECT_EQ(std::vector<int>({Status(0), Status(3), Status(4)}), std::vector<int>({2, 0, 0}));
    EXPECT_EQ(GetMachineType(m_hDevice, 0), 0);
    Ctl({"status", "3=1", "4=5", "0=1"});
    EXPECT_EQ(std::vector<int>({Status(0), Status(3), Status(4)}), std::vector<int>({1, 1, 5}));

    Ctl({"capacity", "1", "1000"});
    const Bytes six(600, 6), nine(900, 9);
    EXPECT_EQ(Send(1, u"\\EMB\\a.qef", six), 0);
    EXPECT_EQ(Send(1, u"\\EMB\\b.qef", six), 0x8010);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "EMB" / "b.qef"));
    // Replacing a file counts only the difference; other storages have their own room.
    EXPECT_EQ(Send(1, u"\\EMB\\a.qef", nine), 0);
    EXPECT_EQ(Send(2, u"\\EMB\\b.qef", six), 0);
    Ctl({"capacity", "1", "none"});
    EXPECT_EQ(Send(1, u"\\EMB\\b.qef", six), 0);
}

TEST_F(QuorvelTest, Fault_HitsTheNextNCallsOfOneOperationOnly)
{
    const Bytes data = {1, 2};
    Ctl({"fault", "DownloadFile", "0x8010", "--count", "2"});
    EXPECT_EQ(Status(0), 2);
    EXPECT_EQ(Send(1, u"\\EMB\\a.qef", data), 0x8010);
    EXPECT_EQ(Send(1, u"\\EMB\\a.qef", data), 0x8010);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "EMB" / "a.qef"));
    EXPECT_EQ(Send(1, u"\\EMB\\a.qef", data), 0);
}

// A pulled cable, and a machine that is gone, answer 6; a handle from before the pull stays dead.
TEST_F(QuorvelTest, CablePulledMidwayOrNoMachine_AsksForTheCableAgainAndOldHandleStaysDead)
{
    const Bytes data = RandomBytes(200000, 3);
    EmulatedMachine::WriteBytes(m_machine.Storage(1) / "EMB" / "a.qef", data);
    Ctl({"fault", "UploadFile", "pull"});
    EXPECT_TRUE(Upload(UploadFile, 1, u"\\EMB\\a.qef", 6).empty());
    EXPECT_NE(GetMachineType(m_hDevice, 0), 0);
    EXPECT_EQ(Connect(), 0u);

    Ctl({"cable", "plug"});
    EXPECT_EQ(GetMachineType(m_hDevice, 0), 6); // a handle from before the pull
    CloseHandle(m_hDevice);
    ASSERT_NE(m_hDevice = Connect(), 0u);

    Ctl({"fault", "DownloadFile", "pull"});
    EXPECT_EQ(Send(1, u"\\EMB\\b.qef", data), 6);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "EMB" / "b.qef"));

    m_machine.Stop();
    EXPECT_EQ(Connect(), 0u);
    EXPECT_EQ(Status(0), -6);
    EXPECT_EQ(RegisterMachineDeviceNotification(0x1234), 0u); // not a window
}

// The tests run with a short time-out (QUORVEL_TIMEOUT_MS); the link's own is five seconds.
TEST_F(QuorvelTest, NoAnswerInTime_TimesOutAndTheNextCallWorks)
{
    Ctl({"fault", "GetStatus", "delay", "5800"});
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(Status(0), -3);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(4900));
    EXPECT_EQ(Status(0), 2);
}

// Large files go and come back byte for byte, from several threads at once; an empty file comes
// back as a buffer of size 0, a missing one as no buffer.
TEST_F(QuorvelTest, SendAndReceive_ByteIdenticalFromSeveralThreadsAtOnce)
{
    const Bytes data = RandomBytes(300000, 4);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (char16_t t = u'0'; t < u'4'; ++t)
        threads.emplace_back([&, s = uint32_t(t % 2 + 1), path = u"\\EMB\\t" + std::u16string(1, t) + u".qef"] {
            for (int i = 0; i < 10; ++i)
                failures += Send(s, path.c_str(), data) != 0 || Upload(UploadFile, s, path.c_str()) != data || Status(3) != 0;
        });
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(EmulatedMachine::ReadBytes(m_machine.Storage(2) / "EMB" / "t1.qef"), data);

    ASSERT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\empty.qef", nullptr, 0), 0);
    EXPECT_TRUE(Upload(UploadFile, 1, u"\\EMB\\empty.qef").empty());
    EXPECT_TRUE(Upload(UploadFile, 1, u"\\EMB\\missing.qef", 0x800D).empty());
}

TEST_F(QuorvelTest, HostileRequests_AnsweredWithACodeAndTheMachineGoesOn)
{
    // Operation 999: invalid command.
    EXPECT_EQ(RawExchange(m_machine.SocketPath(), {0xE7, 0x03, 0, 0, 1, 0, 0, 0}), 9);
    // UploadList (5) whose path claims more bytes than the frame holds: broken packet.
    EXPECT_EQ(RawExchange(m_machine.SocketPath(), {5, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'x'}), 7);
    // A header cut short.
    EXPECT_EQ(RawExchange(m_machine.SocketPath(), {5, 0}), 7);
    EXPECT_EQ(Status(0), 2);
}

} // namespace

// libQuorvel's exports against a real quorvel-machine process.
#include "machine/Quorvel.h"
#include "platform/kernel/Handle.h"
#include "tests/support/MachineAndDrives.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstring>
#include <random>
#include <thread>

namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> RandomBytes(size_t n, unsigned seed)
{
    std::mt19937 gen(seed);
    std::vector<uint8_t> v(n);
    for (auto& b : v)
        b = static_cast<uint8_t>(gen());
    return v;
}

// A buffer from the library, copied and released as the module does.
struct LibBuffer {
    uint8_t* p = nullptr;
    uint32_t n = 0;
    std::vector<uint8_t> Take()
    {
        std::vector<uint8_t> v(p, p + n);
        EXPECT_EQ(GlobalHeapFree(&p), 0);
        EXPECT_EQ(p, nullptr);
        return v;
    }
};

uint32_t Le32(const std::vector<uint8_t>& b, size_t at)
{
    return b[at] | (b[at + 1] << 8) | (b[at + 2] << 16) | (static_cast<uint32_t>(b[at + 3]) << 24);
}

class QuorvelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        unsetenv("QUORVEL_TIMEOUT_MS");
        ASSERT_TRUE(m_machine.Start());
        int32_t status = 0;
        m_hDevice = GetConnectedDevice(0, -1, &status);
        ASSERT_NE(m_hDevice, 0u);
        EXPECT_EQ(status, 0);
    }
    void TearDown() override
    {
        if (m_hDevice)
            CloseHandle(m_hDevice);
    }
    void Ctl(const std::vector<std::string>& words) { tavren::test::CtlOk(m_machine, words); }
    std::vector<uint8_t> List(uint32_t storage, const char16_t* folder, int32_t* result = nullptr)
    {
        LibBuffer b;
        int32_t r = UploadList(m_hDevice, storage, folder, &b.p, &b.n);
        if (result)
            *result = r;
        else
            EXPECT_EQ(r, 0);
        return b.Take();
    }

    tavren::test::Watchdog m_watchdog; // a call that never returns ends the test, not the run
    tavren::test::EmulatedMachine m_machine;
    uint32_t m_hDevice = 0;
};

// One record of the listing block as the machine must build it.
void AppendRecord(std::vector<uint8_t>* out, const std::string& name1252, bool folder, uint32_t size, uint32_t time)
{
    size_t len = (16 + name1252.size() + 1 + 3) / 4 * 4;
    size_t at = out->size();
    out->resize(at + len, 0);
    auto put = [&](size_t o, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            (*out)[at + o + i] = static_cast<uint8_t>(v >> (8 * i));
    };
    put(0, static_cast<uint32_t>(len));
    put(4, folder ? 0xFFFFFFFFu : 0u);
    put(8, size);
    put(12, time);
    std::memcpy(out->data() + at + 16, name1252.data(), name1252.size());
}

uint32_t MTime(const fs::path& p)
{
    struct stat st {};
    stat(p.c_str(), &st);
    return static_cast<uint32_t>(st.st_mtime);
}

TEST_F(QuorvelTest, ListingBlock_ExactBytesFoldersFirstNamesIn1252AndLookupWithoutCase)
{
    fs::path emb = m_machine.Storage(1) / "EMB";
    fs::create_directory(emb / "Flowers");
    tavren::test::EmulatedMachine::WriteBytes(emb / "rose.qef", {1, 2, 3, 4, 5});
    tavren::test::EmulatedMachine::WriteBytes(emb / "Caf\xC3\xA9.qef", {9});                 // "Café.qef"
    tavren::test::EmulatedMachine::WriteBytes(emb / "\xE5\x90\x8D\xE5\x89\x8D.qef", {7, 7}); // not in 1252

    std::vector<uint8_t> expected = {4, 0, 0, 0};
    AppendRecord(&expected, "Flowers", true, 0, MTime(emb / "Flowers"));
    AppendRecord(&expected, "??.qef", false, 2, MTime(emb / "\xE5\x90\x8D\xE5\x89\x8D.qef"));
    AppendRecord(&expected, "Caf\xE9.qef", false, 1, MTime(emb / "Caf\xC3\xA9.qef"));
    AppendRecord(&expected, "rose.qef", false, 5, MTime(emb / "rose.qef"));
    EXPECT_EQ(List(1, u"\\EMB"), expected);
    // The module's form: two backslashes name the storage's top, the root folder below it.
    EXPECT_EQ(List(1, u"\\\\EMB"), expected);
    int32_t r = 0;
    for (const char16_t* pszEmpty : {u"\\\\\\EMB", u"\\\\EMB\\\\Flowers", u"\\EMB\\"}) {
        List(1, pszEmpty, &r);
        EXPECT_EQ(r, 0x800D) << "an empty component elsewhere names nothing";
    }

    // The storage's top lists its root folders; an empty folder is a count of 0 alone.
    std::vector<uint8_t> top = List(1, u"\\");
    ASSERT_GE(top.size(), 4u);
    EXPECT_EQ(Le32(top, 0), 2u);
    EXPECT_EQ(List(1, u"\\EMB\\Flowers"), (std::vector<uint8_t>{0, 0, 0, 0}));
    std::vector<uint8_t> ord = List(2, u"\\ORD");
    ASSERT_EQ(Le32(ord, 0), 1u);
    EXPECT_STREQ(reinterpret_cast<const char*>(ord.data() + 4 + 16), "(UserST)");

    // A missing folder; names are looked up without regard to case, also beyond ASCII.
    List(1, u"\\EMB\\Nowhere", &r);
    EXPECT_EQ(r, 0x800D);
    fs::create_directory(emb / "\xC3\x89t\xC3\xA9"); // "Été"
    List(1, u"\\emb\\\u00E9T\u00C9", &r);
    EXPECT_EQ(r, 0);
}

TEST_F(QuorvelTest, SendAndReceive_ByteIdentical)
{
    std::vector<uint8_t> data = RandomBytes(300000, 1);
    ASSERT_EQ(DownloadFile(m_hDevice, 2, u"\\EMB\\big.qef", data.data(), static_cast<uint32_t>(data.size())), 0);
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(m_machine.Storage(2) / "EMB" / "big.qef"), data);

    LibBuffer b;
    ASSERT_EQ(UploadFile(m_hDevice, 2, u"\\EMB\\big.qef", &b.p, &b.n), 0);
    EXPECT_EQ(b.Take(), data);

    // An empty file comes back as a buffer of size 0; a missing one as no buffer.
    ASSERT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\empty.qef", nullptr, 0), 0);
    ASSERT_EQ(UploadFile(m_hDevice, 1, u"\\EMB\\empty.qef", &b.p, &b.n), 0);
    EXPECT_EQ(b.n, 0u);
    EXPECT_TRUE(b.Take().empty());
    EXPECT_EQ(UploadFile(m_hDevice, 1, u"\\EMB\\missing.qef", &b.p, &b.n), 0x800D);
    EXPECT_EQ(b.p, nullptr);
    EXPECT_EQ(GlobalHeapFree(&b.p), 0); // a null buffer passes through
}

TEST_F(QuorvelTest, FileAndFolderOperations)
{
    fs::path emb = m_machine.Storage(1) / "EMB";
    tavren::test::EmulatedMachine::WriteBytes(emb / "a.qef", {1});
    tavren::test::EmulatedMachine::WriteBytes(emb / "b.qef", {2});

    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\a.qef", u"c.qef"), 0);
    EXPECT_TRUE(fs::exists(emb / "c.qef"));
    EXPECT_FALSE(fs::exists(emb / "a.qef"));
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\c.qef", u"b.qef"), 0x8014); // taken
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\c.qef", u"x?.qef"), 0x8014);
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\gone.qef", u"d.qef"), 0x800D);

    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\b.qef"), 0);
    EXPECT_FALSE(fs::exists(emb / "b.qef"));
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\b.qef"), 0x800D);

    EXPECT_EQ(CreateFolder(m_hDevice, 1, u"\\EMB", u"Flowers"), 0);
    EXPECT_EQ(CreateFolder(m_hDevice, 1, u"\\EMB\\Nowhere", u"x"), 0x800D);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\EMB\\Flowers", u"Roses"), 0);
    EXPECT_TRUE(fs::is_directory(emb / "Roses"));
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\EMB\\c.qef", u"Tulips"), 0x8014); // a file is not a folder
    tavren::test::EmulatedMachine::WriteBytes(emb / "Roses" / "r.qef", {3});
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\EMB\\Roses"), 0x8013); // not empty
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\Roses\\r.qef"), 0);
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\EMB\\Roses"), 0);
    EXPECT_FALSE(fs::exists(emb / "Roses"));
    // Nothing reaches outside the storage's folder.
    std::vector<uint8_t> data = {1};
    EXPECT_NE(DownloadFile(m_hDevice, 1, u"\\EMB\\..\\..\\escape.qef", data.data(), 1), 0);
    EXPECT_NE(DownloadFile(m_hDevice, 1, u"\\EMB\\a/..\\escape.qef", data.data(), 1), 0);
    EXPECT_FALSE(fs::exists(m_machine.StorageRoot() / "escape.qef"));
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "escape.qef"));
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\..\\usb1\\EMB"), 0x800D);
    // The machine's root folders stay.
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\ORD\\(UserST)"), 0x8013);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\EMB", u"X"), 0x8014);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\\\EMB", u"X"), 0x8014);
    // What lies beside them at the storage's top is the person's, in the module's form too.
    EXPECT_EQ(CreateFolder(m_hDevice, 1, u"\\", u"Spare"), 0);
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\\\loose.qef", data.data(), 1), 0);
    EXPECT_EQ(RenameFolder(m_hDevice, 1, u"\\\\Spare", u"Extra"), 0);
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\\\loose.qef", u"found.qef"), 0);
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\\\found.qef"), 0);
    EXPECT_EQ(DeleteFolder(m_hDevice, 1, u"\\\\Extra"), 0);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "Extra") || fs::exists(m_machine.Storage(1) / "found.qef"));
}

TEST_F(QuorvelTest, Status_DefaultsAndSettings)
{
    auto status = [&](uint32_t nWhich) {
        uint8_t v = 99;
        EXPECT_EQ(GetStatus(m_hDevice, nWhich, &v), 0);
        return static_cast<int>(v);
    };
    EXPECT_EQ(std::vector<int>({status(0), status(3), status(4)}), std::vector<int>({2, 0, 0}));
    EXPECT_EQ(GetMachineType(m_hDevice, 0), 0);
    Ctl({"status", "3=1", "4=5", "0=1"});
    EXPECT_EQ(std::vector<int>({status(0), status(3), status(4)}), std::vector<int>({1, 1, 5}));
    EXPECT_EQ(SetStatus(m_hDevice, 0, 2), 0);
    EXPECT_EQ(status(0), 2);
}

TEST_F(QuorvelTest, StorageFull_Answers8010AndKeepsNothing)
{
    Ctl({"capacity", "1", "1000"});
    std::vector<uint8_t> six(600, 6), nine(900, 9);
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\a.qef", six.data(), 600), 0);
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\b.qef", six.data(), 600), 0x8010);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "EMB" / "b.qef"));
    // Replacing a file counts only the difference; other storages have their own room.
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\a.qef", nine.data(), 900), 0);
    EXPECT_EQ(DownloadFile(m_hDevice, 2, u"\\EMB\\b.qef", six.data(), 600), 0);
    Ctl({"capacity", "1", "none"});
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\b.qef", six.data(), 600), 0);
}

TEST_F(QuorvelTest, Fault_HitsTheNextNCallsOfOneOperationOnly)
{
    std::vector<uint8_t> data = {1, 2};
    Ctl({"fault", "DownloadFile", "0x8010", "--count", "2"});
    uint8_t v = 0;
    EXPECT_EQ(GetStatus(m_hDevice, 0, &v), 0);
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\a.qef", data.data(), 2), 0x8010);
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\a.qef", data.data(), 2), 0x8010);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "EMB" / "a.qef"));
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\a.qef", data.data(), 2), 0);

    Ctl({"fault", "EraseFile", "1"});
    Ctl({"fault", "RenameFile", "-1"});
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\a.qef"), 1);
    EXPECT_EQ(RenameFile(m_hDevice, 1, u"\\EMB\\a.qef", u"b.qef"), -1);
    EXPECT_EQ(EraseFile(m_hDevice, 1, u"\\EMB\\a.qef"), 0);

    Ctl({"fault", "UploadList", "0x800C"});
    Ctl({"fault", "clear"});
    int32_t r = -5;
    List(1, u"\\EMB", &r);
    EXPECT_EQ(r, 0);
}

TEST_F(QuorvelTest, CablePulledMidway_Answers6AndOldHandleStaysDead)
{
    std::vector<uint8_t> data = RandomBytes(200000, 3);
    tavren::test::EmulatedMachine::WriteBytes(m_machine.Storage(1) / "EMB" / "a.qef", data);
    Ctl({"fault", "UploadFile", "pull"});
    LibBuffer b;
    EXPECT_EQ(UploadFile(m_hDevice, 1, u"\\EMB\\a.qef", &b.p, &b.n), 6);
    EXPECT_EQ(b.p, nullptr);
    EXPECT_NE(GetMachineType(m_hDevice, 0), 0);
    int32_t status = 0;
    EXPECT_EQ(GetConnectedDevice(0, -1, &status), 0u);

    Ctl({"cable", "plug"});
    EXPECT_EQ(GetMachineType(m_hDevice, 0), 6); // a handle from before the pull
    CloseHandle(m_hDevice);
    m_hDevice = GetConnectedDevice(0, -1, &status);
    ASSERT_NE(m_hDevice, 0u);

    Ctl({"fault", "DownloadFile", "pull"});
    EXPECT_EQ(DownloadFile(m_hDevice, 1, u"\\EMB\\b.qef", data.data(), static_cast<uint32_t>(data.size())), 6);
    EXPECT_FALSE(fs::exists(m_machine.Storage(1) / "EMB" / "b.qef"));
}

TEST_F(QuorvelTest, NoAnswerInTime_Answers3AndTheNextCallWorks)
{
    setenv("QUORVEL_TIMEOUT_MS", "200", 1);
    Ctl({"fault", "GetStatus", "delay", "3000"});
    uint8_t v = 0;
    EXPECT_EQ(GetStatus(m_hDevice, 0, &v), 3);
    EXPECT_EQ(GetStatus(m_hDevice, 0, &v), 0);
    EXPECT_EQ(v, 2);
    setenv("QUORVEL_TIMEOUT_MS", "20000", 1);
    Ctl({"fault", "GetStatus", "delay=10"}); // late but in time: done normally
    EXPECT_EQ(GetStatus(m_hDevice, 0, &v), 0);
    unsetenv("QUORVEL_TIMEOUT_MS");
}

// The tests run with a short time-out (QUORVEL_TIMEOUT_MS); the link's own is five seconds.
TEST_F(QuorvelTest, WithoutTheSettingTheTimeOutIsFiveSeconds)
{
    Ctl({"fault", "GetStatus", "delay", "5800"});
    uint8_t v = 0;
    const auto t0 = std::chrono::steady_clock::now();
    EXPECT_EQ(GetStatus(m_hDevice, 0, &v), 3);
    EXPECT_GE(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(4900));
}

TEST_F(QuorvelTest, Calls_FromSeveralThreadsAtOnce)
{
    std::vector<uint8_t> data = RandomBytes(100000, 4);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            std::u16string path = u"\\EMB\\t" + std::u16string(1, static_cast<char16_t>(u'0' + t)) + u".qef";
            for (int i = 0; i < 10; ++i) {
                LibBuffer b;
                uint8_t v = 0;
                if (DownloadFile(m_hDevice, 1, path.c_str(), data.data(), static_cast<uint32_t>(data.size())) != 0 ||
                    UploadFile(m_hDevice, 1, path.c_str(), &b.p, &b.n) != 0 || b.Take() != data ||
                    GetStatus(m_hDevice, 3, &v) != 0)
                    ++failures;
            }
        });
    }
    for (auto& t : threads)
        t.join();
    EXPECT_EQ(failures.load(), 0);
}

TEST(QuorvelNoMachineTest, NoMachine_GivesNoHandleAndCallsAnswer6)
{
    tavren::test::EmulatedMachine machine;
    ASSERT_TRUE(machine.Start());
    int32_t status = 0;
    uint32_t h = GetConnectedDevice(0, -1, &status);
    ASSERT_NE(h, 0u);
    machine.Stop();
    EXPECT_EQ(GetConnectedDevice(0, -1, &status), 0u);
    EXPECT_EQ(status, 0);
    uint8_t v = 0;
    EXPECT_EQ(GetStatus(h, 0, &v), 6);
    EXPECT_NE(GetMachineType(h, 0), 0);
    CloseHandle(h);
    EXPECT_EQ(RegisterMachineDeviceNotification(0x1234), 0u); // not a window
}

TEST(QuorvelCtlTest, StartSettingsTakeEffectAndCtlRefusesWhatIsNotACommand)
{
    tavren::test::EmulatedMachine machine;
    ASSERT_TRUE(machine.Start({"--usb2", "absent", "--fault", "DownloadFile:0x8010:2", "--capacity", "1=5000",
                               "--fault", "UploadList:delay:3000:2", "--status", "3=1,4=2"}));
    int rc = -1;
    std::string shown = machine.Ctl({"show"}, &rc);
    EXPECT_EQ(rc, 0);
    EXPECT_NE(shown.find("usb2 absent"), std::string::npos);
    EXPECT_NE(shown.find("fault DownloadFile 0x8010 --count 2"), std::string::npos);
    EXPECT_NE(shown.find("capacity 1 5000"), std::string::npos);
    EXPECT_NE(shown.find("fault UploadList delay 3000 --count 2"), std::string::npos);
    EXPECT_NE(shown.find("status 0=2 3=1 4=2"), std::string::npos);
    for (auto words : std::vector<std::vector<std::string>>{
             {"fault", "Bogus", "1"}, {"fault", "DownloadFile", "0"}, {"status", "3"}, {"usb3", "absent"},
             {"capacity", "4", "10"}, {"listing", "sideways"}, {"cable", "cut"}}) {
        machine.Ctl(words, &rc);
        EXPECT_EQ(rc, 1) << words[0];
    }
    machine.Stop();
    machine.Ctl({"show"}, &rc);
    EXPECT_EQ(rc, 2);
}

} // namespace

namespace {

// One raw request frame to the machine and the result code of its answer (-100 when none came).
int32_t RawExchange(const std::string& socketPath, const std::vector<uint8_t>& body)
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", socketPath.c_str());
    if (connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0) {
        close(fd);
        return -100;
    }
    std::vector<uint8_t> frame = {static_cast<uint8_t>(body.size()), 0, 0, 0};
    frame.insert(frame.end(), body.begin(), body.end());
    (void)!write(fd, frame.data(), frame.size());
    uint8_t answer[8] = {};
    size_t got = 0;
    timeval tv{10, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    while (got < 8) {
        ssize_t n = read(fd, answer + got, 8 - got);
        if (n <= 0)
            break;
        got += static_cast<size_t>(n);
    }
    close(fd);
    return got == 8 ? static_cast<int32_t>(Le32({answer, answer + 8}, 4)) : -100;
}

TEST(QuorvelProtocolTest, HostileRequests_AnsweredWithACodeAndTheMachineGoesOn)
{
    tavren::test::EmulatedMachine machine;
    ASSERT_TRUE(machine.Start());
    // Operation 999: invalid command.
    EXPECT_EQ(RawExchange(machine.SocketPath(), {0xE7, 0x03, 0, 0, 1, 0, 0, 0}), 9);
    // UploadList (5) whose path claims more bytes than the frame holds: broken packet.
    EXPECT_EQ(RawExchange(machine.SocketPath(), {5, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0xFF, 0xFF, 0, 0, 'x'}), 7);
    // A header cut short.
    EXPECT_EQ(RawExchange(machine.SocketPath(), {5, 0}), 7);
    int32_t status = 0;
    uint32_t h = GetConnectedDevice(0, -1, &status);
    EXPECT_NE(h, 0u);
    CloseHandle(h);
}

} // namespace

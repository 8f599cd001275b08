// The control client that `quorvel-machine ctl` and `tavren gui` share, against a real machine on a
// temporary socket: what the machine answers, only its owner may use the socket, and a machine that
// never answers is given up.
#include "machine/MachineControlClient.h"

#include "tests/support/EmulatedMachine.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>

using quorvel::CMachineControlClient;
using Status = CMachineControlClient::Status;

// The machine's start-up settings show, a word that is no command is refused, and a machine that
// is gone is told apart from one that never answers.
TEST(MachineControlClient, StartSettingsRefusalsOwnerOnlySocketAndSilence)
{
    tavren::test::Watchdog watchdog;
    tavren::test::EmulatedMachine machine;
    ASSERT_TRUE(machine.Start({"--usb2", "absent", "--fault", "DownloadFile:0x8010:2", "--capacity", "1=5000",
                               "--fault", "UploadList:delay:3000:2", "--status", "3=1,4=2"}));
    EXPECT_EQ(std::filesystem::status(machine.SocketPath()).permissions(),
              std::filesystem::perms::owner_read | std::filesystem::perms::owner_write)
        << "only its owner may drive the machine";
    int rc = -1;
    const std::string shown = machine.Ctl({"show"}, &rc);
    EXPECT_EQ(rc, 0);
    for (const char* pszLine : {"usb2 absent", "fault DownloadFile 0x8010 --count 2", "capacity 1 5000",
                                "fault UploadList delay 3000 --count 2", "status 0=2 3=1 4=2"})
        EXPECT_NE(shown.find(pszLine), std::string::npos) << pszLine;
    for (auto words : std::vector<std::vector<std::string>>{
             {"fault", "Bogus", "1"}, {"fault", "DownloadFile", "0"}, {"status", "3"}, {"usb3", "absent"},
             {"capacity", "4", "10"}, {"listing", "sideways"}, {"cable", "cut"}}) {
        machine.Ctl(words, &rc);
        EXPECT_EQ(rc, 1) << words[0];
    }
    machine.Stop();
    EXPECT_EQ(CMachineControlClient(machine.SocketPath(), 2000).Send({"show"}).status, Status::NoMachine);

    // A socket that takes the connection but never answers: the client gives up in its time.
    std::string strSilent = machine.Root() / "silent.sock";
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{AF_UNIX, {}};
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", strSilent.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CMachineControlClient(strSilent, 200).Send({"show"}).status, Status::NoAnswer);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close(fd);
}

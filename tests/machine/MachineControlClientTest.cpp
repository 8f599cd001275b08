// The control client that `quorvel-machine ctl` and `tavren gui` share, against a real machine on a
// temporary socket: each way a command can end.
#include "machine/MachineControlClient.h"

#include "tests/support/EmulatedMachine.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

using quorvel::CMachineControlClient;
using Status = CMachineControlClient::Status;

TEST(MachineControlClient, CommandsReportsRefusalsAndSilence)
{
    tavren::test::Watchdog watchdog;
    tavren::test::EmulatedMachine machine;
    ASSERT_TRUE(machine.Start({"--usb2", "absent"}));
    CMachineControlClient client(machine.SocketPath(), 2000);
    struct stat st {};
    ASSERT_EQ(stat(machine.SocketPath().c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u) << "only its owner may drive the machine";

    CMachineControlClient::Reply r = client.Send({"show"});
    EXPECT_EQ(r.status, Status::Ok);
    EXPECT_NE(r.strText.find("cable plugged\n"), std::string::npos) << r.strText;
    EXPECT_NE(r.strText.find("usb2 absent\n"), std::string::npos) << r.strText;
    // The same report as the command line prints.
    EXPECT_EQ(machine.Ctl({"show"}), r.strText);

    EXPECT_EQ(client.Send({"cable", "pull"}).status, Status::Ok);
    EXPECT_NE(client.Send({"show"}).strText.find("cable pulled\n"), std::string::npos);
    EXPECT_NE(machine.Ctl({}).find("cable pulled\n"), std::string::npos);

    r = client.Send({"cable", "sideways"});
    EXPECT_EQ(r.status, Status::Refused);
    EXPECT_FALSE(r.strText.empty());

    machine.Stop();
    EXPECT_EQ(client.Send({"show"}).status, Status::NoMachine);

    // A socket that takes the connection but never answers: the client gives up in its time.
    std::string strSilent = machine.Root() / "silent.sock";
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", strSilent.c_str());
    ASSERT_EQ(bind(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr), 0);
    ASSERT_EQ(listen(fd, 4), 0);
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(CMachineControlClient(strSilent, 200).Send({"show"}).status, Status::NoAnswer);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
    close(fd);
}

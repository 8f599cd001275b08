#include "tests/support/EmulatedMachine.h"

#include "machine/MachineControlClient.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tavren::test {

namespace {

// Starts args with its standard output thrown away.
pid_t Spawn(const std::vector<std::string>& args)
{
    std::vector<char*> argv;
    for (const auto& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

} // namespace

EmulatedMachine::EmulatedMachine() : m_strSocket(SocketPathOfThisProgram())
{
    m_root = MakeTempDir("quorvel-test");
}

EmulatedMachine::~EmulatedMachine()
{
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
}

std::string EmulatedMachine::Program()
{
    // ctest names the folder; run by hand, the test sits beside the program in bin/.
    if (const char* bin = std::getenv("TAVREN_BIN_DIR"); bin && *bin)
        return std::string(bin) + "/quorvel-machine";
    std::error_code ec;
    return (std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "quorvel-machine").string();
}

// One socket path for the whole test program, so that QUORVEL_SOCKET is set once and never changes
// under libQuorvel's threads.
std::string EmulatedMachine::SocketPathOfThisProgram()
{
    return "/tmp/quorvel-test-" + std::to_string(getpid()) + ".sock";
}

bool EmulatedMachine::Start(const std::vector<std::string>& settings)
{
    if (m_pid > 0)
        return true;
    // Set only when it changes: libQuorvel's threads may be reading the environment.
    const char* current = std::getenv("QUORVEL_SOCKET");
    if (!current || m_strSocket != current)
        setenv("QUORVEL_SOCKET", m_strSocket.c_str(), 1);
    std::vector<std::string> args = {Program(), "--storage", StorageRoot().string(), "--socket", m_strSocket,
                                     "--exit-with-parent"};
    args.insert(args.end(), settings.begin(), settings.end());
    m_pid = Spawn(args);
    if (m_pid <= 0)
        return false;
    for (int i = 0; i < 1000; ++i) {
        if (Answers())
            return true;
        int status = 0;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
            m_pid = -1;
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

void EmulatedMachine::Stop()
{
    if (m_pid <= 0)
        return;
    kill(m_pid, SIGTERM);
    int status = 0;
    for (int i = 0; i < 1000 && waitpid(m_pid, &status, WNOHANG) == 0; ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (waitpid(m_pid, &status, WNOHANG) == 0) {
        kill(m_pid, SIGKILL);
        waitpid(m_pid, &status, 0);
    }
    m_pid = -1;
}

std::string EmulatedMachine::Ctl(const std::vector<std::string>& words, int* rc) const
{
    // What `quorvel-machine ctl` prints and returns, without starting it: its client, in process.
    const quorvel::CMachineControlClient::Reply reply =
        quorvel::CMachineControlClient(m_strSocket, 5000).Send(words.empty() ? std::vector<std::string>{"show"} : words);
    const bool bOk = reply.status == quorvel::CMachineControlClient::Status::Ok;
    if (rc)
        *rc = bOk ? 0 : reply.status == quorvel::CMachineControlClient::Status::Refused ? 1 : 2;
    return bOk ? reply.strText : std::string();
}

std::filesystem::path EmulatedMachine::Storage(int storage) const
{
    static const char* names[] = {"", "builtin", "usb1", "usb2"};
    return StorageRoot() / names[storage];
}

std::vector<uint8_t> EmulatedMachine::ReadBytes(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void EmulatedMachine::WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes)
{
    std::filesystem::create_directories(p.parent_path());
    std::ofstream out(p, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

bool EmulatedMachine::Answers() const
{
    int fd = socket(AF_UNIX, SOCK_STREAM, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", m_strSocket.c_str());
    bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
    close(fd);
    return ok;
}

} // namespace tavren::test

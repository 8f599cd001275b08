#include "tests/support/EmulatedMachine.h"

#include "machine/MachineControlClient.h"
#include "tests/support/LoadedModule.h"
#include "tests/support/TestFiles.h"

#include <chrono>
#include <csignal>
#include <fcntl.h>
#include <fstream>
#include <spawn.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

extern char** environ;

namespace tavren::test {

EmulatedMachine::EmulatedMachine() : m_root(MakeTempDir("quorvel-test")), m_strSocket(SocketPathOfThisProgram()) {}

EmulatedMachine::~EmulatedMachine()
{
    Stop();
    std::error_code ec;
    std::filesystem::remove_all(m_root, ec);
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
    std::vector<std::string> args = {LoadedModule::BinDir() + "/quorvel-machine", "--storage", StorageRoot().string(),
                                     "--socket", m_strSocket, "--exit-with-parent"};
    args.insert(args.end(), settings.begin(), settings.end());
    std::vector<char*> argv;
    for (auto& a : args)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions; // its standard output thrown away
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    if (posix_spawn(&m_pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        m_pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    for (int i = 0, rc = -1, status = 0; m_pid > 0 && i < 1000; ++i) {
        if (Ctl({"show"}, &rc); rc == 0)
            return true;
        if (waitpid(m_pid, &status, WNOHANG) == m_pid)
            m_pid = -1;
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

} // namespace tavren::test

// A real quorvel-machine process on a temporary socket and storage, for any test that talks to
// the machine. Start sets QUORVEL_SOCKET so that libQuorvel in the test process finds it.
//
//   CMachineFixture machine;
//   ASSERT_TRUE(machine.Start({"--usb2", "absent"}));     // start-up settings as on the command line
//   machine.Ctl({"fault", "DownloadFile", "0x8010"});    // change its state while it runs
//   machine.Storage(1) / "EMB" / "rose.qef";            // the file behind "\EMB\rose.qef"
//
// The process is ended (and the folder removed) by Stop or the destructor. One machine runs at a
// time in a test process: every fixture uses the same socket path.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <spawn.h>
#include <string>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

extern char** environ;

class CMachineFixture {
public:
    CMachineFixture()
    {
        char tmpl[] = "/tmp/quorvel-test-XXXXXX";
        m_root = mkdtemp(tmpl);
        // One socket path for the whole test process, so that QUORVEL_SOCKET is set once and
        // never changes under libQuorvel's threads; one machine runs at a time.
        m_strSocket = "/tmp/quorvel-test-" + std::to_string(getpid()) + ".sock";
    }
    ~CMachineFixture()
    {
        Stop();
        std::error_code ec;
        std::filesystem::remove_all(m_root, ec);
    }
    CMachineFixture(const CMachineFixture&) = delete;
    CMachineFixture& operator=(const CMachineFixture&) = delete;

    static std::string Program()
    {
        // ctest names the folder; run by hand, the test sits beside the program in bin/.
        if (const char* bin = std::getenv("TAVREN_BIN_DIR"); bin && *bin)
            return std::string(bin) + "/quorvel-machine";
        std::error_code ec;
        return (std::filesystem::read_symlink("/proc/self/exe", ec).parent_path() / "quorvel-machine").string();
    }

    // Starts the machine and waits (up to 10 s) until it answers; false when it does not.
    bool Start(const std::vector<std::string>& settings = {})
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
        m_pid = Spawn(args, nullptr);
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

    // Ends the machine (SIGTERM, then SIGKILL after 10 s); the storage folder stays.
    void Stop()
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

    // Runs `quorvel-machine ctl --socket S words...`; its standard output; *rc its exit code.
    std::string Ctl(const std::vector<std::string>& words, int* rc = nullptr)
    {
        std::vector<std::string> args = {Program(), "ctl", "--socket", m_strSocket};
        args.insert(args.end(), words.begin(), words.end());
        std::string out;
        int status = -1;
        pid_t pid = Spawn(args, &out, &status);
        if (rc)
            *rc = pid > 0 && WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        return out;
    }

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path StorageRoot() const { return m_root / "storage"; }
    // The folder of storage 1 ("builtin"), 2 ("usb1") or 3 ("usb2").
    std::filesystem::path Storage(int storage) const
    {
        static const char* names[] = {"", "builtin", "usb1", "usb2"};
        return StorageRoot() / names[storage];
    }
    const std::string& SocketPath() const { return m_strSocket; }
    bool Running() const { return m_pid > 0; }

    static std::vector<uint8_t> ReadBytes(const std::filesystem::path& p)
    {
        std::ifstream in(p, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    static void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes)
    {
        std::filesystem::create_directories(p.parent_path());
        std::ofstream out(p, std::ios::binary);
        out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    }

private:
    bool Answers() const
    {
        int fd = socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un addr{};
        addr.sun_family = AF_UNIX;
        std::snprintf(addr.sun_path, sizeof addr.sun_path, "%s", m_strSocket.c_str());
        bool ok = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
        close(fd);
        return ok;
    }

    // Starts args; with out, waits for it and collects its standard output.
    static pid_t Spawn(const std::vector<std::string>& args, std::string* out, int* status = nullptr)
    {
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        int fds[2] = {-1, -1};
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (out) {
            if (pipe(fds) != 0)
                return -1;
            posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
            posix_spawn_file_actions_addclose(&actions, fds[0]);
        } else {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
        }
        pid_t pid = -1;
        if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
            pid = -1;
        posix_spawn_file_actions_destroy(&actions);
        if (out) {
            close(fds[1]);
            char buf[4096];
            ssize_t n;
            while ((n = read(fds[0], buf, sizeof buf)) > 0)
                out->append(buf, static_cast<size_t>(n));
            close(fds[0]);
            if (pid > 0)
                waitpid(pid, status, 0);
        }
        return pid;
    }

    std::filesystem::path m_root;
    std::string m_strSocket;
    pid_t m_pid = -1;
};

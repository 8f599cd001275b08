// A real quorvel-machine process on a temporary socket and storage, for any test that talks to
// the machine. Start sets QUORVEL_SOCKET so that libQuorvel in the test process finds it.
//
//   tavren::test::EmulatedMachine machine;
//   ASSERT_TRUE(machine.Start({"--usb2", "absent"}));     // start-up settings as on the command line
//   machine.Ctl({"fault", "DownloadFile", "0x8010"});    // change its state while it runs
//   machine.Storage(1) / "EMB" / "rose.qef";            // the file behind "\EMB\rose.qef"
//
// The process is ended (and the folder removed) by Stop or the destructor; it also ends by itself
// when the test program does. One machine runs at a time in a test program: every one uses the
// same socket path.
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace tavren::test {

class EmulatedMachine {
public:
    EmulatedMachine();
    ~EmulatedMachine();
    EmulatedMachine(const EmulatedMachine&) = delete;
    EmulatedMachine& operator=(const EmulatedMachine&) = delete;

    // The socket path of this test program's machines.
    static std::string SocketPathOfThisProgram();

    // Starts the machine and waits (up to 10 s) until it answers; false when it does not.
    bool Start(const std::vector<std::string>& settings = {});
    // Ends the machine (SIGTERM, then SIGKILL after 10 s); the storage folder stays.
    void Stop();
    // What `quorvel-machine ctl --socket S words...` prints and *rc its exit code, sent in process.
    std::string Ctl(const std::vector<std::string>& words, int* rc = nullptr) const;

    const std::filesystem::path& Root() const { return m_root; }
    std::filesystem::path StorageRoot() const { return m_root / "storage"; }
    // The folder of storage 1 ("builtin"), 2 ("usb1") or 3 ("usb2").
    std::filesystem::path Storage(int storage) const;
    const std::string& SocketPath() const { return m_strSocket; }

    static std::vector<uint8_t> ReadBytes(const std::filesystem::path& p);
    static void WriteBytes(const std::filesystem::path& p, const std::vector<uint8_t>& bytes);

private:
    std::filesystem::path m_root;
    std::string m_strSocket;
    pid_t m_pid = -1;
};

} // namespace tavren::test

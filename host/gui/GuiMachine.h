// The emulated machine of tavren gui: its server in this process on a socket in the temporary
// folder (QUORVEL_SOCKET points the module at it), and its state read and changed through the
// machine's control commands, as `quorvel-machine ctl` would.
#pragma once

#include <nlohmann/json.hpp>

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quorvel {
class CMachineServer;
}

class CGuiMachine {
public:
    CGuiMachine();
    ~CGuiMachine();
    CGuiMachine(const CGuiMachine&) = delete;
    CGuiMachine& operator=(const CGuiMachine&) = delete;

    // Starts the machine on the storage folder (demo designs in temp when strStorage is empty);
    // false with a reason when it cannot. Without a machine, QUORVEL_SOCKET names a socket where
    // nothing answers.
    bool Start(const std::filesystem::path& temp, const std::string& strStorage, std::string& strError);
    void StartNone(const std::filesystem::path& temp);
    void Stop();

    // One control command: {"running", "state": {key: value...}} or {"running", "error"}.
    nlohmann::json Control(const std::vector<std::string>& words);
    // The "show" report, asked of the machine at most twice a second however often the page polls.
    nlohmann::json Show();
    // The next Show asks the machine again (after the page changed something).
    void Forget();

private:
    std::shared_ptr<quorvel::CMachineServer> m_pServer; // shared: its type is complete only with the machine
    std::string m_strSocket;
    std::mutex m_mutex;
    nlohmann::json m_cached = nullptr;
    std::chrono::steady_clock::time_point m_when{};
};

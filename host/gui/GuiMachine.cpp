#include "host/gui/GuiMachine.h"

#include "host/cli/MachineCommand.h"

#if __has_include("machine/MachineServer.h")
#include "machine/MachineControlClient.h"
#include "machine/MachineServer.h"
#define TAVREN_GUI_MACHINE 1
#endif

#include <cstdlib>
#include <sstream>

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

// "cable plugged", "usb1 present", "capacity 1 none" ...: the first word is the key; capacity and
// fault lines may come more than once.
json ParseShow(const std::string& strText)
{
    json state = json::object();
    std::istringstream lines(strText);
    for (std::string line; std::getline(lines, line);) {
        size_t sp = line.find(' ');
        if (sp == std::string::npos)
            continue;
        std::string key = line.substr(0, sp), value = line.substr(sp + 1);
        if (key == "capacity" || key == "fault") {
            if (!state.contains(key))
                state[key] = json::array();
            state[key].push_back(value);
        } else {
            state[key] = value;
        }
    }
    return state;
}

} // namespace

CGuiMachine::CGuiMachine() = default;

CGuiMachine::~CGuiMachine() { Stop(); }

bool CGuiMachine::Start(const fs::path& temp, const std::string& strStorage, std::string& strError)
{
#ifdef TAVREN_GUI_MACHINE
    fs::path storage = strStorage.empty() ? temp / "machine" : fs::path(strStorage);
    if (strStorage.empty()) {
        std::error_code ec;
        fs::create_directories(storage, ec);
        MakeDemoStorage(storage);
    }
    m_strSocket = (temp / "machine.sock").string();
    setenv("QUORVEL_SOCKET", m_strSocket.c_str(), 1);
    auto pServer = std::make_shared<quorvel::CMachineServer>(storage, m_strSocket);
    if (!pServer->Start(&strError))
        return false;
    m_pServer = std::move(pServer);
#endif
    return true;
}

void CGuiMachine::StartNone(const fs::path& temp)
{
    setenv("QUORVEL_SOCKET", (temp / "no-machine.sock").c_str(), 1);
}

void CGuiMachine::Stop()
{
#ifdef TAVREN_GUI_MACHINE
    if (m_pServer)
        m_pServer->Stop();
    m_pServer.reset();
#endif
}

json CGuiMachine::Control(const std::vector<std::string>& words)
{
#ifdef TAVREN_GUI_MACHINE
    if (!m_pServer)
        return {{"running", false}};
    using Status = quorvel::CMachineControlClient::Status;
    quorvel::CMachineControlClient::Reply reply = quorvel::CMachineControlClient(m_strSocket, 2000).Send(words);
    switch (reply.status) {
    case Status::NoMachine:
        return {{"running", false}, {"error", "the machine does not answer"}};
    case Status::NoAnswer:
        return {{"running", true}, {"error", "the machine did not answer"}};
    case Status::Refused:
        return {{"running", true}, {"error", reply.strText}};
    case Status::Ok:
        break;
    }
    return {{"running", true}, {"state", ParseShow(reply.strText)}};
#else
    return {{"running", false}};
#endif
}

json CGuiMachine::Show()
{
    std::lock_guard lock(m_mutex);
    auto now = std::chrono::steady_clock::now();
    if (m_cached.is_null() || now - m_when > std::chrono::milliseconds(500)) {
        m_cached = Control({"show"});
        m_when = now;
    }
    return m_cached;
}

void CGuiMachine::Forget()
{
    std::lock_guard lock(m_mutex);
    m_cached = nullptr;
}

#include "machine/MachineProgram.h"

#include "machine/MachineControlClient.h"
#include "machine/MachineServer.h"
#include "machine/WireSocket.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <pthread.h>
#include <thread>
#include <unistd.h>

namespace quorvel {

namespace {

std::vector<std::string> Split(const std::string& s, const char* separators)
{
    std::vector<std::string> out;
    size_t pos = 0;
    while ((pos = s.find_first_not_of(separators, pos)) != std::string::npos) {
        size_t end = s.find_first_of(separators, pos);
        out.push_back(s.substr(pos, end - pos));
        pos = end;
    }
    return out;
}

int RunCtl(const std::vector<std::string>& args, const std::string& program)
{
    std::string socket = DefaultSocketPath();
    std::vector<std::string> words;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--help" || args[i] == "-h") {
            std::cout << MachineUsage(program);
            return 0;
        }
        if (args[i] == "--socket" && i + 1 < args.size())
            socket = args[++i];
        else
            words.push_back(args[i]);
    }
    if (words.empty())
        words.push_back("show");
    CMachineControlClient::Reply reply = CMachineControlClient(socket, 5000).Send(words);
    switch (reply.status) {
    case CMachineControlClient::Status::NoMachine:
        std::cerr << program << " ctl: no machine answers at " << socket << "\n";
        return 2;
    case CMachineControlClient::Status::NoAnswer:
        std::cerr << program << " ctl: the machine did not answer\n";
        return 2;
    case CMachineControlClient::Status::Refused:
        std::cerr << program << " ctl: " << reply.strText << "\n";
        return 1;
    case CMachineControlClient::Status::Ok:
        break;
    }
    std::cout << reply.strText;
    return 0;
}

// Start-up settings: --WORD VALUE is the command "WORD VALUE" (--fault takes "OP WHAT [N]" or
// OP:WHAT[:N]; --capacity takes STORAGE=BYTES).
bool StartWords(const std::string& flag, const std::string& value, std::vector<std::string>* words)
{
    if (flag == "--cable" || flag == "--supported" || flag == "--usb1" || flag == "--usb2" || flag == "--listing" ||
        flag == "--status") {
        *words = {flag.substr(2)};
        for (auto& v : Split(value, " ,"))
            words->push_back(v);
        return true;
    }
    if (flag == "--capacity") {
        *words = {"capacity"};
        for (auto& v : Split(value, "= "))
            words->push_back(v);
        return true;
    }
    if (flag == "--fault") {
        std::vector<std::string> parts = Split(value, ": ");
        // A bare count after the fault ("DownloadFile:0x8010:2", "UploadList:delay:3000:2").
        size_t countAt = parts.size() > 1 && parts[1] == "delay" ? 3 : 2;
        if (parts.size() == countAt + 1 && std::find(parts.begin(), parts.end(), "--count") == parts.end())
            parts.insert(parts.begin() + static_cast<long>(countAt), "--count");
        *words = {"fault"};
        words->insert(words->end(), parts.begin(), parts.end());
        return true;
    }
    return false;
}

} // namespace

std::string MachineUsage(const std::string& p)
{
    return "usage: " + p + " --storage DIR [--socket PATH] [settings]\n"
           "       " + p + " ctl [--socket PATH] COMMAND ...\n"
           "\n"
           "An emulated embroidery machine. Its storages are folders: DIR/builtin (1, Built-in),\n"
           "DIR/usb1 (2, USB flash drive 1) and DIR/usb2 (3, USB flash drive 2); the machine path\n"
           "\\EMB\\Flowers of storage 1 is DIR/builtin/EMB/Flowers. The socket defaults to $QUORVEL_SOCKET,\n"
           "else $XDG_RUNTIME_DIR/quorvel-machine.sock, else /tmp/quorvel-<uid>.sock.\n"
           "\n"
           "settings at start: --cable pulled  --supported no  --status 3=1,4=0  --usb1 absent\n"
           "  --usb2 absent  --capacity 1=100000  --fault DownloadFile:0x8010:2  --fault UploadFile:pull\n"
           "  --fault UploadList:delay:3000  --listing count-past-end\n"
           "  --exit-with-parent   end when the process that started the machine ends (for tests)\n"
           "\n" +
           std::string(CMachineState::kUsage) +
           "\n"
           "examples:\n"
           "  " + p + " ctl --socket S fault DownloadFile 0x8010 --count 2\n"
           "  " + p + " ctl cable pull\n"
           "  " + p + " ctl status 3=1\n"
           "  " + p + " ctl usb2 absent\n"
           "  " + p + " ctl capacity 1 100000\n"
           "  " + p + " ctl listing count-past-end\n";
}

int RunMachineProgram(const std::vector<std::string>& args, const std::string& program)
{
    if (!args.empty() && args[0] == "ctl")
        return RunCtl({args.begin() + 1, args.end()}, program);
    std::string storage, socket = DefaultSocketPath();
    std::vector<std::vector<std::string>> settings;
    bool exitWithParent = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        std::vector<std::string> words;
        if (a == "--help" || a == "-h") {
            std::cout << MachineUsage(program);
            return 0;
        }
        if (a == "--exit-with-parent") {
            exitWithParent = true;
        } else if (a == "--unsupported") {
            settings.push_back({"supported", "no"});
        } else if (i + 1 < args.size() && a == "--storage") {
            storage = args[++i];
        } else if (i + 1 < args.size() && a == "--socket") {
            socket = args[++i];
        } else if (i + 1 < args.size() && StartWords(a, args[i + 1], &words)) {
            settings.push_back(words);
            ++i;
        } else {
            std::cerr << program << ": unexpected '" << a << "' (see --help)\n";
            return 2;
        }
    }
    if (storage.empty()) {
        std::cerr << program << ": --storage DIR is required (see --help)\n";
        return 2;
    }

    // Signals are taken by this thread alone; the server's threads start with them blocked.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    CMachineServer server(storage, socket);
    std::string error;
    for (const auto& words : settings) {
        if (!server.Apply(words, &error)) {
            std::cerr << program << ": " << error << "\n";
            return 2;
        }
    }
    if (!server.Start(&error)) {
        std::cerr << program << ": " << error << "\n";
        return 1;
    }
    std::cout << program << ": serving " << storage << " on " << socket << std::endl;
    if (exitWithParent) {
        // A test that dies without ending its machine does not leave it behind.
        pid_t parent = getppid();
        std::thread([parent] {
            while (getppid() == parent)
                std::this_thread::sleep_for(std::chrono::milliseconds(250));
            kill(getpid(), SIGTERM);
        }).detach();
    }
    int sig = 0;
    sigwait(&set, &sig);
    server.Stop();
    return 0;
}

} // namespace quorvel

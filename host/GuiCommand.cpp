// tavren gui [--port N] [--storage DIR] [--no-machine] [--web DIR] [--sampler]
//
// The pieces, in order: an emulated machine in this process (the socket in a temporary folder,
// QUORVEL_SOCKET pointing at it), a temporary drive map with a PC drive and a USB flash drive
// holding sample designs (unless TAVREN_DRIVES is set), the module loaded with dlopen (an export
// that is missing is not offered), the HTTP server on 127.0.0.1, and then the main thread as the
// host's UI thread: it waits for the page to ask for an export and runs it, one at a time.
//
// The page is served from the source folder (host/web, its path compiled in; --web or
// TAVREN_WEB_DIR overrides it), so that editing the page needs no rebuild.
#include "host/GuiCommand.h"

#include "host/GuiActions.h"
#include "host/GuiSamplerDlg.h"
#include "host/GuiSnapshotJson.h"
#include "host/MachineCommand.h"
#include "host/PngBuffer.h"
#include "module/TavrenApi.h"
#include "platform/seam/Automation.h"
#include "platform/file/DriveMap.h"
#include "platform/file/DriveWatcher.h"
#include "platform/gdi/Gdi.h"
#include "platform/user/Icon.h"
#include "platform/afx/ImageList.h"

#if __has_include("machine/MachineServer.h")
#include "machine/MachineServer.h"
#include "machine/WireProtocol.h"
#include "machine/WireReader.h"
#include "machine/WireSocket.h"
#include "machine/WireWriter.h"
#define TAVREN_GUI_MACHINE 1
#endif

#include <httplib.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dlfcn.h>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <sstream>
#include <thread>
#include <sys/socket.h>
#include <unistd.h>

#ifndef TAVREN_WEB_DIR
#define TAVREN_WEB_DIR "host/web"
#endif

namespace fs = std::filesystem;
using nlohmann::json;

namespace {

std::atomic<bool> g_bStop{false};
void OnSignal(int) { g_bStop = true; }

fs::path ProgramDir()
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path(".") : self.parent_path();
}

std::string LowerExtension(const fs::path& p)
{
    std::string e = p.extension().string();
    for (char& c : e)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

// The fixture files with one of these extensions, sorted by path.
std::vector<fs::path> SampleFiles(std::initializer_list<const char*> extensions)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(FixturesDir(), ec), end; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec))
            continue;
        std::string ext = LowerExtension(it->path());
        for (const char* e : extensions)
            if (ext == e)
                out.push_back(it->path());
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<uint8_t> ReadFile(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// ---- the module's exports, as a host finds them
struct Exports {
    void* hModule = nullptr;
    decltype(&::ChangeLanguage) pfnChangeLanguage = nullptr;
    decltype(&::ComSetDialog) pfnComSetDialog = nullptr;
    decltype(&::WriteSendDialog) pfnWriteSendDialog = nullptr;
    decltype(&::WriteSendStxDialog) pfnWriteSendStxDialog = nullptr;
    decltype(&::ManageStxDialog) pfnManageStxDialog = nullptr;

    bool Load(const fs::path& folder, std::string& strError)
    {
        hModule = dlopen((folder / "libTavren.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!hModule) {
            const char* e = dlerror();
            strError = e ? e : "cannot load libTavren.so";
            return false;
        }
        pfnChangeLanguage = reinterpret_cast<decltype(pfnChangeLanguage)>(dlsym(hModule, "ChangeLanguage"));
        pfnComSetDialog = reinterpret_cast<decltype(pfnComSetDialog)>(dlsym(hModule, "ComSetDialog"));
        pfnWriteSendDialog = reinterpret_cast<decltype(pfnWriteSendDialog)>(dlsym(hModule, "WriteSendDialog"));
        pfnWriteSendStxDialog = reinterpret_cast<decltype(pfnWriteSendStxDialog)>(dlsym(hModule, "WriteSendStxDialog"));
        pfnManageStxDialog = reinterpret_cast<decltype(pfnManageStxDialog)>(dlsym(hModule, "ManageStxDialog"));
        return true;
    }
};

// What the host application keeps between calls, as a real host would: the last folder and
// storage of Write a Design, and the sample files it offers to send.
struct HostState {
    std::u16string strFolder;
    int32_t nStorage = 0;
    int32_t nSelectAfterSend = 1;
    fs::path designSample;
    fs::path stxSample;
    std::atomic<int> nLanguage{1033}; // read by the page's threads
};

// ---- one call at a time from the page to the UI thread
struct Call {
    std::string strExport;
    int nLanguage = 1033;
};

class CallQueue {
public:
    // False with a reason when a call is running or waiting.
    bool Post(Call call, std::string& strError)
    {
        std::lock_guard lock(m_mutex);
        if (m_pending || !m_strBusy.empty()) {
            strError = "the host is busy with " + (m_strBusy.empty() ? m_pending->strExport : m_strBusy);
            return false;
        }
        m_pending = std::move(call);
        ++m_nPosted;
        m_cv.notify_all();
        return true;
    }
    // On the UI thread: the next call, or nullopt when stopping.
    std::optional<Call> Take()
    {
        std::unique_lock lock(m_mutex);
        while (!m_pending && !g_bStop)
            m_cv.wait_for(lock, std::chrono::milliseconds(100));
        if (!m_pending)
            return std::nullopt;
        Call c = std::move(*m_pending);
        m_pending.reset();
        m_strBusy = c.strExport;
        return c;
    }
    void Done(json result)
    {
        std::lock_guard lock(m_mutex);
        m_strBusy.clear();
        m_last = std::move(result);
        ++m_nDone;
        m_cv.notify_all();
    }
    // Waits (bounded) until the call posted last has ended.
    bool WaitDone(DWORD dwTimeoutMs)
    {
        std::unique_lock lock(m_mutex);
        return m_cv.wait_for(lock, std::chrono::milliseconds(dwTimeoutMs), [this] { return m_nDone == m_nPosted; });
    }
    json State()
    {
        std::lock_guard lock(m_mutex);
        std::string strBusy = !m_strBusy.empty() ? m_strBusy : m_pending ? m_pending->strExport : "";
        return {{"busy", strBusy.empty() ? json(nullptr) : json(strBusy)}, {"last", m_last}};
    }
    void Wake() { m_cv.notify_all(); }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    std::optional<Call> m_pending;
    std::string m_strBusy;
    json m_last = nullptr;
    uint64_t m_nPosted = 0;
    uint64_t m_nDone = 0;
};

const char* ResultName(int32_t n)
{
    switch (n) {
    case IDOK:
        return "IDOK";
    case IDCANCEL:
        return "IDCANCEL";
    default:
        return "";
    }
}

// On the UI thread.
json RunCall(const Call& call, const Exports& ex, HostState& host)
{
    json r = {{"export", call.strExport}};
    if (call.strExport == "ChangeLanguage" && ex.pfnChangeLanguage) {
        bool bOk = ex.pfnChangeLanguage(call.nLanguage);
        if (bOk)
            host.nLanguage = call.nLanguage;
        r["result"] = bOk;
        r["language"] = call.nLanguage;
    } else if (call.strExport == "ComSetDialog" && ex.pfnComSetDialog) {
        int32_t n = ex.pfnComSetDialog(0, 0);
        r["result"] = n;
        r["name"] = ResultName(n);
    } else if ((call.strExport == "WriteSendDialog" && ex.pfnWriteSendDialog) ||
               (call.strExport == "WriteSendStxDialog" && ex.pfnWriteSendStxDialog)) {
        bool bStx = call.strExport == "WriteSendStxDialog";
        const fs::path& file = bStx ? host.stxSample : host.designSample;
        std::vector<uint8_t> bytes = ReadFile(file);
        std::u16string strName = Utf8ToUtf16(file.filename().string());
        std::vector<char16_t> folder(260, 0);
        std::copy_n(host.strFolder.begin(), std::min<size_t>(host.strFolder.size(), folder.size() - 1), folder.begin());
        auto pfn = bStx ? ex.pfnWriteSendStxDialog : ex.pfnWriteSendDialog;
        // Target 2: the machine or a USB flash drive; the host offers select-after-send.
        int32_t n = pfn(bytes.data(), static_cast<uint32_t>(bytes.size()), strName.c_str(), 1, folder.data(),
                        static_cast<uint32_t>(folder.size() * sizeof(char16_t)), &host.nStorage, &host.nSelectAfterSend,
                        2, 0, 0);
        folder.back() = 0;
        host.strFolder = folder.data();
        r["result"] = n;
        r["name"] = ResultName(n);
        r["file"] = file.filename().string();
        r["folder"] = Utf16ToUtf8(host.strFolder);
        r["storage"] = host.nStorage;
    } else if (call.strExport == "Sampler") {
        CGuiSamplerDlg dlg;
        int32_t n = static_cast<int32_t>(dlg.DoModal());
        r["result"] = n;
        r["name"] = ResultName(n);
    } else if (call.strExport == "ManageStxDialog" && ex.pfnManageStxDialog) {
        int32_t n = ex.pfnManageStxDialog(0, 0, 2);
        r["result"] = n;
        r["name"] = ResultName(n);
    } else {
        r["error"] = "the module has no such export";
    }
    return r;
}

// ---- the machine's state, through its ctl command
struct MachineLink {
    std::string strSocket;
    bool bRunning = false;
    std::mutex mutex;
    json cached = nullptr;
    std::chrono::steady_clock::time_point when{};

    // Runs one ctl command ("show" with no words); the machine's report, or an error.
    json Control(const std::vector<std::string>& words)
    {
#ifdef TAVREN_GUI_MACHINE
        if (!bRunning)
            return {{"running", false}};
        int fd = quorvel::ConnectSocket(strSocket);
        if (fd < 0)
            return {{"running", false}, {"error", "the machine does not answer"}};
        quorvel::CWireWriter w;
        w.U16(static_cast<uint16_t>(quorvel::Op::Control));
        w.U16(0);
        w.U32(0);
        w.U32(static_cast<uint32_t>(words.size()));
        for (const std::string& s : words)
            w.Text(s);
        std::vector<uint8_t> body;
        quorvel::IoResult io = quorvel::WriteFrame(fd, w.Frame(), 2000);
        if (io == quorvel::IoResult::Ok)
            io = quorvel::ReadFrame(fd, &body, 2000);
        quorvel::CloseSocket(fd);
        quorvel::CWireReader in(body);
        int32_t nResult = in.I32();
        std::string strText = in.Text();
        if (io != quorvel::IoResult::Ok || in.Failed())
            return {{"running", true}, {"error", "the machine did not answer"}};
        if (nResult != 0)
            return {{"running", true}, {"error", strText}};
        // "cable plugged", "usb1 present", "capacity 1 none" ...: the first word is the key.
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
        return {{"running", true}, {"state", state}};
#else
        return {{"running", false}};
#endif
    }

    // At most twice a second, however often the page asks.
    json Show()
    {
        std::lock_guard lock(mutex);
        auto now = std::chrono::steady_clock::now();
        if (cached.is_null() || now - when > std::chrono::milliseconds(500)) {
            cached = Control({"show"});
            when = now;
        }
        return cached;
    }
    void Forget()
    {
        std::lock_guard lock(mutex);
        cached = nullptr;
    }
};

// ---- the PC's USB flash drive, which the page can pull out and plug in again
struct PcDrives {
    bool bOurs = false; // the map was made here (TAVREN_DRIVES was not set by the user)
    std::mutex mutex;
    std::optional<tavren::Drive> removed;

    json State()
    {
        json drives = json::array();
        for (const tavren::Drive& d : tavren::DriveMap::Instance().Drives())
            drives.push_back({{"letter", Utf16ToUtf8(std::u16string(1, d.letter))},
                              {"type", d.type == DRIVE_REMOVABLE ? "removable" : d.type == DRIVE_FIXED ? "fixed" : "other"},
                              {"present", true}});
        std::lock_guard lock(mutex);
        if (removed)
            drives.push_back({{"letter", Utf16ToUtf8(std::u16string(1, removed->letter))}, {"type", "removable"}, {"present", false}});
        return {{"drives", drives}, {"switchable", bOurs}};
    }

    // Pulls out (bPlugged false) or plugs in the removable drive; the watcher tells the windows.
    bool Set(bool bPlugged, std::string& strError)
    {
        std::lock_guard lock(mutex);
        std::vector<tavren::Drive> drives = tavren::DriveMap::Instance().Drives();
        if (bPlugged) {
            if (!removed)
                return true;
            drives.push_back(*removed);
            removed.reset();
        } else {
            auto it = std::find_if(drives.begin(), drives.end(), [](const tavren::Drive& d) { return d.type == DRIVE_REMOVABLE; });
            if (it == drives.end()) {
                strError = "no removable drive to pull out";
                return false;
            }
            removed = *it;
            drives.erase(it);
        }
        tavren::DriveMap::Instance().SetDrives(drives);
        return true;
    }
};

json ParseBody(const httplib::Request& req)
{
    json j = json::parse(req.body, nullptr, false);
    return j.is_object() ? j : json::object();
}

void SendJson(httplib::Response& res, const json& j, int nStatus = 200)
{
    res.status = nStatus;
    res.set_header("Cache-Control", "no-store");
    res.set_content(j.dump(-1, ' ', false, json::error_handler_t::replace), "application/json");
}

void SendPng(httplib::Response& res, const std::vector<uint8_t>& png)
{
    if (png.empty()) {
        res.status = 404;
        return;
    }
    // The URL carries a version (resource id or content hash), so a picture never goes stale.
    res.set_header("Cache-Control", "max-age=3600");
    res.set_content(reinterpret_cast<const char*>(png.data()), png.size(), "image/png");
}

std::string ReadText(const fs::path& p, bool& bFound)
{
    std::ifstream in(p, std::ios::binary);
    bFound = static_cast<bool>(in);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// After a stop was asked for while a dialog runs: close what is open, front first, as a person
// would, so the export returns and the program can end.
void CloseEverything(const std::atomic<bool>& bExportRunning)
{
    for (int i = 0; i < 200 && bExportRunning; ++i) {
        tavren::Snapshot s = tavren::TakeSnapshot(1000);
        if (const tavren::WindowInfo* p = s.Front()) {
            if (p->kind == tavren::WindowInfo::Kind::Menu)
                tavren::ChooseMenuItem(p->hWnd, 0);
            else if (p->kind == tavren::WindowInfo::Kind::MessageBox && !p->buttons.empty())
                tavren::ClickButton(p->Control(p->buttons.back()) ? p->Control(p->buttons.back())->hWnd : 0);
            else
                tavren::CloseWindow(p->hWnd);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void Usage(FILE* out)
{
    std::fprintf(out,
                 "usage: tavren gui [--port N] [--storage DIR] [--no-machine] [--web DIR] [--sampler]\n"
                 "  Shows the module's dialogs in a browser at http://127.0.0.1:N/ (default 8080; 0 picks a free port),\n"
                 "  with an emulated machine holding demo designs (in DIR when given) and, unless TAVREN_DRIVES\n"
                 "  is set, a PC drive C: and a USB flash drive E: with sample designs. --sampler also offers a\n"
                 "  dialog of the host's own with one of each kind of control, to try the page on.\n");
}

} // namespace

int RunGuiCommand(int argc, char** argv)
{
    int nPort = 8080;
    std::string strStorage, strWeb;
    bool bMachine = true, bSampler = false;
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--port") && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (!end || *end || n < 0 || n > 65535) {
                std::fprintf(stderr, "tavren gui: bad port \"%s\"\n", argv[i]);
                return 2;
            }
            nPort = static_cast<int>(n);
        } else if (a == "--storage" && i + 1 < argc) {
            strStorage = argv[++i];
        } else if (a == "--web" && i + 1 < argc) {
            strWeb = argv[++i];
        } else if (a == "--sampler") {
            bSampler = true;
        } else if (a == "--no-machine") {
            bMachine = false;
        } else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "tavren gui: unknown argument \"%s\"\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (strWeb.empty()) {
        const char* env = std::getenv("TAVREN_WEB_DIR");
        strWeb = env && *env ? env : TAVREN_WEB_DIR;
    }
    if (!fs::exists(fs::path(strWeb) / "index.html")) {
        std::fprintf(stderr, "tavren gui: the page is not in %s (give --web DIR)\n", strWeb.c_str());
        return 1;
    }

    // Everything temporary lives in one folder, removed at the end.
    char tmpl[] = "/tmp/tavren-gui-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::fprintf(stderr, "tavren gui: cannot make a temporary folder: %s\n", std::strerror(errno));
        return 1;
    }
    fs::path temp = tmpl;
    std::error_code ec;

    HostState host;
    if (auto designs = SampleFiles({".qef", ".qef+", ".qpx", ".dst"}); !designs.empty())
        host.designSample = designs.front();
    if (auto stx = SampleFiles({".stx"}); !stx.empty())
        host.stxSample = stx.front();

    // The machine.
    MachineLink machine;
#ifdef TAVREN_GUI_MACHINE
    std::unique_ptr<quorvel::CMachineServer> pServer;
    if (bMachine) {
        fs::path storage = strStorage.empty() ? temp / "machine" : fs::path(strStorage);
        if (strStorage.empty()) {
            fs::create_directories(storage, ec);
            MakeDemoStorage(storage);
        }
        machine.strSocket = (temp / "machine.sock").string();
        setenv("QUORVEL_SOCKET", machine.strSocket.c_str(), 1);
        pServer = std::make_unique<quorvel::CMachineServer>(storage, machine.strSocket);
        std::string strError;
        if (!pServer->Start(&strError)) {
            std::fprintf(stderr, "tavren gui: the emulated machine did not start: %s\n", strError.c_str());
            fs::remove_all(temp, ec);
            return 1;
        }
        machine.bRunning = true;
    }
#endif
    if (!bMachine)
        setenv("QUORVEL_SOCKET", (temp / "no-machine.sock").c_str(), 1); // nothing answers there

    // The drives: C: a PC folder with sample designs, E: a USB flash drive with its working folder.
    PcDrives drives;
    if (const char* env = std::getenv("TAVREN_DRIVES"); !env || !*env) {
        fs::path pc = temp / "pc", usb = temp / "usb";
        fs::create_directories(pc / "Designs", ec);
        fs::create_directories(usb / "EMB" / "Embf", ec);
        fs::create_directories(usb / "ORD" / "Ordf", ec);
        for (const fs::path& f : SampleFiles({".qef", ".qef+", ".qpx", ".dst"})) {
            fs::copy_file(f, pc / "Designs" / f.filename(), fs::copy_options::skip_existing, ec);
            fs::copy_file(f, usb / "EMB" / "Embf" / f.filename(), fs::copy_options::skip_existing, ec);
        }
        for (const fs::path& f : SampleFiles({".stx"}))
            fs::copy_file(f, usb / "ORD" / "Ordf" / f.filename(), fs::copy_options::skip_existing, ec);
        std::string strDrives = "C=fixed:" + pc.string() + ";E=removable:" + usb.string();
        setenv("TAVREN_DRIVES", strDrives.c_str(), 1);
        tavren::DriveMap::Instance().Reload();
        drives.bOurs = true;
    }
    tavren::InstallDriveBroadcasts();

    // The module.
    Exports ex;
    std::string strError;
    if (!ex.Load(ProgramDir(), strError)) {
        std::fprintf(stderr, "tavren gui: %s\n", strError.c_str());
        fs::remove_all(temp, ec);
        return 1;
    }
    auto Offered = [&] {
        json a = json::array();
        if (ex.pfnComSetDialog)
            a.push_back({{"name", "ComSetDialog"}, {"label", "Connection Settings"}});
        if (ex.pfnWriteSendDialog && !host.designSample.empty())
            a.push_back({{"name", "WriteSendDialog"}, {"label", "Write a Design"}, {"file", host.designSample.filename().string()}});
        if (ex.pfnWriteSendStxDialog && !host.stxSample.empty())
            a.push_back({{"name", "WriteSendStxDialog"}, {"label", "Write an STX Pattern"}, {"file", host.stxSample.filename().string()}});
        if (ex.pfnManageStxDialog)
            a.push_back({{"name", "ManageStxDialog"}, {"label", "File Manager"}});
        if (bSampler)
            a.push_back({{"name", "Sampler"}, {"label", "Control Sampler"}});
        return a;
    };
    json exports = Offered();

    // The server.
    CallQueue calls;
    std::atomic<bool> bExportRunning{false};
    httplib::Server server;
    fs::path web = strWeb;
    server.Get("/", [&](const httplib::Request&, httplib::Response& res) { res.set_redirect("/index.html"); });
    server.Get(R"(/([A-Za-z0-9_-]+\.(html|js|css|svg)))", [&](const httplib::Request& req, httplib::Response& res) {
        bool bFound = false;
        std::string strBody = ReadText(web / req.matches[1].str(), bFound);
        if (!bFound) {
            res.status = 404;
            return;
        }
        std::string ext = req.matches[2];
        const char* type = ext == "html" ? "text/html; charset=utf-8"
                           : ext == "js"  ? "text/javascript; charset=utf-8"
                           : ext == "css" ? "text/css; charset=utf-8"
                                          : "image/svg+xml";
        res.set_header("Cache-Control", "no-cache");
        res.set_content(strBody, type);
    });
    server.Get("/api/state", [&](const httplib::Request&, httplib::Response& res) {
        json j = calls.State();
        j["exports"] = exports;
        j["language"] = host.nLanguage.load();
        j["canChangeLanguage"] = ex.pfnChangeLanguage != nullptr;
        j["machine"] = machine.Show();
        j["pc"] = drives.State();
        j["snapshot"] = SnapshotToJson(tavren::TakeSnapshot(2000));
        SendJson(res, j);
    });
    server.Post("/api/call", [&](const httplib::Request& req, httplib::Response& res) {
        json body = ParseBody(req);
        Call call{body.value("export", ""), body.value("language", 1033)};
        bool bKnown = call.strExport == "ChangeLanguage" ? ex.pfnChangeLanguage != nullptr : false;
        for (const json& e : exports)
            bKnown = bKnown || e["name"] == call.strExport;
        if (!bKnown)
            return SendJson(res, {{"ok", false}, {"error", "the module has no export \"" + call.strExport + "\""}}, 404);
        std::string strWhy;
        if (!calls.Post(call, strWhy))
            return SendJson(res, {{"ok", false}, {"error", strWhy}}, 409);
        // The language switch shows nothing: answer when it is done, so the page sees the result.
        if (call.strExport == "ChangeLanguage")
            calls.WaitDone(5000);
        SendJson(res, {{"ok", true}});
    });
    server.Post("/api/act", [&](const httplib::Request& req, httplib::Response& res) {
        json r = PerformAction(ParseBody(req));
        SendJson(res, r, r["ok"] ? 200 : 409);
    });
    server.Post("/api/machine", [&](const httplib::Request& req, httplib::Response& res) {
        json body = ParseBody(req);
        std::vector<std::string> words;
        if (body.contains("words") && body["words"].is_array())
            for (const json& w : body["words"])
                if (w.is_string())
                    words.push_back(w);
        json r = machine.Control(words);
        machine.Forget();
        SendJson(res, r, r.contains("error") ? 409 : 200);
    });
    server.Post("/api/pc-drive", [&](const httplib::Request& req, httplib::Response& res) {
        json body = ParseBody(req);
        std::string strWhy;
        if (!drives.bOurs)
            return SendJson(res, {{"ok", false}, {"error", "TAVREN_DRIVES was set by the user"}}, 409);
        bool bOk = drives.Set(body.value("plugged", true), strWhy);
        SendJson(res, {{"ok", bOk}, {"error", strWhy}}, bOk ? 200 : 409);
    });
    server.Get(R"(/pic/il/(\d+)/(\d+)\.png)", [&](const httplib::Request& req, httplib::Response& res) {
        tavren::ImageListPicture pic;
        auto h = static_cast<HIMAGELIST>(std::stoul(req.matches[1]));
        if (!tavren::GetImageListPicture(h, std::stoi(req.matches[2]), pic))
            return void(res.status = 404);
        SendPng(res, EncodePngBgr(pic.cx, pic.cy, pic.bgr, &pic.transparent));
    });
    server.Get(R"(/pic/icon/(\d+)\.png)", [&](const httplib::Request& req, httplib::Response& res) {
        int cx = 0, cy = 0;
        std::vector<uint8_t> bgra;
        if (!tavren::GetIconPicture(static_cast<HICON>(std::stoul(req.matches[1])), &cx, &cy, &bgra))
            return void(res.status = 404);
        SendPng(res, EncodePngBgra(cx, cy, bgra));
    });
    server.Get(R"(/pic/bmp/(\d+)\.png)", [&](const httplib::Request& req, httplib::Response& res) {
        int cx = 0, cy = 0;
        std::vector<uint8_t> bgr;
        if (!tavren::GetBitmapPixels(static_cast<HBITMAP>(std::stoul(req.matches[1])), cx, cy, bgr))
            return void(res.status = 404);
        SendPng(res, EncodePngBgr(cx, cy, bgr));
    });

    // Reuse an address left waiting by an earlier run, but never share a port that another
    // program listens on (the library's default would also set SO_REUSEPORT).
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (nPort == 0) {
        nPort = server.bind_to_any_port("127.0.0.1");
    } else if (!server.bind_to_port("127.0.0.1", nPort)) {
        nPort = -1;
    }
    if (nPort <= 0) {
        std::fprintf(stderr, "tavren gui: cannot listen on 127.0.0.1 (is the port in use? try --port 0)\n");
        fs::remove_all(temp, ec);
        return 1;
    }
    std::thread httpThread([&] { server.listen_after_bind(); });

    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::thread stopper([&] {
        while (!g_bStop)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        calls.Wake();
        CloseEverything(bExportRunning);
    });

    std::printf("Tavren is at http://127.0.0.1:%d/\n", nPort);
    std::fflush(stdout);

    // The host's UI thread: one export at a time, each running its own modal loop.
    while (auto call = calls.Take()) {
        bExportRunning = true;
        json result = RunCall(*call, ex, host);
        bExportRunning = false;
        calls.Done(result);
    }

    server.stop();
    httpThread.join();
    stopper.join();
#ifdef TAVREN_GUI_MACHINE
    if (pServer)
        pServer->Stop();
#endif
    fs::remove_all(temp, ec);
    std::printf("tavren gui: stopped\n");
    return 0;
}

// tavren gui [--port N] [--storage DIR] [--no-machine] [--web DIR] [--sampler] [--open]
//
// The pieces, in order: an emulated machine in this process (GuiMachine), a temporary drive map
// with a PC drive and a USB flash drive holding sample designs (PcDriveSwitch, unless
// TAVREN_DRIVES is set), the module loaded with dlopen (ModuleExports; an export that is missing
// is not offered), the HTTP server on 127.0.0.1 (GuiRoutes), and then the main thread as the
// host's UI thread: it waits for the page to ask for an export (UiCallQueue) and runs it
// (HostSession), one at a time.
//
// The page is served from --web, else TAVREN_WEB_DIR, else share/tavren/web of an installed
// program, else the source folder (host/gui/web, its path compiled in), so that editing the page
// needs no rebuild.
#include "host/gui/GuiCommand.h"

#include "host/cli/InstallLayout.h"
#include "host/gui/GuiGuard.h"
#include "host/gui/GuiMachine.h"
#include "host/gui/GuiRoutes.h"
#include "host/gui/HostSession.h"
#include "host/gui/ImageListPngCache.h"
#include "host/gui/ModuleExports.h"
#include "host/gui/PcDriveSwitch.h"
#include "host/gui/UiCallQueue.h"
#include "platform/file/DriveWatcher.h"
#include "platform/seam/Automation.h"

#include <httplib.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#ifndef TAVREN_WEB_DIR
#define TAVREN_WEB_DIR "host/gui/web"
#endif

namespace fs = std::filesystem;

namespace {

std::atomic<bool> g_bStop{false};
void OnSignal(int) { g_bStop = true; }

struct GuiOptions {
    int nPort = 8080;
    std::string strStorage;
    std::string strWeb;
    bool bMachine = true;
    bool bSampler = false;
    bool bOpen = false;
};

void Usage(FILE* out)
{
    std::fprintf(out,
                 "usage: tavren gui [--port N] [--storage DIR] [--no-machine] [--web DIR] [--sampler] [--open]\n"
                 "  Shows the module's dialogs in a browser at http://127.0.0.1:N/ (default 8080; 0 picks a free port).\n"
                 "  Open the whole address it prints: its token lets that browser, and no other page, drive it.\n"
                 "  It starts an emulated machine holding demo designs (in DIR when given) and, unless TAVREN_DRIVES\n"
                 "  is set, a PC drive C: and a USB flash drive E: with sample designs. --sampler also offers a\n"
                 "  dialog of the host's own with one of each kind of control, to try the page on. --open opens the\n"
                 "  address in the desktop's browser (xdg-open, or the program TAVREN_BROWSER names).\n");
}

// -1 to go on, else the exit code.
int ParseOptions(int argc, char** argv, GuiOptions& opt)
{
    for (int i = 1; i < argc; ++i) {
        std::string a = argv[i];
        if ((a == "--port") && i + 1 < argc) {
            char* end = nullptr;
            long n = std::strtol(argv[++i], &end, 10);
            if (!end || *end || n < 0 || n > 65535) {
                std::fprintf(stderr, "tavren gui: bad port \"%s\"\n", argv[i]);
                return 2;
            }
            opt.nPort = static_cast<int>(n);
        } else if (a == "--storage" && i + 1 < argc) {
            opt.strStorage = argv[++i];
        } else if (a == "--web" && i + 1 < argc) {
            opt.strWeb = argv[++i];
        } else if (a == "--sampler") {
            opt.bSampler = true;
        } else if (a == "--open") {
            opt.bOpen = true;
        } else if (a == "--no-machine") {
            opt.bMachine = false;
        } else if (a == "--help" || a == "-h") {
            Usage(stdout);
            return 0;
        } else {
            std::fprintf(stderr, "tavren gui: unknown argument \"%s\"\n", a.c_str());
            Usage(stderr);
            return 2;
        }
    }
    if (opt.strWeb.empty()) {
        const char* env = std::getenv("TAVREN_WEB_DIR");
        const fs::path installed = InstalledData("web");
        opt.strWeb = env && *env ? env : !installed.empty() ? installed.string() : TAVREN_WEB_DIR;
    }
    if (!fs::exists(fs::path(opt.strWeb) / "index.html")) {
        std::fprintf(stderr, "tavren gui: the page is not in %s (give --web DIR)\n", opt.strWeb.c_str());
        return 1;
    }
    return -1;
}

// The port listened on (a free one for 0), or -1.
int Bind(httplib::Server& server, int nPort)
{
    // Reuse an address left waiting by an earlier run, but never share a port that another
    // program listens on (the library's default would also set SO_REUSEPORT).
    server.set_socket_options([](socket_t sock) {
        int yes = 1;
        setsockopt(sock, SOL_SOCKET, SO_REUSEADDR, &yes, sizeof yes);
    });
    if (nPort == 0)
        nPort = server.bind_to_any_port("127.0.0.1");
    else if (!server.bind_to_port("127.0.0.1", nPort))
        nPort = -1;
    return nPort > 0 ? nPort : -1;
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

// The host's UI thread until SIGINT, SIGTERM or SIGHUP (its terminal closed, as when the desktop
// entry started it): one export at a time, each running its own modal loop.
void RunUiThread(CUiCallQueue& calls, CHostSession& session)
{
    std::atomic<bool> bExportRunning{false};
    std::signal(SIGINT, OnSignal);
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGHUP, OnSignal);
    std::thread stopper([&] {
        while (!g_bStop)
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        calls.Stop();
        CloseEverything(bExportRunning);
    });
    while (auto call = calls.Take()) {
        bExportRunning = true;
        nlohmann::json result = session.Run(*call);
        bExportRunning = false;
        calls.Done(result);
    }
    stopper.join();
}

// --open: the address in a browser, started in a session of its own so that it outlives this
// program and never reads its terminal. TAVREN_BROWSER names the program to run instead of
// xdg-open; xdg-open is tried only where there is a display. False when there is none to run.
bool OpenInBrowser(const std::string& strAddress)
{
    const char* browser = std::getenv("TAVREN_BROWSER");
    const char* x11 = std::getenv("DISPLAY");
    const char* wayland = std::getenv("WAYLAND_DISPLAY");
    if (!(browser && *browser) && !(x11 && *x11) && !(wayland && *wayland))
        return false;
    std::string strProgram = browser && *browser ? browser : "xdg-open", strArg = strAddress;
    char* args[] = {strProgram.data(), strArg.data(), nullptr};
    posix_spawnattr_t attr;
    posix_spawnattr_init(&attr);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSID);
    posix_spawn_file_actions_t files;
    posix_spawn_file_actions_init(&files);
    posix_spawn_file_actions_addopen(&files, 0, "/dev/null", O_RDONLY, 0);
    pid_t pid = 0;
    const int rc = posix_spawnp(&pid, args[0], &files, &attr, args, environ);
    posix_spawn_file_actions_destroy(&files);
    posix_spawnattr_destroy(&attr);
    if (rc != 0)
        return false;
    std::thread([pid] {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return true;
}

int Fail(const fs::path& temp, const std::string& strWhy)
{
    std::fprintf(stderr, "tavren gui: %s\n", strWhy.c_str());
    std::error_code ec;
    fs::remove_all(temp, ec);
    return 1;
}

} // namespace

int RunGuiCommand(int argc, char** argv)
{
    GuiOptions opt;
    if (int rc = ParseOptions(argc, argv, opt); rc >= 0)
        return rc;

    // Everything temporary lives in one folder, removed at the end.
    char tmpl[] = "/tmp/tavren-gui-XXXXXX";
    if (!mkdtemp(tmpl)) {
        std::fprintf(stderr, "tavren gui: cannot make a temporary folder: %s\n", std::strerror(errno));
        return 1;
    }
    fs::path temp = tmpl;

    CGuiMachine machine;
    std::string strError;
    if (!opt.bMachine)
        machine.StartNone(temp);
    else if (!machine.Start(temp, opt.strStorage, strError))
        return Fail(temp, "the emulated machine did not start: " + strError);
    CPcDriveSwitch drives;
    drives.MakeSampleDrives(temp);
    tavren::InstallDriveBroadcasts();
    CModuleExports exports;
    if (!exports.Load(LibraryDir(), strError))
        return Fail(temp, strError);

    CHostSession session(exports, opt.bSampler);
    CUiCallQueue calls;
    CImageListPngCache pictures;
    CGuiRoutes routes(opt.strWeb, session, calls, machine, drives, pictures);
    httplib::Server server;
    CGuiGuard guard;
    guard.Install(server);
    routes.Install(server);
    int nPort = Bind(server, opt.nPort);
    if (nPort < 0)
        return Fail(temp, "cannot listen on 127.0.0.1 (is the port in use? try --port 0)");
    guard.SetPort(nPort);
    std::thread httpThread([&] { server.listen_after_bind(); });
    // The address carries this run's token: only who has it can use the page.
    std::printf("Tavren is at %s\n", guard.Address().c_str());
    if (opt.bOpen && !OpenInBrowser(guard.Address()))
        std::printf("tavren gui: no display or no browser to open it with: open the address above yourself\n");
    std::fflush(stdout);

    RunUiThread(calls, session);

    routes.Stop();
    server.stop();
    httpThread.join();
    machine.Stop();
    std::error_code ec;
    fs::remove_all(temp, ec);
    std::printf("tavren gui: stopped\n");
    return 0;
}

// tavren: the host program. It composes the module, the picture writer and the emulated machine;
// each command is a file of its own.
#include <cstdio>
#include <cstring>
#include <string>

#if __has_include("host/cli/InfoCommand.h")
#include "host/cli/InfoCommand.h"
#define TAVREN_HAS_INFO 1
#endif
#if __has_include("host/cli/PreviewCommand.h")
#include "host/cli/PreviewCommand.h"
#define TAVREN_HAS_PREVIEW 1
#endif
#if __has_include("host/cli/MachineCommand.h")
#include "host/cli/MachineCommand.h"
#define TAVREN_HAS_MACHINE 1
#endif
#if __has_include("host/cli/ConvertCommand.h")
#include "host/cli/ConvertCommand.h"
#define TAVREN_HAS_CONVERT 1
#endif
#if __has_include("host/cli/ThumbnailCommand.h")
#include "host/cli/ThumbnailCommand.h"
#include "host/cli/DesktopCommand.h"
#define TAVREN_HAS_THUMBNAIL 1
#endif
#if __has_include("host/gui/GuiCommand.h")
#include "host/gui/GuiCommand.h"
#define TAVREN_HAS_GUI 1
#endif

#ifndef TAVREN_VERSION
#define TAVREN_VERSION "unknown"
#endif

namespace {

struct Command {
    const char* name;
    const char* usage;
    int (*run)(int, char**);
};

const Command kCommands[] = {
#ifdef TAVREN_HAS_INFO
    {"info", "info [--json] [--words] FILE...   what a design or STX file holds, and whether the machine takes it (a DST file: its design)",
     RunInfoCommand},
#endif
#ifdef TAVREN_HAS_PREVIEW
    {"preview", "preview FILE [-o OUT.png] [--size N] [--list-picture] [--checked]   a picture of a design",
     RunPreviewCommand},
#endif
#ifdef TAVREN_HAS_CONVERT
    {"convert", "convert IN.dst [-o OUT.qef|OUT.qef+|OUT.qpx] [--force]   a DST design as a file the machine reads (refused when it could not take it)",
     RunConvertCommand},
#endif
#ifdef TAVREN_HAS_THUMBNAIL
    {"thumbnail", "thumbnail -s SIZE FILE OUT.png   the file manager's thumbnail of a design or STX file", RunThumbnailCommand},
    {"install-desktop", "install-desktop [--exec PATH]   file types and thumbnails of designs in the desktop, for this user",
     RunInstallDesktopCommand},
    {"uninstall-desktop", "uninstall-desktop   removes what install-desktop put", RunUninstallDesktopCommand},
#endif
#ifdef TAVREN_HAS_MACHINE
    {"machine", "machine [--storage DIR] [--socket PATH]   start an emulated sewing machine", RunMachineCommand},
#endif
#ifdef TAVREN_HAS_GUI
    {"gui", "gui [--port N] [--storage DIR] [--no-machine] [--sampler] [--open]   the dialogs in a browser, with an emulated machine", RunGuiCommand},
#endif
};

void Usage(FILE* out)
{
    std::fprintf(out, "usage: tavren COMMAND [ARGS...]\n\nMoves embroidery designs between a PC and a sewing machine.\n\ncommands:\n");
    for (const auto& c : kCommands)
        std::fprintf(out, "  %s\n", c.usage);
    std::fprintf(out, "  --help   this text\n  --version   the program's version\n");
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2 || !std::strcmp(argv[1], "--help") || !std::strcmp(argv[1], "-h") || !std::strcmp(argv[1], "help")) {
        Usage(argc < 2 ? stderr : stdout);
        return argc < 2 ? 2 : 0;
    }
    if (!std::strcmp(argv[1], "--version")) {
        std::printf("tavren %s\n", TAVREN_VERSION);
        return 0;
    }
    for (const auto& c : kCommands)
        if (std::string(argv[1]) == c.name)
            return c.run(argc - 1, argv + 1);
    std::fprintf(stderr, "tavren: unknown command \"%s\"\n\n", argv[1]);
    Usage(stderr);
    return 2;
}

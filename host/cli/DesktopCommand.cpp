#include "host/cli/DesktopCommand.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {

struct DesignType {
    const char* mime;
    const char* glob;
    const char* comment;
};

const DesignType kTypes[] = {
    {"application/x-tavren-qef", "*.qef", "Embroidery design (QEF)"},
    {"application/x-tavren-qef-plus", "*.qef+", "Embroidery design (QEF+)"},
    {"application/x-tavren-qpx", "*.qpx", "Embroidery design (QPX)"},
    {"application/x-tavren-dst", "*.dst", "Embroidery design (Tajima DST)"},
    {"application/x-tavren-stx", "*.stx", "Stitch pattern (STX)"},
};

const char kMimePackage[] = "mime/packages/tavren-designs.xml";
const char kThumbnailer[] = "thumbnailers/tavren.thumbnailer";

fs::path DataHome()
{
    // A relative $XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
    const char* xdg = std::getenv("XDG_DATA_HOME");
    if (xdg && xdg[0] == '/')
        return xdg;
    const char* home = std::getenv("HOME");
    return fs::path(home && *home ? home : ".") / ".local/share";
}

std::string MimePackage()
{
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<mime-info xmlns=\"http://www.freedesktop.org/standards/shared-mime-info\">\n";
    for (const DesignType& t : kTypes) {
        xml += std::string("  <mime-type type=\"") + t.mime + "\">\n";
        xml += std::string("    <comment>") + t.comment + "</comment>\n";
        xml += std::string("    <glob pattern=\"") + t.glob + "\" case-sensitive=\"false\"/>\n";
        xml += "  </mime-type>\n";
    }
    return xml + "</mime-info>\n";
}

// Desktop entries quote an argument holding a space or a reserved character in double quotes,
// with backslashes before ", `, $ and \.
std::string QuoteArgument(const std::string& arg)
{
    if (arg.find_first_of(" \t\n\"'\\><~|&;$*?#()`=") == std::string::npos && !arg.empty())
        return arg;
    std::string quoted = "\"";
    for (char c : arg) {
        if (c == '"' || c == '`' || c == '$' || c == '\\')
            quoted += '\\';
        quoted += c;
    }
    return quoted + "\"";
}

bool WriteText(const fs::path& path, const std::string& text, std::string& strError)
{
    std::error_code ec;
    fs::create_directories(path.parent_path(), ec);
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
    out.close();
    if (!out) {
        strError = "cannot write \"" + path.string() + "\": " + std::strerror(errno ? errno : EIO);
        return false;
    }
    return true;
}

// Rebuilds the user's MIME database when the system has the tool; without it the package still
// takes effect the next time the database is rebuilt.
void UpdateMimeDatabase(const fs::path& mimeDir)
{
    std::string strTool = "update-mime-database", strDir = mimeDir.string();
    char* args[] = {strTool.data(), strDir.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawnp(&pid, args[0], nullptr, nullptr, args, environ) != 0) {
        std::fprintf(stderr, "tavren: update-mime-database not found; the types apply once the MIME database is rebuilt\n");
        return;
    }
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
}

void RemoveIfEmpty(const fs::path& dir)
{
    std::error_code ec;
    if (fs::is_directory(dir, ec) && fs::is_empty(dir, ec))
        fs::remove(dir, ec);
}

// With no package of anyone's left, the user's database is only what update-mime-database made
// for ours: its index files and the folders of per-type files.
void RemoveMimeDatabase(const fs::path& mimeDir)
{
    static const char* const kIndexFiles[] = {"XMLnamespaces", "aliases", "generic-icons", "globs", "globs2", "icons",
                                              "magic", "mime.cache", "subclasses", "treemagic", "types", "version"};
    std::error_code ec;
    for (const char* name : kIndexFiles)
        fs::remove(mimeDir / name, ec);
    for (const DesignType& t : kTypes)
        fs::remove(mimeDir / (std::string(t.mime) + ".xml"), ec);
    RemoveIfEmpty(mimeDir / "application");
    RemoveIfEmpty(mimeDir / "packages");
    RemoveIfEmpty(mimeDir);
}

std::string OwnExecutable()
{
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string("tavren") : self.string();
}

} // namespace

std::string ThumbnailerEntry(const std::string& strExec)
{
    std::string entry = "[Thumbnailer Entry]\n";
    entry += "TryExec=" + QuoteArgument(strExec) + "\n";
    entry += "Exec=" + QuoteArgument(strExec) + " thumbnail -s %s %i %o\n";
    entry += "MimeType=";
    for (const DesignType& t : kTypes)
        entry += std::string(t.mime) + ";";
    return entry + "\n";
}

int RunInstallDesktopCommand(int argc, char** argv)
{
    std::string strExec;
    const char* pszPrint = nullptr;
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--exec") && i + 1 < argc) {
            strExec = fs::absolute(argv[++i]).lexically_normal().string();
        } else if (!std::strcmp(argv[i], "--print-mime") || !std::strcmp(argv[i], "--print-thumbnailer")) {
            pszPrint = argv[i];  // the package's system-wide copies are made this way, so both agree
        } else {
            std::fprintf(stderr, "tavren install-desktop: unknown argument %s\nusage: tavren install-desktop [--exec PATH]\n",
                         argv[i]);
            return 2;
        }
    }
    if (strExec.empty())
        strExec = OwnExecutable();
    if (pszPrint) {
        std::fputs(!std::strcmp(pszPrint, "--print-mime") ? MimePackage().c_str() : ThumbnailerEntry(strExec).c_str(), stdout);
        return 0;
    }
    const fs::path home = DataHome();
    std::string strError;
    if (!WriteText(home / kMimePackage, MimePackage(), strError) ||
        !WriteText(home / kThumbnailer, ThumbnailerEntry(strExec), strError)) {
        std::fprintf(stderr, "tavren install-desktop: %s\n", strError.c_str());
        return 1;
    }
    UpdateMimeDatabase(home / "mime");
    std::printf("%s\n%s\n", (home / kMimePackage).c_str(), (home / kThumbnailer).c_str());
    return 0;
}

int RunUninstallDesktopCommand(int argc, char** argv)
{
    if (argc > 1) {
        std::fprintf(stderr, "tavren uninstall-desktop: unknown argument %s\nusage: tavren uninstall-desktop\n", argv[1]);
        return 2;
    }
    const fs::path home = DataHome();
    int nResult = 0;
    for (const char* file : {kMimePackage, kThumbnailer}) {
        std::error_code ec;
        if (fs::remove(home / file, ec))
            std::printf("removed %s\n", (home / file).c_str());
        else if (ec) {
            std::fprintf(stderr, "tavren uninstall-desktop: cannot remove \"%s\": %s\n", (home / file).c_str(),
                         ec.message().c_str());
            nResult = 1;
        }
    }
    std::error_code ec;
    if (!fs::is_empty(home / "mime/packages", ec))
        UpdateMimeDatabase(home / "mime");  // the rebuilt database drops the types' own files
    else if (!ec)
        RemoveMimeDatabase(home / "mime");
    RemoveIfEmpty(home / "thumbnailers");
    return nResult;
}

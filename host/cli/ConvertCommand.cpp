#include "host/cli/ConvertCommand.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "design/MachineFileCheck.h"
#include "host/cli/DstConverter.h"
#include "platform/file/DriveMap.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace {

constexpr long long kMaxDstBytes = 64ll * 1024 * 1024;

const char kUsage[] = "usage: tavren convert IN.dst [-o OUT.qef|OUT.qef+|OUT.qpx] [--force]\n";

struct Options {
    std::string strInput;
    std::string strOutput;
    bool bForce = false;
};

bool ParseOptions(int argc, char** argv, Options& opt, std::string& strError)
{
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool bOutput = arg == "-o" || arg == "--output";
        if (bOutput && i + 1 < argc) {
            opt.strOutput = argv[++i];
        } else if (arg == "--force") {
            opt.bForce = true;
        } else if (const bool bOption = arg.size() > 1 && arg[0] == '-'; bOutput || bOption || !opt.strInput.empty()) {
            strError = bOutput ? "-o needs a file name" : bOption ? "unknown option " + arg : "only one design at a time";
            return false;
        } else {
            opt.strInput = arg;
        }
    }
    if (opt.strInput.empty()) {
        strError = "no DST file given";
        return false;
    }
    if (opt.strOutput.empty())
        opt.strOutput = std::filesystem::path(opt.strInput).replace_extension(".qef").string();
    return true;
}

int OutputType(const std::string& strPath)
{
    const std::u16string ext = std::filesystem::path(strPath).extension().u16string();
    return CEmbFile::GetFileType(ext.c_str());
}

bool ReadInput(const std::string& strPath, std::vector<uint8_t>& bytes, std::string& strError)
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(strPath, ec)) {
        strError = std::filesystem::exists(strPath, ec) ? "it is not a file" : "no such file";
        return false;
    }
    if (std::filesystem::file_size(strPath, ec) > static_cast<uintmax_t>(kMaxDstBytes)) {
        strError = "it is too large for a design";
        return false;
    }
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        strError = std::strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        strError = "it could not be read to the end";
        return false;
    }
    return true;
}

// The written file as the File Manager would check it before sending: through the module's own
// file access when the folder lies on a mapped drive, else from the bytes on disk.
CMachineFileCheck::CheckResult CheckWritten(const std::string& strPath, int nType)
{
    std::error_code ec;
    const std::u16string win =
        tavren::DriveMap::Instance().FromHost(std::filesystem::absolute(strPath, ec).lexically_normal().string());
    if (!ec && !win.empty())
        return CMachineFileCheck::CheckDesignFile(win.c_str());
    std::ifstream in(strPath, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    CEmbFile file(nType);
    CEmbData data;
    if (!file.ReadBuffer(bytes.data(), bytes.size(), data))
        return CMachineFileCheck::mfcErrorInFile;
    return CMachineFileCheck::CheckDesignLimits(data);
}

// Writes the bytes under a temporary name beside strPath (keeping its extension, which decides
// how it reads), with the permissions a new file would get; the temporary name, or "" on failure.
std::string WriteTemporary(const std::string& strPath, const std::vector<uint8_t>& bytes, std::string& strError)
{
    const std::filesystem::path target(strPath);
    const std::string ext = target.extension().string();
    std::filesystem::path folder = target.parent_path();
    std::string pattern = (folder.empty() ? std::string() : folder.string() + "/") + "." +
                          target.stem().string() + ".tmp-XXXXXX" + ext;
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    const int fd = mkstemps(name.data(), static_cast<int>(ext.size()));
    if (fd < 0) {
        strError = std::strerror(errno);
        return "";
    }
    const std::string strTemp(name.data());
    const mode_t mask = umask(0);
    umask(mask);
    bool bOk = fchmod(fd, 0666 & ~mask) == 0;
    for (size_t done = 0; bOk && done < bytes.size();) {
        const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        bOk = n > 0;
        if (bOk)
            done += static_cast<size_t>(n);
    }
    bOk = bOk && fsync(fd) == 0;
    if (!bOk)
        strError = std::strerror(errno ? errno : EIO);
    if (close(fd) != 0 && bOk) {
        strError = std::strerror(errno);
        bOk = false;
    }
    if (!bOk) {
        unlink(strTemp.c_str());
        return "";
    }
    return strTemp;
}

} // namespace

int RunConvertCommand(int argc, char** argv)
{
    Options opt;
    std::string strError;
    if (!ParseOptions(argc, argv, opt, strError)) {
        std::fprintf(stderr, "tavren convert: %s\n%s", strError.c_str(), kUsage);
        return 2;
    }
    const int nType = OutputType(opt.strOutput);
    if (nType != CEmbFile::dftQef && nType != CEmbFile::dftQefPlus && nType != CEmbFile::dftQpx) {
        std::fprintf(stderr, "tavren convert: \"%s\": the machine's design files end in .qef, .qef+ or .qpx\n%s",
                     opt.strOutput.c_str(), kUsage);
        return 2;
    }
    std::error_code ec;
    if (!opt.bForce && std::filesystem::exists(opt.strOutput, ec)) {
        std::fprintf(stderr, "tavren convert: \"%s\" already exists (--force replaces it)\n", opt.strOutput.c_str());
        return 1;
    }

    std::vector<uint8_t> dst;
    if (!ReadInput(opt.strInput, dst, strError)) {
        std::fprintf(stderr, "tavren convert: cannot read \"%s\": %s\n", opt.strInput.c_str(), strError.c_str());
        return 1;
    }
    std::vector<uint8_t> native;
    if (!ConvertDstToNative(dst, nType, native, strError)) {
        std::fprintf(stderr, "tavren convert: cannot convert \"%s\": %s\n", opt.strInput.c_str(), strError.c_str());
        return 1;
    }

    const std::string strTemp = WriteTemporary(opt.strOutput, native, strError);
    if (strTemp.empty()) {
        std::fprintf(stderr, "tavren convert: cannot write \"%s\": %s\n", opt.strOutput.c_str(), strError.c_str());
        return 1;
    }
    const CMachineFileCheck::CheckResult result = CheckWritten(strTemp, nType);
    if (result != CMachineFileCheck::mfcOk) {
        unlink(strTemp.c_str());
        std::fprintf(stderr, "tavren convert: the written \"%s\" fails the machine's check (%s); nothing written\n",
                     opt.strOutput.c_str(), CMachineFileCheck::ResultName(result));
        return 1;
    }
    if (std::rename(strTemp.c_str(), opt.strOutput.c_str()) != 0) {
        strError = std::strerror(errno);
        unlink(strTemp.c_str());
        std::fprintf(stderr, "tavren convert: cannot write \"%s\": %s\n", opt.strOutput.c_str(), strError.c_str());
        return 1;
    }
    std::printf("%s\n", opt.strOutput.c_str());
    return 0;
}

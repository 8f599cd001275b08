#include "host/cli/ThumbnailCommand.h"

#include "host/cli/PreviewCommand.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

// Thumbnailers are asked for 128, 256, 512 or 1024; anything from 16 to 8192 is drawn.
constexpr long kMinSize = 16;
constexpr long kMaxSize = 8192;

const char kUsage[] = "usage: tavren thumbnail -s SIZE IN OUT.png\n";

} // namespace

int RunThumbnailCommand(int argc, char** argv)
{
    std::string strSize, strInput, strOutput;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "-s" || arg == "--size") && i + 1 < argc) {
            strSize = argv[++i];
        } else if (arg.size() > 1 && arg[0] == '-') {
            std::fprintf(stderr, "tavren thumbnail: unknown option %s\n%s", arg.c_str(), kUsage);
            return 2;
        } else if (strInput.empty()) {
            strInput = arg;
        } else if (strOutput.empty()) {
            strOutput = arg;
        } else {
            std::fprintf(stderr, "tavren thumbnail: one file and one picture at a time\n%s", kUsage);
            return 2;
        }
    }
    char* pEnd = nullptr;
    const long nSize = std::strtol(strSize.c_str(), &pEnd, 10);
    if (strSize.empty() || *pEnd || nSize < kMinSize || nSize > kMaxSize || strInput.empty() || strOutput.empty()) {
        std::fprintf(stderr, "tavren thumbnail: a size from 16 to 8192, a file and a picture are needed\n%s", kUsage);
        return 2;
    }
    // The preview draws exactly this picture; a thumbnail is a preview at the asked size.
    std::string strSizeText = std::to_string(nSize);
    char szPreview[] = "preview", szOut[] = "-o", szSize[] = "--size";
    char* previewArgs[] = {szPreview, strInput.data(), szOut, strOutput.data(), szSize, strSizeText.data(), nullptr};
    return RunPreviewCommand(6, previewArgs);
}

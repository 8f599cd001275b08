#include "host/cli/SampleFiles.h"

#include "host/cli/InstallLayout.h"
#include "host/cli/MachineCommand.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <string>

namespace fs = std::filesystem;

namespace {

std::string LowerExtension(const fs::path& p)
{
    std::string e = p.extension().string();
    for (char& c : e)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return e;
}

} // namespace

fs::path DemoDir()
{
    const char* source = std::getenv("TAVREN_SOURCE_DIR");
    if (fs::path installed = InstalledData("demo"); !(source && *source) && !installed.empty())
        return installed;
    return FixturesDir() / "demo";
}

std::vector<fs::path> SampleFiles(const fs::path& folder, std::initializer_list<const char*> extensions)
{
    std::vector<fs::path> out;
    std::error_code ec;
    for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
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

int CopyDemoTree(const fs::path& from, const fs::path& to)
{
    int copied = 0;
    std::error_code ec;
    for (fs::recursive_directory_iterator it(from, ec), end; !ec && it != end; it.increment(ec)) {
        fs::path target = to / fs::relative(it->path(), from, ec);
        if (it->is_directory(ec))
            fs::create_directories(target, ec);
        else if (it->is_regular_file(ec) && !fs::exists(target, ec) && fs::copy_file(it->path(), target, ec))
            ++copied;
    }
    return copied;
}

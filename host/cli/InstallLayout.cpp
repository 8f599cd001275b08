#include "host/cli/InstallLayout.h"

namespace fs = std::filesystem;

fs::path ProgramDir()
{
    std::error_code ec;
    fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path(".") : self.parent_path();
}

fs::path LibraryDir()
{
    const fs::path own = ProgramDir();
    std::error_code ec;
    if (fs::exists(own / "libTavren.so", ec))
        return own;
    return (own / ".." / "lib" / "tavren").lexically_normal();
}

fs::path InstalledData(const char* name)
{
    const fs::path data = (ProgramDir() / ".." / "share" / "tavren" / name).lexically_normal();
    std::error_code ec;
    return fs::exists(data, ec) ? data : fs::path();
}

// Where the program finds its pieces, with no variable to set. In the build tree everything built
// lies in one folder (build/bin) and the page and the demo files are in the source tree. Installed,
// the program is PREFIX/bin/tavren, the module, its libraries and the emulated machine are in
// PREFIX/lib/tavren, and the page and the demo files in PREFIX/share/tavren.
#pragma once

#include <filesystem>

// The folder of the running program (/proc/self/exe), else ".".
std::filesystem::path ProgramDir();
// The folder of libTavren.so, libQuorvel.so and quorvel-machine: the program's own when it holds
// the module (the build tree), else ../lib/tavren beside it.
std::filesystem::path LibraryDir();
// ../share/tavren/<name> beside the program when it is there (an installed program), else empty.
std::filesystem::path InstalledData(const char* name);

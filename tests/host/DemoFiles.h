// The demo files of tavren gui and tavren machine, made from the real designs of the corpus in the
// machine's own formats (QEF, QEF+, QPX) and from a few hand-drawn STX patterns, laid out as they
// are copied: machine/ (the machine's storages builtin, usb1), pc/ (the PC drive C:) and pc-usb/
// (the USB flash drive E: on the PC).
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace demo {

// One file of the demo: where it goes below the demo folder, and what it is made from.
struct DemoFile {
    std::string path;   // "machine/builtin/EMB/Flowers/shamrockin.qef"
    std::string source; // a corpus design ("shamrockin.dst") or an STX pattern name ("Zigzag")
};

// Every file of the demo, in the order written.
const std::vector<DemoFile>& DemoLayout();

// Writes the demo below out (which it empties first); false with a reason when a corpus design
// cannot be read or a file cannot be written.
bool WriteDemoFiles(const std::filesystem::path& corpus, const std::filesystem::path& out, std::string& strError);

} // namespace demo

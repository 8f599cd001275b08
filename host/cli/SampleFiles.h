// The demo files of tavren gui and tavren machine: tests/fixtures/demo in the source tree, made by
// make_demo_files (the build's `demo_fixtures` target) from the corpus designs. Its folders are
// copied as they are: machine/ into the emulated machine's storage, pc/ onto the PC drive C:,
// pc-usb/ onto the PC's USB flash drive E:. Write a Design offers pc/Designs and pc/Patterns.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <vector>

// $TAVREN_SOURCE_DIR/tests/fixtures/demo when that is set, else share/tavren/demo of an installed
// program, else the source tree's (see FixturesDir).
std::filesystem::path DemoDir();
// The files of folder with one of these (lower-case) extensions, sorted by path, not recursive.
std::vector<std::filesystem::path> SampleFiles(const std::filesystem::path& folder, std::initializer_list<const char*> extensions);
// The designs Write a Design sends, and the STX patterns: what the PC drive's sample folders hold.
inline std::vector<std::filesystem::path> SampleDesigns() { return SampleFiles(DemoDir() / "pc" / "Designs", {".qef", ".qef+", ".qpx", ".dst"}); }
inline std::vector<std::filesystem::path> SampleStxPatterns() { return SampleFiles(DemoDir() / "pc" / "Patterns", {".stx"}); }
// Copies the files below from into to, keeping the folders and any file to already has; how many
// were copied.
int CopyDemoTree(const std::filesystem::path& from, const std::filesystem::path& to);

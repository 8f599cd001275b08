// The sample files of tavren gui: designs and STX patterns from the source tree's fixtures, which
// it offers to send and puts on its drives.
#pragma once

#include <filesystem>
#include <initializer_list>
#include <vector>

// The fixture files with one of these (lower-case) extensions, sorted by path.
std::vector<std::filesystem::path> SampleFiles(std::initializer_list<const char*> extensions);
// The designs Write a Design sends, and the STX patterns.
inline std::vector<std::filesystem::path> SampleDesigns() { return SampleFiles({".qef", ".qef+", ".qpx", ".dst"}); }
inline std::vector<std::filesystem::path> SampleStxPatterns() { return SampleFiles({".stx"}); }

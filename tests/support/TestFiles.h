// Small helpers the test programs share: where the sources are, the sample designs, temporary
// folders, and texts narrowed for messages. Header-only, so programs without test_support use it.
#pragma once

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#ifndef TAVREN_TEST_SOURCE_DIR
#define TAVREN_TEST_SOURCE_DIR "."
#endif

namespace tavren::test {

// The source tree: $TAVREN_SOURCE_DIR (ctest sets it), else the tree the test was built from.
inline std::string SourceDir()
{
    const char* psz = std::getenv("TAVREN_SOURCE_DIR");
    return psz && *psz ? psz : TAVREN_TEST_SOURCE_DIR;
}

// The sample designs (.dst in any case) of tests/fixtures/corpus, sorted.
inline std::vector<std::filesystem::path> CorpusFiles()
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(SourceDir() + "/tests/fixtures/corpus", ec)) {
        std::string ext = e.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == ".dst")
            files.push_back(e.path());
    }
    std::sort(files.begin(), files.end());
    return files;
}

// A new empty folder "<prefix>-XXXXXX" in the temporary folder ($TMPDIR, else /tmp); empty when
// none could be made. The caller removes it.
inline std::filesystem::path MakeTempDir(const std::string& strPrefix)
{
    std::error_code ec;
    std::filesystem::path base = std::filesystem::temp_directory_path(ec);
    if (ec)
        base = "/tmp";
    std::string strPattern = (base / (strPrefix + "-XXXXXX")).string();
    return mkdtemp(strPattern.data()) ? std::filesystem::path(strPattern) : std::filesystem::path();
}

// A temporary folder for one test, removed with everything in it at the end of its scope.
struct ScratchDir {
    std::filesystem::path path = MakeTempDir("tavren-test");
    ScratchDir() = default;
    ~ScratchDir()
    {
        std::error_code ec;
        std::filesystem::remove_all(path, ec);
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
};

// ASCII stays, anything else becomes '?': texts in failure messages.
inline std::string Narrow(std::u16string_view s)
{
    std::string out;
    for (char16_t ch : s)
        out += ch < 0x80 ? static_cast<char>(ch) : '?';
    return out;
}

} // namespace tavren::test

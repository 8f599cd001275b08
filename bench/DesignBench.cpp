// Reading, validating and measuring designs: a generated 200000-word design in every format and
// every real design, each next to a memcpy of the same bytes as the baseline of the same run.
#include "design/EmbFile.h"
#include "design/StxFile.h"
#include "platform/afx/MemFile.h"
#include "tests/design/FixtureWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

using namespace fixture;

namespace {

constexpr int BIG_WORDS = 200000;

DesignLayout BigLayout()
{
    DesignLayout layout;
    layout.words = MakeRandomWords(BIG_WORDS, 12, 7);
    for (int i = 0; i < 12; ++i)
        layout.palette.push_back(1 + i);
    return layout;
}

// The same design as DST records (one record per word's move).
Bytes BigDst()
{
    Stitches stitches;
    const Bytes words = MakeRandomWords(BIG_WORDS, 12, 7);
    for (size_t i = 0; i + 1 < words.size(); i += 2) {
        if (words[i] == 0x80) {
            if (words[i + 1] == 0x10)
                break;
            const Stitch::Kind kind = words[i + 1] == 0x01 ? Stitch::ColorChange : Stitch::Jump;
            i += 2;
            stitches.push_back({kind, static_cast<int8_t>(words[i]), static_cast<int8_t>(words[i + 1])});
        } else {
            stitches.push_back(Sew(static_cast<int8_t>(words[i]), static_cast<int8_t>(words[i + 1])));
        }
    }
    stitches.push_back(EndDesign());
    return MakeDst(stitches);
}

void ReadDesign(benchmark::State& state, int nType, Bytes bytes)
{
    CEmbFile file(nType);
    CEmbData data;
    for (auto _ : state) {
        CMemFile mem(bytes.data(), static_cast<UINT>(bytes.size()));
        if (!file.Read(mem, data))
            state.SkipWithError("design did not read");
        data.SetAngle(0);
        data.UpdateExtents();
        benchmark::DoNotOptimize(data.m_extents);
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations());
    state.counters["words"] = data.m_nStitchWordCount;
}

void Memcpy(benchmark::State& state, Bytes bytes)
{
    std::vector<BYTE> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(bytes.size()));
    state.SetItemsProcessed(state.iterations());
}

void MeasureRotated(benchmark::State& state)
{
    const DesignLayout layout = BigLayout();
    CEmbFile file(CEmbFile::dftQef);
    CEmbData data;
    Bytes bytes = MakeQef(layout);
    if (!file.ReadBuffer(bytes.data(), bytes.size(), data))
        state.SkipWithError("design did not read");
    int angle = 0;
    for (auto _ : state) {
        EMBEXTENTS e;
        data.CalcExtents(e, angle, 1, 0, 85);
        angle = (angle + 37) % 360;
        benchmark::DoNotOptimize(e);
    }
    state.SetItemsProcessed(state.iterations());
}

std::string CorpusDir()
{
    const char* dir = std::getenv("TAVREN_SOURCE_DIR");
    return std::string(dir ? dir : TAVREN_SOURCE_DIR_FALLBACK) + "/tests/fixtures/corpus";
}

int Register()
{
    const DesignLayout layout = BigLayout();
    const Bytes qef = MakeQef(layout);
    benchmark::RegisterBenchmark("Memcpy/200k/qef-bytes", Memcpy, qef);
    benchmark::RegisterBenchmark("Read/200k/qef", ReadDesign, static_cast<int>(CEmbFile::dftQef), qef);
    benchmark::RegisterBenchmark("Read/200k/qef+", ReadDesign, static_cast<int>(CEmbFile::dftQefPlus), MakeQefPlus(layout));
    benchmark::RegisterBenchmark("Read/200k/qpx", ReadDesign, static_cast<int>(CEmbFile::dftQpx), MakeQpx(layout));
    const Bytes dst = BigDst();
    benchmark::RegisterBenchmark("Memcpy/200k/dst-bytes", Memcpy, dst);
    benchmark::RegisterBenchmark("Read/200k/dst", ReadDesign, static_cast<int>(CEmbFile::dftDst), dst);
    benchmark::RegisterBenchmark("CalcExtents/200k/rotated", MeasureRotated);

    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& e : std::filesystem::directory_iterator(CorpusDir(), ec))
        if (CEmbFile::GetFileType(CString::FromUtf8(e.path().string())) == CEmbFile::dftDst)
            files.push_back(e.path());
    std::sort(files.begin(), files.end());
    for (const auto& path : files) {
        const Bytes bytes = ReadWholeFile(path.string());
        const std::string name = path.filename().string();
        benchmark::RegisterBenchmark(("Memcpy/corpus/" + name).c_str(), Memcpy, bytes);
        benchmark::RegisterBenchmark(("Read/corpus/" + name).c_str(), ReadDesign, static_cast<int>(CEmbFile::dftDst), bytes);
        CEmbFile file(CEmbFile::dftDst);
        CEmbData data;
        if (file.ReadBuffer(bytes.data(), bytes.size(), data)) {
            benchmark::RegisterBenchmark(("Read/corpus-as-qef/" + name).c_str(), ReadDesign,
                                         static_cast<int>(CEmbFile::dftQef), MakeQef(LayoutFromDesign(data)));
        }
    }
    return 0;
}

const int g_nRegistered = Register();

} // namespace

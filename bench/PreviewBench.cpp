// Drawing designs: the 48 x 48 list picture (pair) of every corpus design and of a generated
// 200000-word design, and the 512-pixel preview of the same, each next to PatBlt filling a
// bitmap of the same size as the baseline of the same run.
#include "design/EmbFile.h"
#include "host/cli/PreviewCommand.h"
#include "platform/afx/Dc.h"
#include "preview/ListPicture.h"
#include "tests/design/FixtureWriter.h"

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

using namespace fixture;

namespace {

constexpr int BIG_WORDS = 200000;

std::string SourceDir()
{
    const char* p = std::getenv("TAVREN_SOURCE_DIR");
    return p ? p : TAVREN_SOURCE_DIR_FALLBACK;
}

// A design kept for the whole run (benchmarks are registered before main runs them).
std::shared_ptr<CEmbData> LoadDesign(int nType, const Bytes& bytes)
{
    auto pDesign = std::make_shared<CEmbData>();
    CEmbFile file(nType);
    if (!file.ReadBuffer(bytes.data(), bytes.size(), *pDesign))
        return nullptr;
    return pDesign;
}

std::shared_ptr<CEmbData> BigDesign()
{
    DesignLayout layout;
    layout.words = MakeRandomWords(BIG_WORDS, 12, 7);
    for (int i = 0; i < 12; ++i)
        layout.palette.push_back(1 + i);
    return LoadDesign(CEmbFile::dftQef, MakeQef(layout));
}

void PatBltBaseline(benchmark::State& state, int nSize)
{
    CDC dc;
    CBitmap bm;
    dc.CreateCompatibleDC(nullptr);
    bm.CreateCompatibleBitmap(&dc, nSize, nSize);
    CBitmap* pOld = dc.SelectObject(&bm);
    for (auto _ : state) {
        // In two halves, so that every pixel is written: a fill of the whole bitmap only records
        // its colour.
        dc.PatBlt(0, 0, nSize, nSize / 2, WHITENESS);
        dc.PatBlt(0, nSize / 2, nSize, nSize - nSize / 2, BLACKNESS);
        benchmark::ClobberMemory();
    }
    dc.SelectObject(pOld);
    state.counters["pictures/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

void ListPicture(benchmark::State& state, std::shared_ptr<CEmbData> pDesign)
{
    if (!pDesign) {
        state.SkipWithError("design did not read");
        return;
    }
    CBitmap boxEmpty, boxTicked;
    CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, boxEmpty);
    CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, boxTicked);
    for (auto _ : state) {
        CBitmap first, second;
        if (!CListPicture::MakeDesignPair(*pDesign, TRUE, first, second, &boxEmpty, &boxTicked))
            state.SkipWithError("no picture");
    }
    state.counters["pictures/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
    state.counters["side"] = CListPicture::GetWorkingSide(*pDesign);
}

void Preview(benchmark::State& state, std::shared_ptr<CEmbData> pDesign)
{
    if (!pDesign) {
        state.SkipWithError("design did not read");
        return;
    }
    for (auto _ : state) {
        CBitmap bm;
        if (!RenderDesignPreview(*pDesign, 512, bm))
            state.SkipWithError("no picture");
    }
    state.counters["pictures/s"] = benchmark::Counter(static_cast<double>(state.iterations()), benchmark::Counter::kIsRate);
}

// The whole command: read the file, draw, write the PNG.
void PreviewCommand(benchmark::State& state, std::string strPath)
{
    const std::string strOut = (std::filesystem::temp_directory_path() / "tavren-bench-preview.png").string();
    for (auto _ : state) {
        std::string a0 = "preview", a1 = strPath, a2 = "-o", a3 = strOut;
        char* argv[] = {a0.data(), a1.data(), a2.data(), a3.data()};
        if (RunPreviewCommand(4, argv) != 0)
            state.SkipWithError("preview failed");
    }
    std::filesystem::remove(strOut);
}

int RegisterAll()
{
    benchmark::RegisterBenchmark("Baseline/PatBlt48", PatBltBaseline, 48);
    benchmark::RegisterBenchmark("Baseline/PatBlt512", PatBltBaseline, 512);
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(SourceDir() + "/tests/fixtures/corpus")) {
        std::string ext = entry.path().extension().string();
        if (ext == ".dst" || ext == ".DST")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    auto big = BigDesign();
    benchmark::RegisterBenchmark("ListPicture/generated-200000-words", ListPicture, big);
    benchmark::RegisterBenchmark("Preview512/generated-200000-words", Preview, big)->Unit(benchmark::kMillisecond);
    for (const auto& path : files) {
        auto pDesign = LoadDesign(CEmbFile::dftDst, ReadWholeFile(path.string()));
        const std::string name = path.stem().string();
        benchmark::RegisterBenchmark(("ListPicture/" + name).c_str(), ListPicture, pDesign);
        benchmark::RegisterBenchmark(("Preview512/" + name).c_str(), Preview, pDesign)->Unit(benchmark::kMillisecond);
    }
    if (!files.empty())
        benchmark::RegisterBenchmark("PreviewCommand512/Cake 3", PreviewCommand,
                                     SourceDir() + "/tests/fixtures/corpus/Cake 3.dst")
            ->Unit(benchmark::kMillisecond);
    return 0;
}

const int g_nRegistered = RegisterAll();

} // namespace

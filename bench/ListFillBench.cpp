// Filling a design list: a folder of N native design files (the corpus designs written as .qef,
// copied under many names) listed with their thumbnails, for N = 100, 300, 1000, in ms per file,
// next to the baseline of the same run - reading the same files into memory and nothing more.
//
// Fill is CFolderListCtrl::ShowFolder in a real list view (the list tests' host dialog), with new
// image lists for every fill; it makes its pictures on one thread per processor. Pictures is the
// part of it that is per file, done one file after the other on one thread: read the design, make
// its 48 x 48 picture pair, add the boxes to the small image list and the pair to the large one.
// Fill's "x one thread" is its wall time against that, measured in the same run.
//
//     bench_ListFillBench --benchmark_counters_tabular=true
// "ms/file" is the wall time per file, "cpu ms/file" the calling thread's processor time (the
// machine is shared), Pictures' "x baseline" its processor time against reading the files alone,
// measured in the same run. Filling grows linearly with N: the _BigO lines fit N.
#include "tests/lists/ListHostDlg.h"

#include "design/EmbFile.h"
#include "platform/afx/CString.h"
#include "platform/afx/File.h"
#include "platform/afx/ImageList.h"
#include "platform/file/DriveMap.h"
#include "platform/file/FileApi.h"
#include "preview/ListPicture.h"
#include "tests/design/FixtureWriter.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

using namespace fixture;

namespace {

const int kCounts[] = {100, 300, 1000};

std::string SourceDir()
{
    const char* p = std::getenv("TAVREN_SOURCE_DIR");
    return p ? p : TAVREN_SOURCE_DIR_FALLBACK;
}

// The corpus designs as native .qef bytes.
std::vector<Bytes> CorpusAsQef()
{
    std::vector<std::filesystem::path> files;
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(SourceDir() + "/tests/fixtures/corpus", ec)) {
        std::string ext = entry.path().extension().string();
        std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
        if (ext == ".dst")
            files.push_back(entry.path());
    }
    std::sort(files.begin(), files.end());
    std::vector<Bytes> designs;
    for (const auto& path : files) {
        CEmbData data;
        CEmbFile file(CEmbFile::dftDst);
        const Bytes dst = ReadWholeFile(path.string());
        if (file.ReadBuffer(dst.data(), dst.size(), data) && data.m_nStatus > 0)
            designs.push_back(MakeQef(LayoutFromDesign(data)));
    }
    return designs;
}

// One temporary drive C: holding folder "nN" with N designs for each count; removed at exit.
class Folders {
public:
    Folders()
    {
        char tmpl[] = "/tmp/tavren-listfill-XXXXXX";
        if (!mkdtemp(tmpl))
            return;
        m_root = tmpl;
        const std::vector<Bytes> designs = CorpusAsQef();
        if (designs.empty())
            return;
        for (int n : kCounts) {
            const std::string dir = m_root + "/n" + std::to_string(n);
            std::filesystem::create_directories(dir);
            for (int i = 0; i < n; ++i) {
                char name[32];
                std::snprintf(name, sizeof name, "/design %04d.qef", i);
                WriteFile(dir + name, designs[static_cast<size_t>(i) % designs.size()]);
            }
        }
        tavren::DriveMap::Instance().SetDrives({{u'C', m_root, DRIVE_FIXED, {}}});
        m_bReady = true;
    }
    ~Folders()
    {
        std::error_code ec;
        if (!m_root.empty())
            std::filesystem::remove_all(m_root, ec);
    }
    bool Ready() const { return m_bReady; }
    static CString Folder(int n)
    {
        CString s;
        s.Format(u"C:\\n%d", n);
        return s;
    }

private:
    std::string m_root;
    bool m_bReady = false;
};

Folders& TheFolders()
{
    static Folders folders;
    return folders;
}

// Every design file of a folder, in the order the search returns them, handed to fn(path).
template <class Fn>
int ForEachDesignFile(const CString& strFolder, Fn fn)
{
    WIN32_FIND_DATAW fd;
    HANDLE hFind = FindFirstFileW(strFolder + u"\\*.*", &fd);
    if (hFind == INVALID_HANDLE_VALUE)
        return 0;
    int nFiles = 0;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
            continue;
        fn(strFolder + u"\\" + fd.cFileName);
        ++nFiles;
    } while (FindNextFileW(hFind, &fd));
    FindClose(hFind);
    return nFiles;
}

// Wall and processor time of this thread, in ms: the machine is shared, so both are reported.
struct Clock {
    double dWall = 0, dCpu = 0;
    static Clock Now()
    {
        timespec ts;
        clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
        const std::chrono::duration<double, std::milli> wall = std::chrono::steady_clock::now().time_since_epoch();
        return {wall.count(), ts.tv_sec * 1e3 + ts.tv_nsec / 1e6};
    }
    Clock operator-(const Clock& o) const { return {dWall - o.dWall, dCpu - o.dCpu}; }
    Clock& operator+=(const Clock& o)
    {
        dWall += o.dWall;
        dCpu += o.dCpu;
        return *this;
    }
};

// The baseline: the same files into memory.
int ReadFolder(const CString& strFolder, size_t& nBytes)
{
    return ForEachDesignFile(strFolder, [&](const CString& strPath) {
        CFile file;
        if (!file.Open(strPath, CFile::modeRead | CFile::typeBinary))
            return;
        std::vector<BYTE> bytes(static_cast<size_t>(file.GetLength()));
        nBytes += file.Read(bytes.data(), static_cast<UINT>(bytes.size()));
    });
}

// What a fill does per file: read, picture pair, two pictures into each image list.
int MakePictures(const CString& strFolder, CImageList& imlSmall, CImageList& imlLarge)
{
    int nListed = 0;
    ForEachDesignFile(strFolder, [&](const CString& strPath) {
        CBitmap boxEmpty, boxTicked;
        CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, boxEmpty);
        CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, boxTicked);
        imlSmall.Add(&boxEmpty, static_cast<CBitmap*>(nullptr));
        imlSmall.Add(&boxTicked, static_cast<CBitmap*>(nullptr));
        CEmbFile file;
        CEmbData design;
        if (!file.ReadFile(strPath, design))
            return;
        CBitmap first, second;
        if (!CListPicture::MakeDesignPair(design, TRUE, first, second))
            return;
        imlLarge.Add(&first, static_cast<CBitmap*>(nullptr));
        imlLarge.Add(&second, static_cast<CBitmap*>(nullptr));
        ++nListed;
    });
    return nListed;
}

// ms per file, processor time: the best of a few passes (the files are in the page cache for both).
double BaselineMsPerFile(int n)
{
    double dBest = 1e9;
    for (int pass = 0; pass < 5; ++pass) {
        size_t nBytes = 0;
        const Clock t0 = Clock::Now();
        ReadFolder(Folders::Folder(n), nBytes);
        dBest = std::min(dBest, (Clock::Now() - t0).dCpu / n);
    }
    return dBest;
}

// Pictures' work on folder nN, one file after the other into a new dialog's image lists: its
// time, and how many designs were listed.
Clock TimePictures(int n, int& nListed)
{
    CImageList imlSmall, imlLarge;
    imlSmall.Create(16, 16, ILC_COLOR24, 13, 100);
    imlLarge.Create(48, 48, ILC_COLOR24, 13, 100);
    const Clock t0 = Clock::Now();
    nListed = MakePictures(Folders::Folder(n), imlSmall, imlLarge);
    return Clock::Now() - t0;
}

// ms per file, wall time, of Pictures' work on one thread: the best of two passes.
double OneThreadMsPerFile(int n)
{
    double dBest = 1e9;
    int nListed = 0;
    for (int pass = 0; pass < 2; ++pass)
        dBest = std::min(dBest, TimePictures(n, nListed).dWall / n);
    return dBest;
}

void SetCounters(benchmark::State& state, const Clock& total, int n)
{
    const double nFiles = static_cast<double>(state.iterations()) * n;
    state.SetComplexityN(n);
    state.counters["ms/file"] = total.dWall / nFiles;
    state.counters["cpu ms/file"] = total.dCpu / nFiles;
}

void Baseline(benchmark::State& state)
{
    if (!TheFolders().Ready()) {
        state.SkipWithError("no designs");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    size_t nBytes = 0;
    Clock total;
    for (auto _ : state) {
        const Clock t0 = Clock::Now();
        if (ReadFolder(Folders::Folder(n), nBytes) != n)
            state.SkipWithError("not every file was read");
        total += Clock::Now() - t0;
    }
    SetCounters(state, total, n);
}

// The folder list with its image lists in reach.
class CBenchList : public CFolderListCtrl {
public:
    using CFolderListCtrl::CreateImageLists;
};

void Fill(benchmark::State& state)
{
    if (!TheFolders().Ready()) {
        state.SkipWithError("no designs");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    const double dOneThread = OneThreadMsPerFile(n);
    Clock total;
    CBenchList list;
    CListHostDlg dlg(list);
    dlg.m_onInit = [&](CListHostDlg& d) {
        list.m_nListKind = CFolderListCtrl::LIST_DESIGN;
        for (auto _ : state) {
            // A new dialog's image lists for every fill.
            state.PauseTiming();
            const BOOL bLists = list.CreateImageLists();
            state.ResumeTiming();
            const Clock t0 = Clock::Now();
            if (!bLists || list.ShowFolder(Folders::Folder(n), 0, 0, CFolderListCtrl::MODE_ALL, TRUE) != n)
                state.SkipWithError("not every design was listed");
            total += Clock::Now() - t0;
        }
        d.EndDialog(IDOK);
    };
    dlg.DoModal();
    SetCounters(state, total, n);
    state.counters["x one thread"] = state.counters["ms/file"] / dOneThread;
}

void Pictures(benchmark::State& state)
{
    if (!TheFolders().Ready()) {
        state.SkipWithError("no designs");
        return;
    }
    const int n = static_cast<int>(state.range(0));
    const double dBaseline = BaselineMsPerFile(n);
    Clock total;
    for (auto _ : state) {
        int nListed = 0;
        total += TimePictures(n, nListed);
        if (nListed != n)
            state.SkipWithError("not every design was listed");
    }
    SetCounters(state, total, n);
    state.counters["baseline cpu ms/file"] = dBaseline;
    state.counters["x baseline"] = state.counters["cpu ms/file"] / dBaseline;
}

BENCHMARK(Baseline)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(Fill)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);
BENCHMARK(Pictures)->Arg(100)->Arg(300)->Arg(1000)->Unit(benchmark::kMillisecond)->Complexity(benchmark::oN);

} // namespace

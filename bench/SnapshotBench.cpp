// What tavren gui's page costs the host.
//
// Pictures, with two lists of 200 48 x 48 pictures shown (two panes of thumbnails): reading and
// hashing every picture to version the lists, as the snapshot did before lists counted their
// changes, next to reading the counters, and next to fetching every picture through the host's
// PNG cache once it is filled.
//
// A folder of 1,000 designs (at the end): the whole state against what one scroll step sends.
//
//     bench_SnapshotBench --benchmark_filter=Folder
#include "host/gui/GuiSnapshotJson.h"
#include "host/gui/ImageListPngCache.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ListCtrl.h"
#include "platform/seam/Automation.h"
#include "platform/user/WindowManager.h"

#include <benchmark/benchmark.h>

#include <vector>

namespace {

constexpr int kPictures = 200;
constexpr int kSize = 48;

// Two lists kept for the whole run.
const std::vector<HIMAGELIST>& Lists()
{
    static std::vector<HIMAGELIST> lists = [] {
        std::vector<HIMAGELIST> out;
        for (int l = 0; l < 2; ++l) {
            HIMAGELIST h = ImageList_Create(kSize, kSize, ILC_COLOR24 | ILC_MASK, kPictures, 0);
            for (int n = 0; n < kPictures; ++n) {
                std::vector<uint8_t> bgr(kSize * kSize * 3);
                for (size_t i = 0; i < bgr.size(); ++i)
                    bgr[i] = static_cast<uint8_t>(i * 7 + n * 13 + l);
                CBitmap bm;
                bm.CreateBitmap(kSize, kSize, 1, 24, bgr.data());
                ImageList_AddMasked(h, static_cast<HBITMAP>(bm.m_hObject), RGB(255, 0, 255));
            }
            out.push_back(h);
        }
        return out;
    }();
    return lists;
}

tavren::Snapshot SnapshotOfLists()
{
    tavren::Snapshot snap;
    for (HIMAGELIST h : Lists())
        if (tavren::ImageListState s; tavren::GetImageListState(h, s))
            snap.imageLists[h] = s;
    return snap;
}

// The version the snapshot used to compute: FNV-1a over every picture of the list.
void BM_PollHashingEveryPicture(benchmark::State& state)
{
    for (auto _ : state) {
        nlohmann::json lists = nlohmann::json::object();
        for (HIMAGELIST h : Lists()) {
            uint64_t v = 14695981039346656037ull;
            tavren::ImageListPicture pic;
            int n = 0;
            while (tavren::GetImageListPicture(h, n, pic)) {
                for (const std::vector<uint8_t>* bytes : {&pic.bgr, &pic.transparent})
                    for (uint8_t b : *bytes)
                        v = (v ^ b) * 1099511628211ull;
                ++n;
            }
            lists[std::to_string(h)] = {{"count", n}, {"v", v}};
        }
        benchmark::DoNotOptimize(lists);
    }
}
BENCHMARK(BM_PollHashingEveryPicture)->Unit(benchmark::kMicrosecond);

void BM_PollReadingChangeCounters(benchmark::State& state)
{
    CImageListPngCache cache;
    for (auto _ : state) {
        tavren::Snapshot snap = SnapshotOfLists();
        cache.Keep(snap.imageLists);
        benchmark::DoNotOptimize(SnapshotToJson(snap));
    }
}
BENCHMARK(BM_PollReadingChangeCounters)->Unit(benchmark::kMicrosecond);

// Every picture asked for again (a page without a browser cache): served from the host's cache.
void BM_PollFetchingEveryPictureCached(benchmark::State& state)
{
    CImageListPngCache cache;
    for (HIMAGELIST h : Lists())
        for (int i = 0; i < kPictures; ++i)
            cache.Png(h, i);
    for (auto _ : state) {
        tavren::Snapshot snap = SnapshotOfLists();
        cache.Keep(snap.imageLists);
        benchmark::DoNotOptimize(SnapshotToJson(snap));
        size_t nBytes = 0;
        for (const auto& [h, s] : snap.imageLists)
            for (int i = 0; i < s.nCount; ++i)
                nBytes += cache.Png(h, i).size();
        benchmark::DoNotOptimize(nBytes);
    }
}
BENCHMARK(BM_PollFetchingEveryPictureCached)->Unit(benchmark::kMicrosecond);

} // namespace

// What the page of tavren gui costs with a folder of 1,000 designs shown as thumbnails: the whole
// state as the page used to fetch it on every poll (every item), next to what one scroll step
// (a line of the scroll bar) sends now (the items around the view, as a patch against the
// version before). "bytes" is what goes over the wire.
namespace {

constexpr int kDesigns = 1000;

class CFolderDlg : public CDialog {
public:
    std::vector<tavren::DialogItemTemplate> m_items = {
        {u"SysListView32", 100, u"", 0, 0, 0, 280, 200, WS_CHILD | WS_VISIBLE | WS_BORDER | LVS_ICON, 0}};
    tavren::DialogTemplate m_tmpl{};
    CListCtrl m_list;
    HWND m_hList = 0;

    CFolderDlg()
    {
        m_tmpl.pszCaption = u"Designs";
        m_tmpl.dwStyle = WS_POPUP | WS_CAPTION | WS_VISIBLE | DS_SETFONT;
        m_tmpl.cx = 290;
        m_tmpl.cy = 210;
        m_tmpl.pszFontName = u"MS Shell Dlg";
        m_tmpl.wFontSize = 8;
        m_tmpl.pItems = m_items.data();
        m_tmpl.nItems = static_cast<UINT>(m_items.size());
        SetTemplate(&m_tmpl);
        tavren::CreateDialogWindow(m_tmpl, 0, this, 0);
        m_hList = ::GetDlgItem(m_hWnd, 100);
        m_list.Attach(m_hList);
        m_list.SetImageList(Lists()[0], LVSIL_NORMAL);
        for (int i = 0; i < kDesigns; ++i) {
            CString name;
            name.Format(u"Design %04d.qef", i);
            m_list.InsertItem(i, name, i % kPictures);
        }
    }
    ~CFolderDlg() override
    {
        m_list.Detach();
        DestroyWindow();
    }
};

void BM_PageWholeStateOfAFolder(benchmark::State& state)
{
    // Made and destroyed here: a window left at exit would outlive its thread's queue.
    CFolderDlg folder;
    size_t nBytes = 0;
    for (auto _ : state) {
        nlohmann::json j = SnapshotToJson(tavren::TakeSnapshot(2000));
        nBytes = j.dump().size();
    }
    state.counters["bytes"] = static_cast<double>(nBytes);
}
BENCHMARK(BM_PageWholeStateOfAFolder)->Unit(benchmark::kMillisecond);

void BM_PageScrollStepOfAFolder(benchmark::State& state)
{
    CFolderDlg folder;
    HWND hList = folder.m_hList;
    nlohmann::json before = SnapshotToJson(tavren::TakeSnapshot(2000, 1));
    size_t nBytes = 0;
    int nStep = 0;
    for (auto _ : state) {
        // Down through the first hundred rows and back, a line at a time.
        ::SendMessageW(hList, WM_VSCROLL, (nStep++ / 100) % 2 ? SB_LINEUP : SB_LINEDOWN, 0);
        nlohmann::json now = SnapshotToJson(tavren::TakeSnapshot(2000, 1));
        nBytes = nlohmann::json::diff(before, now).dump().size();
        before = std::move(now);
    }
    state.counters["bytes"] = static_cast<double>(nBytes);
}
BENCHMARK(BM_PageScrollStepOfAFolder)->Unit(benchmark::kMillisecond);

} // namespace

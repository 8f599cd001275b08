// What one poll of tavren gui's page costs in image list pictures, with two lists of 200 48 x 48
// pictures shown (two panes of thumbnails): reading and hashing every picture to version the
// lists, as the snapshot did before lists counted their changes, next to reading the counters,
// and next to fetching every picture through the host's PNG cache once it is filled.
#include "host/GuiSnapshotJson.h"
#include "host/ImageListPngCache.h"

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

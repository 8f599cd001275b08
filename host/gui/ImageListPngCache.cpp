#include "host/gui/ImageListPngCache.h"

#include "host/gui/PngBuffer.h"

namespace {

constexpr uint64_t kUnchecked = ~0ull;

// FNV-1a over the pixels and the mask, enough to tell one picture from the next.
uint64_t Hash(const tavren::ImageListPicture& pic)
{
    uint64_t h = 14695981039346656037ull;
    for (const std::vector<uint8_t>* bytes : {&pic.bgr, &pic.transparent})
        for (uint8_t b : *bytes)
            h = (h ^ b) * 1099511628211ull;
    return h;
}

} // namespace

CImageListPngCache::CImageListPngCache(Encoder encoder) : m_encoder(std::move(encoder))
{
    if (!m_encoder)
        m_encoder = [](const tavren::ImageListPicture& pic) { return EncodePngBgr(pic.cx, pic.cy, pic.bgr, &pic.transparent); };
}

std::vector<uint8_t> CImageListPngCache::Png(HIMAGELIST h, int i)
{
    std::lock_guard lock(m_mutex);
    tavren::ImageListState before;
    if (!tavren::GetImageListState(h, before)) {
        m_lists.erase(h);
        return {};
    }
    List& list = m_lists[h];
    if (list.nSerial != before.nSerial)
        list = List{before.nSerial, {}}; // the handle now names another list
    auto it = list.pictures.find(i);
    if (it != list.pictures.end() && it->second.nChanges == before.nChanges)
        return it->second.png;

    tavren::ImageListPicture pic;
    if (!tavren::GetImageListPicture(h, i, pic)) {
        list.pictures.erase(i);
        return {};
    }
    uint64_t nHash = Hash(pic);
    Picture& cached = list.pictures[i];
    if (cached.png.empty() || cached.nHash != nHash) {
        cached.png = m_encoder(pic);
        cached.nHash = nHash;
    }
    // Read between two looks at the counter: only a picture known to be current is marked so.
    tavren::ImageListState after;
    cached.nChanges = tavren::GetImageListState(h, after) && after.nChanges == before.nChanges ? before.nChanges : kUnchecked;
    return cached.png;
}

void CImageListPngCache::Keep(const std::map<HIMAGELIST, tavren::ImageListState>& shown)
{
    std::lock_guard lock(m_mutex);
    for (auto it = m_lists.begin(); it != m_lists.end();) {
        auto s = shown.find(it->first);
        it = s == shown.end() || s->second.nSerial != it->second.nSerial ? m_lists.erase(it) : std::next(it);
    }
}

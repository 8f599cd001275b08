// The PNGs of image list pictures, kept by list and change counter: while a list does not change,
// the page's requests for its pictures cost a look-up, not a read and an encode. When it changes,
// a picture is encoded again only if its pixels differ from what was encoded before.
#pragma once

#include "platform/afx/ImageList.h"

#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <vector>

class CImageListPngCache {
public:
    using Encoder = std::function<std::vector<uint8_t>(const tavren::ImageListPicture&)>;

    // The encoder defaults to EncodePngBgr with the picture's transparency.
    explicit CImageListPngCache(Encoder encoder = {});

    // Picture i of the list as it is now; empty when the list or the picture does not exist.
    std::vector<uint8_t> Png(HIMAGELIST h, int i);
    // Forgets the lists that are no longer shown (the snapshot's imageLists).
    void Keep(const std::map<HIMAGELIST, tavren::ImageListState>& shown);

private:
    struct Picture {
        uint64_t nChanges = 0; // the list's counter when the picture was last checked
        uint64_t nHash = 0;    // of its pixels and transparency
        std::vector<uint8_t> png;
    };
    struct List {
        uint64_t nSerial = 0;
        std::map<int, Picture> pictures;
    };

    Encoder m_encoder;
    std::mutex m_mutex;
    std::map<HIMAGELIST, List> m_lists;
};

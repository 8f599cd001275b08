// The picture pairs of a folder's files, made several at a time.
//
// Reading a design and drawing its thumbnail is nearly all a fill costs, and each file stands
// alone: threads (one per processor, the calling one among them) read and draw a window of files
// at once, then the calling thread takes the pairs in the folder's order, so the image lists and
// items come out exactly as if the files were done one after the other. The window bounds what a
// large folder holds in memory at a time.
#pragma once

#include "platform/afx/Bitmap.h"
#include "platform/afx/CString.h"

#include <atomic>
#include <functional>
#include <vector>

class CFilePictures {
public:
    struct Pair {
        CBitmap bmFirst;
        CBitmap bmSecond;
        BOOL bMade = FALSE; // FALSE: no file, or one that cannot be read
    };
    // Files per window: enough to keep every thread busy, few enough to hold.
    static constexpr size_t WINDOW = 64;

    // bStx: the files are stitch files, else designs; bWithChecks: the pairs carry the boxes.
    CFilePictures(BOOL bStx, BOOL bWithChecks);

    // For every path in order, on the calling thread: take(index, pair). An empty path asks for
    // nothing and gets a pair not made.
    void Make(const std::vector<CString>& paths, const std::function<void(size_t, Pair&)>& take);

    // One file's pair, made here: FALSE when the file cannot be read. The boxes are loaded for
    // the call unless given.
    static BOOL MakePair(BOOL bStx, BOOL bWithChecks, const CString& strPath, Pair& pair,
                         const CBitmap* pBoxEmpty = nullptr, const CBitmap* pBoxTicked = nullptr);

private:
    static UINT WorkerProc(LPVOID pParam);
    // Takes files of the current window until none is left.
    void MakeSome();

    BOOL m_bStx;
    BOOL m_bWithChecks;
    int m_nThreads = 1;
    const CString* m_pPaths = nullptr;
    Pair* m_pPairs = nullptr;
    size_t m_nCount = 0;
    std::atomic<size_t> m_nNext{0};
};

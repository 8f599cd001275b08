#include "lists/FilePictures.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "design/StxFile.h"
#include "platform/kernel/Handle.h"
#include "platform/kernel/SystemInfo.h"
#include "platform/afx/WinThread.h"
#include "preview/ListPicture.h"

#include <algorithm>

namespace {

// More threads than this only wait for the disk.
constexpr DWORD kMostThreads = 8;

} // namespace

CFilePictures::CFilePictures(BOOL bStx, BOOL bWithChecks) : m_bStx(bStx), m_bWithChecks(bWithChecks)
{
    SYSTEM_INFO info{};
    GetSystemInfo(&info);
    m_nThreads = static_cast<int>(std::clamp<DWORD>(info.dwNumberOfProcessors, 1, kMostThreads));
}

void CFilePictures::Make(const std::vector<CString>& paths, const std::function<void(size_t, Pair&)>& take)
{
    for (size_t nStart = 0; nStart < paths.size(); nStart += WINDOW) {
        std::vector<Pair> pairs(std::min(WINDOW, paths.size() - nStart));
        m_pPaths = paths.data() + nStart;
        m_pPairs = pairs.data();
        m_nCount = pairs.size();
        m_nNext = 0;
        // A thread that cannot be started leaves its share to the others.
        std::vector<CWinThread*> workers;
        for (int i = 1; i < m_nThreads && static_cast<size_t>(i) < pairs.size(); i++) {
            CWinThread* pThread = AfxBeginThread(WorkerProc, this, THREAD_PRIORITY_NORMAL, 0, CREATE_SUSPENDED);
            if (!pThread)
                break;
            pThread->m_bAutoDelete = FALSE;
            pThread->ResumeThread();
            workers.push_back(pThread);
        }
        MakeSome();
        for (CWinThread* pThread : workers) {
            WaitForSingleObject(*pThread, INFINITE);
            delete pThread;
        }
        for (size_t i = 0; i < pairs.size(); i++)
            take(nStart + i, pairs[i]);
    }
    m_pPaths = nullptr;
    m_pPairs = nullptr;
    m_nCount = 0;
}

UINT CFilePictures::WorkerProc(LPVOID pParam)
{
    static_cast<CFilePictures*>(pParam)->MakeSome();
    return 0;
}

void CFilePictures::MakeSome()
{
    // Each thread draws with boxes of its own: a bitmap is selected into one DC at a time.
    CBitmap boxEmpty, boxTicked;
    bool bLoaded = false;
    for (size_t i = m_nNext++; i < m_nCount; i = m_nNext++) {
        if (m_pPaths[i].IsEmpty())
            continue;
        if (!bLoaded) {
            CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, boxEmpty);
            CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, boxTicked);
            bLoaded = true;
        }
        MakePair(m_bStx, m_bWithChecks, m_pPaths[i], m_pPairs[i], &boxEmpty, &boxTicked);
    }
}

BOOL CFilePictures::MakePair(BOOL bStx, BOOL bWithChecks, const CString& strPath, Pair& pair, const CBitmap* pBoxEmpty,
                             const CBitmap* pBoxTicked)
{
    if (bStx) {
        CStxFile stx;
        pair.bMade = stx.ReadFile(strPath) &&
                     CListPicture::MakeStxPair(stx, bWithChecks, pair.bmFirst, pair.bmSecond, pBoxEmpty, pBoxTicked);
    } else {
        CEmbFile file;
        CEmbData design;
        pair.bMade = file.ReadFile(strPath, design) &&
                     CListPicture::MakeDesignPair(design, bWithChecks, pair.bmFirst, pair.bmSecond, pBoxEmpty, pBoxTicked);
    }
    return pair.bMade;
}

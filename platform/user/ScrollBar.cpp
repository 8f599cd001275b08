// A window's own scroll bars (WS_HSCROLL, WS_VSCROLL): the range, page and position a control
// keeps in them, read by the front ends from the snapshot. Nothing is drawn here.
#include "platform/user/WindowManager.h"

#include <algorithm>

namespace {

// The highest position: the last page shows the end of the range.
int MaxPos(const SCROLLINFO& si)
{
    return std::max(si.nMin, si.nMax - std::max(static_cast<int>(si.nPage) - 1, 0));
}

bool ValidBar(int nBar) { return nBar == SB_HORZ || nBar == SB_VERT; }

} // namespace

int SetScrollInfo(HWND hWnd, int nBar, LPCSCROLLINFO lpsi, BOOL)
{
    int nResult = 0;
    if (!lpsi || !ValidBar(nBar))
        return 0;
    SCROLLINFO in = *lpsi;
    tavren::RunOnWindowThread(hWnd, [&] {
        auto p = tavren::GetWindowRecord(hWnd);
        if (!p)
            return;
        SCROLLINFO& si = p->scroll[nBar];
        if (in.fMask & SIF_RANGE) {
            si.nMin = in.nMin;
            si.nMax = std::max(in.nMin, in.nMax);
        }
        if (in.fMask & SIF_PAGE)
            si.nPage = static_cast<UINT>(std::min<long long>(in.nPage, static_cast<long long>(si.nMax) - si.nMin + 1));
        if (in.fMask & SIF_POS)
            si.nPos = in.nPos;
        si.nPos = std::clamp(si.nPos, si.nMin, MaxPos(si));
        si.nTrackPos = std::clamp(si.nTrackPos, si.nMin, MaxPos(si));
        const DWORD dwBar = nBar == SB_VERT ? WS_VSCROLL : WS_HSCROLL;
        const bool bNeeded = MaxPos(si) > si.nMin;
        if (bNeeded || (in.fMask & SIF_DISABLENOSCROLL))
            p->dwStyle |= dwBar;
        else
            p->dwStyle &= ~dwBar;
        nResult = si.nPos;
    }, INFINITE);
    return nResult;
}

BOOL GetScrollInfo(HWND hWnd, int nBar, LPSCROLLINFO lpsi)
{
    BOOL bOk = FALSE;
    if (!lpsi || !ValidBar(nBar))
        return FALSE;
    tavren::RunOnWindowThread(hWnd, [&] {
        auto p = tavren::GetWindowRecord(hWnd);
        if (!p)
            return;
        const SCROLLINFO& si = p->scroll[nBar];
        if (lpsi->fMask & SIF_RANGE) {
            lpsi->nMin = si.nMin;
            lpsi->nMax = si.nMax;
        }
        if (lpsi->fMask & SIF_PAGE)
            lpsi->nPage = si.nPage;
        if (lpsi->fMask & SIF_POS)
            lpsi->nPos = si.nPos;
        if (lpsi->fMask & SIF_TRACKPOS)
            lpsi->nTrackPos = si.nTrackPos;
        bOk = TRUE;
    }, INFINITE);
    return bOk;
}

int GetScrollPos(HWND hWnd, int nBar)
{
    SCROLLINFO si;
    si.fMask = SIF_POS;
    return GetScrollInfo(hWnd, nBar, &si) ? si.nPos : 0;
}

int SetScrollPos(HWND hWnd, int nBar, int nPos, BOOL bRedraw)
{
    int nOld = GetScrollPos(hWnd, nBar);
    SCROLLINFO si;
    si.fMask = SIF_POS;
    si.nPos = nPos;
    SetScrollInfo(hWnd, nBar, &si, bRedraw);
    return nOld;
}

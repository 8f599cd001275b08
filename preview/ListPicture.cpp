#include "preview/ListPicture.h"

#include "platform/afx/ModuleState.h"

#include "design/EmbData.h"
#include "design/StxFile.h"
#include "platform/afx/Dc.h"
#include "preview/DrawCtrl.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr int kSize = CListPicture::PICTURE_SIZE;
constexpr COLORREF kWhite = RGB(255, 255, 255);

// The one-pixel black frame: from (0,0) down, across, up and back.
void DrawFrameLines(CDC& dc)
{
    dc.MoveTo(0, 0);
    dc.LineTo(0, kSize - 1);
    dc.LineTo(kSize - 1, kSize - 1);
    dc.LineTo(kSize - 1, 0);
    dc.LineTo(0, 0);
}

// The final picture: white, the working bitmap stretched into (0, 0, 48, nHeight) with the given
// stretch mode, the one-pixel black frame.
BOOL FramePicture(CDC& dcWork, int nWorkWidth, int nWorkHeight, int nHeight, int nStretchMode, CBitmap& bmOut)
{
    CDC dc;
    bmOut.DeleteObject(); // an output bitmap that holds an older picture gets the new one
    if (!dc.CreateCompatibleDC(nullptr) || !bmOut.CreateCompatibleBitmap(&dc, kSize, kSize))
        return FALSE;
    CBitmap* pOld = dc.SelectObject(&bmOut);
    dc.SetStretchBltMode(nStretchMode);
    dc.PatBlt(0, 0, kSize, kSize, WHITENESS);
    dc.StretchBlt(0, 0, kSize, nHeight, &dcWork, 0, 0, nWorkWidth, nWorkHeight, SRCCOPY);
    DrawFrameLines(dc);
    dc.SelectObject(pOld);
    return TRUE;
}

BOOL CopyBitmap(const CBitmap& bmFrom, CBitmap& bmTo)
{
    int w, h;
    std::vector<uint8_t> bits;
    if (!tavren::GetBitmapPixels(bmFrom.m_hObject, w, h, bits))
        return FALSE;
    bmTo.DeleteObject();
    return bmTo.CreateBitmap(w, h, 1, 24, bits.data());
}

BOOL MakePair(CBitmap& bmPlain, BOOL bWithChecks, bool bBoxWithoutChecks, CBitmap& bmFirst, CBitmap& bmSecond,
              const CBitmap* pBoxEmpty, const CBitmap* pBoxTicked)
{
    CBitmap boxEmpty, boxTicked;
    if (!pBoxEmpty) {
        CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, boxEmpty);
        pBoxEmpty = &boxEmpty;
    }
    if (!pBoxTicked) {
        CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, boxTicked);
        pBoxTicked = &boxTicked;
    }
    if (!CopyBitmap(bmPlain, bmFirst) || !CopyBitmap(bmPlain, bmSecond))
        return FALSE;
    if (bWithChecks) {
        CListPicture::DrawBox(bmFirst, *pBoxEmpty);
        CListPicture::DrawBox(bmSecond, *pBoxTicked);
    } else if (bBoxWithoutChecks) {
        CListPicture::DrawBox(bmSecond, *pBoxTicked);
    }
    return TRUE;
}

} // namespace

int CListPicture::GetWorkingSide(CEmbData& design)
{
    RECT rc;
    design.GetBoundingRect(rc, design.m_nAngle, design.m_bMirrorVertical, design.m_bMirrorHorizontal, design.m_nScale);
    // 0.1 mm to screen pixels, as the 0.1 mm mapping mode converts them.
    CDC dcScreen;
    dcScreen.CreateCompatibleDC(nullptr);
    const double dPixelsPerUnit = dcScreen.GetDeviceCaps(LOGPIXELSX) / 254.0;
    int nWidth = static_cast<int>(std::lround((static_cast<double>(rc.right) - rc.left) * dPixelsPerUnit));
    int nHeight = static_cast<int>(std::lround((static_cast<double>(rc.top) - rc.bottom) * dPixelsPerUnit));
    // A design larger than any machine hoop still gets a bitmap that memory can hold.
    return std::clamp(std::max(nWidth, nHeight), 1, 8192);
}

BOOL CListPicture::DrawDesignPicture(CEmbData& design, CBitmap& bmOut)
{
    if (design.m_nStatus <= 0)
        return FALSE;
    const int nSide = GetWorkingSide(design);
    CDC dcWork;
    CBitmap bmWork;
    if (!dcWork.CreateCompatibleDC(nullptr) || !bmWork.CreateCompatibleBitmap(&dcWork, nSide, nSide))
        return FALSE;
    CBitmap* pOld = dcWork.SelectObject(&bmWork);
    const bool bAllLight = design.IsAllLight();
    dcWork.FillSolidRect(0, 0, nSide, nSide, bAllLight ? LIGHT_THREAD_BACKGROUND : kWhite);

    const int nOldMode = dcWork.SetMapMode(MM_LOMETRIC);
    const CPoint ptOldOrg = dcWork.SetViewportOrg(nSide / 2, nSide / 2);
    CDrawCtrl draw;
    draw.Draw(design, &dcWork, 0, 0);
    dcWork.SetViewportOrg(ptOldOrg);
    dcWork.SetMapMode(nOldMode);

    // Shrinking ANDs the pixels it drops by default, which keeps dark threads on white but lets
    // the darker background swallow light threads. Light threads shrink ORing instead (the mirror
    // image of the default), so each keeps its full brightness; averaging (HALFTONE) would thin a
    // one-pixel thread to a faint tint of the background.
    BOOL bOk = FramePicture(dcWork, nSide, nSide, kSize, bAllLight ? WHITEONBLACK : BLACKONWHITE, bmOut);
    dcWork.SelectObject(pOld);
    return bOk;
}

BOOL CListPicture::DrawStxPicture(CStxFile& stx, CBitmap& bmOut)
{
    CDC dcWork;
    CBitmap bmWork;
    if (!dcWork.CreateCompatibleDC(nullptr) || !bmWork.CreateCompatibleBitmap(&dcWork, kSize, kSize))
        return FALSE;
    CBitmap* pOld = dcWork.SelectObject(&bmWork);
    dcWork.PatBlt(0, 0, kSize, kSize, WHITENESS);
    const int nOffsetY = stx.GetMinFeed() < 0 ? 6 - stx.GetMinFeed() : 6;
    stx.DrawOutline(dcWork, 20, nOffsetY);
    // The outline keeps the top 80 % of the picture: 48 * 80 / 100 = 38 rows.
    BOOL bOk = FramePicture(dcWork, kSize, kSize, kSize * 80 / 100, BLACKONWHITE, bmOut);
    dcWork.SelectObject(pOld);
    return bOk;
}

BOOL CListPicture::DrawBox(CBitmap& bmPicture, const CBitmap& bmBox)
{
    CDC dc, dcBox;
    if (!dc.CreateCompatibleDC(nullptr) || !dcBox.CreateCompatibleDC(nullptr))
        return FALSE;
    BITMAP info;
    if (bmBox.GetBitmap(&info) == 0)
        return FALSE;
    CBitmap* pOld = dc.SelectObject(&bmPicture);
    CBitmap* pOldBox = dcBox.SelectObject(const_cast<CBitmap*>(&bmBox));
    BOOL bOk = pOld && pOldBox &&
               dc.TransparentBlt(kSize - BOX_SIZE, kSize - BOX_SIZE, BOX_SIZE, BOX_SIZE, &dcBox, 0, 0, info.bmWidth,
                                 info.bmHeight, kWhite);
    if (pOldBox)
        dcBox.SelectObject(pOldBox);
    if (pOld)
        dc.SelectObject(pOld);
    return bOk;
}

BOOL CListPicture::LoadBox(UINT nId, CBitmap& bmBox)
{
    bmBox.DeleteObject();
    // The boxes are the module's bitmaps (or its language module's), whoever asks for a picture.
    AFX_MANAGE_STATE(AfxGetStaticModuleState());
    if (bmBox.LoadBitmap(nId))
        return TRUE;
    return DrawStandInBox(nId == IDB_BOX_TICKED, bmBox);
}

BOOL CListPicture::DrawStandInBox(BOOL bTicked, CBitmap& bmBox)
{
    bmBox.DeleteObject();
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !bmBox.CreateCompatibleBitmap(&dc, BOX_SIZE, BOX_SIZE))
        return FALSE;
    CBitmap* pOld = dc.SelectObject(&bmBox);
    dc.PatBlt(0, 0, BOX_SIZE, BOX_SIZE, WHITENESS);
    CBrush fill(RGB(250, 250, 250)); // the inside stays visible over the picture: not pure white
    CBrush* pOldBrush = dc.SelectObject(&fill);
    dc.PatBlt(2, 2, 12, 12, PATCOPY);
    dc.SelectObject(pOldBrush);
    dc.MoveTo(2, 2);
    dc.LineTo(2, 13);
    dc.LineTo(13, 13);
    dc.LineTo(13, 2);
    dc.LineTo(2, 2);
    if (bTicked) {
        CPen tick(PS_SOLID, 2, 0);
        CPen* pOldPen = dc.SelectObject(&tick);
        dc.MoveTo(4, 7);
        dc.LineTo(7, 10);
        dc.LineTo(12, 4);
        dc.SelectObject(pOldPen);
    }
    dc.SelectObject(pOld);
    return TRUE;
}

BOOL CListPicture::MakeDesignPair(CEmbData& design, BOOL bWithChecks, CBitmap& bmFirst, CBitmap& bmSecond,
                                  const CBitmap* pBoxEmpty, const CBitmap* pBoxTicked)
{
    CBitmap bmPlain;
    if (!DrawDesignPicture(design, bmPlain))
        return FALSE;
    return MakePair(bmPlain, bWithChecks, true, bmFirst, bmSecond, pBoxEmpty, pBoxTicked);
}

BOOL CListPicture::MakeStxPair(CStxFile& stx, BOOL bWithChecks, CBitmap& bmFirst, CBitmap& bmSecond,
                               const CBitmap* pBoxEmpty, const CBitmap* pBoxTicked)
{
    CBitmap bmPlain;
    if (!DrawStxPicture(stx, bmPlain))
        return FALSE;
    return MakePair(bmPlain, bWithChecks, false, bmFirst, bmSecond, pBoxEmpty, pBoxTicked);
}

BOOL CListPicture::DrawStripPicture(UINT nStripId, int nSize, int nPicture, CBitmap& bmOut)
{
    CBitmap bmStrip;
    if (!bmStrip.LoadBitmap(nStripId))
        return FALSE;
    CDC dc, dcStrip;
    bmOut.DeleteObject();
    if (!dc.CreateCompatibleDC(nullptr) || !dcStrip.CreateCompatibleDC(nullptr) ||
        !bmOut.CreateCompatibleBitmap(&dc, nSize, nSize))
        return FALSE;
    CBitmap* pOld = dc.SelectObject(&bmOut);
    CBitmap* pOldStrip = dcStrip.SelectObject(&bmStrip);
    dc.PatBlt(0, 0, nSize, nSize, WHITENESS);
    dc.TransparentBlt(0, 0, nSize, nSize, &dcStrip, nPicture * nSize, 0, nSize, nSize, kWhite);
    dcStrip.SelectObject(pOldStrip);
    dc.SelectObject(pOld);
    return TRUE;
}

void CListPicture::DrawFrame(CBitmap& bm)
{
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr))
        return;
    CBitmap* pOld = dc.SelectObject(&bm);
    DrawFrameLines(dc);
    dc.SelectObject(pOld);
}

// CListPicture: the 48 x 48 pictures of the large-icon lists, one pair per file - the picture of
// the file unchecked and the same picture checked - exactly as the folder list adds them to its
// large image list.
//
// A design: a square working bitmap as large as the design's extent in screen pixels, white (or
// grey-blue when every thread is light, so light threads stay visible), the design drawn in
// MM_LOMETRIC about its centre by CDrawCtrl, then stretched into 48 x 48 (light threads with a
// stretch mode that keeps light pixels, dark ones with the default) with a one-pixel black frame. An STX pattern: its outline drawn into a 48 x 48 working bitmap, squeezed into the top 38
// rows, framed. The check boxes (bitmaps 13005, 13006) go transparently into the bottom-right
// 16 x 16 corner.
//
// Usage in a folder list (pictures from index 16 on come in pairs, the odd one checked):
//     CBitmap bmFirst, bmSecond;
//     if (!CListPicture::MakeDesignPair(design, withChecks, bmFirst, bmSecond)) ...
//     int nIndex = m_imlLarge.Add(&bmFirst, (CBitmap*)nullptr);
//     m_imlLarge.Add(&bmSecond, (CBitmap*)nullptr);
#pragma once

#include "platform/afx/Bitmap.h"

class CEmbData;
class CStxFile;

class CListPicture {
public:
    enum {
        PICTURE_SIZE = 48,       // the height of the large strip's pictures
        BOX_SIZE = 16,
        IDB_BOX_EMPTY = 13005,
        IDB_BOX_TICKED = 13006,
    };
    static constexpr COLORREF LIGHT_THREAD_BACKGROUND = RGB(0x88, 0x9B, 0x9B);

    // bmFirst: the framed picture with the empty box when bWithChecks, else without a box;
    // bmSecond: the framed picture with the ticked box. False when the design has no positive
    // status or a bitmap cannot be made. The boxes come from the resource chain unless given.
    // Output bitmaps that already hold a picture are replaced.
    static BOOL MakeDesignPair(CEmbData& design, BOOL bWithChecks, CBitmap& bmFirst, CBitmap& bmSecond,
                               const CBitmap* pBoxEmpty = nullptr, const CBitmap* pBoxTicked = nullptr);
    // As above for an STX pattern; without checks both pictures are the plain framed one.
    static BOOL MakeStxPair(CStxFile& stx, BOOL bWithChecks, CBitmap& bmFirst, CBitmap& bmSecond,
                            const CBitmap* pBoxEmpty = nullptr, const CBitmap* pBoxTicked = nullptr);

    // The steps on their own: the framed 48 x 48 picture without a box ...
    static BOOL DrawDesignPicture(CEmbData& design, CBitmap& bmOut);
    static BOOL DrawStxPicture(CStxFile& stx, CBitmap& bmOut);
    // ... the working bitmap's side for a design, in screen pixels ...
    static int GetWorkingSide(CEmbData& design);
    // ... and a box drawn into the bottom-right corner, white left out.
    static BOOL DrawBox(CBitmap& bmPicture, const CBitmap& bmBox);
    // A box of bitmap resource nId (13005, 13006); when the resources lack it, DrawStandInBox,
    // so a picture is never left without its mark.
    static BOOL LoadBox(UINT nId, CBitmap& bmBox);
    // 16 x 16: a black square on white, with a tick when bTicked.
    static BOOL DrawStandInBox(BOOL bTicked, CBitmap& bmBox);
    // Picture nPicture of a resource strip of nSize-square pictures (13003, 13004), drawn onto
    // white with the strip's white left out.
    static BOOL DrawStripPicture(UINT nStripId, int nSize, int nPicture, CBitmap& bmOut);
    // The one-pixel black frame along the four edges of a 48 x 48 picture.
    static void DrawFrame(CBitmap& bm);
};

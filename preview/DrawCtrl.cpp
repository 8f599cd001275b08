#include "preview/DrawCtrl.h"

#include "design/EmbData.h"
#include "design/ThreadPalette.h"
#include "platform/afx/Dc.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <memory>

namespace {

constexpr double kPi = 3.141592653589;

// A design coordinate (0.1 mm) as a logical coordinate: 40 % of it, rounded half away from zero
// like every coordinate handed to the device context.
int ToLogical(double c)
{
    return static_cast<int>(std::lround(c * 40 / 100));
}

bool IsMarkBlock(const CLayerInfo& block)
{
    return block.m_bCustom && block.m_customThread.bMarker == MARKER_PLACEMENT;
}

// Where a placement mark points from the needle position, by the block's mark direction.
void MarkOffset(int nDirection, double& dx, double& dy)
{
    switch (nDirection) {
    case 1: dx = 4; dy = 0; break;
    case 3: dx = 0; dy = -4; break;
    case 4: dx = 4; dy = -4; break;
    default: dx = -4; dy = -4; break;
    }
}

// The pens of one colour block, selected into the device context while the block is drawn.
class BlockPens {
public:
    BlockPens(CDC* pDC, COLORREF cr, int nWidth)
        : m_pDC(pDC), m_solid(PS_SOLID, nWidth, cr), m_dotted(PS_DOT, nWidth, cr)
    {
        m_pOld = m_pDC->SelectObject(&m_solid);
    }
    ~BlockPens()
    {
        if (m_pOld)
            m_pDC->SelectObject(m_pOld);
    }
    BlockPens(const BlockPens&) = delete;
    BlockPens& operator=(const BlockPens&) = delete;

    void SelectSolid() { m_pDC->SelectObject(&m_solid); }
    void SelectDotted() { m_pDC->SelectObject(&m_dotted); }

private:
    CDC* m_pDC;
    CPen m_solid;
    CPen m_dotted;
    CPen* m_pOld = nullptr;
};

// Lines from the current position, handed to the device context a batch at a time (PolylineTo
// is LineTo point after point, in one call). Flushed before anything else is done to the device
// context: a move, a pen change, the end.
class LineBatch {
public:
    explicit LineBatch(CDC* pDC) : m_pDC(pDC) {}
    ~LineBatch() { Flush(); }
    LineBatch(const LineBatch&) = delete;
    LineBatch& operator=(const LineBatch&) = delete;

    void LineTo(int x, int y)
    {
        if (m_nCount == kSize)
            Flush();
        m_apt[m_nCount++] = {x, y};
    }
    void MoveTo(int x, int y)
    {
        Flush();
        m_pDC->MoveTo(x, y);
    }
    void Flush()
    {
        if (m_nCount > 0)
            ::PolylineTo(m_pDC->GetSafeHdc(), m_apt, static_cast<DWORD>(m_nCount));
        m_nCount = 0;
    }

private:
    static constexpr int kSize = 256;
    CDC* m_pDC;
    POINT m_apt[kSize];
    int m_nCount = 0;
};

} // namespace

COLORREF CDrawCtrl::BlendColor(COLORREF crFrom, COLORREF crTo, int nPercent)
{
    int p = std::clamp(nPercent, 0, 100);
    auto mix = [p](int from, int to) { return static_cast<BYTE>(from * (100 - p) / 100 + to * p / 100); };
    return RGB(mix(GetRValue(crFrom), GetRValue(crTo)), mix(GetGValue(crFrom), GetGValue(crTo)),
               mix(GetBValue(crFrom), GetBValue(crTo)));
}

COLORREF CDrawCtrl::GetBlockColor(const CEmbData& design, int nBlock) const
{
    const CLayerInfo& block = design.m_pColorBlocks[nBlock];
    COLORREF cr = (!m_bForcePaletteColors && block.m_bCustom)
                      ? RGB(block.m_customThread.bRed, block.m_customThread.bGreen, block.m_customThread.bBlue)
                      : ThreadPaletteColor(block.m_nPaletteIndex);
    if (m_bSoftenWhite && GetRValue(cr) == 255 && GetGValue(cr) >= 252 && GetBValue(cr) > 240)
        cr = RGB(255, 251, 240);
    if (m_nBlendPercent != 0)
        cr = BlendColor(cr, m_crBlend, m_nBlendPercent);
    if (nBlock > 0 && IsMarkBlock(block))
        cr = 0;
    return cr;
}

void CDrawCtrl::Draw(CEmbData& design, CDC* pDC, int nOffsetX, int nOffsetY)
{
    if (design.m_nStatus <= 0 || !pDC || design.m_nColorBlockCount < 1 || !design.m_pColorBlocks ||
        !design.m_pStitchWords)
        return;

    double dStartX = 0, dStartY = 0, dSignX = 1, dSignY = 1, dTheta = 0, dScale = 100;
    if (m_bApplyPlacement) {
        dStartX = std::lround(design.m_dPosX);
        dStartY = std::lround(design.m_dPosY);
        dSignX = design.m_bMirrorHorizontal ? -1 : 1;
        dSignY = design.m_bMirrorVertical ? -1 : 1;
        dTheta = -design.m_nAngle * kPi / 180;
        dScale = design.IgnoresScale() ? 100 : design.m_nScale;
    }
    // A move or stitch (dx, dy) in design units, mirrored, scaled and rotated.
    const double dCos = std::cos(dTheta), dSin = std::sin(dTheta);
    auto transform = [&](int dx, int dy, double& outX, double& outY) {
        double sx = dSignX * dx * dScale / 100;
        double sy = dSignY * dy * dScale / 100;
        outX = dCos * sx - dSin * sy;
        outY = dSin * sx + dCos * sy;
    };

    double px = dStartX + nOffsetX, py = dStartY + nOffsetY;
    int nBlock = 0;
    auto pPens = std::make_unique<BlockPens>(pDC, GetBlockColor(design, 0), m_nPenWidth);
    LineBatch lines(pDC); // flushed before the pens go
    lines.MoveTo(ToLogical(px), ToLogical(py));

    const STITCHWORD* pWords = design.m_pStitchWords;
    const int nWords = design.GetStitchWordCount();
    int i = 0;
    while (i < nWords) {
        const STITCHWORD w = pWords[i];
        if (!w.IsCommand()) {
            double dx, dy;
            transform(w.DX(), w.DY(), dx, dy);
            const CLayerInfo& block = design.m_pColorBlocks[nBlock];
            if (IsMarkBlock(block)) {
                double mx, my;
                MarkOffset(block.m_customThread.nMarkDirection, mx, my);
                lines.LineTo(ToLogical(px + mx), ToLogical(py + my));
                px += dx;
                py += dy;
                lines.MoveTo(ToLogical(px), ToLogical(py));
            } else {
                px += dx;
                py += dy;
                lines.LineTo(ToLogical(px), ToLogical(py));
            }
            ++i;
            continue;
        }

        const BYTE code = w.Code();
        if (code == SC_END)
            break;
        if (code != SC_COLOR_CHANGE && code != SC_JUMP && code != SC_JUMP_ALT) {
            ++i;
            continue;
        }
        if (code == SC_COLOR_CHANGE) {
            // A stream with more colour changes than blocks goes on with the last block's pens.
            lines.Flush();
            pPens.reset();
            if (nBlock + 1 < design.m_nColorBlockCount)
                ++nBlock;
            pPens = std::make_unique<BlockPens>(pDC, GetBlockColor(design, nBlock), m_nPenWidth);
        }
        ++i;
        if (i >= nWords)
            break;
        // The move word; a jump whose move reaches 119 either way is a sewn long stitch. The move
        // after a colour change is never one.
        int nMoveX = pWords[i].DX(), nMoveY = pWords[i].DY();
        bool bLong = code != SC_COLOR_CHANGE && (std::abs(nMoveX) == LONG_STITCH_MOVE || std::abs(nMoveY) == LONG_STITCH_MOVE);
        ++i;
        // Later jumps add their moves; the first ordinary stitch completes the move.
        while (i < nWords) {
            const STITCHWORD next = pWords[i];
            if (!next.IsCommand()) {
                nMoveX += next.DX();
                nMoveY += next.DY();
                ++i;
                break;
            }
            const BYTE nextCode = next.Code();
            if (nextCode == SC_COLOR_CHANGE)
                break;
            if (nextCode == SC_END) {
                bLong = false;
                break;
            }
            if (nextCode == SC_JUMP || nextCode == SC_JUMP_ALT) {
                if (i + 1 < nWords) {
                    nMoveX += pWords[i + 1].DX();
                    nMoveY += pWords[i + 1].DY();
                }
                i += 2;
                continue;
            }
            ++i; // other commands are skipped
        }
        double dx, dy;
        transform(nMoveX, nMoveY, dx, dy);
        px += dx;
        py += dy;
        if (bLong) {
            lines.LineTo(ToLogical(px), ToLogical(py));
        } else if (m_bDrawJumps) {
            lines.Flush();
            pPens->SelectDotted();
            lines.LineTo(ToLogical(px), ToLogical(py));
            lines.Flush();
            pPens->SelectSolid();
        } else {
            lines.MoveTo(ToLogical(px), ToLogical(py));
        }
    }
    lines.Flush();
}

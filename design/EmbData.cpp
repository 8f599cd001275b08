#include "design/EmbData.h"

#include "design/AngleTables.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <new>

CEmbData::~CEmbData()
{
    FreeLayers();
    FreeStitchWords();
}

void CEmbData::FreeLayers()
{
    delete[] m_pColorBlocks;
    m_pColorBlocks = nullptr;
    m_nColorBlockCount = 0;
}

void CEmbData::FreeStitchWords()
{
    delete[] m_pStitchWords;
    m_pStitchWords = nullptr;
    m_nStitchWordCount = 0;
}

void CEmbData::Reset()
{
    m_dPosX = 0.0;
    m_dPosY = 0.0;
    m_nAngle = 0;
    m_bMirrorVertical = 0;
    m_bMirrorHorizontal = 0;
    m_nScale = 100;
    m_bExtentsDirty = 1;
    m_extents = EMBEXTENTS{0, 0, 0, 0};
    FreeLayers();
    FreeStitchWords();
    m_nStatus = scEmpty;
    m_nDesignOption = 0;
}

bool CEmbData::AllocLayers(int nCount)
{
    FreeLayers();
    if (nCount < 1)
        return false;
    m_pColorBlocks = new (std::nothrow) CLayerInfo[static_cast<size_t>(nCount)];
    if (!m_pColorBlocks)
        return false;
    m_nColorBlockCount = nCount;
    return true;
}

bool CEmbData::AllocStitchWords(int nCount)
{
    FreeStitchWords();
    if (nCount < 1)
        return false;
    m_pStitchWords = new (std::nothrow) STITCHWORD[static_cast<size_t>(nCount)];
    if (!m_pStitchWords)
        return false;
    std::memset(m_pStitchWords, 0, static_cast<size_t>(nCount) * sizeof(STITCHWORD));
    m_nStitchWordCount = nCount;
    return true;
}

namespace {

bool IsJumpCode(BYTE code) { return code == SC_JUMP || code == SC_JUMP_ALT; }

} // namespace

bool CEmbData::Validate()
{
    // Failures travel as the status itself and end the walk at once.
    try {
        if (m_nColorBlockCount < 1 || m_nStitchWordCount < 1 || !m_pColorBlocks || !m_pStitchWords)
            throw scEmpty;

        const int nWords = m_nStitchWordCount;
        STITCHWORD* pWords = m_pStitchWords;
        const bool bStartsWithJump = pWords[0].IsCommand() && IsJumpCode(pWords[0].Code());
        m_pColorBlocks[0].m_nFirstWord = 0;
        m_pColorBlocks[0].m_nStartX = 0;
        m_pColorBlocks[0].m_nStartY = 0;
        // Wide sums: a hostile file can move the needle further than 32 bits can count.
        int64_t x = 0;
        int64_t y = 0;
        int nNextBlock = 1;
        int nEnd = -1;

        // Takes the move word after a colour change or jump (it must be ordinary), then the jumps
        // after it with their move words, up to the first ordinary word. Returns false when a colour change or the end follows the move
        // without a stitch (the word is left for the main walk).
        auto takeMove = [&](int& i) -> bool {
            ++i;
            if (i >= nWords)
                throw scNoEnd;
            if (pWords[i].IsCommand())
                throw scBadMove;
            x += pWords[i].DX();
            y += pWords[i].DY();
            ++i;
            while (i < nWords) {
                const STITCHWORD& w = pWords[i];
                if (!w.IsCommand()) {
                    x += w.DX();
                    y += w.DY();
                    ++i;
                    return true;
                }
                if (IsJumpCode(w.Code())) {
                    // A chained jump's move word is taken as it stands, even one that reads
                    // as a command, as the extents and the renderer take it.
                    ++i;
                    if (i >= nWords)
                        throw scNoEnd;
                    x += pWords[i].DX();
                    y += pWords[i].DY();
                    ++i;
                } else if (w.Code() == SC_COLOR_CHANGE || w.Code() == SC_END) {
                    return false;
                } else {
                    ++i;
                }
            }
            throw scNoEnd;
        };

        int i = 0;
        while (i < nWords) {
            const STITCHWORD& w = pWords[i];
            if (!w.IsCommand()) {
                x += w.DX();
                y += w.DY();
                ++i;
                continue;
            }
            const BYTE code = w.Code();
            if (code == SC_COLOR_CHANGE) {
                const int nCommand = i;
                const int nBlock = nNextBlock++;
                // More colour changes than blocks: nothing to record; the count check below fails.
                if (nBlock < m_nColorBlockCount) {
                    m_pColorBlocks[nBlock].m_nFirstWord = nCommand;
                    m_pColorBlocks[nBlock].m_nStartX = static_cast<int32_t>(x);
                    m_pColorBlocks[nBlock].m_nStartY = static_cast<int32_t>(y);
                }
                if (!takeMove(i)) {
                    // The block just opened holds no stitch: its colour change becomes a jump and
                    // the block goes, the later ones moving down one place.
                    pWords[nCommand].bY = SC_JUMP;
                    if (nBlock < m_nColorBlockCount) {
                        for (int k = nBlock; k + 1 < m_nColorBlockCount; ++k)
                            m_pColorBlocks[k] = m_pColorBlocks[k + 1];
                        m_pColorBlocks[m_nColorBlockCount - 1] = CLayerInfo();
                        --m_nColorBlockCount;
                    }
                    --nNextBlock;
                }
            } else if (IsJumpCode(code)) {
                takeMove(i);
            } else if (code == SC_END) {
                nEnd = i;
                break;
            } else {
                ++i;
            }
        }
        if (nEnd < 0)
            throw scNoEnd;
        if (nNextBlock != m_nColorBlockCount)
            throw scColorCountMismatch;
        if (nEnd != nWords - 1)
            throw scEndNotLast;
        m_nStatus = bStartsWithJump ? scStartsWithJump : scStartsWithStitch;
    } catch (status_code status) {
        m_nStatus = status;
        return false;
    }
    m_bExtentsDirty = 1;
    UpdateExtents();
    return true;
}

namespace {

// (X, Y) / 100000 with any remainder moving the value one unit away from zero.
int32_t ScaleDownAwayFromZero(int64_t v)
{
    int64_t q = v / 100000;
    if (v % 100000 != 0)
        q += v < 0 ? -1 : 1;
    return static_cast<int32_t>(q);
}

} // namespace

namespace {

// The extents walk over a stream, with move(word) adding one move in fixed point.
template <class Move>
void WalkExtents(const STITCHWORD* pWords, int nWords, Move move, int64_t& X, int64_t& Y, int64_t& nMinX,
                 int64_t& nMaxX, int64_t& nMinY, int64_t& nMaxY)
{
    auto point = [&]() {
        if (X < nMinX) nMinX = X;
        if (X > nMaxX) nMaxX = X;
        if (Y < nMinY) nMinY = Y;
        if (Y > nMaxY) nMaxY = Y;
    };
    int i = 0;
    while (i < nWords) {
        const STITCHWORD& w = pWords[i];
        if (!w.IsCommand()) {
            move(w);
            point();
            ++i;
            continue;
        }
        const BYTE code = w.Code();
        if (code == SC_SKIPPED) {
            ++i;
            continue;
        }
        if (code == SC_END)
            break;
        // A colour change, a jump or another command: the next word is the move.
        ++i;
        if (i >= nWords)
            break;
        const STITCHWORD& first = pWords[i];
        const bool bLong = std::abs(first.DX()) == LONG_STITCH_MOVE || std::abs(first.DY()) == LONG_STITCH_MOVE;
        move(first);
        ++i;
        bool bClosed = false;
        while (i < nWords) {
            const STITCHWORD& n = pWords[i];
            if (!n.IsCommand()) {
                move(n);
                ++i;
                bClosed = true;
                break;
            }
            if (IsJumpCode(n.Code())) {
                ++i;
                if (i < nWords)
                    move(pWords[i]);
                ++i;
            } else if (n.Code() == SC_COLOR_CHANGE || n.Code() == SC_END) {
                break;
            } else {
                ++i;
            }
        }
        if (bClosed || bLong)
            point();
    }
}

} // namespace

void CEmbData::CalcExtents(EMBEXTENTS& ext, int nAngle, BOOL bVertical, BOOL bHorizontal, int nScale)
{
    ext = EMBEXTENTS{0, 0, 0, 0};
    if (m_nStatus <= 0 || m_nStitchWordCount < 1 || !m_pStitchWords)
        return;
    const int64_t s = IgnoresScale() ? 100 : nScale;
    const int nA = NormalizeAngle(nAngle);
    const int64_t c = AngleCos(nA);
    const int64_t sn = AngleSin(nA);
    int64_t X = 0;
    int64_t Y = 0;

    // Each move, mirrored, scaled and turned, is
    //     X += s * (dx * c - dy * sn) / 10,  Y += s * (dy * c + dx * sn) / 10
    // with dx, dy negated by the mirrors: X += (dx * ax - dy * bx) / 10 and Y += (dy * ay + dx * by)
    // / 10 with the factors below. When all four are multiples of ten (any scale that is), the
    // division is exact and moves into the factors.
    const int64_t sx = bHorizontal ? -1 : 1, sy = bVertical ? -1 : 1;
    const int64_t ax = sx * s * c, bx = sy * s * sn, ay = sy * s * c, by = sx * s * sn;
    // Rounding away from zero is monotonic, so the extreme points in fixed point give the
    // extreme rounded points; the origin counts as a point.
    int64_t nMinX = 0, nMaxX = 0, nMinY = 0, nMaxY = 0;
    if (ax % 10 == 0 && bx % 10 == 0 && ay % 10 == 0 && by % 10 == 0) {
        const int64_t ax10 = ax / 10, bx10 = bx / 10, ay10 = ay / 10, by10 = by / 10;
        WalkExtents(
            m_pStitchWords, m_nStitchWordCount,
            [&](const STITCHWORD& w) {
                const int64_t dx = w.DX(), dy = w.DY();
                X += dx * ax10 - dy * bx10;
                Y += dy * ay10 + dx * by10;
            },
            X, Y, nMinX, nMaxX, nMinY, nMaxY);
    } else {
        WalkExtents(
            m_pStitchWords, m_nStitchWordCount,
            [&](const STITCHWORD& w) {
                const int64_t dx = w.DX(), dy = w.DY();
                X += (dx * ax - dy * bx) / 10;
                Y += (dy * ay + dx * by) / 10;
            },
            X, Y, nMinX, nMaxX, nMinY, nMaxY);
    }
    ext.nLeft = -ScaleDownAwayFromZero(nMinX);
    ext.nUp = ScaleDownAwayFromZero(nMaxY);
    ext.nRight = ScaleDownAwayFromZero(nMaxX);
    ext.nDown = -ScaleDownAwayFromZero(nMinY);
}

void CEmbData::UpdateExtents()
{
    if (!m_bExtentsDirty)
        return;
    m_bExtentsDirty = 0;
    CalcExtents(m_extents, m_nAngle, m_bMirrorVertical, m_bMirrorHorizontal, m_nScale);
}

void CEmbData::GetBoundingRect(RECT& rc, int nAngle, BOOL bVertical, BOOL bHorizontal, int nScale)
{
    EMBEXTENTS ext;
    CalcExtents(ext, nAngle, bVertical, bHorizontal, nScale);
    const LONG px = static_cast<LONG>(std::lround(m_dPosX));
    const LONG py = static_cast<LONG>(std::lround(m_dPosY));
    rc.left = px - ext.nLeft;
    rc.top = py + ext.nUp;
    rc.right = px + ext.nRight;
    rc.bottom = py - ext.nDown;
}

bool CEmbData::IsAllLight() const
{
    if (m_nColorBlockCount < 1 || !m_pColorBlocks)
        return false;
    for (int i = 0; i < m_nColorBlockCount; ++i) {
        const COLORREF cr = m_pColorBlocks[i].GetColor(false);
        if (GetRValue(cr) < 221 || GetGValue(cr) < 221 || GetBValue(cr) < 221)
            return false;
    }
    return true;
}

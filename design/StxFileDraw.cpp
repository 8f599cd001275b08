// CStxFile::DrawOutline, apart from the reader: the only part of the STX file that draws.
#include "design/StxFile.h"

#include "platform/afx/Dc.h"

#include <cmath>

void CStxFile::DrawOutline(CDC& dc, int nOffsetX, int nOffsetY)
{
    const CArray<CPoint>& outline = m_aOutline;
    if (outline.GetSize() == 0)
        return;
    // The offsets are 0.1 mm drawn at 40 %, truncated; each point is rounded on its own.
    const int nOriginX = (nOffsetX * 40) / 100;
    const int nOriginY = (nOffsetY * 40) / 100;
    auto map = [&](const CPoint& p) {
        // Half away from zero.
        return CPoint(nOriginX + static_cast<int>(std::lround(p.x * 0.4)),
                      nOriginY + static_cast<int>(std::lround(p.y * 0.4)));
    };
    dc.MoveTo(map(outline[0]));
    for (CArray<CPoint>::INT_PTR i = 1; i < outline.GetSize(); ++i)
        dc.LineTo(map(outline[i]));
}

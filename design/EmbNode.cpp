#include "design/EmbNode.h"

int CEmbNode::NormalizeAngle(int64_t nDegrees)
{
    // A plain (value + 360) % 360 keeps a negative dividend's sign; the angle indexes the cosine
    // table, so any argument is folded into 0..359 instead.
    int64_t n = nDegrees % 360;
    if (n < 0)
        n += 360;
    return static_cast<int>(n);
}

void CEmbNode::Offset(int dx, int dy)
{
    m_dPosX += dx;
    m_dPosY += dy;
}

void CEmbNode::Offset(double dx, double dy)
{
    m_dPosX += dx;
    m_dPosY += dy;
}

void CEmbNode::Rotate(int nDegrees)
{
    if (nDegrees == 0)
        return;
    m_nAngle = NormalizeAngle(static_cast<int64_t>(m_nAngle) + nDegrees + 360);
    m_bExtentsDirty = 1;
}

void CEmbNode::FlipVertical()
{
    m_bMirrorVertical = !m_bMirrorVertical;
    m_nAngle = NormalizeAngle(360 - static_cast<int64_t>(m_nAngle));
    m_bExtentsDirty = 1;
}

void CEmbNode::FlipHorizontal()
{
    m_bMirrorHorizontal = !m_bMirrorHorizontal;
    m_nAngle = NormalizeAngle(360 - static_cast<int64_t>(m_nAngle));
    m_bExtentsDirty = 1;
}

void CEmbNode::AddScale(int nDelta)
{
    if (nDelta == 0)
        return;
    m_nScale += nDelta;
    m_bExtentsDirty = 1;
}

bool CEmbNode::Reserved13(int& a, int& b)
{
    a = 0;
    b = 0;
    return false;
}

void CEmbNode::SetPosition(int x, int y)
{
    m_dPosX = x;
    m_dPosY = y;
}

void CEmbNode::SetPosition(double x, double y)
{
    m_dPosX = x;
    m_dPosY = y;
}

void CEmbNode::SetAngle(int nDegrees)
{
    int nAngle = NormalizeAngle(static_cast<int64_t>(nDegrees) + 360);
    if (nAngle != m_nAngle) {
        m_nAngle = nAngle;
        m_bExtentsDirty = 1;
    }
}

void CEmbNode::SetMirror(bool bVertical, bool bHorizontal)
{
    if (bVertical != (m_bMirrorVertical != 0))
        FlipVertical();
    if (bHorizontal != (m_bMirrorHorizontal != 0))
        FlipHorizontal();
}

void CEmbNode::SetScale(int nPercent)
{
    if (nPercent != m_nScale) {
        m_nScale = nPercent;
        m_bExtentsDirty = 1;
    }
}

void CEmbNode::GetBoundingRect(RECT& rc, int, BOOL, BOOL, int)
{
    rc = RECT{0, 0, 0, 0};
}

void CEmbNode::CalcExtents(EMBEXTENTS& ext, int, BOOL, BOOL, int)
{
    ext = EMBEXTENTS{0, 0, 0, 0};
}

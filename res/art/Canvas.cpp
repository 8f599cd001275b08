#include "res/art/Canvas.h"

#include <algorithm>
#include <cmath>

namespace tavren::art {

CCanvas::CCanvas(int nSize) : m_nSize(nSize), m_fScale(nSize / 32.0f), m_pixels(static_cast<size_t>(nSize) * nSize * 4, 0.0f) {}

void CCanvas::Fill(const std::function<bool(float, float)>& inside, const std::function<Rgba(float, float)>& colour,
                   float x0, float y0, float x1, float y1)
{
    constexpr int kSamples = 4;
    int px0 = std::max(0, static_cast<int>(std::floor(x0 * m_fScale)) - 1);
    int py0 = std::max(0, static_cast<int>(std::floor(y0 * m_fScale)) - 1);
    int px1 = std::min(m_nSize, static_cast<int>(std::ceil(x1 * m_fScale)) + 1);
    int py1 = std::min(m_nSize, static_cast<int>(std::ceil(y1 * m_fScale)) + 1);
    for (int py = py0; py < py1; ++py) {
        for (int px = px0; px < px1; ++px) {
            float r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    float x = (px + (sx + 0.5f) / kSamples) / m_fScale;
                    float y = (py + (sy + 0.5f) / kSamples) / m_fScale;
                    if (!inside(x, y))
                        continue;
                    Rgba c = colour(x, y);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            constexpr float kN = kSamples * kSamples;
            r /= kN, g /= kN, b /= kN, a /= kN;
            if (a <= 0)
                continue;
            float* d = &m_pixels[(static_cast<size_t>(py) * m_nSize + px) * 4];
            // Source over destination, premultiplied.
            d[0] = r + d[0] * (1 - a);
            d[1] = g + d[1] * (1 - a);
            d[2] = b + d[2] * (1 - a);
            d[3] = a + d[3] * (1 - a);
        }
    }
}

void CCanvas::Rect(float x0, float y0, float x1, float y1, Rgba c)
{
    Fill([=](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; }, [=](float, float) { return c; }, x0, y0, x1, y1);
}

void CCanvas::RectV(float x0, float y0, float x1, float y1, Rgba top, Rgba bottom)
{
    Fill([=](float x, float y) { return x >= x0 && x < x1 && y >= y0 && y < y1; },
         [=](float, float y) { return Mix(top, bottom, (y - y0) / std::max(0.01f, y1 - y0)); }, x0, y0, x1, y1);
}

static bool InRound(float x, float y, float x0, float y0, float x1, float y1, float r)
{
    if (x < x0 || x >= x1 || y < y0 || y >= y1)
        return false;
    float cx = std::clamp(x, x0 + r, x1 - r), cy = std::clamp(y, y0 + r, y1 - r);
    float dx = x - cx, dy = y - cy;
    return dx * dx + dy * dy <= r * r;
}

void CCanvas::RoundRect(float x0, float y0, float x1, float y1, float r, Rgba c)
{
    Fill([=](float x, float y) { return InRound(x, y, x0, y0, x1, y1, r); }, [=](float, float) { return c; }, x0, y0, x1, y1);
}

void CCanvas::RoundRectV(float x0, float y0, float x1, float y1, float r, Rgba top, Rgba bottom)
{
    Fill([=](float x, float y) { return InRound(x, y, x0, y0, x1, y1, r); },
         [=](float, float y) { return Mix(top, bottom, (y - y0) / std::max(0.01f, y1 - y0)); }, x0, y0, x1, y1);
}

void CCanvas::Frame(float x0, float y0, float x1, float y1, float w, Rgba c)
{
    w = std::max(w, 1.0f / m_fScale);
    Fill([=](float x, float y) {
        return x >= x0 && x < x1 && y >= y0 && y < y1 && !(x >= x0 + w && x < x1 - w && y >= y0 + w && y < y1 - w);
    }, [=](float, float) { return c; }, x0, y0, x1, y1);
}

void CCanvas::RoundFrame(float x0, float y0, float x1, float y1, float r, float w, Rgba c)
{
    w = std::max(w, 1.0f / m_fScale);
    Fill([=](float x, float y) {
        return InRound(x, y, x0, y0, x1, y1, r) && !InRound(x, y, x0 + w, y0 + w, x1 - w, y1 - w, std::max(0.0f, r - w));
    }, [=](float, float) { return c; }, x0, y0, x1, y1);
}

void CCanvas::Ellipse(float cx, float cy, float rx, float ry, Rgba c)
{
    Fill([=](float x, float y) {
        float dx = (x - cx) / rx, dy = (y - cy) / ry;
        return dx * dx + dy * dy <= 1.0f;
    }, [=](float, float) { return c; }, cx - rx, cy - ry, cx + rx, cy + ry);
}

void CCanvas::Ring(float cx, float cy, float r, float w, Rgba c)
{
    w = std::max(w, 1.0f / m_fScale);
    Fill([=](float x, float y) {
        float d = std::hypot(x - cx, y - cy);
        return d <= r && d >= r - w;
    }, [=](float, float) { return c; }, cx - r, cy - r, cx + r, cy + r);
}

static bool InPolygon(const std::vector<Pt>& pts, float x, float y)
{
    bool bIn = false;
    for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
        if ((pts[i].y > y) != (pts[j].y > y) && x < (pts[j].x - pts[i].x) * (y - pts[i].y) / (pts[j].y - pts[i].y) + pts[i].x)
            bIn = !bIn;
    }
    return bIn;
}

void CCanvas::Polygon(const std::vector<Pt>& pts, Rgba c)
{
    PolygonV(pts, c, c);
}

void CCanvas::PolygonV(const std::vector<Pt>& pts, Rgba top, Rgba bottom)
{
    float x0 = 32, y0 = 32, x1 = 0, y1 = 0;
    for (const Pt& p : pts) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    Fill([&pts](float x, float y) { return InPolygon(pts, x, y); },
         [=](float, float y) { return Mix(top, bottom, (y - y0) / std::max(0.01f, y1 - y0)); }, x0, y0, x1, y1);
}

void CCanvas::Line(float x0, float y0, float x1, float y1, float w, Rgba c)
{
    w = std::max(w, 1.0f / m_fScale);
    float h = w / 2;
    float dx = x1 - x0, dy = y1 - y0, len2 = dx * dx + dy * dy;
    Fill([=](float x, float y) {
        float t = len2 > 0 ? std::clamp(((x - x0) * dx + (y - y0) * dy) / len2, 0.0f, 1.0f) : 0.0f;
        float ex = x0 + t * dx - x, ey = y0 + t * dy - y;
        return ex * ex + ey * ey <= h * h;
    }, [=](float, float) { return c; }, std::min(x0, x1) - h, std::min(y0, y1) - h, std::max(x0, x1) + h, std::max(y0, y1) + h);
}

void CCanvas::Polyline(const std::vector<Pt>& pts, float w, Rgba c)
{
    w = std::max(w, 1.0f / m_fScale);
    float h = w / 2;
    float x0 = 32, y0 = 32, x1 = 0, y1 = 0;
    for (const Pt& p : pts) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y);
        x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    // One pass for the whole line, so joints are not painted twice.
    Fill([&pts, h](float x, float y) {
        for (size_t i = 1; i < pts.size(); ++i) {
            float dx = pts[i].x - pts[i - 1].x, dy = pts[i].y - pts[i - 1].y, len2 = dx * dx + dy * dy;
            float t = len2 > 0 ? std::clamp(((x - pts[i - 1].x) * dx + (y - pts[i - 1].y) * dy) / len2, 0.0f, 1.0f) : 0.0f;
            float ex = pts[i - 1].x + t * dx - x, ey = pts[i - 1].y + t * dy - y;
            if (ex * ex + ey * ey <= h * h)
                return true;
        }
        return false;
    }, [=](float, float) { return c; }, x0 - h, y0 - h, x1 + h, y1 + h);
}

std::vector<uint8_t> CCanvas::OnWhiteBgr() const
{
    std::vector<uint8_t> out(static_cast<size_t>(m_nSize) * m_nSize * 3);
    for (size_t i = 0; i < static_cast<size_t>(m_nSize) * m_nSize; ++i) {
        const float* p = &m_pixels[i * 4];
        auto ch = [&](float v) { return static_cast<uint8_t>(std::lround(std::clamp(v + (1 - p[3]), 0.0f, 1.0f) * 255)); };
        out[i * 3] = ch(p[2]);
        out[i * 3 + 1] = ch(p[1]);
        out[i * 3 + 2] = ch(p[0]);
    }
    return out;
}

std::vector<uint8_t> CCanvas::Bgra() const
{
    std::vector<uint8_t> out(static_cast<size_t>(m_nSize) * m_nSize * 4);
    for (size_t i = 0; i < static_cast<size_t>(m_nSize) * m_nSize; ++i) {
        const float* p = &m_pixels[i * 4];
        float a = std::clamp(p[3], 0.0f, 1.0f);
        auto ch = [&](float v) { return static_cast<uint8_t>(std::lround(a > 0 ? std::clamp(v / a, 0.0f, 1.0f) * 255 : 0)); };
        out[i * 4] = ch(p[2]);
        out[i * 4 + 1] = ch(p[1]);
        out[i * 4 + 2] = ch(p[0]);
        out[i * 4 + 3] = static_cast<uint8_t>(std::lround(a * 255));
    }
    return out;
}

} // namespace tavren::art

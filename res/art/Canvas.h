// A small anti-aliased painter for the module's pictograms: shapes are given in a 32 x 32 design
// space and drawn at any pixel size (16, 32, 48) with 4 x 4 samples a pixel, composited over a
// transparent RGBA surface.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace tavren::art {

struct Rgba {
    float r, g, b, a;
};
inline Rgba Hex(uint32_t rgb, float a = 1.0f)
{
    return {((rgb >> 16) & 0xFF) / 255.0f, ((rgb >> 8) & 0xFF) / 255.0f, (rgb & 0xFF) / 255.0f, a};
}
inline Rgba Mix(Rgba a, Rgba b, float t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

struct Pt {
    float x, y;
};

class CCanvas {
public:
    explicit CCanvas(int nSize);

    int Size() const { return m_nSize; }
    // One design unit in pixels.
    float Scale() const { return m_fScale; }

    // The general form: inside(x, y) in design units, colour(x, y) for each covered sample.
    void Fill(const std::function<bool(float, float)>& inside, const std::function<Rgba(float, float)>& colour,
              float x0 = 0, float y0 = 0, float x1 = 32, float y1 = 32);

    void Rect(float x0, float y0, float x1, float y1, Rgba c);
    void RectV(float x0, float y0, float x1, float y1, Rgba top, Rgba bottom);   // vertical gradient
    void RoundRect(float x0, float y0, float x1, float y1, float r, Rgba c);
    void RoundRectV(float x0, float y0, float x1, float y1, float r, Rgba top, Rgba bottom);
    // Outline of width w (at least one pixel), inside the rectangle.
    void Frame(float x0, float y0, float x1, float y1, float w, Rgba c);
    void RoundFrame(float x0, float y0, float x1, float y1, float r, float w, Rgba c);
    void Ellipse(float cx, float cy, float rx, float ry, Rgba c);
    void Ring(float cx, float cy, float r, float w, Rgba c);
    void Polygon(const std::vector<Pt>& pts, Rgba c);
    void PolygonV(const std::vector<Pt>& pts, Rgba top, Rgba bottom);
    void Line(float x0, float y0, float x1, float y1, float w, Rgba c);       // round caps
    void Polyline(const std::vector<Pt>& pts, float w, Rgba c);

    // Straight-alpha RGBA rows, top-down.
    const std::vector<float>& Pixels() const { return m_pixels; }
    // Composited onto white, BGR bytes top-down.
    std::vector<uint8_t> OnWhiteBgr() const;
    // BGRA bytes (straight alpha) top-down.
    std::vector<uint8_t> Bgra() const;

private:
    int m_nSize;
    float m_fScale;
    std::vector<float> m_pixels;   // premultiplied RGBA
};

} // namespace tavren::art

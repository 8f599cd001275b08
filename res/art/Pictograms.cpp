#include "res/art/Pictograms.h"

#include <cmath>

namespace tavren::art {

namespace {
const Rgba kOutline = Hex(0x3A3F47);
const Rgba kFolderBack = Hex(0xD9A21B), kFolderTop = Hex(0xFFD866), kFolderBottom = Hex(0xF2B833);
const Rgba kWhite = Hex(0xFFFFFF);

void Folder(CCanvas& c, float dy = 0)
{
    // Tab and back, then the front with a light edge.
    c.Polygon({{3, 7 + dy}, {12, 7 + dy}, {14, 9 + dy}, {29, 9 + dy}, {29, 26 + dy}, {3, 26 + dy}}, kFolderBack);
    c.RoundRectV(3, 11 + dy, 29, 27 + dy, 1.5f, kFolderTop, kFolderBottom);
    c.Rect(4, 12 + dy, 28, 13 + dy, Hex(0xFFF1B8, 0.8f));
    c.RoundFrame(3, 11 + dy, 29, 27 + dy, 1.5f, 0.8f, Hex(0xB07C0C));
}

void OpenFolder(CCanvas& c)
{
    c.Polygon({{3, 6}, {12, 6}, {14, 8}, {27, 8}, {27, 26}, {3, 26}}, kFolderBack);
    // A sheet of paper inside.
    c.Rect(7, 9, 24, 22, kWhite);
    c.Frame(7, 9, 24, 22, 0.6f, Hex(0x9AA3AD));
    for (float y = 12; y < 20; y += 2.5f)
        c.Rect(9, y, 22, y + 0.8f, Hex(0xB8C2CC));
    // The front flap, tilted open.
    c.PolygonV({{7, 14}, {31, 14}, {27, 27}, {2, 27}}, kFolderTop, kFolderBottom);
    c.Polyline({{7, 14}, {31, 14}, {27, 27}, {2, 27}, {7, 14}}, 0.8f, Hex(0xB07C0C));
}

void Screen(CCanvas& c, float x0, float y0, float x1, float y1)
{
    c.RoundRectV(x0, y0, x1, y1, 1.5f, Hex(0x4A515C), Hex(0x2C3138));
}

void Page(CCanvas& c, Rgba paper = Hex(0xFFFFFF))
{
    c.Polygon({{6, 2}, {21, 2}, {27, 8}, {27, 30}, {6, 30}}, paper);
    c.Polygon({{21, 2}, {27, 8}, {21, 8}}, Hex(0xD5DBE1));
    c.Polyline({{6, 2}, {21, 2}, {27, 8}, {27, 30}, {6, 30}, {6, 2}}, 0.9f, Hex(0x7D8793));
}

// Stitches: a zigzag run between two points.
void Stitches(CCanvas& c, Pt a, Pt b, int n, float amp, float w, Rgba col)
{
    float dx = b.x - a.x, dy = b.y - a.y, len = std::hypot(dx, dy);
    float nx = -dy / len * amp, ny = dx / len * amp;
    std::vector<Pt> pts;
    for (int i = 0; i <= n; ++i) {
        float t = static_cast<float>(i) / n;
        float s = (i % 2) ? 1.0f : -1.0f;
        pts.push_back({a.x + dx * t + nx * s, a.y + dy * t + ny * s});
    }
    c.Polyline(pts, w, col);
}

void Flower(CCanvas& c, float cx, float cy, float r)
{
    const Rgba petals[] = {Hex(0xE0407A), Hex(0xF06FA0), Hex(0xE0407A), Hex(0xF06FA0), Hex(0xE0407A)};
    for (int i = 0; i < 5; ++i) {
        float a = static_cast<float>(i) * 6.2831853f / 5 - 1.5707963f;
        Pt tip{cx + std::cos(a) * r, cy + std::sin(a) * r};
        Stitches(c, {cx, cy}, tip, 6, r * 0.22f, 0.9f, petals[i]);
    }
    c.Ellipse(cx, cy, r * 0.28f, r * 0.28f, Hex(0xF5C518));
}

void Desktop(CCanvas& c)
{
    Screen(c, 2, 4, 30, 24);
    c.RectV(4, 6, 28, 22, Hex(0x5FA8E8), Hex(0xBFE2FF));
    // A green hill, inside the screen only.
    c.Fill([](float x, float y) {
        float dx = (x - 20) / 14, dy = (y - 26) / 7;
        return x >= 4 && x < 28 && y >= 6 && y < 22 && dx * dx + dy * dy <= 1.0f;
    }, [](float, float y) { return Mix(Hex(0x7CD35F), Hex(0x3E9B3A), (y - 19) / 3); }, 4, 6, 28, 22);
    c.Rect(5, 7.5f, 8, 10.5f, kWhite);
    c.Rect(5, 12, 8, 15, Hex(0xFFD866));
    c.Rect(13, 24, 19, 27, Hex(0x8A919B));
    c.RoundRect(8, 27, 24, 29.5f, 1, Hex(0x5A616B));
}

void Computer(CCanvas& c)
{
    // Tower behind, monitor in front.
    c.RoundRectV(20, 4, 30, 28, 1.2f, Hex(0xE9ECEF), Hex(0xBFC5CC));
    c.RoundFrame(20, 4, 30, 28, 1.2f, 0.7f, Hex(0x6B737D));
    c.Rect(22, 7, 28, 8.2f, Hex(0x6B737D));
    c.Rect(22, 10, 28, 11.2f, Hex(0x6B737D));
    c.Ellipse(25, 24, 1.2f, 1.2f, Hex(0x3DBB5C));
    Screen(c, 2, 6, 22, 22);
    c.RectV(4, 8, 20, 20, Hex(0x7FC3FF), Hex(0x2F7FD0));
    c.Polygon({{4, 8}, {12, 8}, {4, 15}}, Hex(0xFFFFFF, 0.25f));
    c.Rect(10, 22, 14, 25, Hex(0x8A919B));
    c.RoundRect(6, 25, 18, 27.5f, 1, Hex(0x5A616B));
}

void SewingMachine(CCanvas& c)
{
    const Rgba body = Hex(0xF4F6F8), shade = Hex(0xCBD2DA), accent = Hex(0x2E86C1);
    // Bed.
    c.RoundRectV(2, 23, 30, 28, 1.5f, body, shade);
    c.RoundFrame(2, 23, 30, 28, 1.5f, 0.8f, kOutline);
    // Pillar and arm.
    c.RoundRectV(21, 8, 28, 24, 1.5f, body, shade);
    c.RoundRectV(4, 5, 28, 13, 3, body, shade);
    c.RoundFrame(4, 5, 28, 13, 3, 0.8f, kOutline);
    c.Line(21, 13, 21, 23, 0.8f, kOutline);
    c.Line(28, 10, 28, 23, 0.8f, kOutline);
    // Head with needle and presser foot.
    c.RoundRectV(4, 11, 10, 17, 1, body, shade);
    c.RoundFrame(4, 11, 10, 17, 1, 0.8f, kOutline);
    c.Line(7, 17, 7, 22, 1.1f, Hex(0x8A939E));
    c.Rect(5, 21, 10, 22.5f, kOutline);
    // Accent stripe, spool and hand wheel.
    c.Rect(11, 7.5f, 25, 9, accent);
    c.Rect(14, 2.5f, 17, 5, Hex(0xE03A3E));
    c.Ellipse(29, 12, 2.2f, 4, Hex(0x8A939E));
    // Stitched fabric on the bed.
    Stitches(c, {3, 25.5f}, {19, 25.5f}, 8, 0.7f, 0.8f, Hex(0xE0407A));
}

void UsbStick(CCanvas& c, float ox, float oy, float s)
{
    auto X = [&](float x) { return ox + x * s; };
    auto Y = [&](float y) { return oy + y * s; };
    c.Rect(X(22), Y(12), X(30), Y(20), Hex(0xC9CFD6));
    c.Frame(X(22), Y(12), X(30), Y(20), 0.7f * s, Hex(0x7D8793));
    c.Rect(X(24.5f), Y(14), X(26.5f), Y(15.5f), Hex(0x5A616B));
    c.Rect(X(24.5f), Y(16.5f), X(26.5f), Y(18), Hex(0x5A616B));
    c.RoundRectV(X(2), Y(10), X(23), Y(22), 2.5f * s, Hex(0x3F8EDC), Hex(0x1F5FA6));
    c.RoundFrame(X(2), Y(10), X(23), Y(22), 2.5f * s, 0.8f * s, Hex(0x174A82));
    c.Rect(X(4), Y(11.5f), X(20), Y(13), Hex(0xFFFFFF, 0.35f));
    c.Ellipse(X(18.5f), Y(18.5f), 1.1f * s, 1.1f * s, Hex(0x6CF08C));
    c.Ring(X(6), Y(16), 2 * s, 0.9f * s, Hex(0x174A82));
}

void Cross(CCanvas& c)
{
    c.Line(8, 8, 24, 24, 5, Hex(0xB3141B));
    c.Line(24, 8, 8, 24, 5, Hex(0xB3141B));
    c.Line(8, 8, 24, 24, 3, Hex(0xE5353C));
    c.Line(24, 8, 8, 24, 3, Hex(0xE5353C));
}

void Floppy(CCanvas& c)
{
    c.Polygon({{4, 4}, {25, 4}, {28, 7}, {28, 28}, {4, 28}}, Hex(0x2D4E8A));
    c.Rect(9, 4, 22, 12, Hex(0xC9CFD6));
    c.Rect(17, 5.5f, 20, 10.5f, Hex(0x2D4E8A));
    c.Rect(8, 16, 24, 28, kWhite);
    for (float y = 19; y < 27; y += 3)
        c.Rect(10, y, 22, y + 0.8f, Hex(0x9AA3AD));
    c.Polyline({{4, 4}, {25, 4}, {28, 7}, {28, 28}, {4, 28}, {4, 4}}, 0.8f, Hex(0x1A2F55));
}

void DriveBox(CCanvas& c, Rgba top, Rgba bottom)
{
    c.Polygon({{6, 10}, {30, 10}, {26, 15}, {2, 15}}, Mix(top, kWhite, 0.4f));
    c.RoundRectV(2, 15, 26, 25, 1, top, bottom);
    c.Polygon({{26, 15}, {30, 10}, {30, 20}, {26, 25}}, Mix(bottom, Hex(0x000000), 0.2f));
    c.Polyline({{2, 15}, {6, 10}, {30, 10}, {30, 20}, {26, 25}, {2, 25}, {2, 15}, {26, 15}, {30, 10}}, 0.7f, kOutline);
    c.Line(26, 15, 26, 25, 0.7f, kOutline);
}

void HardDisk(CCanvas& c)
{
    DriveBox(c, Hex(0xD7DCE1), Hex(0x9CA5AF));
    c.Rect(5, 19, 18, 20.2f, Hex(0x6B737D));
    c.Ellipse(22, 20, 1.3f, 1.3f, Hex(0x3DBB5C));
}

void OpticalDisc(CCanvas& c)
{
    c.Fill([](float x, float y) { float d = std::hypot(x - 16, y - 16); return d <= 13.5f && d >= 2.2f; },
           [](float x, float y) {
               float a = std::atan2(y - 16, x - 16);
               float t = 0.5f + 0.5f * std::sin(a * 2);
               Rgba base = Mix(Hex(0xE8ECF0), Hex(0xB9C3CD), t);
               return Mix(base, Hex(0xC6A8F0), 0.25f * (0.5f + 0.5f * std::cos(a * 3)));
           });
    c.Ring(16, 16, 13.5f, 0.8f, Hex(0x7D8793));
    c.Ring(16, 16, 5, 1.5f, Hex(0xD0D6DC));
    c.Ring(16, 16, 2.8f, 0.7f, Hex(0x7D8793));
    c.Polygon({{9, 7}, {13, 5}, {16, 14}}, Hex(0xFFFFFF, 0.6f));
}

void RemovableDrive(CCanvas& c)
{
    DriveBox(c, Hex(0x8E99A6), Hex(0x5E6975));
    c.Rect(5, 18.5f, 19, 20.5f, Hex(0x2C3138));
    c.Ellipse(22.5f, 20, 1.3f, 1.3f, Hex(0xF5A623));
    // A card half inserted.
    c.Rect(8, 4, 16, 17, Hex(0x3F8EDC));
    c.Frame(8, 4, 16, 17, 0.6f, Hex(0x174A82));
    c.Rect(9.5f, 5, 14.5f, 8, Hex(0xE8ECF0));
}

void Design(CCanvas& c)
{
    Page(c);
    Flower(c, 16.5f, 16, 8);
    Stitches(c, {16.5f, 24}, {16.5f, 28}, 4, 0.8f, 0.8f, Hex(0x3B9E4A));
}

void DesignMarked(CCanvas& c)
{
    Design(c);
    c.Ellipse(24.5f, 25, 6, 6, Hex(0x2E86C1));
    c.Ring(24.5f, 25, 6, 0.8f, Hex(0x174A82));
    c.Line(21.5f, 25, 27.5f, 25, 1.8f, kWhite);
    c.Line(24.5f, 22, 24.5f, 28, 1.8f, kWhite);
}

void DesignStar(CCanvas& c)
{
    Page(c);
    std::vector<Pt> star;
    for (int i = 0; i <= 10; ++i) {
        float a = static_cast<float>(i) * 3.1415926f / 5 - 1.5707963f;
        float r = (i % 2) ? 4.2f : 9.5f;
        star.push_back({16.5f + std::cos(a) * r, 17 + std::sin(a) * r});
    }
    c.Polygon(star, Hex(0xFFD23F));
    c.Polyline(star, 1.1f, Hex(0xE07B00));
    Stitches(c, {10, 17}, {23, 17}, 8, 0.7f, 0.7f, Hex(0xE07B00));
}

void StxSheet(CCanvas& c)
{
    Page(c, Hex(0xF3FAF3));
    // A row of satin scallops and a straight seam.
    for (int k = 0; k < 3; ++k) {
        float y = 8 + k * 7.5f;
        std::vector<Pt> pts;
        for (int i = 0; i <= 16; ++i) {
            float x = 9 + i * 1.0f;
            pts.push_back({x, y + 2.5f * std::fabs(std::sin(i * 3.1415926f / 4)) * ((i % 2) ? 1.0f : 0.2f)});
        }
        c.Polyline(pts, 0.8f, k == 1 ? Hex(0x2E86C1) : Hex(0x2F9E5A));
    }
}

void OrdinaryStitch(CCanvas& c)
{
    Page(c, Hex(0xF4F7FC));
    // Straight stitch, zigzag and a three-step zigzag.
    for (float x = 9; x < 24; x += 3)
        c.Line(x, 9, x + 1.8f, 9, 1.1f, Hex(0x2E4E8A));
    Stitches(c, {9, 16}, {24, 16}, 9, 2.0f, 0.9f, Hex(0xC0392B));
    Stitches(c, {9, 24}, {24, 24}, 14, 1.6f, 0.8f, Hex(0x2E4E8A));
}

void Arrow(CCanvas& c, bool bRight, Rgba top, Rgba bottom, Rgba edge)
{
    std::vector<Pt> pts = {{3, 12}, {16, 12}, {16, 5}, {29, 16}, {16, 27}, {16, 20}, {3, 20}};
    if (!bRight)
        for (Pt& p : pts)
            p.x = 32 - p.x;
    c.PolygonV(pts, top, bottom);
    pts.push_back(pts.front());
    c.Polyline(pts, 1.0f, edge);
}

void Sparkle(CCanvas& c, float cx, float cy, float r, Rgba col)
{
    c.Polygon({{cx, cy - r}, {cx + r * 0.28f, cy - r * 0.28f}, {cx + r, cy}, {cx + r * 0.28f, cy + r * 0.28f},
               {cx, cy + r}, {cx - r * 0.28f, cy + r * 0.28f}, {cx - r, cy}, {cx - r * 0.28f, cy - r * 0.28f}}, col);
}
} // namespace

const Painter kListPictures[16] = {
    Desktop, Computer, OpenFolder, SewingMachine, [](CCanvas& c) { Folder(c); }, [](CCanvas& c) { UsbStick(c, 0, 0, 1); },
    Cross, Floppy, HardDisk, OpticalDisc, RemovableDrive, DesignMarked, Design, DesignStar, StxSheet, OrdinaryStitch,
};

void DrawComputer(CCanvas& c) { Computer(c); }
void DrawUsbDrive(CCanvas& c) { UsbStick(c, 0, 0, 1); }
void DrawMachine(CCanvas& c) { SewingMachine(c); }

void DrawMachineWithUsb(CCanvas& c)
{
    SewingMachine(c);
    UsbStick(c, 13, 15, 0.58f);
}

void DrawSend(CCanvas& c) { Arrow(c, true, Hex(0x5FD07A), Hex(0x1E9E45), Hex(0x137034)); }
void DrawReceive(CCanvas& c) { Arrow(c, false, Hex(0x6CB8F5), Hex(0x1F6FC0), Hex(0x174A82)); }

void DrawNewFolder(CCanvas& c)
{
    Folder(c, 2);
    Sparkle(c, 25, 8, 6.5f, Hex(0xF5A623));
    Sparkle(c, 25, 8, 3.5f, Hex(0xFFF3B0));
}

void DrawOpen(CCanvas& c) { OpenFolder(c); }

void DrawUp(CCanvas& c)
{
    Folder(c, 2);
    std::vector<Pt> pts = {{16, 3}, {26, 13}, {20, 13}, {20, 24}, {12, 24}, {12, 13}, {6, 13}};
    c.PolygonV(pts, Hex(0x5FD07A), Hex(0x1E9E45));
    pts.push_back(pts.front());
    c.Polyline(pts, 1.0f, Hex(0x137034));
}

void DrawStyleDetails(CCanvas& c)
{
    c.RoundRect(3, 4, 29, 28, 1.5f, kWhite);
    c.RoundFrame(3, 4, 29, 28, 1.5f, 0.9f, Hex(0x6B737D));
    for (int i = 0; i < 4; ++i) {
        float y = 7 + i * 5.2f;
        c.Rect(6, y, 10, y + 3.2f, i % 2 ? Hex(0x2E86C1) : Hex(0xF2B833));
        c.Rect(12, y + 1, 26, y + 2.3f, Hex(0x5A616B));
    }
}

void DrawStyleIcons(CCanvas& c)
{
    c.RoundRect(3, 4, 29, 28, 1.5f, kWhite);
    c.RoundFrame(3, 4, 29, 28, 1.5f, 0.9f, Hex(0x6B737D));
    const Rgba cols[] = {Hex(0xF2B833), Hex(0x2E86C1), Hex(0xE0407A), Hex(0x3B9E4A)};
    for (int i = 0; i < 4; ++i) {
        float x = 6 + (i % 2) * 11, y = 6.5f + (i / 2) * 11;
        c.RoundRect(x, y, x + 9, y + 7, 1, cols[i]);
        c.Rect(x + 1, y + 8, x + 8, y + 9.2f, Hex(0x5A616B));
    }
}

void DrawDelete(CCanvas& c)
{
    // A waste bin with a red cross on it.
    c.PolygonV({{7, 9}, {25, 9}, {23, 29}, {9, 29}}, Hex(0xE3E7EB), Hex(0xAEB6BF));
    c.Polyline({{7, 9}, {25, 9}, {23, 29}, {9, 29}, {7, 9}}, 0.9f, kOutline);
    c.RoundRect(5, 5.5f, 27, 9, 1, Hex(0x8A939E));
    c.RoundFrame(5, 5.5f, 27, 9, 1, 0.8f, kOutline);
    c.Rect(13, 3, 19, 5.5f, Hex(0x8A939E));
    c.Line(11, 13, 21, 25, 3.2f, Hex(0xB3141B));
    c.Line(21, 13, 11, 25, 3.2f, Hex(0xB3141B));
    c.Line(11, 13, 21, 25, 1.8f, Hex(0xE5353C));
    c.Line(21, 13, 11, 25, 1.8f, Hex(0xE5353C));
}

} // namespace tavren::art

// A memory DC on a fresh bitmap of a given colour, for pixel-exact checks.
#pragma once

#include "platform/afx/Dc.h"

#include <string>

struct Canvas {
    CDC dc;
    CBitmap bm;
    CBitmap* pOld = nullptr;

    Canvas(int cx, int cy, COLORREF fill)
    {
        dc.CreateCompatibleDC(nullptr);
        bm.CreateCompatibleBitmap(&dc, cx, cy);
        pOld = dc.SelectObject(&bm);
        dc.FillSolidRect(0, 0, cx, cy, fill);
    }
    ~Canvas() { dc.SelectObject(pOld); }

    // Rows of the device pixels as text: '#' for black, '.' for white, '?' otherwise.
    std::string Rows(int cx, int cy) const
    {
        std::string s;
        for (int y = 0; y < cy; ++y) {
            for (int x = 0; x < cx; ++x) {
                POINT p = {x, y};
                dc.DPtoLP(&p);
                COLORREF c = dc.GetPixel(p.x, p.y);
                s += c == 0 ? '#' : c == 0xFFFFFF ? '.' : '?';
            }
            s += '\n';
        }
        return s;
    }
};

// CEmbNode: the placement of a design - position, rotation, mirroring and scale - and its cached
// extents. CEmbData derives from it; the node itself measures nothing.
//
// Units: 0.1 mm with y upward, whole degrees 0..359, scale in percent.
// The virtual operations are declared in their fixed slot order; do not reorder them.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>

class CEmbData;

// Distances from the design's origin to its outermost points, in 0.1 mm, each 0 or more.
struct EMBEXTENTS {
    int32_t nLeft;
    int32_t nUp;
    int32_t nRight;
    int32_t nDown;
};

class CEmbNode {
public:
    CEmbNode() = default;
    CEmbNode(const CEmbNode&) = delete;
    CEmbNode& operator=(const CEmbNode&) = delete;

    /* 0 */ virtual ~CEmbNode() = default;
    /* 1 */ virtual CEmbData* GetEmbData() { return nullptr; }
    /* 2 */ virtual void* Reserved2() { return nullptr; }
    /* 3 */ virtual void Offset(int dx, int dy);
    /* 4 */ virtual void Offset(double dx, double dy);
    /* 5 */ virtual void Rotate(int nDegrees);
    /* 6 */ virtual void FlipVertical();
    /* 7 */ virtual void FlipHorizontal();
    /* 8 */ virtual void AddScale(int nDelta);
    /* 9 */ virtual bool Reserved9() { return false; }
    /* 10 */ virtual bool Reserved10() { return false; }
    /* 11 */ virtual bool Reserved11() { return false; }
    /* 12 */ virtual bool Reserved12() { return false; }
    /* 13 */ virtual bool Reserved13(int& a, int& b);
    /* 14 */ virtual int GetStitchWordCount() const { return 0; }
    /* 15 */ virtual int GetColorBlockCount() const { return 0; }
    /* 16 */ virtual void SetPosition(int x, int y);
    /* 17 */ virtual void SetPosition(double x, double y);
    /* 18 */ virtual void SetAngle(int nDegrees);
    /* 19 */ virtual void SetMirror(bool bVertical, bool bHorizontal);
    /* 20 */ virtual void SetScale(int nPercent);
    /* 21 */ virtual void Reserved21(int, int) {}
    /* 22 */ virtual void GetBoundingRect(RECT& rc, int nAngle, BOOL bVertical, BOOL bHorizontal, int nScale);
    /* 23 */ virtual void CalcExtents(EMBEXTENTS& ext, int nAngle, BOOL bVertical, BOOL bHorizontal, int nScale);
    /* 24 */ virtual void UpdateExtents() {}

    // Brings any whole number of degrees into 0..359 (arguments far below -360 included).
    static int NormalizeAngle(int64_t nDegrees);

    double m_dPosX = 0.0;
    double m_dPosY = 0.0;
    int32_t m_nAngle = 0;          // 0..359
    BOOL m_bMirrorVertical = 0;    // negates every dy
    BOOL m_bMirrorHorizontal = 0;  // negates every dx
    int32_t m_nScale = 100;        // percent
    BOOL m_bExtentsDirty = 1;
    EMBEXTENTS m_extents = {0, 0, 0, 0};  // written by UpdateExtents
};

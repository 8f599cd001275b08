// Cosine and sine of every whole degree, scaled by 10000, for measuring rotated designs:
// g_anCosTable[a] = round(10000 * cos a), g_anSinTable[a] = -round(10000 * sin a).
#pragma once

extern const int g_anCosTable[360];
extern const int g_anSinTable[360];

// The angle must already be within 0..359.
inline int AngleCos(int nAngle) { return g_anCosTable[nAngle]; }
inline int AngleSin(int nAngle) { return g_anSinTable[nAngle]; }

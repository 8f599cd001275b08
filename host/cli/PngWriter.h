// The host's one-call PNG encoder: a bitmap of the GDI layer as an 8-bit RGB PNG.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstdint>
#include <string>
#include <vector>

// Writes top-down BGR rows of nWidth * 3 bytes. On failure returns false with the reason in
// strError and leaves no file behind.
bool WritePng(const std::string& strPath, int nWidth, int nHeight, const std::vector<uint8_t>& bgr,
              std::string& strError);
// The same for a bitmap handle.
bool WritePng(const std::string& strPath, HBITMAP hBitmap, std::string& strError);

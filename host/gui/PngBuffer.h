// PNG pictures in memory, for the browser front end: list pictures (24-bit with a transparency
// mask) and icons (32-bit with alpha) go to the page without touching the disk.
#pragma once

#include <cstdint>
#include <vector>

// Top-down BGR rows of nWidth * 3 bytes; pTransparent (nWidth * nHeight bytes, 1 = see-through)
// may be null. Empty on bad sizes.
std::vector<uint8_t> EncodePngBgr(int nWidth, int nHeight, const std::vector<uint8_t>& bgr,
                                  const std::vector<uint8_t>* pTransparent = nullptr);
// Top-down BGRA rows of nWidth * 4 bytes, straight alpha. Empty on bad sizes.
std::vector<uint8_t> EncodePngBgra(int nWidth, int nHeight, const std::vector<uint8_t>& bgra);

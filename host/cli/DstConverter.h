// DST designs onto the machine: the machine reads only its own formats, so a DST design is
// rewritten as a native one (QEF, QEF+ or QPX) with the same stitch words, the same colour blocks
// (the palette rows the DST reader gives them) and the same extents, and only when the machine can
// take it. `tavren convert` uses it; anything else that receives DST bytes can too.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// nType: CEmbFile::dftQef, dftQefPlus or dftQpx. True with the native file in out; false with a
// sentence for a person in strWhy ("it has 201 colour blocks; the machine takes at most 200") and
// out left empty.
bool ConvertDstToNative(const std::vector<uint8_t>& dst, int nType, std::vector<uint8_t>& out, std::string& strWhy);

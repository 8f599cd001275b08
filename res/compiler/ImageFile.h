// Reads the pictures a script names: .bmp (24- or 32-bit, uncompressed, either row order) into
// 24-bit BGR top-down, and .ico (images stored as bitmaps, 32-bit with alpha or 24-bit with mask)
// into 32-bit BGRA top-down. Every size and offset is checked against the file before it is used;
// a fault is an error that names it.
#pragma once

#include "res/compiler/RcScript.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tavren::rc {

class CImageFile {
public:
    // False and strError set when the bytes are not a picture this reader takes.
    static bool DecodeBmp(const std::vector<uint8_t>& bytes, ImageDef& image, std::string& strError);
    static bool DecodeIco(const std::vector<uint8_t>& bytes, std::vector<ImageDef>& images, std::string& strError);
    static bool ReadAll(const std::string& strPath, std::vector<uint8_t>& bytes);
};

} // namespace tavren::rc

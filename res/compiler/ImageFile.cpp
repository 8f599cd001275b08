#include "res/compiler/ImageFile.h"

#include <algorithm>
#include <fstream>
#include <iterator>

namespace tavren::rc {

namespace {
uint32_t U16(const std::vector<uint8_t>& b, size_t o) { return b[o] | (b[o + 1] << 8); }
uint32_t U32(const std::vector<uint8_t>& b, size_t o) { return b[o] | (b[o + 1] << 8) | (b[o + 2] << 16) | (static_cast<uint32_t>(b[o + 3]) << 24); }

// A device-independent bitmap at offset nInfo: its header, then (for icons) the colour rows and
// the mask rows. bIcon: the header's height counts both.
bool DecodeDib(const std::vector<uint8_t>& b, size_t nInfo, size_t nEnd, size_t nBits, bool bIcon,
               ImageDef& image, bool bAlpha, std::string& strError)
{
    if (nInfo + 40 > nEnd || nEnd > b.size()) {
        strError = "bitmap header truncated";
        return false;
    }
    uint32_t nHeaderSize = U32(b, nInfo);
    int32_t nWidth = static_cast<int32_t>(U32(b, nInfo + 4));
    int32_t nHeight = static_cast<int32_t>(U32(b, nInfo + 8));
    uint32_t nPlanes = U16(b, nInfo + 12), nBpp = U16(b, nInfo + 14), nCompression = U32(b, nInfo + 16);
    if (nHeaderSize < 40 || nPlanes != 1) {
        strError = "not a Windows bitmap header";
        return false;
    }
    if (nCompression != 0 && !(nCompression == 3 && nBpp == 32)) {
        strError = "compressed bitmaps are not supported";
        return false;
    }
    if (nBpp != 24 && nBpp != 32) {
        strError = "only 24- and 32-bit bitmaps are supported (this one has " + std::to_string(nBpp) + ")";
        return false;
    }
    bool bTopDown = nHeight < 0;
    int64_t nRows = nHeight < 0 ? -static_cast<int64_t>(nHeight) : nHeight;
    if (bIcon)
        nRows /= 2;
    if (nWidth <= 0 || nRows <= 0 || nWidth > 4096 || nRows > 4096) {
        strError = "bitmap size out of range";
        return false;
    }
    if (nBits == 0)
        nBits = nInfo + nHeaderSize + (nCompression == 3 ? 12 : 0);
    size_t nStride = ((static_cast<size_t>(nWidth) * nBpp + 31) / 32) * 4;
    size_t nMaskStride = ((static_cast<size_t>(nWidth) + 31) / 32) * 4;
    size_t nNeed = nStride * static_cast<size_t>(nRows) + (bIcon && nBpp == 24 ? nMaskStride * static_cast<size_t>(nRows) : 0);
    if (nBits > nEnd || nEnd - nBits < nNeed) {
        strError = "bitmap pixels truncated";
        return false;
    }
    image.nWidth = nWidth;
    image.nHeight = static_cast<int>(nRows);
    size_t nOut = bAlpha ? 4 : 3;
    image.pixels.assign(static_cast<size_t>(nWidth) * static_cast<size_t>(nRows) * nOut, 0);
    for (int64_t y = 0; y < nRows; ++y) {
        int64_t nSrcRow = bTopDown ? y : nRows - 1 - y;
        size_t nRow = nBits + static_cast<size_t>(nSrcRow) * nStride;
        size_t nMaskRow = nBits + nStride * static_cast<size_t>(nRows) + static_cast<size_t>(nSrcRow) * nMaskStride;
        for (int32_t x = 0; x < nWidth; ++x) {
            size_t s = nRow + static_cast<size_t>(x) * (nBpp / 8);
            uint8_t* d = &image.pixels[(static_cast<size_t>(y) * static_cast<size_t>(nWidth) + static_cast<size_t>(x)) * nOut];
            d[0] = b[s];
            d[1] = b[s + 1];
            d[2] = b[s + 2];
            if (bAlpha) {
                if (nBpp == 32)
                    d[3] = b[s + 3];
                else
                    d[3] = (b[nMaskRow + static_cast<size_t>(x) / 8] & (0x80 >> (x % 8))) ? 0 : 255;
            }
        }
    }
    return true;
}
} // namespace

bool CImageFile::ReadAll(const std::string& strPath, std::vector<uint8_t>& bytes)
{
    std::ifstream in(strPath, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

bool CImageFile::DecodeBmp(const std::vector<uint8_t>& b, ImageDef& image, std::string& strError)
{
    if (b.size() < 14 + 40 || b[0] != 'B' || b[1] != 'M') {
        strError = "not a BMP file";
        return false;
    }
    size_t nBits = U32(b, 10);
    if (nBits < 54 || nBits >= b.size()) {
        strError = "pixel offset outside the file";
        return false;
    }
    return DecodeDib(b, 14, b.size(), nBits, false, image, false, strError);
}

bool CImageFile::DecodeIco(const std::vector<uint8_t>& b, std::vector<ImageDef>& images, std::string& strError)
{
    if (b.size() < 6 || U16(b, 0) != 0 || U16(b, 2) != 1) {
        strError = "not an ICO file";
        return false;
    }
    uint32_t nCount = U16(b, 4);
    if (nCount == 0 || 6 + static_cast<size_t>(nCount) * 16 > b.size()) {
        strError = "icon directory truncated or empty";
        return false;
    }
    images.clear();
    for (uint32_t i = 0; i < nCount; ++i) {
        size_t e = 6 + static_cast<size_t>(i) * 16;
        uint32_t nSize = U32(b, e + 8), nOffset = U32(b, e + 12);
        if (nOffset >= b.size() || nSize > b.size() - nOffset) {
            strError = "icon image " + std::to_string(i) + " lies outside the file";
            return false;
        }
        if (nSize >= 8 && b[nOffset] == 0x89 && b[nOffset + 1] == 'P') {
            strError = "icon images stored as PNG are not supported";
            return false;
        }
        ImageDef image;
        if (!DecodeDib(b, nOffset, nOffset + nSize, 0, true, image, true, strError)) {
            strError = "icon image " + std::to_string(i) + ": " + strError;
            return false;
        }
        images.push_back(std::move(image));
    }
    std::stable_sort(images.begin(), images.end(), [](const ImageDef& a, const ImageDef& c) { return a.nWidth > c.nWidth; });
    return true;
}

} // namespace tavren::rc

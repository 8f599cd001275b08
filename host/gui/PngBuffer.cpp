#include "host/gui/PngBuffer.h"

#include <png.h>

#include <csetjmp>

namespace {

void OnError(png_structp png, png_const_charp) { png_longjmp(png, 1); }
void OnWarning(png_structp, png_const_charp) {}
void OnWrite(png_structp png, png_bytep data, png_size_t length)
{
    auto* pOut = static_cast<std::vector<uint8_t>*>(png_get_io_ptr(png));
    pOut->insert(pOut->end(), data, data + length);
}
void OnFlush(png_structp) {}

// RGBA rows in, PNG bytes out; no C++ object with a destructor lives across the setjmp.
bool Encode(int nWidth, int nHeight, png_bytepp rows, std::vector<uint8_t>* pOut)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnError, OnWarning);
    if (!png)
        return false;
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        return false;
    }
    png_set_write_fn(png, pOut, OnWrite, OnFlush);
    png_set_IHDR(png, info, static_cast<png_uint_32>(nWidth), static_cast<png_uint_32>(nHeight), 8,
                 PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_set_compression_level(png, 3); // small pictures, asked for often: speed over size
    png_write_info(png, info);
    png_write_image(png, rows);
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

std::vector<uint8_t> EncodeRgba(int nWidth, int nHeight, std::vector<uint8_t>& rgba)
{
    std::vector<png_bytep> rows(static_cast<size_t>(nHeight));
    for (int y = 0; y < nHeight; ++y)
        rows[static_cast<size_t>(y)] = rgba.data() + static_cast<size_t>(y) * static_cast<size_t>(nWidth) * 4;
    std::vector<uint8_t> out;
    if (!Encode(nWidth, nHeight, rows.data(), &out))
        out.clear();
    return out;
}

bool BadSize(int nWidth, int nHeight) { return nWidth <= 0 || nHeight <= 0 || nWidth > 16384 || nHeight > 16384; }

} // namespace

std::vector<uint8_t> EncodePngBgr(int nWidth, int nHeight, const std::vector<uint8_t>& bgr,
                                  const std::vector<uint8_t>* pTransparent)
{
    if (BadSize(nWidth, nHeight))
        return {};
    size_t n = static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight);
    if (bgr.size() != n * 3 || (pTransparent && pTransparent->size() != n))
        return {};
    std::vector<uint8_t> rgba(n * 4);
    for (size_t i = 0; i < n; ++i) {
        rgba[i * 4] = bgr[i * 3 + 2];
        rgba[i * 4 + 1] = bgr[i * 3 + 1];
        rgba[i * 4 + 2] = bgr[i * 3];
        rgba[i * 4 + 3] = pTransparent && (*pTransparent)[i] ? 0 : 255;
    }
    return EncodeRgba(nWidth, nHeight, rgba);
}

std::vector<uint8_t> EncodePngBgra(int nWidth, int nHeight, const std::vector<uint8_t>& bgra)
{
    if (BadSize(nWidth, nHeight))
        return {};
    size_t n = static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight);
    if (bgra.size() != n * 4)
        return {};
    std::vector<uint8_t> rgba(bgra);
    for (size_t i = 0; i < n; ++i)
        std::swap(rgba[i * 4], rgba[i * 4 + 2]);
    return EncodeRgba(nWidth, nHeight, rgba);
}

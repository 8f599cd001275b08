#include "host/cli/PngWriter.h"

#include "platform/gdi/Gdi.h"

#include <png.h>

#include <csetjmp>
#include <cstdio>
#include <cstring>

namespace {

void OnPngError(png_structp png, png_const_charp msg)
{
    auto* pError = static_cast<std::string*>(png_get_error_ptr(png));
    if (pError)
        *pError = msg;
    png_longjmp(png, 1);
}

void OnPngWarning(png_structp, png_const_charp) {}

// Kept apart from WritePng so no C++ object with a destructor lives across the setjmp.
bool Encode(FILE* pFile, int nWidth, int nHeight, const std::vector<png_bytep>& rows, std::string& strError)
{
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &strError, OnPngError, OnPngWarning);
    if (!png) {
        strError = "out of memory";
        return false;
    }
    png_infop info = png_create_info_struct(png);
    if (!info || setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, info ? &info : nullptr);
        if (strError.empty())
            strError = "out of memory";
        return false;
    }
    png_init_io(png, pFile);
    png_set_IHDR(png, info, static_cast<png_uint_32>(nWidth), static_cast<png_uint_32>(nHeight), 8, PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    png_set_bgr(png);
    png_write_image(png, const_cast<png_bytepp>(rows.data()));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

} // namespace

bool WritePng(const std::string& strPath, int nWidth, int nHeight, const std::vector<uint8_t>& bgr,
              std::string& strError)
{
    if (nWidth <= 0 || nHeight <= 0 || bgr.size() != static_cast<size_t>(nWidth) * static_cast<size_t>(nHeight) * 3) {
        strError = "the picture has no pixels";
        return false;
    }
    FILE* pFile = std::fopen(strPath.c_str(), "wb");
    if (!pFile) {
        strError = std::strerror(errno);
        return false;
    }
    std::vector<png_bytep> rows(static_cast<size_t>(nHeight));
    for (int y = 0; y < nHeight; ++y)
        rows[static_cast<size_t>(y)] = const_cast<png_bytep>(bgr.data() + static_cast<size_t>(y) * nWidth * 3);
    bool bOk = Encode(pFile, nWidth, nHeight, rows, strError);
    if (std::fclose(pFile) != 0 && bOk) {
        strError = std::strerror(errno);
        bOk = false;
    }
    if (!bOk)
        std::remove(strPath.c_str());
    return bOk;
}

bool WritePng(const std::string& strPath, HBITMAP hBitmap, std::string& strError)
{
    int nWidth = 0, nHeight = 0;
    std::vector<uint8_t> bgr;
    if (!tavren::GetBitmapPixels(hBitmap, nWidth, nHeight, bgr)) {
        strError = "not a bitmap";
        return false;
    }
    return WritePng(strPath, nWidth, nHeight, bgr, strError);
}

// Reads a PNG file into top-down BGR rows, for the tests of the commands that write pictures.
#pragma once

#include <png.h>

#include <cstdio>
#include <cstdint>
#include <string>
#include <vector>

inline bool ReadPngBgr(const std::string& strPath, int& nWidth, int& nHeight, std::vector<uint8_t>& bgr)
{
    png_image image = {};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, strPath.c_str()))
        return false;
    image.format = PNG_FORMAT_BGR;
    bgr.assign(PNG_IMAGE_SIZE(image), 0);
    if (!png_image_finish_read(&image, nullptr, bgr.data(), 0, nullptr)) {
        png_image_free(&image);
        return false;
    }
    nWidth = static_cast<int>(image.width);
    nHeight = static_cast<int>(image.height);
    return true;
}

// tavren-icon SIZE OUT.png: the program's icon for the desktop's menus, the sewing machine of the
// module's own pictures drawn at SIZE pixels with its transparency.
#include "res/art/Pictograms.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    const int nSize = argc == 3 ? std::atoi(argv[1]) : 0;
    if (nSize < 16 || nSize > 1024) {
        std::fprintf(stderr, "usage: tavren-icon SIZE OUT.png\n");
        return 2;
    }
    tavren::art::CCanvas canvas(nSize);
    tavren::art::DrawMachine(canvas);
    std::vector<uint8_t> rgba = canvas.Bgra();
    for (size_t i = 0; i < rgba.size(); i += 4)
        std::swap(rgba[i], rgba[i + 2]);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = image.height = static_cast<png_uint_32>(nSize);
    image.format = PNG_FORMAT_RGBA;
    if (!png_image_write_to_file(&image, argv[2], 0, rgba.data(), 0, nullptr)) {
        std::fprintf(stderr, "tavren-icon: %s\n", image.message);
        return 1;
    }
    return 0;
}

// tavren-art: draws the module's bitmaps and icons into a folder as .bmp and .ico files, which the
// resource scripts name.
//
//   tavren-art output-folder
#include "res/art/Pictograms.h"

#include <cstdio>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

using namespace tavren::art;

namespace {
void Put16(std::vector<uint8_t>& b, uint32_t v) { b.push_back(v & 0xFF); b.push_back((v >> 8) & 0xFF); }
void Put32(std::vector<uint8_t>& b, uint32_t v) { Put16(b, v & 0xFFFF); Put16(b, v >> 16); }

void InfoHeader(std::vector<uint8_t>& b, int w, int h, int bpp, uint32_t nImageSize)
{
    Put32(b, 40);
    Put32(b, static_cast<uint32_t>(w));
    Put32(b, static_cast<uint32_t>(h));
    Put16(b, 1);
    Put16(b, static_cast<uint32_t>(bpp));
    Put32(b, 0);
    Put32(b, nImageSize);
    Put32(b, 3780);   // 96 dots per inch
    Put32(b, 3780);
    Put32(b, 0);
    Put32(b, 0);
}

bool WriteFile(const std::string& strPath, const std::vector<uint8_t>& bytes)
{
    std::ofstream out(strPath, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
        std::cerr << "tavren-art: cannot write " << strPath << "\n";
        return false;
    }
    return true;
}

// 24-bit BMP, bottom-up as the format has it; bgr is top-down.
bool WriteBmp(const std::string& strPath, int w, int h, const std::vector<uint8_t>& bgr)
{
    uint32_t nStride = static_cast<uint32_t>((w * 3 + 3) & ~3);
    std::vector<uint8_t> b;
    b.push_back('B');
    b.push_back('M');
    Put32(b, 54 + nStride * static_cast<uint32_t>(h));
    Put32(b, 0);
    Put32(b, 54);
    InfoHeader(b, w, h, 24, nStride * static_cast<uint32_t>(h));
    for (int y = h - 1; y >= 0; --y) {
        size_t nRow = b.size();
        b.insert(b.end(), bgr.begin() + static_cast<long>(y) * w * 3, bgr.begin() + static_cast<long>(y + 1) * w * 3);
        b.resize(nRow + nStride, 0);
    }
    return WriteFile(strPath, b);
}

// ICO of 32-bit images with alpha (and the AND mask older readers want).
bool WriteIco(const std::string& strPath, Painter paint, const std::vector<int>& sizes)
{
    std::vector<std::vector<uint8_t>> images;
    for (int s : sizes) {
        CCanvas canvas(s);
        paint(canvas);
        std::vector<uint8_t> bgra = canvas.Bgra();
        uint32_t nMaskStride = static_cast<uint32_t>(((s + 31) / 32) * 4);
        std::vector<uint8_t> b;
        InfoHeader(b, s, s * 2, 32, static_cast<uint32_t>(s * s * 4));
        for (int y = s - 1; y >= 0; --y)
            b.insert(b.end(), bgra.begin() + static_cast<long>(y) * s * 4, bgra.begin() + static_cast<long>(y + 1) * s * 4);
        for (int y = s - 1; y >= 0; --y) {
            std::vector<uint8_t> row(nMaskStride, 0);
            for (int x = 0; x < s; ++x)
                if (bgra[(static_cast<size_t>(y) * s + x) * 4 + 3] < 128)
                    row[static_cast<size_t>(x / 8)] |= static_cast<uint8_t>(0x80 >> (x % 8));
            b.insert(b.end(), row.begin(), row.end());
        }
        images.push_back(std::move(b));
    }
    std::vector<uint8_t> out;
    Put16(out, 0);
    Put16(out, 1);
    Put16(out, static_cast<uint32_t>(images.size()));
    uint32_t nOffset = 6 + 16 * static_cast<uint32_t>(images.size());
    for (size_t i = 0; i < images.size(); ++i) {
        out.push_back(static_cast<uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(static_cast<uint8_t>(sizes[i] >= 256 ? 0 : sizes[i]));
        out.push_back(0);
        out.push_back(0);
        Put16(out, 1);
        Put16(out, 32);
        Put32(out, static_cast<uint32_t>(images[i].size()));
        Put32(out, nOffset);
        nOffset += static_cast<uint32_t>(images[i].size());
    }
    for (const auto& image : images)
        out.insert(out.end(), image.begin(), image.end());
    return WriteFile(strPath, out);
}

bool WriteStrip(const std::string& strPath, int s)
{
    std::vector<uint8_t> strip(static_cast<size_t>(16 * s) * s * 3);
    for (int i = 0; i < 16; ++i) {
        CCanvas canvas(s);
        kListPictures[i](canvas);
        std::vector<uint8_t> bgr = canvas.OnWhiteBgr();
        for (int y = 0; y < s; ++y)
            std::copy(bgr.begin() + static_cast<long>(y) * s * 3, bgr.begin() + static_cast<long>(y + 1) * s * 3,
                      strip.begin() + (static_cast<long>(y) * 16 * s + static_cast<long>(i) * s) * 3);
    }
    return WriteBmp(strPath, 16 * s, s, strip);
}

// The check boxes are laid pixel by pixel: they are drawn with white as the transparent colour,
// so only the surroundings are pure white and the box itself is a near-white that stays.
bool WriteCheckBox(const std::string& strPath, bool bTicked)
{
    CCanvas tick(16);
    if (bTicked) {
        tick.Polyline({{9, 16.5f}, {13.5f, 21.5f}, {23, 9.5f}}, 4.2f, Hex(0x1C7C2F));
    }
    std::vector<uint8_t> ticked = tick.OnWhiteBgr();
    std::vector<uint8_t> bgr(16 * 16 * 3, 255);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x) {
            uint8_t* p = &bgr[(static_cast<size_t>(y) * 16 + x) * 3];
            bool bEdge = (x == 1 || x == 14 || y == 1 || y == 14) && x >= 1 && x <= 14 && y >= 1 && y <= 14;
            bool bInside = x > 1 && x < 14 && y > 1 && y < 14;
            if (bEdge) {
                p[0] = 0x70, p[1] = 0x66, p[2] = 0x5A;   // dark slate, BGR
            } else if (bInside) {
                const uint8_t* t = &ticked[(static_cast<size_t>(y) * 16 + x) * 3];
                // Near-white interior, with the tick blended in.
                for (int k = 0; k < 3; ++k)
                    p[k] = static_cast<uint8_t>(t[k] == 255 ? 0xF8 : t[k] * 0xF8 / 255);
            }
        }
    }
    return WriteBmp(strPath, 16, 16, bgr);
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::cerr << "usage: tavren-art output-folder\n";
        return 2;
    }
    std::string d = std::string(argv[1]) + "/";
    const std::vector<int> kIconSizes = {48, 32, 16};
    bool bOk = WriteStrip(d + "pictures16.bmp", 16) && WriteStrip(d + "pictures48.bmp", 48)
               && WriteCheckBox(d + "check_off.bmp", false) && WriteCheckBox(d + "check_on.bmp", true)
               && WriteIco(d + "usb_drive.ico", DrawUsbDrive, kIconSizes)
               && WriteIco(d + "computer.ico", DrawComputer, kIconSizes)
               && WriteIco(d + "new_folder.ico", DrawNewFolder, kIconSizes)
               && WriteIco(d + "open.ico", DrawOpen, kIconSizes)
               && WriteIco(d + "up.ico", DrawUp, kIconSizes)
               && WriteIco(d + "style_details.ico", DrawStyleDetails, kIconSizes)
               && WriteIco(d + "style_icons.ico", DrawStyleIcons, kIconSizes)
               && WriteIco(d + "send.ico", DrawSend, kIconSizes)
               && WriteIco(d + "delete.ico", DrawDelete, kIconSizes)
               && WriteIco(d + "receive.ico", DrawReceive, kIconSizes)
               && WriteIco(d + "machine.ico", DrawMachine, kIconSizes)
               && WriteIco(d + "machine_usb.ico", DrawMachineWithUsb, kIconSizes);
    return bOk ? 0 : 1;
}

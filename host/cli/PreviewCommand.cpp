#include "host/cli/PreviewCommand.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "design/StxFile.h"
#include "host/cli/DesignErrorText.h"
#include "host/cli/PngWriter.h"
#include "platform/afx/Dc.h"
#include "preview/DrawCtrl.h"
#include "preview/ListPicture.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

constexpr int kDefaultSize = 512;
constexpr int kMinSize = 16;
constexpr int kMaxSize = 8192;
constexpr long long kMaxFileBytes = 64ll * 1024 * 1024;
// Window extent of the fitted mapping: the scale is carried as viewport / window in 1/10000ths.
constexpr int kScaleDenominator = 10000;

const char kUsage[] = "usage: tavren preview FILE [-o OUT.png] [--size N] [--list-picture] [--checked]\n";

struct Options {
    std::string strInput;
    std::string strOutput;
    int nSize = kDefaultSize;
    bool bListPicture = false;
    bool bChecked = false;
};

bool ParseOptions(int argc, char** argv, Options& opt, std::string& strError)
{
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "-o" || arg == "--output") {
            if (++i >= argc) {
                strError = "-o needs a file name";
                return false;
            }
            opt.strOutput = argv[i];
        } else if (arg == "--size") {
            if (++i >= argc) {
                strError = "--size needs a number";
                return false;
            }
            char* pEnd = nullptr;
            long n = std::strtol(argv[i], &pEnd, 10);
            if (!*argv[i] || *pEnd || n < kMinSize || n > kMaxSize) {
                strError = "--size takes a number of pixels from 16 to 8192";
                return false;
            }
            opt.nSize = static_cast<int>(n);
        } else if (arg == "--list-picture") {
            opt.bListPicture = true;
        } else if (arg == "--checked") {
            opt.bChecked = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            strError = "unknown option " + arg;
            return false;
        } else if (opt.strInput.empty()) {
            opt.strInput = arg;
        } else {
            strError = "only one file at a time";
            return false;
        }
    }
    if (opt.strInput.empty()) {
        strError = "no file given";
        return false;
    }
    return true;
}

std::string Extension(const std::string& strPath)
{
    size_t nSlash = strPath.find_last_of('/');
    size_t nDot = strPath.find_last_of('.');
    if (nDot == std::string::npos || (nSlash != std::string::npos && nDot < nSlash))
        return "";
    std::string ext = strPath.substr(nDot);
    std::transform(ext.begin(), ext.end(), ext.begin(), [](unsigned char c) { return std::tolower(c); });
    return ext;
}

// OUT.png when not given: the input's name with .png, in the current folder.
std::string DefaultOutput(const std::string& strInput)
{
    size_t nSlash = strInput.find_last_of('/');
    std::string name = nSlash == std::string::npos ? strInput : strInput.substr(nSlash + 1);
    size_t nDot = name.find_last_of('.');
    if (nDot != std::string::npos && nDot > 0)
        name.resize(nDot);
    return name + ".png";
}

bool ReadBytes(const std::string& strPath, std::vector<BYTE>& bytes, std::string& strError)
{
    std::error_code ec;
    if (std::filesystem::exists(strPath, ec) && !std::filesystem::is_regular_file(strPath, ec)) {
        strError = "it is not a file";
        return false;
    }
    std::ifstream in(strPath, std::ios::binary);
    if (!in) {
        strError = std::strerror(errno);
        return false;
    }
    in.seekg(0, std::ios::end);
    std::streamoff nSize = in.tellg();
    if (nSize < 0 || nSize > kMaxFileBytes) {
        strError = nSize < 0 ? "it is not a file" : "it is too large for a design";
        return false;
    }
    in.seekg(0);
    bytes.resize(static_cast<size_t>(nSize));
    if (nSize > 0 && !in.read(reinterpret_cast<char*>(bytes.data()), nSize)) {
        strError = "it could not be read to the end";
        return false;
    }
    return true;
}

// A mapping of logical units to pixels at fScale pixels a unit, the logical point (cx, cy) at the
// bitmap's centre; y upward when bYUp.
void SetFittedMapping(CDC& dc, int nSize, double dScale, double dCenterX, double dCenterY, bool bYUp)
{
    dc.SetMapMode(MM_ANISOTROPIC);
    int nViewport = std::max(1, static_cast<int>(std::lround(dScale * kScaleDenominator)));
    dc.SetWindowExt(kScaleDenominator, kScaleDenominator);
    dc.SetViewportExt(nViewport, bYUp ? -nViewport : nViewport);
    dc.SetWindowOrg(static_cast<int>(std::lround(dCenterX)), static_cast<int>(std::lround(dCenterY)));
    dc.SetViewportOrg(nSize / 2, nSize / 2);
}

// Thread about 0.4 mm wide, but at least a pixel for every 256 of the picture (so a large design
// on a large picture keeps visible lines) and at most four; 0 for one-pixel lines.
int FittedPenWidth(double dScale, int nSize)
{
    const double dMin = std::max(1, nSize / 256);
    double dPixels = std::clamp(1.6 * dScale, dMin, std::max(dMin, 4.0));
    return static_cast<int>(std::lround(dPixels / dScale));
}

double FitScale(int nSize, double dWidth, double dHeight)
{
    const int nMargin = std::max(2, nSize / 32);
    return (nSize - 2.0 * nMargin) / std::max({dWidth, dHeight, 1.0});
}

} // namespace

bool RenderDesignPreview(CEmbData& design, int nSize, CBitmap& bmOut)
{
    if (design.m_nStatus <= 0)
        return false;
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !bmOut.CreateCompatibleBitmap(&dc, nSize, nSize))
        return false;
    CBitmap* pOld = dc.SelectObject(&bmOut);
    dc.FillSolidRect(0, 0, nSize, nSize,
                     design.IsAllLight() ? CListPicture::LIGHT_THREAD_BACKGROUND : RGB(255, 255, 255));

    // The renderer draws 0.4 logical units a design unit, about the design's origin.
    RECT rc;
    design.GetBoundingRect(rc, design.m_nAngle, design.m_bMirrorVertical, design.m_bMirrorHorizontal, design.m_nScale);
    const double dLeft = rc.left * 0.4, dRight = rc.right * 0.4, dTop = rc.top * 0.4, dBottom = rc.bottom * 0.4;
    const double dScale = FitScale(nSize, dRight - dLeft, dTop - dBottom);
    SetFittedMapping(dc, nSize, dScale, (dLeft + dRight) / 2, (dTop + dBottom) / 2, true);

    CDrawCtrl draw;
    draw.m_nPenWidth = FittedPenWidth(dScale, nSize);
    draw.Draw(design, &dc, 0, 0);
    dc.SelectObject(pOld);
    return true;
}

bool RenderStxPreview(CStxFile& stx, int nSize, CBitmap& bmOut)
{
    const CArray<CPoint>& outline = stx.GetOutline();
    CDC dc;
    if (!dc.CreateCompatibleDC(nullptr) || !bmOut.CreateCompatibleBitmap(&dc, nSize, nSize))
        return false;
    CBitmap* pOld = dc.SelectObject(&bmOut);
    dc.FillSolidRect(0, 0, nSize, nSize, RGB(255, 255, 255));
    if (outline.GetSize() > 0) {
        // The outline as the list draws it (0.4 logical units a 0.1 mm, feed downward).
        double dMinX = outline[0].x, dMaxX = outline[0].x, dMinY = outline[0].y, dMaxY = outline[0].y;
        for (CArray<CPoint>::INT_PTR i = 1; i < outline.GetSize(); ++i) {
            dMinX = std::min<double>(dMinX, outline[i].x);
            dMaxX = std::max<double>(dMaxX, outline[i].x);
            dMinY = std::min<double>(dMinY, outline[i].y);
            dMaxY = std::max<double>(dMaxY, outline[i].y);
        }
        const double dScale = FitScale(nSize, (dMaxX - dMinX) * 0.4, (dMaxY - dMinY) * 0.4);
        SetFittedMapping(dc, nSize, dScale, (dMinX + dMaxX) * 0.2, (dMinY + dMaxY) * 0.2, false);
        CPen pen(PS_SOLID, FittedPenWidth(dScale, nSize), RGB(0, 0, 0));
        CPen* pOldPen = dc.SelectObject(&pen);
        stx.DrawOutline(dc, 0, 0);
        dc.SelectObject(pOldPen);
    }
    dc.SelectObject(pOld);
    return true;
}

int RunPreviewCommand(int argc, char** argv)
{
    Options opt;
    std::string strError;
    if (!ParseOptions(argc, argv, opt, strError)) {
        std::fprintf(stderr, "tavren preview: %s\n%s", strError.c_str(), kUsage);
        return 2;
    }
    if (opt.strOutput.empty())
        opt.strOutput = DefaultOutput(opt.strInput);

    std::vector<BYTE> bytes;
    if (!ReadBytes(opt.strInput, bytes, strError)) {
        std::fprintf(stderr, "tavren preview: cannot read \"%s\": %s\n", opt.strInput.c_str(), strError.c_str());
        return 1;
    }

    CBitmap bmFirst, bmSecond, bmPicture;
    const std::string ext = Extension(opt.strInput);
    bool bDrawn;
    if (ext == ".stx") {
        CStxFile stx;
        if (!stx.ReadBuffer(bytes.data(), bytes.size())) {
            std::fprintf(stderr, "tavren preview: cannot read \"%s\": it is not an STX stitch pattern\n",
                         opt.strInput.c_str());
            return 1;
        }
        bDrawn = opt.bListPicture ? CListPicture::MakeStxPair(stx, TRUE, bmFirst, bmSecond)
                                  : RenderStxPreview(stx, opt.nSize, bmPicture);
    } else {
        const std::u16string u16Ext(ext.begin(), ext.end());
        const int nType = CEmbFile::GetFileType(u16Ext.c_str());
        if (nType == CEmbFile::dftUnknown) {
            std::fprintf(stderr,
                         "tavren preview: cannot read \"%s\": not a design or STX file (.qef, .qef+, .qpx, .dst, .stx)\n",
                         opt.strInput.c_str());
            return 1;
        }
        CEmbFile file(nType);
        CEmbData design;
        if (!file.ReadBuffer(bytes.data(), bytes.size(), design) || design.m_nStatus <= 0) {
            std::fprintf(stderr, "tavren preview: cannot read \"%s\": %s\n", opt.strInput.c_str(),
                         DesignErrorText(file.GetLastFileError()));
            return 1;
        }
        bDrawn = opt.bListPicture ? CListPicture::MakeDesignPair(design, TRUE, bmFirst, bmSecond)
                                  : RenderDesignPreview(design, opt.nSize, bmPicture);
    }
    if (!bDrawn) {
        std::fprintf(stderr, "tavren preview: \"%s\" could not be drawn\n", opt.strInput.c_str());
        return 1;
    }
    const CBitmap& bmOut = !opt.bListPicture ? bmPicture : opt.bChecked ? bmSecond : bmFirst;
    if (!WritePng(opt.strOutput, bmOut.m_hObject, strError)) {
        std::fprintf(stderr, "tavren preview: cannot write \"%s\": %s\n", opt.strOutput.c_str(), strError.c_str());
        return 1;
    }
    std::printf("%s\n", opt.strOutput.c_str());
    return 0;
}

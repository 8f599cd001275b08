#include "tests/host/DemoFiles.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "tests/design/FixtureWriter.h"

#include <map>

namespace fs = std::filesystem;
using namespace fixture;

namespace demo {

namespace {

// Every native format shows in each place a newcomer opens first, so each kind of thumbnail is seen.
const std::vector<DemoFile> kLayout = {
    {"machine/builtin/EMB/Star.qef", "Star.DST"},
    {"machine/builtin/EMB/Bean.qef+", "Bean.dst"},
    {"machine/builtin/EMB/Embroidermodder.qpx", "Embroidermodder.DST"},
    {"machine/builtin/EMB/Flowers/shamrockin.qef", "shamrockin.dst"},
    {"machine/builtin/EMB/Flowers/shamrockin.qef+", "shamrockin.dst"},
    {"machine/builtin/EMB/Flowers/shamrockin.qpx", "shamrockin.dst"},
    {"machine/builtin/EMB/Shapes/rectangle.qef", "rectangle.dst"},
    {"machine/builtin/EMB/Shapes/Star.qpx", "Star.DST"},
    {"machine/builtin/EMB/Logos/Embroidermodder-logo-2022.qef+", "Embroidermodder-logo-2022.dst"},
    {"machine/builtin/ORD/(UserST)/Zigzag.stx", "Zigzag"},
    {"machine/builtin/ORD/(UserST)/Wave.stx", "Wave"},
    {"machine/builtin/ORD/(UserST)/Scallop.stx", "Scallop"},
    {"machine/usb1/EMB/rectangle.qpx", "rectangle.dst"},
    {"machine/usb1/EMB/shamrockin.qef", "shamrockin.dst"},
    {"machine/usb1/EMB/Bean.qef+", "Bean.dst"},
    {"machine/usb1/ORD/Arrow.stx", "Arrow"},
    {"pc/Designs/Bean.qef", "Bean.dst"},
    {"pc/Designs/Embroidermodder-logo-2022.qef+", "Embroidermodder-logo-2022.dst"},
    {"pc/Designs/Embroidermodder.qpx", "Embroidermodder.DST"},
    {"pc/Designs/Star.qef+", "Star.DST"},
    {"pc/Designs/rectangle.qef", "rectangle.dst"},
    {"pc/Designs/shamrockin.qpx", "shamrockin.dst"},
    {"pc/Patterns/Arrow.stx", "Arrow"},
    {"pc/Patterns/Scallop.stx", "Scallop"},
    {"pc/Patterns/Wave.stx", "Wave"},
    {"pc/Patterns/Zigzag.stx", "Zigzag"},
    {"pc-usb/EMB/Embf/Star.qpx", "Star.DST"},
    {"pc-usb/EMB/Embf/shamrockin.qef+", "shamrockin.dst"},
    {"pc-usb/EMB/Embf/Bean.qef", "Bean.dst"},
    {"pc-usb/ORD/Ordf/Zigzag.stx", "Zigzag"},
    {"pc-usb/ORD/Ordf/Wave.stx", "Wave"},
};

// Needle positions (22 is the middle, 0..44 the full swing) and feeds of the patterns' points;
// each pattern is about 100 feed units long, so its thumbnail runs the picture's height.
std::vector<StxRecord> PatternPoints(const std::string& strName)
{
    std::vector<StxRecord> points;
    if (strName == "Zigzag") {
        for (int i = 0; i < 16; ++i)
            points.push_back(StxPoint(i % 2 ? 40 : 4, 6));
    } else if (strName == "Wave") {
        static const int kSwing[] = {22, 30, 36, 38, 36, 30, 22, 14, 8, 6, 8, 14};
        for (int i = 0; i < 24; ++i)
            points.push_back(StxPoint(kSwing[i % 12], 4));
    } else if (strName == "Scallop") {
        static const int kSwing[] = {4, 12, 20, 26, 30, 32, 30, 26, 20, 12};
        for (int i = 0; i < 20; ++i)
            points.push_back(StxPoint(kSwing[i % 10], 5));
    } else if (strName == "Arrow") {
        static const int kSwing[] = {22, 18, 14, 10, 6, 10, 14, 18};
        for (int i = 0; i < 16; ++i)
            points.push_back(StxPoint(kSwing[i % 8], 6));
    }
    return points;
}

Bytes MakePattern(const std::string& strName)
{
    StxLayout layout;
    layout.lengthNum = 1;
    layout.lengthDen = 1;
    layout.records.push_back(StxCommand(0x03));
    for (const StxRecord& r : PatternPoints(strName))
        layout.records.push_back(r);
    layout.records.push_back(StxCommand(0x00));
    for (int i = 0; i < 3; ++i)
        layout.records.push_back(StxPoint(22, 2));
    layout.records.push_back(StxCommand(0xFF));
    return MakeStx(layout);
}

std::string Extension(const std::string& strPath) { return fs::path(strPath).extension().string(); }

} // namespace

const std::vector<DemoFile>& DemoLayout() { return kLayout; }

bool WriteDemoFiles(const fs::path& corpus, const fs::path& out, std::string& strError)
{
    std::error_code ec;
    fs::remove_all(out, ec);
    std::map<std::string, DesignLayout> designs;
    for (const DemoFile& f : kLayout) {
        Bytes bytes;
        std::string ext = Extension(f.path);
        if (ext == ".stx") {
            if (PatternPoints(f.source).empty()) {
                strError = "no STX pattern named " + f.source;
                return false;
            }
            bytes = MakePattern(f.source);
        } else {
            auto it = designs.find(f.source);
            if (it == designs.end()) {
                Bytes dst = ReadWholeFile((corpus / f.source).string());
                CEmbFile file(CEmbFile::dftDst);
                CEmbData data;
                if (dst.empty() || !file.ReadBuffer(dst.data(), dst.size(), data)) {
                    strError = "cannot read the corpus design " + (corpus / f.source).string();
                    return false;
                }
                it = designs.emplace(f.source, LayoutFromDesign(data)).first;
            }
            bytes = ext == ".qef" ? MakeQef(it->second) : ext == ".qef+" ? MakeQefPlus(it->second) : MakeQpx(it->second);
        }
        fs::path to = out / f.path;
        fs::create_directories(to.parent_path(), ec);
        if (!WriteFile(to.string(), bytes)) {
            strError = "cannot write " + to.string();
            return false;
        }
    }
    return true;
}

} // namespace demo

#include "tests/host/DemoFiles.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "tests/design/FixtureWriter.h"

#include <map>
#include <set>

namespace fs = std::filesystem;
using namespace fixture;

namespace demo {

namespace {

// Every native format shows in each place a newcomer opens first, so each kind of thumbnail is seen.
// A design is made from the corpus design of its name, a pattern from the STX pattern of its name.
const std::vector<std::pair<std::string, std::vector<std::string>>> kFolders = {
    {"machine/builtin/EMB/", {"Star.qef", "Bean.qef+", "Embroidermodder.qpx"}},
    {"machine/builtin/EMB/Flowers/", {"shamrockin.qef", "shamrockin.qef+", "shamrockin.qpx"}},
    {"machine/builtin/EMB/Shapes/", {"rectangle.qef", "Star.qpx"}},
    {"machine/builtin/EMB/Logos/", {"Embroidermodder-logo-2022.qef+"}},
    {"machine/builtin/ORD/(UserST)/", {"Zigzag.stx", "Wave.stx", "Scallop.stx"}},
    {"machine/usb1/EMB/", {"rectangle.qpx", "shamrockin.qef", "Bean.qef+"}},
    {"machine/usb1/ORD/", {"Arrow.stx"}},
    {"pc/Designs/", {"Bean.qef", "Embroidermodder-logo-2022.qef+", "Embroidermodder.qpx", "Star.qef+", "rectangle.qef", "shamrockin.qpx"}},
    {"pc/Patterns/", {"Arrow.stx", "Scallop.stx", "Wave.stx", "Zigzag.stx"}},
    {"pc-usb/EMB/Embf/", {"Star.qpx", "shamrockin.qef+", "Bean.qef"}},
    {"pc-usb/ORD/Ordf/", {"Zigzag.stx", "Wave.stx"}},
};
// The corpus designs whose extension is in capitals.
const std::set<std::string> kCapitalDst = {"Star", "Embroidermodder"};

// Needle positions (22 is the middle, 0..44 the full swing) and feeds of the patterns' points;
// each pattern is about 100 feed units long, so its thumbnail runs the picture's height.
struct Pattern {
    std::vector<int> swing; // repeated
    int nPoints, nFeed;
};
const std::map<std::string, Pattern> kPatterns = {
    {"Zigzag", {{4, 40}, 16, 6}},
    {"Wave", {{22, 30, 36, 38, 36, 30, 22, 14, 8, 6, 8, 14}, 24, 4}},
    {"Scallop", {{4, 12, 20, 26, 30, 32, 30, 26, 20, 12}, 20, 5}},
    {"Arrow", {{22, 18, 14, 10, 6, 10, 14, 18}, 16, 6}},
};

// The pattern of that name: a start command, its points, then three middle points; empty when
// there is no such pattern.
Bytes MakePattern(const std::string& strName)
{
    auto it = kPatterns.find(strName);
    if (it == kPatterns.end())
        return {};
    StxLayout layout;
    layout.records.push_back(StxCommand(0x03));
    for (int i = 0; i < it->second.nPoints; ++i)
        layout.records.push_back(StxPoint(it->second.swing[i % it->second.swing.size()], it->second.nFeed));
    layout.records.push_back(StxCommand(0x00));
    layout.records.insert(layout.records.end(), 3, StxPoint(22, 2));
    layout.records.push_back(StxCommand(0xFF));
    return MakeStx(layout);
}

} // namespace

const std::vector<DemoFile>& DemoLayout()
{
    static const std::vector<DemoFile> layout = [] {
        std::vector<DemoFile> files;
        for (const auto& [strFolder, names] : kFolders)
            for (const std::string& strName : names) {
                const std::string strStem = fs::path(strName).stem().string();
                files.push_back({strFolder + strName, fs::path(strName).extension() == ".stx" ? strStem
                                                                                   : strStem + (kCapitalDst.contains(strStem) ? ".DST" : ".dst")});
            }
        return files;
    }();
    return layout;
}

bool WriteDemoFiles(const fs::path& corpus, const fs::path& out, std::string& strError)
{
    std::error_code ec;
    fs::remove_all(out, ec);
    std::map<std::string, DesignLayout> designs;
    for (const DemoFile& f : DemoLayout()) {
        const std::string ext = fs::path(f.path).extension().string();
        Bytes bytes = ext == ".stx" ? MakePattern(f.source) : Bytes();
        auto it = designs.find(f.source);
        if (ext != ".stx" && it == designs.end()) {
            const Bytes dst = ReadWholeFile((corpus / f.source).string());
            CEmbFile file(CEmbFile::dftDst);
            CEmbData data;
            if (!dst.empty() && file.ReadBuffer(dst.data(), dst.size(), data))
                it = designs.emplace(f.source, LayoutFromDesign(data)).first;
        }
        if (it != designs.end())
            bytes = ext == ".qef" ? MakeQef(it->second) : ext == ".qef+" ? MakeQefPlus(it->second) : MakeQpx(it->second);
        const fs::path to = out / f.path;
        fs::create_directories(to.parent_path(), ec);
        if (bytes.empty() || !WriteFile(to.string(), bytes)) {
            strError = bytes.empty() ? "cannot make " + f.path + " from " + f.source : "cannot write " + to.string();
            return false;
        }
    }
    return true;
}

} // namespace demo

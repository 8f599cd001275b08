// The list pictures and previews of the corpus designs (as read, and some rotated, mirrored,
// scaled, in light threads), of designs with placement marks and of a large generated design,
// and the STX list pictures, pinned pixel for pixel by a hash of the pictures of each design as read
// and one over all its placements (and one over each group of made designs). The drawing code may
// get faster; what it draws must not move by a single pixel. After a change meant to alter the
// pictures, a failing run prints the new table: look at the pictures (tavren preview) before taking it.
#include "tests/design/FixtureWriter.h"
#include "tests/preview/DesignBuilder.h"

#include "design/EmbFile.h"
#include "design/StxFile.h"
#include "host/cli/PreviewCommand.h"
#include "platform/gdi/Gdi.h"
#include "preview/ListPicture.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

// The boxes as the lists load them: this process has no resources, so these are the stand-ins.
struct Boxes {
    CBitmap empty, ticked;
    Boxes() { CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, empty), CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, ticked); }
};

// FNV-1a over the size and pixels of each bitmap; ok falls when something did not read or draw.
struct PictureHash {
    uint64_t h = 1469598103934665603ull;
    bool ok = true;
    void Add(const uint8_t* p, size_t n)
    {
        for (size_t i = 0; i < n; ++i)
            h = (h ^ p[i]) * 1099511628211ull;
    }
    void Add(const CBitmap& bm)
    {
        int size[2] = {0, 0};
        std::vector<uint8_t> bits;
        ok = ok && tavren::GetBitmapPixels(bm.m_hObject, size[0], size[1], bits);
        Add(reinterpret_cast<const uint8_t*>(size), sizeof size);
        Add(bits.data(), bits.size());
    }
    // Both pictures of the pair with boxes, the plain picture without, and the 256-pixel preview.
    void AddDesign(bool bRead, CEmbData& design, const Boxes& boxes)
    {
        CBitmap first, second, plainFirst, plainSecond, preview;
        ok = ok && bRead && CListPicture::MakeDesignPair(design, TRUE, first, second, &boxes.empty, &boxes.ticked) &&
             CListPicture::MakeDesignPair(design, FALSE, plainFirst, plainSecond, &boxes.empty, &boxes.ticked) &&
             RenderDesignPreview(design, 256, preview);
        for (const CBitmap* bm : {&first, &second, &plainFirst, &preview})
            Add(*bm);
    }
};

bool ReadDst(const std::filesystem::path& path, CEmbData& design)
{
    const fixture::Bytes bytes = fixture::ReadWholeFile(path.string());
    return !bytes.empty() && CEmbFile(CEmbFile::dftDst).ReadBuffer(bytes.data(), bytes.size(), design) && design.m_nStatus > 0;
}

void LightThreads(CEmbData& d, bool bVaried)
{
    for (int i = 0; i < d.m_nColorBlockCount; ++i)
        testdesign::SetCustom(d, i, bVaried ? RGB(230 + i % 20, 240, 225 + i % 30) : RGB(255, 250, 221));
}

// The placements a design is drawn in, one after another into one hash.
const std::vector<std::function<void(CEmbData&)>> kPlacements = {
    [](CEmbData& d) { d.SetAngle(30); }, [](CEmbData& d) { d.SetAngle(90); }, [](CEmbData& d) { d.SetAngle(211); },
    [](CEmbData& d) { d.SetMirror(true, true); }, [](CEmbData& d) { d.SetMirror(false, true), d.SetAngle(45); },
    [](CEmbData& d) { d.SetScale(150); }, [](CEmbData& d) { d.SetScale(37); }, [](CEmbData& d) { d.SetPosition(123.4, -56.6); },
    [](CEmbData& d) { LightThreads(d, true); }, [](CEmbData& d) { LightThreads(d, false), d.SetAngle(120); },
    [](CEmbData& d) { d.m_nColorBlockCount > 1 ? testdesign::SetCustom(d, 1, RGB(10, 200, 30), MARKER_PLACEMENT, 3) : void(); },
};

// Every corpus design is drawn as read; these, the large one of many colours and two others, in
// every placement too.
const std::set<std::string> kPlaced = {"Cake 3", "Star", "shamrockin"};

// Everything measured: name -> hash, 0 where something did not read or draw.
std::map<std::string, uint64_t> MeasureAll()
{
    std::map<std::string, PictureHash> hashes;
    const Boxes boxes;
    for (const auto& path : tavren::test::CorpusFiles()) {
        const std::string strStem = path.stem().string();
        CEmbData design;
        hashes[strStem].AddDesign(ReadDst(path, design), design, boxes);
        for (size_t i = 0; kPlaced.count(strStem) && i < kPlacements.size(); ++i) {
            CEmbData placed;
            const bool bRead = ReadDst(path, placed);
            kPlacements[i](placed);
            hashes[strStem + "/placed"].AddDesign(bRead, placed, boxes);
        }
    }

    // A large generated design, as read and rotated.
    const fixture::Bytes qef = fixture::MakeQef(
        {.words = fixture::MakeRandomWords(200000, 12, 7), .palette = {1, 6, 11, 16, 21, 26, 31, 36, 41, 46, 51, 56}});
    for (int nAngle : {0, 333}) {
        CEmbData design;
        const bool bRead = CEmbFile(CEmbFile::dftQef).ReadBuffer(qef.data(), qef.size(), design);
        design.SetAngle(nAngle);
        hashes["generated-200000"].AddDesign(bRead, design, boxes);
    }

    // Placement marks in every direction, long stitches, chained jumps, a design smaller than the
    // picture.
    for (int nDirection = 0; nDirection <= 4; ++nDirection) {
        using namespace testdesign;
        CEmbData design;
        const bool bBuilt = Build(design, {Jump, {0, 0}, {30, 30}, {-60, 10}, {5, 5}, ColorChange, {40, -20}, {20, 0},
                                           {0, 20}, Jump, {119, 0}, Jump, {10, 10}, {-15, 3}, ColorChange, {-30, -30},
                                           {7, 7}, {-7, 7}, End}, 3);
        if (bBuilt)
            SetCustom(design, 1, RGB(200, 0, 0), MARKER_PLACEMENT, nDirection);
        hashes["marks"].AddDesign(bBuilt, design, boxes);
    }

    // STX list pictures.
    for (int nPoints : {3, 40, 300}) {
        const fixture::Bytes bytes = fixture::MakeStx(fixture::WellFormedStx(nPoints));
        CStxFile stx;
        CBitmap first, second, plainFirst, plainSecond;
        PictureHash& hash = hashes["stx"];
        hash.ok = hash.ok && stx.ReadBuffer(bytes.data(), bytes.size()) &&
                  CListPicture::MakeStxPair(stx, TRUE, first, second, &boxes.empty, &boxes.ticked) &&
                  CListPicture::MakeStxPair(stx, FALSE, plainFirst, plainSecond, &boxes.empty, &boxes.ticked);
        for (const CBitmap* bm : {&first, &second, &plainFirst})
            hash.Add(*bm);
    }
    std::map<std::string, uint64_t> result;
    for (const auto& [name, hash] : hashes)
        result[name] = hash.ok ? hash.h : 0;
    return result;
}

// clang-format off
const std::map<std::string, uint64_t> kExpected = {
    {"Bean", 0x469324ea3f93bd8full},
    {"Cake 3", 0x4a152226e20d3f2full},
    {"Cake 3/placed", 0x8db33da52f9bc3a3ull},
    {"Embroidermodder", 0x39ece5cbb6320f0full},
    {"Embroidermodder-logo-2022", 0x24876394c3cf67f7ull},
    {"Star", 0xf469dd689f06d1afull},
    {"Star/placed", 0x98a121d5bd614048ull},
    {"generated-200000", 0x43a53da754b4a565ull},
    {"marks", 0x477e86b1adc93293ull},
    {"rectangle", 0xd095f4e9010581e7ull},
    {"shamrockin", 0x83debaf14f20110full},
    {"shamrockin/placed", 0x2bbd56a766f8139bull},
    {"stx", 0x044ea9d068b8799full},
};
// clang-format on

TEST(PictureIdentity, EveryPictureIsPixelForPixelAsBefore)
{
    const std::map<std::string, uint64_t> actual = MeasureAll();
    for (const auto& [name, hash] : actual)
        if (actual != kExpected)
            std::printf("    {\"%s\", 0x%016llxull},\n", name.c_str(), static_cast<unsigned long long>(hash));
    EXPECT_EQ(actual, kExpected) << "the pictures changed";
}

} // namespace

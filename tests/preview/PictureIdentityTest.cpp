// The list pictures and previews of the corpus designs (as read, and some rotated, mirrored,
// scaled, in light threads), of designs with placement marks and of a large generated design,
// and the STX list pictures, pinned pixel for pixel by a hash of both pictures of each pair. The
// drawing code may get faster; what it draws must not move by a single pixel.
//
// After a change meant to alter the pictures, TAVREN_PRINT_PICTURE_HASHES=1 prints the new table
// and writes the golden pictures (tests/fixtures/golden) of three designs as read: look at them
// before taking the table.
#include "tests/design/FixtureWriter.h"
#include "tests/preview/DesignBuilder.h"

#include "design/EmbFile.h"
#include "design/StxFile.h"
#include "host/PngWriter.h"
#include "host/PreviewCommand.h"
#include "platform/gdi/Gdi.h"
#include "preview/ListPicture.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

namespace {

using tavren::test::SourceDir;
using tavren::test::CorpusFiles;

// FNV-1a over the size and pixels of each bitmap.
struct PictureHash {
    uint64_t h = 1469598103934665603ull;
    void Add(const uint8_t* p, size_t n)
    {
        for (size_t i = 0; i < n; ++i) {
            h ^= p[i];
            h *= 1099511628211ull;
        }
    }
    bool Add(const CBitmap& bm)
    {
        int w, hgt;
        std::vector<uint8_t> bits;
        if (!tavren::GetBitmapPixels(bm.m_hObject, w, hgt, bits))
            return false;
        const int size[2] = {w, hgt};
        Add(reinterpret_cast<const uint8_t*>(size), sizeof size);
        Add(bits.data(), bits.size());
        return true;
    }
};

struct Boxes {
    CBitmap empty, ticked;
    Boxes()
    {
        CListPicture::DrawStandInBox(FALSE, empty);
        CListPicture::DrawStandInBox(TRUE, ticked);
    }
};

// The designs whose pictures a person has looked at, by corpus name, and their golden names.
const std::map<std::string, std::string> kGolden = {
    {"Star/as-read", "star"}, {"shamrockin/as-read", "shamrockin"}, {"Embroidermodder/as-read", "embroidermodder"}};

void WriteGolden(const CBitmap& bm, const std::string& strName)
{
    std::string strError;
    EXPECT_TRUE(WritePng(SourceDir() + "/tests/fixtures/golden/" + strName, static_cast<HBITMAP>(bm.m_hObject), strError))
        << strError;
}

// Both pictures of the pair with boxes, the plain picture without, and the 256-pixel preview.
uint64_t HashDesign(CEmbData& design, const Boxes& boxes, const std::string& strName = {})
{
    PictureHash hash;
    CBitmap first, second, plainFirst, plainSecond, preview;
    if (!CListPicture::MakeDesignPair(design, TRUE, first, second, &boxes.empty, &boxes.ticked) ||
        !CListPicture::MakeDesignPair(design, FALSE, plainFirst, plainSecond, &boxes.empty, &boxes.ticked) ||
        !RenderDesignPreview(design, 256, preview))
        return 0;
    hash.Add(first);
    hash.Add(second);
    hash.Add(plainFirst);
    hash.Add(preview);
    if (auto it = kGolden.find(strName); it != kGolden.end() && std::getenv("TAVREN_PRINT_PICTURE_HASHES")) {
        WriteGolden(first, it->second + "-list.png");
        WriteGolden(second, it->second + "-list-checked.png");
        WriteGolden(preview, it->second + "-256.png");
    }
    return hash.h;
}

bool ReadDst(const std::filesystem::path& path, CEmbData& design)
{
    const fixture::Bytes bytes = fixture::ReadWholeFile(path.string());
    CEmbFile file(CEmbFile::dftDst);
    return !bytes.empty() && file.ReadBuffer(bytes.data(), bytes.size(), design) && design.m_nStatus > 0;
}

// The placements a design is drawn in.
struct Variant {
    const char* pszName;
    std::function<void(CEmbData&)> apply;
};

const std::vector<Variant>& Variants()
{
    static const std::vector<Variant> variants = {
        {"as-read", [](CEmbData&) {}},
        {"rotated-30", [](CEmbData& d) { d.SetAngle(30); }},
        {"rotated-90", [](CEmbData& d) { d.SetAngle(90); }},
        {"rotated-211", [](CEmbData& d) { d.SetAngle(211); }},
        {"mirrored", [](CEmbData& d) { d.SetMirror(true, true); }},
        {"mirrored-h-rotated-45", [](CEmbData& d) { d.SetMirror(false, true); d.SetAngle(45); }},
        {"scaled-150", [](CEmbData& d) { d.SetScale(150); }},
        {"scaled-37", [](CEmbData& d) { d.SetScale(37); }},
        {"moved", [](CEmbData& d) { d.SetPosition(123.4, -56.6); }},
        {"light-threads",
         [](CEmbData& d) {
             for (int i = 0; i < d.m_nColorBlockCount; ++i)
                 testdesign::SetCustom(d, i, RGB(230 + i % 20, 240, 225 + i % 30));
         }},
        {"light-threads-rotated-120",
         [](CEmbData& d) {
             for (int i = 0; i < d.m_nColorBlockCount; ++i)
                 testdesign::SetCustom(d, i, RGB(255, 250, 221));
             d.SetAngle(120);
         }},
        {"second-block-marks",
         [](CEmbData& d) {
             if (d.m_nColorBlockCount > 1)
                 testdesign::SetCustom(d, 1, RGB(10, 200, 30), MARKER_PLACEMENT, 3);
         }},
    };
    return variants;
}

// Every corpus design is drawn as read; these, the large one of many colours and the two a person
// looked at, in every placement too.
const std::set<std::string> kPlaced = {"Cake 3", "Star", "shamrockin"};

// Everything measured: name -> hash.
std::map<std::string, uint64_t> MeasureAll()
{
    std::map<std::string, uint64_t> hashes;
    const Boxes boxes;
    for (const auto& path : CorpusFiles())
        for (const Variant& v : Variants()) {
            if (std::string(v.pszName) != "as-read" && !kPlaced.count(path.stem().string()))
                continue;
            CEmbData design;
            if (!ReadDst(path, design))
                continue;
            v.apply(design);
            const std::string strName = path.stem().string() + "/" + v.pszName;
            hashes[strName] = HashDesign(design, boxes, strName);
        }

    // A large generated design, as read and rotated.
    fixture::DesignLayout layout;
    layout.words = fixture::MakeRandomWords(200000, 12, 7);
    for (int i = 0; i < 12; ++i)
        layout.palette.push_back(1 + i * 5);
    const fixture::Bytes qef = fixture::MakeQef(layout);
    for (int nAngle : {0, 333}) {
        CEmbData design;
        CEmbFile file(CEmbFile::dftQef);
        if (file.ReadBuffer(qef.data(), qef.size(), design)) {
            design.SetAngle(nAngle);
            hashes["generated-200000/angle-" + std::to_string(nAngle)] = HashDesign(design, boxes);
        }
    }

    // Placement marks in every direction, long stitches, chained jumps, a design smaller than the
    // picture.
    for (int nDirection = 0; nDirection <= 4; ++nDirection) {
        using namespace testdesign;
        CEmbData design;
        if (!Build(design, {Jump, {0, 0}, {30, 30}, {-60, 10}, {5, 5}, ColorChange, {40, -20}, {20, 0}, {0, 20},
                            Jump, {119, 0}, Jump, {10, 10}, {-15, 3}, ColorChange, {-30, -30}, {7, 7}, {-7, 7}, End},
                   3))
            continue;
        SetCustom(design, 1, RGB(200, 0, 0), MARKER_PLACEMENT, nDirection);
        hashes["marks/direction-" + std::to_string(nDirection)] = HashDesign(design, boxes);
    }

    // STX list pictures.
    for (int nPoints : {3, 40, 300}) {
        fixture::StxLayout stxLayout = fixture::WellFormedStx(nPoints);
        const fixture::Bytes bytes = fixture::MakeStx(stxLayout);
        CStxFile stx;
        if (!stx.ReadBuffer(bytes.data(), bytes.size()))
            continue;
        PictureHash hash;
        CBitmap first, second, plainFirst, plainSecond;
        if (CListPicture::MakeStxPair(stx, TRUE, first, second, &boxes.empty, &boxes.ticked) &&
            CListPicture::MakeStxPair(stx, FALSE, plainFirst, plainSecond, &boxes.empty, &boxes.ticked)) {
            hash.Add(first);
            hash.Add(second);
            hash.Add(plainFirst);
            hashes["stx/points-" + std::to_string(nPoints)] = hash.h;
        }
    }
    return hashes;
}

// clang-format off
const std::map<std::string, uint64_t> kExpected = {
    {"Bean/as-read", 0x469324ea3f93bd8full},
    {"Cake 3/as-read", 0x4a152226e20d3f2full},
    {"Cake 3/light-threads", 0x85138c43c00d8777ull},
    {"Cake 3/light-threads-rotated-120", 0x286626d36b3c71ebull},
    {"Cake 3/mirrored", 0xaa9352dc87f44209ull},
    {"Cake 3/mirrored-h-rotated-45", 0x4de9805e1e959d5bull},
    {"Cake 3/moved", 0xd6c791e0980fe8cdull},
    {"Cake 3/rotated-211", 0x651e2732fdbb87b5ull},
    {"Cake 3/rotated-30", 0xea712da527139791ull},
    {"Cake 3/rotated-90", 0x4e16258ff8123382ull},
    {"Cake 3/scaled-150", 0xd3c4eed939618bc4ull},
    {"Cake 3/scaled-37", 0x4e7c5185fee4e1f0ull},
    {"Cake 3/second-block-marks", 0x192bea607cf28ee6ull},
    {"Embroidermodder-logo-2022/as-read", 0x24876394c3cf67f7ull},
    {"Embroidermodder/as-read", 0x39ece5cbb6320f0full},
    {"Star/as-read", 0xf469dd689f06d1afull},
    {"Star/light-threads", 0x6cc0a100b3c19c70ull},
    {"Star/light-threads-rotated-120", 0x013fc8670b115dd1ull},
    {"Star/mirrored", 0xf3aa6d0ac18eff63ull},
    {"Star/mirrored-h-rotated-45", 0xebe6069d4f6d0853ull},
    {"Star/moved", 0x60c3a0c801e6d6ebull},
    {"Star/rotated-211", 0x88a169dc8ed5cdd7ull},
    {"Star/rotated-30", 0xa6f4347120b11bbbull},
    {"Star/rotated-90", 0x94f33cadbcef835full},
    {"Star/scaled-150", 0xb7b4310fc9ae74f7ull},
    {"Star/scaled-37", 0x4259b30aa79859afull},
    {"Star/second-block-marks", 0x8af74af4dbf11d79ull},
    {"generated-200000/angle-0", 0x0dddfdffa239cb4aull},
    {"generated-200000/angle-333", 0x714924e5ccb76dbcull},
    {"marks/direction-0", 0x4ee3c96346d8e7bdull},
    {"marks/direction-1", 0xde49e9bef0b9c858ull},
    {"marks/direction-2", 0x4ee3c96346d8e7bdull},
    {"marks/direction-3", 0x6152b1b06bbc6267ull},
    {"marks/direction-4", 0x6346bafe35fa6828ull},
    {"rectangle/as-read", 0xd095f4e9010581e7ull},
    {"shamrockin/as-read", 0x83debaf14f20110full},
    {"shamrockin/light-threads", 0x557fdc656e53e286ull},
    {"shamrockin/light-threads-rotated-120", 0xafa8cc85639d4812ull},
    {"shamrockin/mirrored", 0x77973ff6e734c30full},
    {"shamrockin/mirrored-h-rotated-45", 0x139b923c32d17d77ull},
    {"shamrockin/moved", 0x0eea901eba2e4f57ull},
    {"shamrockin/rotated-211", 0x37e15dd44de99e9full},
    {"shamrockin/rotated-30", 0xb6082050fffdd087ull},
    {"shamrockin/rotated-90", 0x2b63b8601eb64d17ull},
    {"shamrockin/scaled-150", 0xa4709a5e53adccbfull},
    {"shamrockin/scaled-37", 0x5ccf2413d46c1907ull},
    {"shamrockin/second-block-marks", 0x83debaf14f20110full},
    {"stx/points-3", 0x92d94504b0b4be13ull},
    {"stx/points-300", 0xf8cc75d9a585fadcull},
    {"stx/points-40", 0xf8cc75d9a585fadcull},
};
// clang-format on

TEST(PictureIdentity, EveryPictureIsPixelForPixelAsBefore)
{
    const std::map<std::string, uint64_t> actual = MeasureAll();
    if (std::getenv("TAVREN_PRINT_PICTURE_HASHES")) {
        for (const auto& [name, hash] : actual)
            std::printf("    {\"%s\", 0x%016llxull},\n", name.c_str(), static_cast<unsigned long long>(hash));
    }
    ASSERT_EQ(actual.size(), kExpected.size()) << "a design did not read or draw";
    for (const auto& [name, hash] : kExpected) {
        auto it = actual.find(name);
        ASSERT_NE(it, actual.end()) << name;
        EXPECT_NE(it->second, 0u) << name << ": no picture";
        EXPECT_EQ(it->second, hash) << name << ": the pictures changed";
    }
}

} // namespace

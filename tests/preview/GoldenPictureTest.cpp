// Pictures of real designs against PNGs that a person has looked at: the 48 x 48 list pictures
// (both of the pair) and the 256-pixel preview. Set TAVREN_UPDATE_GOLDEN=1 to write them anew
// (then look at each before keeping it).
#include "tests/preview/PngReader.h"

#include "design/EmbData.h"
#include "design/EmbFile.h"
#include "host/PngWriter.h"
#include "host/PreviewCommand.h"
#include "platform/gdi/Gdi.h"
#include "preview/ListPicture.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

using tavren::test::SourceDir;

bool ReadDesign(const std::string& strPath, CEmbData& design)
{
    std::ifstream in(strPath, std::ios::binary);
    std::vector<BYTE> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    CEmbFile file(CEmbFile::dftDst);
    return !bytes.empty() && file.ReadBuffer(bytes.data(), bytes.size(), design) && design.m_nStatus > 0;
}

void ExpectGolden(const CBitmap& bm, const std::string& strName)
{
    const std::string strGolden = SourceDir() + "/tests/fixtures/golden/" + strName;
    int w, h;
    std::vector<uint8_t> actual;
    ASSERT_TRUE(tavren::GetBitmapPixels(bm.m_hObject, w, h, actual));
    if (std::getenv("TAVREN_UPDATE_GOLDEN")) {
        std::string strError;
        ASSERT_TRUE(WritePng(strGolden, w, h, actual, strError)) << strError;
        return;
    }
    int gw, gh;
    std::vector<uint8_t> golden;
    ASSERT_TRUE(ReadPngBgr(strGolden, gw, gh, golden)) << strGolden;
    ASSERT_EQ(gw, w);
    ASSERT_EQ(gh, h);
    size_t nDiffer = 0;
    for (size_t i = 0; i < golden.size(); i += 3)
        nDiffer += golden[i] != actual[i] || golden[i + 1] != actual[i + 1] || golden[i + 2] != actual[i + 2];
    EXPECT_EQ(nDiffer, 0u) << strName << ": pixels differ from the golden picture";
}

struct GoldenCase {
    const char* pszFile;
    const char* pszStem;
};

class GoldenPictures : public ::testing::TestWithParam<GoldenCase> {};

TEST_P(GoldenPictures, MatchWhatAPersonLookedAt)
{
    const GoldenCase& g = GetParam();
    CEmbData design;
    ASSERT_TRUE(ReadDesign(SourceDir() + "/tests/fixtures/corpus/" + g.pszFile, design)) << g.pszFile;

    // Drawn stand-in boxes, so the pictures do not depend on the resource module.
    CBitmap boxEmpty, boxTicked, first, second;
    ASSERT_TRUE(CListPicture::DrawStandInBox(FALSE, boxEmpty));
    ASSERT_TRUE(CListPicture::DrawStandInBox(TRUE, boxTicked));
    ASSERT_TRUE(CListPicture::MakeDesignPair(design, TRUE, first, second, &boxEmpty, &boxTicked));
    ExpectGolden(first, std::string(g.pszStem) + "-list.png");
    ExpectGolden(second, std::string(g.pszStem) + "-list-checked.png");

    CBitmap preview;
    ASSERT_TRUE(RenderDesignPreview(design, 256, preview));
    ExpectGolden(preview, std::string(g.pszStem) + "-256.png");
}

INSTANTIATE_TEST_SUITE_P(Corpus, GoldenPictures,
                         ::testing::Values(GoldenCase{"Star.DST", "star"}, GoldenCase{"shamrockin.dst", "shamrockin"},
                                           GoldenCase{"Embroidermodder.DST", "embroidermodder"}));

} // namespace

// The list pictures made inside the module carry the module's own check-box bitmaps.
#include "tests/support/SampleDesigns.h"

#include "platform/gdi/Gdi.h"
#include "platform/kernel/Library.h"
#include "platform/user/Resource.h"
#include "preview/ListPicture.h"

#include <gtest/gtest.h>

#include <vector>

TEST(ModuleListPicture, TheCornerShowsBitmaps13005And13006WithWhiteLeftOut)
{
    CEmbData design;
    tavren::test::ReadCorpus("Star.DST", design);
    ASSERT_FALSE(HasFailure());
    CBitmap plain, unticked, ticked;
    ASSERT_TRUE(CListPicture::DrawDesignPicture(design, plain));
    ASSERT_TRUE(CListPicture::MakeDesignPair(design, TRUE, unticked, ticked));

    HMODULE hModule = tavren::ModuleFromAddress(reinterpret_cast<const void*>(&CListPicture::DrawStandInBox));
    ASSERT_NE(hModule, 0u);
    int w = 0, h = 0;
    std::vector<uint8_t> under, pic;
    ASSERT_TRUE(tavren::GetBitmapPixels(plain.m_hObject, w, h, under));
    for (auto [nId, pbm] : {std::pair{13005u, &unticked}, std::pair{13006u, &ticked}}) {
        const tavren::BitmapResource* box = tavren::FindBitmapResource(hModule, nId);
        ASSERT_TRUE(box && box->nWidth == 16 && box->nHeight == 16) << nId;
        ASSERT_TRUE(tavren::GetBitmapPixels(pbm->m_hObject, w, h, pic) && w == 48 && h == 48);
        int nBoxPixels = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const uint8_t* b = box->pBits + y * box->Stride() + x * 3;
                const size_t at = static_cast<size_t>((32 + y) * 48 + 32 + x) * 3;
                const bool white = b[0] == 255 && b[1] == 255 && b[2] == 255;
                const uint8_t* want = white ? &under[at] : b;
                nBoxPixels += !white;
                ASSERT_TRUE(pic[at] == want[0] && pic[at + 1] == want[1] && pic[at + 2] == want[2])
                    << "box " << nId << " at " << x << "," << y;
            }
        EXPECT_GT(nBoxPixels, 40) << "the box is drawn, not left white";
    }
}

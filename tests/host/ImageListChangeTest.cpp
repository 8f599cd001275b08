// Image lists count the changes to their pictures, the seam's snapshot shows the count, and the
// host encodes a list's pictures again only after it changed (and then only the pictures that did).
#include "host/gui/GuiSamplerDlg.h"
#include "host/gui/GuiSnapshotJson.h"
#include "host/gui/ImageListPngCache.h"
#include "host/gui/PngBuffer.h"

#include "tests/support/ScriptedUser.h"

#include "platform/afx/Dc.h"

#include <gtest/gtest.h>

#include <functional>

using nlohmann::json;

namespace {

void MakePicture(CBitmap& bm, int cx, int cy, uint8_t red)
{
    std::vector<uint8_t> bgr(static_cast<size_t>(cx) * cy * 3, 0);
    for (size_t i = 2; i < bgr.size(); i += 3)
        bgr[i] = red;
    bm.CreateBitmap(cx, cy, 1, 24, bgr.data());
}

uint64_t Changes(HIMAGELIST h)
{
    tavren::ImageListState s;
    EXPECT_TRUE(tavren::GetImageListState(h, s));
    return s.nChanges;
}

} // namespace

TEST(ImageListChanges, EveryChangeOfThePicturesMovesTheCounterAndNothingElseDoes)
{
    CImageList iml, other;
    ASSERT_TRUE(iml.Create(4, 4, ILC_COLOR24 | ILC_MASK, 0, 4));
    ASSERT_TRUE(other.Create(4, 4, ILC_COLOR24, 0, 4));
    CBitmap red, strip, blue;
    MakePicture(red, 4, 4, 200);
    MakePicture(strip, 12, 4, 10);
    MakePicture(blue, 4, 4, 0);

    tavren::ImageListState s0, t0;
    ASSERT_TRUE(tavren::GetImageListState(iml, s0));
    ASSERT_TRUE(tavren::GetImageListState(other, t0));
    EXPECT_NE(s0.nSerial, t0.nSerial);
    EXPECT_EQ(s0.nCount, 0);
    uint64_t n = s0.nChanges;

    // Each kind of change moves it.
    const std::pair<const char*, std::function<bool()>> changes[] = {
        {"add", [&] { return iml.Add(&red, static_cast<CBitmap*>(nullptr)) == 0; }},
        {"add a strip", [&] { return iml.Add(&strip, RGB(0, 0, 0)) == 1; }},
        {"replace", [&] { return iml.Replace(2, &blue, nullptr); }},
        {"remove", [&] { return iml.Remove(0); }},
        {"grow", [&] { return iml.SetImageCount(6); }},
        {"shrink", [&] { return iml.SetImageCount(2); }},
        {"remove all", [&] { return iml.Remove(-1); }},
    };
    for (const auto& [pszWhat, change] : changes) {
        SCOPED_TRACE(pszWhat);
        ASSERT_TRUE(change());
        EXPECT_GT(Changes(iml), n);
        n = Changes(iml);
    }

    // Looking, drawing, the background colour and what fails leave it alone.
    ASSERT_EQ(iml.Add(&red, static_cast<CBitmap*>(nullptr)), 0);
    n = Changes(iml);
    tavren::ImageListPicture pic;
    EXPECT_TRUE(tavren::GetImageListPicture(iml, 0, pic));
    EXPECT_EQ(iml.GetImageCount(), 1);
    iml.SetBkColor(RGB(1, 2, 3));
    CDC dc;
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap canvas;
    MakePicture(canvas, 8, 8, 0);
    CBitmap* pOld = dc.SelectObject(&canvas);
    EXPECT_TRUE(iml.Draw(&dc, 0, POINT{2, 2}, ILD_NORMAL));
    dc.SelectObject(pOld);
    EXPECT_FALSE(iml.Replace(5, &blue, nullptr));
    EXPECT_FALSE(iml.Remove(3));
    EXPECT_TRUE(iml.SetImageCount(1));
    EXPECT_EQ(Changes(iml), n);
    ASSERT_TRUE(other.Remove(-1)); // already empty
    EXPECT_EQ(Changes(other), t0.nChanges);

    HIMAGELIST h = iml.Detach();
    ImageList_Destroy(h);
    tavren::ImageListState gone;
    EXPECT_FALSE(tavren::GetImageListState(h, gone));
}

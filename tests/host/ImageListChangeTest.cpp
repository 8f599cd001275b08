// Image lists count the changes to their pictures (the count the host's picture cache goes by).
#include "platform/afx/Dc.h"
#include "platform/afx/ImageList.h"

#include <gtest/gtest.h>

#include <functional>
#include <tuple>

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
    ASSERT_TRUE(iml.Create(4, 4, ILC_COLOR24 | ILC_MASK, 0, 4) && other.Create(4, 4, ILC_COLOR24, 0, 4));
    CBitmap red, strip, blue;
    MakePicture(red, 4, 4, 200);
    MakePicture(strip, 12, 4, 10);
    MakePicture(blue, 4, 4, 0);

    tavren::ImageListState s0, t0;
    ASSERT_TRUE(tavren::GetImageListState(iml, s0) && tavren::GetImageListState(other, t0));
    EXPECT_NE(s0.nSerial, t0.nSerial);
    uint64_t n = s0.nChanges;

    // Each kind of change moves it; looking, drawing, the background colour and what fails leave it alone.
    CDC dc;
    CBitmap canvas;
    MakePicture(canvas, 8, 8, 0);
    ASSERT_TRUE(dc.CreateCompatibleDC(nullptr));
    CBitmap* pOld = dc.SelectObject(&canvas);
    tavren::ImageListPicture pic;
    const std::tuple<const char*, std::function<bool()>, bool> steps[] = {
        {"add", [&] { return iml.Add(&red, static_cast<CBitmap*>(nullptr)) == 0; }, true},
        {"add a strip", [&] { return iml.Add(&strip, RGB(0, 0, 0)) == 1; }, true},
        {"replace", [&] { return iml.Replace(2, &blue, nullptr); }, true},
        {"remove", [&] { return iml.Remove(0); }, true},
        {"grow", [&] { return iml.SetImageCount(6); }, true},
        {"shrink", [&] { return iml.SetImageCount(2); }, true},
        {"remove all", [&] { return iml.Remove(-1); }, true},
        {"add again", [&] { return iml.Add(&red, static_cast<CBitmap*>(nullptr)) == 0; }, true},
        {"look", [&] { return tavren::GetImageListPicture(iml, 0, pic) && iml.GetImageCount() == 1; }, false},
        {"background", [&] { return iml.SetBkColor(RGB(1, 2, 3)), true; }, false},
        {"draw", [&] { return iml.Draw(&dc, 0, POINT{2, 2}, ILD_NORMAL); }, false},
        {"replace past the end", [&] { return !iml.Replace(5, &blue, nullptr); }, false},
        {"remove past the end", [&] { return !iml.Remove(3); }, false},
        {"the same count", [&] { return iml.SetImageCount(1); }, false},
    };
    for (const auto& [pszWhat, step, bChanges] : steps) {
        SCOPED_TRACE(pszWhat);
        ASSERT_TRUE(step());
        EXPECT_EQ(Changes(iml) > n, bChanges);
        n = Changes(iml);
    }
    dc.SelectObject(pOld);
    ASSERT_TRUE(other.Remove(-1)); // already empty
    EXPECT_EQ(Changes(other), t0.nChanges);

    HIMAGELIST h = iml.Detach();
    ImageList_Destroy(h);
    EXPECT_FALSE(tavren::GetImageListState(h, s0)) << "a destroyed list has no state";
}

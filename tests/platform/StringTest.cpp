// Case and code pages. Upper-casing is the file lists' sort (tests/lists, SortListCtrl); a thread's
// own code page, the names the machine can show (tests/lists, FolderListNameRules).
#include "platform/afx/CString.h"
#include "platform/base/CodePage.h"
#include "platform/base/WinError.h"

#include <gtest/gtest.h>


TEST(CStringCase, CompareNoCaseFoldsLatinAndCyrillicButNotOrder)
{
    EXPECT_EQ(CString(u"ROSE.qef").CompareNoCase(u"rose.QEF"), 0);
    EXPECT_EQ(CString(u"Ärger").CompareNoCase(u"äRGER"), 0);
    EXPECT_EQ(CString(u"ПРИВЕТ").CompareNoCase(u"привет"), 0);
    EXPECT_LT(CString(u"_a").CompareNoCase(u"A"), 0); // '_' sorts before letters, as _wcsicmp lowers
    EXPECT_LT(CString(u"abc").CompareNoCase(u"ABCD"), 0);
    EXPECT_GT(CString(u"b").Compare(u"B"), 0);
}

TEST(CodePage, Cp1252MapsTheEuroAndUsesTheDefaultCharacterForTheRest)
{
    bool used = true;
    EXPECT_EQ(tavren::ToAnsi(u"Café €5", CP_ACP, &used), "Caf\xE9 \x80" "5");
    EXPECT_FALSE(used);
    EXPECT_EQ(tavren::ToAnsi(u"薔薇.qef", CP_ACP, &used), "??.qef");
    EXPECT_TRUE(used);
    EXPECT_EQ(tavren::FromAnsi("Caf\xE9 \x80\x81"), u"Café €\u0081");

    // Explicit buffer handling: the size query, then a buffer one byte too small.
    char small[3];
    BOOL usedFlag = FALSE;
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abcd", -1, nullptr, 0, nullptr, &usedFlag), 5);
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"abcd", 4, small, 3, nullptr, &usedFlag), 0);
    EXPECT_EQ(GetLastError(), DWORD{ERROR_INSUFFICIENT_BUFFER});
}

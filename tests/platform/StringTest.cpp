#include "platform/afx/CString.h"
#include "platform/base/CodePage.h"
#include "platform/base/WinError.h"

#include <gtest/gtest.h>

#include <thread>

TEST(CStringFormat, IntegersStringsCharactersAndWidths)
{
    CString s;
    s.Format(u"%d|%5d|%-4d|%03d|%u|%x|%X|%c|%s|%%", -7, 42, 3, 5, 4000000000u, 255, 0xABCu, u'Z', CString(u"rose.qef"));
    EXPECT_EQ(s, u"-7|   42|3   |005|4000000000|ff|ABC|Z|rose.qef|%");
    s.Format(u"%c:\\", u'E');
    EXPECT_EQ(s, u"E:\\");
    s.Format(u"%s", static_cast<const char16_t*>(nullptr));
    EXPECT_EQ(s, u"(null)");
    s.AppendFormat(u" %ld", -1L);
    EXPECT_EQ(s, u"(null) -1");
}

TEST(CStringEdit, TrimMidFindAndReplaceFollowMfc)
{
    CString s(u"  \t rose.QEF+ \r\n");
    s.Trim();
    EXPECT_EQ(s, u"rose.QEF+");
    EXPECT_EQ(s.ReverseFind(u'.'), 4);
    EXPECT_EQ(s.Mid(s.ReverseFind(u'.')), u".QEF+");
    EXPECT_EQ(s.Left(100), u"rose.QEF+");
    EXPECT_EQ(s.Right(4), u"QEF+");
    EXPECT_EQ(s.Mid(20), u"");
    EXPECT_EQ(s.Find(u"EF", 6), 6);
    EXPECT_EQ(s.Find(u'x'), -1);
    EXPECT_EQ(s.Find(u'r', 99), -1);
    CString p(u"a\\b\\c");
    EXPECT_EQ(p.Replace(u"\\", u"\\\\"), 2);
    EXPECT_EQ(p, u"a\\\\b\\\\c");
    CString buf;
    char16_t* w = buf.GetBuffer(10);
    w[0] = u'h';
    w[1] = u'i';
    w[2] = 0;
    buf.ReleaseBuffer();
    EXPECT_EQ(buf, u"hi");
}

TEST(CStringCase, CompareNoCaseFoldsLatinAndCyrillicButNotOrder)
{
    EXPECT_EQ(CString(u"ROSE.qef").CompareNoCase(u"rose.QEF"), 0);
    EXPECT_EQ(CString(u"Ärger").CompareNoCase(u"äRGER"), 0);
    EXPECT_EQ(CString(u"ПРИВЕТ").CompareNoCase(u"привет"), 0);
    EXPECT_LT(CString(u"_a").CompareNoCase(u"A"), 0); // '_' sorts before letters, as _wcsicmp lowers
    EXPECT_LT(CString(u"abc").CompareNoCase(u"ABCD"), 0);
    EXPECT_GT(CString(u"b").Compare(u"B"), 0);
    CString u(u"straße é ÿ");
    EXPECT_EQ(u.MakeUpper(), u"STRAßE É Ÿ");
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
    EXPECT_EQ(GetLastError(), 122u);
    char out[8];
    EXPECT_EQ(WideCharToMultiByte(CP_ACP, 0, u"x\u4E00", 2, out, 8, "#", &usedFlag), 2);
    EXPECT_EQ(std::string(out, 2), "x#");
    EXPECT_TRUE(usedFlag);
}

TEST(CodePage, ThreadSetTo932ConvertsJapaneseAndOtherThreadsStay1252)
{
    std::thread([] {
        tavren::SetThreadCodePage(932);
        bool used = true;
        std::string sjis = tavren::ToAnsi(u"花ｱA", CP_ACP, &used);
        EXPECT_EQ(sjis, "\x89\xD4\xB1" "A");
        EXPECT_FALSE(used);
        EXPECT_EQ(tavren::FromAnsi(sjis), u"花ｱA");
        EXPECT_EQ(tavren::ToAnsi(u"é", CP_ACP, &used), "?"); // not in 932
        EXPECT_TRUE(used);
    }).join();
    EXPECT_EQ(GetACP(), 1252u);
}

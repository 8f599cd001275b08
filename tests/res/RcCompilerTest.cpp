// The resource compiler on small scripts: statement defaults, and the errors a broken script or
// picture gets instead of a wrong table. A string's escapes are seen in the texts the dialogs show
// (tests/dialogs/WriteDesignDriveTest.cpp, the bad character's message), its UTF-8 in the
// Japanese module's (tests/module/ModuleExportsTest.cpp).
#include "res/compiler/ImageFile.h"
#include "res/compiler/RcParser.h"
#include "res/compiler/RcTokenizer.h"

#include <gtest/gtest.h>

using namespace tavren::rc;

namespace {
RcScript Compile(const std::string& strText)
{
    CRcTokenizer tokenizer({});
    const auto noFiles = [](auto&, const Token& t) { throw RcError(t.strFile, t.nLine, "no files in this test"); };
    return CRcParser(tokenizer.RunText(strText, "test.rc"), noFiles, noFiles).Parse("test.rc");
}

// The message of the error a script gets, or "" when it compiles.
std::string ErrorOf(const std::string& strText)
{
    try {
        Compile(strText);
    } catch (const RcError& e) {
        return e.what();
    }
    return {};
}
} // namespace

TEST(RcCompiler, ControlStatementsGetTheirDefaultStylesAndNotRemovesBits)
{
    RcScript script = Compile(R"(
#define IDD_X 100
#define IDC_NAME (200 + 1)
IDD_X DIALOGEX 0, 0, 50, 40
CAPTION "X"
FONT 8, "MS Shell Dlg"
BEGIN
    DEFPUSHBUTTON "OK", IDOK, 1, 2, 3, 4, NOT WS_VISIBLE
    LTEXT "a", IDC_STATIC, 5, 6, 7, 8
    EDITTEXT IDC_NAME, 1, 1, 9, 9, ES_READONLY | NOT WS_TABSTOP
    ICON 13001, -1, 29, 84, 20, 20
    CONTROL "", 3, "Button", BS_AUTORADIOBUTTON, 0, 0, 1, 1, WS_EX_CLIENTEDGE
END
)");
    ASSERT_EQ(script.dialogs.size(), 1u);
    const DialogDef& d = script.dialogs[0];
    EXPECT_EQ(d.nId, 100u);
    EXPECT_EQ(d.dwStyle & 0x00C00040u, 0x00C00040u);   // CAPTION adds WS_CAPTION, FONT adds DS_SETFONT
    ASSERT_EQ(d.controls.size(), 5u);
    EXPECT_EQ(d.controls[0].dwStyle, 0x40010001u);     // child, tab stop, default push button, hidden
    EXPECT_EQ(d.controls[1].nId, -1);
    EXPECT_EQ(d.controls[1].dwStyle, 0x50020000u);     // visible child, group, left text
    EXPECT_EQ(d.controls[2].nId, 201);
    EXPECT_EQ(d.controls[2].dwStyle, 0x50800800u);     // border, read-only, no tab stop
    EXPECT_EQ(d.controls[3].strClass, u"STATIC");
    EXPECT_EQ(d.controls[3].nImageId, 13001u);
    EXPECT_EQ(d.controls[3].dwStyle & 0x1F, 3u);
    EXPECT_EQ(d.controls[4].strClass, u"BUTTON");
    EXPECT_EQ(d.controls[4].dwExStyle, 0x200u);
}

TEST(RcCompiler, BrokenScriptsNameTheirFaultAndLine)
{
    EXPECT_NE(ErrorOf("STRINGTABLE\nBEGIN\n 1 \"open\nEND\n").find("test.rc:3: string not closed"), std::string::npos);
    EXPECT_NE(ErrorOf("STRINGTABLE\nBEGIN\n 1 \"a\"\n 1 \"b\"\nEND\n").find("string 1 is defined twice"), std::string::npos);
    EXPECT_NE(ErrorOf("IDD_MISSING DIALOGEX 0,0,1,1\nBEGIN\nEND\n").find("is IDD_MISSING defined?"), std::string::npos);
    EXPECT_NE(ErrorOf("1 DIALOGEX 0,0,1,1\nSTYLE WS_NOSUCH\nBEGIN\nEND\n").find("test.rc:2: unknown symbol WS_NOSUCH"), std::string::npos);
    EXPECT_NE(ErrorOf("1 MENU\nBEGIN\n MENUITEM \"a\", 1\n").find("missing END"), std::string::npos);
    EXPECT_NE(ErrorOf("1 RCDATA \"x\"\n").find("unsupported resource type RCDATA"), std::string::npos);
    EXPECT_NE(ErrorOf("#if 1\n").find("#if without #endif"), std::string::npos);
    EXPECT_NE(ErrorOf("STRINGTABLE\nBEGIN\n 1 \"\\q\"\nEND\n").find("unknown escape"), std::string::npos);
    EXPECT_NE(ErrorOf("STRINGTABLE\nBEGIN\n 1 \"\xC3\"\nEND\n").find("UTF-8"), std::string::npos);
    EXPECT_EQ(ErrorOf("#if 0\ngarbage ! here\n#endif\n"), "");
}

TEST(ImageFile, TruncatedOrForeignPicturesAreRefused)
{
    // A 2 x 1 24-bit bitmap, bottom-up: header, info header, one padded row.
    std::vector<uint8_t> bmp = {'B', 'M', 62, 0, 0, 0, 0, 0, 0, 0, 54, 0, 0, 0,
                                40, 0, 0, 0, 2, 0, 0, 0, 1, 0, 0, 0, 1, 0, 24, 0, 0, 0, 0, 0, 8, 0, 0, 0,
                                0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                1, 2, 3, 4, 5, 6, 0, 0};
    ImageDef image;
    std::string strError;
    ASSERT_TRUE(CImageFile::DecodeBmp(bmp, image, strError)) << strError;
    EXPECT_EQ(image.nWidth, 2);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6}));

    // The error each broken file gets, or "decoded".
    const auto bmpError = [&](std::vector<uint8_t> b, size_t at, uint8_t value, size_t cut = 0) {
        b[at] = value;
        b.resize(b.size() - cut);
        return CImageFile::DecodeBmp(b, image, strError) ? "decoded" : strError;
    };
    EXPECT_EQ(bmpError(bmp, 0, 'B', 4), "bitmap pixels truncated");
    EXPECT_EQ(bmpError(bmp, 28, 8).find("only 24- and 32-bit"), 0u);
    EXPECT_EQ(bmpError(bmp, 21, 0x7F), "bitmap size out of range");   // width 0x7F000002

    std::vector<ImageDef> images;
    std::vector<uint8_t> ico = {0, 0, 1, 0, 1, 0, 16, 16, 0, 0, 1, 0, 32, 0, 0xFF, 0xFF, 0, 0, 22, 0, 0, 0};
    EXPECT_FALSE(CImageFile::DecodeIco(ico, images, strError));
    EXPECT_EQ(strError, "icon image 0 lies outside the file");
    EXPECT_FALSE(CImageFile::DecodeIco(bmp, images, strError));
    EXPECT_EQ(strError, "not an ICO file");
}

#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"
#include "platform/kernel/Library.h"
#include "platform/user/WinUser.h"

#include <gtest/gtest.h>

namespace {

// Opens Connection Settings through the export and reports its caption and first column title.
struct SeenTexts {
    std::u16string caption;
    std::u16string column;
    std::u16string cancel;
};

SeenTexts OpenConnectionSettings(tavren::test::LoadedModule& m)
{
    SeenTexts seen;
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        const auto& w = u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(13033); },
                                    "a dialog with the machine list");
        seen.caption = w.Front()->strCaption;
        auto list = *w.Front()->Control(13033);
        u.Expect(list.columns.size() == 2, "two columns");
        if (list.columns.size() == 2)
            seen.column = list.columns[0].strText;
        seen.cancel = w.Front()->Control(IDCANCEL)->strText;
        u.WaitForWindow(seen.caption);
        u.PressEscape();
    });
    EXPECT_EQ(m.pfnComSetDialog(0, 0), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    return seen;
}

class LanguageSwitch : public tavren::test::ModuleFixture {
protected:
    LanguageSwitch() : ModuleFixture(Parts().Module()) {}
};

} // namespace

TEST_F(LanguageSwitch, JapaneseComesFromTheLanguageModuleAndEnglishReturns)
{
    tavren::test::LoadedModule& m = Module();
    ASSERT_TRUE(m.pfnChangeLanguage && m.pfnComSetDialog);

    SeenTexts en = OpenConnectionSettings(m);
    EXPECT_EQ(en.caption, u"Connection Settings");
    EXPECT_EQ(en.column, u"Sewing Machine Name");
    EXPECT_EQ(en.cancel, u"Cancel");

    // Twice in a row: the first language module is freed and loaded again.
    EXPECT_TRUE(m.pfnChangeLanguage(1041));
    EXPECT_TRUE(m.pfnChangeLanguage(1041));
    SeenTexts ja = OpenConnectionSettings(m);
    EXPECT_EQ(ja.caption, u"接続設定");
    EXPECT_EQ(ja.column, u"ミシン名");
    EXPECT_EQ(ja.cancel, u"キャンセル");

    EXPECT_TRUE(m.pfnChangeLanguage(1033));
    EXPECT_EQ(OpenConnectionSettings(m).caption, u"Connection Settings");

    // An unknown language releases a loaded language module and says so.
    EXPECT_TRUE(m.pfnChangeLanguage(1041));
    EXPECT_FALSE(m.pfnChangeLanguage(2052));
    SeenTexts back = OpenConnectionSettings(m);
    EXPECT_EQ(back.caption, u"Connection Settings");
    EXPECT_EQ(back.column, u"Sewing Machine Name");
    EXPECT_FALSE(m.pfnChangeLanguage(0));
    EXPECT_TRUE(m.pfnChangeLanguage(1033));
}

// Freeing the module with Japanese on lets its language module go too.
TEST(LanguageModule, GoesWhenTheModuleIsFreed)
{
    ASSERT_EQ(GetModuleHandleW(u"TavrenJ.dll"), 0u);
    HMODULE hModule = LoadLibraryW(u"Tavren.dll");
    ASSERT_NE(hModule, 0u) << tavren::GetLastLoadError();
    auto pfnChangeLanguage = reinterpret_cast<decltype(&::ChangeLanguage)>(GetProcAddress(hModule, "ChangeLanguage"));
    ASSERT_TRUE(pfnChangeLanguage && pfnChangeLanguage(1041));
    EXPECT_NE(GetModuleHandleW(u"TavrenJ.dll"), 0u);
    EXPECT_TRUE(FreeLibrary(hModule));
    EXPECT_EQ(GetModuleHandleW(u"TavrenJ.dll"), 0u);
}

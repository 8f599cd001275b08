#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"
#include "platform/kernel/Library.h"
#include "platform/user/WinUser.h"

#include <gtest/gtest.h>

namespace {

// Opens Connection Settings through the export and closes it with Escape: its caption, its first
// column's title and its Cancel button's text.
std::u16string OpenConnectionSettings(tavren::test::LoadedModule& m, std::u16string* pColumn = nullptr,
                                      std::u16string* pCancel = nullptr)
{
    std::u16string strCaption;
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        const auto& w = u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(13033); },
                                    "a dialog with the machine list");
        strCaption = w.Front()->strCaption;
        const auto& columns = w.Front()->Control(13033)->columns;
        u.Expect(columns.size() == 2, "two columns");
        if (pColumn && columns.size() == 2)
            *pColumn = columns[0].strText;
        if (pCancel)
            *pCancel = w.Front()->Control(IDCANCEL)->strText;
        u.WaitForWindow(strCaption);
        u.PressEscape();
    });
    EXPECT_EQ(m.pfnComSetDialog(0, 0), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    return strCaption;
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

    std::u16string strColumn, strCancel;
    EXPECT_EQ(OpenConnectionSettings(m, &strColumn, &strCancel), u"Connection Settings");
    EXPECT_EQ(std::make_pair(strColumn, strCancel), std::make_pair(std::u16string(u"Sewing Machine Name"), std::u16string(u"Cancel")));

    // Twice in a row: the first language module is freed and loaded again.
    EXPECT_TRUE(m.pfnChangeLanguage(1041));
    EXPECT_TRUE(m.pfnChangeLanguage(1041));
    EXPECT_EQ(OpenConnectionSettings(m, &strColumn, &strCancel), u"接続設定");
    EXPECT_EQ(std::make_pair(strColumn, strCancel), std::make_pair(std::u16string(u"ミシン名"), std::u16string(u"キャンセル")));

    EXPECT_TRUE(m.pfnChangeLanguage(1033));
    EXPECT_EQ(OpenConnectionSettings(m), u"Connection Settings");

    // An unknown language releases a loaded language module and says so.
    EXPECT_TRUE(m.pfnChangeLanguage(1041));
    EXPECT_FALSE(m.pfnChangeLanguage(2052));
    EXPECT_EQ(OpenConnectionSettings(m, &strColumn), u"Connection Settings");
    EXPECT_EQ(strColumn, u"Sewing Machine Name");
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

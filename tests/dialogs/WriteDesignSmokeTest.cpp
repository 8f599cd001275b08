// The two journeys of "Write a Design" that a host relies on, through the real exports: a design
// sent to the machine, and one written to a USB flash drive attached to the PC. What lands in the
// machine's storage and on the drive must be the host's bytes exactly, and the host must get back
// IDOK with the folder (and the machine's storage) filled in. Also: the exports have C linkage.
#include "tests/design/FixtureWriter.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/ScriptedUser.h"

#include "platform/user/WinUser.h"
#include "tests/support/TestFiles.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr const char16_t* kCaption = u"Write a Design";
constexpr int kSend = 13000, kList = 13007, kName = 13008;

// A small but real design: a square sewn in two colours.
std::vector<uint8_t> RoseDesign()
{
    using namespace fixture;
    return MakeQef(LayoutFromStitches({Sew(100, 0), Sew(0, 100), ChangeColor(), Sew(-100, 0), Sew(0, -100), EndDesign()}));
}

// Waits for the dialog to show an item with this label and answers its index.
int WaitForItem(ScriptedUser& u, std::u16string_view strLabel)
{
    int nIndex = -1;
    u.WaitUntil(
        [&](const Snapshot& s) {
            const tavren::WindowInfo* w = s.Find(kCaption);
            const tavren::ControlInfo* c = w ? w->Control(kList) : nullptr;
            if (!w || !c || s.Front() != w)
                return false;
            for (size_t i = 0; i < c->items.size(); i++)
                if (c->items[i].strLabel == strLabel) {
                    nIndex = static_cast<int>(i);
                    return true;
                }
            return false;
        },
        "\"" + Narrow(strLabel) + "\" in the list");
    return nIndex;
}

// Opens a folder or place of the list as a person does, and waits until the list shows the item
// that proves it arrived.
void OpenAndWaitFor(ScriptedUser& u, std::u16string_view strFolder, std::u16string_view strInside)
{
    u.DoubleClickItem(kList, WaitForItem(u, strFolder));
    WaitForItem(u, strInside);
}

void WaitForSendEnabled(ScriptedUser& u)
{
    u.WaitUntil(
        [](const Snapshot& s) {
            const tavren::WindowInfo* w = s.Find(kCaption);
            return w && s.Front() == w && w->Control(kSend)->bEnabled;
        },
        "\">>\" enabled");
}

class WriteDesignSmokeTest : public tavren::test::ModuleFixture {
protected:
    WriteDesignSmokeTest()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine().Module())
    {
    }
    void SetUp() override
    {
        ModuleFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Module().pfnWriteSendDialog && Module().pfnWriteSendStxDialog) << "both exports found by name";
    }
    void Ctl(const std::vector<std::string>& words) const
    {
        int rc = -1;
        Machine().Ctl(words, &rc);
        ASSERT_EQ(rc, 0) << words[0];
    }
};

} // namespace

TEST_F(WriteDesignSmokeTest, ADesignSentToTheMachineArrivesUnchangedAndTheHostLearnsWhere)
{
    const std::vector<uint8_t> design = RoseDesign();
    fs::create_directories(Machine().Storage(1) / "EMB" / "Flowers");
    tavren::test::EmulatedMachine::WriteBytes(Machine().Storage(1) / "EMB" / "Flowers" / "tulip.qef", design);
    // The machine is in ordinary sewing mode: the person is asked before it changes to embroidery.
    Ctl({"status", "0=1"});

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        u.Expect(u.Control(kName).strText == u"Rose.qef", "the proposed name, trimmed and with its extension lower-cased");
        u.Expect(!u.Control(kSend).bEnabled, "nothing to send to in the root view");
        OpenAndWaitFor(u, u"Built-in", u"Flowers");
        u.Expect(!u.Control(kSend).bEnabled, "\">>\" stays disabled in \\EMB without deep folders");
        OpenAndWaitFor(u, u"Flowers", u"tulip.qef");
        WaitForSendEnabled(u);
        u.Click(kSend);
        u.ExpectMessageBox(u"Confirm", u"Ordinary sewing mode will be changed to Embroidery mode.\nBe sure to use the proper "
                                       u"foot.\nDo you still want to send the data?");
        u.Answer(IDYES);
        u.WaitForClose(kCaption);
    });
    char16_t szFolder[64] = u"unchanged";
    int32_t nStorage = 3;
    int32_t nSelectAfterSend = 1;
    const int32_t nResult = Module().pfnWriteSendDialog(design.data(), static_cast<uint32_t>(design.size()), u"Rose .QEF", 1,
                                                        szFolder, sizeof szFolder, &nStorage, &nSelectAfterSend, 2, 0, 0);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(Machine().Storage(1) / "EMB" / "Flowers" / "Rose.qef"), design);
    EXPECT_EQ(std::u16string(szFolder), u"\\\\EMB\\Flowers");
    EXPECT_EQ(nStorage, 1);
}

TEST_F(WriteDesignSmokeTest, WithDeepFoldersAnStxFileGoesIntoTheBuiltInPatternFolderAtItsFirstLevel)
{
    // STX files live in \ORD\(UserST) of the built-in storage, which opens at level 1; only deep
    // folders allow sending there.
    const std::vector<uint8_t> stx = fixture::MakeStx(fixture::WellFormedStx(12));
    fs::create_directories(Machine().Storage(1) / "ORD" / "(UserST)");
    tavren::test::EmulatedMachine::WriteBytes(Machine().Storage(1) / "ORD" / "(UserST)" / "old.stx", stx);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        OpenAndWaitFor(u, u"Built-in", u"old.stx");
        WaitForSendEnabled(u);
        u.Click(kSend);
        u.WaitForClose(kCaption);
    });
    char16_t szFolder[64] = {};
    int32_t nStorage = 0;
    const int32_t nResult = Module().pfnWriteSendStxDialog(stx.data(), static_cast<uint32_t>(stx.size()), u"wave.stx", 1,
                                                           szFolder, sizeof szFolder, &nStorage, nullptr, 1, 1, 0);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(Machine().Storage(1) / "ORD" / "(UserST)" / "wave.stx"), stx);
    EXPECT_EQ(std::u16string(szFolder), u"\\\\ORD\\(UserST)");
    EXPECT_EQ(nStorage, 1);
}

TEST_F(WriteDesignSmokeTest, ADesignWrittenToAFlashDriveOnThePcArrivesUnchanged)
{
    const std::vector<uint8_t> design = RoseDesign();
    const fs::path flowers = fs::path(Drives().Folder(u'E')) / "EMB" / "Flowers";
    fs::create_directories(flowers);
    tavren::test::EmulatedMachine::WriteBytes(flowers / "tulip.qef", design);

    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        OpenAndWaitFor(u, u"USBSTICK (E:)", u"Flowers");
        OpenAndWaitFor(u, u"Flowers", u"tulip.qef");
        WaitForSendEnabled(u);
        u.Click(kSend);
        u.WaitForClose(kCaption);
    });
    // Exactly room for "E:\EMB\Flowers" and its terminating zero.
    char16_t szFolder[15] = u"0123456789abcd";
    int32_t nStorage = 7;
    const int32_t nResult = Module().pfnWriteSendDialog(design.data(), static_cast<uint32_t>(design.size()), u"rose.qef", 0,
                                                        szFolder, sizeof szFolder, &nStorage, nullptr, 0, 0, 0);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(nResult, IDOK);
    EXPECT_EQ(tavren::test::EmulatedMachine::ReadBytes(flowers / "rose.qef"), design);
    EXPECT_EQ(std::u16string(szFolder), u"E:\\EMB\\Flowers");
    EXPECT_EQ(nStorage, 7) << "a USB-only write leaves the host's storage alone";
}

// Writing the design to a flash drive on the PC: names the rules refuse, the question before a
// file of the same name is replaced, and a write the drive refuses.
#include "tests/dialogs/WriteDesignFixture.h"

#include "platform/base/WinError.h"

using namespace wdtest;

namespace {

class WriteDesignDriveTest : public WriteDesignFixture {
protected:
    WriteDesignDriveTest() : WriteDesignFixture(false) {}

    fs::path Work() const { return Stick() / "EMB" / "Embf"; }

    static std::u16string SystemText(DWORD dwError)
    {
        char16_t sz[512] = {};
        FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError, 0, sz, 512, nullptr);
        return sz;
    }
};

} // namespace

TEST_F(WriteDesignDriveTest, ANameTheRulesRefuseShowsTheRuleAndWritesNothing)
{
    fs::create_directories(Work());
    struct Case {
        std::u16string strName, strText;
    };
    const std::vector<Case> cases = {
        {u"a*b.qef", u"A file/folder name cannot contain any of the following characters:\n \\ / : * ? \" < > |"},
        {u"CON.qef", u"This file/folder name is a reserved device name.\nPlease choose another name."},
        {u"lpt7.QEF", u"This file/folder name is a reserved device name.\nPlease choose another name."},
        {u".qef", u"You must type a file/folder name."},
    };
    for (const Case& k : cases) {
        HostCall c;
        c.bytes = DesignBytes();
        c.strName = k.strName;
        c.nTarget = 0;
        ScriptedUser user([&k](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            Open(u, kStick, {u"Embf"});
            Open(u, u"Embf", {});
            u.Click(kSend);
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", k.strText);
            u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
            u.Answer(IDOK);
            // The dialog stays for another try.
            u.WaitForWindow(kCaption);
            u.Click(IDCANCEL);
        });
        EXPECT_EQ(Call(c), IDCANCEL) << Narrow(k.strName);
        EXPECT_TRUE(user.Finish()) << user.Report();
        EXPECT_TRUE(NamesIn(Work()).empty()) << Narrow(k.strName) << " was written";
        EXPECT_EQ(c.folder, c.before);
    }
}

TEST_F(WriteDesignDriveTest, AFileOfTheSameNameIsReplacedOnlyAfterYes)
{
    const fixture::Bytes old = DesignBytes("Bean.dst");
    Put(Work() / "ROSE.qef", old);
    Put(Work() / "tulip.qef", old);
    HostCall c;
    c.bytes = DesignBytes("Cake 3.dst");
    c.strName = u"rose.qef";
    c.nTarget = 0;
    ScriptedUser user([&](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf"});
        Open(u, u"Embf", {u"ROSE.qef", u"tulip.qef"});
        u.Click(kSend);
        const tavren::WindowInfo& box =
            u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
        u.Expect(box.buttons == std::vector<int>{IDYES, IDNO}, "Yes and No");
        u.Answer(IDNO);
        u.WaitForWindow(kCaption);
        u.Expect(Read(Work() / "ROSE.qef") == old, "No leaves the file as it was");
        u.Click(kSend);
        u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Answer(IDYES);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    // One file of that name, with the new design.
    const std::vector<std::string> names = NamesIn(Work());
    ASSERT_EQ(names.size(), 2u);
    const std::string& rose = names[0] == "tulip.qef" ? names[1] : names[0];
    EXPECT_EQ(Read(Work() / rose), c.bytes);
    EXPECT_EQ(Read(Work() / "tulip.qef"), old);
    EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
}

TEST_F(WriteDesignDriveTest, AWriteTheDriveRefusesIsShownWithThePathAndTheDialogStays)
{
    // A folder stands where the file would go.
    fs::create_directories(Stick() / "EMB" / "Rose.qef");
    fs::create_directories(Work());
    const std::u16string strText = SystemText(ERROR_ACCESS_DENIED) + u"E:\\EMB\\rose.qef";
    HostCall c;
    c.bytes = DesignBytes();
    c.strName = u"rose.qef";
    c.nTarget = 0;
    c.bDeep = 1;
    ScriptedUser user([&](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Open(u, kStick, {u"Embf", u"Rose.qef"});
        u.Click(kSend);
        u.ExpectMessageBox(u"Save As", u"rose.qef already exists.\nDo you want to replace it?");
        u.Answer(IDYES);
        const tavren::WindowInfo& box = u.ExpectMessageBox(u"Error", strText);
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "the exclamation icon");
        u.Answer(IDOK);
        // Still there: the person sends into the working folder instead.
        u.WaitForWindow(kCaption);
        Open(u, u"Embf", {});
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_TRUE(fs::is_directory(Stick() / "EMB" / "Rose.qef"));
    EXPECT_EQ(Read(Work() / "rose.qef"), c.bytes);
    EXPECT_EQ(Narrow(c.Folder()), "E:\\EMB\\Embf");
}

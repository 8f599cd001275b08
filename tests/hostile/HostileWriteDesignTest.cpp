// Write a Design opened on a folder of files that pass the header checks and lie further on: the
// destination list leaves them out, as it leaves out anything it cannot read, and the dialog
// goes on working there.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;
using namespace fixture;

namespace {

class HostileWriteDesignTest : public WriteDesignFixture {
protected:
    HostileWriteDesignTest() : WriteDesignFixture(false) {}
};

TEST_F(HostileWriteDesignTest, LyingFilesInTheFolderAreLeftOut)
{
    DesignLayout words = LayoutFromStitches({Sew(40, 0), Sew(0, 40), EndDesign()});
    words.wordCount = 1000000;
    DesignLayout offset = LayoutFromStitches({Sew(40, 0), Sew(0, 40), EndDesign()});
    offset.stitchOffset = 0x7FFFFFF0u;
    const Bytes whole = DesignBytes("Bean.dst");
    Put(Stick() / "EMB" / "Embf" / "old.qef", whole);
    Put(Stick() / "EMB" / "Embf" / "words.qef", MakeQef(words));
    Put(Stick() / "EMB" / "Embf" / "offset.qpx", MakeQpx(offset));
    Put(Stick() / "EMB" / "Embf" / "cut.qef", Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(whole.size() / 2)));
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 2;
    c.strFolder = u"E:\\EMB\\Embf";
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        WaitForItems(u, {u"old.qef"}, "the folder handed in, its readable design only");
        u.Click(kUp);
        WaitForItems(u, {u"Embf"}, "one step up");
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(NamesIn(Stick() / "EMB" / "Embf"), (std::vector<std::string>{"cut.qef", "offset.qpx", "old.qef", "words.qef"}));
}

} // namespace

// The buttons of Write a Design as a person walks down the machine's folders: where ">>" may send,
// where "New" may still make a folder, "Up" below the root view and "Open" after a click on a
// folder; and the limit on STX files in built-in storage.
#include "tests/dialogs/WriteDesignFixture.h"

using namespace wdtest;

namespace {

class WriteDesignButtonsTest : public WriteDesignFixture {
protected:
    WriteDesignButtonsTest() : WriteDesignFixture(true) {}

    void MakeTree() const
    {
        // \EMB\A\B\C\D: levels 2 (\EMB) to 6.
        fs::create_directories(Emb() / "A" / "B" / "C" / "D");
        Put(Emb() / "A" / "a.qef", DesignBytes("Bean.dst"));
        fs::create_directories(Machine().Storage(1) / "ORD");
    }

    // Walks from the root view down to \EMB\A\B\C and checks the buttons at every step against
    // "root, \EMB, A, B, C" in the form of Buttons().
    static void Walk(ScriptedUser& u, const std::vector<std::string>& expected)
    {
        u.WaitForWindow(kCaption);
        Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the root view");
        u.Expect(Buttons(s) == expected[0], "root view: buttons " + Buttons(s) + ", wanted " + expected[0]);
        s = Open(u, kBuiltIn, {u"A"});
        u.Expect(Buttons(s) == expected[1], "\\EMB: buttons " + Buttons(s) + ", wanted " + expected[1]);
        s = Open(u, u"A", {u"B", u"a.qef"});
        u.Expect(Buttons(s) == expected[2], "\\EMB\\A: buttons " + Buttons(s) + ", wanted " + expected[2]);
        s = Open(u, u"B", {u"C"});
        u.Expect(Buttons(s) == expected[3], "\\EMB\\A\\B: buttons " + Buttons(s) + ", wanted " + expected[3]);
        // Five levels down folders are no longer listed.
        s = Open(u, u"C", {});
        u.Expect(Buttons(s) == expected[4], "\\EMB\\A\\B\\C: buttons " + Buttons(s) + ", wanted " + expected[4]);
    }
};

} // namespace

TEST_F(WriteDesignButtonsTest, SendAndNewFollowTheDepthWithoutDeepFolders)
{
    MakeTree();
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 2;
    ScriptedUser user([](ScriptedUser& u) {
        // ">>", "New", "Open", "Up": ">>" only at the third level, "New" above it.
        Walk(u, {"0000", "0101", "1001", "0001", "0001"});
        // Back up to the third level, where the design goes.
        u.Click(kUp);
        Snapshot s = WaitForItems(u, {u"C"}, "up to B");
        u.Click(kUp);
        s = WaitForItems(u, {u"B", u"a.qef"}, "up to A");
        u.Expect(Buttons(s) == "1001", "A again: buttons " + Buttons(s));
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(Read(Emb() / "A" / "rose.qef"), c.bytes);
}

TEST_F(WriteDesignButtonsTest, DeepFoldersSendFromTheFirstLevelOnAndMakeFoldersToTheFifth)
{
    MakeTree();
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 2;
    c.bDeep = 1;
    ScriptedUser user([](ScriptedUser& u) {
        Walk(u, {"0000", "1101", "1101", "1101", "1001"});
        u.Click(kUp);
        Snapshot s = WaitForItems(u, {u"C"}, "up to B");
        u.Click(kUp);
        s = WaitForItems(u, {u"B", u"a.qef"}, "up to A");
        u.Click(kUp);
        s = WaitForItems(u, {u"A"}, "up to \\EMB");
        u.Click(kUp);
        // The storage's top folder "\" (level 1): still a place to send to with deep folders.
        s = WaitForItems(u, {u"EMB", u"ORD"}, "up to the storage's top");
        u.Expect(Buttons(s) == "1101", "the storage's top: buttons " + Buttons(s));
        u.Click(kUp);
        s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2, kStick, kStick2}, "the root view");
        u.Expect(Buttons(s) == "0000", "root view: buttons " + Buttons(s));
        // A flash drive on the PC: its root folder is the second level, already a place to send to.
        s = Open(u, kStick, {u"Embf"});
        u.Expect(Buttons(s) == "1101", "E:\\EMB: buttons " + Buttons(s));
        u.Click(kSend);
    });
    EXPECT_EQ(Call(c), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(Read(Stick() / "EMB" / "rose.qef"), c.bytes);
}

TEST_F(WriteDesignButtonsTest, OpenIsEnabledByAClickOnAFolderAndOpensIt)
{
    MakeTree();
    HostCall c;
    c.bytes = DesignBytes();
    c.nTarget = 1;
    ScriptedUser user([](ScriptedUser& u) {
        u.WaitForWindow(kCaption);
        Snapshot s = WaitForItems(u, {kBuiltIn, kUsb1, kUsb2}, "the machine's storages");
        u.Expect(!Enabled(s, kOpen), "\"Open\" disabled at first");
        // A storage is a place to open too.
        u.ClickItem(kList, IndexOf(s, kBuiltIn));
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kOpen); }, "\"Open\" enabled by a click on a storage");
        u.Click(kOpen);
        s = WaitForItems(u, {u"A"}, "\"Open\" on Built-in");
        u.Expect(!Enabled(s, kOpen), "\"Open\" disabled again after the move");
        s = Open(u, u"A", {u"B", u"a.qef"});
        u.ClickItem(kList, IndexOf(s, u"B"));
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kOpen); }, "\"Open\" enabled by a click on B");
        // A click on a file takes it away again.
        u.ClickItem(kList, IndexOf(s, u"a.qef"));
        u.WaitUntil([](const Snapshot& snap) { return !Enabled(snap, kOpen) && Enabled(snap, kSend); },
                    "\"Open\" disabled by a click on a file");
        u.ClickItem(kList, IndexOf(u.Look(), u"B"));
        u.WaitUntil([](const Snapshot& snap) { return Enabled(snap, kOpen); }, "\"Open\" enabled by a click on B again");
        u.Click(kOpen);
        s = WaitForItems(u, {u"C"}, "\"Open\" on B");
        u.Expect(Buttons(s) == "0001", "B: buttons " + Buttons(s));
        u.Click(IDCANCEL);
    });
    EXPECT_EQ(Call(c), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

TEST_F(WriteDesignButtonsTest, BuiltInStorageTakesFiftyNineStxFilesAndRefusesTheSixtieth)
{
    const fs::path userSt = Machine().Storage(1) / "ORD" / "(UserST)";
    const fixture::Bytes pattern = StxBytes();
    for (int i = 0; i < 58; ++i)
        Put(userSt / ("p" + std::to_string(100 + i) + ".stx"), pattern);
    // A folder counts as an item too.
    fs::create_directories(userSt / "Old");
    Labels listed = {u"Old"};
    for (int i = 0; i < 58; ++i) {
        const std::string name = "p" + std::to_string(100 + i) + ".stx";
        listed.push_back(std::u16string(name.begin(), name.end()));
    }

    auto send = [&](const std::u16string& strName, bool bRefused, const Labels& items) {
        HostCall c;
        c.bStx = true;
        c.bytes = StxBytes(30);
        c.strName = strName;
        c.nTarget = 1;
        c.bDeep = 1;
        ScriptedUser user([&](ScriptedUser& u) {
            u.WaitForWindow(kCaption);
            const Snapshot s = Open(u, kBuiltIn, items);
            u.Expect(Buttons(s) == "1001", "built-in STX storage: \">>\" and \"Up\" only (" + Buttons(s) + ")");
            u.Click(kSend);
            if (bRefused) {
                const tavren::WindowInfo& box = u.ExpectMessageBox(u"Confirm", u"Exceeding maximum CS.");
                u.Expect(box.nIcon == MB_ICONINFORMATION, "the information icon");
                u.Answer(IDOK);
                u.WaitForWindow(kCaption);
                u.Click(IDCANCEL);
            }
        });
        const int32_t nResult = Call(c);
        EXPECT_TRUE(user.Finish()) << user.Report();
        return std::make_pair(nResult, c);
    };

    // 59 items: one more goes.
    auto [nFirst, first] = send(u"q59.stx", false, listed);
    EXPECT_EQ(nFirst, IDOK);
    EXPECT_EQ(Read(userSt / "q59.stx"), first.bytes);
    EXPECT_EQ(first.nStorage, 1);

    // 60 items: refused, nothing sent.
    listed.push_back(u"q59.stx");
    auto [nSecond, second] = send(u"q60.stx", true, listed);
    EXPECT_EQ(nSecond, IDCANCEL);
    EXPECT_FALSE(fs::exists(userSt / "q60.stx"));
    EXPECT_EQ(NamesIn(userSt).size(), 60u);
}

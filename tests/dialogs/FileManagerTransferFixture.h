// What the File Manager tests share: C: with the user's desktop folder, E: a USB flash drive
// labelled "USBSTICK", an emulated machine, the module loaded as a host loads it, and the steps of
// a person in the dialog (opening places, ticking files, reading the counters and the arrows), each
// waiting for the dialog to be idle in front first.
#pragma once

#include "tests/support/MachineAndDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"

#include "platform/file/DriveWatcher.h"

#include <cstdlib>
#include <fstream>
#include <optional>

namespace fmtest {

using tavren::test::Narrow;
namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;
using Labels = std::vector<std::u16string>;

constexpr const char16_t* kFileManager = u"File Manager";
constexpr const char16_t* kTransfer = u"Transfering Data";
constexpr int kPcList = 13011, kPcNew = 13013, kPcOpen = 13014, kPcUp = 13015, kPcDelete = 13017;
constexpr int kPcStyle = 13016, kMachineList = 13018, kMacNew = 13020, kMacOpen = 13021, kMacUp = 13022, kMacStyle = 13023, kMacDelete = 13024;
constexpr int kToMachine = 13025, kToPc = 13026, kPcCount = 13027, kMachineCount = 13028, kTarget = 13029;

inline std::string ReadAll(const fs::path& p) { std::ifstream in(p, std::ios::binary); return std::string(std::istreambuf_iterator<char>(in), {}); }
inline void WriteAll(const fs::path& p, const std::string& bytes)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}
inline std::string FromBytes(const fixture::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }
// A well-formed STX pattern; the number of points makes each one's bytes its own.
inline std::string Stx(int nPoints) { return FromBytes(fixture::MakeStx(fixture::WellFormedStx(nPoints))); }
using Files = std::vector<std::pair<std::string, int>>; // STX patterns by name and points
inline void PutStx(const fs::path& dir, const Files& files)
{
    for (const auto& [name, points] : files)
        WriteAll(dir / name, Stx(points));
}
inline void ExpectHolds(const fs::path& dir, const Files& files)
{
    for (const auto& [name, points] : files)
        EXPECT_EQ(ReadAll(dir / name), Stx(points)) << (dir / name);
}

// ---- what a person reads off the File Manager
inline const tavren::ControlInfo* ControlIn(const Snapshot& s, int nId) { const auto* w = s.Find(kFileManager); return w ? w->Control(nId) : nullptr; }
inline bool Enabled(const Snapshot& s, int nId) { const tavren::ControlInfo* c = ControlIn(s, nId); return c && c->bEnabled; }
inline std::u16string TextOf(const Snapshot& s, int nId) { const tavren::ControlInfo* c = ControlIn(s, nId); return c ? c->strText : u""; }
inline std::u16string Text(ScriptedUser& u, int nId) { return TextOf(u.Look(), nId); }
// The first item of a list with this label, -1 for none; its picture, -1 for none.
inline int IndexIn(const Snapshot& snap, int nList, std::u16string_view strLabel)
{
    if (const tavren::ControlInfo* c = ControlIn(snap, nList))
        for (size_t i = 0; i < c->items.size(); i++)
            if (c->items[i].strLabel == strLabel)
                return static_cast<int>(i);
    return -1;
}
inline int ImageIn(const Snapshot& snap, int nList, std::u16string_view strLabel)
{ const int n = IndexIn(snap, nList, strLabel); return n >= 0 ? ControlIn(snap, nList)->items[static_cast<size_t>(n)].nImage : -1; }
// The labels a list shows, in order, with "*" after a ticked one.
inline Labels Shown(const Snapshot& snap, int nList)
{
    Labels labels;
    if (const tavren::ControlInfo* c = ControlIn(snap, nList))
        for (const auto& item : c->items)
            labels.push_back(item.strLabel + (item.nImage >= 16 && (item.nImage & 1) ? u"*" : u""));
    return labels;
}
// The counters and the arrows, "PC 1, machine 0, >> on, << off".
inline std::string Arrows(const Snapshot& s)
{
    return "PC" + Narrow(TextOf(s, kPcCount)) + ", machine" + Narrow(TextOf(s, kMachineCount)) + ", >> " +
           (Enabled(s, kToMachine) ? "on" : "off") + ", << " + (Enabled(s, kToPc) ? "on" : "off");
}

// ---- the person's steps
// Waits until the File Manager is idle in front (no box or transfer over it) and pred holds.
inline Snapshot Await(ScriptedUser& u, const std::function<bool(const Snapshot&)>& pred, const std::string& strWhat)
{
    const Snapshot s = u.WaitUntil([&](const Snapshot& snap) {
            const tavren::WindowInfo* w = snap.Front();
            return w && w->strCaption == kFileManager && w->bEnabled && pred(snap);
        }, strWhat);
    u.WaitForWindow(kFileManager);
    return s;
}
inline void Settled(ScriptedUser& u) { Await(u, [](const Snapshot&) { return true; }, "the File Manager idle in front"); }
inline int WaitForItem(ScriptedUser& u, int nList, std::u16string_view strLabel)
{
    int nItem = -1;
    Await(u, [&](const Snapshot& s) { return (nItem = IndexIn(s, nList, strLabel)) >= 0; },
          "\"" + Narrow(strLabel) + "\" in list " + std::to_string(nList));
    return nItem;
}
inline void Open(ScriptedUser& u, int nList, std::u16string_view strLabel) { u.DoubleClickItem(nList, WaitForItem(u, nList, strLabel)); }
inline void ClickOn(ScriptedUser& u, int nList, std::u16string_view strLabel) { u.ClickItem(nList, WaitForItem(u, nList, strLabel)); }
// Waits until the list shows exactly these labels (ticked ones with "*"), in any order.
inline void WaitForShown(ScriptedUser& u, int nList, Labels expected, const std::string& strWhat)
{
    std::sort(expected.begin(), expected.end());
    Await(u, [&](const Snapshot& s) { Labels l = Shown(s, nList); std::sort(l.begin(), l.end()); return l == expected; }, strWhat);
}
inline void ExpectArrows(ScriptedUser& u, const std::string& strWanted, const std::string& strWhere)
{
    Await(u, [&](const Snapshot& s) { return Arrows(s) == strWanted; }, strWhere + ": " + strWanted);
}
// A click on a file ticks it (or unticks a ticked one); waits until it shows so.
inline void Tick(ScriptedUser& u, int nList, std::u16string_view strLabel, bool bTicked = true)
{
    ClickOn(u, nList, strLabel);
    Await(u, [&](const Snapshot& s) { const int n = ImageIn(s, nList, strLabel); return n >= 0 && ((n & 1) != 0) == bTicked; },
          "\"" + Narrow(strLabel) + (bTicked ? "\" ticked" : "\" unticked"));
}
inline void TickAll(ScriptedUser& u, int nList, const Labels& names) { for (const auto& name : names) Tick(u, nList, name); }
// The question about a clash, answered.
inline void Clash(ScriptedUser& u, std::u16string_view strName, int nButton)
{
    u.ExpectMessageBox(u"Save As", std::u16string(strName) + u" already exists.\nDo you want to replace it?");
    u.Answer(nButton);
}
// A place of a pane's root view opened, showing these files.
inline void OpenShowing(ScriptedUser& u, int nList, std::u16string_view strPlace, const Labels& files)
{
    Open(u, nList, strPlace);
    WaitForShown(u, nList, files, "the files of " + Narrow(strPlace));
}
inline void Press(ScriptedUser& u, int nButton)
{
    Await(u, [&](const Snapshot& s) { return Enabled(s, nButton); }, "button " + std::to_string(nButton) + " enabled");
    u.Click(nButton);
}
// A box in front with this caption and text and the icon (the exclamation one unless told),
// answered with nButton.
inline void Expect(ScriptedUser& u, std::u16string_view strCaption, std::u16string_view strText, int nButton = IDOK,
                   UINT nIcon = MB_ICONEXCLAMATION)
{
    u.Expect(u.ExpectMessageBox(strCaption, strText).nIcon == nIcon, "\"" + Narrow(strCaption) + "\" shows its icon");
    u.Answer(nButton);
}
inline void CloseDialog(ScriptedUser& u) { Settled(u); u.Click(IDCANCEL); u.WaitForClose(kFileManager); }

class FileManagerFixture : public tavren::test::ModuleFixture {
protected:
    explicit FileManagerFixture(Parts parts = Parts().Drives().Machine().Module().Watchdog(240000))
        : ModuleFixture(std::move(parts))
    {
    }

    void SetUp() override
    {
        ModuleFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Module().pfnManageStxDialog && Module().pfnManageDesignDialog);
        // Drive changes reach the dialog as volume broadcasts; the desktop folder comes from the
        // user's folder settings.
        tavren::InstallDriveBroadcasts();
        fs::create_directories(Desktop());
        WriteAll(Drives().Host("config/user-dirs.dirs"), "XDG_DESKTOP_DIR=\"" + Desktop().string() + "\"\n");
        if (const char* pszConfig = std::getenv("XDG_CONFIG_HOME"))
            m_oldConfig = pszConfig;
        setenv("XDG_CONFIG_HOME", Drives().Host("config").c_str(), 1);
    }
    void TearDown() override
    {
        m_oldConfig ? setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1) : unsetenv("XDG_CONFIG_HOME");
        ModuleFixture::TearDown();
    }

    fs::path Desktop() const { return fs::path(Drives().Host("c/Users/Me/Desktop")); }
    fs::path UserSt() const { return Machine().Storage(1) / "ORD" / "(UserST)"; }
    fs::path Emb() const { return Machine().Storage(1) / "EMB"; }
    fs::path StickOrd() const { return fs::path(Drives().Host("USBSTICK/ORD")); }
    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }

    // Runs an export (STX or designs, with deep folders and target) with the person's script;
    // both must end well.
    void Run(const ScriptedUser::Script& script, bool bStx, uint8_t bDeep = 1, int32_t nTarget = 2)
    {
        ScriptedUser user(script, 20000);
        EXPECT_EQ(bStx ? Module().pfnManageStxDialog(0, bDeep, nTarget) : Module().pfnManageDesignDialog(0, bDeep, nTarget), IDCANCEL);
        EXPECT_TRUE(user.Finish(60000)) << user.Report();
    }

    std::optional<std::string> m_oldConfig;
};

} // namespace fmtest

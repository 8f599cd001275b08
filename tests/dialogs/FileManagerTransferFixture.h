// What the File Manager's copy tests share: C: with the user's desktop folder, E: a USB flash drive
// labelled "USBSTICK", an emulated machine, the module loaded as a host loads it, and the steps of
// a person in the dialog (opening the desktop and a machine location, ticking files, reading the
// counters), each waiting for the dialog to show what it needs.
#pragma once

#include "tests/support/MachineAndDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"

#include "platform/base/WinTypes.h"
#include "platform/user/WinUser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fmtest {

using tavren::test::Narrow;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr const char16_t* kFileManager = u"File Manager";
constexpr const char16_t* kTransfer = u"Transfering Data";
constexpr int kPcList = 13011;
constexpr int kMachineList = 13018;
constexpr int kToMachine = 13025;
constexpr int kToPc = 13026;
constexpr int kPcCount = 13027;
constexpr int kMachineCount = 13028;
constexpr int kClose = 2;

inline std::string ReadAll(const fs::path& p)
{
    std::ifstream in(p, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

inline void WriteAll(const fs::path& p, const std::string& bytes)
{
    fs::create_directories(p.parent_path());
    std::ofstream(p, std::ios::binary | std::ios::trunc) << bytes;
}

inline std::string FromBytes(const fixture::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

// A well-formed STX pattern; the number of points makes each one's bytes its own.
inline std::string Stx(int nPoints) { return FromBytes(fixture::MakeStx(fixture::WellFormedStx(nPoints))); }

// A corpus design written natively (.qef, .qef+ or .qpx by the name's extension).
inline std::string CorpusDesign(const std::string& strCorpusName, const std::string& strExtension)
{
    return FromBytes(tavren::test::CorpusDesign(strCorpusName, strExtension));
}

// What a person reads off the File Manager: a control, the first item of a list with this label
// (-1: none), and the labels a list shows in order, with "*" after a ticked one.
inline const tavren::ControlInfo* ControlIn(const Snapshot& snap, int nId)
{
    const tavren::WindowInfo* w = snap.Find(kFileManager);
    return w ? w->Control(nId) : nullptr;
}
inline int IndexIn(const Snapshot& snap, int nList, std::u16string_view strLabel)
{
    if (const tavren::ControlInfo* c = ControlIn(snap, nList))
        for (size_t i = 0; i < c->items.size(); i++)
            if (c->items[i].strLabel == strLabel)
                return static_cast<int>(i);
    return -1;
}
// The labels a list shows, in order, with "*" after a ticked one.
inline std::vector<std::u16string> Shown(const Snapshot& snap, int nList)
{
    std::vector<std::u16string> labels;
    if (const tavren::ControlInfo* c = ControlIn(snap, nList))
        for (const auto& item : c->items)
            labels.push_back(item.strLabel + (item.nImage >= 16 && (item.nImage & 1) ? u"*" : u""));
    return labels;
}

class FileManagerTransferFixture : public tavren::test::ModuleFixture {
protected:
    FileManagerTransferFixture()
        : ModuleFixture(Parts().Drives({{u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}}).Machine().Module().Watchdog(240000))
    {
    }

    void SetUp() override
    {
        ModuleFixture::SetUp();
        if (HasFatalFailure())
            return;
        fs::create_directories(Desktop());
        // The desktop folder comes from the user's folder settings.
        fs::create_directories(Drives().Host("config"));
        std::ofstream(Drives().Host("config/user-dirs.dirs")) << "XDG_DESKTOP_DIR=\"" << Desktop().string() << "\"\n";
        const char* pszConfig = std::getenv("XDG_CONFIG_HOME");
        m_oldConfig = pszConfig ? std::optional<std::string>(pszConfig) : std::nullopt;
        setenv("XDG_CONFIG_HOME", Drives().Host("config").c_str(), 1);
    }
    void TearDown() override
    {
        if (m_oldConfig)
            setenv("XDG_CONFIG_HOME", m_oldConfig->c_str(), 1);
        else
            unsetenv("XDG_CONFIG_HOME");
        ModuleFixture::TearDown();
    }

    // C:\Users\Me\Desktop on disk.
    fs::path Desktop() const { return fs::path(Drives().Host("c/Users/Me/Desktop")); }
    // The STX folder of the machine's built-in storage, and its design folder.
    fs::path UserSt() const { return Machine().Storage(1) / "ORD" / "(UserST)"; }
    fs::path Emb() const { return Machine().Storage(1) / "EMB"; }
    // E:\ORD, the STX folder of the flash drive attached to the PC.
    fs::path StickOrd() const { return fs::path(Drives().Host("USBSTICK/ORD")); }
    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }

    // Runs the export with the person's script; both must end well.
    void RunStx(const ScriptedUser::Script& script) { Run(script, true); }
    void RunDesigns(const ScriptedUser::Script& script) { Run(script, false); }

public:
    // ---- the person's steps

    static bool Idle(const Snapshot& snap) { return snap.Find(kTransfer) == nullptr; }

    // Waits until the list shows exactly these labels (ticked ones with "*"), in any order.
    static void WaitForShown(ScriptedUser& u, int nList, std::vector<std::u16string> expected, const std::string& strWhat)
    {
        std::sort(expected.begin(), expected.end());
        std::vector<std::u16string> shown;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(15);
        while (std::chrono::steady_clock::now() < deadline) {
            const Snapshot snap = u.Look();
            shown = Shown(snap, nList);
            std::sort(shown.begin(), shown.end());
            if (Idle(snap) && shown == expected)
                return;
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        std::string strShown;
        for (const std::u16string& label : shown)
            strShown += " " + Narrow(label);
        u.Expect(false, strWhat + ": the list shows" + strShown);
    }
    static int IndexOf(ScriptedUser& u, int nList, std::u16string_view strLabel)
    {
        const Snapshot snap = u.WaitUntil([&](const Snapshot& s) { return Idle(s) && IndexIn(s, nList, strLabel) >= 0; },
                                          "\"" + Narrow(strLabel) + "\" in list " + std::to_string(nList));
        return IndexIn(snap, nList, strLabel);
    }
    static void OpenItem(ScriptedUser& u, int nList, std::u16string_view strLabel)
    {
        const int nItem = IndexOf(u, nList, strLabel);
        u.DoubleClickItem(nList, nItem);
    }
    // A click on a file ticks it (or unticks a ticked one); waits until it shows so.
    static void Tick(ScriptedUser& u, int nList, std::u16string_view strLabel, bool bTicked = true)
    {
        u.WaitForWindow(kFileManager);
        u.ClickItem(nList, IndexOf(u, nList, strLabel));
        u.WaitUntil(
            [&](const Snapshot& s) {
                const tavren::ControlInfo* c = ControlIn(s, nList);
                const int nItem = IndexIn(s, nList, strLabel);
                return Idle(s) && c && nItem >= 0 && ((c->items[static_cast<size_t>(nItem)].nImage & 1) != 0) == bTicked;
            },
            "\"" + Narrow(strLabel) + (bTicked ? "\" ticked" : "\" unticked"));
    }
    static std::u16string Text(ScriptedUser& u, int nId)
    {
        const Snapshot snap = u.Look();
        const tavren::ControlInfo* c = ControlIn(snap, nId);
        return c ? c->strText : u"(none)";
    }
    // The desktop in the PC pane, showing these files.
    static void OpenDesktop(ScriptedUser& u, const std::vector<std::u16string>& files)
    {
        u.WaitForWindow(kFileManager);
        OpenItem(u, kPcList, u"Desktop");
        WaitForShown(u, kPcList, files, "the desktop's files in the PC pane");
    }
    // A location of the machine pane's root view ("Built-in", "USBSTICK (E:)"), showing these files.
    static void OpenMachineSide(ScriptedUser& u, std::u16string_view strPlace, const std::vector<std::u16string>& files)
    {
        u.WaitForWindow(kFileManager);
        OpenItem(u, kMachineList, strPlace);
        WaitForShown(u, kMachineList, files, "the files of " + Narrow(strPlace) + " in the machine pane");
    }
    static void Press(ScriptedUser& u, int nButton)
    {
        u.WaitForWindow(kFileManager);
        u.WaitUntil(
            [&](const Snapshot& s) {
                const tavren::ControlInfo* c = ControlIn(s, nButton);
                return Idle(s) && c && c->bEnabled;
            },
            "button " + std::to_string(nButton) + " enabled");
        u.Click(nButton);
    }
    // A box in front with this caption and text, answered with nButton.
    static void Expect(ScriptedUser& u, std::u16string_view strCaption, std::u16string_view strText, int nButton = IDOK)
    {
        const tavren::WindowInfo& box = u.ExpectMessageBox(strCaption, strText);
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "\"" + Narrow(strCaption) + "\" shows the exclamation icon");
        u.Answer(nButton);
    }
    // Waits until the dialog is idle in front again (every box answered, every transfer over).
    static void Settled(ScriptedUser& u)
    {
        u.WaitUntil(
            [](const Snapshot& s) {
                const tavren::WindowInfo* w = s.Front();
                return w && w->strCaption == kFileManager && w->bEnabled;
            },
            "the File Manager idle in front");
        u.WaitForWindow(kFileManager);
    }
    static void CloseDialog(ScriptedUser& u)
    {
        Settled(u);
        u.Click(kClose);
        u.WaitForClose(kFileManager);
    }

protected:
    void Run(const ScriptedUser::Script& script, bool bStx)
    {
        ASSERT_TRUE(bStx ? Module().pfnManageStxDialog != nullptr : Module().pfnManageDesignDialog != nullptr);
        ScriptedUser user(script, 20000);
        const int32_t nResult =
            bStx ? Module().pfnManageStxDialog(0, 1, 2) : Module().pfnManageDesignDialog(0, 1, 2);
        EXPECT_EQ(nResult, IDCANCEL);
        EXPECT_TRUE(user.Finish(60000)) << user.Report();
    }

    std::optional<std::string> m_oldConfig;
};

} // namespace fmtest

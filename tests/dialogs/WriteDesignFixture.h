// The fixture of the Write a Design tests: a host that calls WriteSendDialog or WriteSendStxDialog
// of the loaded module with a design's bytes, with a temporary drive map (C: fixed, E: removable
// "USBSTICK", F: removable "STICK2") and, when asked for, an emulated machine; and what a person
// looks at in the dialog (the destination list, the buttons, the location box).
#pragma once

#include "tests/support/MachineAndDrives.h"
#include "tests/support/ModuleFixture.h"
#include "tests/support/SampleDesigns.h"
#include "tests/support/ScriptedUser.h"

#include "platform/file/DriveWatcher.h"
#include "platform/kernel/Handle.h"

namespace wdtest {

using tavren::test::Narrow;
using tavren::test::NamesIn;
using tavren::test::RemoveDrive;

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;

constexpr const char16_t* kCaption = u"Write a Design";
constexpr int kSend = 13000, kRename = 13001, kNew = 13002, kOpen = 13003, kUp = 13004, kStyle = 13005,
              kLocation = 13006, kList = 13007, kName = 13008;
constexpr const char16_t* kBuiltIn = u"Built-in";
constexpr const char16_t* kUsb1 = u"USB flash drive 1";
constexpr const char16_t* kUsb2 = u"USB flash drive 2";
constexpr const char16_t* kStick = u"USBSTICK (E:)";
constexpr const char16_t* kStick2 = u"STICK2 (F:)";
constexpr const char16_t* kCommError = u"Communication Error";

using Labels = std::vector<std::u16string>;

// What a host hands to the export, and what it finds in its buffers afterwards.
struct HostCall {
    bool bStx = false, bNullBytes = false, bNullName = false, bNullFolder = false;
    fixture::Bytes bytes;
    uint32_t nCountOverride = 0xFFFFFFFF; // else bytes.size()
    std::u16string strName = u"rose.qef";
    std::u16string strFolder;    // the host's folder buffer on entry
    uint32_t nFolderBytes = 520; // the size the host declares for it
    uint8_t bSelectEnable = 0, bDeep = 0;
    int32_t nStorage = 1, nSelect = 0, nTarget = 2;

    // After the call: the buffer as the host sees it (the declared size plus a guard zone), and
    // as it was handed in.
    std::vector<char16_t> folder, before;
    static constexpr char16_t kGuard = 0xCDCD;

    // The folder text in the buffer (up to its zero, or the declared size).
    std::u16string Folder() const
    {
        std::u16string s;
        for (size_t i = 0; i < folder.size() && i < nFolderBytes / 2 && folder[i]; ++i)
            s += folder[i];
        return s;
    }
    // No unit past the declared size was touched.
    bool GuardIntact() const
    {
        for (size_t i = std::max<size_t>((nFolderBytes + 1) / 2, strFolder.size() + 1); i < folder.size(); ++i)
            if (folder[i] != kGuard)
                return false;
        return true;
    }
};

class WriteDesignFixture : public tavren::test::ModuleFixture {
protected:
    explicit WriteDesignFixture(bool bMachine) : ModuleFixture(bMachine ? Parts().Drives(kDrives).Machine().Module() : Parts().Drives(kDrives).Module()) {}
    inline static const std::vector<tavren::test::DriveSpec> kDrives = {
        {u'C', DRIVE_FIXED}, {u'E', DRIVE_REMOVABLE, "USBSTICK"}, {u'F', DRIVE_REMOVABLE, "STICK2"}};

    void SetUp() override
    {
        ModuleFixture::SetUp();
        ASSERT_FALSE(HasFatalFailure());
        ASSERT_TRUE(Module().pfnWriteSendDialog && Module().pfnWriteSendStxDialog);
        // Drive letters that come and go reach the dialog as Windows broadcasts them.
        tavren::InstallDriveBroadcasts();
    }

    // ---- the host
    // A host's call for this target with a design (a pattern for bStx) under this name.
    static HostCall Host(int32_t nTarget, std::u16string strName = u"rose.qef", bool bStx = false)
    {
        return HostCall{.bStx = bStx, .bytes = bStx ? StxBytes() : DesignBytes(), .strName = std::move(strName), .nTarget = nTarget};
    }
    // The call made while a person works through the script, which must end well; its answer.
    int32_t Run(HostCall& c, const ScriptedUser::Script& script) const
    {
        ScriptedUser user(script);
        const int32_t nResult = Call(c);
        EXPECT_TRUE(user.Finish()) << user.Report();
        return nResult;
    }
    int32_t Call(HostCall& c) const
    {
        c.folder.assign(std::max<size_t>(c.nFolderBytes / 2, c.strFolder.size() + 1) + 16, HostCall::kGuard);
        std::copy(c.strFolder.begin(), c.strFolder.end(), c.folder.begin());
        c.folder[c.strFolder.size()] = 0;
        c.before = c.folder;
        const uint32_t nCount = c.nCountOverride != 0xFFFFFFFF ? c.nCountOverride : static_cast<uint32_t>(c.bytes.size());
        auto pfn = c.bStx ? Module().pfnWriteSendStxDialog : Module().pfnWriteSendDialog;
        return pfn(c.bNullBytes ? nullptr : c.bytes.data(), nCount, c.bNullName ? nullptr : c.strName.c_str(),
                   c.bSelectEnable, c.bNullFolder ? nullptr : c.folder.data(), c.nFolderBytes, &c.nStorage, &c.nSelect,
                   c.nTarget, c.bDeep, 0);
    }

    // ---- files
    // A native design file made from a corpus design, as a host hands it over.
    static fixture::Bytes DesignBytes(const std::string& corpusName = "Star.DST") { return tavren::test::CorpusDesign(corpusName); }
    static fixture::Bytes StxBytes(int nPoints = 8) { return fixture::MakeStx(fixture::WellFormedStx(nPoints)); }

    static void Put(const fs::path& p, const fixture::Bytes& bytes) { fs::create_directories(p.parent_path()); ASSERT_TRUE(fixture::WriteFile(p.string(), bytes)) << p; }
    static fixture::Bytes Read(const fs::path& p) { return fs::exists(p) ? fixture::ReadWholeFile(p.string()) : fixture::Bytes{}; }
    fs::path Stick() const { return Drives().Folder(u'E'); }
    fs::path Emb(int storage = 1) const { return Machine().Storage(storage) / "EMB"; }

    // ---- drives and the machine
    void Ctl(const std::vector<std::string>& words) const { tavren::test::CtlOk(Machine(), words); }
    bool FaultArmed(const std::string& strOp) const { return tavren::test::FaultArmed(Machine(), strOp); }

    // The bytes of the design currently selected on the machine (what it would sew), asked of the
    // machine itself; empty when none is selected.
    fixture::Bytes SelectedOnMachine() const
    {
        void* hLib = dlopen((tavren::test::LoadedModule::BinDir() + "/libQuorvel.so").c_str(), RTLD_NOW | RTLD_LOCAL);
        auto pfnConnect = reinterpret_cast<uint32_t (*)(int32_t, int32_t, int32_t*)>(dlsym(hLib, "GetConnectedDevice"));
        auto pfnUpload = reinterpret_cast<int32_t (*)(uint32_t, uint8_t**, uint32_t*)>(dlsym(hLib, "UploadDesign"));
        auto pfnFree = reinterpret_cast<int32_t (*)(uint8_t**)>(dlsym(hLib, "GlobalHeapFree"));
        fixture::Bytes bytes;
        int32_t nStatus = 0;
        uint8_t* pBuffer = nullptr;
        uint32_t nSize = 0;
        const uint32_t hDevice = pfnConnect(0, -1, &nStatus);
        if (hDevice && pfnUpload(hDevice, &pBuffer, &nSize) == 0 && pBuffer)
            bytes.assign(pBuffer, pBuffer + nSize);
        if (pBuffer)
            pfnFree(&pBuffer);
        if (hDevice)
            CloseHandle(hDevice);
        dlclose(hLib);
        return bytes;
    }

    // ---- looking at the dialog
    static const tavren::ControlInfo* Find(const Snapshot& s, int nId) { const auto* w = s.Find(kCaption); return w ? w->Control(nId) : nullptr; }
    static Labels ItemsOf(const Snapshot& s)
    {
        Labels labels;
        if (const tavren::ControlInfo* c = Find(s, kList))
            for (const auto& item : c->items)
                labels.push_back(item.strLabel);
        return labels;
    }
    static std::string Describe(const Labels& l)
    {
        std::string s;
        for (const auto& x : l)
            s += (s.empty() ? "" : ", ") + Narrow(x);
        return "[" + s + "]";
    }
    // Location box entries, the selected one marked with "*".
    static Labels BoxOf(const Snapshot& s)
    {
        Labels labels;
        if (const tavren::ControlInfo* c = Find(s, kLocation))
            for (size_t i = 0; i < c->entries.size(); ++i)
                labels.push_back((static_cast<int>(i) == c->nCurSel ? u"*" : u"") + c->entries[i].strText);
        return labels;
    }
    // The location box has the entry, selected or not ("*Name": selected).
    static bool BoxHas(const Snapshot& s, std::u16string_view strText)
    {
        const Labels b = BoxOf(s);
        return std::count(b.begin(), b.end(), strText) + std::count(b.begin(), b.end(), u"*" + std::u16string(strText)) > 0;
    }
    static bool Enabled(const Snapshot& s, int nId) { const tavren::ControlInfo* c = Find(s, nId); return c && c->bEnabled; }
    // A message box with this caption, text and icon in front, answered with nButton.
    static void AnswerBox(ScriptedUser& u, std::u16string_view strCaption, std::u16string_view strText, UINT nIcon, int nButton = IDOK)
    {
        u.Expect(u.ExpectMessageBox(strCaption, strText).nIcon == nIcon, "\"" + Narrow(strText) + "\" with its icon");
        u.Answer(nButton);
    }
    // Waits until the dialog is in front again and its list shows exactly these items (any order).
    static Snapshot WaitForItems(ScriptedUser& u, const Labels& expected, const std::string& strWhat)
    {
        Labels want = expected, seen;
        std::sort(want.begin(), want.end());
        const std::optional<Snapshot> s = tavren::WaitFor([&](const Snapshot& snap) {
                const tavren::WindowInfo* w = snap.Find(kCaption);
                seen = ItemsOf(snap);
                std::sort(seen.begin(), seen.end());
                return w && snap.Front() == w && seen == want;
            }, 10000);
        u.Expect(s.has_value(), strWhat + ": the list shows " + Describe(seen) + ", not " + Describe(want));
        u.WaitForWindow(kCaption);
        return *s;
    }
    static int IndexOf(const Snapshot& s, std::u16string_view strLabel)
    { const Labels l = ItemsOf(s); const auto it = std::ranges::find(l, strLabel); return it == l.end() ? -1 : static_cast<int>(it - l.begin()); }
    // Double clicks an item of the list and waits for what it opens to show.
    static Snapshot Open(ScriptedUser& u, std::u16string_view strLabel, const Labels& expected)
    {
        u.WaitForWindow(kCaption);
        const Snapshot s = u.Look();
        const int n = IndexOf(s, strLabel);
        u.Expect(n >= 0, "\"" + Narrow(strLabel) + "\" is in the list " + Describe(ItemsOf(s)));
        u.DoubleClickItem(kList, n);
        return WaitForItems(u, expected, "after opening " + Narrow(strLabel));
    }
    // The buttons ">>", "New", "Open", "Up" as "1010".
    static std::string Buttons(const Snapshot& s)
    {
        std::string r;
        for (int id : {kSend, kNew, kOpen, kUp})
            r += Enabled(s, id) ? '1' : '0';
        return r;
    }
};

} // namespace wdtest

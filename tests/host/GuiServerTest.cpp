// tavren gui's server side: the snapshot JSON the page draws from, and the page's actions, run
// against the host's sampler dialog (one control of each kind) on this thread's modal loop.
#include "host/gui/GuiActions.h"
#include "host/gui/GuiLiveState.h"
#include "host/gui/GuiSamplerDlg.h"
#include "host/gui/GuiSnapshotJson.h"
#include "host/gui/PngBuffer.h"

#include "tests/support/ScriptedUser.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>
#include <png.h>

#include <functional>

using nlohmann::json;

namespace {

using Dlg = CGuiSamplerDlg;

// The window of that caption in a snapshot, and one of its own controls; null when there is none
// (a json error in a script fails the script, saying why).
json Find(const json& list, const std::function<bool(const json&)>& pred)
{
    const auto it = std::find_if(list.begin(), list.end(), pred);
    return it == list.end() ? json(nullptr) : *it;
}
json Window(const json& snap, const std::string& caption) { return Find(snap["windows"], [&](const json& w) { return w["caption"] == caption; }); }
json Control(const json& w, int id) { return Find(w.at("controls"), [&](const json& c) { return c["id"] == id && c["parent"] == w["h"]; }); }

// A control of the front window as the seam sees it; an empty one when there is none.
const tavren::ControlInfo& FrontControl(const tavren::Snapshot& s, int id)
{
    static const tavren::ControlInfo none{};
    const tavren::ControlInfo* c = s.Front() ? s.Front()->Control(id) : nullptr;
    return c ? *c : none;
}

json Look(tavren::ScriptedUser& u) { return SnapshotToJson(u.Look()); }

bool Ok(const json& action) { return PerformAction(action)["ok"] == true; }

// The sampler dialog run on this thread's modal loop while script drives it; it ends by Escape.
// Gives the answer of its message box.
int RunSampler(std::function<void(tavren::ScriptedUser&)> script)
{
    tavren::test::Watchdog watchdog;
    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Control Sampler");
        script(u);
    });
    Dlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
    return dlg.m_nAnswer;
}

// A PNG read back as RGBA, empty when it does not read.
std::vector<uint8_t> Rgba(const std::vector<uint8_t>& png)
{
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_memory(&image, png.data(), png.size()))
        return {};
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> rgba(PNG_IMAGE_SIZE(image));
    return png_image_finish_read(&image, nullptr, rgba.data(), 0, nullptr) ? rgba : std::vector<uint8_t>{};
}

} // namespace

TEST(GuiServer, SnapshotJsonCarriesWhatThePageDraws)
{
    RunSampler([](tavren::ScriptedUser& u) {
        json snap = Look(u), w = Window(snap, "Control Sampler");
        u.Expect(w["kind"] == "dialog" && snap["front"] == w["h"], "the dialog is in front");
        u.Expect(w["rc"][2].get<int>() - w["rc"][0].get<int>() == w["client"][2].get<int>() + 6, "a 3-pixel frame each side");
        json icons = Control(w, Dlg::IDC_ICONS)["list"];
        u.Expect(icons["view"] == 0 && icons["count"] == 5 && icons["items"].size() == 5 && icons["items"]["1"]["image"] == 3 &&
                     icons["items"]["0"]["selected"] == true,
                 "the icon view, its items, pictures and selection");
        json il = snap["imageLists"][std::to_string(icons["normal"].get<unsigned>())];
        u.Expect(il["cx"] == 48 && il["cy"] == 48 && il["count"] == 8 && !il["v"].get<std::string>().empty(),
                 "the list's pictures described: 48 pixels, eight of them, with a version");
        json report = Control(w, Dlg::IDC_REPORT)["list"];
        u.Expect(report["view"] == 1 && report["columns"][1]["text"] == "Size" && report["items"]["1"]["sub"][0] == "3 KB" &&
                     report["items"]["1"]["selected"] == true,
                 "report view with columns and sub-items");
        json place = Control(w, Dlg::IDC_PLACE)["combo"];
        u.Expect(place["entries"].size() == 4 && place["sel"] == 1 && place["entries"][1]["indent"] == 1 && place["imageList"] != 0,
                 "combo entries with indent and pictures");
        json progress = Control(w, Dlg::IDC_PROGRESS)["progress"];
        u.Expect(progress["pos"] == 40 && progress["upper"] == 100, "progress");
        json ticks = Control(w, Dlg::IDC_TICKS), ok = Control(w, IDOK);
        u.Expect(ticks["check"] == 1 && ticks["text"] == "Show &ticks", "a ticked check box, mnemonic kept");
        u.Expect(ok["default"] == true && ok["check"] == -1, "OK is the default button");
        // What goes over the wire is valid UTF-8 that parses back.
        u.Expect(json::parse(snap.dump()) == snap, "the JSON round-trips");
        u.PressEscape();
    });
}

// The page's actions: clicks reaching the dialog and its message box (and refused behind it), a
// list's right-click menu, a combo's choice, typing and keys; what is not an action is refused.
TEST(GuiServer, ActionsReachTheDialogItsMessageBoxesListsMenusCombosAndFields)
{
    const int answer = RunSampler([](tavren::ScriptedUser& u) {
        const HWND hOk = u.Control(IDOK).hWnd;
        u.Expect(Ok({{"do", "click"}, {"hwnd", u.Control(Dlg::IDC_ASK).hWnd}}), "clicking Ask");
        u.ExpectMessageBox(u"Save As");
        json box = Window(Look(u), "Save As");
        u.Expect(box["kind"] == "messagebox", "the box in the state");
        // The dialog behind the box is blocked: the action is refused with a reason.
        json refused = PerformAction({{"do", "click"}, {"hwnd", hOk}});
        u.Expect(refused["ok"] == false && !refused["error"].get<std::string>().empty(), "no click through a message box");
        u.Expect(Ok({{"do", "click"}, {"hwnd", Control(box, IDNO)["h"]}}), "answering No");
        u.WaitForClose(u"Save As");
        u.WaitForWindow(u"Control Sampler");
        HWND hIcons = u.Control(Dlg::IDC_ICONS).hWnd;
        u.Expect(Ok({{"do", "item"}, {"hwnd", hIcons}, {"item", 2}, {"mouse", "right"}}), "right-click");
        u.WaitForMenu();
        const json menu = Look(u)["windows"].back();
        u.Expect(menu["kind"] == "menu" && menu["menu"].size() == 4 && menu["menu"][2]["separator"] == true &&
                     menu["menu"][1]["text"] == "&Rename" && menu["menu"][1]["grayed"] == false,
                 "the popup menu's commands");
        u.Expect(Ok({{"do", "menu"}, {"hwnd", menu["h"]}, {"id", Dlg::ID_DELETE}}), "Delete");
        u.WaitForWindow(u"Control Sampler");
        u.WaitUntil([](const tavren::Snapshot& s) { return FrontControl(s, Dlg::IDC_ICONS).items.size() == 4; }, "the item deleted");
        u.Expect(Ok({{"do", "combo"}, {"hwnd", u.Control(Dlg::IDC_PLACE).hWnd}, {"index", 3}}), "choosing a combo entry");
        u.WaitUntil([](const tavren::Snapshot& s) { return FrontControl(s, Dlg::IDC_PLACE).nCurSel == 3; }, "the combo's choice");
        HWND hName = u.Control(Dlg::IDC_NAME).hWnd;
        // Keystrokes: a click into the field puts the caret after "Flowers".
        // Typing, UTF-8 to UTF-16, edited with keys; an unknown key is refused.
        const std::pair<json, bool> typing[] = {{{{"do", "type"}, {"text", "Blüten 花"}}, true}, {{{"do", "keyIn"}, {"key", "Backspace"}}, true},
                                                {{{"do", "keyIn"}, {"key", "Home"}}, true},          {{{"do", "type"}, {"text", "«"}}, true},
                                                {{{"do", "keyIn"}, {"key", "F13"}}, false}};
        for (const auto& [action, bOk] : typing) {
            json a = action;
            a["hwnd"] = hName;
            u.Expect(Ok(a) == bOk, a.dump());
        }
        u.WaitUntil([](const tavren::Snapshot& s) { return FrontControl(s, Dlg::IDC_NAME).strText == u"«FlowersBlüten "; },
                    "the typed text, UTF-8 to UTF-16, edited with keys");
        // Letters by their KeyboardEvent.code, with modifiers: Ctrl+A selects everything.
        u.Expect(Ok({{"do", "keyIn"}, {"hwnd", hName}, {"key", "KeyA"}, {"ctrl", true}}), "Ctrl+A");
        u.Expect(!Ok({{"do", "keyIn"}, {"hwnd", hName}, {"key", "Keya"}}), "a letter is named in capitals");
        u.WaitUntil([](const tavren::Snapshot& s) { return FrontControl(s, Dlg::IDC_NAME).nSelStart == 0 && FrontControl(s, Dlg::IDC_NAME).nSelEnd == 15; },
                    "the whole text selected");
        json bad = PerformAction({{"do", "item"}, {"hwnd", hIcons}, {"item", 99}});
        u.Expect(bad["ok"] == false && bad["error"].get<std::string>().find("no item") != std::string::npos, "no such item");
        for (const json& wrong : {json{{"do", "jump"}}, json{{"do", "click"}, {"hwnd", "not a number"}}, json::array()})
            u.Expect(!Ok(wrong), "refused: " + wrong.dump());
        // A key sent to the front window: Escape ends the dialog.
        u.Expect(Ok({{"do", "key"}, {"hwnd", 0}, {"key", "Escape"}}), "Escape to the front window");
    });
    EXPECT_EQ(answer, IDNO);
}

// The page follows the dialog by versions: nothing while nothing changes, and after a click a
// patch that turns the page's state into the dialog's, carrying the change and not the rest.
TEST(GuiServer, TheLiveStateSendsOnlyWhatChanged)
{
    RunSampler([](tavren::ScriptedUser& u) {
        CGuiLiveState live([] { return SnapshotToJson(tavren::TakeSnapshot(2000, 1)); }, [] { return tavren::MessagesHandled(); });
        live.Start();
        json first = live.Now();
        uint64_t v = first["version"];
        u.Expect(live.Since(v, 700) == json{{"version", v}}, "an idle dialog: the wait ends with nothing but the version");
        u.Expect(live.Since(0, 0).contains("state"), "a page without a version gets the whole state");

        u.Click(Dlg::IDC_TICKS);
        json change = live.Since(v, 5000);
        u.Expect(change.contains("patch") && change["version"] > v, "the click makes a new version, sent as a patch");
        json ticks = Control(Window(first["state"].patch(change.at("patch")), "Control Sampler"), Dlg::IDC_TICKS);
        u.Expect(ticks["check"] == 0, "the patched state shows the box unticked");
        u.Expect(change["patch"].dump().size() < first["state"].dump().size() / 10, "the patch is a small part of the state");
        live.Stop();
        u.Expect(Ok({{"do", "close"}, {"hwnd", u.CurrentWindow()}}), "the close box");
    });
}

TEST(GuiServer, PicturesBecomePngsWithTheirTransparency)
{
    // 2 x 2: red, green / blue, see-through.
    std::vector<uint8_t> bgr = {0, 0, 255, 0, 255, 0, 255, 0, 0, 9, 9, 9};
    std::vector<uint8_t> mask = {0, 0, 0, 1};
    EXPECT_EQ(Rgba(EncodePngBgr(2, 2, bgr, &mask)), (std::vector<uint8_t>{255, 0, 0, 255, 0, 255, 0, 255, 0, 0, 255, 255, 9, 9, 9, 0}));
    std::vector<uint8_t> bgra = {10, 20, 30, 128};
    EXPECT_EQ(Rgba(EncodePngBgra(1, 1, bgra)), (std::vector<uint8_t>{30, 20, 10, 128}));

    // Sizes that do not match the pixels give nothing rather than a read past the buffer.
    EXPECT_TRUE(EncodePngBgr(3, 2, bgr).empty());
    std::vector<uint8_t> shortMask = {0, 0, 0};
    EXPECT_TRUE(EncodePngBgr(2, 2, bgr, &shortMask).empty());
    EXPECT_TRUE(EncodePngBgr(0, 2, {}).empty());
    EXPECT_TRUE(EncodePngBgra(2, 1, bgra).empty());
}

// The page's list clicks as points: the list decides what lay there, so two clicks on a picture's
// label rename it; the snapshot JSON carries each item's picture and label rectangles and the
// group header bands the page draws.
#include "host/GuiActions.h"
#include "host/GuiSamplerDlg.h"
#include "host/GuiSnapshotJson.h"

#include "platform/comctl/CommCtrl.h"
#include "tests/support/ScriptedUser.h"

#include <gtest/gtest.h>

using nlohmann::json;

namespace {

using Dlg = CGuiSamplerDlg;

json IconsJson(tavren::ScriptedUser& u)
{
    json snap = SnapshotToJson(u.Look());
    for (const json& w : snap["windows"])
        if (w["caption"] == "Control Sampler")
            for (const json& c : w["controls"])
                if (c["id"] == Dlg::IDC_ICONS && c["parent"] == w["h"])
                    return c;
    return json();
}

} // namespace

TEST(GuiListPoint, TwoClicksOnALabelRenameAndTheJsonCarriesPartsAndGroups)
{
    tavren::ScriptedUser user([](tavren::ScriptedUser& u) {
        u.WaitForWindow(u"Control Sampler");
        json icons = IconsJson(u);
        u.Expect(icons.contains("list"), "the icon list");
        if (!icons.contains("list"))
            return;
        const json& it = icons["list"]["items"][2];
        const json none = json::array({0, 0, 0, 0});
        json rc = it.value("rc", none), icon = it.value("rcIcon", none), label = it.value("rcLabel", none);
        u.Expect(icon[2].get<int>() - icon[0].get<int>() == 48 && icon[0].get<int>() > rc[0].get<int>() && label[1].get<int>() > icon[3].get<int>(),
                 "the picture in its cell, the label under it");
        json click = {{"do", "item"}, {"hwnd", icons["h"]}, {"mouse", "click"},
                      {"x", (label[0].get<int>() + label[2].get<int>()) / 2}, {"y", (label[1].get<int>() + label[3].get<int>()) / 2}};
        u.Expect(PerformAction(click)["ok"] == true, "a click on the label");
        u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(Dlg::IDC_ICONS)->items[2].bSelected; },
                    "item 2 selected");
        u.Expect(PerformAction(click)["ok"] == true, "a second click on the label");
        tavren::Snapshot s = u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(Dlg::IDC_ICONS)->hEdit; },
                                         "the label editor");
        HWND hEdit = s.Front()->Control(Dlg::IDC_ICONS)->hEdit;
        u.Expect(PerformAction({{"do", "type"}, {"hwnd", hEdit}, {"text", "lily.qpx"}})["ok"] == true, "typing the name");
        u.Expect(PerformAction({{"do", "key"}, {"hwnd", 0}, {"key", "Enter"}})["ok"] == true, "Enter");
        u.WaitUntil([](const tavren::Snapshot& s) { return s.Front() && s.Front()->Control(Dlg::IDC_ICONS)->items[2].strLabel == u"lily.qpx"; },
                    "the new name");
        json outside = click;
        outside["x"] = -4;
        u.Expect(PerformAction(outside)["ok"] == false, "a point outside the list");

        // Two groups: the JSON gives their headers and bands.
        HWND hIcons = static_cast<HWND>(icons["h"].get<unsigned>());
        for (int g = 0; g < 2; ++g) {
            LVGROUP group{sizeof(LVGROUP), LVGF_HEADER | LVGF_GROUPID, const_cast<LPWSTR>(g ? u"PC" : u"Machine"), 0, g, 0};
            SendMessageW(hIcons, LVM_INSERTGROUP, static_cast<WPARAM>(-1), static_cast<LPARAM>(reinterpret_cast<intptr_t>(&group)));
        }
        for (int i = 0; i < 5; ++i) {
            LVITEMW item{};
            item.mask = LVIF_GROUPID;
            item.iItem = i;
            item.iGroupId = i < 3 ? 0 : 1;
            SendMessageW(hIcons, LVM_SETITEMW, 0, static_cast<LPARAM>(reinterpret_cast<intptr_t>(&item)));
        }
        SendMessageW(hIcons, LVM_ENABLEGROUPVIEW, TRUE, 0);
        json L = IconsJson(u)["list"];
        u.Expect(L["groupView"] == true && L["groups"].size() == 2 && L["groups"][0]["header"] == "Machine" && L["groups"][1]["header"] == "PC",
                 "the groups in order");
        u.Expect(L["groups"][0]["rc"][1] == 0 && L["groups"][0]["rc"][3] == tavren::kListGroupHeaderHeight &&
                     L["items"][0]["rc"][1] == tavren::kListGroupHeaderHeight && L["groups"][1]["rc"][1] == L["items"][3]["rc"][1].get<int>() - tavren::kListGroupHeaderHeight,
                 "each band above its group's first row");
        u.Close();
    });
    Dlg dlg;
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    EXPECT_TRUE(user.Finish()) << user.Report();
}

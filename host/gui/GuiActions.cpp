#include "host/gui/GuiActions.h"

#include "host/gui/GuiSnapshotJson.h"
#include "platform/seam/Automation.h"

#include <algorithm>
#include <iterator>

using nlohmann::json;

namespace {

// Numbers the page sends, read without throwing on a wrong type.
long long Number(const json& a, const char* key, long long def)
{
    auto it = a.find(key);
    return it != a.end() && it->is_number_integer() ? it->get<long long>() : def;
}

} // namespace

json PerformAction(const json& a)
{
    if (!a.is_object())
        return {{"ok", false}, {"error", "an action is a JSON object"}};
    std::string strDo = a.contains("do") && a["do"].is_string() ? a["do"].get<std::string>() : "";
    auto h = static_cast<HWND>(Number(a, "hwnd", 0));
    int nItem = static_cast<int>(Number(a, "item", -1));
    std::string strError;
    bool bOk = false;
    if (strDo == "click") {
        bOk = tavren::ClickButton(h, &strError);
    } else if (strDo == "key") {
        std::string strKey = a.contains("key") && a["key"].is_string() ? a["key"].get<std::string>() : "";
        if (!h) {
            tavren::Snapshot s = tavren::TakeSnapshot(2000);
            if (const tavren::WindowInfo* p = s.Front())
                h = p->hWnd;
        }
        bool bShift = a.contains("shift") && a["shift"].is_boolean() && a["shift"].get<bool>();
        if (strKey == "Enter")
            bOk = tavren::PressKey(h, VK_RETURN, &strError);
        else if (strKey == "Escape")
            bOk = tavren::PressKey(h, VK_ESCAPE, &strError);
        else if (strKey == "Tab")
            bOk = bShift ? tavren::PressKeyWithShift(h, VK_TAB, &strError) : tavren::PressKey(h, VK_TAB, &strError);
        else
            strError = "unknown key \"" + strKey + "\"";
    } else if (strDo == "type") {
        std::string strText = a.contains("text") && a["text"].is_string() ? a["text"].get<std::string>() : "";
        bOk = tavren::TypeText(h, Utf8ToUtf16(strText), &strError);
    } else if (strDo == "scroll") {
        // A part of a scroll bar: "lineUp", "lineDown", "pageUp", "pageDown", or "thumb" to pos;
        // "bar": "horz" for the horizontal one (up is left there).
        static const std::pair<const char*, int> kParts[] = {{"lineUp", SB_LINEUP}, {"lineDown", SB_LINEDOWN}, {"pageUp", SB_PAGEUP},
                                                             {"pageDown", SB_PAGEDOWN}, {"thumb", SB_THUMBPOSITION}};
        std::string strPart = a.contains("part") && a["part"].is_string() ? a["part"].get<std::string>() : "";
        const bool bHorz = a.contains("bar") && a["bar"] == "horz";
        auto it = std::find_if(std::begin(kParts), std::end(kParts), [&](const auto& k) { return strPart == k.first; });
        if (it != std::end(kParts))
            bOk = tavren::ScrollBar(h, it->second, static_cast<int>(Number(a, "pos", 0)), &strError, bHorz ? SB_HORZ : SB_VERT);
        else
            strError = "unknown scroll bar part \"" + strPart + "\"";
    } else if (strDo == "wheel") {
        bOk = tavren::TurnWheel(h, static_cast<int>(std::clamp<long long>(Number(a, "delta", 0), -32768, 32767)), &strError);
    } else if (strDo == "keyIn") {
        // A key in a control, named as the browser's KeyboardEvent.code names it: the named keys
        // below, "KeyA".."KeyZ" for letters and "Digit0".."Digit9" for digits; "ctrl", "shift"
        // and "alt" hold modifiers around it (Alt+letter is a mnemonic, Alt+ArrowDown opens a
        // combo box's list, Ctrl+KeyC copies).
        std::string strKey = a.contains("key") && a["key"].is_string() ? a["key"].get<std::string>() : "";
        static const std::pair<const char*, WPARAM> kKeys[] = {
            {"Backspace", VK_BACK}, {"Delete", VK_DELETE}, {"Home", VK_HOME},     {"End", VK_END},        {"ArrowLeft", VK_LEFT},
            {"ArrowRight", VK_RIGHT}, {"ArrowUp", VK_UP},  {"ArrowDown", VK_DOWN}, {"PageUp", VK_PRIOR}, {"PageDown", VK_NEXT},
            {"Space", VK_SPACE},      {"F4", VK_F4},       {"F10", VK_F10},       {"ContextMenu", VK_APPS}};
        auto flag = [&](const char* key) { return a.contains(key) && a[key].is_boolean() && a[key].get<bool>(); };
        const UINT nModifiers = (flag("ctrl") ? tavren::kKeyCtrl : 0) | (flag("shift") ? tavren::kKeyShift : 0) |
                                (flag("alt") ? tavren::kKeyAlt : 0);
        WPARAM nKey = 0;
        auto it = std::find_if(std::begin(kKeys), std::end(kKeys), [&](const auto& k) { return strKey == k.first; });
        if (it != std::end(kKeys))
            nKey = it->second;
        else if (strKey.size() == 4 && strKey.starts_with("Key") && strKey[3] >= 'A' && strKey[3] <= 'Z')
            nKey = static_cast<WPARAM>(strKey[3]);
        else if (strKey.size() == 6 && strKey.starts_with("Digit") && strKey[5] >= '0' && strKey[5] <= '9')
            nKey = static_cast<WPARAM>(strKey[5]);
        if (nKey)
            bOk = tavren::PressKeyIn(h, nKey, nModifiers, &strError);
        else
            strError = "unknown key \"" + strKey + "\"";
    } else if (strDo == "item") {
        std::string strMouse = a.contains("mouse") && a["mouse"].is_string() ? a["mouse"].get<std::string>() : "click";
        tavren::MouseAction m = strMouse == "double" ? tavren::MouseAction::DoubleClick
                                : strMouse == "right" ? tavren::MouseAction::RightClick
                                                      : tavren::MouseAction::Click;
        // The page sends the point clicked, so the list sees what lay under the mouse.
        if (a.contains("x") && a.contains("y"))
            bOk = tavren::ClickListPoint(h, POINT{static_cast<LONG>(Number(a, "x", -1)), static_cast<LONG>(Number(a, "y", -1))}, m, &strError);
        else
            bOk = tavren::ClickListItem(h, nItem, m, &strError);
    } else if (strDo == "combo") {
        bOk = tavren::ChooseComboEntry(h, static_cast<int>(Number(a, "index", -1)), &strError);
    } else if (strDo == "menu") {
        bOk = tavren::ChooseMenuItem(h, static_cast<UINT>(Number(a, "id", 0)), &strError);
    } else if (strDo == "close") {
        bOk = tavren::CloseWindow(h, &strError);
    } else {
        strError = "unknown action \"" + strDo + "\"";
    }
    return {{"ok", bOk}, {"error", strError}};
}

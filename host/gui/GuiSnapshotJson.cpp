#include "host/gui/GuiSnapshotJson.h"

#include "platform/gdi/Gdi.h"
#include "platform/user/Icon.h"
#include "platform/afx/ImageList.h"

#include <cstdio>

using nlohmann::json;

namespace {

json Rect(const RECT& rc) { return json::array({rc.left, rc.top, rc.right, rc.bottom}); }

// FNV-1a, enough to tell one picture from the next.
uint64_t Hash(uint64_t h, const std::vector<uint8_t>& bytes)
{
    for (uint8_t b : bytes)
        h = (h ^ b) * 1099511628211ull;
    return h;
}

std::string Hex(uint64_t v)
{
    char buf[20];
    std::snprintf(buf, sizeof buf, "%016llx", static_cast<unsigned long long>(v));
    return buf;
}

const char* KindName(tavren::WindowInfo::Kind kind)
{
    switch (kind) {
    case tavren::WindowInfo::Kind::Dialog:
        return "dialog";
    case tavren::WindowInfo::Kind::MessageBox:
        return "messagebox";
    case tavren::WindowInfo::Kind::Menu:
        return "menu";
    default:
        return "other";
    }
}

json ImageOf(const tavren::ControlInfo& c)
{
    if (!c.hImage)
        return nullptr;
    if (c.bImageIsIcon) {
        UINT nResource = tavren::IconResourceId(static_cast<HICON>(c.hImage));
        if (!nResource)
            return nullptr; // a system icon of a message box: the page draws those itself
        return {{"kind", "icon"}, {"url", "/pic/icon/" + std::to_string(c.hImage) + ".png?r=" + std::to_string(nResource)}};
    }
    int cx = 0, cy = 0;
    std::vector<uint8_t> bgr;
    if (!tavren::GetBitmapPixels(static_cast<HBITMAP>(c.hImage), cx, cy, bgr))
        return nullptr;
    return {{"kind", "bitmap"}, {"w", cx}, {"h", cy},
            {"url", "/pic/bmp/" + std::to_string(c.hImage) + ".png?v=" + Hex(Hash(14695981039346656037ull, bgr))}};
}

json ControlToJson(const tavren::ControlInfo& c)
{
    json j = {{"h", c.hWnd},
              {"parent", c.hParent},
              {"id", c.nId},
              {"cls", Utf16ToUtf8(c.strClass)},
              {"text", Utf16ToUtf8(c.strText)},
              {"rc", Rect(c.rc)},
              {"client", Rect(c.rcClient)},
              {"style", c.dwStyle},
              {"exStyle", c.dwExStyle},
              {"enabled", c.bEnabled},
              {"visible", c.bVisible},
              {"focused", c.bFocused},
              {"check", c.nCheck},
              {"default", c.bDefault},
              {"image", ImageOf(c)}};
    if (c.dwStyle & WS_VSCROLL)
        j["vscroll"] = {{"min", c.nScrollMin}, {"max", c.nScrollMax}, {"page", c.nScrollPage}, {"pos", c.nScrollPos}};
    if (c.dwStyle & WS_HSCROLL)
        j["hscroll"] = {{"min", c.nHScrollMin}, {"max", c.nHScrollMax}, {"page", c.nHScrollPage}, {"pos", c.nHScrollPos}};
    std::u16string cls = c.strClass;
    for (char16_t& ch : cls)
        if (ch >= u'a' && ch <= u'z')
            ch = static_cast<char16_t>(ch - u'a' + u'A');
    if (cls == u"EDIT")
        j["edit"] = {{"limit", c.nLimit}, {"sel", {c.nSelStart, c.nSelEnd}}, {"readOnly", c.bReadOnly}};
    if (cls == u"MSCTLS_PROGRESS32")
        j["progress"] = {{"lower", c.nRangeLower}, {"upper", c.nRangeUpper}, {"pos", c.nPos}, {"step", c.nStep}};
    if (cls == u"COMBOBOXEX32" || cls == u"COMBOBOX") {
        json entries = json::array();
        for (const tavren::ComboEntryInfo& e : c.entries)
            entries.push_back({{"text", Utf16ToUtf8(e.strText)}, {"image", e.nImage}, {"selectedImage", e.nSelectedImage}, {"indent", e.nIndent}});
        j["combo"] = {{"entries", entries}, {"sel", c.nCurSel}, {"dropped", c.bDroppedDown}, {"imageList", c.hComboImageList}};
    }
    if (c.nView >= 0) {
        // Items and bands in the list's content, unscrolled: a scroll changes scrollY (or scrollX)
        // and which items are sent, not every rectangle. Items are keyed by index (only those
        // around the view may be sent).
        auto content = [&](const RECT& rc) {
            return rc.right <= rc.left || rc.bottom <= rc.top
                       ? Rect(rc)
                       : Rect(RECT{rc.left + c.nScrollX, rc.top + c.nScrollY, rc.right + c.nScrollX, rc.bottom + c.nScrollY});
        };
        json columns = json::array(), items = json::object();
        for (const tavren::ListColumnInfo& col : c.columns)
            columns.push_back({{"text", Utf16ToUtf8(col.strText)}, {"width", col.nWidth}});
        for (const tavren::ListItemInfo& it : c.items) {
            json sub = json::array();
            for (const std::u16string& s : it.subItems)
                sub.push_back(Utf16ToUtf8(s));
            items[std::to_string(it.nIndex)] = {{"label", Utf16ToUtf8(it.strLabel)}, {"sub", sub}, {"image", it.nImage}, {"state", it.nState},
                                                {"selected", it.bSelected}, {"focused", it.bFocused}, {"group", it.nGroupId},
                                                {"rc", content(it.rc)}, {"rcIcon", content(it.rcIcon)}, {"rcLabel", content(it.rcLabel)}};
        }
        json groups = json::array();
        for (const tavren::ListGroupInfo& g : c.groups)
            groups.push_back({{"id", g.nId}, {"header", Utf16ToUtf8(g.strHeader)}, {"rc", content(g.rc)}});
        j["list"] = {{"view", c.nView},
                     {"exStyle", c.dwListExStyle},
                     {"columns", columns},
                     {"count", c.nItemCount},
                     {"scrollY", c.nScrollY},
                     {"scrollX", c.nScrollX},
                     {"items", items},
                     {"normal", c.hImageListNormal},
                     {"small", c.hImageListSmall},
                     {"state", c.hImageListState},
                     {"editItem", c.nEditItem},
                     {"editor", c.hEdit},
                     {"groupView", c.bGroupView},
                     {"groups", groups}};
    }
    return j;
}

// The version is the list's identity and change counter: reading it costs no pixels.
json ImageListToJson(const tavren::ImageListState& s)
{
    return {{"cx", s.cx}, {"cy", s.cy}, {"count", s.nCount}, {"v", std::to_string(s.nSerial) + "." + std::to_string(s.nChanges)}};
}

} // namespace

json SnapshotToJson(const tavren::Snapshot& snapshot)
{
    json windows = json::array();
    for (const tavren::WindowInfo& w : snapshot.windows) {
        json controls = json::array(), menu = json::array(), buttons = json::array();
        for (const tavren::ControlInfo& c : w.controls)
            controls.push_back(ControlToJson(c));
        for (const tavren::MenuItemInfo& m : w.menuItems)
            menu.push_back({{"id", m.nId}, {"text", Utf16ToUtf8(m.strText)}, {"separator", m.bSeparator}, {"popup", m.bPopup},
                            {"grayed", m.bGrayed}, {"checked", m.bChecked}, {"rc", Rect(m.rc)}});
        for (int b : w.buttons)
            buttons.push_back(b);
        windows.push_back({{"h", w.hWnd},
                           {"owner", w.hOwner},
                           {"kind", KindName(w.kind)},
                           {"cls", Utf16ToUtf8(w.strClass)},
                           {"caption", Utf16ToUtf8(w.strCaption)},
                           {"rc", Rect(w.rc)},
                           {"client", Rect(w.rcClient)},
                           {"enabled", w.bEnabled},
                           {"focus", w.hFocus},
                           {"text", Utf16ToUtf8(w.strText)},
                           {"icon", w.nIcon},
                           {"buttons", buttons},
                           {"menu", menu},
                           {"controls", controls}});
    }
    json lists = json::object();
    for (const auto& [h, state] : snapshot.imageLists)
        lists[std::to_string(h)] = ImageListToJson(state);
    const tavren::WindowInfo* pFront = snapshot.Front();
    return {{"windows", windows}, {"front", pFront ? pFront->hWnd : 0}, {"waitCursor", snapshot.bWaitCursor}, {"imageLists", lists}};
}

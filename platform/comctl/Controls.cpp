// Control creation: the layer's fixed window classes and their models.
#include "platform/comctl/ControlModels.h"

#include <algorithm>
#include <cctype>

namespace tavren {

namespace {
bool SameClass(const std::u16string& a, const char16_t* b)
{
    std::u16string_view vb(b);
    return a.size() == vb.size() && std::equal(a.begin(), a.end(), vb.begin(), [](char16_t x, char16_t y) {
               auto lower = [](char16_t c) { return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c + 32) : c; };
               return lower(x) == lower(y);
           });
}
} // namespace

std::unique_ptr<WindowModel> MakeControlModel(const std::u16string& strClass, WindowRecord& record, UINT nImageId)
{
    if (SameClass(strClass, u"Button"))
        return MakeButtonModel();
    if (SameClass(strClass, u"Static"))
        return MakeStaticModel(nImageId, record.dwStyle);
    if (SameClass(strClass, u"Edit"))
        return MakeEditModel(0);
    if (SameClass(strClass, u"msctls_progress32"))
        return MakeProgressModel();
    if (SameClass(strClass, u"ComboBoxEx32") || SameClass(strClass, u"ComboBox"))
        return MakeComboBoxExModel();
    if (SameClass(strClass, u"SysListView32"))
        return MakeListViewModel(record.hWnd);
    return nullptr; // a plain window: DefWindowProc
}

HWND CreateControl(HWND hParent, const char16_t* pszClass, int nId, const char16_t* pszText, DWORD dwStyle,
                   DWORD dwExStyle, const RECT& rc, UINT nImageId)
{
    std::u16string strClass = pszClass ? pszClass : u"";
    // Class names are kept in the spelling Windows reports for them.
    for (const char16_t* pszKnown : {u"Button", u"Static", u"Edit", u"msctls_progress32", u"ComboBoxEx32", u"ComboBox", u"SysListView32"})
        if (SameClass(strClass, pszKnown))
            strClass = pszKnown;
    auto p = NewWindowRecord(hParent, strClass, dwStyle | WS_CHILD, dwExStyle);
    p->nId = nId;
    p->strText = pszText ? pszText : u"";
    p->rcWindow = rc;
    p->pModel = MakeControlModel(strClass, *p, nImageId);
    return p->hWnd;
}

} // namespace tavren

// The extended combo box class (also used for plain drop-down lists): entries with text, image,
// selected image, indent and data word; one selection; an image list by handle.
//
// The keyboard: Up and Down move the selection (CBN_SELCHANGE); F4 or Alt+Down (or Alt+Up) opens
// the drop-down list (CBN_DROPDOWN), and F4, Alt+Down, Enter or Escape close it.
//
// Deliberately missing: the editable drop-down (CBS_DROPDOWN behaves as a drop-down list),
// overlay images, sorting, CBEN_* notifications, owner drawing, typing to search, CBN_CLOSEUP and
// the CBN_SELENDOK/CBN_SELENDCANCEL of closing by keyboard.
#include "platform/seam/Snapshot.h"
#include "platform/comctl/CommCtrl.h"
#include "platform/user/WindowManager.h"
#include "platform/user/PrivateMessages.h"

#include <algorithm>

namespace {

struct Entry {
    std::u16string strText;
    int nImage = 0;
    int nSelectedImage = 0;
    int nIndent = 0;
    LPARAM lParam = 0;
};

class ComboBoxExModel : public tavren::WindowModel {
public:
    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case CBEM_INSERTITEMW:
            return OnInsertItem(Item(lParam));
        case CBEM_SETITEMW:
            return OnSetItem(hWnd, Item(lParam));
        case CBEM_GETITEMW:
            return OnGetItem(Item(lParam));
        case CBEM_DELETEITEM:
            return OnDeleteItem(hWnd, static_cast<int>(static_cast<int32_t>(wParam)));
        case CB_GETCOUNT:
            return static_cast<LRESULT>(m_entries.size());
        case CB_GETCURSEL:
            return m_nCurSel;
        case CB_SETCURSEL:
            return OnSetCurSel(hWnd, static_cast<int>(static_cast<int32_t>(wParam)));
        case CB_RESETCONTENT:
            m_entries.clear();
            m_nCurSel = -1;
            SyncText(hWnd);
            return 0;
        case CB_GETITEMDATA:
            return Valid(static_cast<int>(wParam)) ? m_entries[wParam].lParam : CB_ERR;
        case CB_SETITEMDATA:
            if (!Valid(static_cast<int>(wParam)))
                return CB_ERR;
            m_entries[wParam].lParam = lParam;
            return 0;
        case CBEM_SETIMAGELIST: {
            HIMAGELIST hOld = m_hImageList;
            m_hImageList = static_cast<HIMAGELIST>(lParam);
            return hOld;
        }
        case CBEM_GETIMAGELIST:
            return m_hImageList;
        case CB_SHOWDROPDOWN:
            return OnShowDropDown(hWnd, wParam != 0);
        case WM_LBUTTONDOWN:
            SetFocus(hWnd);
            return OnShowDropDown(hWnd, !m_bDropped);
        case tavren::CB_TAVREN_CHOOSE:
            return OnChoose(hWnd, static_cast<int>(wParam));
        case WM_KEYDOWN:
            return OnKeyDown(hWnd, wParam);
        case WM_SYSKEYDOWN:
            // Alt+Down or Alt+Up (lParam bit 29: Alt is down) opens or closes the list.
            if ((wParam == VK_DOWN || wParam == VK_UP) && (lParam & 0x20000000))
                return OnShowDropDown(hWnd, !m_bDropped);
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        case WM_GETDLGCODE:
            // An open drop-down keeps Enter and Escape for itself.
            return m_bDropped ? DLGC_WANTALLKEYS : DLGC_WANTARROWS;
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Describe(tavren::ControlInfo& info) const override
    {
        for (const Entry& e : m_entries)
            info.entries.push_back({e.strText, e.nImage, e.nSelectedImage, e.nIndent});
        info.nCurSel = m_nCurSel;
        info.bDroppedDown = m_bDropped;
        info.hComboImageList = m_hImageList;
    }

private:
    static COMBOBOXEXITEMW* Item(LPARAM l) { return reinterpret_cast<COMBOBOXEXITEMW*>(static_cast<intptr_t>(l)); }
    bool Valid(int i) const { return i >= 0 && i < static_cast<int>(m_entries.size()); }

    void SyncText(HWND hWnd)
    {
        tavren::GetWindowRecord(hWnd)->strText = Valid(m_nCurSel) ? m_entries[m_nCurSel].strText : u"";
    }

    static void Apply(Entry& e, const COMBOBOXEXITEMW& item)
    {
        if ((item.mask & CBEIF_TEXT) && item.pszText)
            e.strText = item.pszText;
        if (item.mask & CBEIF_IMAGE)
            e.nImage = item.iImage;
        if (item.mask & CBEIF_SELECTEDIMAGE)
            e.nSelectedImage = item.iSelectedImage;
        if (item.mask & CBEIF_INDENT)
            e.nIndent = item.iIndent;
        if (item.mask & CBEIF_LPARAM)
            e.lParam = item.lParam;
    }

    // -1 (or past the end) appends. Answers the index, -1 on failure.
    LRESULT OnInsertItem(const COMBOBOXEXITEMW* pItem)
    {
        if (!pItem)
            return -1;
        Entry e;
        Apply(e, *pItem);
        int i = static_cast<int>(pItem->iItem);
        if (i < 0 || i > static_cast<int>(m_entries.size()))
            i = static_cast<int>(m_entries.size());
        m_entries.insert(m_entries.begin() + i, e);
        if (m_nCurSel >= i)
            ++m_nCurSel;
        return i;
    }

    LRESULT OnSetItem(HWND hWnd, const COMBOBOXEXITEMW* pItem)
    {
        if (!pItem)
            return FALSE;
        int i = static_cast<int>(pItem->iItem);
        if (i == -1)
            i = m_nCurSel; // -1 names the item in the edit part, the selection here
        if (!Valid(i))
            return FALSE;
        Apply(m_entries[i], *pItem);
        SyncText(hWnd);
        return TRUE;
    }

    LRESULT OnGetItem(COMBOBOXEXITEMW* pItem)
    {
        if (!pItem)
            return FALSE;
        int i = static_cast<int>(pItem->iItem);
        if (i == -1)
            i = m_nCurSel;
        if (!Valid(i))
            return FALSE;
        const Entry& e = m_entries[i];
        if ((pItem->mask & CBEIF_TEXT) && pItem->pszText && pItem->cchTextMax > 0) {
            size_t n = std::min(e.strText.size(), static_cast<size_t>(pItem->cchTextMax - 1));
            std::copy_n(e.strText.data(), n, pItem->pszText);
            pItem->pszText[n] = 0;
        }
        if (pItem->mask & CBEIF_IMAGE)
            pItem->iImage = e.nImage;
        if (pItem->mask & CBEIF_SELECTEDIMAGE)
            pItem->iSelectedImage = e.nSelectedImage;
        if (pItem->mask & CBEIF_INDENT)
            pItem->iIndent = e.nIndent;
        if (pItem->mask & CBEIF_LPARAM)
            pItem->lParam = e.lParam;
        return TRUE;
    }

    // Answers the count left, CB_ERR for a bad index.
    LRESULT OnDeleteItem(HWND hWnd, int i)
    {
        if (!Valid(i))
            return CB_ERR;
        m_entries.erase(m_entries.begin() + i);
        if (m_nCurSel == i)
            m_nCurSel = -1;
        else if (m_nCurSel > i)
            --m_nCurSel;
        SyncText(hWnd);
        return static_cast<LRESULT>(m_entries.size());
    }

    // The program's selection: no notification. -1 clears it (and answers CB_ERR, as Windows).
    LRESULT OnSetCurSel(HWND hWnd, int i)
    {
        if (!Valid(i)) {
            m_nCurSel = -1;
            SyncText(hWnd);
            return CB_ERR;
        }
        m_nCurSel = i;
        SyncText(hWnd);
        return i;
    }

    LRESULT OnShowDropDown(HWND hWnd, bool bShow)
    {
        if (bShow == m_bDropped)
            return TRUE;
        m_bDropped = bShow;
        if (bShow)
            tavren::CommandParent(hWnd, CBN_DROPDOWN);
        return TRUE;
    }

    LRESULT OnKeyDown(HWND hWnd, WPARAM nKey)
    {
        switch (nKey) {
        case VK_F4:
            return OnShowDropDown(hWnd, !m_bDropped);
        case VK_ESCAPE:
        case VK_RETURN:
            return m_bDropped ? OnShowDropDown(hWnd, false) : 0;
        case VK_UP:
        case VK_DOWN: {
            // From no selection either key takes the first entry.
            if (m_entries.empty())
                return 0;
            int i = m_nCurSel < 0 ? 0 : std::clamp(m_nCurSel + (nKey == VK_DOWN ? 1 : -1), 0, static_cast<int>(m_entries.size()) - 1);
            if (i == m_nCurSel)
                return 0;
            m_nCurSel = i;
            SyncText(hWnd);
            tavren::CommandParent(hWnd, CBN_SELCHANGE);
            return 0;
        }
        default:
            return 0;
        }
    }

    // The user's choice from the open list: the drop-down closes; a changed selection is
    // announced with CBN_SELCHANGE, then every choice with CBN_SELENDOK.
    LRESULT OnChoose(HWND hWnd, int i)
    {
        if (!m_bDropped || !Valid(i))
            return FALSE;
        m_bDropped = false;
        bool bChanged = i != m_nCurSel;
        m_nCurSel = i;
        SyncText(hWnd);
        if (bChanged)
            tavren::CommandParent(hWnd, CBN_SELCHANGE);
        tavren::CommandParent(hWnd, CBN_SELENDOK);
        return TRUE;
    }

    std::vector<Entry> m_entries;
    int m_nCurSel = -1;
    bool m_bDropped = false;
    HIMAGELIST m_hImageList = 0;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeComboBoxExModel()
{
    return std::make_unique<ComboBoxExModel>();
}
} // namespace tavren

#include "lists/SortListCtrl.h"

#include "platform/afx/CString.h"

#include <memory>

BEGIN_MESSAGE_MAP(CSortListCtrl, CListCtrl)
END_MESSAGE_MAP()

void CSortListCtrl::SortByTypeAndName()
{
    const int nCount = GetItemCount();
    for (int i = 0; i < nCount; i++) {
        LVITEM item{};
        item.mask = LVIF_PARAM;
        item.iItem = i;
        item.lParam = i;
        SetItem(&item);
    }
    // One allocation a sort; the data words just set index into it.
    std::unique_ptr<SortEntry[]> entries(new SortEntry[nCount > 0 ? nCount : 1]);
    for (int i = 0; i < nCount; i++) {
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE | LVIF_STATE;
        item.iItem = i;
        item.stateMask = static_cast<UINT>(-1);
        item.pszText = entries[i].szName;
        item.cchTextMax = 260;
        entries[i].szName[0] = 0;
        if (!GetItem(&item))
            break;
        // The list view may answer with its own buffer instead of filling ours.
        if (item.pszText != entries[i].szName) {
            const char16_t* psz = item.pszText ? item.pszText : u"";
            int n = 0;
            for (; n < 259 && psz[n]; n++)
                entries[i].szName[n] = psz[n];
            entries[i].szName[n] = 0;
        }
        entries[i].nImage = item.iImage;
    }
    SortItems(&CSortListCtrl::CompareItems, reinterpret_cast<LPARAM>(entries.get()));
}

int CSortListCtrl::CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort)
{
    const SortEntry* pEntries = reinterpret_cast<const SortEntry*>(lParamSort);
    const SortEntry& a = pEntries[lParam1];
    const SortEntry& b = pEntries[lParam2];
    // Places and folders (pictures below 12) go first, by picture; files compare by name alone.
    if (a.nImage != b.nImage && (a.nImage < 12 || b.nImage < 12))
        return a.nImage < b.nImage ? -1 : 1;
    CString strA(a.szName), strB(b.szName);
    strA.MakeUpper();
    strB.MakeUpper();
    const char16_t* pA = strA;
    const char16_t* pB = strB;
    for (;; pA++, pB++) {
        const uint16_t cA = static_cast<uint16_t>(*pA), cB = static_cast<uint16_t>(*pB);
        if (cA != cB)
            return cA < cB ? -1 : 1;
        if (cA == 0)
            return 0;
    }
}

// CSortListCtrl: the base of every file list. It adds one operation to the list view: the
// module's one fixed order, in which places and folders come first, ordered by their picture, and
// files follow by name (upper-cased, code unit by code unit: B10 before B2, "_" after letters).
// There is no sorting by column and no reverse order.
#pragma once

#include "platform/afx/ListCtrl.h"

class CSortListCtrl : public CListCtrl {
public:
    // One item's snapshot for a sort: its label and its picture.
    struct SortEntry {
        char16_t szName[260];
        int nImage;
    };

    // Sorts every item in place. Overwrites each item's data word with its index before the sort.
    void SortByTypeAndName();
    // The comparison handed to the list view: lParam1 and lParam2 are indices into the
    // SortEntry array that lParamSort points at. -1, 0 or +1.
    static int CompareItems(LPARAM lParam1, LPARAM lParam2, LPARAM lParamSort);

protected:
    DECLARE_MESSAGE_MAP()
};

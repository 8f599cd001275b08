// The one fixed order of every file list: places and folders by picture, then files by name.
#include "lists/SortListCtrl.h"

#include "tests/platform/WindowTestSupport.h"

#include "platform/afx/Dialog.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const std::vector<tavren::DialogItemTemplate> kItems = {
    {u"SysListView32", 100, u"", 0, 0, 0, 180, 200, wintest::kChild | LVS_REPORT, 0},
};

class CSortHostDlg : public CDialog {
public:
    CSortListCtrl m_list;
    tavren::DialogTemplate m_tmpl = wintest::MakeTemplate(u"Sort", 200, 220, kItems);
    CSortHostDlg()
    {
        SetTemplate(&m_tmpl);
        tavren::CreateDialogWindow(m_tmpl, 0, this, 0);
    }
    ~CSortHostDlg() override { DestroyWindow(); }
    void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, 100, m_list); }

    void Add(const char16_t* psz, int nImage) { m_list.InsertItem(m_list.GetItemCount(), psz, nImage); }
    std::vector<std::u16string> Labels() const
    {
        std::vector<std::u16string> v;
        for (int i = 0; i < m_list.GetItemCount(); i++)
            v.emplace_back(m_list.GetItemText(i, 0).GetString());
        return v;
    }
};

using Labels = std::vector<std::u16string>;

TEST(SortListCtrl, PlacesAndFoldersByPictureThenFilesByNameWhateverTheirType)
{
    CSortHostDlg dlg;
    // The PC list's roots as it inserts them: by picture, not by name.
    dlg.Add(u"Documents", 2);
    dlg.Add(u"Computer", 1);
    dlg.Add(u"Desktop", 0);
    dlg.Add(u"zzz", 4);             // a folder before any file
    dlg.Add(u"aaa.qef", 30);
    dlg.Add(u"Rose.qpx", 17);       // per-file pictures compare by name alone
    dlg.Add(u"Lily.qef+", 12);      // a type picture from 12 on also compares by name
    dlg.Add(u"USB", 5);
    dlg.m_list.SortByTypeAndName();
    EXPECT_EQ(dlg.Labels(), (Labels{u"Desktop", u"Computer", u"Documents", u"zzz", u"USB", u"aaa.qef", u"Lily.qef+", u"Rose.qpx"}));
    // Each item's data word is now its index before the sort.
    EXPECT_EQ(dlg.m_list.GetItemData(0), 2);
    EXPECT_EQ(dlg.m_list.GetItemData(3), 3);
    EXPECT_EQ(dlg.m_list.GetItemData(7), 5);
}

TEST(SortListCtrl, NamesCompareUpperCasedByCodeUnit)
{
    CSortHostDlg dlg;
    for (const char16_t* psz : {u"B2.qef", u"b10.qef", u"a_b.qef", u"aZ.qef", u"A1.qef", u"\u00e9t\u00e9.qef", u"Zebra.qef"})
        dlg.Add(psz, 16);
    dlg.m_list.SortByTypeAndName();
    // No numeric order (B10 before B2); "_" (0x5F) after every letter once upper-cased; a letter
    // beyond ASCII after them all.
    EXPECT_EQ(dlg.Labels(), (Labels{u"A1.qef", u"aZ.qef", u"a_b.qef", u"b10.qef", u"B2.qef", u"Zebra.qef", u"\u00e9t\u00e9.qef"}));

    CSortListCtrl::SortEntry entries[2] = {{u"abc.qef", 16}, {u"ABC.qef", 16}};
    EXPECT_EQ(CSortListCtrl::CompareItems(0, 1, reinterpret_cast<LPARAM>(entries)), 0);
    CSortListCtrl::SortEntry mixed[2] = {{u"aaa", 17}, {u"AAB", 30}};
    EXPECT_EQ(CSortListCtrl::CompareItems(0, 1, reinterpret_cast<LPARAM>(mixed)), -1);
    EXPECT_EQ(CSortListCtrl::CompareItems(1, 0, reinterpret_cast<LPARAM>(mixed)), 1);
}

TEST(SortListCtrl, LongLabelsAreCutAtTheEntrysSizeNotOverrun)
{
    CSortHostDlg dlg;
    std::u16string strLong(400, u'b');
    dlg.Add(strLong.c_str(), 16);
    dlg.Add(u"a.qef", 16);
    dlg.m_list.SortByTypeAndName();
    EXPECT_EQ(dlg.Labels(), (Labels{u"a.qef", strLong}));
}

} // namespace

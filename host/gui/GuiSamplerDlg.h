// A dialog of the host itself with one of each control the module's dialogs use (list views in
// icon and report view with pictures, an extended combo box with pictures, a progress bar, an
// edit, a check box, a popup menu and message boxes). `tavren gui --sampler` offers it, so the page
// can be tried on every kind of control; the host tests drive it through the page's actions.
#pragma once

#include "platform/afx/ComboBoxEx.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ImageList.h"
#include "platform/afx/ListCtrl.h"
#include "platform/afx/ProgressCtrl.h"
#include "platform/user/Resource.h"

#include <vector>

class CGuiSamplerDlg : public CDialog {
public:
    enum : int { IDC_ICONS = 101, IDC_REPORT, IDC_PLACE, IDC_PROGRESS, IDC_NAME, IDC_TICKS, IDC_HINT, IDC_ASK };
    enum : UINT { ID_OPEN = 40001, ID_RENAME, ID_DELETE };

    CGuiSamplerDlg();

    CListCtrl m_icons;
    CListCtrl m_report;
    CComboBoxEx m_place;
    CProgressCtrl m_progress;
    int m_nAnswer = 0; // the last message box answer

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;

    afx_msg void OnAsk();
    afx_msg void OnIconsRClick(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnIconsDblClk(NMHDR* pNMHDR, LRESULT* pResult);
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()

private:
    void ShowOpened(int nItem);

    std::vector<tavren::DialogItemTemplate> m_items;
    tavren::DialogTemplate m_tmpl{};
    CImageList m_large;
    CImageList m_small;
};

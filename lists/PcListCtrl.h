// CPcListCtrl: the PC side of the File Manager. A browser over the desktop folder, the documents
// folder and every drive, with the roots "PC", "Desktop", "Computer" and "Documents" and a
// breadcrumb of the shown folder in its location box.
#pragma once

#include "lists/FolderListCtrl.h"

class CPcListCtrl : public CFolderListCtrl {
public:
    // m_nLocation in this list.
    enum { LOC_DRIVE = 0, LOC_DESKTOP = 1, LOC_DRIVES_VIEW = 2, LOC_DOCUMENTS = 4 };

    void Initialize(CComboBoxEx* pLocationBox, int nListKind);
    void ShowRoots();
    void ShowDrives();
    BOOL OpenSelected();
    BOOL GoToLocationBoxSelection();
    BOOL UpOneLevel();
    void UpdateLocationBox() override;
    // A drive root's shell display name, else the text after the last "\"; else empty.
    static CString LastComponentName(const CString& strPath);

    int m_nDrivePicture = PIC_HARD_DISK;

protected:
    // Reflected LVN_ENDLABELEDIT: renames outside the root and drives views; always refuses the
    // list's own label change (the rename sets the label itself).
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

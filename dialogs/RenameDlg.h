// CRenameDlg: "Rename", one edit for a new file name. The name is checked against the module's
// name rules before OK lets it through; a refused name stays in the edit, selected, for correction.
#pragma once

#include "platform/afx/Dialog.h"
#include "platform/afx/Edit.h"

class CRenameDlg : public CDialog {
public:
    enum { IDD = 13014 }; // IDD_RENAME
    // The longest name the edit takes.
    enum { MAX_NAME = 236 };

    explicit CRenameDlg(CWnd* pParent = nullptr);
    ~CRenameDlg() override;

    CEdit m_editName;
    // In: the text to show. Out, after IDOK: the accepted text, trimmed.
    CString m_strName;

protected:
    void DoDataExchange(CDataExchange* pDX) override;
    BOOL OnInitDialog() override;
    void OnOK() override;
    DECLARE_MESSAGE_MAP()
};

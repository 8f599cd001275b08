// CDialog: a modal dialog built from a dialog template of the resource script.
//
// DoModal finds the template through the resource chain (a language module's template wins),
// disables the parent, creates the dialog and its controls (dialog units to pixels for 8-point
// "MS Shell Dlg": x * 6 / 4, y * 13 / 8), sends WM_INITDIALOG (OnInitDialog: data exchange into
// the controls), shows the dialog unless it already ended, and runs the modal loop until
// EndDialog. Then it calls the virtual DestroyWindow, enables the parent again and returns the
// result. EndDialog only stores the result and marks the dialog ended (with a null message to
// wake the loop), so it works anywhere, WM_INITDIALOG included; a dialog ended during
// WM_INITDIALOG is never shown.
//
// Keys: Escape sends IDCANCEL; Enter clicks the focused push button, else the default button
// (when enabled), else IDOK, unless the dialog's PreTranslateMessage keeps the key for itself or
// for the focused control. WM_CLOSE (the close box) sends IDCANCEL.
//
// Deliberately missing: modeless dialogs (Create), property sheets, dialog templates in memory
// (tests build their templates with tavren::DialogTemplate), help ids, dialog fonts other than
// the one the conversion assumes.
#pragma once

#include "platform/user/Resource.h"
#include "platform/afx/Wnd.h"

class CDialog : public CWnd {
public:
    CDialog();
    explicit CDialog(UINT nIDTemplate, CWnd* pParentWnd = nullptr);
    ~CDialog() override;

    virtual INT_PTR DoModal();
    virtual BOOL OnInitDialog();
    virtual void OnOK();
    virtual void OnCancel();
    void EndDialog(int nResult);
    BOOL PreTranslateMessage(MSG* pMsg) override;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    void SetDefID(UINT nID) { SendMessage(DM_SETDEFID, nID, 0); }
    DWORD GetDefID() { return static_cast<DWORD>(SendMessage(DM_GETDEFID, 0, 0)); }
    void NextDlgCtrl() const;
    void GotoDlgCtrl(CWnd* pWndCtrl);

    // A template given directly (tests, generated dialogs) instead of by id.
    void SetTemplate(const tavren::DialogTemplate* pTemplate) { m_pTemplate = pTemplate; }

    UINT m_nIDHelp = 0;
    CWnd* m_pParentWnd = nullptr;
    INT_PTR m_nModalResult = -1;

protected:
    DECLARE_MESSAGE_MAP()

    const tavren::DialogTemplate* m_pTemplate = nullptr;
    HWND m_hWndParentDisabled = 0;
};


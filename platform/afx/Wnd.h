// CWnd: the framework object of a window, and message maps.
//
// A CWnd is attached to a window (m_hWnd) by creation (CDialog) or by subclassing a control of a
// dialog (DDX_Control, SubclassDlgItem). Messages to the window run through WindowProc: the
// message map of the most derived class first, then its bases'; what no entry handles goes to
// DefWindowProc, the window class's own procedure (the control model, the dialog manager).
//
// Message maps read as in MFC:
//
//     class CMyDlg : public CDialog {
//         ...
//         afx_msg void OnBnClickedSearch();
//         afx_msg void OnNMClickList(NMHDR* pNMHDR, LRESULT* pResult);
//         DECLARE_MESSAGE_MAP()
//     };
//     BEGIN_MESSAGE_MAP(CMyDlg, CDialog)
//         ON_BN_CLICKED(13032, OnBnClickedSearch)
//         ON_NOTIFY(NM_CLICK, 13033, OnNMClickList)
//         ON_WM_TIMER()
//     END_MESSAGE_MAP()
//
// WM_COMMAND and WM_NOTIFY from a control are first offered to the control's own object
// (ON_NOTIFY_REFLECT, ON_NOTIFY_REFLECT_EX, ON_CONTROL_REFLECT), then to the parent's map.
// ON_WM_DEVICECHANGE calls OnDeviceChange(UINT nEventType, LPARAM dwData): the data word carries
// a pointer to the broadcast header, so the handler's second parameter must be pointer-sized
// (LPARAM or a pointer type; a 32-bit DWORD_PTR does not compile).
//
// Deliberately missing: command routing through documents and frames, ON_UPDATE_COMMAND_UI,
// tool tips, OLE, window creation other than dialogs (CreateEx), and the permanent/temporary
// handle maps' idle clean-up (a temporary object made by FromHandle lives as long as its window).
#pragma once

#include "platform/afx/CString.h"
#include "platform/afx/CPoint.h"
#include "platform/user/WinUser.h"
#include "platform/user/WindowObject.h"

#include <type_traits>

#define afx_msg

class CWnd;
class CDataExchange;

struct AFX_MSGMAP_ENTRY {
    UINT nMessage;
    UINT nCode;
    UINT nID;
    UINT nLastID;
    // Runs the handler; false when it declines (ON_NOTIFY_REFLECT_EX returning FALSE).
    bool (*pfn)(CWnd* pThis, UINT nMsg, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
};

struct AFX_MSGMAP {
    const AFX_MSGMAP* (*pfnGetBaseMap)();
    const AFX_MSGMAP_ENTRY* lpEntries;
};

// Reflected messages arrive with this added, as in MFC.
constexpr UINT WM_REFLECT_BASE = 0xBC00;

namespace tavren {
// Converts a message's LPARAM into the parameter type a handler declares: pointer or integer,
// never a narrower integer (that would cut a pointer).
struct MsgParam {
    LPARAM l;
    template <class T>
    operator T() const
    {
        if constexpr (std::is_pointer_v<T>) {
            return reinterpret_cast<T>(static_cast<intptr_t>(l));
        } else {
            static_assert(sizeof(T) >= sizeof(LPARAM), "this parameter carries a pointer: declare it LPARAM");
            return static_cast<T>(l);
        }
    }
};
} // namespace tavren

#define DECLARE_MESSAGE_MAP()                                                                                \
protected:                                                                                                   \
    static const AFX_MSGMAP* GetThisMessageMap();                                                            \
    const AFX_MSGMAP* GetMessageMap() const override;                                                        \
                                                                                                             \
private:

#define BEGIN_MESSAGE_MAP(theClass, baseClass)                                                               \
    const AFX_MSGMAP* theClass::GetMessageMap() const { return GetThisMessageMap(); }                        \
    const AFX_MSGMAP* theClass::GetThisMessageMap()                                                          \
    {                                                                                                        \
        using ThisClass [[maybe_unused]] = theClass;                                                         \
        using TheBaseClass = baseClass;                                                                      \
        static const AFX_MSGMAP_ENTRY _messageEntries[] = {

#define END_MESSAGE_MAP()                                                                                    \
    {0, 0, 0, 0, nullptr}};                                                                                  \
    static const AFX_MSGMAP messageMap = {&TheBaseClass::GetThisMessageMap, &_messageEntries[0]};            \
    return &messageMap;                                                                                      \
    }

#define AFX_THIS(p) static_cast<ThisClass*>(p)

#define ON_COMMAND(id, memberFxn)                                                                            \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(id),                                            \
     [](CWnd* p, UINT, WPARAM, LPARAM, LRESULT*) -> bool { AFX_THIS(p)->memberFxn(); return true; }},
#define ON_COMMAND_RANGE(id, idLast, memberFxn)                                                              \
    {WM_COMMAND, 0, static_cast<UINT>(id), static_cast<UINT>(idLast),                                        \
     [](CWnd* p, UINT, WPARAM w, LPARAM, LRESULT*) -> bool { AFX_THIS(p)->memberFxn(LOWORD(w)); return true; }},
#define ON_CONTROL(wNotifyCode, id, memberFxn)                                                               \
    {WM_COMMAND, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id),               \
     [](CWnd* p, UINT, WPARAM, LPARAM, LRESULT*) -> bool { AFX_THIS(p)->memberFxn(); return true; }},
#define ON_BN_CLICKED(id, memberFxn) ON_CONTROL(BN_CLICKED, id, memberFxn)
#define ON_BN_DOUBLECLICKED(id, memberFxn) ON_CONTROL(BN_DOUBLECLICKED, id, memberFxn)
#define ON_CBN_SELCHANGE(id, memberFxn) ON_CONTROL(CBN_SELCHANGE, id, memberFxn)
#define ON_CBN_SELENDOK(id, memberFxn) ON_CONTROL(CBN_SELENDOK, id, memberFxn)
#define ON_EN_CHANGE(id, memberFxn) ON_CONTROL(EN_CHANGE, id, memberFxn)
#define ON_NOTIFY(wNotifyCode, id, memberFxn)                                                                \
    {WM_NOTIFY, static_cast<UINT>(wNotifyCode), static_cast<UINT>(id), static_cast<UINT>(id),                \
     [](CWnd* p, UINT, WPARAM, LPARAM l, LRESULT* r) -> bool {                                               \
         AFX_THIS(p)->memberFxn(reinterpret_cast<NMHDR*>(static_cast<intptr_t>(l)), r);                      \
         return true;                                                                                        \
     }},
#define ON_NOTIFY_REFLECT(wNotifyCode, memberFxn)                                                            \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(wNotifyCode), 0, 0,                                      \
     [](CWnd* p, UINT, WPARAM, LPARAM l, LRESULT* r) -> bool {                                               \
         AFX_THIS(p)->memberFxn(reinterpret_cast<NMHDR*>(static_cast<intptr_t>(l)), r);                      \
         return true;                                                                                        \
     }},
#define ON_NOTIFY_REFLECT_EX(wNotifyCode, memberFxn)                                                         \
    {WM_REFLECT_BASE + WM_NOTIFY, static_cast<UINT>(wNotifyCode), 0, 0,                                      \
     [](CWnd* p, UINT, WPARAM, LPARAM l, LRESULT* r) -> bool {                                               \
         return AFX_THIS(p)->memberFxn(reinterpret_cast<NMHDR*>(static_cast<intptr_t>(l)), r) != 0;          \
     }},
#define ON_CONTROL_REFLECT(wNotifyCode, memberFxn)                                                           \
    {WM_REFLECT_BASE + WM_COMMAND, static_cast<UINT>(wNotifyCode), 0, 0,                                     \
     [](CWnd* p, UINT, WPARAM, LPARAM, LRESULT*) -> bool { AFX_THIS(p)->memberFxn(); return true; }},
#define ON_MESSAGE(message, memberFxn)                                                                       \
    {static_cast<UINT>(message), 0, 0, 0, [](CWnd* p, UINT, WPARAM w, LPARAM l, LRESULT* r) -> bool {        \
         *r = AFX_THIS(p)->memberFxn(w, l);                                                                  \
         return true;                                                                                        \
     }},
#define ON_WM_TIMER()                                                                                        \
    {WM_TIMER, 0, 0, 0, [](CWnd* p, UINT, WPARAM w, LPARAM, LRESULT*) -> bool {                              \
         AFX_THIS(p)->OnTimer(static_cast<UINT_PTR>(w));                                                     \
         return true;                                                                                        \
     }},
#define ON_WM_DESTROY()                                                                                      \
    {WM_DESTROY, 0, 0, 0, [](CWnd* p, UINT, WPARAM, LPARAM, LRESULT*) -> bool { AFX_THIS(p)->OnDestroy(); return true; }},
#define ON_WM_CLOSE()                                                                                        \
    {WM_CLOSE, 0, 0, 0, [](CWnd* p, UINT, WPARAM, LPARAM, LRESULT*) -> bool { AFX_THIS(p)->OnClose(); return true; }},
#define ON_WM_SHOWWINDOW()                                                                                   \
    {WM_SHOWWINDOW, 0, 0, 0, [](CWnd* p, UINT, WPARAM w, LPARAM l, LRESULT*) -> bool {                       \
         AFX_THIS(p)->OnShowWindow(static_cast<BOOL>(w), static_cast<UINT>(l));                              \
         return true;                                                                                        \
     }},
#define ON_WM_DEVICECHANGE()                                                                                 \
    {WM_DEVICECHANGE, 0, 0, 0, [](CWnd* p, UINT, WPARAM w, LPARAM l, LRESULT* r) -> bool {                   \
         *r = AFX_THIS(p)->OnDeviceChange(static_cast<UINT>(w), tavren::MsgParam{l});                        \
         return true;                                                                                        \
     }},
#define ON_WM_CONTEXTMENU()                                                                                  \
    {WM_CONTEXTMENU, 0, 0, 0, [](CWnd* p, UINT, WPARAM w, LPARAM l, LRESULT*) -> bool {                      \
         AFX_THIS(p)->OnContextMenu(CWnd::FromHandle(static_cast<HWND>(w)),                                  \
                                    CPoint(static_cast<SHORT>(LOWORD(l)), static_cast<SHORT>(HIWORD(l))));   \
         return true;                                                                                        \
     }},
#define ON_WM_SIZE()                                                                                         \
    {WM_SIZE, 0, 0, 0, [](CWnd* p, UINT, WPARAM w, LPARAM l, LRESULT*) -> bool {                             \
         AFX_THIS(p)->OnSize(static_cast<UINT>(w), LOWORD(l), HIWORD(l));                                    \
         return true;                                                                                        \
     }},

class CWnd : public tavren::WindowObject {
public:
    CWnd() = default;
    virtual ~CWnd();
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    HWND m_hWnd = 0;
    operator HWND() const { return m_hWnd; }
    HWND GetSafeHwnd() const { return m_hWnd; }

    // The object attached to hWnd, or a temporary one that lives as long as the window; null for 0.
    static CWnd* FromHandle(HWND hWnd);
    static CWnd* FromHandlePermanent(HWND hWnd);
    // As FromHandle, for a caller that treats the window as a T (CEdit, CButton ...): a temporary
    // object is made of class T, so the cast is sound. Null when a permanent object of another
    // class is attached.
    template <class T>
    static T* FromHandleAs(HWND hWnd)
    {
        if (CWnd* p = FromHandleTemporaryOf(hWnd, [] { return static_cast<CWnd*>(new T); },
                                            [](CWnd* q) { return dynamic_cast<T*>(q) != nullptr; }))
            return dynamic_cast<T*>(p);
        return nullptr;
    }
    // The object attached to hWnd when isWanted accepts it; otherwise a new temporary from make
    // takes the place of a temporary one (a permanent object of another class gives null).
    static CWnd* FromHandleTemporaryOf(HWND hWnd, CWnd* (*make)(), bool (*isWanted)(CWnd*));
    BOOL Attach(HWND hWnd);
    HWND Detach();
    BOOL SubclassWindow(HWND hWnd) { return Attach(hWnd); }
    BOOL SubclassDlgItem(UINT nID, CWnd* pParent);
    HWND UnsubclassWindow() { return Detach(); }

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    virtual LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    virtual BOOL OnWndMsg(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    // Offered the reflected form of a control's WM_COMMAND/WM_NOTIFY; true when it handled it.
    virtual BOOL OnChildNotify(UINT message, WPARAM wParam, LPARAM lParam, LRESULT* pResult);
    BOOL PreTranslateMessage(MSG* pMsg) override;
    virtual BOOL DestroyWindow();
    virtual void PostNcDestroy() {}
    virtual void DoDataExchange(CDataExchange* pDX) {}
    BOOL UpdateData(BOOL bSaveAndValidate = TRUE);
    // The current message's default processing (what a handler calls to let the window do its part).
    LRESULT Default();

    LRESULT SendMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::SendMessageW(m_hWnd, message, wParam, lParam); }
    BOOL PostMessage(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) { return ::PostMessageW(m_hWnd, message, wParam, lParam); }
    UINT_PTR SetTimer(UINT_PTR nIDEvent, UINT nElapse, TIMERPROC lpfnTimer = nullptr) { return ::SetTimer(m_hWnd, nIDEvent, nElapse, lpfnTimer); }
    BOOL KillTimer(UINT_PTR nIDEvent) { return ::KillTimer(m_hWnd, nIDEvent); }

    BOOL EnableWindow(BOOL bEnable = TRUE) { return ::EnableWindow(m_hWnd, bEnable); }
    BOOL IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
    BOOL ShowWindow(int nCmdShow) { return ::ShowWindow(m_hWnd, nCmdShow); }
    BOOL IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
    CWnd* SetFocus() { return FromHandle(::SetFocus(m_hWnd)); }
    static CWnd* GetFocus() { return FromHandle(::GetFocus()); }
    static CWnd* GetActiveWindow() { return FromHandle(::GetActiveWindow()); }
    CWnd* GetParent() const { return FromHandle(::GetParent(m_hWnd)); }
    CWnd* GetDlgItem(int nID) const { return FromHandle(::GetDlgItem(m_hWnd, nID)); }
    int GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
    void SetWindowText(LPCTSTR lpszString) { ::SetWindowTextW(m_hWnd, lpszString); }
    void GetWindowText(CString& rString) const;
    int GetWindowText(LPTSTR lpszStringBuf, int nMaxCount) const { return ::GetWindowTextW(m_hWnd, lpszStringBuf, nMaxCount); }
    int GetWindowTextLength() const { return ::GetWindowTextLengthW(m_hWnd); }
    void SetDlgItemText(int nID, LPCTSTR lpszString) { ::SetDlgItemTextW(m_hWnd, nID, lpszString); }
    int GetDlgItemText(int nID, CString& rString) const;
    void GetClientRect(LPRECT lpRect) const { ::GetClientRect(m_hWnd, lpRect); }
    void GetWindowRect(LPRECT lpRect) const { ::GetWindowRect(m_hWnd, lpRect); }
    void MoveWindow(int x, int y, int nWidth, int nHeight, BOOL bRepaint = TRUE) { ::MoveWindow(m_hWnd, x, y, nWidth, nHeight, bRepaint); }
    void MoveWindow(LPCRECT lpRect, BOOL bRepaint = TRUE)
    {
        MoveWindow(lpRect->left, lpRect->top, lpRect->right - lpRect->left, lpRect->bottom - lpRect->top, bRepaint);
    }
    DWORD GetStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_STYLE)); }
    DWORD GetExStyle() const { return static_cast<DWORD>(::GetWindowLongW(m_hWnd, GWL_EXSTYLE)); }
    BOOL ModifyStyle(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    BOOL ModifyStyleEx(DWORD dwRemove, DWORD dwAdd, UINT nFlags = 0);
    void CheckRadioButton(int nIDFirstButton, int nIDLastButton, int nIDCheckButton) { ::CheckRadioButton(m_hWnd, nIDFirstButton, nIDLastButton, nIDCheckButton); }
    UINT IsDlgButtonChecked(int nIDButton) const { return ::IsDlgButtonChecked(m_hWnd, nIDButton); }
    void CheckDlgButton(int nIDButton, UINT nCheck) { ::CheckDlgButton(m_hWnd, nIDButton, nCheck); }
    int GetCheckedRadioButton(int nIDFirstButton, int nIDLastButton) const;
    void Invalidate(BOOL bErase = TRUE) { ::InvalidateRect(m_hWnd, nullptr, bErase); }
    void UpdateWindow() { ::UpdateWindow(m_hWnd); }
    void SetRedraw(BOOL bRedraw = TRUE) { SendMessage(WM_SETREDRAW, bRedraw, 0); }
    void CenterWindow(CWnd* pAlternateOwner = nullptr);
    BOOL SetForegroundWindow() { return IsWindow(m_hWnd); }
    void BeginWaitCursor();
    void EndWaitCursor();
    void RestoreWaitCursor();
    int MessageBox(LPCTSTR lpszText, LPCTSTR lpszCaption = nullptr, UINT nType = 0);
    CWnd* GetTopLevelParent() const;

    // Default handlers the message-map macros call; each does the window's default processing.
    afx_msg void OnTimer(UINT_PTR nIDEvent) { Default(); }
    afx_msg void OnDestroy() { Default(); }
    afx_msg void OnClose() { Default(); }
    afx_msg void OnShowWindow(BOOL bShow, UINT nStatus) { Default(); }
    afx_msg BOOL OnDeviceChange(UINT nEventType, LPARAM dwData) { return static_cast<BOOL>(Default()); }
    afx_msg void OnContextMenu(CWnd* pWnd, CPoint pos) { Default(); }
    afx_msg void OnSize(UINT nType, int cx, int cy) { Default(); }

protected:
    static const AFX_MSGMAP* GetThisMessageMap();
    virtual const AFX_MSGMAP* GetMessageMap() const;

private:
    // The window manager's side (tavren::WindowObject).
    BOOL AttachToWindow(HWND hWnd) override;
    void WindowGone() override;
    static const AFX_MSGMAP_ENTRY* FindEntry(const AFX_MSGMAP* pMap, UINT nMessage, UINT nCode, UINT nID);
};

// Data exchange between a dialog's controls and its members.
class CDataExchange {
public:
    CDataExchange(CWnd* pDlgWnd, BOOL bSaveAndValidate) : m_bSaveAndValidate(bSaveAndValidate), m_pDlgWnd(pDlgWnd) {}
    HWND PrepareCtrl(int nIDC) const { return ::GetDlgItem(m_pDlgWnd->m_hWnd, nIDC); }
    // Stops the exchange (UpdateData answers FALSE): a value did not pass validation.
    [[noreturn]] void Fail();

    BOOL m_bSaveAndValidate;
    CWnd* m_pDlgWnd;
};

void DDX_Control(CDataExchange* pDX, int nIDC, CWnd& rControl);
void DDX_Text(CDataExchange* pDX, int nIDC, CString& value);
void DDX_Text(CDataExchange* pDX, int nIDC, int& value);
void DDX_Check(CDataExchange* pDX, int nIDC, int& value);
// The index of the checked button in the group that starts at nIDC, -1 when none.
void DDX_Radio(CDataExchange* pDX, int nIDC, int& value);

// Shows the wait cursor for its lifetime.
class CWaitCursor {
public:
    CWaitCursor();
    ~CWaitCursor();
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
    void Restore();
};

namespace tavren {
// True while some CWaitCursor or BeginWaitCursor is in effect on the calling thread.
bool WaitCursorShown();
} // namespace tavren

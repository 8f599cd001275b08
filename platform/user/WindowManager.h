// The window manager's records: one per window, owned by the thread that created the window.
// Internal to the platform layer; the module uses CWnd and the Win32 calls of WinUser.h.
//
// Threading: the table (HWND -> record) is guarded by its own lock; a record's fields are read and
// written only on its owner thread (the exceptions are hWnd, dwThreadId, hParent and bChild, fixed
// at creation, and bDestroying, atomic), and debug builds assert so in GetWindowRecord. Every other
// thread reaches a window through SendMessage/PostMessage, which run on the owner thread; the
// window calls that read a window's state (IsWindowEnabled, GetWindowLong, GetWindowRect...) do
// the same when called from another thread. The automation seam takes its snapshots on the
// owner thread for the same reason.
#pragma once

#include "platform/user/WinUser.h"
#include "platform/user/WindowObject.h"

#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace tavren {
struct DialogTemplate;
}

namespace tavren {

// Window frames on the layer's virtual screen (1280 x 1024): a dialog with a caption has a 3-pixel
// frame and a 23-pixel title bar around its client area.
constexpr int kFramePixels = 3;
constexpr int kCaptionPixels = 23;
constexpr int kScreenWidth = 1280;
constexpr int kScreenHeight = 1024;

// The procedure of a window class together with the state of one window of that class (Wine's
// per-control info struct): one dispatch in Proc, one handler per message.
struct ControlInfo;
struct WindowInfo;
class WindowModel {
public:
    virtual ~WindowModel() = default;
    virtual LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) = 0;
    // Fills what the user sees of the control's state (on the owner thread).
    virtual void Describe(ControlInfo& info) const {}
    // Top-level windows of the layer (message boxes, menus) describe themselves here.
    virtual void DescribeWindow(WindowInfo& info) const {}
};

struct WindowRecord {
    HWND hWnd = 0;
    DWORD dwThreadId = 0;
    HWND hParent = 0;           // the owner for top-level windows (dialogs, boxes, menus); fixed, so any thread may read it
    std::u16string strClass;    // u"#32770" for dialogs, u"#32768" for popup menus, control classes
    int nId = 0;
    std::u16string strText;
    DWORD dwStyle = 0;
    DWORD dwExStyle = 0;
    RECT rcWindow{};            // pixels; children: in the parent's client area; others: on the screen
    WindowObject* pWnd = nullptr; // the framework object attached to the window (a CWnd), if any
    std::unique_ptr<WindowModel> pModel;
    std::vector<HWND> children; // in creation (tab) order
    std::atomic<bool> bDestroying{false}; // read by IsWindow from any thread
    bool bChild = false;        // WS_CHILD at creation; fixed, so any thread may read it
    bool bTemporaryWnd = false;   // pWnd was made by CWnd::FromHandle and dies with the window
    // A temporary object and the model outlive DestroyWindow until the last message running on
    // the window returns (each running message holds the record).
    std::shared_ptr<WindowObject> pTempWnd;
    // Temporary objects replaced by one of a derived class (CWnd::FromHandleAs); a caller may
    // still hold them, so they live as long as the record.
    std::vector<std::unique_ptr<WindowObject>> retiredTemps;
    // The window's own scroll bars, SB_HORZ and SB_VERT (shown while WS_HSCROLL / WS_VSCROLL).
    SCROLLINFO scroll[2]{};
    // Dialogs.
    bool bDialog = false;
    bool bEnded = false;        // EndDialog was called: the modal loop stops
    INT_PTR nResult = 0;
    HWND hFocusInDialog = 0;
};

// The record of a live window, or null. Holding the pointer keeps the record (not the window) alive.
// Its fields are the owner thread's: in debug builds, asking from another thread asserts.
std::shared_ptr<WindowRecord> GetWindowRecord(HWND hWnd);
// The record from any thread, for the paths that hand a window over to its owner (SendMessage,
// PostMessage, RunOnWindowThread) and for IsWindow, GetParent and the owner's id: they read only
// the fields fixed at creation (hWnd, dwThreadId, hParent, bChild) and bDestroying.
std::shared_ptr<WindowRecord> GetWindowRecordAnyThread(HWND hWnd);
// A record for a new window of the calling thread; its hWnd is set, it is in the table, and it is
// a child of hParent when WS_CHILD is in dwStyle.
std::shared_ptr<WindowRecord> NewWindowRecord(HWND hParent, std::u16string strClass, DWORD dwStyle, DWORD dwExStyle);
// Creates a control window from its class name (the layer's fixed classes; others behave as
// plain windows), with the rectangle in pixels relative to the parent's client area.
HWND CreateControl(HWND hParent, const char16_t* pszClass, int nId, const char16_t* pszText, DWORD dwStyle,
                   DWORD dwExStyle, const RECT& rc, UINT nImageId);
// Runs a message through the window's attached CWnd (message map) or else its class procedure.
LRESULT CallWindow(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// How many messages windows have handled outside work run for another thread (the seam's
// MessagesHandled).
uint64_t MessagesHandled();
// The window's class procedure alone (what CWnd::DefWindowProc calls).
LRESULT CallClassProc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam);
// Live top-level windows (no WS_CHILD), oldest first; of one thread when dwThreadId is not 0.
std::vector<HWND> TopLevelWindows(DWORD dwThreadId = 0);
// Sends a message to the parent as WM_NOTIFY from a control: fills hwndFrom, idFrom and code.
LRESULT NotifyParent(HWND hCtrl, UINT nCode, NMHDR* pHeader);
// WM_COMMAND to the parent with the control's id and a notification code.
void CommandParent(HWND hCtrl, WORD wCode);
// The client rectangle in pixels: the window less its borders (WS_BORDER and WS_EX_CLIENTEDGE
// 1 and 2 pixels a side; dialogs with a caption lose their frame and title bar).
RECT ClientRectOf(const WindowRecord& record);
// Where the window's client area begins on the screen; false when hWnd or an ancestor is gone.
bool ClientOriginOnScreen(HWND hWnd, POINT* pPoint);
// The dialog whose control hWnd is (or hWnd itself when it is a dialog), or 0.
HWND DialogOf(HWND hWnd);
// The model of a fixed control class (comctl/Controls.cpp) and of the dialog class.
std::unique_ptr<WindowModel> MakeControlModel(const std::u16string& strClass, WindowRecord& record, UINT nImageId);
std::unique_ptr<WindowModel> MakeDialogModel();
// Focus of the calling thread.
HWND ThreadFocus();
// Runs fn on hWnd's thread (at once when that is the calling thread) and waits for it, at most
// dwTimeout ms; false when the window is gone or the thread did not get to it in time (fn may then
// still run later: it must own what it uses).
bool RunOnWindowThread(HWND hWnd, std::function<void()> fn, DWORD dwTimeout);
// SendMessage that gives up after dwTimeout ms; false then (the message may still be handled).
bool SendMessageTimeout(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, DWORD dwTimeout, LRESULT* plResult);
// Creates a dialog window from a template, attaches pWnd (may be null) before any message
// reaches it, creates the controls, and sends WM_INITDIALOG; shows it unless it ended meanwhile.
// The dialog is centred on the screen. Returns 0 when hParent belongs to another thread.
HWND CreateDialogWindow(const DialogTemplate& tmpl, HWND hParent, WindowObject* pWnd, LPARAM lInitParam);
// The modal result EndDialog stored, and whether it was called.
bool DialogEnded(HWND hDlg, INT_PTR* pnResult);
// Runs a modal loop for hWnd until EndDialog marks it ended (or WM_QUIT comes, which is posted
// again for the outer loop). Each message first goes through the PreTranslateMessage chain of the
// framework objects from its window up to the top-level window, then IsDialogMessage for
// dialogs without a framework object, then DispatchMessage.
void RunModalLoop(HWND hWnd);
// Mouse and keyboard input reaches only enabled, visible windows whose ancestors are enabled and
// visible, as hardware input does on Windows.
bool AcceptsInput(HWND hWnd);
} // namespace tavren

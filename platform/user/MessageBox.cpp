#include "platform/user/MessageBox.h"

#include "platform/base/WinError.h"
#include "platform/seam/Snapshot.h"
#include "platform/user/Resource.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"

#include <algorithm>

namespace {

constexpr int kTextId = 0xFFFF;
constexpr int kIconId = 20;
constexpr int kButtonWidth = 75;  // 50 x 14 dialog units
constexpr int kButtonHeight = 23;

std::vector<int> ButtonsOf(UINT uType)
{
    switch (uType & MB_TYPEMASK) {
    case MB_OKCANCEL:
        return {IDOK, IDCANCEL};
    case MB_ABORTRETRYIGNORE:
        return {IDABORT, IDRETRY, IDIGNORE};
    case MB_YESNOCANCEL:
        return {IDYES, IDNO, IDCANCEL};
    case MB_YESNO:
        return {IDYES, IDNO};
    case MB_RETRYCANCEL:
        return {IDRETRY, IDCANCEL};
    default:
        return {IDOK};
    }
}

const char16_t* ButtonText(int nId)
{
    switch (nId) {
    case IDOK:
        return u"OK";
    case IDCANCEL:
        return u"Cancel";
    case IDABORT:
        return u"&Abort";
    case IDRETRY:
        return u"&Retry";
    case IDIGNORE:
        return u"&Ignore";
    case IDYES:
        return u"&Yes";
    case IDNO:
        return u"&No";
    default:
        return u"";
    }
}

UINT IconIdOf(UINT uType)
{
    switch (uType & MB_ICONMASK) {
    case MB_ICONHAND:
        return IDI_HAND_ID;
    case MB_ICONQUESTION:
        return IDI_QUESTION_ID;
    case MB_ICONEXCLAMATION:
        return IDI_EXCLAMATION_ID;
    case MB_ICONASTERISK:
        return IDI_ASTERISK_ID;
    default:
        return 0;
    }
}

class MessageBoxModel : public tavren::WindowModel {
public:
    MessageBoxModel(std::u16string strText, UINT uType)
        : m_strText(std::move(strText)), m_uType(uType), m_buttons(ButtonsOf(uType)), m_pDialog(tavren::MakeDialogModel())
    {
    }

    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case WM_COMMAND:
            return OnCommand(hWnd, LOWORD(wParam));
        case WM_CLOSE:
            return OnCommand(hWnd, IDCANCEL);
        case DM_GETDEFID: {
            size_t nDef = (m_uType & MB_DEFMASK) >> 8;
            int nId = m_buttons[std::min(nDef, m_buttons.size() - 1)];
            return MAKELONG(static_cast<WORD>(nId), DC_HASDEFID);
        }
        default:
            return m_pDialog->Proc(hWnd, nMsg, wParam, lParam);
        }
    }

    void DescribeWindow(tavren::WindowInfo& info) const override
    {
        info.kind = tavren::WindowInfo::Kind::MessageBox;
        info.strText = m_strText;
        info.nIcon = m_uType & MB_ICONMASK;
        info.buttons = m_buttons;
    }

private:
    LRESULT OnCommand(HWND hWnd, int nId)
    {
        bool bHasCancel = std::find(m_buttons.begin(), m_buttons.end(), IDCANCEL) != m_buttons.end();
        if (nId == IDCANCEL && !bHasCancel) {
            if (m_buttons.size() == 1 && m_buttons[0] == IDOK)
                EndDialog(hWnd, IDOK);
            return 0;
        }
        if (std::find(m_buttons.begin(), m_buttons.end(), nId) != m_buttons.end())
            EndDialog(hWnd, nId);
        return 0;
    }

    std::u16string m_strText;
    UINT m_uType;
    std::vector<int> m_buttons;
    std::unique_ptr<tavren::WindowModel> m_pDialog;
};

} // namespace

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType)
{
    // An owner that is no window fails the call, and no box is shown, as on Windows.
    if (hWnd && !IsWindow(hWnd)) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return 0;
    }
    if (hWnd && tavren::WindowThread(hWnd) != GetCurrentThreadId())
        hWnd = 0;
    std::u16string strText = lpText ? lpText : u"";
    DWORD dwExStyle = WS_EX_DLGMODALFRAME | ((uType & MB_TOPMOST) ? WS_EX_TOPMOST : 0);
    auto p = tavren::NewWindowRecord(hWnd, u"#32770", WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME, dwExStyle);
    p->bDialog = true;
    p->strText = lpCaption ? lpCaption : u"Error"; // Windows' caption for a null one
    p->pModel = std::make_unique<MessageBoxModel>(strText, uType);
    HWND hBox = p->hWnd;

    // Layout as Windows roughly does: icon at the left, text beside it (6 x 13 pixels a
    // character), buttons centred in a row below.
    std::vector<int> buttons = ButtonsOf(uType);
    int nLines = 1, nLongest = 0, nCurrent = 0;
    for (char16_t ch : strText) {
        if (ch == u'\n') {
            ++nLines;
            nCurrent = 0;
        } else {
            nLongest = std::max(nLongest, ++nCurrent);
        }
    }
    UINT nIcon = IconIdOf(uType);
    int nTextLeft = nIcon ? 71 : 20;
    int cxText = std::min(nLongest * 6, 480);
    int cyText = std::max(nLines * 13, nIcon ? 32 : 13);
    int cxButtons = static_cast<int>(buttons.size()) * (kButtonWidth + 8);
    int cxClient = std::max(nTextLeft + cxText + 20, cxButtons + 40);
    int cyClient = 26 + cyText + 26 + kButtonHeight + 12;
    if (nIcon)
        tavren::CreateControl(hBox, u"Static", kIconId, u"", WS_VISIBLE | SS_ICON, 0, RECT{26, 26, 58, 58}, nIcon);
    tavren::CreateControl(hBox, u"Static", kTextId, strText.c_str(), WS_VISIBLE | SS_LEFT, 0,
                          RECT{nTextLeft, 26, nTextLeft + cxText, 26 + cyText}, 0);
    int x = cxClient - cxButtons - 12, y = cyClient - kButtonHeight - 12;
    size_t nDef = std::min<size_t>((uType & MB_DEFMASK) >> 8, buttons.size() - 1);
    HWND hDefault = 0;
    for (size_t i = 0; i < buttons.size(); ++i) {
        DWORD dwStyle = WS_VISIBLE | WS_TABSTOP | (i == nDef ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
        HWND h = tavren::CreateControl(hBox, u"Button", buttons[i], ButtonText(buttons[i]), dwStyle, 0,
                                       RECT{x, y, x + kButtonWidth, y + kButtonHeight}, 0);
        if (i == nDef)
            hDefault = h;
        x += kButtonWidth + 8;
    }
    int cx = cxClient + 2 * tavren::kFramePixels, cy = cyClient + 2 * tavren::kFramePixels + tavren::kCaptionPixels;
    int left = (tavren::kScreenWidth - cx) / 2, top = (tavren::kScreenHeight - cy) / 2;
    p->rcWindow = RECT{left, top, left + cx, top + cy};

    bool bOwnerDisabled = false;
    if (hWnd && IsWindowEnabled(hWnd)) {
        EnableWindow(hWnd, FALSE);
        bOwnerDisabled = true;
    }
    HWND hOldFocus = GetFocus();
    ShowWindow(hBox, SW_SHOW);
    SetFocus(hDefault);
    tavren::RunModalLoop(hBox);
    INT_PTR nResult = IDCANCEL;
    tavren::DialogEnded(hBox, &nResult);
    if (bOwnerDisabled)
        EnableWindow(hWnd, TRUE);
    DestroyWindow(hBox);
    if (hOldFocus && IsWindow(hOldFocus))
        SetFocus(hOldFocus);
    return static_cast<int>(nResult);
}

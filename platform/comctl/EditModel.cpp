// The edit class: one line of text with a length limit, a selection, read-only state; also the
// label editor of a list view.
//
// Typing (WM_CHAR, one UTF-16 code unit each) replaces the selection at the caret, within the text
// limit and not when read-only; Backspace (WM_CHAR 8) and Delete remove the selection or the
// character before / after the caret; Home, End, Left and Right move the caret. The parent gets
// EN_UPDATE and EN_CHANGE after each change that changed the text. The selection runs from its
// anchor to the caret: a move collapses it onto the caret, a move with Shift held extends it from
// the anchor; a click puts the caret at the end of the text. Ctrl+A selects everything; Ctrl+C,
// Ctrl+X and Ctrl+V (the characters 3, 24 and 22) are WM_COPY, WM_CUT and WM_PASTE with the
// layer's clipboard (Clipboard.h). A read-only edit copies but neither cuts nor pastes; a paste
// keeps to the limit and to the first line of what it pastes.
//
// Deliberately missing: multi-line editing, password characters, undo, characters' positions (a
// click cannot hit one), number-only input, word moves with Ctrl.
#include "platform/seam/Snapshot.h"
#include "platform/comctl/ControlModels.h"
#include "platform/user/Clipboard.h"
#include "platform/user/PrivateMessages.h"

#include <algorithm>

namespace {

constexpr int kDefaultLimit = 0x7FFE;

class EditModel : public tavren::WindowModel {
public:
    explicit EditModel(HWND hLabelOwner) : m_hLabelOwner(hLabelOwner) {}

    LRESULT Proc(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        switch (nMsg) {
        case WM_SETTEXT:
            return OnSetText(hWnd, reinterpret_cast<const char16_t*>(static_cast<intptr_t>(lParam)));
        case EM_LIMITTEXT:
            m_nLimit = wParam == 0 ? 0x7FFFFFFE : static_cast<int>(wParam);
            return 0;
        case EM_GETLIMITTEXT:
            return m_nLimit;
        case EM_SETSEL:
            return OnSetSel(hWnd, static_cast<int>(static_cast<int32_t>(wParam)), static_cast<int>(lParam));
        case EM_GETSEL:
            return OnGetSel(wParam, lParam);
        case EM_REPLACESEL:
            return OnReplaceSel(hWnd, reinterpret_cast<const char16_t*>(static_cast<intptr_t>(lParam)));
        case EM_SETREADONLY:
            SetWindowLongW(hWnd, GWL_STYLE, (GetWindowLongW(hWnd, GWL_STYLE) & ~static_cast<LONG>(ES_READONLY)) |
                                                 (wParam ? static_cast<LONG>(ES_READONLY) : 0));
            return TRUE;
        case WM_CHAR:
            return OnChar(hWnd, static_cast<char16_t>(wParam));
        case WM_COPY:
            if (m_nAnchor != m_nCaret)
                tavren::SetClipboardText(Text(hWnd).substr(static_cast<size_t>(SelStart()), static_cast<size_t>(SelEnd() - SelStart())));
            return 0;
        case WM_CUT:
            if (ReadOnly(hWnd) || m_nAnchor == m_nCaret)
                return 0;
            SendMessageW(hWnd, WM_COPY, 0, 0);
            return OnReplaceSel(hWnd, u"");
        case WM_PASTE:
            return OnPaste(hWnd);
        case WM_KEYDOWN:
            return OnKeyDown(hWnd, wParam);
        case WM_LBUTTONDOWN:
            SetFocus(hWnd);
            m_nAnchor = m_nCaret = static_cast<int>(Text(hWnd).size());
            return 0;
        case WM_KILLFOCUS:
            // A label editor that loses the focus commits, as Windows' does.
            if (m_hLabelOwner && IsWindow(m_hLabelOwner))
                PostMessageW(m_hLabelOwner, tavren::LVM_TAVREN_ENDEDIT, TRUE, 0);
            return 0;
        case WM_GETDLGCODE:
            return (m_hLabelOwner ? DLGC_WANTALLKEYS : 0) | DLGC_WANTARROWS | DLGC_WANTCHARS | DLGC_HASSETSEL;
        default:
            return DefWindowProcW(hWnd, nMsg, wParam, lParam);
        }
    }

    void Describe(tavren::ControlInfo& info) const override
    {
        info.nLimit = m_nLimit;
        info.nSelStart = SelStart();
        info.nSelEnd = SelEnd();
        info.bReadOnly = (info.dwStyle & ES_READONLY) != 0;
    }

private:
    static std::u16string& Text(HWND hWnd) { return tavren::GetWindowRecord(hWnd)->strText; }
    static bool ReadOnly(HWND hWnd) { return (GetWindowLongW(hWnd, GWL_STYLE) & ES_READONLY) != 0; }
    int SelStart() const { return std::min(m_nAnchor, m_nCaret); }
    int SelEnd() const { return std::max(m_nAnchor, m_nCaret); }

    void Changed(HWND hWnd)
    {
        if (!m_hLabelOwner) {
            tavren::CommandParent(hWnd, EN_UPDATE);
            tavren::CommandParent(hWnd, EN_CHANGE);
        }
    }

    LRESULT OnSetText(HWND hWnd, const char16_t* psz)
    {
        Text(hWnd) = psz ? psz : u"";
        m_nAnchor = m_nCaret = 0;
        Changed(hWnd);
        return TRUE;
    }

    // -1 as the start removes the selection; an end of -1 (or past the text) means the end. The
    // start is the anchor, the end the caret.
    LRESULT OnSetSel(HWND hWnd, int nStart, int nEnd)
    {
        int nLength = static_cast<int>(Text(hWnd).size());
        if (nStart == -1) {
            m_nAnchor = m_nCaret = std::min(m_nCaret, nLength);
            return 0;
        }
        if (nEnd < 0 || nEnd > nLength)
            nEnd = nLength;
        m_nAnchor = std::clamp(nStart, 0, nLength);
        m_nCaret = nEnd;
        return 0;
    }

    LRESULT OnGetSel(WPARAM wStart, LPARAM lEnd)
    {
        if (auto* p = reinterpret_cast<DWORD*>(static_cast<uintptr_t>(wStart)); p && wStart > 0xFFFF)
            *p = static_cast<DWORD>(SelStart());
        if (auto* p = reinterpret_cast<DWORD*>(static_cast<intptr_t>(lEnd)))
            *p = static_cast<DWORD>(SelEnd());
        return MAKELONG(static_cast<WORD>(SelStart()), static_cast<WORD>(SelEnd()));
    }

    // Replaces the selection, keeping within the limit (what does not fit is dropped, EN_MAXTEXT).
    LRESULT OnReplaceSel(HWND hWnd, const char16_t* psz)
    {
        std::u16string& text = Text(hWnd);
        std::u16string strNew = psz ? psz : u"";
        const int nStart = SelStart(), nEnd = SelEnd();
        int nRoom = m_nLimit - (static_cast<int>(text.size()) - (nEnd - nStart));
        if (nRoom < static_cast<int>(strNew.size())) {
            strNew.resize(static_cast<size_t>(std::max(nRoom, 0)));
            if (!m_hLabelOwner)
                tavren::CommandParent(hWnd, EN_MAXTEXT);
        }
        bool bChanges = nEnd > nStart || !strNew.empty();
        text.replace(static_cast<size_t>(nStart), static_cast<size_t>(nEnd - nStart), strNew);
        m_nAnchor = m_nCaret = nStart + static_cast<int>(strNew.size());
        if (bChanges)
            Changed(hWnd);
        return 0;
    }

    // A single-line edit pastes the clipboard's first line.
    LRESULT OnPaste(HWND hWnd)
    {
        if (ReadOnly(hWnd))
            return 0;
        std::u16string strText = tavren::GetClipboardText();
        strText.resize(std::min(strText.find_first_of(u"\r\n"), strText.size()));
        if (!strText.empty())
            OnReplaceSel(hWnd, strText.c_str());
        return 0;
    }

    LRESULT OnChar(HWND hWnd, char16_t ch)
    {
        // The control characters of Ctrl+A, Ctrl+C, Ctrl+V and Ctrl+X.
        switch (ch) {
        case 0x01:
            m_nAnchor = 0;
            m_nCaret = static_cast<int>(Text(hWnd).size());
            return 0;
        case 0x03:
            return SendMessageW(hWnd, WM_COPY, 0, 0);
        case 0x16:
            return SendMessageW(hWnd, WM_PASTE, 0, 0);
        case 0x18:
            return SendMessageW(hWnd, WM_CUT, 0, 0);
        default:
            break;
        }
        if (ReadOnly(hWnd))
            return 0;
        if (ch == VK_BACK) {
            if (m_nAnchor == m_nCaret && m_nCaret > 0)
                m_nAnchor = m_nCaret - 1;
            return OnReplaceSel(hWnd, u"");
        }
        if (ch < 0x20)
            return 0;
        char16_t sz[2] = {ch, 0};
        return OnReplaceSel(hWnd, sz);
    }

    LRESULT OnKeyDown(HWND hWnd, WPARAM nKey)
    {
        if (m_hLabelOwner && (nKey == VK_RETURN || nKey == VK_ESCAPE)) {
            HWND hOwner = m_hLabelOwner;
            m_hLabelOwner = 0; // no second end from the focus change that follows
            SendMessageW(hOwner, tavren::LVM_TAVREN_ENDEDIT, nKey == VK_RETURN, 0);
            return 0;
        }
        int nLength = static_cast<int>(Text(hWnd).size());
        int nCaret = m_nCaret;
        switch (nKey) {
        case VK_HOME:
            nCaret = 0;
            break;
        case VK_END:
            nCaret = nLength;
            break;
        case VK_LEFT:
            nCaret = std::max(nCaret - 1, 0);
            break;
        case VK_RIGHT:
            nCaret = std::min(nCaret + 1, nLength);
            break;
        case VK_DELETE:
            if (ReadOnly(hWnd))
                return 0;
            if (m_nAnchor == m_nCaret && m_nCaret < nLength)
                m_nAnchor = m_nCaret + 1;
            return OnReplaceSel(hWnd, u"");
        default:
            return 0;
        }
        m_nCaret = nCaret;
        if (!(GetKeyState(static_cast<int>(VK_SHIFT)) & 0x8000))
            m_nAnchor = nCaret;
        return 0;
    }

    HWND m_hLabelOwner;
    int m_nLimit = kDefaultLimit;
    int m_nAnchor = 0; // where the selection began
    int m_nCaret = 0;  // where it ends: the caret
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeEditModel(HWND hLabelOwner)
{
    return std::make_unique<EditModel>(hLabelOwner);
}
} // namespace tavren

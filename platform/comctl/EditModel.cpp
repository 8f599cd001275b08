// The edit class: one line of text with a length limit, a selection, read-only state; also the
// label editor of a list view.
//
// Typing (WM_CHAR, one UTF-16 code unit each) replaces the selection at the caret, within the text
// limit and not when read-only; Backspace (WM_CHAR 8) and Delete remove the selection or the
// character before / after the caret; Home, End, Left and Right move the caret. The parent gets
// EN_UPDATE and EN_CHANGE after each change that changed the text. The caret is the selection's
// end (a selection collapses when the caret moves); a click puts it at the end of the text.
//
// Deliberately missing: multi-line editing, password characters, undo, the clipboard, extending
// the selection with Shift, characters' positions (a click cannot hit one), number-only input.
#include "platform/seam/Automation.h"
#include "platform/comctl/ControlModels.h"
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
        case WM_KEYDOWN:
            return OnKeyDown(hWnd, wParam);
        case WM_LBUTTONDOWN:
            SetFocus(hWnd);
            m_nSelStart = m_nSelEnd = static_cast<int>(Text(hWnd).size());
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
        info.nSelStart = m_nSelStart;
        info.nSelEnd = m_nSelEnd;
        info.bReadOnly = (info.dwStyle & ES_READONLY) != 0;
    }

private:
    static std::u16string& Text(HWND hWnd) { return tavren::GetWindowRecord(hWnd)->strText; }

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
        m_nSelStart = m_nSelEnd = 0;
        Changed(hWnd);
        return TRUE;
    }

    // -1 as the start removes the selection; an end of -1 (or past the text) means the end.
    LRESULT OnSetSel(HWND hWnd, int nStart, int nEnd)
    {
        int nLength = static_cast<int>(Text(hWnd).size());
        if (nStart == -1) {
            m_nSelStart = m_nSelEnd = std::min(m_nSelEnd, nLength);
            return 0;
        }
        if (nEnd < 0 || nEnd > nLength)
            nEnd = nLength;
        nStart = std::clamp(nStart, 0, nLength);
        m_nSelStart = std::min(nStart, nEnd);
        m_nSelEnd = std::max(nStart, nEnd);
        return 0;
    }

    LRESULT OnGetSel(WPARAM wStart, LPARAM lEnd)
    {
        if (auto* p = reinterpret_cast<DWORD*>(static_cast<uintptr_t>(wStart)); p && wStart > 0xFFFF)
            *p = static_cast<DWORD>(m_nSelStart);
        if (auto* p = reinterpret_cast<DWORD*>(static_cast<intptr_t>(lEnd)))
            *p = static_cast<DWORD>(m_nSelEnd);
        return MAKELONG(static_cast<WORD>(m_nSelStart), static_cast<WORD>(m_nSelEnd));
    }

    // Replaces the selection, keeping within the limit (what does not fit is dropped, EN_MAXTEXT).
    LRESULT OnReplaceSel(HWND hWnd, const char16_t* psz)
    {
        std::u16string& text = Text(hWnd);
        std::u16string strNew = psz ? psz : u"";
        int nRoom = m_nLimit - (static_cast<int>(text.size()) - (m_nSelEnd - m_nSelStart));
        if (nRoom < static_cast<int>(strNew.size())) {
            strNew.resize(static_cast<size_t>(std::max(nRoom, 0)));
            if (!m_hLabelOwner)
                tavren::CommandParent(hWnd, EN_MAXTEXT);
        }
        bool bChanges = m_nSelEnd > m_nSelStart || !strNew.empty();
        text.replace(static_cast<size_t>(m_nSelStart), static_cast<size_t>(m_nSelEnd - m_nSelStart), strNew);
        m_nSelStart = m_nSelEnd = m_nSelStart + static_cast<int>(strNew.size());
        if (bChanges)
            Changed(hWnd);
        return 0;
    }

    LRESULT OnChar(HWND hWnd, char16_t ch)
    {
        if (GetWindowLongW(hWnd, GWL_STYLE) & ES_READONLY)
            return 0;
        if (ch == VK_BACK) {
            if (m_nSelStart == m_nSelEnd && m_nSelStart > 0)
                --m_nSelStart;
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
        int nCaret = m_nSelEnd;
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
            if (GetWindowLongW(hWnd, GWL_STYLE) & ES_READONLY)
                return 0;
            if (m_nSelStart == m_nSelEnd && m_nSelEnd < nLength)
                ++m_nSelEnd;
            return OnReplaceSel(hWnd, u"");
        default:
            return 0;
        }
        m_nSelStart = m_nSelEnd = nCaret;
        return 0;
    }

    HWND m_hLabelOwner;
    int m_nLimit = kDefaultLimit;
    int m_nSelStart = 0;
    int m_nSelEnd = 0;
};

} // namespace

namespace tavren {
std::unique_ptr<WindowModel> MakeEditModel(HWND hLabelOwner)
{
    return std::make_unique<EditModel>(hLabelOwner);
}
} // namespace tavren

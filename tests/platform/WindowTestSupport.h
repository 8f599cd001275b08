// Helpers of the window-system tests: dialogs made from templates in code, run with the scripted
// user under the shared watchdog (tests/support).
#pragma once

#include "tests/support/MessagePump.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/Watchdog.h"

#include "platform/afx/Dialog.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Resource.h"
#include "platform/user/WindowManager.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace wintest {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;
using Items = std::vector<tavren::DialogItemTemplate>;
inline const Items kNoItems;
using tavren::test::Watchdog;

// A dialog on a template of its own; Create() makes its window at once, for tests that call the
// controls directly (it is destroyed with the object).
class CTestDlg : public CDialog {
public:
    tavren::DialogTemplate m_tmpl;
    // items must outlive the dialog.
    CTestDlg(const char16_t* pszCaption, short cx, short cy, const Items& items = kNoItems)
        : m_tmpl{0, pszCaption, kDialogStyle, 0, 0, 0, cx, cy, u"MS Shell Dlg", 8, 0, 0, 0, items.data(), static_cast<UINT>(items.size())}
    {
        SetTemplate(&m_tmpl);
    }
    void Create() { tavren::CreateDialogWindow(m_tmpl, 0, this, 0); }
    ~CTestDlg() override
    {
        if (m_hWnd)
            DestroyWindow();
    }
};

// Runs dlg modally while the script plays the person; answers DoModal's result.
inline INT_PTR RunWithUser(CDialog& dlg, const tavren::ScriptedUser::Script& script)
{
    Watchdog watchdog;
    tavren::ScriptedUser user(script);
    const INT_PTR nResult = dlg.DoModal();
    EXPECT_TRUE(user.Finish()) << user.Report();
    return nResult;
}

inline bool PumpUntil(const std::function<bool()>& pred) { return tavren::test::PumpMessagesUntil(pred); }

} // namespace wintest

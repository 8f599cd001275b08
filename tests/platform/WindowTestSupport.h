// Helpers of the window-system tests: small dialog templates made in code. The watchdog and the
// message pump are the shared ones of tests/support (include those headers in new tests).
#pragma once

#include "tests/support/MessagePump.h"
#include "tests/support/Watchdog.h"

#include "platform/afx/Dialog.h"
#include "platform/kernel/Handle.h"
#include "platform/user/Resource.h"
#include "platform/user/WindowManager.h"

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace wintest {

constexpr DWORD kDialogStyle = WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT;
constexpr DWORD kChild = WS_CHILD | WS_VISIBLE;

inline tavren::DialogTemplate MakeTemplate(const char16_t* pszCaption, short cx, short cy,
                                           const std::vector<tavren::DialogItemTemplate>& items)
{
    tavren::DialogTemplate t{};
    t.nId = 0;
    t.pszCaption = pszCaption;
    t.dwStyle = kDialogStyle;
    t.cx = cx;
    t.cy = cy;
    t.pszFontName = u"MS Shell Dlg";
    t.wFontSize = 8;
    t.pItems = items.data();
    t.nItems = static_cast<UINT>(items.size());
    return t;
}

// The shared ones under their old names.
using Watchdog = tavren::test::Watchdog;

inline bool PumpUntil(const std::function<bool()>& pred, DWORD dwTimeout = 10000)
{
    return tavren::test::PumpMessagesUntil(pred, dwTimeout);
}

} // namespace wintest

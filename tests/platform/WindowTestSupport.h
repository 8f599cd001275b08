// Helpers for the window-system tests: small dialog templates and a message pump with a time-out.
#pragma once

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

// Pumps the calling thread's messages until pred holds; false when dwTimeout passed first.
inline bool PumpUntil(const std::function<bool()>& pred, DWORD dwTimeout = 10000)
{
    tavren::Deadline deadline(dwTimeout);
    while (!pred()) {
        if (deadline.Passed())
            return false;
        MSG msg;
        while (PeekMessageW(&msg, 0, 0, 0, PM_REMOVE))
            DispatchMessageW(&msg);
        Sleep(1);
    }
    return true;
}

// Ends every dialog left open after dwTimeout (with -99), so a broken modal loop fails its test
// instead of hanging the run.
class Watchdog {
public:
    explicit Watchdog(DWORD dwTimeout = 15000)
        : m_thread([this, dwTimeout] {
              std::unique_lock<std::mutex> lock(m_mutex);
              if (m_cv.wait_for(lock, std::chrono::milliseconds(dwTimeout), [this] { return m_bStop; }))
                  return;
              lock.unlock();
              for (int nRound = 0; nRound < 50; ++nRound) {
                  for (HWND h : tavren::TopLevelWindows())
                      tavren::RunOnWindowThread(h, [h] { EndDialog(h, -99); }, 1000);
                  Sleep(20);
              }
          })
    {
    }
    ~Watchdog()
    {
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            m_bStop = true;
        }
        m_cv.notify_all();
        m_thread.join();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_cv;
    bool m_bStop = false;
    std::thread m_thread;
};

} // namespace wintest

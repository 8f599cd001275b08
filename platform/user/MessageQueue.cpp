// The per-thread message queues: sent messages, posted messages, timers.
#include "platform/kernel/Handle.h"
#include "platform/user/DoubleClick.h"
#include "platform/kernel/WinThread.h"
#include "platform/user/WindowManager.h"
#include "platform/user/PrivateMessages.h"

#include <algorithm>
#include <atomic>
#include <bitset>
#include <chrono>
#include <cstdlib>
#include <deque>
#include <unordered_map>

namespace {

using Clock = std::chrono::steady_clock;

struct SentMessage {
    HWND hWnd;
    UINT nMsg;
    WPARAM wParam;
    LPARAM lParam;
    LRESULT lResult = 0;
    bool bDone = false;
    bool bCancelled = false;     // the window went before it was handled
    std::shared_ptr<void> pKeep; // what lParam points to, when the sender may stop waiting
};

struct Timer {
    HWND hWnd;
    UINT_PTR nId;
    UINT nElapse;
    TIMERPROC pfn;
    Clock::time_point due;
};

// Everything under the dispatcher lock.
struct ThreadQueue {
    std::deque<std::shared_ptr<SentMessage>> sent;
    std::deque<MSG> posted;
    std::vector<Timer> timers;
    bool bQuit = false;
    int nQuitCode = 0;
    bool bDead = false;
    UINT_PTR nNextTimerId = 0x7FFF;
};

std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>& Queues()
{
    static auto* pQueues = new std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>>;
    return *pQueues;
}

thread_local int t_nInSend = 0;
// Where the cursor was when the last message this thread took was posted (GetMessagePos).
thread_local DWORD t_dwLastMessagePos = 0;
// Which keys are down, as the key messages this thread took tell (GetKeyState).
thread_local std::bitset<256> t_keysDown;

void NoteKey(const MSG& msg)
{
    bool bDown = msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN;
    if ((bDown || msg.message == WM_KEYUP || msg.message == WM_SYSKEYUP) && msg.wParam < t_keysDown.size())
        t_keysDown[msg.wParam] = bDown;
}

// The one cursor of the process, x in the low word and y in the high word; it starts in the
// middle of the screen.
std::atomic<DWORD> g_dwCursor{MAKELONG(tavren::kScreenWidth / 2, tavren::kScreenHeight / 2)};

POINT CursorPoint()
{
    DWORD dw = g_dwCursor.load();
    return POINT{static_cast<SHORT>(LOWORD(dw)), static_cast<SHORT>(HIWORD(dw))};
}

// Fills the message's time and cursor position as the queue does when it is posted.
MSG Stamped(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam)
{
    return MSG{hWnd, nMsg, wParam, lParam, GetTickCount(), CursorPoint()};
}

// Under the dispatcher lock. Null for a thread that has ended.
std::shared_ptr<ThreadQueue> QueueOf(DWORD dwThreadId)
{
    auto& queues = Queues();
    auto it = queues.find(dwThreadId);
    if (it != queues.end())
        return it->second->bDead ? nullptr : it->second;
    auto p = std::make_shared<ThreadQueue>();
    queues.emplace(dwThreadId, p);
    return p;
}

// Ends the queue with its thread: its windows are destroyed, as Windows does when a thread
// ends, and senders still waiting get 0. The entry stays, marked dead, so that a late sender
// finds it ended instead of making a new queue nobody reads.
struct QueueGuard {
    ~QueueGuard()
    {
        if (!dwThreadId)
            return;
        for (HWND h : tavren::TopLevelWindows(dwThreadId))
            DestroyWindow(h);
        {
            std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
            auto& queues = Queues();
            auto it = queues.find(dwThreadId);
            if (it != queues.end()) {
                for (auto& p : it->second->sent)
                    p->bDone = true;
                it->second->bDead = true;
                it->second->sent.clear();
                it->second->posted.clear();
                it->second->timers.clear();
            }
        }
        tavren::WakeWaiters();
    }
    DWORD dwThreadId = 0;
};
thread_local QueueGuard t_queueGuard;

std::shared_ptr<ThreadQueue> MyQueue()
{
    DWORD id = GetCurrentThreadId();
    t_queueGuard.dwThreadId = id;
    return QueueOf(id);
}

void Deliver(const std::shared_ptr<SentMessage>& pSent)
{
    ++t_nInSend;
    LRESULT lResult = tavren::CallWindow(pSent->hWnd, pSent->nMsg, pSent->wParam, pSent->lParam);
    --t_nInSend;
    {
        std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
        pSent->lResult = lResult;
        pSent->bDone = true;
    }
    tavren::WakeWaiters();
}

// Handles every message other threads have sent to this one. Lock held on entry and exit.
void DeliverSent(std::unique_lock<std::mutex>& lock, ThreadQueue& queue)
{
    while (!queue.sent.empty()) {
        auto pSent = queue.sent.front();
        queue.sent.pop_front();
        lock.unlock();
        Deliver(pSent);
        lock.lock();
    }
}

bool PostTo(DWORD dwThreadId, const MSG& msg)
{
    {
        std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
        auto pQueue = QueueOf(dwThreadId);
        if (!pQueue)
            return false;
        pQueue->posted.push_back(msg);
    }
    tavren::WakeWaiters();
    return true;
}

// Looks for the next message; waits when bWait. Lock held throughout except while handling
// sent messages. False when nothing came (only without bWait).
bool NextMessage(MSG* pMsg, bool bWait, bool bRemove)
{
    std::unique_lock<std::mutex> lock(tavren::DispatcherLock());
    auto pQueue = MyQueue();
    for (;;) {
        DeliverSent(lock, *pQueue);
        if (!pQueue->posted.empty()) {
            *pMsg = pQueue->posted.front();
            if (bRemove) {
                pQueue->posted.pop_front();
                t_dwLastMessagePos = MAKELONG(static_cast<WORD>(pMsg->pt.x), static_cast<WORD>(pMsg->pt.y));
                NoteKey(*pMsg);
            }
            return true;
        }
        // Messages made when asked for (quit, timers) carry the cursor of that moment.
        if (pQueue->bQuit) {
            *pMsg = Stamped(0, WM_QUIT, static_cast<WPARAM>(pQueue->nQuitCode), 0);
            if (bRemove)
                pQueue->bQuit = false;
            return true;
        }
        // Timers come only when nothing is posted, the earliest due first.
        Clock::time_point now = Clock::now();
        Timer* pNext = nullptr;
        for (auto& timer : pQueue->timers)
            if (!pNext || timer.due < pNext->due)
                pNext = &timer;
        if (pNext && pNext->due <= now) {
            *pMsg = Stamped(pNext->hWnd, WM_TIMER, static_cast<WPARAM>(pNext->nId),
                            static_cast<LPARAM>(reinterpret_cast<intptr_t>(pNext->pfn)));
            if (bRemove) {
                pNext->due = now + std::chrono::milliseconds(pNext->nElapse);
                t_dwLastMessagePos = MAKELONG(static_cast<WORD>(pMsg->pt.x), static_cast<WORD>(pMsg->pt.y));
            }
            return true;
        }
        if (!bWait)
            return false;
        if (pNext)
            tavren::DispatcherWake().wait_until(lock, pNext->due);
        else
            tavren::DispatcherWake().wait(lock);
    }
}

} // namespace

namespace {

// The sender's side of SendMessage; false when the deadline passed first.
bool SendAndWait(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam, DWORD dwTimeout, LRESULT* plResult,
                 std::shared_ptr<void> pKeep)
{
    *plResult = 0;
    DWORD dwOwner = tavren::WindowThread(hWnd);
    if (dwOwner == 0)
        return false;
    if (dwOwner == GetCurrentThreadId()) {
        *plResult = tavren::CallWindow(hWnd, Msg, wParam, lParam);
        return true;
    }
    auto pSent = std::make_shared<SentMessage>(SentMessage{hWnd, Msg, wParam, lParam, 0, false, false, std::move(pKeep)});
    tavren::Deadline deadline(dwTimeout);
    std::unique_lock<std::mutex> lock(tavren::DispatcherLock());
    auto pTarget = QueueOf(dwOwner);
    if (!pTarget)
        return false;
    pTarget->sent.push_back(pSent);
    tavren::WakeWaiters();
    auto pMine = MyQueue();
    // While waiting, answer what others send to us: the owner may be sending to us right now.
    while (!pSent->bDone) {
        if (!pMine->sent.empty()) {
            DeliverSent(lock, *pMine);
            continue;
        }
        if (deadline.Passed()) {
            std::erase(pTarget->sent, pSent); // not taken yet: it never runs
            return false;
        }
        deadline.WaitUntil(lock);
    }
    *plResult = pSent->lResult;
    return !pSent->bCancelled;
}

} // namespace

LRESULT SendMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    LRESULT lResult;
    SendAndWait(hWnd, Msg, wParam, lParam, INFINITE, &lResult, nullptr);
    return lResult;
}

namespace tavren {

bool SendMessageTimeout(HWND hWnd, UINT nMsg, WPARAM wParam, LPARAM lParam, DWORD dwTimeout, LRESULT* plResult)
{
    LRESULT lResult;
    bool bDone = SendAndWait(hWnd, nMsg, wParam, lParam, dwTimeout, &lResult, nullptr);
    if (plResult)
        *plResult = lResult;
    return bDone;
}

bool RunOnWindowThread(HWND hWnd, std::function<void()> fn, DWORD dwTimeout)
{
    auto pFn = std::make_shared<std::function<void()>>(std::move(fn));
    LRESULT lResult;
    LPARAM lParam = static_cast<LPARAM>(reinterpret_cast<intptr_t>(pFn.get()));
    return SendAndWait(hWnd, WM_TAVREN_RUN, 0, lParam, dwTimeout, &lResult, pFn);
}

} // namespace tavren

BOOL PostMessageW(HWND hWnd, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    DWORD dwOwner = hWnd ? tavren::WindowThread(hWnd) : GetCurrentThreadId();
    if (dwOwner == 0)
        return FALSE;
    return PostTo(dwOwner, Stamped(hWnd, Msg, wParam, lParam));
}

BOOL PostThreadMessageW(DWORD idThread, UINT Msg, WPARAM wParam, LPARAM lParam)
{
    return PostTo(idThread, Stamped(0, Msg, wParam, lParam));
}

BOOL GetCursorPos(POINT* lpPoint)
{
    if (!lpPoint)
        return FALSE;
    *lpPoint = CursorPoint();
    return TRUE;
}

BOOL SetCursorPos(int X, int Y)
{
    // Kept on the screen, as the real cursor is.
    X = std::clamp(X, 0, tavren::kScreenWidth - 1);
    Y = std::clamp(Y, 0, tavren::kScreenHeight - 1);
    g_dwCursor = MAKELONG(static_cast<WORD>(X), static_cast<WORD>(Y));
    return TRUE;
}

SHORT GetKeyState(int nVirtKey)
{
    if (nVirtKey < 0 || nVirtKey >= static_cast<int>(t_keysDown.size()))
        return 0;
    return t_keysDown[static_cast<size_t>(nVirtKey)] ? static_cast<SHORT>(0x8000) : 0;
}

DWORD GetMessagePos()
{
    return t_dwLastMessagePos;
}

void PostQuitMessage(int nExitCode)
{
    {
        std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
        auto pQueue = MyQueue();
        pQueue->bQuit = true;
        pQueue->nQuitCode = nExitCode;
    }
    tavren::WakeWaiters();
}

BOOL GetMessageW(LPMSG lpMsg, HWND, UINT, UINT)
{
    NextMessage(lpMsg, true, true);
    return lpMsg->message != WM_QUIT;
}

BOOL PeekMessageW(LPMSG lpMsg, HWND, UINT, UINT, UINT wRemoveMsg)
{
    return NextMessage(lpMsg, false, (wRemoveMsg & PM_REMOVE) != 0);
}

BOOL TranslateMessage(const MSG*)
{
    return FALSE; // actions arrive as WM_CHAR already; there is no keyboard layout to translate
}

LRESULT DispatchMessageW(const MSG* lpMsg)
{
    if (lpMsg->message == WM_TIMER && lpMsg->lParam != 0) {
        auto pfn = reinterpret_cast<TIMERPROC>(static_cast<intptr_t>(lpMsg->lParam));
        pfn(lpMsg->hwnd, WM_TIMER, static_cast<UINT_PTR>(lpMsg->wParam), GetTickCount());
        return 0;
    }
    if (!lpMsg->hwnd)
        return 0;
    return tavren::CallWindow(lpMsg->hwnd, lpMsg->message, lpMsg->wParam, lpMsg->lParam);
}

BOOL InSendMessage()
{
    return t_nInSend > 0;
}

UINT GetDoubleClickTime()
{
    const char* psz = std::getenv("TAVREN_DOUBLE_CLICK_MS");
    const int n = psz ? std::atoi(psz) : 0;
    return n > 0 && n <= 5000 ? static_cast<UINT>(n) : 500;
}

UINT_PTR SetTimer(HWND hWnd, UINT_PTR nIDEvent, UINT uElapse, TIMERPROC lpTimerFunc)
{
    if (hWnd && tavren::WindowThread(hWnd) != GetCurrentThreadId())
        return 0;
    if (uElapse < 1)
        uElapse = 1;
    std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
    auto pQueue = MyQueue();
    if (!hWnd)
        nIDEvent = ++pQueue->nNextTimerId;
    Timer timer{hWnd, nIDEvent, uElapse, lpTimerFunc, Clock::now() + std::chrono::milliseconds(uElapse)};
    for (auto& t : pQueue->timers) {
        if (t.hWnd == hWnd && t.nId == nIDEvent) {
            t = timer; // setting a timer again restarts it
            return hWnd ? nIDEvent : t.nId;
        }
    }
    pQueue->timers.push_back(timer);
    return hWnd ? (nIDEvent ? nIDEvent : 1) : nIDEvent;
}

BOOL KillTimer(HWND hWnd, UINT_PTR uIDEvent)
{
    std::lock_guard<std::mutex> lock(tavren::DispatcherLock());
    auto pQueue = MyQueue();
    auto& timers = pQueue->timers;
    for (auto it = timers.begin(); it != timers.end(); ++it) {
        if (it->hWnd == hWnd && it->nId == uIDEvent) {
            timers.erase(it);
            // A WM_TIMER already taken is not recalled; posted ones do not exist (they are made
            // when asked for), so none arrives after this.
            return TRUE;
        }
    }
    return FALSE;
}

namespace tavren {
// Answers (with 0, unhandled) what other threads sent to a window being destroyed, so that they
// stop waiting for a window that will never handle it.
void CancelSentTo(HWND hWnd)
{
    {
        std::lock_guard<std::mutex> lock(DispatcherLock());
        auto pQueue = MyQueue();
        std::erase_if(pQueue->sent, [hWnd](const std::shared_ptr<SentMessage>& p) {
            if (p->hWnd != hWnd)
                return false;
            p->bCancelled = true;
            p->bDone = true;
            return true;
        });
    }
    WakeWaiters();
}

// Drops the timers of a window being destroyed (called on its thread).
void KillWindowTimers(HWND hWnd)
{
    std::lock_guard<std::mutex> lock(DispatcherLock());
    auto pQueue = MyQueue();
    std::erase_if(pQueue->timers, [hWnd](const Timer& t) { return t.hWnd == hWnd; });
}
} // namespace tavren

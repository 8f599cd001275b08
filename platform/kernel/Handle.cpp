#include "platform/kernel/Handle.h"

#include "platform/base/WinError.h"

#include <thread>
#include <unordered_map>
#include <vector>

namespace {

struct HandleTable {
    std::mutex mutex;
    std::unordered_map<HANDLE, std::shared_ptr<tavren::HandleObject>> objects;
    HANDLE hNext = 0x100;
};

HandleTable& Table()
{
    static HandleTable* pTable = new HandleTable; // never destroyed: threads may outlive statics
    return *pTable;
}

} // namespace

namespace tavren {

std::mutex& DispatcherLock()
{
    static std::mutex* pMutex = new std::mutex;
    return *pMutex;
}

std::condition_variable& DispatcherWake()
{
    static std::condition_variable* pCv = new std::condition_variable;
    return *pCv;
}

void WakeWaiters()
{
    DispatcherWake().notify_all();
}

Deadline::Deadline(DWORD dwMilliseconds)
    : m_bInfinite(dwMilliseconds == INFINITE),
      m_at(std::chrono::steady_clock::now() + std::chrono::milliseconds(dwMilliseconds == INFINITE ? 0 : dwMilliseconds))
{
}

bool Deadline::Passed() const
{
    return !m_bInfinite && std::chrono::steady_clock::now() >= m_at;
}

bool Deadline::WaitUntil(std::unique_lock<std::mutex>& lock) const
{
    if (m_bInfinite) {
        DispatcherWake().wait(lock);
        return true;
    }
    return DispatcherWake().wait_until(lock, m_at) == std::cv_status::no_timeout || !Passed();
}

HANDLE AllocHandle(std::shared_ptr<HandleObject> pObject)
{
    if (!pObject)
        return 0;
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    for (;;) {
        HANDLE h = table.hNext;
        table.hNext += 4;
        if (table.hNext >= 0x10000000u)
            table.hNext = 0x100; // wrapped: reuse values no longer in the table
        if (!table.objects.count(h)) {
            table.objects.emplace(h, std::move(pObject));
            return h;
        }
    }
}

std::shared_ptr<HandleObject> LookupHandle(HANDLE hHandle)
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    auto it = table.objects.find(hHandle);
    return it == table.objects.end() ? nullptr : it->second;
}

size_t CountHandles()
{
    HandleTable& table = Table();
    std::lock_guard<std::mutex> lock(table.mutex);
    return table.objects.size();
}

} // namespace tavren

BOOL CloseHandle(HANDLE hObject)
{
    std::shared_ptr<tavren::HandleObject> pObject;
    {
        HandleTable& table = Table();
        std::lock_guard<std::mutex> lock(table.mutex);
        auto it = table.objects.find(hObject);
        if (it == table.objects.end()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return FALSE;
        }
        pObject = std::move(it->second);
        table.objects.erase(it);
    }
    // No wake: closing changes no signalled state (a wait keeps its object), and every drawing
    // object goes this way, so a wake here would stir every waiting thread for each one.
    return pObject->Close() ? TRUE : FALSE;
}

DWORD WaitForMultipleObjects(DWORD nCount, const HANDLE* lpHandles, BOOL bWaitAll, DWORD dwMilliseconds)
{
    if (nCount == 0 || nCount > MAXIMUM_WAIT_OBJECTS || !lpHandles) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return WAIT_FAILED;
    }
    // The wait holds its own references: a handle closed meanwhile keeps its object alive here.
    std::vector<std::shared_ptr<tavren::HandleObject>> objects;
    for (DWORD i = 0; i < nCount; ++i) {
        objects.push_back(tavren::LookupHandle(lpHandles[i]));
        if (!objects.back()) {
            SetLastError(ERROR_INVALID_HANDLE);
            return WAIT_FAILED;
        }
    }
    tavren::Deadline deadline(dwMilliseconds);
    std::unique_lock<std::mutex> lock(tavren::DispatcherLock());
    for (;;) {
        if (bWaitAll) {
            bool bAll = true;
            for (auto& p : objects)
                bAll = bAll && p->IsSignaled();
            if (bAll) {
                for (auto& p : objects)
                    p->Acquire();
                return WAIT_OBJECT_0;
            }
        } else {
            for (DWORD i = 0; i < nCount; ++i) {
                if (objects[i]->IsSignaled()) {
                    objects[i]->Acquire(); // the lowest signalled index wins, as on Windows
                    return WAIT_OBJECT_0 + i;
                }
            }
        }
        if (dwMilliseconds == 0 || deadline.Passed())
            return WAIT_TIMEOUT;
        deadline.WaitUntil(lock);
    }
}

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    return WaitForMultipleObjects(1, &hHandle, FALSE, dwMilliseconds);
}

void Sleep(DWORD dwMilliseconds)
{
    if (dwMilliseconds == 0)
        std::this_thread::yield();
    else
        std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

DWORD GetTickCount()
{
    auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<DWORD>(ms.count());
}

#include "platform/user/Dbt.h"

#include "platform/kernel/Handle.h"
#include "platform/user/WindowManager.h"

#include <cstring>

namespace {

class DeviceNotifyObject : public tavren::HandleObject {
public:
    HWND hRecipient = 0;
    bool bAllClasses = false;
    GUID classGuid{};
};

std::mutex& RegistryLock()
{
    static auto* p = new std::mutex;
    return *p;
}

std::vector<HDEVNOTIFY>& Registrations()
{
    static auto* p = new std::vector<HDEVNOTIFY>;
    return *p;
}

// Sends one message to a window with a private copy of the structure, which lives until the
// handler is done even if the sender stops waiting.
void SendCopy(HWND hWnd, UINT nEvent, const DEV_BROADCAST_HDR* pHeader)
{
    std::shared_ptr<std::vector<uint8_t>> pCopy;
    if (pHeader) {
        size_t nSize = std::max<size_t>(pHeader->dbch_size, sizeof(DEV_BROADCAST_HDR));
        pCopy = std::make_shared<std::vector<uint8_t>>(nSize + sizeof(char16_t)); // a name stays terminated
        std::memcpy(pCopy->data(), pHeader, nSize);
    }
    tavren::RunOnWindowThread(
        hWnd,
        [hWnd, nEvent, pCopy] {
            LPARAM l = pCopy ? static_cast<LPARAM>(reinterpret_cast<intptr_t>(pCopy->data())) : 0;
            SendMessageW(hWnd, WM_DEVICECHANGE, nEvent, l);
        },
        5000);
}

} // namespace

HDEVNOTIFY RegisterDeviceNotificationW(HANDLE hRecipient, const void* NotificationFilter, DWORD Flags)
{
    if (!IsWindow(hRecipient) || !NotificationFilter)
        return 0;
    auto p = std::make_shared<DeviceNotifyObject>();
    p->hRecipient = hRecipient;
    p->bAllClasses = (Flags & DEVICE_NOTIFY_ALL_INTERFACE_CLASSES) != 0;
    auto* pHeader = static_cast<const DEV_BROADCAST_HDR*>(NotificationFilter);
    if (pHeader->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE && pHeader->dbch_size >= offsetof(DEV_BROADCAST_DEVICEINTERFACE_W, dbcc_name))
        p->classGuid = static_cast<const DEV_BROADCAST_DEVICEINTERFACE_W*>(NotificationFilter)->dbcc_classguid;
    HDEVNOTIFY h = tavren::AllocHandle(p);
    std::lock_guard<std::mutex> lock(RegistryLock());
    Registrations().push_back(h);
    return h;
}

BOOL UnregisterDeviceNotification(HDEVNOTIFY Handle)
{
    if (!tavren::LookupHandleAs<DeviceNotifyObject>(Handle))
        return FALSE;
    {
        std::lock_guard<std::mutex> lock(RegistryLock());
        std::erase(Registrations(), Handle);
    }
    return CloseHandle(Handle);
}

namespace tavren {

void BroadcastDeviceChange(UINT nEvent, const DEV_BROADCAST_HDR* pHeader)
{
    for (HWND h : TopLevelWindows())
        SendCopy(h, nEvent, pHeader);
}

void NotifyDeviceInterface(UINT nEvent, const DEV_BROADCAST_DEVICEINTERFACE_W* pInterface)
{
    std::vector<HWND> recipients;
    {
        std::lock_guard<std::mutex> lock(RegistryLock());
        for (HDEVNOTIFY h : Registrations()) {
            auto p = LookupHandleAs<DeviceNotifyObject>(h);
            if (p && (p->bAllClasses || !pInterface || p->classGuid == pInterface->dbcc_classguid))
                recipients.push_back(p->hRecipient);
        }
    }
    for (HWND h : recipients)
        SendCopy(h, nEvent, reinterpret_cast<const DEV_BROADCAST_HDR*>(pInterface));
}

std::vector<HWND> DeviceNotificationRecipients()
{
    std::vector<HWND> result;
    std::lock_guard<std::mutex> lock(RegistryLock());
    for (HDEVNOTIFY h : Registrations())
        if (auto p = LookupHandleAs<DeviceNotifyObject>(h))
            result.push_back(p->hRecipient);
    return result;
}

} // namespace tavren

// Device-change broadcasts (WM_DEVICECHANGE) and device notifications.
//
// Volume arrival and removal go to every top-level window (BroadcastDeviceChange, as Windows
// broadcasts them; the drive watcher uses it). Device-interface events go only to the windows
// that registered for them with RegisterDeviceNotification (NotifyDeviceInterface; the machine
// link uses it when the machine comes or goes). Each window gets the message on its own thread,
// with a pointer to a copy of the broadcast structure that is valid during the call.
//
// Deliberately missing: handle notifications (DBT_DEVTYP_HANDLE), query-remove vetoes, service
// recipients, DEVICE_NOTIFY_ALL_INTERFACE_CLASSES filtering beyond "all".
#pragma once

#include "platform/user/WinUser.h"

#include <algorithm>
#include <iterator>
#include <vector>

constexpr UINT DBT_DEVNODES_CHANGED = 0x0007;
constexpr UINT DBT_DEVICEARRIVAL = 0x8000;
constexpr UINT DBT_DEVICEQUERYREMOVE = 0x8001;
constexpr UINT DBT_DEVICEREMOVECOMPLETE = 0x8004;
constexpr DWORD DBT_DEVTYP_OEM = 0;
constexpr DWORD DBT_DEVTYP_VOLUME = 2;
constexpr DWORD DBT_DEVTYP_PORT = 3;
constexpr DWORD DBT_DEVTYP_DEVICEINTERFACE = 5;
constexpr WORD DBTF_MEDIA = 0x0001;
constexpr WORD DBTF_NET = 0x0002;
constexpr DWORD DEVICE_NOTIFY_WINDOW_HANDLE = 0;
constexpr DWORD DEVICE_NOTIFY_ALL_INTERFACE_CLASSES = 4;

struct GUID {
    uint32_t Data1;
    uint16_t Data2;
    uint16_t Data3;
    uint8_t Data4[8];
    friend bool operator==(const GUID& a, const GUID& b)
    {
        return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
               std::equal(std::begin(a.Data4), std::end(a.Data4), std::begin(b.Data4));
    }
};

struct DEV_BROADCAST_HDR {
    DWORD dbch_size;
    DWORD dbch_devicetype;
    DWORD dbch_reserved;
};
using PDEV_BROADCAST_HDR = DEV_BROADCAST_HDR*;

struct DEV_BROADCAST_VOLUME {
    DWORD dbcv_size;
    DWORD dbcv_devicetype;
    DWORD dbcv_reserved;
    DWORD dbcv_unitmask;   // bit 0 = A:, bit 4 = E: ...
    WORD dbcv_flags;
};
using PDEV_BROADCAST_VOLUME = DEV_BROADCAST_VOLUME*;

struct DEV_BROADCAST_DEVICEINTERFACE_W {
    DWORD dbcc_size;
    DWORD dbcc_devicetype;
    DWORD dbcc_reserved;
    GUID dbcc_classguid;
    char16_t dbcc_name[1];
};
using DEV_BROADCAST_DEVICEINTERFACE = DEV_BROADCAST_DEVICEINTERFACE_W;

// Registers hRecipient (a window) for the device-interface events of the class in the filter
// (a DEV_BROADCAST_DEVICEINTERFACE), or of all classes with DEVICE_NOTIFY_ALL_INTERFACE_CLASSES.
HDEVNOTIFY RegisterDeviceNotificationW(HANDLE hRecipient, const void* NotificationFilter, DWORD Flags);
inline HDEVNOTIFY RegisterDeviceNotification(HANDLE hRecipient, const void* NotificationFilter, DWORD Flags)
{
    return RegisterDeviceNotificationW(hRecipient, NotificationFilter, Flags);
}
BOOL UnregisterDeviceNotification(HDEVNOTIFY Handle);

namespace tavren {
// Sends WM_DEVICECHANGE (nEvent, copy of the structure) to every top-level window; a window whose
// thread does not answer within 5 seconds is skipped, as Windows' broadcast does. Call it from
// any thread (on a UI thread, its own windows get the message at once). pHeader->dbch_size bytes
// are copied.
void BroadcastDeviceChange(UINT nEvent, const DEV_BROADCAST_HDR* pHeader);
// Sends WM_DEVICECHANGE to the windows registered for the interface class of pInterface.
void NotifyDeviceInterface(UINT nEvent, const DEV_BROADCAST_DEVICEINTERFACE_W* pInterface);
// The windows registered now (for tests).
std::vector<HWND> DeviceNotificationRecipients();
} // namespace tavren

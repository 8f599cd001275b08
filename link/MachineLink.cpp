#include "link/MachineLink.h"

#include "platform/afx/CriticalSection.h"
#include "platform/kernel/Library.h"

namespace {

// Held while the table is filled or emptied: the user-interface thread and the communication
// thread may both find it empty at once.
class CLoadLock {
public:
    CLoadLock() { Section().Lock(); }
    ~CLoadLock() { Section().Unlock(); }

private:
    static CCriticalSection& Section()
    {
        static CCriticalSection section;
        return section;
    }
};

template <typename Pfn>
void Bind(HMODULE h, const char* name, Pfn& slot)
{
    slot = reinterpret_cast<Pfn>(GetProcAddress(h, name));
}
} // namespace

CMachineLink& MachineLink()
{
    static CMachineLink link;
    return link;
}

void CMachineLink::Clear()
{
    const CLoadLock lock;
    m_hModule = 0;
    m_pfnRegisterMachineDeviceNotification = nullptr;
    m_pfnGetConnectedDevice = nullptr;
    m_pfnGetMachineType = nullptr;
    m_pfnGetStatus = nullptr;
    m_pfnUploadList = nullptr;
    m_pfnDownloadFile = nullptr;
    m_pfnUploadFile = nullptr;
    m_pfnEraseFile = nullptr;
    m_pfnRenameFile = nullptr;
    m_pfnSelectFile = nullptr;
    m_pfnCreateFolder = nullptr;
    m_pfnRenameFolder = nullptr;
    m_pfnDeleteFolder = nullptr;
    m_pfnUploadDesign = nullptr;
    m_pfnGlobalHeapFree = nullptr;
}

bool LoadMachineLink()
{
    const CLoadLock lock;
    CMachineLink& t = MachineLink();
    if (t.m_hModule.load() != 0)
        return true;
    HMODULE h = LoadLibraryW(u"Quorvel.dll");
    if (!h)
        return false;
    Bind(h, "RegisterMachineDeviceNotification", t.m_pfnRegisterMachineDeviceNotification);
    Bind(h, "GetConnectedDevice", t.m_pfnGetConnectedDevice);
    Bind(h, "GetMachineType", t.m_pfnGetMachineType);
    Bind(h, "GetStatus", t.m_pfnGetStatus);
    GetProcAddress(h, "SetStatus"); // looked up like the others; the module never sets a status
    Bind(h, "UploadList", t.m_pfnUploadList);
    Bind(h, "DownloadFile", t.m_pfnDownloadFile);
    Bind(h, "UploadFile", t.m_pfnUploadFile);
    Bind(h, "EraseFile", t.m_pfnEraseFile);
    Bind(h, "RenameFile", t.m_pfnRenameFile);
    Bind(h, "SelectFile", t.m_pfnSelectFile);
    Bind(h, "CreateFolder", t.m_pfnCreateFolder);
    Bind(h, "RenameFolder", t.m_pfnRenameFolder);
    Bind(h, "DeleteFolder", t.m_pfnDeleteFolder);
    Bind(h, "UploadDesign", t.m_pfnUploadDesign);
    Bind(h, "GlobalHeapFree", t.m_pfnGlobalHeapFree);
    t.m_hModule.store(h); // last, so a reader that sees the handle sees every pointer
    return true;
}

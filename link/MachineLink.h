// The machine-link table: the module handle of "Quorvel.dll" and its 15 operations, loaded on first
// need and never unloaded. Empty (module handle 0) after the application's InitInstance.
#pragma once

#include "platform/base/WinTypes.h"

#include <atomic>

struct CMachineLink {
    using PfnRegisterMachineDeviceNotification = uint32_t (*)(uint32_t window);
    using PfnGetConnectedDevice = uint32_t (*)(int32_t zero, int32_t minusOne, int32_t* status);
    using PfnGetMachineType = int32_t (*)(uint32_t device, int32_t zero);
    using PfnGetStatus = int32_t (*)(uint32_t device, int32_t item, uint8_t* value);
    using PfnUploadList = int32_t (*)(uint32_t device, uint32_t storage, const char16_t* folder, uint8_t** buffer,
                                      uint32_t* size);
    using PfnDownloadFile = int32_t (*)(uint32_t device, uint32_t storage, const char16_t* path, const uint8_t* bytes,
                                        uint32_t size);
    using PfnUploadFile = int32_t (*)(uint32_t device, uint32_t storage, const char16_t* path, uint8_t** buffer,
                                      uint32_t* size);
    using PfnPathOp = int32_t (*)(uint32_t device, uint32_t storage, const char16_t* path);
    using PfnRenameOp = int32_t (*)(uint32_t device, uint32_t storage, const char16_t* oldPath, const char16_t* newName);
    using PfnCreateFolder = int32_t (*)(uint32_t device, uint32_t storage, const char16_t* parent, const char16_t* name);
    using PfnUploadDesign = int32_t (*)(uint32_t device, uint8_t** buffer, uint32_t* size);
    using PfnGlobalHeapFree = int32_t (*)(uint8_t** buffer);

    std::atomic<HMODULE> m_hModule{0};
    PfnRegisterMachineDeviceNotification m_pfnRegisterMachineDeviceNotification = nullptr;
    PfnGetConnectedDevice m_pfnGetConnectedDevice = nullptr;
    PfnGetMachineType m_pfnGetMachineType = nullptr;
    PfnGetStatus m_pfnGetStatus = nullptr;
    PfnUploadList m_pfnUploadList = nullptr;
    PfnDownloadFile m_pfnDownloadFile = nullptr;
    PfnUploadFile m_pfnUploadFile = nullptr;
    PfnPathOp m_pfnEraseFile = nullptr;
    PfnRenameOp m_pfnRenameFile = nullptr;
    PfnPathOp m_pfnSelectFile = nullptr;
    PfnCreateFolder m_pfnCreateFolder = nullptr;
    PfnRenameOp m_pfnRenameFolder = nullptr;
    PfnPathOp m_pfnDeleteFolder = nullptr;
    PfnUploadDesign m_pfnUploadDesign = nullptr;
    PfnGlobalHeapFree m_pfnGlobalHeapFree = nullptr;

    bool IsEmpty() const { return m_hModule.load() == 0; }
    // Sets the module handle and all 15 operations to zero. Does not unload a loaded library.
    void Clear();
};

// The module-wide table.
CMachineLink& MachineLink();

// Loads "Quorvel.dll" and looks its 16 names up in their fixed order; false (and an empty table)
// when the library cannot be loaded. Safe to call from the user-interface thread and the
// communication thread at once: the second caller finds the table loaded.
bool LoadMachineLink();

// Loads the table when it is empty; false when that fails.
inline bool EnsureMachineLink() { return !MachineLink().IsEmpty() || LoadMachineLink(); }

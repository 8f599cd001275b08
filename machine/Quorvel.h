/* libQuorvel: the machine link. Device and notification handles are handles of the platform
 * layer (closed with CloseHandle and UnregisterDeviceNotification); strings are zero-terminated
 * UTF-16; a result of 0 is success, any other value a result code. Buffers handed out belong to
 * the library and are released with GlobalHeapFree. */
#pragma once

#include <stdint.h>

#if defined(__GNUC__)
#define QUORVEL_API __attribute__((visibility("default")))
#else
#define QUORVEL_API
#endif

#ifdef __cplusplus
extern "C" {
#endif

QUORVEL_API uint32_t RegisterMachineDeviceNotification(uint32_t window);
QUORVEL_API uint32_t GetConnectedDevice(int32_t zero, int32_t minusOne, int32_t* status);
QUORVEL_API int32_t GetMachineType(uint32_t device, int32_t zero);
QUORVEL_API int32_t GetStatus(uint32_t device, int32_t item, uint8_t* value);
QUORVEL_API int32_t SetStatus(uint32_t device, int32_t item, uint8_t value);
QUORVEL_API int32_t UploadList(uint32_t device, uint32_t storage, const char16_t* folder, uint8_t** buffer,
                               uint32_t* size);
QUORVEL_API int32_t DownloadFile(uint32_t device, uint32_t storage, const char16_t* path, const uint8_t* bytes,
                                 uint32_t size);
QUORVEL_API int32_t UploadFile(uint32_t device, uint32_t storage, const char16_t* path, uint8_t** buffer,
                               uint32_t* size);
QUORVEL_API int32_t EraseFile(uint32_t device, uint32_t storage, const char16_t* path);
QUORVEL_API int32_t DeleteFolder(uint32_t device, uint32_t storage, const char16_t* path);
QUORVEL_API int32_t SelectFile(uint32_t device, uint32_t storage, const char16_t* path);
QUORVEL_API int32_t RenameFile(uint32_t device, uint32_t storage, const char16_t* oldPath, const char16_t* newName);
QUORVEL_API int32_t RenameFolder(uint32_t device, uint32_t storage, const char16_t* oldPath,
                                 const char16_t* newName);
QUORVEL_API int32_t CreateFolder(uint32_t device, uint32_t storage, const char16_t* parent, const char16_t* name);
QUORVEL_API int32_t UploadDesign(uint32_t device, uint8_t** buffer, uint32_t* size);
QUORVEL_API int32_t GlobalHeapFree(uint8_t** buffer);

#ifdef __cplusplus
}
#endif

/* The exports of libTavren, with C linkage: what a host calls. Strings are zero-terminated UTF-16;
   window handles are the layer's 32-bit handles. */
#pragma once

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define TAVREN_EXPORT __attribute__((visibility("default")))

TAVREN_EXPORT bool ChangeLanguage(int32_t language);
TAVREN_EXPORT int32_t ComSetDialog(uint32_t parent, int32_t hostValue);
TAVREN_EXPORT int32_t WriteSendDialog(const uint8_t* bytes, uint32_t count, const char16_t* name,
                                      uint8_t selectAfterSendEnable, char16_t* folder, uint32_t folderBytes,
                                      int32_t* storage, int32_t* selectAfterSend, int32_t target,
                                      uint8_t deepFolders, uint32_t parent);
TAVREN_EXPORT int32_t WriteSendStxDialog(const uint8_t* bytes, uint32_t count, const char16_t* name,
                                         uint8_t selectAfterSendEnable, char16_t* folder, uint32_t folderBytes,
                                         int32_t* storage, int32_t* selectAfterSend, int32_t target,
                                         uint8_t deepFolders, uint32_t parent);
TAVREN_EXPORT int32_t ManageStxDialog(uint32_t parent, uint8_t deepFolders, int32_t target);
/* Our own addition: the same File Manager for embroidery designs, with the same arguments and
   results as ManageStxDialog. A host that knows only the five others is unaffected. */
TAVREN_EXPORT int32_t ManageDesignDialog(uint32_t parent, uint8_t deepFolders, int32_t target);

#ifdef __cplusplus
}
#endif

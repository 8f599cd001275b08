// One request record of the communication thread: a file's bytes with its name, or a name pair for
// renames.
#pragma once

#include "platform/afx/CString.h"
#include "platform/base/WinTypes.h"

class CCommunicationData {
public:
    CCommunicationData() = default;
    // Releasing a record frees its bytes and empties its name.
    ~CCommunicationData();
    CCommunicationData(const CCommunicationData&) = delete;
    CCommunicationData& operator=(const CCommunicationData&) = delete;

    // Replaces the bytes by a copy of pBytes; false (and no bytes) when the copy cannot be allocated.
    bool SetData(const BYTE* pBytes, uint32_t nSize);
    void FreeData();

    BYTE* m_pData = nullptr;  // owned, array allocation
    uint32_t m_nSize = 0;
    CString m_strItemName;    // the file or folder name; for renames the new name
    CString m_strOldName;     // for renames the current name
};

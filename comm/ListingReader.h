// CListingReader: walks the folder listing that the machine link's UploadList returns, never past
// the end of the buffer whatever the listing claims.
//
// Layout (little-endian):
//   0  4  number of entries N (signed; 0 or less: none)
//   4     N entries back to back, each:
//         0   4  length of the entry in bytes (the next entry starts this far on)
//         4   4  -1 for a folder, anything else for a file
//         8   8  not read here (the machine puts the size and the time there)
//         16     the name, zero-terminated, in the thread's ANSI code page
//
// A listing is broken when it is 1 to 3 bytes long, when an entry's 16-byte head or its whole
// length reaches past the end, or when a length is below 16 (a zero length would never move on).
// The entries before the first broken one are still read; IsBroken() then answers true. A name
// without its terminator inside its entry ends with the entry. An empty listing (no buffer, or
// N of 0 or less) has no entries and is not broken.
#pragma once

#include "platform/afx/CString.h"
#include "platform/base/WinTypes.h"

class CListingReader {
public:
    struct CEntry {
        bool m_bFolder = false;
        CString m_strName;  // empty when the name does not convert
    };

    CListingReader(const BYTE* pData, uint32_t nSize);
    // The entries alone, nBytes of them, with the count read separately (0 or less: none).
    CListingReader(int32_t nCount, const BYTE* pEntries, uint32_t nBytes);

    // The number of entries the listing claims (0 when it claims none).
    int32_t GetClaimedCount() const { return m_nCount; }
    // The next entry; false after the last one or at the first broken one.
    bool Next(CEntry& entry);
    bool IsBroken() const { return m_bBroken; }
    // True when every claimed entry lies inside the buffer.
    static bool IsWellFormed(const BYTE* pData, uint32_t nSize);

    // Minimum length of an entry: its head.
    static constexpr uint32_t kEntryHead = 16;

private:
    const BYTE* m_pData;
    uint32_t m_nSize;
    int32_t m_nCount = 0;
    int32_t m_nRead = 0;
    uint32_t m_nOffset = 4;
    bool m_bBroken = false;
};

// CByteCursor: reads a file's bytes from memory the way CFile reads them from disk - a position
// that may be set anywhere (even past the end), and reads that come back short at the end.
// Every read is bounds-checked here, so the decoders above it never index the buffer themselves.
#pragma once

#include "platform/base/WinTypes.h"

#include <cstddef>
#include <cstdint>
#include <cstring>

class CByteCursor {
public:
    CByteCursor(const BYTE* pData, size_t nLength) : m_pData(pData), m_nLength(nLength) {}

    uint64_t GetLength() const { return m_nLength; }
    uint64_t GetPosition() const { return m_nPosition; }
    // Bytes left from the position to the end (0 when the position is past the end).
    uint64_t GetRemaining() const { return m_nPosition < m_nLength ? m_nLength - m_nPosition : 0; }
    void Seek(uint64_t nPosition) { m_nPosition = nPosition; }
    // The bytes from the position on; only valid while GetRemaining() > 0.
    const BYTE* Peek() const { return m_pData + m_nPosition; }

    // Copies up to nCount bytes and returns how many; a short count means the end was reached.
    size_t Read(void* pDest, uint64_t nCount)
    {
        const uint64_t n = nCount < GetRemaining() ? nCount : GetRemaining();
        if (n > 0)
            std::memcpy(pDest, m_pData + m_nPosition, static_cast<size_t>(n));
        m_nPosition += n;
        return static_cast<size_t>(n);
    }
    bool ReadInt32(int32_t& nValue)
    {
        BYTE b[4];
        if (Read(b, 4) != 4)
            return false;
        nValue = Int32At(b);
        return true;
    }

    static int32_t Int32At(const BYTE* p) { return static_cast<int32_t>(UInt32At(p)); }
    static uint32_t UInt32At(const BYTE* p)
    {
        return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
               (static_cast<uint32_t>(p[3]) << 24);
    }
    static uint16_t UInt16At(const BYTE* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
    static double DoubleAt(const BYTE* p)
    {
        uint64_t bits = 0;
        for (int i = 7; i >= 0; --i)
            bits = (bits << 8) | p[i];
        double d;
        std::memcpy(&d, &bits, sizeof d);
        return d;
    }

private:
    const BYTE* m_pData;
    uint64_t m_nLength;
    uint64_t m_nPosition = 0;
};

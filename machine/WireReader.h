// Reads the fields of one frame body (see WireProtocol.h). Every read checks the bounds first; a
// read past the end marks the reader failed and yields zero or empty, so a broken packet is
// detected once, after the fields are taken.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace quorvel {

class CWireReader {
public:
    CWireReader(const uint8_t* p, size_t n) : m_pData(p), m_nSize(n) {}
    explicit CWireReader(const std::vector<uint8_t>& v) : CWireReader(v.data(), v.size()) {}

    uint16_t U16()
    {
        uint8_t b[2] = {};
        Take(b, 2);
        return static_cast<uint16_t>(b[0] | (b[1] << 8));
    }
    uint32_t U32()
    {
        uint8_t b[4] = {};
        Take(b, 4);
        return b[0] | (b[1] << 8) | (b[2] << 16) | (static_cast<uint32_t>(b[3]) << 24);
    }
    int32_t I32() { return static_cast<int32_t>(U32()); }
    // A length-prefixed field: pointer into the body and its length (nullptr, 0 when broken).
    const uint8_t* Bytes(uint32_t* n)
    {
        uint32_t len = U32();
        if (m_bFailed || len > m_nSize - m_nPos) {
            m_bFailed = true;
            *n = 0;
            return nullptr;
        }
        const uint8_t* p = m_pData + m_nPos;
        m_nPos += len;
        *n = len;
        return p;
    }
    std::string Text()
    {
        uint32_t n = 0;
        const uint8_t* p = Bytes(&n);
        return p ? std::string(reinterpret_cast<const char*>(p), n) : std::string();
    }
    bool Failed() const { return m_bFailed; }

private:
    void Take(uint8_t* out, size_t n)
    {
        if (m_bFailed || n > m_nSize - m_nPos) {
            m_bFailed = true;
            return;
        }
        std::memcpy(out, m_pData + m_nPos, n);
        m_nPos += n;
    }
    const uint8_t* m_pData;
    size_t m_nSize;
    size_t m_nPos = 0;
    bool m_bFailed = false;
};

} // namespace quorvel

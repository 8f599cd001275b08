// Builds one frame body of the machine protocol (see WireProtocol.h).
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

class CWireWriter {
public:
    void U16(uint16_t v) { Raw(&v, 2); }
    void U32(uint32_t v) { Raw(&v, 4); }
    void I32(int32_t v) { U32(static_cast<uint32_t>(v)); }
    void Bytes(const void* p, uint32_t n)
    {
        U32(n);
        Raw(p, n);
    }
    void Text(std::string_view s) { Bytes(s.data(), static_cast<uint32_t>(s.size())); }
    // The whole frame: length prefix and body.
    std::vector<uint8_t> Frame() const
    {
        std::vector<uint8_t> out(4 + m_body.size());
        auto n = static_cast<uint32_t>(m_body.size());
        for (int i = 0; i < 4; ++i)
            out[i] = static_cast<uint8_t>(n >> (8 * i));
        std::copy(m_body.begin(), m_body.end(), out.begin() + 4);
        return out;
    }

private:
    // Little-endian on every host we build for; written byte by byte so it stays so.
    void Raw(const void* p, size_t n)
    {
        const auto* b = static_cast<const uint8_t*>(p);
        m_body.insert(m_body.end(), b, b + n);
    }
    std::vector<uint8_t> m_body;
};

} // namespace quorvel

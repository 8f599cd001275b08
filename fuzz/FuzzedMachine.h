// A machine whose every answer comes from the fuzzer's input: the machine-link table is filled
// with operations that read their result code (and, for the uploads, the block they hand back)
// from the input, in the order the module calls them. Blocks are allocated at exactly their size,
// so a read past one is caught, and whatever the module does not give back to the library's free
// shows as a leak. The cancel event of the thread under test answers from the input as well, at
// once, so the runs' 100 ms cancel waits cost nothing.
//
// Input stream: a code is one byte (below 0x80: success; otherwise one of the codes the library
// answers, or a 32-bit value when the byte is 0xFF); a block is a 16-bit little-endian length and
// that many bytes (short at the end of the input). The cancel comes at the wait the target names
// (0: none). An exhausted input answers 3 (a time-out).
#pragma once

#include "comm/CommunicationThread.h"
#include "link/MachineLink.h"

#include <cstdint>
#include <cstring>
#include <map>
#include <string>

namespace fuzzed {

class CInput {
public:
    void Reset(const uint8_t* p, size_t n)
    {
        m_p = p;
        m_n = n;
    }
    bool Empty() const { return m_n == 0; }
    uint8_t Byte(uint8_t whenEmpty = 0)
    {
        if (m_n == 0)
            return whenEmpty;
        --m_n;
        return *m_p++;
    }
    int32_t Code()
    {
        if (m_n == 0)
            return 3;
        const uint8_t b = Byte();
        if (b < 0x80)
            return 0;
        if (b == 0xFF) {
            uint32_t v = 0;
            for (int i = 0; i < 4; i++)
                v |= static_cast<uint32_t>(Byte()) << (8 * i);
            return static_cast<int32_t>(v);
        }
        // 1 to 11, 0x8001 to 0x8016, -1
        const int i = b % 34;
        return i < 11 ? i + 1 : i < 33 ? 0x8001 + (i - 11) : -1;
    }
    // A block of the library's own allocation (null when empty).
    uint8_t* Block(uint32_t& nSize)
    {
        size_t n = Byte();
        n |= static_cast<size_t>(Byte()) << 8;
        if (n > m_n)
            n = m_n;
        nSize = static_cast<uint32_t>(n);
        if (n == 0)
            return nullptr;
        uint8_t* p = new uint8_t[n];
        std::memcpy(p, m_p, n);
        m_p += n;
        m_n -= n;
        ++m_nOutstanding;
        return p;
    }
    void Free(uint8_t*& p)
    {
        if (p) {
            delete[] p;
            --m_nOutstanding;
        }
        p = nullptr;
    }
    int m_nOutstanding = 0;

private:
    const uint8_t* m_p = nullptr;
    size_t m_n = 0;
};

inline CInput g_input;
inline HANDLE g_hCancelEvent = 0;
inline int g_nCancelAt = 0;
inline int g_nWaits = 0;

// What the fuzzed machine was asked, for the targets' checks.
struct CCalls {
    int m_nErase = 0;
    int m_nDeleteFolder = 0;
    int m_nUploads = 0;
};
inline CCalls g_calls;

// The folder-tree walks list the same folder more than once (count, then delete): a folder's
// listing is taken from the input on its first listing and kept, so both walks see one tree.
inline bool g_bKeepListings = false;
inline std::map<std::u16string, std::pair<int32_t, std::string>> g_listings;

// Every path the module names lies inside the run's folder: the folder itself or names below it,
// none of them empty, "." or "..". Anything else would act on a file the listing never showed.
inline std::u16string g_root;
inline void CheckPath(const char16_t* path)
{
    const std::u16string strPath(path ? path : u"");
    if (strPath == g_root)
        return;
    if (strPath.compare(0, g_root.size() + 1, g_root + u"\\") != 0)
        std::abort();
    size_t at = g_root.size() + 1;
    for (;;) {
        const size_t next = strPath.find(u'\\', at);
        const std::u16string strPart = strPath.substr(at, next == std::u16string::npos ? std::u16string::npos : next - at);
        if (strPart.empty() || strPart == u"." || strPart == u"..")
            std::abort();
        if (next == std::u16string::npos)
            return;
        at = next + 1;
    }
}

inline int32_t UploadBlock(uint8_t** buffer, uint32_t* size)
{
    ++g_calls.m_nUploads;
    const int32_t nCode = g_input.Code();
    // A failing answer may still carry a buffer: the module frees it all the same.
    *buffer = g_input.Block(*size);
    return nCode;
}

inline int32_t UploadList(uint32_t, uint32_t, const char16_t* folder, uint8_t** buffer, uint32_t* size)
{
    CheckPath(folder);
    if (!g_bKeepListings)
        return UploadBlock(buffer, size);
    ++g_calls.m_nUploads;
    const std::u16string strFolder(folder ? folder : u"");
    auto it = g_listings.find(strFolder);
    if (it == g_listings.end()) {
        const int32_t nCode = g_input.Code();
        uint32_t n = 0;
        uint8_t* p = g_input.Block(n);
        it = g_listings.emplace(strFolder, std::make_pair(nCode, std::string(reinterpret_cast<char*>(p), p ? n : 0))).first;
        g_input.Free(p);
    }
    const std::string& bytes = it->second.second;
    *size = static_cast<uint32_t>(bytes.size());
    *buffer = nullptr;
    if (!bytes.empty()) {
        *buffer = new uint8_t[bytes.size()];
        std::memcpy(*buffer, bytes.data(), bytes.size());
        ++g_input.m_nOutstanding;
    }
    return it->second.first;
}

inline int32_t UploadFile(uint32_t, uint32_t, const char16_t* path, uint8_t** buffer, uint32_t* size)
{
    CheckPath(path);
    return UploadBlock(buffer, size);
}

inline int32_t UploadDesign(uint32_t, uint8_t** buffer, uint32_t* size) { return UploadBlock(buffer, size); }

inline int32_t DownloadFile(uint32_t, uint32_t, const char16_t* path, const uint8_t* bytes, uint32_t size)
{
    CheckPath(path);
    // The module hands over its whole record: touching its last byte catches a wrong size.
    volatile uint8_t b = size ? bytes[size - 1] : 0;
    (void)b;
    return g_input.Code();
}

inline int32_t EraseFile(uint32_t, uint32_t, const char16_t* path)
{
    CheckPath(path);
    ++g_calls.m_nErase;
    return g_input.Code();
}

inline int32_t DeleteFolder(uint32_t, uint32_t, const char16_t* path)
{
    CheckPath(path);
    ++g_calls.m_nDeleteFolder;
    return g_input.Code();
}

inline int32_t PathOp(uint32_t, uint32_t, const char16_t* path)
{
    CheckPath(path);
    return g_input.Code();
}
inline int32_t RenameOp(uint32_t, uint32_t, const char16_t* oldPath, const char16_t*)
{
    CheckPath(oldPath);
    return g_input.Code();
}
inline int32_t CreateFolder(uint32_t, uint32_t, const char16_t*, const char16_t*) { return g_input.Code(); }

inline int32_t GlobalHeapFree(uint8_t** buffer)
{
    g_input.Free(*buffer);
    return 0;
}

// Fills the module-wide table once (a nonzero module handle: the module never loads the library).
inline void Install()
{
    CMachineLink& link = MachineLink();
    if (!link.IsEmpty())
        return;
    link.m_pfnUploadList = UploadList;
    link.m_pfnDownloadFile = DownloadFile;
    link.m_pfnUploadFile = UploadFile;
    link.m_pfnEraseFile = EraseFile;
    link.m_pfnRenameFile = RenameOp;
    link.m_pfnSelectFile = PathOp;
    link.m_pfnCreateFolder = CreateFolder;
    link.m_pfnRenameFolder = RenameOp;
    link.m_pfnDeleteFolder = DeleteFolder;
    link.m_pfnUploadDesign = UploadDesign;
    link.m_pfnGlobalHeapFree = GlobalHeapFree;
    link.m_hModule = 0x7FFF0000;
}

// Starts one input: the stream, the calls counted, the listings forgotten.
inline void Begin(const uint8_t* p, size_t n, bool bKeepListings, int nCancelAt, const char16_t* root)
{
    g_root = root;
    g_nCancelAt = nCancelAt;
    g_nWaits = 0;
    Install();
    g_input.Reset(p, n);
    g_calls = CCalls{};
    g_listings.clear();
    g_bKeepListings = bKeepListings;
}

} // namespace fuzzed

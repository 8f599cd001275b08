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

#include <algorithm>
#include <cstdint>
#include <cstdlib>
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
    uint8_t Byte()
    {
        if (m_n == 0)
            return 0;
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
    // The bytes of the next block.
    std::string Take()
    {
        size_t n = Byte();
        n = std::min(n | static_cast<size_t>(Byte()) << 8, m_n);
        std::string bytes(reinterpret_cast<const char*>(m_p), n);
        m_p += n;
        m_n -= n;
        return bytes;
    }
    // Bytes handed over in a block of the library's own allocation (null when empty).
    uint8_t* Give(const std::string& bytes, uint32_t* pSize)
    {
        *pSize = static_cast<uint32_t>(bytes.size());
        m_nOutstanding += !bytes.empty();
        return bytes.empty() ? nullptr : static_cast<uint8_t*>(std::memcpy(new uint8_t[bytes.size()], bytes.data(), bytes.size()));
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
    int m_nErase = 0, m_nDeleteFolder = 0;
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
    for (size_t at = g_root.size() + 1, next = 0; next != std::u16string::npos; at = next + 1) {
        next = strPath.find(u'\\', at);
        const std::u16string strPart = strPath.substr(at, next == std::u16string::npos ? next : next - at);
        if (strPart.empty() || strPart == u"." || strPart == u"..")
            std::abort();
    }
}

// A code and a block (a failing answer may still carry one: the module frees it all the same).
inline int32_t Upload(const char16_t* path, uint8_t** buffer, uint32_t* size, bool bListing = false)
{
    CheckPath(path);
    const bool bKept = bListing && g_bKeepListings;
    auto it = bKept ? g_listings.find(path) : g_listings.end();
    std::pair<int32_t, std::string> answer = it != g_listings.end() ? it->second : std::pair<int32_t, std::string>{};
    if (it == g_listings.end()) {
        answer.first = g_input.Code(); // the code comes first in the stream, then the block
        answer.second = g_input.Take();
    }
    if (bKept)
        g_listings[path] = answer;
    *buffer = g_input.Give(answer.second, size);
    return answer.first;
}

inline int32_t UploadList(uint32_t, uint32_t, const char16_t* folder, uint8_t** buffer, uint32_t* size) { return Upload(folder, buffer, size, true); }
inline int32_t UploadFile(uint32_t, uint32_t, const char16_t* path, uint8_t** buffer, uint32_t* size) { return Upload(path, buffer, size); }
// The current design has no path: the run's folder stands in.
inline int32_t UploadDesign(uint32_t, uint8_t** buffer, uint32_t* size) { return Upload(g_root.c_str(), buffer, size); }

inline int32_t DownloadFile(uint32_t, uint32_t, const char16_t* path, const uint8_t* bytes, uint32_t size)
{
    CheckPath(path);
    // The module hands over its whole record: touching its last byte catches a wrong size.
    volatile uint8_t b = size ? bytes[size - 1] : 0;
    (void)b;
    return g_input.Code();
}

inline int32_t PathOp(uint32_t, uint32_t, const char16_t* path)
{
    CheckPath(path);
    return g_input.Code();
}
inline int32_t EraseFile(uint32_t, uint32_t, const char16_t* path)
{
    ++g_calls.m_nErase;
    return PathOp(0, 0, path);
}
inline int32_t DeleteFolder(uint32_t, uint32_t, const char16_t* path)
{
    ++g_calls.m_nDeleteFolder;
    return PathOp(0, 0, path);
}
inline int32_t RenameOp(uint32_t, uint32_t, const char16_t* oldPath, const char16_t*) { return PathOp(0, 0, oldPath); }
inline int32_t CreateFolder(uint32_t, uint32_t, const char16_t*, const char16_t*) { return g_input.Code(); }

inline int32_t GlobalHeapFree(uint8_t** buffer)
{
    g_input.m_nOutstanding -= *buffer != nullptr;
    delete[] *buffer;
    *buffer = nullptr;
    return 0;
}

// Starts one input: the module-wide table filled (a nonzero module handle: the module never loads
// the library), the stream, the calls counted, the listings forgotten; the thread set up for a run
// of nKind on the root folder, its cancel event answering from the input.
inline void Begin(const uint8_t* p, size_t n, bool bKeepListings, int nCancelAt, const char16_t* root,
                  CCommunicationThread& thread, int32_t nKind, uint16_t nStorage)
{
    CMachineLink& link = MachineLink();
    if (link.IsEmpty()) {
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
    g_root = root;
    g_nCancelAt = nCancelAt;
    g_nWaits = 0;
    g_input.Reset(p, n);
    g_calls = CCalls{};
    g_listings.clear();
    g_bKeepListings = bKeepListings;
    g_hCancelEvent = thread.m_evCancel;
    thread.m_nRequest = nKind;
    thread.m_hDevice = 0x100;
    thread.m_nStorage = nStorage;
    thread.m_strFolder = root;
}

// Ends one input: every block the library handed over came back.
inline void End()
{
    g_hCancelEvent = 0;
    if (g_input.m_nOutstanding != 0)
        std::abort();
}

} // namespace fuzzed

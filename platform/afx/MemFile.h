// CMemFile: a file in memory, either growing (owned) or over a caller's buffer (attached).
#pragma once

#include "platform/afx/File.h"

#include <vector>

class CMemFile : public CFile {
public:
    explicit CMemFile(UINT nGrowBytes = 1024);
    // Attaches a caller's buffer; with nGrowBytes 0 it cannot grow and writing past it throws.
    CMemFile(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    ~CMemFile() override;

    void Attach(BYTE* lpBuffer, UINT nBufferSize, UINT nGrowBytes = 0);
    // Hands the contents back; an attached buffer is the caller's again, an owned one is copied
    // into a new[] array the caller deletes.
    BYTE* Detach();

    BOOL Open(const char16_t*, UINT, CFileException* pError = nullptr) override;
    UINT Read(void* lpBuf, UINT nCount) override;
    void Write(const void* lpBuf, UINT nCount) override;
    ULONGLONG Seek(LONGLONG lOff, UINT nFrom) override;
    ULONGLONG GetLength() const override { return m_nFileSize; }
    void SetLength(ULONGLONG dwNewLen) override;
    ULONGLONG GetPosition() const override { return m_nPosition; }
    void Flush() override {}
    void Close() override;
    void Abort() override { Close(); }

private:
    void GrowTo(size_t n);
    BYTE* Data() { return m_pAttached ? m_pAttached : m_owned.data(); }

    std::vector<BYTE> m_owned;
    BYTE* m_pAttached = nullptr;
    size_t m_nBufferSize = 0;
    size_t m_nFileSize = 0;
    size_t m_nPosition = 0;
    UINT m_nGrowBytes = 1024;
};

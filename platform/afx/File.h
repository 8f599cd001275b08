// CFile: a binary file on a drive of the drive map, opened by its Windows path, over the file
// calls of file/FileApi.h (CreateFileW, ReadFile, WriteFile ...), which give its errors.
//
// Deliberately missing: text mode, sharing modes (accepted, not enforced: the host has no
// mandatory locks) and inheritance flags.
#pragma once

#include "platform/afx/CString.h"
#include "platform/afx/FileException.h"

class CFile {
public:
    enum OpenFlags : UINT {
        modeRead = 0x0000,
        modeWrite = 0x0001,
        modeReadWrite = 0x0002,
        shareCompat = 0x0000,
        shareExclusive = 0x0010,
        shareDenyWrite = 0x0020,
        shareDenyRead = 0x0030,
        shareDenyNone = 0x0040,
        modeNoInherit = 0x0080,
        modeCreate = 0x1000,
        modeNoTruncate = 0x2000,
        typeText = 0x4000,
        typeBinary = 0x8000,
    };
    enum SeekPosition { begin = 0, current = 1, end = 2 };

    CFile() = default;
    // Opens or throws CFileException*.
    CFile(const char16_t* pszFileName, UINT nOpenFlags);
    virtual ~CFile();
    CFile(const CFile&) = delete;
    CFile& operator=(const CFile&) = delete;

    // False on failure, with the cause in *pError when given.
    virtual BOOL Open(const char16_t* pszFileName, UINT nOpenFlags, CFileException* pError = nullptr);
    // Reads up to nCount bytes; returns how many (0 at the end). Throws on a read error.
    virtual UINT Read(void* lpBuf, UINT nCount);
    // Writes all nCount bytes or throws (a full disk throws diskFull).
    virtual void Write(const void* lpBuf, UINT nCount);
    virtual ULONGLONG Seek(LONGLONG lOff, UINT nFrom);
    void SeekToBegin() { Seek(0, begin); }
    ULONGLONG SeekToEnd() { return Seek(0, end); }
    virtual ULONGLONG GetLength() const;
    virtual void SetLength(ULONGLONG dwNewLen);
    virtual ULONGLONG GetPosition() const;
    virtual void Flush();
    virtual void Close();
    virtual void Abort();
    CString GetFilePath() const { return m_strFileName; }
    CString GetFileName() const;
    bool IsOpen() const { return m_hFile != INVALID_HANDLE_VALUE; }

protected:
    [[noreturn]] void ThrowLastError() const;

    HANDLE m_hFile = INVALID_HANDLE_VALUE;
    CString m_strFileName;
};

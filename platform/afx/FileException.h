// CFileException: what CFile throws (by pointer, as MFC does; the catcher calls Delete()).
#pragma once

#include "platform/afx/CString.h"

class CFileException {
public:
    enum {
        none = 0,
        genericException,
        fileNotFound,
        badPath,
        tooManyOpenFiles,
        accessDenied,
        invalidFile,
        removeCurrentDir,
        directoryFull,
        badSeek,
        hardIO,
        sharingViolation,
        lockViolation,
        diskFull,
        endOfFile,
    };

    CFileException(int cause = none, LONG lOsError = -1, const char16_t* pszFileName = nullptr)
        : m_cause(cause), m_lOsError(lOsError), m_strFileName(pszFileName)
    {
    }
    virtual ~CFileException() = default;
    void Delete() { delete this; }
    // The cause that goes with a Win32 error code.
    static int OsErrorToException(LONG lOsError);
    // "<file> was not found." and the like; false when there is no cause.
    BOOL GetErrorMessage(char16_t* pszError, UINT nMaxError, UINT* pnHelpContext = nullptr) const;

    int m_cause;
    LONG m_lOsError;
    CString m_strFileName;
};

[[noreturn]] void AfxThrowFileException(int cause, LONG lOsError = -1, const char16_t* pszFileName = nullptr);

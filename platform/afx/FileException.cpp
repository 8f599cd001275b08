#include "platform/afx/FileException.h"

#include "platform/base/WinError.h"

#include <algorithm>

int CFileException::OsErrorToException(LONG e)
{
    switch (static_cast<DWORD>(e)) {
    case ERROR_SUCCESS: return none;
    case ERROR_FILE_NOT_FOUND: return fileNotFound;
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_INVALID_NAME:
    case ERROR_FILENAME_EXCED_RANGE: return badPath;
    case ERROR_TOO_MANY_OPEN_FILES: return tooManyOpenFiles;
    case ERROR_ACCESS_DENIED:
    case ERROR_WRITE_PROTECT: return accessDenied;
    case ERROR_INVALID_HANDLE: return invalidFile;
    case ERROR_CURRENT_DIRECTORY: return removeCurrentDir;
    case ERROR_SEEK: return badSeek;
    case ERROR_SHARING_VIOLATION: return sharingViolation;
    case ERROR_LOCK_VIOLATION: return lockViolation;
    case ERROR_HANDLE_DISK_FULL:
    case ERROR_DISK_FULL: return diskFull;
    case ERROR_HANDLE_EOF: return endOfFile;
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_GEN_FAILURE:
    case ERROR_NOT_READY: return hardIO;
    default: return genericException;
    }
}

BOOL CFileException::GetErrorMessage(char16_t* pszError, UINT nMaxError, UINT*) const
{
    if (!pszError || nMaxError == 0)
        return FALSE;
    CString name = m_strFileName.IsEmpty() ? CString(u"an unnamed file") : m_strFileName;
    CString text;
    switch (m_cause) {
    case none: pszError[0] = 0; return FALSE;
    case fileNotFound: text.Format(u"%s was not found.", name); break;
    case badPath: text.Format(u"%s contains an incorrect path.", name); break;
    case tooManyOpenFiles: text.Format(u"%s could not be opened because there are too many open files.", name); break;
    case accessDenied: text.Format(u"Access to %s was denied.", name); break;
    case invalidFile: text.Format(u"An incorrect file handle was associated with %s.", name); break;
    case badSeek: text.Format(u"An error occurred while setting the file pointer for %s.", name); break;
    case hardIO: text.Format(u"A hardware I/O error was reported while accessing %s.", name); break;
    case sharingViolation: text.Format(u"A sharing violation occurred while accessing %s.", name); break;
    case lockViolation: text.Format(u"A locking violation occurred while accessing %s.", name); break;
    case diskFull: text.Format(u"Disk full while accessing %s.", name); break;
    case endOfFile: text.Format(u"An attempt was made to access %s past its end.", name); break;
    default: text.Format(u"An unexpected error occurred while accessing %s.", name); break;
    }
    UINT n = std::min<UINT>(static_cast<UINT>(text.GetLength()), nMaxError - 1);
    std::copy_n(text.GetString(), n, pszError);
    pszError[n] = 0;
    return TRUE;
}

void AfxThrowFileException(int cause, LONG lOsError, const char16_t* pszFileName)
{
    throw new CFileException(cause, lOsError, pszFileName);
}

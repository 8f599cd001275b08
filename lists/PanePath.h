// The two forms of a list's path. A path with a colon (a drive letter) is on the PC or on a flash
// drive attached to it, and goes to the file system; any other is a machine path ("\EMB\...") and
// goes to the machine link.
#pragma once

#include "platform/afx/CString.h"

inline bool IsPcPath(const CString& strPath)
{
    return strPath.Find(u':') >= 0;
}

// The path cut before its last "\"; unchanged when it has none.
inline CString ParentOf(const CString& strPath)
{
    const int nSlash = strPath.ReverseFind(u'\\');
    return nSlash < 0 ? strPath : strPath.Left(nSlash);
}

// folder + "\" + name, without doubling the separator of a drive root ("E:\").
inline CString JoinPath(const CString& strFolder, const CString& strName)
{
    if (!strFolder.IsEmpty() && strFolder[strFolder.GetLength() - 1] == u'\\')
        return strFolder + strName;
    return strFolder + u"\\" + strName;
}

// A string of the module's string table (in the language in force) as a value.
#pragma once

#include "platform/afx/CString.h"

inline CString LoadText(UINT nId)
{
    CString s;
    s.LoadString(nId);
    return s;
}

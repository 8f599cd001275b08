// CStringArray: MFC's array of strings.
#pragma once

#include "platform/afx/CArray.h"
#include "platform/afx/CString.h"

class CStringArray : public CArray<CString, const CString&> {
public:
    INT_PTR Add(const char16_t* psz) { return CArray::Add(CString(psz)); }
    INT_PTR Add(const CString& s) { return CArray::Add(s); }
};

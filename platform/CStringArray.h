// CStringArray: MFC's array of strings.
#pragma once

#include "platform/CArray.h"
#include "platform/CString.h"

class CStringArray : public CArray<CString, const CString&> {
public:
    INT_PTR Add(const char16_t* psz) { return CArray::Add(CString(psz)); }
    INT_PTR Add(const CString& s) { return CArray::Add(s); }
};

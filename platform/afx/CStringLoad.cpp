// CString's loading from the string table, kept apart from CString.cpp so the string itself does
// not depend on the resource machinery.
#include "platform/afx/CString.h"
#include "platform/user/Resource.h"

BOOL CString::LoadString(UINT nID)
{
    std::u16string s;
    if (!tavren::LoadResourceStringChain(nID, s)) {
        m_str.clear();
        return FALSE;
    }
    m_str = std::move(s);
    return TRUE;
}

BOOL CString::LoadString(HINSTANCE hInstance, UINT nID)
{
    std::u16string s;
    if (!tavren::LoadResourceString(hInstance, nID, s)) {
        m_str.clear();
        return FALSE;
    }
    m_str = std::move(s);
    return TRUE;
}

#include "platform/afx/Event.h"

CEvent::CEvent(BOOL bInitiallyOwn, BOOL bManualReset, LPCTSTR lpszName, void* lpsaAttribute)
    : m_hObject(CreateEventW(lpsaAttribute, bManualReset, bInitiallyOwn, lpszName))
{
}

CEvent::~CEvent()
{
    if (m_hObject)
        CloseHandle(m_hObject);
}

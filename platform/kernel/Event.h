// The Win32 event calls (afx/Event.h has CEvent over them): manual-reset events stay signalled until reset; automatic-reset
// events release one waiter and reset themselves.
//
// Deliberately missing: named events, security attributes, PulseEvent.
#pragma once

#include "platform/kernel/Handle.h"

HANDLE CreateEventW(void* lpEventAttributes, BOOL bManualReset, BOOL bInitialState, LPCWSTR lpName);
BOOL SetEvent(HANDLE hEvent);
BOOL ResetEvent(HANDLE hEvent);

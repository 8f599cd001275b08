// GetSystemInfo: what the module asks of the machine it runs on (how many processors share work).
//
// Deliberately missing: the processor architecture and level fields, and the address ranges;
// nothing in the module reads them.
#pragma once

#include "platform/base/WinTypes.h"

struct SYSTEM_INFO {
    DWORD dwPageSize;
    DWORD dwNumberOfProcessors;
    DWORD dwAllocationGranularity;
};

void GetSystemInfo(SYSTEM_INFO* lpSystemInfo);

#include "platform/kernel/SystemInfo.h"

#include <algorithm>
#include <thread>

#include <unistd.h>

void GetSystemInfo(SYSTEM_INFO* lpSystemInfo)
{
    if (!lpSystemInfo)
        return;
    const long nPage = sysconf(_SC_PAGESIZE);
    lpSystemInfo->dwPageSize = nPage > 0 ? static_cast<DWORD>(nPage) : 4096;
    // At least one, as on Windows, even where the host cannot tell.
    lpSystemInfo->dwNumberOfProcessors = std::max(1u, std::thread::hardware_concurrency());
    lpSystemInfo->dwAllocationGranularity = 65536;
}

// The wait of the platform layer, taken over in the fuzz targets for the cancel event of the thread
// under test alone: it answers at once, cancelled at the wait the input names. Every other wait goes to the layer.
#include "fuzz/FuzzedMachine.h"

#include <dlfcn.h>

DWORD WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds)
{
    if (hHandle != 0 && hHandle == fuzzed::g_hCancelEvent)
        return ++fuzzed::g_nWaits == fuzzed::g_nCancelAt ? WAIT_OBJECT_0 : WAIT_TIMEOUT;
    using Wait = DWORD (*)(HANDLE, DWORD);
    static const Wait real = reinterpret_cast<Wait>(dlsym(RTLD_NEXT, "_Z19WaitForSingleObjectjj"));
    return real(hHandle, dwMilliseconds);
}

// Fuzz target for the folder-tree delete of the communication thread: its count walk and its
// delete walk read the listings of a tree the fuzzed machine makes up (each folder's listing taken
// from the input the first time it is listed, then kept), and the erase and delete answers.
// Whatever the listings claim, the walks stay inside each block, end, free every block, never
// report more delete steps than they counted, never call a folder deleted that they did not ask
// the machine to delete, and never name a path outside the folder (fuzz/FuzzedMachine.h checks).
//
// Input: byte 0 chooses the run (bit 0: the whole delete-folder run, else the two walks called
// one after the other), bits 1-7 the wait that is cancelled (0: none), the rest is the fuzzed machine's stream (fuzz/FuzzedMachine.h).
#include "fuzz/FuzzedMachine.h"

#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 1)
        return 0;
    CCommunicationThread thread;
    fuzzed::Begin(pData + 1, nSize - 1, true, pData[0] >> 1, u"\\EMB\\Tree", thread, rkDeleteFolder, 1);
    if (pData[0] & 1) {
        const int32_t nResult = thread.RunRequest();
        if (nResult == 0 && fuzzed::g_calls.m_nDeleteFolder == 0)
            std::abort();
    } else {
        int32_t nCount = 0;
        const int32_t nCountResult = thread.CountTree(thread.m_strFolder, nCount);
        if (nCountResult == 0) {
            // A counted tree holds at least the folder, and as many steps as listings can carry.
            if (nCount < 1)
                std::abort();
            int32_t nIndex = 0;
            const int32_t nResult = thread.DeleteTree(thread.m_strFolder, nIndex);
            if (nIndex > nCount || nIndex > fuzzed::g_calls.m_nErase + fuzzed::g_calls.m_nDeleteFolder ||
                (nResult == 0 && fuzzed::g_calls.m_nDeleteFolder == 0))
                std::abort();
        }
    }
    fuzzed::End();
    return 0;
}

// Fuzz target for the STX pattern reader, through a memory file.
#include "design/StxFile.h"
#include "platform/afx/MemFile.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    std::vector<BYTE> bytes(pData, pData + nSize);
    CMemFile mem(bytes.data(), static_cast<UINT>(bytes.size()));
    CStxFile stx;
    const bool bRead = stx.Read(mem);
    if (!bRead && !stx.IsBroken())
        std::abort();
    if (stx.GetWidth() < 1 && stx.GetOutline().GetSize() == 0)
        std::abort();
    return 0;
}

// Fuzz target for the runs of the communication thread against a fuzzed machine: every result
// code, cancel point and returned block reaches the list, send, receive, erase, rename, create
// folder, delete folder and current-design runs. Whatever the machine answers, a run ends, frees
// every block the library handed over, and loses no record: each record either stays in the list
// (those that succeeded) or has its name among the failed ones; a run that answers 0 kept them all.
//
// Input: byte 0 chooses the run (bits 0-6) and the storage (bit 7), byte 1 the number of records
// (bits 0-3) and the wait that is cancelled (bits 4-7, 0: none), the rest is the fuzzed
// machine's stream (fuzz/FuzzedMachine.h). Records are named "f<i>.qef" and carry i+1 bytes.
#include "fuzz/FuzzedMachine.h"

#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 2)
        return 0;
    static const int32_t kKinds[] = {rkList,   rkSend,         rkReceive,      rkRenameFile,    rkErase,
                                     rkCreateFolder, rkRenameFolder, rkDeleteFolder, rkReceiveCurrent};
    const int32_t nKind = kKinds[(pData[0] & 0x7F) % (sizeof(kKinds) / sizeof(kKinds[0]))];
    const int nRecords = pData[1] % 16;
    CCommunicationThread thread;
    fuzzed::Begin(pData + 2, nSize - 2, nKind == rkDeleteFolder, pData[1] >> 4, u"\\EMB", thread, nKind,
                  static_cast<uint16_t>(1 + (pData[0] >> 7)));
    for (int i = 0; i < nRecords; i++) {
        auto* pRecord = new CCommunicationData;
        static const char* const kPrefixes[] = {"", "", "", "", "", "a\\", "..\\", "C:"};
        const std::string strPrefix = kPrefixes[(i * 7 + pData[1]) % 8];
        pRecord->m_strItemName = CString::FromUtf8(strPrefix + "f" + std::to_string(i) + ".qef");
        pRecord->m_strOldName = CString::FromUtf8(strPrefix + "o" + std::to_string(i) + ".qef");
        if (nKind == rkSend) {
            const std::string bytes(static_cast<size_t>(i + 1), static_cast<char>(i));
            pRecord->SetData(reinterpret_cast<const BYTE*>(bytes.data()), static_cast<uint32_t>(bytes.size()));
        }
        thread.m_requests.Add(pRecord);
    }
    const int32_t nResult = thread.RunRequest();
    fuzzed::End();

    const bool bItems = nKind != rkList && nKind != rkDeleteFolder && nKind != rkReceiveCurrent;
    if (bItems) {
        // Nothing lost: kept and failed make up the records, in their order; none failed when the
        // run answers 0, and no records at all answer 11.
        if ((nRecords == 0 && nResult != 11) || thread.m_requests.GetSize() + thread.m_failedNames.GetSize() != nRecords ||
            (nResult == 0 && thread.m_failedNames.GetSize() != 0))
            std::abort();
        INT_PTR nLast = -1;
        for (const CCommunicationData* p : thread.m_requests) {
            const std::string strName = p->m_strItemName.ToUtf8();
            const INT_PTR nAt = std::stoi(strName.substr(strName.find_first_of("0123456789")));
            if (nAt <= nLast || (nKind == rkSend && p->m_nSize != static_cast<uint32_t>(nAt + 1)))
                std::abort();
            nLast = nAt;
        }
    } else if (nKind != rkDeleteFolder) {
        // A single upload keeps exactly one record when it succeeds, none when it fails (a cancel
        // that comes after the copy may leave it: the owner reads no records after a cancel).
        if (nResult != 4 && thread.m_requests.GetSize() != (nResult == 0 ? 1 : 0))
            std::abort();
    }
    return 0;
}

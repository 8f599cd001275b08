// One lane of the soak: a folder of its own on one storage of the emulated machine, the model of
// what that folder must hold, and the files on their way through it (sent, then received, then
// renamed, then erased). Each step queues one batch in a CTransferDlg run modally on the lane's
// thread, then checks what the dialog reported against the machine and brings the model up to date.
#pragma once

#include "platform/afx/CString.h"
#include "platform/base/WinTypes.h"

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <map>
#include <random>
#include <string>
#include <vector>

namespace soak {

// Totals shared by every lane.
struct SoakCounters {
    std::atomic<int> nSendBudget{0};  // files still to be sent successfully
    std::atomic<int> nRuns{0};        // dialogs run
    std::atomic<int> nItems{0};       // records queued
    std::atomic<int> nSent{0};        // records reported sent
    std::atomic<int> nReceived{0};
    std::atomic<int> nRenamed{0};
    std::atomic<int> nErased{0};
    std::atomic<int> nFailedItems{0}; // records reported failed
    std::atomic<int> nFailedRuns{0};  // runs that ended with a code other than 0
    std::atomic<int> nMismatches{0};  // disagreements found by the checks
    std::atomic<int> nCancelled{0};   // runs ended by an Escape
};

class SoakLane {
public:
    SoakLane(int nIndex, uint16_t nStorage, std::filesystem::path dir, uint64_t nSeed, SoakCounters& counters);

    // One batch through the dialog with the device handle of this round; false when the lane had
    // nothing to do.
    bool Step(HANDLE hDevice);
    // The folder on the machine holds exactly the model (names and bytes, nothing half written).
    bool FolderMatchesModel(std::string& strWhy) const;
    // Every file of the lane has been sent, received, renamed and erased.
    bool Drained() const { return m_fresh.empty() && m_received.empty() && m_renamed.empty(); }

    // Closes the lane's dialog as Escape does, when one is up; true when the request went out. The
    // checks of this step then allow a cancelled run.
    bool PressEscape();

    uint16_t Storage() const { return m_nStorage; }
    CString Folder() const;

private:
    using Bytes = std::vector<uint8_t>;

    int32_t PickKind();
    void Mismatch(const std::string& strWhat);
    std::filesystem::path HostPath(const std::string& strName) const { return m_dir / strName; }
    bool HoldsExactly(const std::string& strName, const Bytes& bytes) const;

    std::atomic<HWND> m_hDialog{0};       // the lane's dialog while it is up
    std::atomic<bool> m_bEscapePressed{false};
    int m_nIndex;
    uint16_t m_nStorage;
    std::filesystem::path m_dir;
    std::mt19937_64 m_rng;
    SoakCounters& m_counters;
    int m_nNextFile = 0;
    std::map<std::string, Bytes> m_model;  // name -> bytes: what the folder must hold
    std::vector<std::string> m_fresh;       // sent, not yet received
    std::vector<std::string> m_received;    // received, not yet renamed
    std::vector<std::string> m_renamed;     // renamed, not yet erased
};

} // namespace soak

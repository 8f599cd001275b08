#include "tests/soak/SoakLane.h"

#include "tests/soak/SoakTransferDlg.h"
#include "platform/user/WinUser.h"
#include "tests/support/EmulatedMachine.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

namespace soak {

namespace {

int32_t PartialCode(int32_t nKind)
{
    switch (nKind) {
    case rkSend: return 0x8011;
    case rkReceive: return 0x8012;
    case rkErase: return 0x8013;
    default: return 0x8014;
    }
}

std::string Numbered(char chPrefix, int n)
{
    char sz[32];
    std::snprintf(sz, sizeof sz, "%c%05d.qef", chPrefix, n);
    return sz;
}

// Only so many disagreements are printed in full; the count covers all of them.
std::atomic<int> g_nPrinted{0};

} // namespace

SoakLane::SoakLane(int nIndex, uint16_t nStorage, std::filesystem::path dir, uint64_t nSeed, SoakCounters& counters)
    : m_nIndex(nIndex), m_nStorage(nStorage), m_dir(std::move(dir)), m_rng(nSeed), m_counters(counters)
{
}

CString SoakLane::Folder() const
{
    return CString(u"\\\\EMB\\") + CString::FromUtf8(m_dir.filename().string());
}

void SoakLane::Mismatch(const std::string& strWhat)
{
    ++m_counters.nMismatches;
    if (g_nPrinted.fetch_add(1) < 40)
        ADD_FAILURE() << "lane " << m_nIndex << " (storage " << m_nStorage << "): " << strWhat;
}

bool SoakLane::HoldsExactly(const std::string& strName, const Bytes& bytes) const
{
    std::error_code ec;
    if (!std::filesystem::is_regular_file(HostPath(strName), ec))
        return false;
    return tavren::test::EmulatedMachine::ReadBytes(HostPath(strName)) == bytes;
}

bool SoakLane::PressEscape()
{
    // Set before the command goes, so the lane cannot read its outcome without it; taken back when
    // no dialog was up to receive it.
    m_bEscapePressed = true;
    const HWND hDialog = m_hDialog.load();
    // The dialog manager turns Escape into this command.
    if (hDialog && PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0))
        return true;
    m_bEscapePressed = false;
    return false;
}

int32_t SoakLane::PickKind()
{
    std::vector<int32_t> kinds;
    // A lane keeps a few dozen files at most, so every file comes through before the end.
    if (m_counters.nSendBudget.load() > 0 && m_model.size() < 32)
        kinds.push_back(rkSend);
    if (!m_fresh.empty())
        kinds.push_back(rkReceive);
    if (!m_received.empty())
        kinds.push_back(rkRenameFile);
    if (!m_renamed.empty())
        kinds.push_back(rkErase);
    if (kinds.empty())
        return 0;
    return kinds[std::uniform_int_distribution<size_t>(0, kinds.size() - 1)(m_rng)];
}

bool SoakLane::Step(HANDLE hDevice)
{
    const int32_t nKind = PickKind();
    if (nKind == 0)
        return false;
    const int nBatch = std::uniform_int_distribution<int>(1, 8)(m_rng);

    struct Item {
        std::string strName;
        std::string strOld; // renames: the current name
        Bytes bytes;        // sends: what goes; the others: what the machine holds
        bool bGhost = false; // a name the machine never had
    };
    std::vector<Item> items;
    auto takeFrom = [&](const std::vector<std::string>& stage) {
        for (size_t i = 0; i < stage.size() && static_cast<int>(items.size()) < nBatch; ++i)
            items.push_back({stage[i], {}, m_model.at(stage[i]), false});
    };
    switch (nKind) {
    case rkSend: {
        int nBudget = m_counters.nSendBudget.load();
        int nTake = 0;
        do {
            nTake = std::min(nBatch, nBudget);
            if (nTake <= 0)
                return false;
        } while (!m_counters.nSendBudget.compare_exchange_weak(nBudget, nBudget - nTake));
        for (int i = 0; i < nTake; ++i) {
            Bytes bytes(std::uniform_int_distribution<size_t>(1, 1500)(m_rng));
            for (uint8_t& b : bytes)
                b = static_cast<uint8_t>(m_rng());
            items.push_back({Numbered('f', m_nNextFile++), {}, std::move(bytes), false});
        }
        break;
    }
    case rkReceive:
        takeFrom(m_fresh);
        break;
    case rkRenameFile:
        takeFrom(m_received);
        for (Item& item : items) {
            item.strOld = item.strName;
            item.strName = "r" + item.strOld.substr(1);
        }
        break;
    case rkErase:
        takeFrom(m_renamed);
        break;
    }
    // Now and then a name the machine does not have: that record alone must fail.
    if ((nKind == rkReceive || nKind == rkErase) && std::uniform_int_distribution<int>(0, 19)(m_rng) == 0) {
        const size_t nAt = std::uniform_int_distribution<size_t>(0, items.size())(m_rng);
        items.insert(items.begin() + static_cast<std::ptrdiff_t>(nAt),
                     Item{Numbered('g', m_nNextFile++), {}, {}, true});
    }

    m_bEscapePressed = false;
    SoakTransferDlg dlg(hDevice, m_nStorage, Folder(), nKind, m_hDialog);
    for (const Item& item : items) {
        const CString strName = CString::FromUtf8(item.strName);
        BOOL bQueued = FALSE;
        switch (nKind) {
        case rkSend:
            bQueued = dlg.AddSendData(strName, item.bytes.data(), static_cast<uint32_t>(item.bytes.size()));
            break;
        case rkRenameFile: bQueued = dlg.AddRename(CString::FromUtf8(item.strOld), strName); break;
        default: bQueued = dlg.AddName(strName); break;
        }
        if (!bQueued)
            Mismatch("could not queue " + item.strName);
    }
    const INT_PTR nReturn = dlg.DoModal();
    ++m_counters.nRuns;
    m_counters.nItems += static_cast<int>(items.size());
    const int32_t nResult = dlg.m_nResult;
    char szResult[16];
    std::snprintf(szResult, sizeof szResult, "0x%X", static_cast<unsigned>(nResult));
    const std::string strRun = "kind " + std::to_string(nKind) + " ended " + szResult + ": ";
    if (!dlg.m_pResults || !dlg.m_pFailedNames) {
        Mismatch(strRun + "no results after the dialog");
        return true;
    }

    std::map<std::string, Bytes> done; // name -> the bytes of its record
    for (const CCommunicationData* p : *dlg.m_pResults)
        done[p->m_strItemName.ToUtf8()] = p->m_pData ? Bytes(p->m_pData, p->m_pData + p->m_nSize) : Bytes();
    std::vector<std::string> failed;
    for (const CString& s : *dlg.m_pFailedNames)
        failed.push_back(s.ToUtf8());

    // The report: every record exactly once, done or failed, each list in queued order.
    {
        size_t iDone = 0, iFailed = 0;
        std::vector<std::string> doneOrder;
        for (const CCommunicationData* p : *dlg.m_pResults)
            doneOrder.push_back(p->m_strItemName.ToUtf8());
        for (const Item& item : items) {
            if (iDone < doneOrder.size() && doneOrder[iDone] == item.strName)
                ++iDone;
            else if (iFailed < failed.size() && failed[iFailed] == item.strName)
                ++iFailed;
            else
                Mismatch(strRun + item.strName + " is neither done nor failed, or out of order");
        }
        if (iDone != doneOrder.size() || iFailed != failed.size())
            Mismatch(strRun + "the results name records that were not queued");
    }
    // Escape ends the dialog with IDCANCEL whatever the run did; its result keeps the value it had.
    const bool bCancelled = m_bEscapePressed.load() && nReturn == IDCANCEL;
    if (bCancelled) {
        ++m_counters.nCancelled;
    } else {
        if ((nReturn == IDOK) != (nResult == 0))
            Mismatch(strRun + "DoModal answered " + std::to_string(nReturn));
        if ((nResult == 0) != failed.empty())
            Mismatch(strRun + std::to_string(failed.size()) + " failed names");
        // A run that stopped drops the records from the stop on, the last one among them.
        if (nResult != 0 && nResult != PartialCode(nKind) && !items.empty() && !failed.empty() &&
            failed.back() != items.back().strName)
            Mismatch(strRun + "stopped, yet the last record is not among the failed");
    }
    m_counters.nFailedItems += static_cast<int>(failed.size());
    if (nResult != 0)
        ++m_counters.nFailedRuns;

    // Each record against the machine, and the model brought up to date.
    for (const Item& item : items) {
        const auto it = done.find(item.strName);
        const bool bDone = it != done.end();
        const std::string strItem = strRun + item.strName + (bDone ? " done: " : " failed: ");
        if (item.bGhost) {
            if (bDone)
                Mismatch(strItem + "a file the machine never had");
            continue;
        }
        switch (nKind) {
        case rkSend:
            if (bDone) {
                if (!HoldsExactly(item.strName, item.bytes))
                    Mismatch(strItem + "not on the machine as sent");
                m_model[item.strName] = item.bytes;
                m_fresh.push_back(item.strName);
                ++m_counters.nSent;
            } else {
                if (std::filesystem::exists(HostPath(item.strName)))
                    Mismatch(strItem + "yet it is on the machine");
                ++m_counters.nSendBudget; // another file goes in its place
            }
            break;
        case rkReceive:
            if (bDone) {
                if (it->second != item.bytes)
                    Mismatch(strItem + "the bytes received differ from those sent");
                std::erase(m_fresh, item.strName);
                m_received.push_back(item.strName);
                ++m_counters.nReceived;
            }
            if (!HoldsExactly(item.strName, item.bytes))
                Mismatch(strItem + "the machine's file changed");
            break;
        case rkRenameFile:
            if (bDone) {
                if (std::filesystem::exists(HostPath(item.strOld)) || !HoldsExactly(item.strName, item.bytes))
                    Mismatch(strItem + "not renamed on the machine");
                m_model.erase(item.strOld);
                m_model[item.strName] = item.bytes;
                std::erase(m_received, item.strOld);
                m_renamed.push_back(item.strName);
                ++m_counters.nRenamed;
            } else if (!HoldsExactly(item.strOld, item.bytes) || std::filesystem::exists(HostPath(item.strName))) {
                Mismatch(strItem + "yet the machine changed");
            }
            break;
        case rkErase:
            if (bDone) {
                if (std::filesystem::exists(HostPath(item.strName)))
                    Mismatch(strItem + "still on the machine");
                m_model.erase(item.strName);
                std::erase(m_renamed, item.strName);
                ++m_counters.nErased;
            } else if (!HoldsExactly(item.strName, item.bytes)) {
                Mismatch(strItem + "yet the machine lost or changed it");
            }
            break;
        }
    }
    return true;
}

bool SoakLane::FolderMatchesModel(std::string& strWhy) const
{
    std::error_code ec;
    size_t nFiles = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_dir, ec)) {
        const std::string strName = entry.path().filename().string();
        const auto it = m_model.find(strName);
        if (!entry.is_regular_file() || it == m_model.end()) {
            strWhy = "unexpected " + strName;
            return false;
        }
        if (!HoldsExactly(strName, it->second)) {
            strWhy = strName + " differs";
            return false;
        }
        ++nFiles;
    }
    if (ec) {
        strWhy = ec.message();
        return false;
    }
    if (nFiles != m_model.size()) {
        strWhy = std::to_string(m_model.size() - nFiles) + " file(s) missing";
        return false;
    }
    return true;
}

} // namespace soak

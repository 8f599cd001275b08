// The soak: files sent, received, renamed and erased through the transfer dialog and its worker,
// on many lanes at once (each a thread running CTransferDlg modally on a folder of its own, on
// all three storages), against the emulated machine while faults are injected at random: answer
// codes, cable pulls inside an operation, late answers, the cable pulled mid-round, a storage that
// fills up, a missing flash drive, Escape on a dialog during its run. After each round every folder
// must hold exactly its model, and at the end no handle, platform thread or host thread may be left
// behind (and, in the address sanitizer build, no leaked memory).
//
// It runs only with TAVREN_SOAK=1 (./test.sh --soak sets it), so a plain ctest stays short.
//
//   TAVREN_SOAK_SEED=N     replay the plan of a run (the seed is printed)
//   TAVREN_SOAK_FILES=N    files to send (10000)
//   TAVREN_SOAK_LANES=N    lanes at once (48)
//
// A short run: TAVREN_SOAK=1 TAVREN_SOAK_FILES=300 TAVREN_SOAK_LANES=8 build/bin/soak_tests
#include "tests/comm/CommTestSupport.h"

#include "comm/TransferDlg.h"
#include "platform/afx/ModuleState.h"
#include "platform/afx/WinThread.h"
#include "platform/user/WinUser.h"

#include <algorithm>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <functional>
#include <map>
#include <memory>
#include <random>
#include <ranges>
#include <thread>

// LeakSanitizer's check, there in the address sanitizer build only.
extern "C" int __lsan_do_recoverable_leak_check() __attribute__((weak));

using namespace tavren::test;
namespace fs = std::filesystem;

namespace {

using Bytes = std::vector<uint8_t>;

uint64_t Setting(const char* pszName, uint64_t nDefault)
{
    const char* s = std::getenv(pszName);
    return s && *s ? std::strtoull(s, nullptr, 0) : nDefault;
}

size_t HostThreads() { return size_t(std::distance(fs::directory_iterator("/proc/self/task"), fs::directory_iterator())); }

// Waits up to 5 s for a count that drops as detached threads finish.
size_t Settled(const std::function<size_t()>& count, size_t nWanted)
{
    for (int i = 0; i < 1000 && count() > nWanted; ++i)
        Sleep(5);
    return count();
}

// The bytes of the files on a storage (between rounds, when nothing changes them).
uintmax_t UsedBytes(const fs::path& storage)
{
    uintmax_t n = 0;
    for (const auto& entry : fs::recursive_directory_iterator(storage))
        n += entry.is_regular_file() ? entry.file_size() : 0;
    return n;
}

// Totals shared by every lane.
struct Counters {
    // files still to be sent successfully; only so many disagreements are printed in full
    std::atomic<int> nSendBudget{0}, nSent{0}, nErased{0}, nMismatches{0}, nPrinted{0};
};

// The lane's transfer dialog tells the lane which window it is while it is up, so the soak can
// close it the way Escape does in the middle of a run.
class SoakTransferDlg : public CTransferDlg {
public:
    using CTransferDlg::CTransferDlg;
    BOOL OnInitDialog() override
    {
        const BOOL bResult = CTransferDlg::OnInitDialog();
        return *m_pShown = m_hWnd, bResult;
    }
    BOOL DestroyWindow() override { return *m_pShown = 0, CTransferDlg::DestroyWindow(); }
    std::atomic<HWND>* m_pShown = nullptr;
};

// One lane: a folder of its own on one storage, the model of what that folder must hold, and the
// files on their way through it (sent, then received, then renamed, then erased). Each step queues
// one batch in a CTransferDlg run modally on the lane's thread, then checks what the dialog
// reported against the machine and brings the model up to date.
class SoakLane {
public:
    // Lanes take the three storages in turn.
    SoakLane(int nIndex, const EmulatedMachine& machine, uint64_t nSeed, Counters& counters)
        : m_nIndex(nIndex), m_nStorage(static_cast<uint16_t>(1 + nIndex % 3)),
          m_dir(machine.Storage(m_nStorage) / "EMB" / ("SOAK" + std::to_string(nIndex))), m_rng(nSeed),
          m_counters(counters)
    {
        fs::create_directories(m_dir);
    }
    // Every file of the lane has been sent, received, renamed and erased.
    bool Drained() const { return m_model.empty(); }

    // Closes the lane's dialog as Escape does (the dialog manager turns it into IDCANCEL), when one
    // is up. The flag is set before the command goes, so the lane cannot read the run's outcome
    // without it, and taken back when no dialog was up to receive it.
    void PressEscape()
    {
        m_bEscapePressed = true;
        const HWND hDialog = m_hDialog.load();
        m_bEscapePressed = hDialog && PostMessageW(hDialog, WM_COMMAND, IDCANCEL, 0);
    }

    // One batch (when the lane has anything to do) through the dialog with this round's device handle.
    void Step(HANDLE hDevice)
    {
        std::vector<int32_t> kinds;
        // A lane keeps a few dozen files at most, so every file comes through before the end.
        if (m_counters.nSendBudget.load() > 0 && m_model.size() < 32)
            kinds.push_back(rkSend);
        for (int32_t nKind : {rkReceive, rkRenameFile, rkErase})
            if (!m_stages[nKind].empty())
                kinds.push_back(nKind);
        if (kinds.empty())
            return;
        const int32_t nKind = kinds[Pick<size_t>(0, kinds.size() - 1)];
        const int nBatch = Pick(1, 8);

        // The name, for renames the current one, the bytes (sends: what goes; the others: what the
        // machine holds), and whether it is a name the machine never had.
        struct Item { std::string strName, strOld; Bytes bytes; bool bGhost = false; };
        std::vector<Item> items;
        if (nKind == rkSend) {
            // Taken from the budget shared with the other lanes; what is not taken goes back.
            const int nTake = std::clamp(m_counters.nSendBudget.fetch_sub(nBatch), 0, nBatch);
            m_counters.nSendBudget += nBatch - nTake;
            if (nTake == 0)
                return;
            for (int i = 0; i < nTake; ++i) {
                items.push_back({Numbered('f', m_nNextFile++), {}, Bytes(Pick<size_t>(1, 1500))});
                std::generate(items.back().bytes.begin(), items.back().bytes.end(), std::ref(m_rng));
            }
        } else {
            for (const std::string& strOld : m_stages[nKind] | std::views::take(nBatch))
                items.push_back({nKind == rkRenameFile ? "r" + strOld.substr(1) : strOld, strOld, m_model.at(strOld)});
        }
        // Now and then a name the machine does not have: that record alone must fail.
        if ((nKind == rkReceive || nKind == rkErase) && Pick(0, 19) == 0)
            items.insert(items.begin() + static_cast<std::ptrdiff_t>(Pick<size_t>(0, items.size())),
                         Item{Numbered('g', m_nNextFile++), {}, {}, true});

        m_bEscapePressed = false;
        SoakTransferDlg dlg(hDevice, m_nStorage, CString(u"\\\\EMB\\") + CString::FromUtf8(m_dir.filename().string()), nKind);
        dlg.m_pShown = &m_hDialog;
        for (const Item& item : items) {
            const CString strName = CString::FromUtf8(item.strName);
            Expect(nKind == rkSend ? dlg.AddSendData(strName, item.bytes.data(), static_cast<uint32_t>(item.bytes.size()))
                   : nKind == rkRenameFile ? dlg.AddRename(CString::FromUtf8(item.strOld), strName)
                                           : dlg.AddName(strName), "could not queue " + item.strName);
        }
        const INT_PTR nReturn = dlg.DoModal();
        const int32_t nResult = dlg.m_nResult;
        char szRun[48];
        std::snprintf(szRun, sizeof szRun, "kind %d ended 0x%X: ", nKind, static_cast<unsigned>(nResult));
        const std::string strRun = szRun;
        if (!Expect(dlg.m_pResults && dlg.m_pFailedNames, strRun + "no results after the dialog"))
            return;
        std::vector<std::string> doneOrder, failed;
        std::map<std::string, Bytes> done; // name -> the bytes of its record
        for (const CCommunicationData* p : *dlg.m_pResults)
            done[doneOrder.emplace_back(p->m_strItemName.ToUtf8())] = p->m_pData ? Bytes(p->m_pData, p->m_pData + p->m_nSize) : Bytes();
        for (const CString& s : *dlg.m_pFailedNames)
            failed.push_back(s.ToUtf8());

        // The report: every record exactly once, done or failed, each list in queued order.
        size_t iDone = 0, iFailed = 0;
        for (const Item& item : items) {
            if (iDone < doneOrder.size() && doneOrder[iDone] == item.strName)
                ++iDone;
            else
                Expect(iFailed < failed.size() && failed[iFailed++] == item.strName,
                       strRun + item.strName + " is neither done nor failed, or out of order");
        }
        Expect(iDone == doneOrder.size() && iFailed == failed.size(), strRun + "the results name records that were not queued");
        // Escape ends the dialog with IDCANCEL whatever the run did; its result keeps the value it had.
        if (!m_bEscapePressed.load() || nReturn != IDCANCEL) {
            Expect((nReturn == IDOK) == (nResult == 0), strRun + "DoModal answered " + std::to_string(nReturn));
            Expect((nResult == 0) == failed.empty(), strRun + std::to_string(failed.size()) + " failed names");
        }

        // Each record against the machine, and the model and the stages brought up to date. A done
        // record leaves its bytes under its (new) name, none for an erase; a failed one leaves the
        // machine as it was: the bytes under the old name, none for a send.
        for (const Item& item : items) {
            const auto it = done.find(item.strName);
            const bool bDone = it != done.end();
            const std::string strItem = strRun + item.strName + (bDone ? " done: " : " failed: ");
            if (item.bGhost) {
                Expect(!bDone, strItem + "a file the machine never had");
                continue;
            }
            const std::string& strHeld = bDone || nKind != rkRenameFile ? item.strName : item.strOld;
            if (bDone ? nKind == rkErase : nKind == rkSend)
                Expect(!fs::exists(m_dir / item.strName), strItem + "yet it is on the machine");
            else // a missing file reads as none
                Expect(EmulatedMachine::ReadBytes(m_dir / strHeld) == item.bytes, strItem + "the machine does not hold " + strHeld + " as it should");
            Expect(nKind != rkRenameFile || !fs::exists(m_dir / (bDone ? item.strOld : item.strName)), strItem + "the machine holds both names");
            Expect(nKind != rkReceive || !bDone || it->second == item.bytes, strItem + "the bytes received differ from those sent");
            if (!bDone) {
                if (nKind == rkSend)
                    ++m_counters.nSendBudget; // another file goes in its place
                continue;
            }
            m_model.erase(item.strOld);
            if (nKind != rkSend)
                std::erase(m_stages[nKind], item.strOld);
            if (nKind != rkErase) {
                m_model[item.strName] = item.bytes;
                m_stages[nKind + 1].push_back(item.strName); // send, receive, rename, erase in turn
            }
            m_counters.nSent += nKind == rkSend;
            m_counters.nErased += nKind == rkErase;
        }
    }

    // After each round: the folder on the machine holds exactly the model (names and bytes,
    // nothing half written).
    void CheckFolder(int nRound) const
    {
        const std::string strWhen = "after round " + std::to_string(nRound) + ": ";
        std::error_code ec;
        size_t nFiles = 0;
        for (const auto& entry : fs::directory_iterator(m_dir, ec)) {
            const std::string strName = entry.path().filename().string();
            const auto it = m_model.find(strName);
            nFiles += Expect(it != m_model.end() && EmulatedMachine::ReadBytes(entry.path()) == it->second,
                             strWhen + strName + (it == m_model.end() ? " unexpected" : " differs"));
        }
        Expect(!ec && nFiles == m_model.size(), strWhen + (ec ? ec.message() : "files missing"));
    }

private:
    template <class T = int>
    T Pick(T nLo, T nHi) { return std::uniform_int_distribution<T>(nLo, nHi)(m_rng); }
    static std::string Numbered(char chPrefix, int n) { return chPrefix + std::to_string(n) + ".qef"; }
    // Counts a disagreement unless bOk; answers bOk.
    bool Expect(bool bOk, const std::string& strWhat) const
    {
        if (!bOk && (++m_counters.nMismatches, m_counters.nPrinted.fetch_add(1) < 40))
            ADD_FAILURE() << "lane " << m_nIndex << " (storage " << m_nStorage << "): " << strWhat;
        return bOk;
    }

    std::atomic<HWND> m_hDialog{0}; // the lane's dialog while it is up
    std::atomic<bool> m_bEscapePressed{false};
    int m_nIndex;
    uint16_t m_nStorage;
    fs::path m_dir;
    std::mt19937_64 m_rng;
    Counters& m_counters;
    int m_nNextFile = 0;
    std::map<std::string, Bytes> m_model; // name -> bytes: what the folder must hold
    // kind -> the files waiting for it (each kind's number is one more than the last's): sent, not
    // yet received; received, not yet renamed; renamed, not yet erased
    std::map<int32_t, std::vector<std::string>> m_stages{{rkReceive, {}}, {rkRenameFile, {}}, {rkErase, {}}};
};

class SoakTest : public ModuleFixture {
protected:
    SoakTest() : ModuleFixture(Parts().Machine().Watchdog(45 * 60 * 1000)) {}
};

const char* const kOps[] = {"DownloadFile", "UploadFile", "RenameFile", "EraseFile"};
// Codes the machine and the link answer: time-out, link and cable failures, a busy machine, a full
// storage, no flash drive, files it cannot open, save or find.
const char* const kCodes[] = {"3", "6", "0x8001", "0x8003", "0x8006", "0x800C", "0x800F", "0x8010", "0x8013",
                              "0x8007", "0x8008", "0x800A"};

} // namespace

TEST_F(SoakTest, FilesThroughTheTransferDialogUnderFaults)
{
    if (Setting("TAVREN_SOAK", 0) != 1)
        GTEST_SKIP() << "the soak runs with TAVREN_SOAK=1: ./test.sh --soak";
    const uint64_t nSeed = Setting("TAVREN_SOAK_SEED", std::random_device{}() | (uint64_t(std::random_device{}()) << 32));
    const int nFiles = static_cast<int>(Setting("TAVREN_SOAK_FILES", 10000));
    const int nLanes = static_cast<int>(Setting("TAVREN_SOAK_LANES", 48));
    std::printf("[soak] seed %llu (replay: TAVREN_SOAK_SEED=%llu), %d files, %d lanes\n",
                static_cast<unsigned long long>(nSeed), static_cast<unsigned long long>(nSeed), nFiles, nLanes);
    std::fflush(stdout);
    std::mt19937_64 rng(nSeed);
    auto chance = [&](int nPercent) { return std::uniform_int_distribution<int>(0, 99)(rng) < nPercent; };
    auto pick = [&](int nLo, int nHi) { return std::uniform_int_distribution<int>(nLo, nHi)(rng); };

    ASSERT_TRUE(EnsureMachineLink());
    // The device handle of the machine as it is now; the old one (dead after a pull) closed.
    HANDLE hDevice = 0;
    auto reconnect = [&] {
        int32_t nStatus = -1;
        return (hDevice && CloseHandle(hDevice), hDevice = MachineLink().m_pfnGetConnectedDevice(0, -1, &nStatus)) != 0;
    };
    ASSERT_TRUE(reconnect());
    const size_t nHandlesBefore = tavren::CountHandles();
    const size_t nPlatformThreadsBefore = tavren::CountRunningThreads();
    const size_t nHostThreadsBefore = HostThreads();

    Counters counters;
    counters.nSendBudget = nFiles;
    std::vector<std::unique_ptr<SoakLane>> lanes;
    for (int i = 0; i < nLanes; ++i)
        lanes.push_back(std::make_unique<SoakLane>(i, Machine(), nSeed + 7919u * (i + 1), counters));

    // Two meetings a round: the lanes start together, and the round ends when the last is back.
    std::barrier<> meeting(nLanes + 1);
    std::atomic<bool> bOver{false};
    std::vector<std::thread> threads;
    for (int i = 0; i < nLanes; ++i)
        threads.emplace_back([&, i] {
            AFX_MAINTAIN_STATE2 state(tavren::ModuleStateFromAddress(&MachineLink()));
            for (meeting.arrive_and_wait(); !bOver.load(); meeting.arrive_and_wait()) {
                lanes[i]->Step(hDevice); // changed only between rounds
                meeting.arrive_and_wait();
            }
        });

    const auto tStart = std::chrono::steady_clock::now();
    int nRounds = 0;
    bool bDrained = false;
    while (!bDrained && counters.nMismatches.load() == 0 && hDevice && nRounds < 20000) {
        ++nRounds;
        // This round's faults; all of them are undone after the round.
        if (chance(35))
            CtlOk(Machine(), {"fault", kOps[pick(0, 3)], kCodes[pick(0, static_cast<int>(std::size(kCodes)) - 1)], "--count",
                              std::to_string(pick(1, 3))});
        if (chance(10))
            CtlOk(Machine(), {"fault", kOps[pick(0, 3)], "pull"});
        if (chance(25))
            CtlOk(Machine(), {"fault", kOps[pick(0, 3)], "delay", std::to_string(pick(20, 300)), "--count", std::to_string(pick(1, 3))});
        std::vector<std::pair<int, int>> events; // mid-round: ms, lane to press Escape on (-1: pull the cable)
        if (chance(6))
            events.emplace_back(pick(0, 800), -1);
        const int nFullStorage = chance(8) ? pick(1, 3) : 0;
        if (nFullStorage)
            CtlOk(Machine(), {"capacity", std::to_string(nFullStorage), std::to_string(UsedBytes(Machine().Storage(nFullStorage)) + pick(0, 6000))});
        const char* pszAbsentDrive = chance(6) ? (pick(0, 1) ? "usb1" : "usb2") : nullptr;
        if (pszAbsentDrive)
            CtlOk(Machine(), {pszAbsentDrive, "absent"});
        if (chance(10))
            events.emplace_back(pick(0, 700), pick(0, nLanes - 1));
        std::sort(events.begin(), events.end());

        meeting.arrive_and_wait();
        int nSlept = 0;
        for (const auto& [nAt, nLane] : events) {
            Sleep(static_cast<DWORD>(nAt - nSlept));
            nSlept = nAt;
            if (nLane < 0)
                CtlOk(Machine(), {"cable", "pull"});
            else
                lanes[static_cast<size_t>(nLane)]->PressEscape(); // when a dialog is up to press it on
        }
        meeting.arrive_and_wait();

        // Back to a healthy machine; a pulled cable leaves the old handle dead.
        const bool bWasPulled = Machine().Ctl({"show"}).find("cable pulled") != std::string::npos;
        CtlOk(Machine(), {"fault", "clear"});
        if (nFullStorage)
            CtlOk(Machine(), {"capacity", std::to_string(nFullStorage), "none"});
        if (pszAbsentDrive)
            CtlOk(Machine(), {pszAbsentDrive, "present"});
        if (bWasPulled) {
            CtlOk(Machine(), {"cable", "plug"});
            EXPECT_TRUE(reconnect()) << "no device after the cable was plugged in again";
        }

        for (const auto& pLane : lanes)
            pLane->CheckFolder(nRounds);
        bDrained = counters.nSendBudget.load() == 0 &&
                   std::all_of(lanes.begin(), lanes.end(), [](const auto& p) { return p->Drained(); });
    }
    bOver = true;
    meeting.arrive_and_wait();
    for (std::thread& t : threads)
        t.join();

    EXPECT_EQ(tavren::CountHandles(), nHandlesBefore);
    CloseHandle(hDevice);
    EXPECT_EQ(Settled([] { return tavren::CountRunningThreads(); }, nPlatformThreadsBefore), nPlatformThreadsBefore);
    EXPECT_EQ(Settled(HostThreads, nHostThreadsBefore), nHostThreadsBefore);
    std::printf("[soak] %d rounds in %.1f s\n", nRounds, std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count());
    EXPECT_EQ(__lsan_do_recoverable_leak_check ? __lsan_do_recoverable_leak_check() : 0, 0) << "LeakSanitizer: leaks";
    EXPECT_TRUE(bDrained) << "not every file went through in " << nRounds << " rounds";
    EXPECT_EQ(std::make_tuple(counters.nSent.load(), counters.nErased.load(), counters.nMismatches.load()), std::make_tuple(nFiles, nFiles, 0));
}

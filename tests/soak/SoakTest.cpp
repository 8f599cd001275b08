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
#include "tests/comm/CommTestSupport.h"
#include "tests/soak/SoakLane.h"

#include "platform/afx/ModuleState.h"
#include "platform/kernel/WinThread.h"

#include <algorithm>
#include <barrier>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>

#if defined(__has_feature)
#if __has_feature(address_sanitizer)
#define TAVREN_SOAK_ASAN 1
#endif
#endif
#if defined(__SANITIZE_ADDRESS__) || defined(TAVREN_SOAK_ASAN)
#include <sanitizer/lsan_interface.h>
#define TAVREN_SOAK_LSAN 1
#endif

using namespace tavren::test;

namespace {

uint64_t Setting(const char* pszName, uint64_t nDefault)
{
    const char* s = std::getenv(pszName);
    return s && *s ? std::strtoull(s, nullptr, 0) : nDefault;
}

size_t HostThreads()
{
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/task")) {
        (void)entry;
        ++n;
    }
    return n;
}

// Waits up to 5 s for a count that drops as detached threads finish.
template <class F>
size_t Settled(F count, size_t nWanted)
{
    for (int i = 0; i < 1000 && count() > nWanted; ++i)
        Sleep(5);
    return count();
}

class SoakTest : public ModuleFixture {
protected:
    SoakTest() : ModuleFixture(Parts().Machine().Watchdog(45 * 60 * 1000)) {}

    // A device handle of the machine as it is now; the old one (dead after a pull) closed.
    bool Reconnect()
    {
        if (m_hDevice)
            CloseHandle(m_hDevice);
        int32_t nStatus = -1;
        m_hDevice = MachineLink().m_pfnGetConnectedDevice(0, -1, &nStatus);
        return m_hDevice != 0;
    }
    void TearDown() override
    {
        if (m_hDevice)
            CloseHandle(m_hDevice);
        ModuleFixture::TearDown();
    }
    bool Ctl(std::vector<std::string> words) const
    {
        int rc = -1;
        Machine().Ctl(words, &rc);
        return rc == 0;
    }
    uintmax_t UsedBytes(int nStorage) const
    {
        uintmax_t n = 0;
        std::error_code ec;
        for (auto it = std::filesystem::recursive_directory_iterator(Machine().Storage(nStorage), ec);
             it != std::filesystem::recursive_directory_iterator(); it.increment(ec))
            if (it->is_regular_file(ec))
                n += it->file_size(ec);
        return n;
    }

    HANDLE m_hDevice = 0;
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
    ASSERT_TRUE(Reconnect());
    const size_t nHandlesBefore = tavren::CountHandles();
    const size_t nPlatformThreadsBefore = tavren::CountRunningThreads();
    const size_t nHostThreadsBefore = HostThreads();

    soak::SoakCounters counters;
    counters.nSendBudget = nFiles;
    std::vector<std::unique_ptr<soak::SoakLane>> lanes;
    for (int i = 0; i < nLanes; ++i) {
        const uint16_t nStorage = static_cast<uint16_t>(1 + i % 3);
        const auto dir = Machine().Storage(nStorage) / "EMB" / ("SOAK" + std::to_string(i));
        std::filesystem::create_directories(dir);
        lanes.push_back(std::make_unique<soak::SoakLane>(i, nStorage, dir, nSeed + 7919u * (i + 1), counters));
    }

    // Two meetings a round: the lanes start together, and the round ends when the last is back.
    std::barrier<> meeting(nLanes + 1);
    std::atomic<bool> bOver{false};
    HANDLE hRoundDevice = m_hDevice;
    std::atomic<int> nBusyLanes{0};
    std::vector<std::thread> threads;
    for (int i = 0; i < nLanes; ++i)
        threads.emplace_back([&, i] {
            AFX_MAINTAIN_STATE2 state(tavren::ModuleStateFromAddress(&MachineLink()));
            for (;;) {
                meeting.arrive_and_wait();
                if (bOver.load())
                    return;
                if (lanes[i]->Step(hRoundDevice))
                    ++nBusyLanes;
                meeting.arrive_and_wait();
            }
        });

    std::map<std::string, int> faults;
    const auto tStart = std::chrono::steady_clock::now();
    int nRounds = 0;
    bool bDrained = false;
    while (!bDrained && counters.nMismatches.load() == 0 && nRounds < 20000) {
        ++nRounds;
        // This round's faults, and what undoing them takes after the round.
        bool bPullMidRound = false;
        int nPullAfterMs = 0;
        bool bFaultsArmed = false;
        bool bMayPull = false;
        int nFullStorage = 0;
        const char* pszAbsentDrive = nullptr;
        if (chance(35)) {
            const char* pszOp = kOps[pick(0, 3)];
            const char* pszCode = kCodes[pick(0, static_cast<int>(std::size(kCodes)) - 1)];
            EXPECT_TRUE(Ctl({"fault", pszOp, pszCode, "--count", std::to_string(pick(1, 3))}));
            ++faults[std::string("code ") + pszCode];
            bFaultsArmed = true;
        }
        if (chance(10)) {
            EXPECT_TRUE(Ctl({"fault", kOps[pick(0, 3)], "pull"}));
            ++faults["pull inside an operation"];
            bFaultsArmed = bMayPull = true;
        }
        if (chance(25)) {
            EXPECT_TRUE(Ctl({"fault", kOps[pick(0, 3)], "delay", std::to_string(pick(20, 300)), "--count",
                             std::to_string(pick(1, 3))}));
            ++faults["late answer"];
            bFaultsArmed = true;
        }
        if (chance(6)) {
            bPullMidRound = bMayPull = true;
            nPullAfterMs = pick(0, 800);
            ++faults["cable pulled mid-round"];
        }
        if (chance(8)) {
            nFullStorage = pick(1, 3);
            EXPECT_TRUE(Ctl({"capacity", std::to_string(nFullStorage),
                             std::to_string(UsedBytes(nFullStorage) + pick(0, 6000))}));
            ++faults["storage nearly full"];
        }
        if (chance(6)) {
            pszAbsentDrive = pick(0, 1) ? "usb1" : "usb2";
            EXPECT_TRUE(Ctl({pszAbsentDrive, "absent"}));
            ++faults["flash drive absent"];
        }
        int nEscapeLane = -1;
        int nEscapeAfterMs = 0;
        if (chance(10)) {
            nEscapeLane = pick(0, nLanes - 1);
            nEscapeAfterMs = pick(0, 700);
        }

        hRoundDevice = m_hDevice;
        nBusyLanes = 0;
        meeting.arrive_and_wait();
        // The two mid-round events in the order of their times.
        std::vector<std::pair<int, int>> events; // ms, 0 pull / 1 escape
        if (bPullMidRound)
            events.emplace_back(nPullAfterMs, 0);
        if (nEscapeLane >= 0)
            events.emplace_back(nEscapeAfterMs, 1);
        std::sort(events.begin(), events.end());
        int nSlept = 0;
        for (const auto& [nAt, nWhat] : events) {
            Sleep(static_cast<DWORD>(nAt - nSlept));
            nSlept = nAt;
            if (nWhat == 0)
                EXPECT_TRUE(Ctl({"cable", "pull"}));
            else if (lanes[static_cast<size_t>(nEscapeLane)]->PressEscape())
                ++faults["Escape during a run"];
        }
        meeting.arrive_and_wait();

        // Back to a healthy machine; a pulled cable leaves the old handle dead.
        const bool bWasPulled = bMayPull && Machine().Ctl({"show"}).find("cable pulled") != std::string::npos;
        if (bFaultsArmed) {
            EXPECT_TRUE(Ctl({"fault", "clear"}));
        }
        if (nFullStorage) {
            EXPECT_TRUE(Ctl({"capacity", std::to_string(nFullStorage), "none"}));
        }
        if (pszAbsentDrive) {
            EXPECT_TRUE(Ctl({pszAbsentDrive, "present"}));
        }
        if (bWasPulled) {
            EXPECT_TRUE(Ctl({"cable", "plug"}));
            if (!Reconnect()) {
                ++counters.nMismatches;
                ADD_FAILURE() << "no device after the cable was plugged in again";
            }
        }

        for (const auto& pLane : lanes) {
            std::string strWhy;
            if (!pLane->FolderMatchesModel(strWhy)) {
                ++counters.nMismatches;
                ADD_FAILURE() << "round " << nRounds << ", storage " << pLane->Storage() << " folder "
                              << pLane->Folder().ToUtf8() << ": " << strWhy;
            }
        }
        bDrained = nBusyLanes.load() == 0 && counters.nSendBudget.load() == 0 &&
                   std::all_of(lanes.begin(), lanes.end(), [](const auto& p) { return p->Drained(); });
        if (nRounds % 25 == 0) {
            std::printf("[soak] round %d: %d sent, %d erased\n", nRounds, counters.nSent.load(),
                        counters.nErased.load());
            std::fflush(stdout);
        }
    }
    bOver = true;
    meeting.arrive_and_wait();
    for (std::thread& t : threads)
        t.join();
    const double dSeconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - tStart).count();

    const size_t nHandlesAfter = tavren::CountHandles();
    const size_t nPlatformThreadsAfter = Settled([] { return tavren::CountRunningThreads(); }, nPlatformThreadsBefore);
    const size_t nHostThreadsAfter = Settled(HostThreads, nHostThreadsBefore);

    std::printf("[soak] files moved: %d sent (of %d), %d received, %d renamed, %d erased\n", counters.nSent.load(),
                nFiles, counters.nReceived.load(), counters.nRenamed.load(), counters.nErased.load());
    std::printf("[soak] operations: %d rounds, %d dialog runs, %d records queued, %d runs ended with an error "
                "(%d by Escape), %d records failed\n",
                nRounds, counters.nRuns.load(), counters.nItems.load(), counters.nFailedRuns.load(),
                counters.nCancelled.load(), counters.nFailedItems.load());
    std::printf("[soak] faults injected:");
    for (const auto& [strKind, n] : faults)
        std::printf(" %s %d;", strKind.c_str(), n);
    std::printf("\n[soak] duration %.1f s\n", dSeconds);
    std::printf("[soak] leaks: handles %zu before, %zu after; platform threads %zu before, %zu after; "
                "host threads %zu before, %zu after\n",
                nHandlesBefore, nHandlesAfter, nPlatformThreadsBefore, nPlatformThreadsAfter, nHostThreadsBefore,
                nHostThreadsAfter);
#ifdef TAVREN_SOAK_LSAN
    const int nLeaks = __lsan_do_recoverable_leak_check();
    std::printf("[soak] LeakSanitizer: %s\n", nLeaks ? "leaks found (report above)" : "no leaks");
    EXPECT_EQ(nLeaks, 0);
#else
    std::printf("[soak] LeakSanitizer: not in this build (run ./test.sh --soak)\n");
#endif
    std::printf("[soak] mismatches: %d\n", counters.nMismatches.load());
    std::fflush(stdout);

    EXPECT_TRUE(bDrained) << "not every file went through in " << nRounds << " rounds";
    EXPECT_EQ(counters.nSent.load(), nFiles);
    EXPECT_EQ(counters.nErased.load(), nFiles);
    EXPECT_EQ(counters.nMismatches.load(), 0);
    EXPECT_EQ(nHandlesAfter, nHandlesBefore);
    EXPECT_EQ(nPlatformThreadsAfter, nPlatformThreadsBefore);
    EXPECT_EQ(nHostThreadsAfter, nHostThreadsBefore);
}

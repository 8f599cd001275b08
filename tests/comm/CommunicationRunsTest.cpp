// The runs of the communication thread against the emulated machine, called on the test thread
// (no window: no progress messages), so each result, record list and failed-name list is exact.
#include "tests/comm/CommTestSupport.h"

#include "comm/ListingReader.h"

using namespace commtest;

namespace {

using RunsTest = CMachineTest;

std::vector<std::string> ListingNames(const CCommunicationData& record)
{
    std::vector<std::string> names;
    CListingReader reader(record.m_pData, record.m_nSize);
    CListingReader::CEntry entry;
    while (reader.Next(entry))
        names.push_back((entry.m_bFolder ? "+" : "") + entry.m_strName.ToUtf8());
    EXPECT_FALSE(reader.IsBroken());
    return names;
}

} // namespace

// ---- receive

TEST_F(RunsTest, Receive_MissingFileIsSkipped)
{
    PutFile("a.qef", Bytes(10, 1));
    PutFile("c.qef", Bytes(10, 3));
    CCommunicationThread thread;
    EXPECT_EQ(Run(thread, rkReceive, {NameRecord(u"a.qef"), NameRecord(u"b.qef"), NameRecord(u"c.qef")}), 0x8012);
    EXPECT_EQ(ItemNames(thread), (std::vector<std::string>{"a.qef", "c.qef"}));
    EXPECT_EQ(Names(thread.m_failedNames), (std::vector<std::string>{"b.qef"}));
    // Each record received holds its file's bytes.
    for (INT_PTR i = 0; i < thread.m_requests.GetSize(); ++i) {
        const CCommunicationData* p = thread.m_requests[i];
        EXPECT_EQ(std::vector<uint8_t>(p->m_pData, p->m_pData + p->m_nSize), Bytes(10, i == 0 ? 1 : 3)) << i;
    }
}

// ---- a failing call: a stop class ends the run and fails every name, a skip class fails only its
// item; 0x800C (the machine opening or saving a file) for every multi-item kind

struct FaultCase {
    int32_t nKind;
    const char* pszOp;
    const char* pszFault;
    int32_t nResult;  // the fault's own code when the run stops, else the kind's partial code
};

class FaultedRunTest : public CMachineTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultedRunTest, StopsOrSkipsTheItem)
{
    const FaultCase& c = GetParam();
    if (c.nKind != rkSend) {
        PutFile("one.qef", Bytes(10, 1));
        PutFile("two.qef", Bytes(10, 2));
    }
    std::filesystem::create_directories(HostPath("dir1"));
    std::filesystem::create_directories(HostPath("dir2"));
    CCommunicationThread thread;
    Prepare(thread, c.nKind);
    switch (c.nKind) {
    case rkSend:
        thread.m_requests.Add(SendRecord(u"one.qef", Bytes(4, 1)));
        thread.m_requests.Add(SendRecord(u"two.qef", Bytes(4, 2)));
        break;
    case rkReceive:
    case rkErase:
        thread.m_requests.Add(NameRecord(u"one.qef"));
        thread.m_requests.Add(NameRecord(u"two.qef"));
        break;
    case rkRenameFile:
        thread.m_requests.Add(NameRecord(u"uno.qef", u"one.qef"));
        thread.m_requests.Add(NameRecord(u"dos.qef", u"two.qef"));
        break;
    case rkCreateFolder:
        thread.m_requests.Add(NameRecord(u"new1"));
        thread.m_requests.Add(NameRecord(u"new2"));
        break;
    case rkRenameFolder:
        thread.m_requests.Add(NameRecord(u"dirA", u"dir1"));
        thread.m_requests.Add(NameRecord(u"dirB", u"dir2"));
        break;
    }
    const std::string strFirst = thread.m_requests[0]->m_strItemName.ToUtf8();
    const std::string strSecond = thread.m_requests[1]->m_strItemName.ToUtf8();
    Fault(c.pszOp, c.pszFault);
    EXPECT_EQ(thread.RunRequest(), c.nResult);
    const bool bStopped = c.nResult == std::stoi(c.pszFault, nullptr, 0);
    if (bStopped) {
        EXPECT_EQ(thread.m_requests.GetSize(), 0);
        EXPECT_EQ(Names(thread.m_failedNames), (std::vector<std::string>{strFirst, strSecond}));
    } else {
        EXPECT_EQ(ItemNames(thread), (std::vector<std::string>{strSecond}));
        EXPECT_EQ(Names(thread.m_failedNames), (std::vector<std::string>{strFirst}));
    }
    if (c.nKind == rkSend) {  // a failed item is not written; after a skip the next one is
        EXPECT_FALSE(Exists("one.qef"));
        EXPECT_EQ(Exists("two.qef"), !bStopped);
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, FaultedRunTest,
                         ::testing::Values(FaultCase{rkSend, "DownloadFile", "0x800C", 0x800C},
                                           FaultCase{rkSend, "DownloadFile", "3", 0x8011},
                                           FaultCase{rkSend, "DownloadFile", "0x8010", 0x8010},
                                           FaultCase{rkReceive, "UploadFile", "0x800C", 0x8012},
                                           FaultCase{rkReceive, "UploadFile", "3", 3},
                                           FaultCase{rkRenameFile, "RenameFile", "0x800C", 0x800C},
                                           FaultCase{rkErase, "EraseFile", "0x800C", 0x800C},
                                           FaultCase{rkCreateFolder, "CreateFolder", "0x800C", 0x800C},
                                           FaultCase{rkRenameFolder, "RenameFolder", "0x800C", 0x800C}));

// ---- names from the machine (what each kind does to the machine's folder: the lists' tests)

// A machine may list a name holding a separator; joined to the folder it would name another file.
TEST_F(RunsTest, NamesThatLeadOutOfTheFolderAreSkippedAndTouchNothing)
{
    PutFile("a\\b.qef", Bytes(10, 1));
    PutFile("a/b.qef", Bytes(10, 2));
    PutFile("c.qef", Bytes(10, 3));

    CCommunicationThread erase;
    EXPECT_EQ(Run(erase, rkErase, {NameRecord(u"a\\b.qef"), NameRecord(u".."), NameRecord(u"c.qef")}), 0x8013);
    EXPECT_EQ(ItemNames(erase), (std::vector<std::string>{"c.qef"}));
    EXPECT_EQ(Names(erase.m_failedNames), (std::vector<std::string>{"a\\b.qef", ".."}));
    EXPECT_TRUE(Exists("a/b.qef"));
    EXPECT_TRUE(Exists("a\\b.qef"));
    EXPECT_FALSE(Exists("c.qef"));

    CCommunicationThread rename;
    EXPECT_EQ(Run(rename, rkRenameFile, {NameRecord(u"d.qef", u"a\\b.qef")}), 0x8014);
    EXPECT_TRUE(Exists("a/b.qef"));
    EXPECT_FALSE(Exists("a/d.qef"));

    CCommunicationThread receive;
    EXPECT_EQ(Run(receive, rkReceive, {NameRecord(u"a\\b.qef")}), 0x8012);
    EXPECT_EQ(receive.m_requests.GetSize(), 0);
}

TEST_F(RunsTest, MultiItemRunsWithoutRecordsEndWith11)
{
    for (int32_t nKind : {rkSend, rkReceive, rkRenameFile, rkErase, rkCreateFolder, rkRenameFolder}) {
        CCommunicationThread thread;
        Prepare(thread, nKind);
        EXPECT_EQ(thread.RunRequest(), 11) << "kind " << nKind;
    }
}

TEST_F(RunsTest, KindsOutsideTheTableEndWith9AndCallNothing)
{
    // A fault armed for the next listing is still there after runs that must not call the library.
    Fault("UploadList", "0x8001");
    for (int32_t nKind : {0, 9, 10, 12, -1}) {
        CCommunicationThread thread;
        Prepare(thread, nKind);
        thread.m_requests.Add(NameRecord(u"x.qef"));
        EXPECT_EQ(thread.RunRequest(), 9) << "kind " << nKind;
        EXPECT_EQ(thread.m_requests.GetSize(), 1);
    }
    CCommunicationThread list;
    Prepare(list, rkList);
    EXPECT_EQ(list.RunRequest(), 0x8001);
}

TEST_F(RunsTest, CancelBeforeTheFirstItemDropsEveryRecord)
{
    CCommunicationThread thread;
    Prepare(thread, rkSend);
    thread.m_requests.Add(SendRecord(u"a.qef", Bytes(10, 1)));
    thread.m_requests.Add(SendRecord(u"b.qef", Bytes(10, 2)));
    thread.m_evCancel.SetEvent();
    EXPECT_EQ(thread.RunRequest(), 4);
    EXPECT_EQ(thread.m_requests.GetSize(), 0);
    EXPECT_EQ(Names(thread.m_failedNames), (std::vector<std::string>{"a.qef", "b.qef"}));
    EXPECT_FALSE(Exists("a.qef"));
}

// ---- listing and current design

TEST_F(RunsTest, List_LeavesOneRecordWithTheListing)
{
    PutFile("b.qef", Bytes(10, 1));
    PutFile("a.qef", Bytes(10, 2));
    std::filesystem::create_directories(HostPath("Sub"));
    CCommunicationThread thread;
    Prepare(thread, rkList);
    thread.m_requests.Add(NameRecord(u"stale"));
    thread.m_failedNames.Add(u"stale");
    EXPECT_EQ(thread.RunRequest(), 0);
    ASSERT_EQ(thread.m_requests.GetSize(), 1);
    EXPECT_EQ(thread.m_failedNames.GetSize(), 0);
    EXPECT_EQ(ListingNames(*thread.m_requests[0]), (std::vector<std::string>{"+Sub", "a.qef", "b.qef"}));
}

TEST_F(RunsTest, List_MachineRefusalPassesThrough)
{
    CCommunicationThread thread;
    Prepare(thread, rkList);
    thread.m_strFolder = Folder() + u"\\Nowhere";
    const int32_t nResult = thread.RunRequest();
    EXPECT_NE(nResult, 0);
    EXPECT_EQ(thread.m_requests.GetSize(), 0);

    Machine().Ctl({"usb2", "absent"});
    CCommunicationThread usb;
    Prepare(usb, rkList);
    usb.m_nStorage = 3;
    usb.m_strFolder = u"\\EMB";
    EXPECT_EQ(usb.RunRequest(), 0x800F);
    Machine().Ctl({"usb2", "present"});
}

TEST_F(RunsTest, ReceiveCurrent_BringsTheSelectedDesign)
{
    const auto bytes = Bytes(777, 9);
    PutFile("cur.qef", bytes);
    ASSERT_EQ(MachineLink().m_pfnSelectFile(m_hDevice, 1, Folder() + u"\\cur.qef"), 0);
    CCommunicationThread thread;
    Prepare(thread, rkReceiveCurrent);
    EXPECT_EQ(thread.RunRequest(), 0);
    ASSERT_EQ(thread.m_requests.GetSize(), 1);
    const CCommunicationData& r = *thread.m_requests[0];
    EXPECT_EQ(std::vector<uint8_t>(r.m_pData, r.m_pData + r.m_nSize), bytes);
}

// ---- folder trees

TEST_F(RunsTest, CountTree_EmptyFolderCountsItself)
{
    std::filesystem::create_directories(HostPath("Empty"));
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder);
    int32_t nCount = 0;
    EXPECT_EQ(thread.CountTree(Folder() + u"\\Empty", nCount), 0);
    EXPECT_EQ(nCount, 1);
    int32_t nIndex = 0;
    EXPECT_EQ(thread.DeleteTree(Folder() + u"\\Empty", nIndex), 0);
    EXPECT_EQ(nIndex, 1);
    EXPECT_FALSE(Exists("Empty"));
}

TEST_F(RunsTest, DeleteFolder_RemovesTheWholeTree)
{
    PutFile("T/a.qef", Bytes(10, 1));
    PutFile("T/S/b.qef", Bytes(10, 2));
    PutFile("T/S/U/c.qef", Bytes(10, 3));
    std::filesystem::create_directories(HostPath("T/S/V"));
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder);
    int32_t nCount = 0;
    EXPECT_EQ(thread.CountTree(Folder() + u"\\T", nCount), 0);
    EXPECT_EQ(nCount, 7); // T, a, S, b, U, c, V
    thread.m_strFolder = Folder() + u"\\T";
    EXPECT_EQ(thread.RunRequest(), 0);
    EXPECT_FALSE(Exists("T"));
    EXPECT_TRUE(std::filesystem::is_directory(m_dir));
}

TEST_F(RunsTest, DeleteTree_FileThatCannotBeErasedKeepsItsFolders)
{
    // Folders come first in a listing, so the first erase is S\a.qef.
    PutFile("T/S/a.qef", Bytes(10, 1));
    PutFile("T/b.qef", Bytes(10, 2));
    Fault("EraseFile", "0x8013");
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder);
    int32_t nIndex = 0;
    const int32_t nResult = thread.DeleteTree(Folder() + u"\\T", nIndex);
    EXPECT_NE(nResult, 0);
    EXPECT_NE(nResult, 4);
    EXPECT_EQ(nIndex, 1); // only b.qef went
    EXPECT_TRUE(Exists("T/S/a.qef"));
    EXPECT_FALSE(Exists("T/b.qef"));
}

TEST_F(RunsTest, DeleteTree_StopClassEndsTheWalk)
{
    PutFile("T/a.qef", Bytes(10, 1));
    PutFile("T/b.qef", Bytes(10, 2));
    Fault("EraseFile", "0x800C");
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder);
    thread.m_strFolder = Folder() + u"\\T";
    EXPECT_EQ(thread.RunRequest(), 0x800C);
    EXPECT_TRUE(Exists("T/a.qef"));
    EXPECT_TRUE(Exists("T/b.qef"));
}

class BrokenListingTest : public CMachineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BrokenListingTest, TreeWalksStopWithoutErasing)
{
    PutFile("T/a.qef", Bytes(10, 1));
    PutFile("T/S/b.qef", Bytes(10, 2));
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder);
    int32_t nCount = 0;
    BreakNextListing(GetParam());
    EXPECT_EQ(thread.CountTree(Folder() + u"\\T", nCount), 7);

    BreakNextListing(GetParam());
    int32_t nIndex = 0;
    EXPECT_EQ(thread.DeleteTree(Folder() + u"\\T", nIndex), 7);
    EXPECT_EQ(nIndex, 0);
    EXPECT_TRUE(Exists("T/a.qef"));
    EXPECT_TRUE(Exists("T/S/b.qef"));

    // The list run hands the listing on as it came; its reader stops at the break.
    BreakNextListing(GetParam());
    CCommunicationThread list;
    Prepare(list, rkList);
    list.m_strFolder = Folder() + u"\\T";
    ASSERT_EQ(list.RunRequest(), 0);
    ASSERT_EQ(list.m_requests.GetSize(), 1);
    EXPECT_FALSE(CListingReader::IsWellFormed(list.m_requests[0]->m_pData, list.m_requests[0]->m_nSize));
}

INSTANTIATE_TEST_SUITE_P(EveryBreak, BrokenListingTest,
                         ::testing::Values("count-past-end", "zero-length", "oversized-length"));

// The runs of the communication thread against the emulated machine, called on the test thread
// (no window: no progress messages), so each result, record list and failed-name list is exact.
// What each kind does to the machine's folder is pinned in the lists' tests.
#include "tests/comm/CommTestSupport.h"

#include "comm/ListingReader.h"

#include <map>

using namespace commtest;
using RunsTest = CMachineTest;

TEST_F(RunsTest, Receive_MissingFileIsSkipped)
{
    PutFile("a.qef", Bytes(10, 1));
    PutFile("c.qef", Bytes(10, 3));
    CCommunicationThread thread;
    EXPECT_EQ(Run(thread, rkReceive, {NameRecord(u"a.qef"), NameRecord(u"b.qef"), NameRecord(u"c.qef")}), 0x8012);
    EXPECT_EQ(ItemNames(thread), (Strings{"a.qef", "c.qef"}));
    EXPECT_EQ(Names(thread.m_failedNames), Strings{"b.qef"});
    // Each record received holds its file's bytes.
    for (INT_PTR i = 0; i < thread.m_requests.GetSize(); ++i)
        EXPECT_EQ(DataOf(*thread.m_requests[i]), Bytes(10, i == 0 ? 1 : 3)) << i;
}

// ---- a failing call: a stop class ends the run and fails every name, a skip class fails only its
// item; 0x800C (the machine opening or saving a file) for every multi-item kind

// The kind, the call that fails and how, and the result: the fault's own code when the run stops,
// else the kind's partial code.
struct FaultCase { int32_t nKind; const char *pszOp, *pszFault; int32_t nResult; };

class FaultedRunTest : public CMachineTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(FaultedRunTest, StopsOrSkipsTheItem)
{
    const FaultCase& c = GetParam();
    PutFile("one.qef", Bytes(10, 1));
    PutFile("two.qef", Bytes(10, 2));
    MakeDirs({"dir1", "dir2"});
    CCommunicationThread thread;
    Prepare(thread, c.nKind);
    // Each kind's two items: the name it makes or sends, and the name it works on.
    const std::map<int32_t, std::vector<const char16_t*>> items = {
        {rkSend, {u"new1.qef", nullptr, u"new2.qef", nullptr}},   {rkReceive, {u"one.qef", nullptr, u"two.qef", nullptr}},
        {rkErase, {u"one.qef", nullptr, u"two.qef", nullptr}},    {rkRenameFile, {u"uno.qef", u"one.qef", u"dos.qef", u"two.qef"}},
        {rkCreateFolder, {u"new1", nullptr, u"new2", nullptr}}, {rkRenameFolder, {u"dirA", u"dir1", u"dirB", u"dir2"}}};
    const std::vector<const char16_t*>& item = items.at(c.nKind);
    for (size_t i = 0; i < item.size(); i += 2)
        thread.m_requests.Add(c.nKind == rkSend ? SendRecord(item[i], Bytes(4, 1)) : NameRecord(item[i], item[i + 1]));
    const Strings names = ItemNames(thread);
    Fault(c.pszOp, c.pszFault);
    EXPECT_EQ(thread.RunRequest(), c.nResult);
    const bool bStopped = c.nResult == std::stoi(c.pszFault, nullptr, 0);
    EXPECT_EQ(ItemNames(thread), bStopped ? Strings{} : Strings{names[1]});
    EXPECT_EQ(Names(thread.m_failedNames), bStopped ? names : Strings{names[0]});
    if (c.nKind == rkSend) { // a failed item is not written; after a skip the next one is
        EXPECT_EQ(std::make_pair(Exists("new1.qef"), Exists("new2.qef")), std::make_pair(false, !bStopped));
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

// A machine may list a name holding a separator; joined to the folder it would name another file.
TEST_F(RunsTest, NamesThatLeadOutOfTheFolderAreSkippedAndTouchNothing)
{
    PutFile("a\\b.qef", Bytes(10, 1));
    PutFile("a/b.qef", Bytes(10, 2));
    PutFile("c.qef", Bytes(10, 3));
    CCommunicationThread erase, rename, receive;
    EXPECT_EQ(Run(erase, rkErase, {NameRecord(u"a\\b.qef"), NameRecord(u".."), NameRecord(u"c.qef")}), 0x8013);
    EXPECT_EQ(ItemNames(erase), Strings{"c.qef"});
    EXPECT_EQ(Names(erase.m_failedNames), (Strings{"a\\b.qef", ".."}));
    EXPECT_FALSE(Exists("c.qef"));
    EXPECT_EQ(Run(rename, rkRenameFile, {NameRecord(u"d.qef", u"a\\b.qef")}), 0x8014);
    EXPECT_EQ(Run(receive, rkReceive, {NameRecord(u"a\\b.qef")}), 0x8012);
    EXPECT_EQ(receive.m_requests.GetSize(), 0);
    EXPECT_TRUE(Exists("a/b.qef") && Exists("a\\b.qef"));
    EXPECT_FALSE(Exists("a/d.qef"));
}

// Runs that cannot start: a multi-item kind without records ends with 11; a kind outside the table
// ends with 9, keeps its records and calls nothing (a fault armed for the next listing is still
// there after them); a cancel before the first item drops every record with 4.
TEST_F(RunsTest, RunsThatCannotStartEndAsEmptyUnknownOrCancelled)
{
    Fault("UploadList", "0x8001");
    for (int32_t nKind : {2, 3, 4, 5, 6, 7, 0, 9, 10, 12, -1}) { // rkSend to rkRenameFolder, then none
        const bool bInTable = nKind >= rkSend && nKind <= rkRenameFolder;
        CCommunicationThread thread;
        Prepare(thread, nKind);
        if (!bInTable)
            thread.m_requests.Add(NameRecord(u"x.qef"));
        EXPECT_EQ(thread.RunRequest(), bInTable ? 11 : 9) << "kind " << nKind;
        EXPECT_EQ(thread.m_requests.GetSize(), bInTable ? 0 : 1);
    }
    CCommunicationThread list, cancelled;
    Prepare(list, rkList);
    EXPECT_EQ(list.RunRequest(), 0x8001);

    cancelled.m_evCancel.SetEvent();
    EXPECT_EQ(Run(cancelled, rkSend, {SendRecord(u"a.qef", Bytes(10, 1)), SendRecord(u"b.qef", Bytes(10, 2))}), 4);
    EXPECT_EQ(cancelled.m_requests.GetSize(), 0);
    EXPECT_EQ(Names(cancelled.m_failedNames), (Strings{"a.qef", "b.qef"}));
    EXPECT_FALSE(Exists("a.qef"));
}

// The listing replaces whatever the records held. (What it lists: the machine lists' tests,
// MacListTest; a listing the machine refuses, for a flash drive it lacks:
// MacListTest.AnEmptyFolderShowsAnEmptyListAndFailuresKeepWhatWasShown.)
TEST_F(RunsTest, List_LeavesOneRecordWithTheListing)
{
    PutFile("a.qef", Bytes(10, 2));
    CCommunicationThread thread;
    Prepare(thread, rkList);
    thread.m_requests.Add(NameRecord(u"stale"));
    thread.m_failedNames.Add(u"stale");
    EXPECT_EQ(thread.RunRequest(), 0);
    ASSERT_EQ(thread.m_requests.GetSize(), 1);
    EXPECT_EQ(thread.m_failedNames.GetSize(), 0);
    EXPECT_TRUE(CListingReader::IsWellFormed(thread.m_requests[0]->m_pData, thread.m_requests[0]->m_nSize));
}

// ---- folder trees (counted and deleted whole: ThreadTest.DeleteFolderStepsOnceForEveryFileAndFolderDepthFirst)

// A file that cannot be erased keeps its folders and the walk goes on; a stop class ends it.
TEST_F(RunsTest, DeleteTree_AFileThatStaysKeepsItsFoldersAStopClassEndsTheWalk)
{
    // Folders come first in a listing, so the first erase is S\a.qef.
    PutFile("T/S/a.qef", Bytes(10, 1));
    PutFile("T/b.qef", Bytes(10, 2));
    PutFile("W/c.qef", Bytes(10, 3));
    PutFile("W/d.qef", Bytes(10, 4));
    Fault("EraseFile", "0x8013");
    CCommunicationThread thread;
    Prepare(thread, rkDeleteFolder);
    int32_t nIndex = 0;
    const int32_t nResult = thread.DeleteTree(Folder() + u"\\T", nIndex);
    EXPECT_TRUE(nResult != 0 && nResult != 4) << nResult;
    EXPECT_EQ(nIndex, 1); // only b.qef went
    EXPECT_TRUE(Exists("T/S/a.qef"));
    EXPECT_FALSE(Exists("T/b.qef"));

    Fault("EraseFile", "0x800C");
    Prepare(thread, rkDeleteFolder, u"W");
    EXPECT_EQ(thread.RunRequest(), 0x800C);
    EXPECT_TRUE(Exists("W/c.qef") && Exists("W/d.qef"));
}

// Each way a listing breaks (the reader's view of each: ListingReader.WholeAndBrokenListings).
class BrokenListingTest : public CMachineTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(BrokenListingTest, TreeWalksStopWithoutErasing)
{
    PutFile("T/a.qef", Bytes(10, 1));
    PutFile("T/S/b.qef", Bytes(10, 2));
    CCommunicationThread thread, list;
    Prepare(thread, rkDeleteFolder);
    int32_t nCount = 0, nIndex = 0;
    auto breakNextListing = [&] { tavren::test::CtlOk(Machine(), {"listing", GetParam()}); };
    breakNextListing();
    EXPECT_EQ(thread.CountTree(Folder() + u"\\T", nCount), 7);
    breakNextListing();
    EXPECT_EQ(thread.DeleteTree(Folder() + u"\\T", nIndex), 7);
    EXPECT_EQ(nIndex, 0);
    EXPECT_TRUE(Exists("T/a.qef") && Exists("T/S/b.qef"));

    // The list run hands the listing on as it came; its reader stops at the break.
    breakNextListing();
    Prepare(list, rkList, u"T");
    ASSERT_EQ(list.RunRequest(), 0);
    ASSERT_EQ(list.m_requests.GetSize(), 1);
    EXPECT_FALSE(CListingReader::IsWellFormed(list.m_requests[0]->m_pData, list.m_requests[0]->m_nSize));
}

INSTANTIATE_TEST_SUITE_P(EveryBreak, BrokenListingTest, ::testing::Values("count-past-end", "zero-length", "oversized-length"));

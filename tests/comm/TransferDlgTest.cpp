// The progress dialog as a user sees it, against the emulated machine: caption and text by kind,
// the bar, how and with what result it closes, and the records it leaves. (Escape during a run:
// MachineOpsTest.ErasingTickedFilesStopsAtAFailureAndACancelRemovesWhatWent and
// WriteDesignMachineSendTest.)
#include "tests/comm/CommTestSupport.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/TempDrives.h"

#include "comm/TransferDlg.h"
#include "platform/seam/Automation.h"
#include "platform/afx/ModuleState.h"

#include <tuple>

using namespace commtest;
using namespace tavren::test;

namespace {

// The dialog with a record of what its window went through.
class CObservedTransferDlg : public CTransferDlg {
public:
    using CTransferDlg::CTransferDlg;

    LRESULT WindowProc(UINT nMsg, WPARAM wParam, LPARAM lParam) override
    {
        if (nMsg == WM_XFER_START || nMsg == WM_XFER_STEP || nMsg == WM_XFER_DONE) {
            m_recorder.Record(nMsg, wParam, lParam);
            if (nMsg == WM_XFER_STEP)
                ++m_nSteps;
        }
        const LRESULT lResult = CTransferDlg::WindowProc(nMsg, wParam, lParam);
        if (nMsg == WM_TIMER && m_progress.m_hWnd) {
            ++m_nTicks;
            // While the worker is busy the bar never passes the end of the step in progress.
            if (m_thread.IsBusy() && m_progress.GetPos() > (m_nSteps + 1) * 20)
                m_bOvershot = true;
        }
        return lResult;
    }

    BOOL DestroyWindow() override
    {
        if (m_progress.m_hWnd) {
            m_nFinalPos = m_progress.GetPos();
            m_progress.GetRange(m_nFinalLower, m_nFinalUpper);
        }
        return CTransferDlg::DestroyWindow();
    }

    MessageRecorder m_recorder;
    int m_nSteps = 0, m_nTicks = 0, m_nFinalPos = -1, m_nFinalLower = -1, m_nFinalUpper = -1;
    bool m_bOvershot = false;
};

class TransferDlgTest : public CMachineTest {
protected:
    static void AddThree(CTransferDlg& dlg)
    {
        for (const char16_t* pszName : {u"a.qef", u"b.qef", u"c.qef"})
            ASSERT_TRUE(dlg.AddSendData(pszName, Bytes(100, 1).data(), 100));
    }
    // The module's state from the start: its first use starts the module, which empties the link
    // table that SetUp then fills.
    AFX_MAINTAIN_STATE2 m_state{tavren::ModuleStateFromAddress(&MachineLink())};
};

} // namespace

// ---- caption and text

// The kind, its caption, the call slowed so the dialog stays up, and the one item's names.
struct KindCase { int32_t nKind; const char16_t* pszCaption; const char* pszDelayedOp; const char16_t *pszName, *pszOld; };

class TransferDlgKindTest : public TransferDlgTest, public ::testing::WithParamInterface<KindCase> {};

TEST_P(TransferDlgKindTest, CaptionAndTextFollowTheKind)
{
    const KindCase& c = GetParam();
    PutFile("x.qef", Bytes(10, 1));
    PutFile("T/a.qef", Bytes(10, 2));
    MakeDirs({"dir"});
    ASSERT_EQ(MachineLink().m_pfnSelectFile(m_hDevice, 1, Folder() + u"\\x.qef"), 0);

    const CString strFolder = c.nKind == rkDeleteFolder ? Folder() + u"\\T" : Folder();
    CObservedTransferDlg dlg(m_hDevice, 1, strFolder, c.nKind);
    if (c.pszName) // the one item of a multi-item kind
        dlg.m_thread.m_requests.Add(c.nKind == rkSend ? SendRecord(c.pszName, Bytes(5, 3)) : NameRecord(c.pszName, c.pszOld));
    Machine().Ctl({"fault", c.pszDelayedOp, "delay", "1000"});

    tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
        u.WaitForWindow(c.pszCaption);
        u.Expect(u.Control(13034).strText == u"Please wait...", "the text");
        u.Expect(u.Control(13035).bVisible, "the bar is shown");
        u.Expect(!u.Control(IDOK).bVisible && !u.Control(IDCANCEL).bVisible, "no buttons");
        u.WaitForClose();
    }, 20000);
    EXPECT_EQ(dlg.DoModal(), IDOK);
    EXPECT_TRUE(user.Finish()) << user.Report();
    EXPECT_EQ(dlg.m_nResult, 0);
    if (c.nKind == rkList) { // no steps: the bar runs to 20 (the listing record: RunsTest.List_LeavesOneRecordWithTheListing)
        EXPECT_EQ(std::make_tuple(dlg.m_nSteps, dlg.m_nFinalUpper, dlg.m_nFinalPos), std::make_tuple(0, 20, 20));
    }
    if (c.nKind == rkReceiveCurrent) { // the selected design's bytes
        ASSERT_EQ(dlg.m_pResults->GetSize(), 1);
        EXPECT_EQ(DataOf(*(*dlg.m_pResults)[0]), Bytes(10, 1));
    }
}

INSTANTIATE_TEST_SUITE_P(EveryKind, TransferDlgKindTest,
                         ::testing::Values(KindCase{rkList, u"Design List", "UploadList", nullptr, nullptr},
                                           KindCase{rkSend, u"Send Designs", "DownloadFile", u"y.qef", nullptr},
                                           KindCase{rkReceive, u"Receive Designs", "UploadFile", u"x.qef", nullptr},
                                           KindCase{rkReceiveCurrent, u"Receive Designs", "UploadDesign", nullptr, nullptr},
                                           KindCase{rkErase, u"Delete Designs", "EraseFile", u"x.qef", nullptr},
                                           KindCase{rkCreateFolder, u"Create Folder", "CreateFolder", u"made", nullptr},
                                           KindCase{rkRenameFolder, u"Rename", "RenameFolder", u"dir2", u"dir"},
                                           KindCase{rkDeleteFolder, u"Delete Folder", "UploadList", nullptr, nullptr},
                                           KindCase{rkRenameFile, u"Transferring Data", "RenameFile", u"z.qef", u"x.qef"}));

// ---- the bar and the closing rules

// Three items run the bar to 60, one unit a tick, never past the step in progress; all sent closes
// with OK, a failed item lets the bar run out and closes with Cancel.
TEST_F(TransferDlgTest, ThreeItemsRunTheBarTo60AndCloseWithOkOrOnAFailureWithCancel)
{
    for (bool bFail : {false, true}) {
        SCOPED_TRACE(bFail ? "b.qef fails" : "all sent");
        if (bFail) {
            std::filesystem::remove(HostPath("b.qef"));
            std::filesystem::create_directories(HostPath("b.qef"));
        }
        CObservedTransferDlg dlg(m_hDevice, 1, Folder(), rkSend);
        AddThree(dlg);
        EXPECT_EQ(dlg.DoModal(), bFail ? IDCANCEL : IDOK);
        EXPECT_EQ(std::make_tuple(dlg.m_nFinalLower, dlg.m_nFinalUpper, dlg.m_nFinalPos, dlg.m_bOvershot), std::make_tuple(0, 60, 60, false));
        EXPECT_GE(dlg.m_nTicks, 60);
        EXPECT_EQ(dlg.m_nResult, bFail ? 0x8011 : 0);
        ASSERT_NE(dlg.m_pResults, nullptr);
        EXPECT_EQ(dlg.m_pResults->GetSize(), bFail ? 2 : 3);
        EXPECT_EQ(dlg.m_pQueue, nullptr);
        EXPECT_FALSE(dlg.AddSendData(u"late.qef", Bytes(1, 1).data(), 1));
    }
}

// A pulled cable closes at once with its code, the bar not run on; a run that fails before the
// start (no records: 11; a kind outside the table: 9) closes with its code and no timer ever runs.
TEST_F(TransferDlgTest, APulledCableOrAFailureBeforeTheStartClosesAtOnceWithItsCode)
{
    Fault("DownloadFile", "pull");
    CObservedTransferDlg dlg(m_hDevice, 1, Folder(), rkSend);
    AddThree(dlg);
    EXPECT_EQ(dlg.DoModal(), IDCANCEL);
    Machine().Ctl({"cable", "plug"});
    EXPECT_EQ(dlg.m_nResult, 6);
    EXPECT_LE(dlg.m_nFinalPos, 20); // the bar did not run on
    EXPECT_EQ(dlg.m_pResults->GetSize(), 0);
    EXPECT_EQ(dlg.m_pFailedNames->GetSize(), 3);

    CObservedTransferDlg empty(m_hDevice, 1, Folder(), rkErase), nine(m_hDevice, 1, Folder(), 9);
    EXPECT_EQ(empty.DoModal(), IDCANCEL);
    EXPECT_EQ(empty.m_nResult, 11);
    EXPECT_SEQUENCE(empty.m_recorder, {Xfer(WM_XFER_DONE, 11)});
    EXPECT_EQ(nine.DoModal(), IDCANCEL);
    EXPECT_EQ(nine.m_nResult, 9);
}

// The name rules and the local file operations of the folder lists: what a person sees when they
// rename in place, make a new folder or delete ticked files, and what is left on disk.
#include "lists/FolderListCtrl.h"

#include "tests/lists/ListHostDlg.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/TempDrives.h"
#include "tests/support/Watchdog.h"

#include "platform/base/CodePage.h"
#include "res/resource.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <sys/stat.h>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using tavren::ScriptedUser;
using tavren::Snapshot;
using Labels = std::vector<std::u16string>;
constexpr int kList = CListHostDlg::IDC_HOST_LIST;

// A folder list that ends in-place renames as the PC list does, filled by hand: a file's picture
// is the even member of its pair, the odd one when ticked.
class CRenamingList : public CFolderListCtrl {
public:
    afx_msg void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
    {
        m_nRenames += RenameLocalItem(&reinterpret_cast<NMLVDISPINFO*>(pNMHDR)->item) ? 1 : 0;
        *pResult = FALSE;
    }
    void Add(const char16_t* pszName, int nTick) // nTick -1: a folder
    {
        InsertItem(GetItemCount(), pszName, nTick < 0 ? PIC_FOLDER : PIC_FIRST_PAIR + 2 * GetItemCount() + nTick);
        m_nCheckedCount += nTick > 0 ? 1 : 0;
    }
    std::atomic<int> m_nRenames{0};
    DECLARE_MESSAGE_MAP()
};

BEGIN_MESSAGE_MAP(CRenamingList, CFolderListCtrl)
    ON_NOTIFY_REFLECT(LVN_ENDLABELEDIT, OnEndLabelEdit)
END_MESSAGE_MAP()

CString Text(UINT nID)
{
    AFX_MANAGE_STATE(CListHostDlg::ListModuleState());
    CString s;
    s.LoadString(nID);
    return s;
}

// A drive C: with the folder C:\Work shown in a list of the host dialog. "New" and "Delete" run
// the list's operations; "Open" runs m_fnOpen.
class LocalFilesTest : public ::testing::Test {
protected:
    LocalFilesTest()
    {
        fs::create_directories(m_drives.Host("c/Work"));
        m_dlg.m_onInit = [this](CListHostDlg&) {
            m_list.m_strCurrentPath = u"C:\\Work";
            m_fnFill();
        };
        m_dlg.m_onButton = [this](UINT nId) {
            if (nId == CListHostDlg::IDC_HOST_NEW)
                m_list.CreateNewLocalFolder();
            else if (nId == CListHostDlg::IDC_HOST_DELETE)
                m_nResult = m_list.DeleteCheckedLocalFiles();
            else if (nId == CListHostDlg::IDC_HOST_CHECK_ALL)
                m_list.CheckAll();
            else if (nId == CListHostDlg::IDC_HOST_OPEN)
                m_nResult = m_fnOpen();
        };
    }
    void Touch(const std::string& rel, const std::string& bytes = "x") { m_drives.Write("c/Work/" + rel, bytes); }
    bool Exists(const std::string& rel) const { return fs::exists(m_drives.Host("c/Work/" + rel)); }
    std::string Read(const std::string& rel) const
    {
        std::ifstream in(m_drives.Host("c/Work/" + rel), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    void Run(const ScriptedUser::Script& script)
    {
        tavren::test::Watchdog watchdog;
        m_dlg.Play(script);
    }
    static const tavren::ControlInfo* ListIn(const Snapshot& s) { return listlook::Control(s, kList); }
    static Labels LabelsIn(const Snapshot& s) { return listlook::Labels(s); }
    void ExpectLabels(ScriptedUser& u, const Labels& expected, const std::string& strWhat)
    {
        u.WaitUntil([&](const Snapshot& s) { return LabelsIn(s) == expected; }, strWhat);
    }
    // Answers a box, then, when the list begins editing nItem again, types the text and ends
    // the edit with Enter ("" : Escape).
    void AnswerAndEditAgain(ScriptedUser& u, int nItem, std::u16string_view strText)
    {
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) {
            return ListIn(snap) && ListIn(snap)->hEdit && ListIn(snap)->nEditItem == nItem;
        }, "the label editor again");
        HWND hEdit = ListIn(s)->hEdit;
        if (!strText.empty())
            u.Expect(tavren::TypeText(hEdit, strText), "typing the label");
        u.Expect(tavren::PressKey(m_dlg.m_hShown, strText.empty() ? VK_ESCAPE : VK_RETURN), "ending the edit");
        u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->hEdit != hEdit; }, "the editor closed");
    }
    bool NoBox(ScriptedUser& u)
    {
        const Snapshot s = u.Look();
        return s.Front() && s.Front()->hWnd == m_dlg.m_hShown;
    }

    tavren::test::TempDrives m_drives;
    CRenamingList m_list;
    CListHostDlg m_dlg{m_list};
    std::function<void()> m_fnFill = [] {};
    std::function<int()> m_fnOpen = [] { return 0; };
    std::atomic<int> m_nResult{-1};
};

TEST(FolderListNameRules, EachRuleHasItsMessageAndTheFirstBrokenOneDecides)
{
    const struct {
        const char16_t* pszName;
        int nExpected;
    } cases[] = {
        {u"", IDS_NAME_EMPTY}, {u" \t ", IDS_NAME_EMPTY}, {u".qef", IDS_NAME_NO_STEM}, {u"  .CON?", IDS_NAME_NO_STEM},
        {u"a\"b", IDS_NAME_BAD_CHAR}, {u"a*", IDS_NAME_BAD_CHAR}, {u"a/b", IDS_NAME_BAD_CHAR}, {u"C:x", IDS_NAME_BAD_CHAR},
        {u"<a", IDS_NAME_BAD_CHAR}, {u"a>", IDS_NAME_BAD_CHAR}, {u"CON?", IDS_NAME_BAD_CHAR}, {u"a\\b", IDS_NAME_BAD_CHAR},
        {u"a|b ", IDS_NAME_BAD_CHAR}, {u"\u523a:", IDS_NAME_BAD_CHAR}, {u"\u523a\u7e4d.qef", IDS_NAME_UNSHOWABLE},
        {u"Ana\u0101", IDS_NAME_UNSHOWABLE}, {u"CON", IDS_NAME_RESERVED}, {u"con.txt", IDS_NAME_RESERVED},
        {u"Aux", IDS_NAME_RESERVED}, {u"nul.qef", IDS_NAME_RESERVED}, {u"PRN", IDS_NAME_RESERVED},
        {u"Com1.qef", IDS_NAME_RESERVED}, {u"lpt9", IDS_NAME_RESERVED}, {u"COM5.a.b", IDS_NAME_RESERVED},
        // Lookalikes pass; the rules after the first two read the name untrimmed, so " CON" has a
        // four-character stem.
        {u"COM0", 0}, {u"CON1", 0}, {u"NULL", 0}, {u"LPT10", 0}, {u"CONSOLE.qef", 0}, {u" CON", 0}, {u"CON ", 0},
        {u"  Rose  ", 0}, {u"Caf\u00e9 \u20ac (2) & [a]+{b}=~!@#$%^'.qef+", 0},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CFolderListCtrl::ValidateName(c.pszName), c.nExpected) << CString(c.pszName).ToUtf8();
    EXPECT_EQ(Text(IDS_NAME_EMPTY), u"Enter a file/foder name.");
    // The code page is the asking thread's: the Japanese one has the kanji, not the Latin-4 letter.
    std::thread([] {
        tavren::SetThreadCodePage(932);
        EXPECT_TRUE(CFolderListCtrl::IsShownOnMachine(u"\u523a\u7e4d"));
        EXPECT_EQ(CFolderListCtrl::ValidateName(u"Ana\u0101"), IDS_NAME_UNSHOWABLE);
    }).join();
}

TEST(FolderListNameRules, DesignAndStxFilesHaveCompanionsOthersNone)
{
    EXPECT_EQ(CFolderListCtrl::GetCompanionName(u"Rose.qef"), u"Rose.qbf");
    EXPECT_EQ(CFolderListCtrl::GetCompanionName(u"ROSE.QEF+"), u"ROSE.qbp");
    EXPECT_EQ(CFolderListCtrl::GetCompanionName(u"a.b.qpx"), u"a.b.qbx");
    EXPECT_EQ(CFolderListCtrl::GetCompanionName(u"Border.Stx"), u"Border.sbx");
    for (const char16_t* psz : {u"Plain.ord+", u"noext", u"Rose.qef.bak", u"Rose.qbf", u""})
        EXPECT_EQ(CFolderListCtrl::GetCompanionName(psz), u"") << CString(psz).ToUtf8();
}

TEST_F(LocalFilesTest, UniqueNamesCountUpPastEveryEntryOfExactlyThatName)
{
    fs::create_directories(m_drives.Host("c/Work/New Folder"));
    fs::create_directories(m_drives.Host("c/Work/NEW FOLDER (2)"));
    Touch("New Folder Old");          // only begins with the name
    Touch("New Folder (3).qef");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\Work", u"New Folder"), u"New Folder (3)");
    Touch("new folder (3)");          // a file counts too
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\Work", u"New Folder"), u"New Folder (4)");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\", u"work"), u"work (2)");
    EXPECT_EQ(CFolderListCtrl::MakeUniqueLocalName(u"C:\\Gone", u"New Folder"), u"");
}

TEST_F(LocalFilesTest, NewFolderIsSortedAmongTheFoldersAndNamedRightAwayFailuresAreShown)
{
    fs::create_directories(m_drives.Host("c/Work/New Folder"));
    fs::create_directories(m_drives.Host("c/Work/New Folder (2)"));
    Touch("Taken");
    m_fnFill = [this] {
        m_list.Add(u"New Folder", -1);
        m_list.Add(u"Anemone.qef", 0);
        m_list.Add(u"New Folder (2)", -1);
    };
    std::atomic<int> nOpen{0};
    m_fnOpen = [&] {
        if (nOpen++ == 0)
            return static_cast<int>(m_list.CreateFolderOrReport(u"C:\\Work\\Taken"));
        m_list.m_strCurrentPath = u"C:\\Vanished"; // a folder gone: nothing is made, nothing said
        m_list.CreateNewLocalFolder();
        return m_list.GetItemCount();
    };
    Run([&](ScriptedUser& u) {
        u.Click(CListHostDlg::IDC_HOST_NEW);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->nEditItem == 2; }, "the editor");
        u.Expect(LabelsIn(s) == Labels{u"New Folder", u"New Folder (2)", u"New Folder (3)", u"Anemone.qef"}, "sorted");
        u.Expect(ListIn(s)->items[2].nImage == CFolderListCtrl::PIC_FOLDER, "the folder picture");
        u.Expect(fs::is_directory(m_drives.Host("c/Work/New Folder (3)")), "made on disk");
        u.Expect(tavren::TypeText(ListIn(s)->hEdit, u"Summer") && tavren::PressKey(m_dlg.m_hShown, VK_RETURN), "naming it");
        ExpectLabels(u, {u"New Folder", u"New Folder (2)", u"Summer", u"Anemone.qef"}, "the new folder named");
        u.Click(CListHostDlg::IDC_HOST_OPEN);
        const auto& box = u.ExpectMessageBox(u"Error", u"Cannot create a file when that file already exists.\r\n");
        u.Expect(box.nIcon == MB_ICONINFORMATION && box.buttons == std::vector<int>{IDOK}, "an OK box, information icon");
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
        u.Click(CListHostDlg::IDC_HOST_OPEN);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == 4; }, "no item for a vanished folder");
        u.Expect(NoBox(u), "no box for a vanished folder");
    });
    EXPECT_TRUE(fs::is_directory(m_drives.Host("c/Work/Summer")));
    EXPECT_FALSE(Exists("New Folder (3)"));
    EXPECT_TRUE(fs::is_regular_file(m_drives.Host("c/Work/Taken")));
    EXPECT_FALSE(fs::exists(m_drives.Host("c/Vanished")));
}

TEST_F(LocalFilesTest, RenamedFilesKeepTheirTypeAndCompanionFoldersLoseTrailingFullStops)
{
    Touch("a.QEF", "design a");
    Touch("a.qbf", "companion a");
    Touch("c.qpx", "design c");
    Touch("M\xc3\xbcller.qef+", "design m");
    fs::create_directories(m_drives.Host("c/Work/Old"));
    m_fnFill = [this] {
        for (const char16_t* psz : {u"a.QEF", u"c.qpx", u"M\u00fcller.qef+"})
            m_list.Add(psz, 0);
        m_list.Add(u"Old", -1);
    };
    Run([&](ScriptedUser& u) {
        u.EditLabel(kList, 0, u"  b  "); // trimmed; the old extension back, lower-cased
        ExpectLabels(u, {u"b.qef", u"c.qpx", u"M\u00fcller.qef+", u"Old"}, "b.qef");
        u.EditLabel(kList, 0, u"b.txt"); // another extension is part of the name
        ExpectLabels(u, {u"b.txt.qef", u"c.qpx", u"M\u00fcller.qef+", u"Old"}, "b.txt.qef");
        u.EditLabel(kList, 1, u"D.QPX"); // its own extension in other case is not doubled
        u.EditLabel(kList, 1, u"d.QPX"); // only the case changes
        u.EditLabel(kList, 2, u"B\u00e4r");
        u.EditLabel(kList, 3, u"New..");
        ExpectLabels(u, {u"b.txt.qef", u"d.QPX", u"B\u00e4r.qef+", u"New"}, "all renamed");
        u.EditLabel(kList, 3, u"Other", false); // Escape
        u.EditLabel(kList, 3, u"New");          // unchanged
        u.Expect(LabelsIn(u.Look()) == Labels{u"b.txt.qef", u"d.QPX", u"B\u00e4r.qef+", u"New"} && NoBox(u), "no change");
    });
    EXPECT_EQ(Read("b.txt.qef"), "design a");
    EXPECT_EQ(Read("b.txt.qbf"), "companion a");
    EXPECT_FALSE(Exists("a.qef") || Exists("a.qbf") || Exists("b.qef") || Exists("Old") || Exists("Other"));
    EXPECT_EQ(Read("d.QPX"), "design c");
    EXPECT_TRUE(fs::exists(m_drives.Host("c/Work/d.QPX")) && !fs::exists(m_drives.Host("c/Work/D.QPX")));
    EXPECT_EQ(Read("B\xc3\xa4r.qef+"), "design m");
    EXPECT_TRUE(fs::is_directory(m_drives.Host("c/Work/New")));
    EXPECT_EQ(m_list.m_nRenames, 6);
}

TEST_F(LocalFilesTest, ARefusedRenameIsExplainedLosesNothingAndTheEditStartsAgain)
{
    Touch("a.qef", "design a");
    Touch("a.qbf", "companion a");
    Touch("b.qef", "design b");
    Touch("gone.qef");
    m_fnFill = [this] {
        for (const char16_t* psz : {u"a.qef", u"b.qef", u"gone.qef"})
            m_list.Add(psz, 0);
    };
    Run([&](ScriptedUser& u) {
        u.EditLabel(kList, 0, u"CON");
        const auto& box = u.ExpectMessageBox(u"Confirm", Text(IDS_NAME_RESERVED).GetString());
        u.Expect(box.nIcon == MB_ICONEXCLAMATION, "a broken rule shows the exclamation icon");
        AnswerAndEditAgain(u, 0, u"Rose:Red");
        u.ExpectMessageBox(u"Confirm", Text(IDS_NAME_BAD_CHAR).GetString());
        AnswerAndEditAgain(u, 0, u"B"); // another file's name: not replaced
        const auto& error = u.ExpectMessageBox(u"Error", u"Cannot create a file when that file already exists.\r\n");
        u.Expect(error.nIcon == MB_ICONINFORMATION, "a file-system failure shows the information icon");
        AnswerAndEditAgain(u, 0, u"");
        fs::remove(m_drives.Host("c/Work/gone.qef"));
        u.EditLabel(kList, 2, u"here");
        u.ExpectMessageBox(u"Error", u"The system cannot find the file specified.\r\n");
        AnswerAndEditAgain(u, 2, u"");
        u.Expect(LabelsIn(u.Look()) == Labels{u"a.qef", u"b.qef", u"gone.qef"}, "every label as it was");
    });
    EXPECT_EQ(Read("a.qef"), "design a");
    EXPECT_EQ(Read("a.qbf"), "companion a");
    EXPECT_EQ(Read("b.qef"), "design b");
    EXPECT_FALSE(Exists("CON.qef") || Exists("here.qef"));
    EXPECT_EQ(m_list.m_nRenames, 0);
}

TEST_F(LocalFilesTest, TickedFilesAreDeletedOnYesAndAReadOnlyOneStaysTicked)
{
    for (const char* psz : {"a.qef", "a.qbf", "b.qef", "c.qef", "d.qef"})
        Touch(psz);
    fs::create_directories(m_drives.Host("c/Work/Folder"));
    chmod(m_drives.Host("c/Work/b.qef").c_str(), 0444);
    m_fnFill = [this] {
        m_list.Add(u"d.qef", 0);
        m_list.Add(u"a.qef", 1);
        m_list.Add(u"Folder", -1);
        m_list.Add(u"b.qef", 1);
        m_list.Add(u"c.qef", 1);
    };
    Run([&](ScriptedUser& u) {
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        const auto& ask = u.ExpectMessageBox(u"Confirm Deleting", u"Are you sure you want to delete the selected file(s)/folder(s)?");
        u.Expect(ask.nIcon == MB_ICONQUESTION && ask.buttons == std::vector<int>{IDYES, IDNO}, "a Yes/No question");
        u.Answer(IDNO);
        u.WaitForWindow(CListHostDlg::kCaption);
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        u.ExpectMessageBox(u"Error", u"Access is denied.\r\n");
        u.Answer(IDOK);
        u.WaitForWindow(CListHostDlg::kCaption);
        Snapshot s = u.WaitUntil([&](const Snapshot& snap) { return LabelsIn(snap) == Labels{u"Folder", u"b.qef", u"d.qef"}; },
                                 "the deleted files gone, the rest sorted");
        u.Expect(ListIn(s)->items[1].nImage % 2 == 1 && ListIn(s)->items[2].nImage % 2 == 0, "ticks kept");
    });
    EXPECT_EQ(m_nResult, TRUE);
    EXPECT_EQ(m_list.m_nCheckedCount, 1);
    EXPECT_FALSE(Exists("a.qef") || Exists("c.qef"));
    EXPECT_TRUE(Exists("b.qef") && Exists("d.qef") && Exists("Folder"));
    EXPECT_TRUE(Exists("a.qbf")) << "companions stay";
}

TEST_F(LocalFilesTest, WithoutATickNothingIsAskedAndATickCountBeyondTheItemsLeavesTheList)
{
    Touch("a.qef");
    Touch("b.qef");
    m_fnFill = [this] {
        m_list.Add(u"a.qef", 0);
        m_list.Add(u"b.qef", 0);
    };
    Run([&](ScriptedUser& u) {
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == FALSE; }, "the delete to decline");
        u.Expect(NoBox(u), "no question without a tick");
        u.Click(CListHostDlg::IDC_HOST_CHECK_ALL);
        u.WaitUntil([&](const Snapshot& snap) { return ListIn(snap) && ListIn(snap)->items[1].nImage % 2 == 1; }, "ticks");
        u.Expect(m_dlg.RunOnUiThread([&] { m_list.m_nCheckedCount = 3; m_nResult = -1; }), "one tick too many");
        u.Click(CListHostDlg::IDC_HOST_DELETE);
        u.ExpectMessageBox(u"Confirm Deleting");
        u.Answer(IDYES);
        u.WaitUntil([&](const Snapshot&) { return m_nResult == FALSE; }, "the delete to stop");
        u.Expect(LabelsIn(u.Look()) == Labels{u"a.qef", u"b.qef"}, "the list as it was");
    });
    EXPECT_EQ(m_list.m_nCheckedCount, 3);
    EXPECT_FALSE(Exists("a.qef") || Exists("b.qef")) << "what was deleted stays deleted";
}

} // namespace

// CFolderListCtrl: what the machine/USB-drive list and the PC list share. The list's family of
// files, the folder it shows and how deep, three image lists with the fixed picture numbering
// (0 to 15 places, drives and file types; from 16 on one pair per file, the odd member ticked),
// reading a local folder into the list with a thumbnail for every file, ticks as the parity of
// the picture number, and the local file operations with the name rules
// (FolderListCtrlFileOps.cpp).
#pragma once

#include "lists/FilePictures.h"
#include "lists/SortListCtrl.h"
#include "platform/afx/CString.h"
#include "platform/afx/ComboBoxEx.h"
#include "platform/afx/ImageList.h"

#include <functional>
#include <vector>

class CFolderListCtrl : public CSortListCtrl {
public:
    // The family of files a list shows; also a dialog's content kind.
    enum ListKind { LIST_DESIGN = 0, LIST_STX = 1, LIST_ORDPLUS = 2 };
    // Fixed pictures, the same in all three image lists.
    enum Picture {
        PIC_DESKTOP = 0, PIC_COMPUTER = 1, PIC_OPEN_FOLDER = 2, PIC_MACHINE = 3, PIC_FOLDER = 4,
        PIC_USB_FLASH = 5, PIC_NOT_CONNECTED = 6, PIC_FLOPPY = 7, PIC_HARD_DISK = 8, PIC_OPTICAL = 9,
        PIC_REMOVABLE = 10, PIC_QEF_PLUS = 11, PIC_QEF = 12, PIC_QPX = 13, PIC_STX = 14, PIC_ORD_PLUS = 15,
        PIC_FIRST_PAIR = 16,
    };
    // ShowFolder's modes.
    enum { MODE_ALL = 0, MODE_FILES_AS_ENTRIES = 1, MODE_FOLDERS_ONLY = 2 };

    CFolderListCtrl();
    ~CFolderListCtrl() override;

    // Fills the list from a local folder. The index after the last inserted item, or -1 when the
    // folder cannot be entered (the list is then unchanged).
    int ShowFolder(CString strPath, int nLevelStep, int nFirstIndex, int nMode, BOOL bWithChecks);
    BOOL AcceptsFile(const CString& strName) const;
    // From the last "." (included) to the end, lower-cased; empty without a ".".
    static CString GetExtension(const CString& strName);
    // -1 without a selection; 1 when the first selected item is a file; 0 otherwise.
    int IsFileSelected() const;
    void ToggleCheck();
    void CheckAll();
    void UncheckAll();
    // Add a file's picture pair and answer the picture index for its item; -1 when the file
    // cannot be read.
    int MakeDesignPicture(const CString& strPath, BOOL bWithChecks);
    int MakeStxPicture(const CString& strPath, BOOL bWithChecks);
    // Rebuilds the location box for the folder now shown; called at the end of every fill.
    virtual void UpdateLocationBox();
    // A location box entry appended with its picture (selected the same) and indent; its index.
    static int AddLocationEntry(CComboBoxEx& box, const CString& strText, int nImage, int nIndent);
    // An entry's text and indent; false when there is no entry nIndex.
    static BOOL GetLocationEntry(const CComboBoxEx& box, int nIndex, CString& strText, int& nIndent);

    // Name rules: 0, or the id of the string that says what is wrong.
    static int ValidateName(const CString& strName);
    // True when the machine can show every character of the name (the ANSI code page has it).
    static BOOL IsShownOnMachine(const CString& strName);
    // The companion file's name (".qbf", ".qbp", ".qbx", ".sbx"), or empty when there is none.
    static CString GetCompanionName(const CString& strName);
    // The system's own text for a file-system failure, in the default language, without inserts.
    static CString SystemMessage(DWORD dwError);
    // Creates a folder; on failure shows the system's message and answers FALSE.
    BOOL CreateFolderOrReport(const CString& strPath);
    // name, "name (2)", "name (3)" ... the first that the folder does not hold; empty when the
    // folder cannot be entered.
    static CString MakeUniqueLocalName(const CString& strFolder, const CString& strName);
    // Ends an in-place rename of a local file or folder; the label is set here, never by the list.
    BOOL RenameLocalItem(LVITEM* pItem);
    void CreateNewLocalFolder();
    BOOL DeleteCheckedLocalFiles();

    int m_nListKind = LIST_DESIGN;
    int m_nCheckedCount = 0;
    CString m_strCurrentPath;
    CString m_strDesktopPath;
    CString m_strDocumentsPath;
    int m_nLevel = 0;
    int m_nLocation = 0;
    CImageList m_imlSmall;
    CImageList m_imlLarge;
    CImageList m_imlLocationBox;
    CString m_strOldName;
    CComboBoxEx* m_pLocationBox = nullptr;

protected:
    // A ticked file of the list, as the deletes find it.
    struct CTickedFile {
        int m_nItem;
        CString m_strLabel;
        int m_nImage;
    };
    // The opening of a delete: something is ticked and the person says yes to the question.
    bool ConfirmTickedDelete();
    // Visits the ticked files from the top until nTicked of them were met; false when an item can
    // no longer be read before that (the list holds fewer ticked items than it counts).
    bool WalkTickedFiles(int nTicked, const std::function<void(const CTickedFile&)>& fnVisit);
    // The close of a delete: unticks and removes the items that went (from the last, so the
    // earlier indices stay valid) and sorts what is left.
    void RemoveDeletedItems(const std::vector<CTickedFile>& deleted);
    // Inserts the folder's entries from nFirstIndex on, as ShowFolder's mode says, without
    // touching the list's state; the index after the last one.
    int FillFromFolder(const CString& strPath, int nFirstIndex, int nMode, BOOL bWithChecks);
    // Adds a file's pair made beforehand (the small pair, then the large one); the picture index
    // for its item, or -1 when the pair was not made.
    int AddPicturePair(const CString& strPath, BOOL bWithChecks, CFilePictures::Pair& pair);
    // Adds the 16 x 16 type picture of a file (11 to 15 by its family and name) to the small list.
    void AddTypePicture(const CString& strName);
    // Creates the three image lists with their fixed pictures and attaches them.
    BOOL CreateImageLists();
    // Reflected LVN_BEGINLABELEDIT: remembers the label and allows the edit.
    void OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    // Restarts in-place editing of an item after a refused rename.
    void RestartLabelEdit(int nItem);
    DECLARE_MESSAGE_MAP()
};

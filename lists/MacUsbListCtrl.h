// CMacUsbListCtrl: the machine's side of Write a Design and of the File Manager. One root view
// with the machine's storages ("Built-in", "USB flash drive 1", "USB flash drive 2") under the
// "Machine" group and the USB flash drives attached to the PC under the "PC" group; machine
// folders listed through the transfer dialog, PC flash drives through the file system. Each list
// keeps to its family's folder on each storage ("\EMB", "\ORD", "\ORD\(UserST)").
// The machine file operations (new folder, deletes, rename) are in MacUsbListCtrlMachineOps.cpp.
#pragma once

#include "lists/FolderListCtrl.h"

#include <cstdint>

class CEmbData;

class CMacUsbListCtrl : public CFolderListCtrl {
public:
    // m_nMode: which storages the root view offers.
    enum { MODE_USB_ONLY = 0, MODE_MACHINE_ONLY = 1, MODE_EITHER = 2 };
    // The groups of the root view.
    enum { GROUP_MACHINE = 0, GROUP_PC = 1 };
    // The first picture of each machine file type's pair.
    enum { PIC_MAC_QEF = 16, PIC_MAC_QEF_PLUS = 18, PIC_MAC_QPX = 20, PIC_MAC_STX = 22, PIC_MAC_ORD_PLUS = 24 };

    // Where the list is: its root view of places, a folder of a machine storage, or a folder of a
    // flash drive attached to the PC. The path's form tells them apart: empty, "\EMB\..." or "E:\...".
    enum class Place { Roots, Machine, PcDrive };
    Place WhereShown() const;

    void Initialize(HANDLE hMachine, CComboBoxEx* pLocationBox, int nListKind, BOOL bMachinePresent, BOOL bWithChecks,
                    int nMode, BOOL bDeepUsbFolders);
    void ShowRoots();
    // Adds the location box entries (and, unless bBoxOnly, the list items) for the USB flash
    // drives attached to the PC; the number of drives taken.
    int ListPcUsbDrives(BOOL bBoxOnly, int nLastIndex);
    BOOL OpenMachineFolder(uint16_t wStorage, const CString& strPath, int nLevel);
    void ShowUsbFolder(const CString& strPath, int nLevel, BOOL bWithChecks);
    // Reads a listing block of nCount records; never reads past nBytes.
    BOOL FillFromListing(int32_t nCount, const BYTE* pEntries, uint32_t nBytes);
    void OpenSelected();
    void GoToLocationBoxSelection();
    BOOL UpOneLevel();
    CString RootFolder() const;
    // The machine path of the location's root folder: a backslash before RootFolder, so two
    // backslashes and EMB in the design list; a folder below it adds a backslash and its name.
    CString MachineRootPath() const;
    void UpdateLocationBox() override;
    static int MachineFilePicture(const CString& strName);

    // Pictures for files fetched from the machine: an image index or -1.
    int MakeDesignPictureFor(CEmbData& design, BOOL bChecked, int nType);
    int MakeStxPictureFor(const BYTE* pBytes, uint32_t nLength, BOOL bChecked);
    int MakeStxPictureSingle(const BYTE* pBytes, uint32_t nLength);

    // Machine file operations.
    void CreateMachineFolder();
    BOOL DeleteCheckedMachineFiles();
    void DeleteSelectedMachineFiles();
    void DeleteSelectedMachineFolder();

    HANDLE m_hDevice = 0;
    uint16_t m_wStorage = 0;
    BYTE m_bMachinePresent = FALSE;
    BYTE m_bWithChecks = FALSE;
    int m_nMode = MODE_EITHER;
    BYTE m_bDeepUsbFolders = FALSE;

protected:
    // Reflected LVN_ENDLABELEDIT: renames on the machine or on a PC flash drive; always refuses
    // the list's own label change (the rename sets the label itself).
    void OnEndLabelEdit(NMHDR* pNMHDR, LRESULT* pResult);
    DECLARE_MESSAGE_MAP()
};

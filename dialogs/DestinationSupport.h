// What Write a Design and the File Manager do alike with their destination side (the machine's
// storages and the USB flash drives attached to the PC): button pictures, the target picture,
// following the machine and the drives as they come and go, a preview fetched from the machine on
// a click, and deletes on a PC drive and on the machine. Each dialog keeps its own handlers and
// calls these in the order its own steps say.
#pragma once

#include "platform/afx/CString.h"
#include "platform/afx/ListCtrl.h"
#include "platform/afx/Static.h"
#include "platform/afx/Wnd.h"

class CMacUsbListCtrl;

namespace DestinationSupport {

// Loads the 32 x 32 icon from the module's own instance (never a language module) and puts it on
// the button as its image. The handle, for the dialog to destroy; 0 when it does not load.
HICON LoadButtonIcon(CWnd* pDialog, int nButtonId, UINT nIconId);

// Puts the target's picture on the static (icon 5, 13022 or 13023 for target 0, 1, 2), looked up
// through the resource chain so a language module's icon of that number wins.
void ShowTargetPicture(CStatic& picture, int nTarget);

// The unit mask of a device-change broadcast read as a volume broadcast (the word after the
// three-field header), whatever its type; 0 without a broadcast.
DWORD BroadcastUnitMask(LPARAM dwData);

// A device-interface broadcast: drops a handle the machine no longer answers on, asks for the
// connected machine when there is no handle (telling the user when it is not supported), and
// hands the handle to the list. Other broadcast types change nothing.
void RecheckConnectedMachine(CWnd* pDialog, HANDLE& hDevice, CMacUsbListCtrl& list, LPARAM dwData);

// True when a drive of the mask (A and B never count) is a removable drive that is ready.
BOOL ReadyRemovableDriveInMask(DWORD dwMask);

// True when the drive of a PC path ("E:\EMB" -> "E:") is a removable drive that is present and
// ready now.
BOOL PathOnReadyRemovableDrive(const CString& strPath);

// The machine list's share of a drive change, the same in both dialogs: back to the root view
// when the machine has gone from under a machine folder or the shown flash drive has gone, the
// root view rebuilt at level 0, the location box refreshed otherwise. True when the list went back
// to its root view from a folder (the dialog then updates its buttons).
BOOL MachineListDrivesChanged(CMacUsbListCtrl& list, HANDLE hDevice, DWORD dwMask);

// Deletes an entry of a PC drive: a folder (one that can be made the current directory) with
// everything in it, else a file. 0, or the system error code of the first failure. The current
// directory is left where the deletion ended.
DWORD DeleteLocalEntry(const CString& strPath);

// The menu "Delete" on the destination list (the question, then the selected entries deleted on
// the PC drive with their companion files, or on the machine). The caller updates its buttons.
void DeleteSelectedEntries(CWnd* pDialog, CMacUsbListCtrl& list, int nKind);

// Fetching a machine file's preview on a click.
enum PreviewOutcome {
    PREVIEW_FAILED = -1, // the transfer reported an error or brought no bytes
    PREVIEW_NOT_NEEDED = 0, // the item has its own picture already, or the list shows details
    PREVIEW_MADE = 1,    // the item now shows its preview (or the bytes could not be read)
};
// Reads the selected item (label and picture), fetches the file with a transfer dialog owned by
// pOwner and gives the item its preview picture. bFileManager: the File Manager's variant (a
// design's preview without a file type; an STX preview keeping the item's tick).
PreviewOutcome FetchMachinePreview(CWnd* pOwner, CMacUsbListCtrl& list, int nKind, BOOL bFileManager);

// Where a context menu asked for from the keyboard opens: beside the list's focused item (its
// picture's middle, as a person would right-click it), or at the list's corner without one in view;
// screen coordinates.
POINT BesideFocusedItem(CListCtrl& list);

} // namespace DestinationSupport

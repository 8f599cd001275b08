// CFolderListCtrl's name rules and the operations with which a list changes local files (the PC's
// folders and USB flash drives attached to the PC): rename in place, new folder, delete the
// ticked files. Every message box is owned by the list's window.
#include "lists/FolderListCtrl.h"

#include "platform/afx/CArray.h"
#include "platform/afx/CString.h"
#include "platform/base/CodePage.h"
#include "platform/base/WinError.h"
#include "platform/file/FileApi.h"
#include "platform/user/MessageBox.h"
#include "res/ResourceText.h"
#include "res/resource.h"

#include <vector>

namespace {

bool IsReservedStem(const CString& strStem, const char16_t* const* ppszNames, int nNames)
{
    for (int i = 0; i < nNames; i++)
        if (strStem.CompareNoCase(ppszNames[i]) == 0)
            return true;
    return false;
}

} // namespace

CString CFolderListCtrl::SystemMessage(DWORD dwError)
{
    char16_t szText[512] = {};
    FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, dwError,
                   MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT), szText, 512, nullptr);
    return CString(szText);
}

int CFolderListCtrl::ValidateName(const CString& strName)
{
    CString strTrimmed = strName;
    strTrimmed.Trim();
    if (strTrimmed.IsEmpty())
        return IDS_NAME_EMPTY;
    if (strTrimmed[0] == u'.')
        return IDS_NAME_NO_STEM;
    // The remaining rules look at the name as it was given, spaces included.
    if (strName.FindOneOf(u"\"*/:<>?\\|") >= 0)
        return IDS_NAME_BAD_CHAR;
    if (!IsShownOnMachine(strName))
        return IDS_NAME_UNSHOWABLE;
    int nStem = strName.Find(u'.');
    if (nStem < 0)
        nStem = strName.GetLength();
    static const char16_t* const s_apszDevices[] = {u"AUX", u"CON", u"NUL", u"PRN"};
    static const char16_t* const s_apszNumbered[] = {u"COM", u"LPT"};
    if (nStem == 3 && IsReservedStem(strName.Left(3), s_apszDevices, 4))
        return IDS_NAME_RESERVED;
    if (nStem == 4 && IsReservedStem(strName.Left(3), s_apszNumbered, 2) && strName[3] >= u'1' && strName[3] <= u'9')
        return IDS_NAME_RESERVED;
    return 0;
}

BOOL CFolderListCtrl::IsShownOnMachine(const CString& strName)
{
    // The machine shows names in the ANSI code page: a character that page lacks turns into "?".
    const int nLength = strName.GetLength();
    const int nBytes = WideCharToMultiByte(CP_THREAD_ACP, 0, strName, nLength, nullptr, 0, nullptr, nullptr);
    std::vector<char> converted(static_cast<size_t>(nBytes > 0 ? nBytes : 0) + 1, 0);
    if (nLength > 0) {
        const int nDone = WideCharToMultiByte(CP_THREAD_ACP, 0, strName, nLength, converted.data(),
                                              static_cast<int>(converted.size()), nullptr, nullptr);
        if (nDone == 0 && GetLastError() != ERROR_INSUFFICIENT_BUFFER)
            return FALSE;
    }
    for (char c : converted)
        if (c == '?')
            return FALSE;
    return TRUE;
}

CString CFolderListCtrl::GetCompanionName(const CString& strName)
{
    const int nDot = strName.ReverseFind(u'.');
    if (nDot < 0)
        return CString();
    const CString strExtension = strName.Mid(nDot);
    const char16_t* pszCompanion = nullptr;
    if (strExtension.CompareNoCase(u".qef") == 0)
        pszCompanion = u".qbf";
    else if (strExtension.CompareNoCase(u".qef+") == 0)
        pszCompanion = u".qbp";
    else if (strExtension.CompareNoCase(u".qpx") == 0)
        pszCompanion = u".qbx";
    else if (strExtension.CompareNoCase(u".stx") == 0)
        pszCompanion = u".sbx";
    else
        return CString();
    return strName.Left(nDot) + pszCompanion;
}

BOOL CFolderListCtrl::CreateFolderOrReport(const CString& strPath)
{
    if (CreateDirectoryW(strPath, nullptr))
        return TRUE;
    const DWORD dwError = GetLastError();
    MessageBox(SystemMessage(dwError), LoadText(IDS_CAPTION_ERROR), MB_OK | MB_ICONINFORMATION);
    return FALSE;
}

CString CFolderListCtrl::MakeUniqueLocalName(const CString& strFolder, const CString& strName)
{
    if (!SetCurrentDirectoryW(strFolder))
        return CString();
    CString strCandidate = strName;
    int n = 2;
    // Only an entry of exactly the candidate's name counts; one that merely begins with it does not.
    for (bool bTaken = true; bTaken;) {
        bTaken = false;
        WIN32_FIND_DATAW fd{};
        HANDLE hFind = FindFirstFileW(strFolder + u"\\" + strCandidate + u"*", &fd);
        if (hFind == INVALID_HANDLE_VALUE)
            break;
        do {
            if (strCandidate.CompareNoCase(fd.cFileName) == 0) {
                bTaken = true;
                break;
            }
        } while (FindNextFileW(hFind, &fd));
        FindClose(hFind);
        if (bTaken) {
            strCandidate.Format(u"%s (%d)", strName.GetString(), n);
            n++;
        }
    }
    return strCandidate;
}

BOOL CFolderListCtrl::RenameLocalItem(LVITEM* pItem)
{
    // The list hands no text when the edit was cancelled or left unchanged.
    if (!pItem || !pItem->pszText)
        return FALSE;
    CString strNew = pItem->pszText;
    strNew.Trim();
    if (strNew == m_strOldName)
        return FALSE;

    const CString strOldPath = m_strCurrentPath + u"\\" + m_strOldName;
    const DWORD dwAttributes = GetFileAttributesW(strOldPath);
    if (dwAttributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD dwError = GetLastError();
        MessageBox(SystemMessage(dwError), LoadText(IDS_CAPTION_ERROR), MB_OK | MB_ICONINFORMATION);
        RestartLabelEdit(pItem->iItem);
        return FALSE;
    }
    if (const int nRule = ValidateName(strNew)) {
        MessageBox(LoadText(static_cast<UINT>(nRule)), LoadText(IDS_CAPTION_CONFIRM), MB_OK | MB_ICONEXCLAMATION);
        RestartLabelEdit(pItem->iItem);
        return FALSE;
    }

    const bool bFile = (dwAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    if (bFile) {
        // A file keeps its type: the old extension goes on unless the new name already ends in it.
        const CString strOldExtension = GetExtension(m_strOldName);
        const CString strNewExtension = GetExtension(strNew);
        if (strNewExtension.IsEmpty() || strNewExtension.CompareNoCase(strOldExtension) != 0)
            strNew += strOldExtension;
    } else {
        while (!strNew.IsEmpty() && strNew[strNew.GetLength() - 1] == u'.')
            strNew.Delete(strNew.GetLength() - 1);
    }

    const CString strNewPath = m_strCurrentPath + u"\\" + strNew;
    if (!MoveFileExW(strOldPath, strNewPath, MOVEFILE_WRITE_THROUGH)) {
        const DWORD dwError = GetLastError();
        MessageBox(SystemMessage(dwError), LoadText(IDS_CAPTION_ERROR), MB_OK | MB_ICONINFORMATION);
        RestartLabelEdit(pItem->iItem);
        return FALSE;
    }
    if (bFile) {
        // The companion travels along when there is one; its absence is no failure.
        const CString strOldCompanion = GetCompanionName(m_strOldName);
        const CString strNewCompanion = GetCompanionName(strNew);
        if (!strOldCompanion.IsEmpty() && !strNewCompanion.IsEmpty())
            MoveFileExW(m_strCurrentPath + u"\\" + strOldCompanion, m_strCurrentPath + u"\\" + strNewCompanion,
                        MOVEFILE_WRITE_THROUGH);
    }

    LVITEM item = *pItem;
    item.mask = LVIF_TEXT;
    item.iSubItem = 0;
    item.pszText = strNew.GetBuffer();
    SetItem(&item);
    strNew.ReleaseBuffer();
    return TRUE;
}

void CFolderListCtrl::CreateNewLocalFolder()
{
    if (!SetCurrentDirectoryW(m_strCurrentPath))
        return;
    const CString strName = MakeUniqueLocalName(m_strCurrentPath, LoadText(IDS_NEW_FOLDER));
    if (strName.IsEmpty() || !CreateFolderOrReport(m_strCurrentPath + u"\\" + strName))
        return;
    const int nInserted = InsertItem(GetItemCount(), strName, PIC_FOLDER);
    // The list ends an open label edit when it sorts, so sort first and then edit the new item
    // where the sort put it (its data word holds its index from before the sort).
    SortByTypeAndName();
    LVFINDINFOW find{};
    find.flags = LVFI_PARAM;
    find.lParam = nInserted;
    const int nItem = FindItem(&find);
    SetFocus();
    EditLabel(nItem >= 0 ? nItem : nInserted);
}

bool CFolderListCtrl::ConfirmTickedDelete()
{
    return m_nCheckedCount > 0 &&
           MessageBox(LoadText(IDS_ASK_DELETE), LoadText(IDS_CAPTION_DELETING), MB_YESNO | MB_ICONQUESTION) == IDYES;
}

bool CFolderListCtrl::WalkTickedFiles(int nTicked, const std::function<void(const CTickedFile&)>& fnVisit)
{
    int nMet = 0;
    for (int i = 0; nMet < nTicked; ++i) {
        char16_t szLabel[MAX_PATH] = {};
        LVITEM item{};
        item.mask = LVIF_TEXT | LVIF_IMAGE;
        item.iItem = i;
        item.pszText = szLabel;
        item.cchTextMax = MAX_PATH;
        if (!GetItem(&item))
            return false;
        if (item.iImage < PIC_FIRST_PAIR || (item.iImage & 1) == 0)
            continue;
        ++nMet;
        fnVisit({i, CString(szLabel), item.iImage});
    }
    return true;
}

void CFolderListCtrl::RemoveDeletedItems(const std::vector<CTickedFile>& deleted)
{
    for (auto it = deleted.rbegin(); it != deleted.rend(); ++it) {
        LVITEM untick{};
        untick.mask = LVIF_IMAGE;
        untick.iItem = it->m_nItem;
        untick.iImage = it->m_nImage - 1;
        SetItem(&untick);
        --m_nCheckedCount;
        DeleteItem(it->m_nItem);
    }
    SortByTypeAndName();
}

BOOL CFolderListCtrl::DeleteCheckedLocalFiles()
{
    const int nTicked = m_nCheckedCount;
    if (!ConfirmTickedDelete())
        return FALSE;
    std::vector<CTickedFile> deleted;
    // One failing file does not stop the others. A list that runs out of items first is left as
    // it is; the files deleted so far stay deleted.
    const bool bWalked = WalkTickedFiles(nTicked, [&](const CTickedFile& file) {
        if (DeleteFileW(m_strCurrentPath + u"\\" + file.m_strLabel))
            deleted.push_back(file);
        else
            MessageBox(SystemMessage(GetLastError()), LoadText(IDS_CAPTION_ERROR), MB_OK | MB_ICONINFORMATION);
    });
    if (!bWalked)
        return FALSE;
    RemoveDeletedItems(deleted);
    return TRUE;
}

void CFolderListCtrl::RestartLabelEdit(int nItem)
{
    SetFocus();
    // Posted: the list is still inside the notification that ended the edit.
    PostMessage(LVM_EDITLABELW, static_cast<WPARAM>(nItem), 0);
}

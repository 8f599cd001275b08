#include "lists/FolderListCtrl.h"

#include "platform/afx/Bitmap.h"
#include "platform/afx/Dc.h"
#include "platform/file/FileApi.h"
#include "platform/file/Shell.h"
#include "preview/ListPicture.h"
#include "res/resource.h"

namespace {

constexpr int kSmall = 16;
constexpr int kLarge = CListPicture::PICTURE_SIZE;
constexpr COLORREF kWhite = RGB(255, 255, 255);

CString SpecialFolderPath(int nFolder)
{
    CString strPath;
    LPITEMIDLIST pidl = nullptr;
    if (SHGetSpecialFolderLocation(0, nFolder, &pidl) == S_OK && pidl) {
        char16_t szPath[MAX_PATH] = {};
        if (SHGetPathFromIDListW(pidl, szPath))
            strPath = szPath;
        CoTaskMemFree(pidl);
    }
    return strPath;
}

// One item's image index; false when the item cannot be read (past the end).
bool ReadItemImage(const CListCtrl& list, int nItem, int& nImage)
{
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    if (!list.GetItem(&item))
        return false;
    nImage = item.iImage;
    return true;
}

void SetItemImage(CListCtrl& list, int nItem, int nImage)
{
    LVITEM item{};
    item.mask = LVIF_IMAGE;
    item.iItem = nItem;
    item.iImage = nImage;
    list.SetItem(&item);
}

// The small list's pair for one file: the empty box (or, without checks, the file's type picture
// from addType), then the ticked box.
template <class AddType>
void AddSmallPair(CImageList& iml, BOOL bWithChecks, AddType addType)
{
    CBitmap bmBox;
    if (bWithChecks) {
        CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, bmBox);
        iml.Add(&bmBox, nullptr);
    } else {
        addType();
    }
    CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, bmBox);
    iml.Add(&bmBox, nullptr);
}

// The type picture nPicture of the large strip, framed like a thumbnail, as a pair: with the
// empty and the ticked box in the corner, or without checks plain and with the ticked box.
int AddFramedTypePair(CImageList& iml, int nPicture, BOOL bWithChecks)
{
    CBitmap bmFirst, bmSecond, bmBox;
    if (!CListPicture::DrawStripPicture(IDB_PICTURES_LARGE, kLarge, nPicture, bmFirst) ||
        !CListPicture::DrawStripPicture(IDB_PICTURES_LARGE, kLarge, nPicture, bmSecond))
        return -1;
    CListPicture::DrawFrame(bmFirst);
    CListPicture::DrawFrame(bmSecond);
    if (bWithChecks) {
        CListPicture::LoadBox(CListPicture::IDB_BOX_EMPTY, bmBox);
        CListPicture::DrawBox(bmFirst, bmBox);
    }
    CListPicture::LoadBox(CListPicture::IDB_BOX_TICKED, bmBox);
    CListPicture::DrawBox(bmSecond, bmBox);
    const int nIndex = iml.Add(&bmFirst, nullptr);
    iml.Add(&bmSecond, nullptr);
    return nIndex;
}

} // namespace

BEGIN_MESSAGE_MAP(CFolderListCtrl, CSortListCtrl)
    ON_NOTIFY_REFLECT(LVN_BEGINLABELEDIT, OnBeginLabelEdit)
END_MESSAGE_MAP()

CFolderListCtrl::CFolderListCtrl()
    : m_strDesktopPath(SpecialFolderPath(CSIDL_DESKTOPDIRECTORY)), m_strDocumentsPath(SpecialFolderPath(CSIDL_PERSONAL))
{
}

CFolderListCtrl::~CFolderListCtrl() = default;

BOOL CFolderListCtrl::CreateImageLists()
{
    CBitmap bmSmall, bmLarge;
    if (!bmSmall.LoadBitmap(IDB_PICTURES_SMALL) || !bmLarge.LoadBitmap(IDB_PICTURES_LARGE))
        return FALSE;
    m_imlSmall.DeleteImageList();
    m_imlLarge.DeleteImageList();
    m_imlLocationBox.DeleteImageList();
    if (!m_imlSmall.Create(kSmall, kSmall, ILC_COLOR24, 13, 100) || m_imlSmall.Add(&bmSmall, nullptr) < 0 ||
        !m_imlLarge.Create(kLarge, kLarge, ILC_COLOR24, 13, 100) || m_imlLarge.Add(&bmLarge, nullptr) < 0 ||
        !m_imlLocationBox.Create(kSmall, kSmall, ILC_COLOR24 | ILC_MASK, 0, 0) ||
        m_imlLocationBox.Add(&bmSmall, kWhite) < 0)
        return FALSE;
    SetImageList(&m_imlSmall, LVSIL_SMALL);
    SetImageList(&m_imlLarge, LVSIL_NORMAL);
    if (m_pLocationBox)
        m_pLocationBox->SetImageList(&m_imlLocationBox);
    return TRUE;
}

CString CFolderListCtrl::GetExtension(const CString& strName)
{
    const int nDot = strName.ReverseFind(u'.');
    if (nDot < 0)
        return CString();
    CString strExtension = strName.Mid(nDot);
    strExtension.MakeLower();
    return strExtension;
}

BOOL CFolderListCtrl::AcceptsFile(const CString& strName) const
{
    const CString strExtension = GetExtension(strName);
    switch (m_nListKind) {
    case LIST_DESIGN:
        return strExtension == u".qef" || strExtension == u".qef+" || strExtension == u".qpx";
    case LIST_STX:
        return strExtension == u".stx";
    case LIST_ORDPLUS:
        return strExtension == u".ord+";
    default:
        return FALSE;
    }
}

int CFolderListCtrl::ShowFolder(CString strPath, int nLevelStep, int nFirstIndex, int nMode, BOOL bWithChecks)
{
    if (!SetCurrentDirectoryW(strPath))
        return -1;
    CWaitCursor wait;
    SetRedraw(FALSE);
    UncheckAll();
    m_strCurrentPath = strPath;
    m_nLevel += nLevelStep;
    DeleteAllItems();

    const int nIndex = FillFromFolder(strPath, nFirstIndex, nMode, bWithChecks);

    SetRedraw(TRUE);
    SortByTypeAndName();
    UpdateLocationBox();
    EnableGroupView(FALSE);
    return nIndex;
}

void CFolderListCtrl::AddTypePicture(const CString& strName)
{
    int nPicture = PIC_QEF;
    if (m_nListKind == LIST_STX) {
        nPicture = PIC_STX;
    } else if (m_nListKind == LIST_ORDPLUS) {
        nPicture = PIC_ORD_PLUS;
    } else {
        CString strLower(strName);
        strLower.MakeLower();
        if (strLower.Right(4) == u"qef+")
            nPicture = PIC_QEF_PLUS;
        else if (strLower.Right(3) == u"qpx")
            nPicture = PIC_QPX;
    }
    CBitmap bm;
    if (!CListPicture::DrawStripPicture(IDB_PICTURES_SMALL, kSmall, nPicture, bm))
        return;
    m_imlSmall.Add(&bm, nullptr);
}

// Reads the file before anything is added, so that an unreadable file leaves both image lists
// as they were and the two keep the same count.
int CFolderListCtrl::MakeDesignPicture(const CString& strPath, BOOL bWithChecks)
{
    if (m_nListKind == LIST_ORDPLUS) {
        AddSmallPair(m_imlSmall, bWithChecks, [&] { AddTypePicture(strPath); });
        // No thumbnail is drawn for an ORD+ file, and every one takes pair 16/17. So that the
        // large-icon view shows something telling there, that pair is the ORD+ type picture
        // framed like a thumbnail, with its boxes, made once when the list has no pair yet.
        if (bWithChecks && m_imlLarge.GetImageCount() == PIC_FIRST_PAIR)
            AddFramedTypePair(m_imlLarge, PIC_ORD_PLUS, TRUE);
        return bWithChecks ? PIC_FIRST_PAIR : PIC_ORD_PLUS;
    }
    CFilePictures::Pair pair;
    CFilePictures::MakePair(FALSE, bWithChecks, strPath, pair);
    return AddPicturePair(strPath, bWithChecks, pair);
}

int CFolderListCtrl::MakeStxPicture(const CString& strPath, BOOL bWithChecks)
{
    CFilePictures::Pair pair;
    CFilePictures::MakePair(TRUE, bWithChecks, strPath, pair);
    return AddPicturePair(strPath, bWithChecks, pair);
}

int CFolderListCtrl::AddPicturePair(const CString& strPath, BOOL bWithChecks, CFilePictures::Pair& pair)
{
    if (!pair.bMade)
        return -1;
    AddSmallPair(m_imlSmall, bWithChecks, [&] { AddTypePicture(strPath); });
    const int nIndex = m_imlLarge.Add(&pair.bmFirst, nullptr);
    m_imlLarge.Add(&pair.bmSecond, nullptr);
    return nIndex;
}

int CFolderListCtrl::IsFileSelected() const
{
    const int nItem = GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return -1;
    int nImage = 0;
    ReadItemImage(*this, nItem, nImage);
    return nImage >= PIC_QEF_PLUS ? 1 : 0;
}

void CFolderListCtrl::ToggleCheck()
{
    const int nItem = GetNextItem(-1, LVNI_SELECTED);
    if (nItem < 0)
        return;
    int nImage = 0;
    if (!ReadItemImage(*this, nItem, nImage) || nImage < PIC_FIRST_PAIR)
        return;
    // The odd member of a pair is the ticked picture.
    if (nImage % 2) {
        SetItemImage(*this, nItem, nImage - 1);
        m_nCheckedCount--;
    } else {
        SetItemImage(*this, nItem, nImage + 1);
        m_nCheckedCount++;
    }
}

void CFolderListCtrl::CheckAll()
{
    int nImage = 0;
    for (int nItem = 0; ReadItemImage(*this, nItem, nImage); nItem++) {
        if (nImage >= PIC_FIRST_PAIR && nImage % 2 == 0) {
            SetItemImage(*this, nItem, nImage + 1);
            m_nCheckedCount++;
        }
    }
}

void CFolderListCtrl::UncheckAll()
{
    int nImage = 0;
    for (int nItem = 0; ReadItemImage(*this, nItem, nImage); nItem++) {
        if (nImage >= PIC_FIRST_PAIR && nImage % 2 == 1) {
            SetItemImage(*this, nItem, nImage - 1);
            m_nCheckedCount--;
        }
    }
}

void CFolderListCtrl::OnBeginLabelEdit(NMHDR* pNMHDR, LRESULT* pResult)
{
    if (CEdit* pEdit = GetEditControl())
        pEdit->GetWindowText(m_strOldName);
    *pResult = FALSE;
}

void CFolderListCtrl::UpdateLocationBox()
{
}

int CFolderListCtrl::AddLocationEntry(CComboBoxEx& box, const CString& strText, int nImage, int nIndent)
{
    COMBOBOXEXITEM item{};
    item.mask = CBEIF_TEXT | CBEIF_IMAGE | CBEIF_SELECTEDIMAGE | CBEIF_INDENT;
    item.iItem = box.GetCount();
    item.pszText = const_cast<char16_t*>(strText.GetString());
    item.iImage = nImage;
    item.iSelectedImage = nImage;
    item.iIndent = nIndent;
    return box.InsertItem(&item);
}

BOOL CFolderListCtrl::GetLocationEntry(const CComboBoxEx& box, int nIndex, CString& strText, int& nIndent)
{
    char16_t szText[MAX_PATH] = {};
    COMBOBOXEXITEM item{};
    item.mask = CBEIF_TEXT | CBEIF_INDENT;
    item.iItem = nIndex;
    item.pszText = szText;
    item.cchTextMax = MAX_PATH;
    if (nIndex < 0 || !box.GetItem(&item))
        return FALSE;
    strText = item.pszText ? item.pszText : u"";
    nIndent = item.iIndent;
    return TRUE;
}

int CFolderListCtrl::FillFromFolder(const CString& strPath, int nFirstIndex, int nMode, BOOL bWithChecks)
{
    // The entries first; then the files' pictures, made several at a time, and every entry
    // inserted in the folder's order once its picture is there.
    std::vector<CString> names;
    std::vector<CString> toRead; // per entry: the file whose picture is drawn, empty for none
    std::vector<BOOL> isFolder;
    WIN32_FIND_DATAW find{};
    HANDLE hFind = FindFirstFileW(strPath + u"\\*.*", &find);
    if (hFind != INVALID_HANDLE_VALUE) {
        do {
            const CString strName(find.cFileName);
            if (strName == u"." || strName == u"..")
                continue;
            if (find.dwFileAttributes & (FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_HIDDEN))
                continue;
            const BOOL bFolder = (find.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && nMode != MODE_FILES_AS_ENTRIES;
            if (!bFolder && (!AcceptsFile(strName) || nMode == MODE_FOLDERS_ONLY))
                continue;
            names.push_back(strName);
            isFolder.push_back(bFolder);
            // An ORD+ file is listed with its type picture: nothing is read.
            toRead.push_back(bFolder || m_nListKind == LIST_ORDPLUS ? CString() : strPath + u"\\" + strName);
        } while (FindNextFileW(hFind, &find));
        FindClose(hFind);
    }

    int nIndex = nFirstIndex;
    CFilePictures pictures(m_nListKind == LIST_STX, bWithChecks);
    pictures.Make(toRead, [&](size_t i, CFilePictures::Pair& pair) {
        int nImage = PIC_FOLDER;
        if (!isFolder[i]) {
            nImage = m_nListKind == LIST_ORDPLUS ? MakeDesignPicture(strPath + u"\\" + names[i], bWithChecks)
                                                 : AddPicturePair(toRead[i], bWithChecks, pair);
            if (nImage < 0)
                return;
        }
        InsertItem(LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM, nIndex, names[i], 0, 0, nImage, nIndex);
        nIndex++;
    });
    return nIndex;
}

// Fuzz target for the machine list's reading of a folder listing: whatever count, record
// lengths and names the machine sends, the list reads only inside the block it was given (the
// block is copied to a buffer of exactly its size, so a read past it is caught) and shows no more
// items than the block can hold.
//
// Input: byte 0 chooses the list kind (bits 0-1) and the storage (bits 2-3), byte 1 the level,
// bytes 2-5 the claimed count (little-endian), the rest the records.
#include "lists/MacUsbListCtrl.h"

#include "platform/afx/Dialog.h"
#include "platform/user/WindowManager.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

class CFuzzHostDlg : public CDialog {
public:
    enum { IDC_LIST = 100, IDC_BOX = 101 };
    CFuzzHostDlg()
    {
        m_items = {
            {u"SysListView32", IDC_LIST, u"", 0, 0, 20, 180, 200, WS_CHILD | WS_VISIBLE | LVS_ICON, 0},
            {u"ComboBoxEx32", IDC_BOX, u"", 0, 0, 0, 180, 100, WS_CHILD | WS_VISIBLE | CBS_DROPDOWNLIST, 0},
        };
        m_tmpl = {.pszCaption = u"Listing", .dwStyle = WS_POPUP | WS_CAPTION, .cx = 200, .cy = 230,
                  .pItems = m_items.data(), .nItems = static_cast<UINT>(m_items.size())};
        SetTemplate(&m_tmpl);
        tavren::CreateDialogWindow(m_tmpl, 0, this, 0);
        m_list.m_pLocationBox = &m_box;
    }
    void DoDataExchange(CDataExchange* pDX) override
    {
        DDX_Control(pDX, IDC_LIST, m_list);
        DDX_Control(pDX, IDC_BOX, m_box);
    }

    CMacUsbListCtrl m_list;
    CComboBoxEx m_box;

private:
    std::vector<tavren::DialogItemTemplate> m_items;
    tavren::DialogTemplate m_tmpl{};
};

CFuzzHostDlg* g_pDlg = nullptr;

// Destroys the dialog while the thread's window state still exists: made after the dialog, so its
// thread-local destructor runs before the window system's own.
struct CDialogCloser {
    ~CDialogCloser()
    {
        g_pDlg->DestroyWindow();
        delete g_pDlg;
        g_pDlg = nullptr;
    }
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    if (nSize < 6)
        return 0;
    if (!g_pDlg) {
        g_pDlg = new CFuzzHostDlg;
        thread_local CDialogCloser closer;
        (void)closer;
    }
    CMacUsbListCtrl& list = g_pDlg->m_list;
    list.m_nListKind = pData[0] & 3;
    list.m_wStorage = static_cast<uint16_t>((pData[0] >> 2) & 3);
    list.m_nLevel = pData[1] % 8;
    list.m_strCurrentPath = u"\\EMB";
    int32_t nCount;
    std::memcpy(&nCount, pData + 2, 4);
    const size_t nBytes = nSize - 6;
    BYTE* pBlock = nBytes ? new BYTE[nBytes] : nullptr;
    if (nBytes)
        std::memcpy(pBlock, pData + 6, nBytes);
    const BOOL bFilled = list.FillFromListing(nCount, pBlock, static_cast<uint32_t>(nBytes));
    delete[] pBlock;
    // Every record takes at least its 16-byte head.
    if (!bFilled || static_cast<size_t>(list.GetItemCount()) > nBytes / 16)
        std::abort();
    return 0;
}

// Result codes to messages: the string of every code class, the box's flags, and the box itself as
// a user sees it. (A code without a message shows no box: the listing the person stops in
// MacListTest.AnEmptyFolderShowsAnEmptyListAndFailuresKeepWhatWasShown; every caller shows the box
// for a window of its own that is there.)
#include "tests/comm/CommTestSupport.h"
#include "tests/support/ScriptedUser.h"
#include "tests/support/Watchdog.h"

#include "comm/CommError.h"
#include "platform/seam/Automation.h"
#include "platform/afx/Dialog.h"
#include "platform/afx/ModuleState.h"
#include "platform/user/WindowManager.h"

#include <algorithm>

using namespace commtest;

namespace {

// Each code, the string it picks (0: no message) and the text a person reads in the box.
struct CodeCase { int32_t nCode; UINT nString; const char16_t* pszText; };

const char16_t* const kMachineFailed = u"Data transfer failed due to an error on the machine.";
const CodeCase kCodes[] = {
    {0, 0, nullptr}, {4, 0, nullptr}, {13, 0, nullptr},
    {1, 12501, u"Connect the machine and PC with the USB cable.\nMake sure that the machine is turned on before connecting with the PC."},
    {2, 12502, u"This application does not support the connected machine."}, {3, 12503, u"Communication time out."},
    {5, 12505, u"Failed to initialize communication port."}, {6, 12506, u"Reconnect the USB cable."},
    {7, 12507, u"Received broken packet."}, {8, 12508, u"Failed to send a packet."},
    {9, 12509, u"Invalid command is received."}, {10, 12510, u"Failed to allocate memory."}, // the one with the hand icon
    {11, 12511, u"The broken file was found."}, {12, 12512, u"Files are not found."},
    {14, 12500, u"No defined error."}, {0x7FFF, 12500, u"No defined error."},
    {-1, 12520, kMachineFailed}, {0x8000, 12520, kMachineFailed}, {0x8021, 12520, kMachineFailed},
    {0x1800A, 12520, kMachineFailed}, {0x8001, 12521, kMachineFailed},
    {0x8002, 12522, u"The machine is temporary busy.\nStart data transfer later."},
    {0x800C, 12532, u"The machine is opening/saving a file.\nStart data transfer after opening/saving the file is completed."},
    {0x800F, 12535, u"USB flash drive is not connected to the machine."},
    {0x8010, 12536, u"The file cannot be saved. Short of memory space in the machine"},
    {0x8011, 12537, u"The machine failed to save the file."}, {0x8012, 12538, u"The machine failed to open the file."},
    {0x8013, 12539, u"The machine failed to delete the file."}, {0x8014, 12540, u"The machine failed to rename the file."},
    {0x8016, 12542, u"The machine failed to create the folder."},
    {0x8020, 12552, u"Resume the last sewn pattern, or cancel pattern resuming and start data transfer."},
};

UINT IconOf(const CodeCase& c) { return c.nCode == 10 ? MB_ICONHAND : MB_ICONEXCLAMATION; }

} // namespace

TEST(CommError, EveryCodeClassPicksItsString)
{
    AFX_MAINTAIN_STATE2 state(tavren::ModuleStateFromAddress(&MachineLink())); // the module's own resources
    for (const CodeCase& c : kCodes) {
        EXPECT_EQ(CommErrorStringId(c.nCode), c.nString) << "code " << c.nCode;
        if (!c.nString)
            continue;
        EXPECT_EQ(CommErrorBoxStyle(c.nCode), MB_OK | IconOf(c) | MB_TOPMOST) << "code " << c.nCode;
        CString strText;
        ASSERT_TRUE(strText.LoadString(c.nString)) << c.nString;
        EXPECT_EQ(strText, CString(c.pszText)) << "code " << c.nCode;
    }
    // Every machine code from 0x8001 to 0x8020 has its own string, in order.
    for (int32_t k = 0; k < 32; ++k)
        EXPECT_EQ(CommErrorStringId(0x8001 + k), 12521u + static_cast<UINT>(k));
}

TEST(CommError, TheUserSeesTheBoxAndAnswersIt)
{
    tavren::test::Watchdog watchdog;
    AFX_MAINTAIN_STATE2 state(tavren::ModuleStateFromAddress(&MachineLink()));
    CTestWnd owner;
    for (int32_t nCode : {6, 10, -1, 0x800C}) {
        const CodeCase& c = *std::find_if(std::begin(kCodes), std::end(kCodes), [&](auto& k) { return k.nCode == nCode; });
        tavren::ScriptedUser user([&](tavren::ScriptedUser& u) {
            const tavren::WindowInfo& box = u.ExpectMessageBox(u"Communication Error", c.pszText);
            u.Expect(box.nIcon == IconOf(c), "the icon");
            u.Expect(box.buttons == std::vector<int>{IDOK}, "OK alone");
            u.Expect(box.hOwner == owner.m_hWnd, "owned by the window it was shown for");
            u.PressEnter();
        });
        EXPECT_EQ(ShowCommError(owner, c.nCode), IDOK) << "code " << c.nCode;
        EXPECT_TRUE(user.Finish()) << "code " << c.nCode << ": " << user.Report();
    }
}

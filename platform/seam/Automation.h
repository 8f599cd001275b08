// The user's seam: everything a person sees and does goes through here, for tests (ScriptedUser)
// and for the browser front end alike. Nothing in the module knows which user it has.
//
// look: TakeSnapshot() asks each window's own thread to describe it (so nothing races) and
//   returns plain data: top-level windows (dialogs, message boxes, popup menus) with their
//   controls, list items, combo entries, progress state, message-box text and buttons, menu items.
//   Rectangles are pixels: a window's on the virtual screen, a control's in its dialog's client
//   area. Image lists and icons appear as their handles; a list's pictures are read with
//   tavren::GetImageListPicture (ImageList.h) and the item's image index. Snapshot::imageLists
//   gives each list's change counter, so a viewer re-reads only the lists that changed.
// act: each action is checked against what the user could do (the control exists, is visible and
//   enabled, its window is not blocked by a modal child) and then posted to the window's thread as
//   the input Windows would deliver: mouse button messages at the control's or item's position
//   (the cursor moves there first, so MSG.pt, GetMessagePos and GetCursorPos tell where the person
//   clicked), WM_KEYDOWN/WM_CHAR to the focused control, and so on. The module's handlers run from its own
//   modal loop exactly as they would under Windows. An action answers false with a reason when the
//   user could not have done it.
// wait: WaitFor(predicate, timeout) re-takes snapshots until the predicate holds or time runs out.
//
// Deliberately missing: drag and drop, horizontal scrolling (a list also scrolls an item into view
// before it is clicked, as a person would).
#pragma once

#include "platform/seam/Snapshot.h"

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace tavren {

// ---- look
// nPagesAround -1 describes every item of a list view; n >= 0 only the items within n client
// heights above and below the view (what a viewer can show, and cheap with thousands of items).
Snapshot TakeSnapshot(DWORD dwTimeout = 5000, int nPagesAround = -1);
// Counts the messages windows have handled outside a snapshot: while it stands still nothing a
// snapshot shows has changed (pictures drawn by other threads count their own changes, see
// ImageListState).
uint64_t MessagesHandled();

// ---- act. False and a reason in *pstrError when the user could not have done it.
bool ClickButton(HWND hButton, std::string* pstrError = nullptr);
// Presses a key in a window: goes to the focused control when the focus is inside it.
bool PressKey(HWND hTopLevel, WPARAM nVirtualKey, std::string* pstrError = nullptr);
// The same with Shift held down around it (Shift+Tab goes to the previous control).
bool PressKeyWithShift(HWND hTopLevel, WPARAM nVirtualKey, std::string* pstrError = nullptr);
// Typing, one WM_CHAR a UTF-16 code unit (a surrogate pair is two). Into a focused control that
// takes characters but is no edit (a list view's search) the characters go as they are. Otherwise
// the person first clicks into the edit unless it has the focus (a click after the text puts the
// caret at its end), then types at the caret, replacing the selection there. The edit keeps its limit and read-only state.
bool TypeText(HWND hEdit, std::u16string_view strText, std::string* pstrError = nullptr);
// The same after selecting the whole text (as a person dragging over it), so the typing replaces it.
bool ReplaceText(HWND hEdit, std::u16string_view strText, std::string* pstrError = nullptr);
// Presses a key in a control: WM_KEYDOWN, the WM_CHAR the keyboard makes of it (Backspace, Space,
// letters 'A'..'Z' and digits '0'..'9'), and WM_KEYUP. An edit is clicked into first unless it has
// the focus; another control must have it.
bool PressKeyIn(HWND hCtrl, WPARAM nVirtualKey, std::string* pstrError = nullptr);
// The same with modifier keys held around it. Ctrl makes a letter's control character (Ctrl+C is
// 3); Alt makes the keys WM_SYSKEYDOWN/WM_SYSKEYUP and the character WM_SYSCHAR (a mnemonic).
constexpr UINT kKeyShift = 1;
constexpr UINT kKeyCtrl = 2;
constexpr UINT kKeyAlt = 4;
bool PressKeyIn(HWND hCtrl, WPARAM nVirtualKey, UINT nModifiers, std::string* pstrError);
enum class MouseAction { Click, DoubleClick, RightClick };
// Where on an item the mouse goes: its picture (the label when it has none) or its label.
enum class ListPart { Icon, Label };
// An item (scrolled into view first) or, with nItem -1, empty space below the items. A click on
// the label of the focused, selected item of a list with LVS_EDITLABELS begins editing it (after
// the double-click time), as a person renames; the editor then appears as ControlInfo::hEdit.
bool ClickListItem(HWND hList, int nItem, MouseAction action, std::string* pstrError = nullptr);
bool ClickListItem(HWND hList, int nItem, MouseAction action, ListPart part, std::string* pstrError = nullptr);
// A point of the list's client area, whatever lies there (the browser's clicks).
bool ClickListPoint(HWND hList, POINT pt, MouseAction action, std::string* pstrError = nullptr);
// A scroll bar of a control (nBar SB_VERT or SB_HORZ): an arrow (SB_LINEUP, SB_LINEDOWN), the
// track beside the thumb (SB_PAGEUP, SB_PAGEDOWN), or the thumb dragged to nPos and let go
// (SB_THUMBTRACK then SB_THUMBPOSITION, each followed by SB_ENDSCROLL as the bar sends them).
bool ScrollBar(HWND hCtrl, int nCode, int nPos = 0, std::string* pstrError = nullptr, int nBar = SB_VERT);
// The mouse wheel turned over a control by nDelta (WHEEL_DELTA a notch, away from the person > 0).
bool TurnWheel(HWND hCtrl, int nDelta, std::string* pstrError = nullptr);
// Opens the drop-down list of a combo box and picks entry nIndex.
bool ChooseComboEntry(HWND hCombo, int nIndex, std::string* pstrError = nullptr);
// Picks a command of an open popup menu, or dismisses it (nCommandId 0).
bool ChooseMenuItem(HWND hMenuWindow, UINT nCommandId, std::string* pstrError = nullptr);
// Closes a window with its close box (WM_CLOSE).
bool CloseWindow(HWND hTopLevel, std::string* pstrError = nullptr);

// ---- wait
// Takes snapshots until pred holds (returns that snapshot) or dwTimeout ms pass (nullopt).
std::optional<Snapshot> WaitFor(const std::function<bool(const Snapshot&)>& pred, DWORD dwTimeout);

} // namespace tavren

// Result codes of the machine link turned into messages in the words of the string table.
//
// Link errors (no 0x8000 bit): 1..12 show strings 12501..12512 (0, 4 and 13 show nothing), any
// other such code "No defined error." (12500). Machine errors (0x8000 bit, negative codes
// included): 0x8001 + k, k from 0 to 31, shows 12521 + k; every other one 12520.
#pragma once

#include "platform/base/WinTypes.h"

// The string shown for a code, 0 when the code shows nothing.
UINT CommErrorStringId(int32_t nCode);
// The message box flags for a code: OK, topmost, the exclamation icon (the stop icon for 10).
UINT CommErrorBoxStyle(int32_t nCode);
// Shows the code's message owned by hWnd, caption "Communication Error", and returns the box's
// result; 1 when nothing was shown (a code without message, or hWnd naming no window).
int ShowCommError(HWND hWnd, int32_t nCode);

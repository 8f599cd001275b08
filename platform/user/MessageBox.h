// Message boxes: a window like any dialog, with its text, an icon, and buttons by type
// (MB_OK, MB_OKCANCEL, MB_YESNO, MB_YESNOCANCEL, MB_RETRYCANCEL, MB_ABORTRETRYIGNORE). The call
// runs a nested modal loop until the user answers (the owner is disabled meanwhile) and returns
// the id of the button pressed. Escape and the close box answer IDCANCEL when the box has a Cancel
// button, IDOK when it has only OK, and nothing otherwise, as on Windows.
//
// Deliberately missing: help buttons and MB_HELP, MB_USERICON, MB_SERVICE_NOTIFICATION, time-outs,
// right-to-left reading.
#pragma once

#include "platform/user/WinUser.h"

int MessageBoxW(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType);
inline int MessageBox(HWND hWnd, LPCWSTR lpText, LPCWSTR lpCaption, UINT uType) { return MessageBoxW(hWnd, lpText, lpCaption, uType); }

// The pseudo icon ids a box's icon control carries (IDI_HAND ...).
constexpr UINT IDI_HAND_ID = 32513;
constexpr UINT IDI_QUESTION_ID = 32514;
constexpr UINT IDI_EXCLAMATION_ID = 32515;
constexpr UINT IDI_ASTERISK_ID = 32516;

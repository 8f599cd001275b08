// The check that every export with the machine as a target makes before its dialog: the machine
// link loaded when needed, then the connected machine's handle asked for. A machine the module
// does not support is reported to the user, and the dialog is shown anyway.
#pragma once

#include "platform/afx/Wnd.h"

// False when the machine link cannot be loaded (the export then answers -1). hDevice: the
// connected machine's handle, 0 when none answers.
bool RunConnectedDeviceCheck(CWnd* pParent, HANDLE& hDevice);

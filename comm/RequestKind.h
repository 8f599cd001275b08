// What a run of the communication thread does, and the three messages the worker sends its window.
#pragma once

#include "platform/base/WinTypes.h"

enum RequestKind : int32_t {
    rkList = 1,
    rkSend = 2,
    rkReceive = 3,
    rkRenameFile = 4,
    rkErase = 5,
    rkCreateFolder = 6,
    rkRenameFolder = 7,
    rkDeleteFolder = 8,
    rkReceiveCurrent = 11,
};

// wParam: the number of steps of the run (sent).
constexpr UINT WM_XFER_START = 0x1441;
// wParam: the index of the step just finished, from 0 (sent).
constexpr UINT WM_XFER_STEP = 0x1442;
// wParam: the run's result code (posted).
constexpr UINT WM_XFER_DONE = 0x1443;

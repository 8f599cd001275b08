// The longest gap between the clicks of a double click: 500 ms, or $TAVREN_DOUBLE_CLICK_MS.
#pragma once

#include "platform/base/WinTypes.h"

UINT GetDoubleClickTime();

// Small helpers of the file layer: the Win32 code of a failed call on a host path.
#pragma once

#include "platform/base/WinTypes.h"

#include <string>

namespace tavren {
// ENOENT becomes ERROR_PATH_NOT_FOUND when the parent folder is missing too, as Windows tells
// "no such folder" from "no such file"; other errors as Win32ErrorFromErrno.
DWORD Win32ErrorForPath(int err, const std::string& hostPath);
} // namespace tavren

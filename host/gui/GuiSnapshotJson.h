// The seam's snapshot as JSON for the page: windows, controls, list items and combo entries, with
// the URLs of their pictures. Handles travel as numbers; texts as UTF-8.
#pragma once

#include "platform/seam/Automation.h"
#include "platform/afx/CString.h"

#include <nlohmann/json.hpp>

#include <string>

// The page speaks UTF-8, the seam UTF-16: the layer's conversions serve both.
using tavren::Utf16ToUtf8;
using tavren::Utf8ToUtf16;

// Also describes every image list the snapshot refers to ("imageLists": handle -> size, count
// and a version, the list's identity and change counter, so the page's picture URLs change when
// a picture does).
nlohmann::json SnapshotToJson(const tavren::Snapshot& snapshot);

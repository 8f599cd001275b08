// The layer's clipboard: one text for the whole process, what edits copy, cut and paste.
//
// The module never opens the clipboard itself, so the layer keeps a small one of its own instead of
// OpenClipboard/SetClipboardData/GetClipboardData and their global-memory handles: text only, set
// and read whole, under a lock (any thread may use it).
#pragma once

#include <string>

namespace tavren {
void SetClipboardText(std::u16string strText);
// Empty when nothing was copied.
std::u16string GetClipboardText();
} // namespace tavren

// What the page asks the user to do, carried out through the seam (platform/seam/Automation.h):
//   {"do":"click","hwnd":H}                 a button (also a message box's answer)
//   {"do":"key","hwnd":H,"key":"Enter"}     Enter or Escape in a top-level window (0: the front one)
//   {"do":"type","hwnd":H,"text":"..."}     characters typed into an edit at its caret (one WM_CHAR each)
//   {"do":"keyIn","hwnd":H,"key":"Backspace"}   a key in an edit: Backspace, Delete, Home, End,
//                                           ArrowLeft, ArrowRight
//   {"do":"item","hwnd":H,"item":N,"mouse":"click"|"double"|"right"}   a list item, -1 empty space;
//       with "x","y" (the list's client area) whatever lies at that point (a second click on the
//       selected item's label begins editing it)
//   {"do":"combo","hwnd":H,"index":N}       picks a combo box entry
//   {"do":"menu","hwnd":H,"id":N}           picks a popup menu command, 0 dismisses the menu
//   {"do":"close","hwnd":H}                 the close box
// Answers {"ok":true} or {"ok":false,"error":why}.
#pragma once

#include <nlohmann/json.hpp>

nlohmann::json PerformAction(const nlohmann::json& action);

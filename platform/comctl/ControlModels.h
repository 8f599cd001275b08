// The models of the layer's fixed control classes, for the window manager's control creation.
#pragma once

#include "platform/user/WindowManager.h"

#include <memory>

namespace tavren {
std::unique_ptr<WindowModel> MakeButtonModel();
std::unique_ptr<WindowModel> MakeStaticModel(UINT nImageId, DWORD dwStyle);
// hLabelOwner: the list view whose label this edit edits, or 0 for a plain edit.
std::unique_ptr<WindowModel> MakeEditModel(HWND hLabelOwner);
std::unique_ptr<WindowModel> MakeProgressModel();
std::unique_ptr<WindowModel> MakeComboBoxExModel();
std::unique_ptr<WindowModel> MakeListViewModel(HWND hWnd);
} // namespace tavren

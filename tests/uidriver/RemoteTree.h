#pragma once
// Tree control items of another process, read through memory of that process.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

namespace uidriver {

struct TreeItem {
    HTREEITEM handle = nullptr;
    std::wstring text;
    int image = -1;
    int selectedImage = -1;
    LPARAM data = 0;
    bool expanded = false;
    bool selected = false;
    std::vector<TreeItem> children;
};

// The whole tree, top-level items first.
std::vector<TreeItem> TreeItems(HWND tree);
// The selected item's text; empty when nothing is selected.
std::wstring SelectedTreeText(HWND tree);

}  // namespace uidriver

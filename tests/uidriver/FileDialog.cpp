#include "tests/uidriver/FileDialog.h"

#include <dlgs.h>

namespace uidriver {

HWND WaitForFileDialog(DWORD processId, const std::wstring& caption, DWORD milliseconds)
{
    return WaitForWindow(processId, caption, L"#32770", milliseconds);
}

HWND FileNameBox(HWND fileDialog)
{
    // The explorer-style dialog has the box as edt1; newer templates put an
    // edit inside the combo box cmb13, which Wine makes a ComboBoxEx32 around
    // a ComboBox.
    HWND box = GetDlgItem(fileDialog, edt1);
    if (box && IsWindowVisible(box))
        return box;
    HWND combo = GetDlgItem(fileDialog, cmb13);
    if (combo) {
        HWND edit = FindWindowExW(combo, nullptr, L"Edit", nullptr);
        if (edit)
            return edit;
        HWND inner = FindWindowExW(combo, nullptr, L"ComboBox", nullptr);
        edit = inner ? FindWindowExW(inner, nullptr, L"Edit", nullptr) : nullptr;
        if (edit)
            return edit;
    }
    return box;
}

bool AnswerFileDialog(DWORD processId, const std::wstring& caption, const std::wstring& path,
                      DWORD milliseconds)
{
    HWND dialog = WaitForFileDialog(processId, caption, milliseconds);
    if (!dialog)
        return false;
    HWND box = nullptr;
    if (!WaitUntil([&] { return (box = FileNameBox(dialog)) != nullptr; }, milliseconds))
        return false;
    SetText(box, path);
    ClickControl(dialog, IDOK);
    return true;
}

bool CancelFileDialog(DWORD processId, const std::wstring& caption, DWORD milliseconds)
{
    HWND dialog = WaitForFileDialog(processId, caption, milliseconds);
    if (!dialog)
        return false;
    ClickControl(dialog, IDCANCEL);
    return true;
}

}  // namespace uidriver

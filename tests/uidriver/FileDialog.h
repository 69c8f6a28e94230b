#pragma once
// The system's open and save dialogs of another process, answered as a user
// would: a path typed into the file name box, then OK or Cancel.

#include "tests/uidriver/UiDriver.h"

#include <string>

namespace uidriver {

// Waits for the file dialog with this caption ("Open", "Save As"); null when
// none appears in time.
HWND WaitForFileDialog(DWORD processId, const std::wstring& caption, DWORD milliseconds = kDefaultWait);
// The edit box that takes the file name.
HWND FileNameBox(HWND fileDialog);
// Types the path and presses OK; false when the dialog or its box is missing.
bool AnswerFileDialog(DWORD processId, const std::wstring& caption, const std::wstring& path,
                      DWORD milliseconds = kDefaultWait);
bool CancelFileDialog(DWORD processId, const std::wstring& caption, DWORD milliseconds = kDefaultWait);

}  // namespace uidriver

#pragma once
// Reading and driving the windows of another process, as a user would see them.
// Every wait polls until its condition holds or the time runs out.

#include "tests/uidriver/Program.h"
#include "tests/uidriver/RemoteTree.h"

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

namespace uidriver {

const DWORD kDefaultWait = 10000;

// Polls the condition every 20 ms; true as soon as it holds.
bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds = kDefaultWait);

// Visible top-level windows of the process, in z-order.
std::vector<HWND> TopLevelWindows(DWORD processId);
// The first visible top-level window of the process with this caption (and
// class, when given); null when none appears in time.
HWND WaitForWindow(DWORD processId, const std::wstring& caption, const wchar_t* className = nullptr,
                   DWORD milliseconds = kDefaultWait);
// True when no window of the process has the caption within the time.
bool WaitForWindowGone(HWND window, DWORD milliseconds = kDefaultWait);

std::wstring Text(HWND window);
std::wstring ClassName(HWND window);
bool IsEnabled(HWND window);
bool IsVisible(HWND window);
HWND Control(HWND dialog, int id);
std::vector<HWND> Children(HWND window);

// A window's rectangle in its parent's client coordinates (top-level windows:
// screen coordinates).
RECT RectInParent(HWND window);
RECT ClientRect(HWND window);
RECT WindowRect(HWND window);
inline int Width(const RECT& r) { return r.right - r.left; }
inline int Height(const RECT& r) { return r.bottom - r.top; }

// Sets the window's outer size; the window's own limits apply.
bool Resize(HWND window, int width, int height);

std::vector<std::wstring> ListBoxLines(HWND listBox);

// Posts a click, so that a button that opens a modal dialog does not block us.
void Click(HWND button);
void ClickControl(HWND dialog, int id);
// Types text into an edit control of a (modal) dialog.
void SetText(HWND control, const std::wstring& text);
void Close(HWND window);
// Types each (control id, text) into the dialog, in order.
void FillDialog(HWND dialog, const std::vector<std::pair<int, std::wstring>>& fields);
// The visible static texts of a dialog, in z-order (reading order of creation).
std::vector<std::wstring> StaticTexts(HWND dialog);

struct MessageBoxView {
    HWND window = nullptr;
    std::wstring caption;
    std::wstring text;
    std::vector<std::wstring> buttons;  // captions, left to right
    bool hasIcon = false;
};

// A message box (a dialog with a text and buttons) of the process; the caption
// may be left empty to take any.
bool WaitForMessageBox(DWORD processId, MessageBoxView& view, const std::wstring& caption = L"",
                       DWORD milliseconds = kDefaultWait);
// Presses the box's button with this caption ("OK", "&Yes", ...).
bool AnswerMessageBox(const MessageBoxView& view, const std::wstring& button);

}  // namespace uidriver

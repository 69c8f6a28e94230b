#include "tests/uidriver/UiDriver.h"

#include <algorithm>

namespace uidriver {

namespace {

const DWORD kSendTimeout = 5000;

struct WindowSearch {
    DWORD processId;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectTopLevel(HWND window, LPARAM parameter)
{
    WindowSearch* search = reinterpret_cast<WindowSearch*>(parameter);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner == search->processId && IsWindowVisible(window))
        search->found.push_back(window);
    return TRUE;
}

BOOL CALLBACK CollectChild(HWND window, LPARAM parameter)
{
    reinterpret_cast<std::vector<HWND>*>(parameter)->push_back(window);
    return TRUE;
}

bool IsMessageBoxText(HWND control)
{
    if (ClassName(control) != L"Static")
        return false;
    LONG_PTR type = GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK;
    return type != SS_ICON && type != SS_BITMAP && !Text(control).empty();
}

bool IsIcon(HWND control)
{
    return ClassName(control) == L"Static" && (GetWindowLongPtrW(control, GWL_STYLE) & SS_TYPEMASK) == SS_ICON;
}

bool ReadMessageBox(HWND window, MessageBoxView& view)
{
    MessageBoxView box;
    box.window = window;
    box.caption = Text(window);
    std::vector<HWND> buttons;
    for (HWND child : Children(window)) {
        if (GetParent(child) != window || !IsWindowVisible(child))
            continue;
        if (ClassName(child) == L"Button")
            buttons.push_back(child);
        else if (IsIcon(child))
            box.hasIcon = true;
        else if (IsMessageBoxText(child))
            box.text += Text(child);
    }
    if (buttons.empty() || box.text.empty())
        return false;
    std::sort(buttons.begin(), buttons.end(), [](HWND a, HWND b) { return RectInParent(a).left < RectInParent(b).left; });
    for (HWND button : buttons)
        box.buttons.push_back(Text(button));
    view = box;
    return true;
}

}  // namespace

bool WaitUntil(const std::function<bool()>& condition, DWORD milliseconds)
{
    DWORD start = GetTickCount();
    for (;;) {
        if (condition())
            return true;
        if (GetTickCount() - start >= milliseconds)
            return false;
        Sleep(20);
    }
}

std::vector<HWND> TopLevelWindows(DWORD processId)
{
    WindowSearch search{processId, {}};
    EnumWindows(CollectTopLevel, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::wstring& caption, const wchar_t* className, DWORD milliseconds)
{
    HWND found = nullptr;
    WaitUntil([&] {
        for (HWND window : TopLevelWindows(processId)) {
            if (Text(window) == caption && (!className || ClassName(window) == className)) {
                found = window;
                return true;
            }
        }
        return false;
    }, milliseconds);
    return found;
}

bool WaitForWindowGone(HWND window, DWORD milliseconds)
{
    return WaitUntil([&] { return !IsWindow(window) || !IsWindowVisible(window); }, milliseconds);
}

std::wstring Text(HWND window)
{
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kSendTimeout, &length))
        return std::wstring();
    std::vector<wchar_t> text(length + 1, L'\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()),
                             SMTO_ABORTIFHUNG, kSendTimeout, &copied))
        return std::wstring();
    return std::wstring(text.data());
}

std::wstring ClassName(HWND window)
{
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

bool IsEnabled(HWND window) { return IsWindowEnabled(window) != FALSE; }
bool IsVisible(HWND window) { return IsWindowVisible(window) != FALSE; }
HWND Control(HWND dialog, int id) { return GetDlgItem(dialog, id); }

std::vector<HWND> Children(HWND window)
{
    std::vector<HWND> children;
    EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&children));
    return children;
}

RECT RectInParent(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    if (GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD)
        MapWindowPoints(nullptr, GetParent(window), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

RECT ClientRect(HWND window)
{
    RECT rect = {};
    GetClientRect(window, &rect);
    return rect;
}

RECT WindowRect(HWND window)
{
    RECT rect = {};
    GetWindowRect(window, &rect);
    return rect;
}

bool Resize(HWND window, int width, int height)
{
    return SetWindowPos(window, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE) != FALSE;
}

std::vector<std::wstring> ListBoxLines(HWND listBox)
{
    std::vector<std::wstring> lines;
    LRESULT count = SendMessageW(listBox, LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(listBox, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
        if (length == LB_ERR)
            break;
        std::vector<wchar_t> text(static_cast<size_t>(length) + 1, L'\0');
        SendMessageW(listBox, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        lines.emplace_back(text.data());
    }
    return lines;
}

void Click(HWND button) { PostMessageW(button, BM_CLICK, 0, 0); }
void ClickControl(HWND dialog, int id) { Click(GetDlgItem(dialog, id)); }

void SetText(HWND control, const std::wstring& text)
{
    DWORD_PTR ignored = 0;
    SendMessageTimeoutW(control, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()), SMTO_ABORTIFHUNG,
                        kSendTimeout, &ignored);
}

void Close(HWND window) { PostMessageW(window, WM_CLOSE, 0, 0); }

void FillDialog(HWND dialog, const std::vector<std::pair<int, std::wstring>>& fields)
{
    for (const auto& field : fields)
        SetText(GetDlgItem(dialog, field.first), field.second);
}

std::vector<std::wstring> StaticTexts(HWND dialog)
{
    std::vector<std::wstring> texts;
    for (HWND child : Children(dialog))
        if (GetParent(child) == dialog && IsWindowVisible(child) && IsMessageBoxText(child))
            texts.push_back(Text(child));
    return texts;
}

bool WaitForMessageBox(DWORD processId, MessageBoxView& view, const std::wstring& caption, DWORD milliseconds)
{
    return WaitUntil([&] {
        for (HWND window : TopLevelWindows(processId)) {
            if (ClassName(window) != L"#32770")
                continue;
            if (!caption.empty() && Text(window) != caption)
                continue;
            if (ReadMessageBox(window, view))
                return true;
        }
        return false;
    }, milliseconds);
}

bool AnswerMessageBox(const MessageBoxView& view, const std::wstring& button)
{
    for (HWND child : Children(view.window)) {
        if (ClassName(child) == L"Button" && Text(child) == button) {
            Click(child);
            return true;
        }
    }
    return false;
}

}  // namespace uidriver

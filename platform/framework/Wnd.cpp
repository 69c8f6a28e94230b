#include "platform/framework/Wnd.h"

#include <cstdio>
#include <vector>

namespace {

const wchar_t kObjectProperty[] = L"QuorinFrameworkObject";

// The object whose window CreateEx is creating on this thread; the window
// procedure binds it to the handle at the first message.
thread_local CWnd* t_creating = nullptr;

HINSTANCE g_resourceHandle = nullptr;

HINSTANCE ProgramInstance() { return GetModuleHandleW(nullptr); }

bool IsClassRegisteredW(const wchar_t* className)
{
    WNDCLASSEXW info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExW(ProgramInstance(), className, &info)
        || GetClassInfoExW(nullptr, className, &info);
}

bool IsClassRegisteredA(const char* className)
{
    WNDCLASSEXA info = {};
    info.cbSize = sizeof info;
    return GetClassInfoExA(ProgramInstance(), className, &info)
        || GetClassInfoExA(nullptr, className, &info);
}

bool IsAtom(const void* name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }

}  // namespace

HINSTANCE AfxGetResourceHandle() { return g_resourceHandle ? g_resourceHandle : ProgramInstance(); }
void AfxSetResourceHandle(HINSTANCE instance) { g_resourceHandle = instance; }

const wchar_t* AfxRegisterWndClassW(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    // One name per attribute set, kept for the life of the process.
    static std::vector<std::wstring> names;
    wchar_t name[96];
    swprintf(name, 96, L"QuorinWnd:%x:%p:%p:%p", classStyle, (void*)cursor, (void*)background,
             (void*)icon);
    for (const std::wstring& known : names)
        if (known == name)
            return known.c_str();
    WNDCLASSEXW wc = {};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = QuorinFrameworkWndProc;
    wc.hInstance = ProgramInstance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!RegisterClassExW(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    names.push_back(name);
    return names.back().c_str();
}

const char* AfxRegisterWndClassA(UINT classStyle, HCURSOR cursor, HBRUSH background, HICON icon)
{
    static std::vector<std::string> names;
    char name[96];
    snprintf(name, sizeof name, "QuorinWndA:%x:%p:%p:%p", classStyle, (void*)cursor,
             (void*)background, (void*)icon);
    for (const std::string& known : names)
        if (known == name)
            return known.c_str();
    WNDCLASSEXA wc = {};
    wc.cbSize = sizeof wc;
    wc.style = classStyle;
    wc.lpfnWndProc = QuorinFrameworkWndProc;
    wc.hInstance = ProgramInstance();
    wc.hCursor = cursor;
    wc.hbrBackground = background;
    wc.hIcon = icon;
    wc.lpszClassName = name;
    if (!RegisterClassExA(&wc) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return nullptr;
    names.push_back(name);
    return names.back().c_str();
}

CWnd::CWnd()
    : m_hWnd(nullptr), m_superProc(nullptr), m_current{0, 0, 0}, m_createdHere(false),
      m_registered(false), m_unicode(true)
{
}

CWnd::~CWnd()
{
    if (m_hWnd && m_createdHere && ::IsWindow(m_hWnd)) {
        ::DestroyWindow(m_hWnd);
        return;
    }
    Unregister();
}

BOOL CWnd::Attach(HWND window)
{
    if (m_hWnd || !window)
        return FALSE;
    m_hWnd = window;
    return TRUE;
}

HWND CWnd::Detach()
{
    HWND window = m_hWnd;
    if (m_registered)
        Unregister();
    m_hWnd = nullptr;
    m_createdHere = false;
    return window;
}

CWnd* CWnd::FromHandlePermanent(HWND window)
{
    if (!window)
        return nullptr;
    return static_cast<CWnd*>(GetPropW(window, kObjectProperty));
}

void CWnd::Register(HWND window)
{
    m_hWnd = window;
    m_unicode = ::IsWindowUnicode(window) != FALSE;
    SetPropW(window, kObjectProperty, this);
    m_registered = true;
}

void CWnd::Unregister()
{
    if (!m_registered)
        return;
    if (m_hWnd && ::IsWindow(m_hWnd)) {
        RemovePropW(m_hWnd, kObjectProperty);
        if (m_superProc) {
            if (m_unicode)
                SetWindowLongPtrW(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
            else
                SetWindowLongPtrA(m_hWnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(m_superProc));
        }
    }
    m_superProc = nullptr;
    m_registered = false;
    m_hWnd = nullptr;
}

void CWnd::SubclassWindowForFramework(HWND window)
{
    Register(window);
    LONG_PTR previous = m_unicode
        ? SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QuorinFrameworkWndProc))
        : SetWindowLongPtrA(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(QuorinFrameworkWndProc));
    WNDPROC previousProc = reinterpret_cast<WNDPROC>(previous);
    m_superProc = previousProc == QuorinFrameworkWndProc ? nullptr : previousProc;
}

BOOL CWnd::CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd)
        return FALSE;
    if (!className)
        className = AfxRegisterWndClassW(0);
    if (!className)
        return FALSE;
    if (!IsAtom(className) && !IsClassRegisteredW(className)) {
        WNDCLASSEXW wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = QuorinFrameworkWndProc;
        wc.hInstance = ProgramInstance();
        wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));
        wc.lpszClassName = className;
        RegisterClassExW(&wc);
    }
    t_creating = this;
    HWND window = CreateWindowExW(exStyle, className, windowName, style, x, y, width, height, parent,
                                  menuOrId, ProgramInstance(), param);
    t_creating = nullptr;
    if (!window)
        return FALSE;
    if (FromHandlePermanent(window) != this)
        SubclassWindowForFramework(window);
    m_createdHere = true;
    return TRUE;
}

BOOL CWnd::CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                    int x, int y, int width, int height, HWND parent, HMENU menuOrId, void* param)
{
    if (m_hWnd)
        return FALSE;
    if (!className)
        className = AfxRegisterWndClassA(0);
    if (!className)
        return FALSE;
    if (!IsAtom(className) && !IsClassRegisteredA(className)) {
        WNDCLASSEXA wc = {};
        wc.cbSize = sizeof wc;
        wc.lpfnWndProc = QuorinFrameworkWndProc;
        wc.hInstance = ProgramInstance();
        wc.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));
        wc.lpszClassName = className;
        RegisterClassExA(&wc);
    }
    t_creating = this;
    HWND window = CreateWindowExA(exStyle, className, windowName, style, x, y, width, height, parent,
                                  menuOrId, ProgramInstance(), param);
    t_creating = nullptr;
    if (!window)
        return FALSE;
    if (FromHandlePermanent(window) != this)
        SubclassWindowForFramework(window);
    m_createdHere = true;
    return TRUE;
}

BOOL CWnd::DestroyWindow()
{
    if (!m_hWnd)
        return FALSE;
    HWND window = m_hWnd;
    if (!m_registered)
        m_hWnd = nullptr;
    return ::DestroyWindow(window);
}

LRESULT CWnd::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_COMMAND && OnCommand(wParam, lParam))
        return 0;
    if (message == WM_NOTIFY) {
        LRESULT result = 0;
        if (OnNotify(wParam, lParam, &result))
            return result;
    }
    return CallSuper(message, wParam, lParam);
}

BOOL CWnd::OnCommand(WPARAM, LPARAM) { return FALSE; }
BOOL CWnd::OnNotify(WPARAM, LPARAM, LRESULT*) { return FALSE; }
BOOL CWnd::PreTranslateMessage(MSG*) { return FALSE; }
void CWnd::PostNcDestroy() {}

LRESULT CWnd::CallSuper(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (m_superProc)
        return m_unicode ? CallWindowProcW(m_superProc, m_hWnd, message, wParam, lParam)
                         : CallWindowProcA(m_superProc, m_hWnd, message, wParam, lParam);
    return m_unicode ? ::DefWindowProcW(m_hWnd, message, wParam, lParam)
                     : ::DefWindowProcA(m_hWnd, message, wParam, lParam);
}

LRESULT CWnd::Default() { return CallSuper(m_current.message, m_current.wParam, m_current.lParam); }
LRESULT CWnd::DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallSuper(message, wParam, lParam);
}
LRESULT CWnd::DefWindowProcA(UINT message, WPARAM wParam, LPARAM lParam)
{
    return CallSuper(message, wParam, lParam);
}

LRESULT CALLBACK QuorinFrameworkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    CWnd* object = CWnd::FromHandlePermanent(window);
    if (!object && t_creating) {
        object = t_creating;
        t_creating = nullptr;
        object->Register(window);
    }
    if (!object)
        return IsWindowUnicode(window) ? DefWindowProcW(window, message, wParam, lParam)
                                       : DefWindowProcA(window, message, wParam, lParam);
    CWnd::CurrentMessage saved = object->m_current;
    object->m_current = {message, wParam, lParam};
    LRESULT result = object->WindowProc(message, wParam, lParam);
    object->m_current = saved;
    if (message == WM_NCDESTROY) {
        object->Unregister();
        object->m_createdHere = false;
        object->PostNcDestroy();
    }
    return result;
}

LRESULT CWnd::SendMessageW(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageW(m_hWnd, message, wParam, lParam);
}
LRESULT CWnd::SendMessageA(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::SendMessageA(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessageW(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageW(m_hWnd, message, wParam, lParam);
}
BOOL CWnd::PostMessageA(UINT message, WPARAM wParam, LPARAM lParam) const
{
    return ::PostMessageA(m_hWnd, message, wParam, lParam);
}

void CWnd::SetWindowTextW(const wchar_t* text) { ::SetWindowTextW(m_hWnd, text); }
void CWnd::SetWindowTextA(const char* text) { ::SetWindowTextA(m_hWnd, text); }

std::wstring CWnd::GetWindowTextW() const
{
    int length = ::GetWindowTextLengthW(m_hWnd);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string CWnd::GetWindowTextA() const
{
    int length = ::GetWindowTextLengthA(m_hWnd);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(m_hWnd, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

HWND CWnd::GetDlgItem(int id) const { return ::GetDlgItem(m_hWnd, id); }
int CWnd::GetDlgCtrlID() const { return ::GetDlgCtrlID(m_hWnd); }
void CWnd::SetDlgItemTextW(int id, const wchar_t* text) { ::SetDlgItemTextW(m_hWnd, id, text); }
void CWnd::SetDlgItemTextA(int id, const char* text) { ::SetDlgItemTextA(m_hWnd, id, text); }

std::wstring CWnd::GetDlgItemTextW(int id) const
{
    HWND item = GetDlgItem(id);
    if (!item)
        return std::wstring();
    int length = ::GetWindowTextLengthW(item);
    std::wstring text(static_cast<size_t>(length) + 1, L'\0');
    int copied = ::GetWindowTextW(item, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

std::string CWnd::GetDlgItemTextA(int id) const
{
    HWND item = GetDlgItem(id);
    if (!item)
        return std::string();
    int length = ::GetWindowTextLengthA(item);
    std::string text(static_cast<size_t>(length) + 1, '\0');
    int copied = ::GetWindowTextA(item, &text[0], length + 1);
    text.resize(copied > 0 ? static_cast<size_t>(copied) : 0);
    return text;
}

int CWnd::MessageBoxW(const wchar_t* text, const wchar_t* caption, UINT type)
{
    return ::MessageBoxW(m_hWnd, text, caption, type);
}
int CWnd::MessageBoxA(const char* text, const char* caption, UINT type)
{
    return ::MessageBoxA(m_hWnd, text, caption, type);
}

BOOL CWnd::ShowWindow(int command) { return ::ShowWindow(m_hWnd, command); }
BOOL CWnd::EnableWindow(BOOL enable) { return ::EnableWindow(m_hWnd, enable); }
BOOL CWnd::IsWindowEnabled() const { return ::IsWindowEnabled(m_hWnd); }
BOOL CWnd::IsWindowVisible() const { return ::IsWindowVisible(m_hWnd); }
BOOL CWnd::IsIconic() const { return ::IsIconic(m_hWnd); }

void CWnd::MoveWindow(int x, int y, int width, int height, BOOL repaint)
{
    ::MoveWindow(m_hWnd, x, y, width, height, repaint);
}

void CWnd::MoveWindow(const RECT& rect, BOOL repaint)
{
    ::MoveWindow(m_hWnd, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top, repaint);
}

void CWnd::GetClientRect(RECT* rect) const { ::GetClientRect(m_hWnd, rect); }
void CWnd::GetWindowRect(RECT* rect) const { ::GetWindowRect(m_hWnd, rect); }

RECT CWnd::GetRectInParent() const
{
    RECT rect = {};
    ::GetWindowRect(m_hWnd, &rect);
    HWND parent = ::GetParent(m_hWnd);
    if (parent)
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

void CWnd::Invalidate(BOOL erase) { ::InvalidateRect(m_hWnd, nullptr, erase); }
BOOL CWnd::UpdateWindow() { return ::UpdateWindow(m_hWnd); }

UINT_PTR CWnd::SetTimer(UINT_PTR id, UINT milliseconds, TIMERPROC callback)
{
    return ::SetTimer(m_hWnd, id, milliseconds, callback);
}

BOOL CWnd::KillTimer(UINT_PTR id) { return ::KillTimer(m_hWnd, id); }

HICON CWnd::SetIcon(HICON icon, BOOL big)
{
    return reinterpret_cast<HICON>(SendMessageW(WM_SETICON, big ? ICON_BIG : ICON_SMALL,
                                                reinterpret_cast<LPARAM>(icon)));
}

HMENU CWnd::GetSystemMenu(BOOL revert) const { return ::GetSystemMenu(m_hWnd, revert); }
HWND CWnd::GetParent() const { return ::GetParent(m_hWnd); }
HWND CWnd::SetFocus() { return ::SetFocus(m_hWnd); }

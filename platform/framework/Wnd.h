#pragma once
// CWnd: a window handle with the window's message handling as virtual functions.
//
// Windows created through CreateEx (and dialogs, see Dialog.h) send every message
// to WindowProc; the default WindowProc routes WM_COMMAND to OnCommand and
// WM_NOTIFY to OnNotify and hands everything else to the default processing.
// Attach only wraps a handle: the window keeps its own window procedure.
//
// Names that the Windows headers turn into A/W macros exist in both forms, so
// ANSI and Unicode programs share this header.

#include <windows.h>

#include <string>

class CWnd {
public:
    CWnd();
    virtual ~CWnd();

    HWND m_hWnd;

    HWND GetSafeHwnd() const { return m_hWnd; }
    operator HWND() const { return m_hWnd; }

    // Wraps an existing window without subclassing it.
    BOOL Attach(HWND window);
    HWND Detach();

    // The framework object of a window created or subclassed by the framework;
    // null for any other window.
    static CWnd* FromHandlePermanent(HWND window);

    // Creates a window whose messages reach WindowProc. A null class name means
    // the framework's own class; a class that is not registered yet is
    // registered with the framework's procedure.
    BOOL CreateEx(DWORD exStyle, const wchar_t* className, const wchar_t* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                  void* param = nullptr);
    BOOL CreateEx(DWORD exStyle, const char* className, const char* windowName, DWORD style,
                  int x, int y, int width, int height, HWND parent, HMENU menuOrId,
                  void* param = nullptr);
    virtual BOOL DestroyWindow();

    virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Returns TRUE when the command was handled.
    virtual BOOL OnCommand(WPARAM wParam, LPARAM lParam);
    // Returns TRUE when the notification was handled; *result is then returned.
    virtual BOOL OnNotify(WPARAM wParam, LPARAM lParam, LRESULT* result);
    // Sees messages of this window and its children before they are dispatched
    // (in modal loops run by the framework). TRUE: the message is consumed.
    virtual BOOL PreTranslateMessage(MSG* message);
    // Called after the window received its last message (WM_NCDESTROY).
    virtual void PostNcDestroy();

    // The default processing of the message being handled.
    LRESULT Default();
    LRESULT DefWindowProcW(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefWindowProcA(UINT message, WPARAM wParam, LPARAM lParam);

    LRESULT SendMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    LRESULT SendMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessageW(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;
    BOOL PostMessageA(UINT message, WPARAM wParam = 0, LPARAM lParam = 0) const;

    void SetWindowTextW(const wchar_t* text);
    void SetWindowTextA(const char* text);
    std::wstring GetWindowTextW() const;
    std::string GetWindowTextA() const;

    HWND GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    void SetDlgItemTextW(int id, const wchar_t* text);
    void SetDlgItemTextA(int id, const char* text);
    std::wstring GetDlgItemTextW(int id) const;
    std::string GetDlgItemTextA(int id) const;

    int MessageBoxW(const wchar_t* text, const wchar_t* caption = nullptr, UINT type = MB_OK);
    int MessageBoxA(const char* text, const char* caption = nullptr, UINT type = MB_OK);

    BOOL ShowWindow(int command);
    BOOL EnableWindow(BOOL enable = TRUE);
    BOOL IsWindowEnabled() const;
    BOOL IsWindowVisible() const;
    BOOL IsIconic() const;
    void MoveWindow(int x, int y, int width, int height, BOOL repaint = TRUE);
    void MoveWindow(const RECT& rect, BOOL repaint = TRUE);
    void GetClientRect(RECT* rect) const;
    void GetWindowRect(RECT* rect) const;
    // The window's rectangle in its parent's client coordinates.
    RECT GetRectInParent() const;
    void Invalidate(BOOL erase = TRUE);
    BOOL UpdateWindow();
    UINT_PTR SetTimer(UINT_PTR id, UINT milliseconds, TIMERPROC callback = nullptr);
    BOOL KillTimer(UINT_PTR id);
    HICON SetIcon(HICON icon, BOOL big);
    HMENU GetSystemMenu(BOOL revert) const;
    HWND GetParent() const;
    HWND SetFocus();

protected:
    // The procedure the window had before the framework took it over; null for
    // windows of the framework's own classes.
    WNDPROC m_superProc;

    friend LRESULT CALLBACK QuorinFrameworkWndProc(HWND, UINT, WPARAM, LPARAM);
    friend class CDialog;

    // Puts this object behind the window: its messages reach WindowProc.
    void SubclassWindowForFramework(HWND window);

private:
    CWnd(const CWnd&) = delete;
    CWnd& operator=(const CWnd&) = delete;

    LRESULT CallSuper(UINT message, WPARAM wParam, LPARAM lParam);
    void Register(HWND window);
    void Unregister();

    struct CurrentMessage {
        UINT message;
        WPARAM wParam;
        LPARAM lParam;
    } m_current;
    bool m_createdHere;
    bool m_registered;
    bool m_unicode;
};

LRESULT CALLBACK QuorinFrameworkWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Registers (once per distinct attribute set) a window class with the framework's
// procedure and returns its name.
const wchar_t* AfxRegisterWndClassW(UINT classStyle, HCURSOR cursor = nullptr,
                                    HBRUSH background = nullptr, HICON icon = nullptr);
const char* AfxRegisterWndClassA(UINT classStyle, HCURSOR cursor = nullptr,
                                 HBRUSH background = nullptr, HICON icon = nullptr);
#ifdef UNICODE
#define AfxRegisterWndClass AfxRegisterWndClassW
#else
#define AfxRegisterWndClass AfxRegisterWndClassA
#endif

// The module whose resources the framework loads (the program's own by default).
HINSTANCE AfxGetResourceHandle();
void AfxSetResourceHandle(HINSTANCE instance);

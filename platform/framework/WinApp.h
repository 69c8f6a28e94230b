#pragma once
// CWinApp: the program's one application object. The framework's WinMain finds
// it, calls InitInstance and, when that returns TRUE, runs the message loop
// (Run) until WM_QUIT; ExitInstance gives the exit code.
//
// Profile functions: after SetRegistryKey(key) the settings live under
// HKEY_CURRENT_USER\Software\<key>\<application name>\<section>, as REG_DWORD
// values. Without a registry key they read the defaults and store nothing.

#include "platform/framework/Wnd.h"

#include <string>

class CWinApp {
public:
    // A null name: the application name is the executable's file name without
    // its extension.
    explicit CWinApp(const wchar_t* appName = nullptr);
    virtual ~CWinApp();

    virtual BOOL InitInstance();
    // The message loop; returns ExitInstance's value.
    virtual int Run();
    // The process's exit code: by default the code of the WM_QUIT that ended Run.
    virtual int ExitInstance();
    // Sees every message of the application's message loop before dispatch.
    virtual BOOL PreTranslateMessage(MSG* message);

    void SetRegistryKey(const wchar_t* key);
    void SetRegistryKey(const char* key);

    // The value when present as a 32-bit number, otherwise the default.
    UINT GetProfileIntW(const wchar_t* section, const wchar_t* entry, int defaultValue);
    UINT GetProfileIntA(const char* section, const char* entry, int defaultValue);
    BOOL WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value);
    BOOL WriteProfileInt(const char* section, const char* entry, int value);

    HICON LoadIconW(UINT id) const;
    HICON LoadIconA(UINT id) const;

    // HKEY_CURRENT_USER\Software\<key>\<application name>; empty without a key.
    std::wstring GetProfileRoot() const;

    const wchar_t* m_pszAppName;
    const wchar_t* m_pszRegistryKey;
    HINSTANCE m_hInstance;
    LPSTR m_lpCmdLine;
    int m_nCmdShow;
    CWnd* m_pMainWnd;

    // Run by the framework's WinMain.
    static int RunApplication(HINSTANCE instance, LPSTR commandLine, int show);

private:
    CWinApp(const CWinApp&) = delete;
    CWinApp& operator=(const CWinApp&) = delete;

    std::wstring m_appName;
    std::wstring m_registryKey;
    int m_exitCode;
};

// DispatchMessageA for ANSI windows, DispatchMessageW otherwise.
void DispatchMessageToWindow(const MSG& message);

// The application object, or null when none was constructed.
CWinApp* AfxGetApp();
CWnd* AfxGetMainWnd();

// A message box of the application: captioned with the application name and
// owned by the main window's last active popup (the modal dialog in front, if
// any). Without an icon in type, MB_OK and MB_OKCANCEL get the exclamation
// mark, MB_YESNO and MB_YESNOCANCEL the question mark.
int AfxMessageBox(const wchar_t* text, UINT type = MB_OK);

#include "platform/framework/WinApp.h"

#include <vector>

namespace {

CWinApp* g_app = nullptr;

std::wstring ExecutableBaseName()
{
    std::vector<wchar_t> path(MAX_PATH);
    for (;;) {
        DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size())
            break;
        path.resize(path.size() * 2);
    }
    std::wstring name(path.data());
    size_t slash = name.find_last_of(L"\\/");
    if (slash != std::wstring::npos)
        name.erase(0, slash + 1);
    size_t dot = name.rfind(L'.');
    if (dot != std::wstring::npos && dot > 0)
        name.erase(dot);
    return name;
}

std::wstring Widen(const char* text)
{
    if (!text || !*text)
        return std::wstring();
    int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
    if (length <= 0)
        return std::wstring();
    std::wstring wide(static_cast<size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, text, -1, &wide[0], length);
    wide.resize(static_cast<size_t>(length) - 1);
    return wide;
}

}  // namespace

CWinApp* AfxGetApp() { return g_app; }
CWnd* AfxGetMainWnd() { return g_app ? g_app->m_pMainWnd : nullptr; }

CWinApp::CWinApp(const wchar_t* appName)
    : m_pszAppName(nullptr), m_pszRegistryKey(nullptr), m_hInstance(GetModuleHandleW(nullptr)),
      m_lpCmdLine(nullptr), m_nCmdShow(SW_SHOWNORMAL), m_pMainWnd(nullptr),
      m_appName(appName ? appName : ExecutableBaseName()), m_exitCode(0)
{
    m_pszAppName = m_appName.c_str();
    g_app = this;
}

CWinApp::~CWinApp()
{
    if (g_app == this)
        g_app = nullptr;
}

BOOL CWinApp::InitInstance() { return TRUE; }

int CWinApp::Run()
{
    MSG message;
    for (;;) {
        BOOL got = GetMessageW(&message, nullptr, 0, 0);
        if (got == -1)
            break;
        if (got == 0) {
            m_exitCode = static_cast<int>(message.wParam);
            break;
        }
        if (PreTranslateMessage(&message))
            continue;
        TranslateMessage(&message);
        DispatchMessageToWindow(message);
    }
    return ExitInstance();
}

int CWinApp::ExitInstance() { return m_exitCode; }

void DispatchMessageToWindow(const MSG& message)
{
    // An ANSI window gets its messages in ANSI form.
    if (message.hwnd && !IsWindowUnicode(message.hwnd))
        DispatchMessageA(&message);
    else
        DispatchMessageW(&message);
}

BOOL CWinApp::PreTranslateMessage(MSG* message)
{
    // Let the framework window that owns the message have a look first.
    for (HWND window = message->hwnd; window;) {
        CWnd* object = CWnd::FromHandlePermanent(window);
        if (object && object->PreTranslateMessage(message))
            return TRUE;
        if (!(GetWindowLongPtrW(window, GWL_STYLE) & WS_CHILD))
            break;
        window = GetParent(window);
    }
    return FALSE;
}

void CWinApp::SetRegistryKey(const wchar_t* key)
{
    m_registryKey = key ? key : L"";
    m_pszRegistryKey = m_registryKey.empty() ? nullptr : m_registryKey.c_str();
}

void CWinApp::SetRegistryKey(const char* key) { SetRegistryKey(Widen(key).c_str()); }

std::wstring CWinApp::GetProfileRoot() const
{
    if (m_registryKey.empty())
        return std::wstring();
    return L"Software\\" + m_registryKey + L"\\" + m_appName;
}

UINT CWinApp::GetProfileIntW(const wchar_t* section, const wchar_t* entry, int defaultValue)
{
    std::wstring root = GetProfileRoot();
    if (root.empty() || !section || !entry)
        return static_cast<UINT>(defaultValue);
    std::wstring path = root + L"\\" + section;
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
        return static_cast<UINT>(defaultValue);
    DWORD type = 0, value = 0, size = sizeof value;
    LONG status = RegQueryValueExW(key, entry, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    if (status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value)
        return static_cast<UINT>(defaultValue);
    return value;
}

UINT CWinApp::GetProfileIntA(const char* section, const char* entry, int defaultValue)
{
    if (!section || !entry)
        return static_cast<UINT>(defaultValue);
    return GetProfileIntW(Widen(section).c_str(), Widen(entry).c_str(), defaultValue);
}

BOOL CWinApp::WriteProfileInt(const wchar_t* section, const wchar_t* entry, int value)
{
    std::wstring root = GetProfileRoot();
    if (root.empty() || !section || !entry)
        return FALSE;
    std::wstring path = root + L"\\" + section;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key,
                        nullptr) != ERROR_SUCCESS)
        return FALSE;
    DWORD data = static_cast<DWORD>(value);
    LONG status = RegSetValueExW(key, entry, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&data),
                                 sizeof data);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
}

BOOL CWinApp::WriteProfileInt(const char* section, const char* entry, int value)
{
    if (!section || !entry)
        return FALSE;
    return WriteProfileInt(Widen(section).c_str(), Widen(entry).c_str(), value);
}

HICON CWinApp::LoadIconW(UINT id) const { return ::LoadIconW(AfxGetResourceHandle(), MAKEINTRESOURCEW(id)); }
HICON CWinApp::LoadIconA(UINT id) const { return ::LoadIconA(AfxGetResourceHandle(), MAKEINTRESOURCEA(id)); }

int CWinApp::RunApplication(HINSTANCE instance, LPSTR commandLine, int show)
{
    CWinApp* app = g_app;
    if (!app)
        return -1;
    app->m_hInstance = instance;
    app->m_lpCmdLine = commandLine;
    app->m_nCmdShow = show;
    if (!app->InitInstance()) {
        if (app->m_pMainWnd && app->m_pMainWnd->m_hWnd)
            app->m_pMainWnd->DestroyWindow();
        return app->ExitInstance();
    }
    return app->Run();
}

// The program's entry point: the framework runs the application object. Kept in
// this file so that every program with a CWinApp links it.
int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR commandLine, int show)
{
    return CWinApp::RunApplication(instance, commandLine, show);
}

int AfxMessageBox(const wchar_t* text, UINT type)
{
    HWND owner = nullptr;
    if (CWnd* main = AfxGetMainWnd())
        if (main->m_hWnd && ::IsWindow(main->m_hWnd))
            owner = ::GetLastActivePopup(::GetAncestor(main->m_hWnd, GA_ROOT));
    if (!owner)
        owner = ::GetActiveWindow();
    if ((type & MB_ICONMASK) == 0) {
        switch (type & MB_TYPEMASK) {
        case MB_OK:
        case MB_OKCANCEL:
            type |= MB_ICONEXCLAMATION;
            break;
        case MB_YESNO:
        case MB_YESNOCANCEL:
            type |= MB_ICONQUESTION;
            break;
        default:
            break;
        }
    }
    CWinApp* app = AfxGetApp();
    return ::MessageBoxW(owner, text, app ? app->m_pszAppName : L"", type);
}

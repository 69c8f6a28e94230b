#include "heraldix/SystemTray.h"

#include "heraldix/ActivityMessages.h"

#include <cstring>
#include <new>

static_assert(sizeof(void*) != 4 || NOTIFY_ICON_RECORD_SIZE == 504, "the 32-bit icon record is 504 bytes");

ShellNotifyIconFunction g_shellNotifyIcon = Shell_NotifyIconA;
UINT CSystemTray::maxTooltipLength = 128;

namespace {

const UINT TRAY_RECORD_FLAGS = NIF_MESSAGE | NIF_ICON | NIF_TIP;

// Copies at most size - 1 bytes of text and always ends the field with a zero.
void CopyField(char* field, size_t size, const char* text)
{
    size_t length = text ? strnlen(text, size - 1) : 0;
    if (length > 0)
        memcpy(field, text, length);
    field[length] = '\0';
}

bool SystemShowsBalloons()
{
    OSVERSIONINFOA version = {};
    version.dwOSVersionInfoSize = sizeof(version);
    if (!GetVersionExA(&version))
        return false;
    return version.dwPlatformId == VER_PLATFORM_WIN32_NT && version.dwMajorVersion >= 5;
}

bool SystemHasNotificationArea()
{
    return LOBYTE(LOWORD(GetVersion())) >= 4;
}

}  // namespace

CSystemTray::CSystemTray(HWND owner, const char* tooltip, HICON icon)
    : trayEnabled(false), iconHidden(true), iconRemoved(true), reinstallPending(false),
      balloonsSupported(SystemShowsBalloons()), frameTimer(0), frameIndex(0), savedIcon(nullptr),
      creationFlags(0)
{
    memset(&notifyData, 0, sizeof(notifyData));
    Install(owner, tooltip, icon);
}

CSystemTray::~CSystemTray()
{
    Uninstall();
    frameIcons.clear();
    DestroyWindow();
}

bool CSystemTray::Install(HWND owner, const char* tooltip, HICON icon)
{
    trayEnabled = SystemHasNotificationArea();
    if (!trayEnabled)
        return false;
    maxTooltipLength = sizeof(notifyData.szTip);
    CreateOwnWindow();

    notifyData.cbSize = NOTIFY_ICON_RECORD_SIZE;
    notifyData.hWnd = owner ? owner : m_hWnd;
    notifyData.uID = 0;
    notifyData.uFlags = TRAY_RECORD_FLAGS;
    notifyData.uCallbackMessage = WM_TRAY_CALLBACK;
    notifyData.hIcon = icon;
    CopyField(notifyData.szTip, maxTooltipLength, tooltip);

    iconHidden = false;
    creationFlags = notifyData.uFlags;
    bool added = g_shellNotifyIcon(NIM_ADD, &notifyData) != FALSE;
    iconRemoved = iconHidden = reinstallPending = !added;
    return added;
}

bool CSystemTray::Uninstall()
{
    reinstallPending = false;
    if (!trayEnabled || iconRemoved)
        return true;
    notifyData.uFlags = 0;
    if (g_shellNotifyIcon(NIM_DELETE, &notifyData)) {
        iconRemoved = true;
        iconHidden = true;
    }
    return iconRemoved;
}

bool CSystemTray::Reinstall()
{
    if (!iconRemoved)
        Uninstall();
    if (trayEnabled) {
        notifyData.uFlags = TRAY_RECORD_FLAGS;
        if (g_shellNotifyIcon(NIM_ADD, &notifyData)) {
            iconHidden = false;
            iconRemoved = false;
        } else {
            reinstallPending = true;
        }
    }
    return !iconRemoved;
}

bool CSystemTray::ChangeIcon(HICON icon)
{
    if (!trayEnabled)
        return false;
    notifyData.uFlags = NIF_ICON;
    notifyData.hIcon = icon;
    if (iconHidden)
        return true;
    return g_shellNotifyIcon(NIM_MODIFY, &notifyData) != FALSE;
}

bool CSystemTray::ChangeTooltip(const char* text)
{
    if (!trayEnabled)
        return false;
    notifyData.uFlags = NIF_TIP;
    CopyField(notifyData.szTip, maxTooltipLength, text);
    if (iconHidden)
        return true;
    return g_shellNotifyIcon(NIM_MODIFY, &notifyData) != FALSE;
}

std::string CSystemTray::ReadTooltip() const
{
    if (!trayEnabled)
        return std::string();
    return std::string(notifyData.szTip, strnlen(notifyData.szTip, sizeof(notifyData.szTip)));
}

bool CSystemTray::PopupBalloon(const char* text, const char* title, DWORD iconKind, UINT seconds)
{
    if (!balloonsSupported)
        return false;
    if (seconds > MAX_BALLOON_SECONDS)
        seconds = MAX_BALLOON_SECONDS;
    notifyData.uFlags = NIF_INFO;
    CopyField(notifyData.szInfo, sizeof(notifyData.szInfo), text);
    CopyField(notifyData.szInfoTitle, sizeof(notifyData.szInfoTitle), title);
    notifyData.dwInfoFlags = iconKind;
    notifyData.uTimeout = seconds * 1000;
    bool accepted = g_shellNotifyIcon(NIM_MODIFY, &notifyData) != FALSE;
    // Later changes of the record must not show the balloon again.
    notifyData.szInfo[0] = '\0';
    return accepted;
}

bool CSystemTray::LoadFrames(HICON first, HICON second)
{
    frameIcons.clear();
    try {
        frameIcons.push_back(first);
        frameIcons.push_back(second);
    } catch (const std::bad_alloc&) {
        ::MessageBoxA(nullptr, "Out of memory.", nullptr, MB_OK | MB_ICONEXCLAMATION);
        frameIcons.clear();
        return false;
    }
    return true;
}

bool CSystemTray::StartFrames()
{
    if (frameIcons.empty())
        return false;
    StopFrames();
    frameIndex = 0;
    savedIcon = trayEnabled ? notifyData.hIcon : nullptr;
    frameTimer = SetTimer(ANIMATION_TIMER_ID, ANIMATION_PERIOD_MS);
    return frameTimer != 0;
}

bool CSystemTray::StopFrames()
{
    bool stopped = false;
    if (frameTimer) {
        stopped = KillTimer(frameTimer) != FALSE;
        frameTimer = 0;
    }
    if (savedIcon)
        ChangeIcon(savedIcon);
    return stopped;
}

bool CSystemTray::NextFrame()
{
    if (frameIcons.empty())
        return false;
    ++frameIndex;
    if (frameIndex >= static_cast<int>(frameIcons.size()))
        frameIndex = 0;
    return ChangeIcon(frameIcons[frameIndex]);
}

bool CSystemTray::AddIcon(UINT flags)
{
    notifyData.uFlags = flags;
    return g_shellNotifyIcon(NIM_ADD, &notifyData) != FALSE;
}

LRESULT CSystemTray::OnTaskbarRecreated()
{
    reinstallPending = true;
    if (iconHidden)
        return 0;
    bool added = AddIcon(creationFlags);
    iconHidden = reinstallPending = !added;
    return 0;
}

void CSystemTray::OnWorkAreaChange(UINT setting)
{
    if (setting != SPI_SETWORKAREA)
        return;
    reinstallPending = !iconHidden;
    if (iconHidden)
        return;
    // The icon is usually still there, so the shell refuses this add.
    bool added = AddIcon(creationFlags);
    iconHidden = reinstallPending = !added;
}

LRESULT CSystemTray::WindowProc(UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_TIMER) {
        if (frameTimer != 0 && wParam == frameTimer)
            NextFrame();
        return 0;
    }
    if (message == WM_SETTINGCHANGE) {
        LRESULT result = Default();
        OnWorkAreaChange(static_cast<UINT>(wParam));
        return result;
    }
    if (message != 0 && message == WM_TRAY_TASKBAR_CREATED)
        return OnTaskbarRecreated();
    return CWnd::WindowProc(message, wParam, lParam);
}

bool CSystemTray::CreateOwnWindow()
{
    if (m_hWnd)
        return true;
    return CreateEx(0, AfxRegisterWndClassA(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr) != FALSE;
}

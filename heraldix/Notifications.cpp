#include "heraldix/Notifications.h"

#include "heraldix/ActivityMessages.h"
#include "heraldix/LocalizedString.h"
#include "heraldix/ManagerLauncher.h"
#include "heraldix/SystemTray.h"
#include "heraldix/resource.h"

#include <cstdio>

int activityMode = ACTIVITY_IDLE;
CSystemTray* g_systemTray = nullptr;
HICON g_idleIcon = nullptr;
HICON g_frame1Icon = nullptr;
HICON g_frame2Icon = nullptr;

namespace {

const UINT SHORT_BALLOON_SECONDS = 10;
const UINT LONG_BALLOON_SECONDS = 30;

void ShowBalloon(const std::string& text, DWORD iconKind, UINT seconds)
{
    if (g_systemTray)
        g_systemTray->PopupBalloon(text.c_str(), LoadLocalizedString(IDS_TITLE).c_str(), iconKind, seconds);
}

void ShowBalloon(UINT textId, DWORD iconKind, UINT seconds)
{
    ShowBalloon(LoadLocalizedString(textId), iconKind, seconds);
}

void SetTooltip(UINT textId)
{
    if (g_systemTray)
        g_systemTray->ChangeTooltip(LoadLocalizedString(textId).c_str());
}

void AnimateIcon()
{
    if (g_systemTray) {
        g_systemTray->LoadFrames(g_frame1Icon, g_frame2Icon);
        g_systemTray->StartFrames();
    }
}

void StopAnimation()
{
    if (g_systemTray)
        g_systemTray->StopFrames();
}

void ShowIdleIcon()
{
    if (g_systemTray)
        g_systemTray->ChangeIcon(g_idleIcon);
}

void RemindOfKeyGeneration()
{
    if (activityMode == ACTIVITY_KEY_GENERATION && g_systemTray)
        ShowBalloon(g_systemTray->ReadTooltip(), NIIF_INFO, LONG_BALLOON_SECONDS);
}

bool IsMessage(UINT message, UINT registered)
{
    return registered != 0 && message == registered;
}

}  // namespace

std::string ExpiryText(LPARAM dayCount)
{
    int days = static_cast<int>(static_cast<INT32>(dayCount));
    if (days < 0)
        return LoadLocalizedString(IDS_CERT_EXPIRED);
    if (days == 0)
        return std::string();
    // The format is our own string table's, with one %d.
    std::string format = LoadLocalizedString(IDS_CERT_EXPIRING);
    char text[512];
    int length = snprintf(text, sizeof(text), format.c_str(), days);
    return length < 0 ? std::string() : std::string(text);
}

bool HandleActivityMessage(HWND window, UINT message, LPARAM lParam)
{
    if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_IMPORT_START)) {
        ShowBalloon(IDS_IMPORT_RUNNING, NIIF_INFO, SHORT_BALLOON_SECONDS);
        AnimateIcon();
        SetTooltip(IDS_IMPORT_RUNNING);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_GENERATE_START)) {
        ShowBalloon(IDS_KEYGEN_RUNNING, NIIF_INFO, LONG_BALLOON_SECONDS);
        AnimateIcon();
        activityMode = ACTIVITY_KEY_GENERATION;
        SetTooltip(IDS_KEYGEN_RUNNING);
        SetTimer(window, REMINDER_TIMER_ID, REMINDER_PERIOD_MS, nullptr);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_GENERATE_END)) {
        ShowBalloon(IDS_KEYGEN_DONE, NIIF_INFO, SHORT_BALLOON_SECONDS);
        StopAnimation();
        activityMode = ACTIVITY_IDLE;
        KillTimer(window, REMINDER_TIMER_ID);
        ShowIdleIcon();
        SetTooltip(IDS_TITLE);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_IMPORT_END)) {
        ShowBalloon(IDS_IMPORT_DONE, NIIF_INFO, SHORT_BALLOON_SECONDS);
        StopAnimation();
        activityMode = ACTIVITY_IDLE;
        ShowIdleIcon();
        SetTooltip(IDS_TITLE);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING)) {
        ShowBalloon(ExpiryText(lParam), NIIF_WARNING, LONG_BALLOON_SECONDS);
        SetTooltip(IDS_TITLE);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_NEW_DEVICE)) {
        ShowBalloon(IDS_NEW_DEVICE, NIIF_INFO, SHORT_BALLOON_SECONDS);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START)) {
        AnimateIcon();
        activityMode = ACTIVITY_STORE_UPDATE;
        SetTooltip(IDS_STORE_UPDATING);
    } else if (IsMessage(message, WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END)) {
        StopAnimation();
        activityMode = ACTIVITY_IDLE;
        ShowIdleIcon();
        SetTooltip(IDS_TITLE);
    } else {
        return false;
    }
    return true;
}

void ShowContextMenu(HWND window, const std::string& managerPath, const std::string& managerName)
{
    POINT cursor = {};
    GetCursorPos(&cursor);
    HMENU menu = LoadMenuA(g_resourceModule, MAKEINTRESOURCEA(IDR_TRAY_MENU));
    if (!menu)
        return;
    HMENU popup = GetSubMenu(menu, 1);
    if (popup) {
        std::string exitText = LoadLocalizedString(IDS_EXIT);
        ModifyMenuA(popup, IDM_EXIT, MF_BYCOMMAND | MF_STRING, IDM_EXIT, exitText.c_str());
        if (ManagerPathExists(managerPath))
            AppendMenuA(popup, MF_STRING, IDM_START_MANAGER, managerName.c_str());
        SetForegroundWindow(window);
        TrackPopupMenu(popup, TPM_RIGHTBUTTON | TPM_BOTTOMALIGN, cursor.x, cursor.y, 0, window, nullptr);
        PostMessageA(window, WM_NULL, 0, 0);
    }
    DestroyMenu(menu);
}

LRESULT CALLBACK NotificationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    if (message == WM_CLOSE || message == WM_DESTROY || message == WM_QUIT) {
        if (g_systemTray)
            g_systemTray->Uninstall();
        return 0;
    }
    if (message == WM_TIMER && wParam == REMINDER_TIMER_ID) {
        RemindOfKeyGeneration();
        return 0;
    }
    if (IsMessage(message, WM_TASKBAR_CREATED) && g_systemTray)
        g_systemTray->Reinstall();

    ManagerSettings settings;
    if (message == WM_COMMAND || message == WM_TRAY_CALLBACK)
        settings = ReadManagerSettings();

    if (message == WM_COMMAND) {
        switch (LOWORD(wParam)) {
        case IDM_EXIT:
            if (g_systemTray)
                g_systemTray->Uninstall();
            PostQuitMessage(0);
            return 0;
        case IDM_START_MANAGER:
            LaunchManager(settings.path);
            return 0;
        }
    }
    if (message == WM_TRAY_CALLBACK) {
        if (lParam == WM_CONTEXTMENU || lParam == WM_RBUTTONDOWN)
            ShowContextMenu(window, settings.path, settings.name);
        else if (lParam == WM_LBUTTONDBLCLK)
            LaunchManager(settings.path);
    }
    HandleActivityMessage(window, message, lParam);
    return DefWindowProcA(window, message, wParam, lParam);
}

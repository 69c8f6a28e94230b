// The notification window's procedure: activity messages become balloons,
// tooltips and icon animation; the icon's menu and double click start tokarium.
#pragma once
#include <windows.h>
#include <string>

class CSystemTray;

constexpr UINT_PTR REMINDER_TIMER_ID = 1;
constexpr UINT REMINDER_PERIOD_MS = 29000;

enum ActivityMode { ACTIVITY_IDLE = 0, ACTIVITY_KEY_GENERATION = 1, ACTIVITY_STORE_UPDATE = 2 };

// Process-wide state that start-up fills in and the procedure uses.
extern int activityMode;
extern CSystemTray* g_systemTray;
extern HICON g_idleIcon;
extern HICON g_frame1Icon;
extern HICON g_frame2Icon;

LRESULT CALLBACK NotificationWndProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// The balloon text of WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING for a day count.
std::string ExpiryText(LPARAM dayCount);

// Handles the activity message `message`; false when it is none of them.
bool HandleActivityMessage(HWND window, UINT message, LPARAM lParam);

// Shows the icon's context menu at the cursor.
void ShowContextMenu(HWND window, const std::string& managerPath, const std::string& managerName);

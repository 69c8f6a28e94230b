// The pieces of heraldix's start-up that need no application object.
#pragma once
#include <windows.h>

extern const char INSTANCE_MUTEX_NAME[];
extern const char NOTIFICATION_CLASS_NAME[];
extern const char NOTIFICATION_WINDOW_NAME[];

// Creates the logon session's instance mutex; sets alreadyRunning when another
// heraldix holds it. The handle stays open for the life of the process.
HANDLE CreateInstanceMutex(bool& alreadyRunning);

// Lets low-integrity processes open the object: a mandatory label at low
// integrity with the no-write-up policy. True when the label was set.
bool ApplyLowIntegrityLabel(HANDLE object);

using ChangeWindowMessageFilterExFunction = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
// ChangeWindowMessageFilterEx where user32 has it, else null.
ChangeWindowMessageFilterExFunction FindMessageFilterFunction();
// Lets the seven activity messages through the filter of `window`.
void OpenActivityMessageFilters(HWND window, ChangeWindowMessageFilterExFunction changeFilter);

void InitCommonControlsForHeraldix();

// Loads the idle icon and the two animation frames into the process-wide handles.
void LoadTrayIcons(HINSTANCE instance, HMODULE resources);

// The notification window's class; its atom, 0 on failure.
ATOM RegisterNotificationClass();
// The hidden notification window, never shown.
HWND CreateNotificationWindow(ATOM windowClass);

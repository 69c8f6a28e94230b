// The registered window messages heraldix listens to. Registered by name when
// the program loads, before the application starts up, so every process of the
// logon session that registers the same name gets the same number.
#pragma once
#include <windows.h>

extern UINT WM_QUORIN_MW_ACTIVITY_IMPORT_START;
extern UINT WM_QUORIN_MW_ACTIVITY_IMPORT_END;
extern UINT WM_QUORIN_MW_ACTIVITY_GENERATE_START;
extern UINT WM_QUORIN_MW_ACTIVITY_GENERATE_END;
extern UINT WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING;
extern UINT WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START;
extern UINT WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END;
extern UINT WM_QUORIN_MW_ACTIVITY_NEW_DEVICE;
// "TaskBarCreated", watched by the notification window.
extern UINT WM_TASKBAR_CREATED;
// "TaskbarCreated", watched by the tray component's own window. Registered
// names compare without case, so both hold the same number.
extern UINT WM_TRAY_TASKBAR_CREATED;

// The seven activity messages that low-integrity senders may post to us, in
// the order their filters are opened (WM_QUORIN_MW_ACTIVITY_NEW_DEVICE is not one).
constexpr int FILTERED_ACTIVITY_MESSAGE_COUNT = 7;
UINT FilteredActivityMessage(int index);

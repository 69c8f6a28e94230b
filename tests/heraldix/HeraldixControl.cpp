// Drives a running heraldix from scripts:
//   heraldix-control broadcast NAME [LPARAM]   posts a registered message to every top-level window
//   heraldix-control wait [SECONDS]            waits until the notification window exists
//   heraldix-control exit                      chooses Exit in the tray menu
// (the virtual middleware has its own broadcaster; this one serves heraldix's tests).
#include "heraldix/resource.h"

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

HWND NotificationWindow()
{
    return FindWindowA("quorin_omnilink_mw_notification_class", "quorin_omnilink_mw_notification_window");
}

int Broadcast(const char* name, const char* parameter)
{
    UINT message = RegisterWindowMessageA(name);
    LPARAM lParam = parameter ? static_cast<LPARAM>(strtol(parameter, nullptr, 0)) : 0;
    if (!message || !PostMessageA(HWND_BROADCAST, message, 0, lParam)) {
        fprintf(stderr, "heraldix-control: %s not sent (%lu)\n", name, GetLastError());
        return 1;
    }
    return 0;
}

int Wait(const char* seconds)
{
    DWORD limit = (seconds ? atoi(seconds) : 10) * 1000;
    for (DWORD waited = 0; waited <= limit; waited += 50) {
        if (NotificationWindow())
            return 0;
        Sleep(50);
    }
    fprintf(stderr, "heraldix-control: no notification window\n");
    return 1;
}

int Exit()
{
    HWND window = NotificationWindow();
    if (!window || !PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0)) {
        fprintf(stderr, "heraldix-control: no notification window\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc >= 3 && strcmp(argv[1], "broadcast") == 0)
        return Broadcast(argv[2], argc > 3 ? argv[3] : nullptr);
    if (argc >= 2 && strcmp(argv[1], "wait") == 0)
        return Wait(argc > 2 ? argv[2] : nullptr);
    if (argc == 2 && strcmp(argv[1], "exit") == 0)
        return Exit();
    fprintf(stderr, "usage: heraldix-control broadcast NAME [LPARAM] | wait [SECONDS] | exit\n");
    return 2;
}

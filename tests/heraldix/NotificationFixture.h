// A notification window with its tray component, as start-up leaves them,
// with the shell replaced by a recorder and the languages fixed.
#pragma once
#include "heraldix/ActivityMessages.h"
#include "heraldix/LocalizedString.h"
#include "heraldix/Notifications.h"
#include "heraldix/Startup.h"
#include "heraldix/SystemTray.h"
#include "heraldix/resource.h"
#include "tests/heraldix/ShellRecorder.h"
#include "tests/heraldix/TestText.h"

#include <gtest/gtest.h>

#include <memory>

// The notification window's class, registered once per process.
inline ATOM NotificationClass()
{
    static ATOM atom = RegisterNotificationClass();
    return atom;
}

class NotificationTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        g_resourceModule = GetModuleHandleA(nullptr);
        windowClass = NotificationClass();
        g_idleIcon = LoadIconA(g_resourceModule, MAKEINTRESOURCEA(IDI_IDLE));
        g_frame1Icon = LoadIconA(g_resourceModule, MAKEINTRESOURCEA(IDI_FRAME1));
        g_frame2Icon = LoadIconA(g_resourceModule, MAKEINTRESOURCEA(IDI_FRAME2));
    }

    void SetUp() override
    {
        ASSERT_NE(windowClass, 0);
        window = CreateNotificationWindow(windowClass);
        ASSERT_NE(window, nullptr);
        activityMode = ACTIVITY_IDLE;
        tray = std::make_unique<CSystemTray>(window, LoadLocalizedString(IDS_TITLE).c_str(), g_idleIcon);
        g_systemTray = tray.get();
        shell.Clear();
    }

    void TearDown() override
    {
        KillTimer(window, REMINDER_TIMER_ID);
        g_systemTray = nullptr;
        tray.reset();
        // The window ignores WM_DESTROY's default ending; DestroyWindow still destroys it.
        DestroyWindow(window);
        activityMode = ACTIVITY_IDLE;
    }

    LRESULT Send(UINT message, WPARAM wParam = 0, LPARAM lParam = 0)
    {
        return SendMessageA(window, message, wParam, lParam);
    }

    HICON LastIcon() const
    {
        HICON icon = nullptr;
        for (const ShellCall& call : shell.calls)
            if (call.flags & NIF_ICON)
                icon = call.icon;
        return icon;
    }

    static inline ATOM windowClass = 0;
    ShellRecorder shell;
    LanguageOverride english{0x0409, 0x0409};
    HWND window = nullptr;
    std::unique_ptr<CSystemTray> tray;
};

// NotificationWndProc: the activity table, the reminder, closing and default handling.
#include "tests/heraldix/ExpectedTexts.h"
#include "tests/heraldix/NotificationFixture.h"

namespace {

const char TITLE[] = "Quorin Omnilink Middleware";

enum class Icon { Unchanged, Animated, Idle };

struct ActivityCase {
    const char* name;
    UINT* message;
    LPARAM lParam;
    const char* balloon;  // null: no balloon
    DWORD iconKind;
    UINT timeout;
    Icon icon;
    const char* tooltip;  // null: unchanged
    int modeAfter;        // from a mode of 2 before
};

const ActivityCase ACTIVITIES[] = {
    {"IMPORT_START", &WM_QUORIN_MW_ACTIVITY_IMPORT_START, 0, "Downloading new certificate, please wait...",
     NIIF_INFO, 10000, Icon::Animated, "Downloading new certificate, please wait...", 2},
    {"GENERATE_START", &WM_QUORIN_MW_ACTIVITY_GENERATE_START, 0, "Generating a Key pair, please wait...",
     NIIF_INFO, 30000, Icon::Animated, "Generating a Key pair, please wait...", 1},
    {"GENERATE_END", &WM_QUORIN_MW_ACTIVITY_GENERATE_END, 0, "Key pair generated!", NIIF_INFO, 10000,
     Icon::Idle, TITLE, 0},
    {"IMPORT_END", &WM_QUORIN_MW_ACTIVITY_IMPORT_END, 0, "Certificate creation completed!", NIIF_INFO, 10000,
     Icon::Idle, TITLE, 0},
    {"CERTIFICATE_EXPIRING", &WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING, 5,
     "One of your certificates will be invalidated in 5 day(s)...", NIIF_WARNING, 30000, Icon::Unchanged,
     TITLE, 2},
    {"NEW_DEVICE", &WM_QUORIN_MW_ACTIVITY_NEW_DEVICE, 0, "New device connected, now detecting. Please wait...",
     NIIF_INFO, 10000, Icon::Unchanged, nullptr, 2},
    {"CERTIFICATES_TO_STORE_START", &WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START, 0, nullptr, 0, 0,
     Icon::Animated, "Updating certificate store, please wait...", 2},
    {"CERTIFICATES_TO_STORE_END", &WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END, 0, nullptr, 0, 0, Icon::Idle,
     TITLE, 0},
};

TEST_F(NotificationTest, EachActivityMessage)
{
    for (const ActivityCase& c : ACTIVITIES) {
        SCOPED_TRACE(c.name);
        ASSERT_NE(*c.message, 0u);
        tray->StopFrames();
        tray->ChangeIcon(g_frame1Icon);
        tray->ChangeTooltip("before");
        activityMode = ACTIVITY_STORE_UPDATE;
        shell.Clear();

        EXPECT_EQ(Send(*c.message, 0x1234, c.lParam), 0);

        std::vector<ShellCall> balloons = shell.Balloons();
        if (c.balloon) {
            ASSERT_EQ(balloons.size(), 1u);
            EXPECT_EQ(balloons[0].info, c.balloon);
            EXPECT_EQ(balloons[0].infoTitle, TITLE);
            EXPECT_EQ(balloons[0].infoFlags, c.iconKind);
            EXPECT_EQ(balloons[0].timeout, c.timeout);
        } else {
            EXPECT_TRUE(balloons.empty());
        }
        switch (c.icon) {
        case Icon::Animated:
            EXPECT_NE(tray->FrameTimer(), 0u);
            EXPECT_EQ(tray->FrameCount(), 2u);
            break;
        case Icon::Idle:
            EXPECT_EQ(tray->FrameTimer(), 0u);
            EXPECT_EQ(LastIcon(), g_idleIcon);
            EXPECT_EQ(tray->Record().hIcon, g_idleIcon);
            break;
        case Icon::Unchanged:
            EXPECT_EQ(tray->FrameTimer(), 0u);
            EXPECT_EQ(LastIcon(), nullptr);
            EXPECT_EQ(tray->Record().hIcon, g_frame1Icon);
            break;
        }
        EXPECT_EQ(tray->ReadTooltip(), c.tooltip ? c.tooltip : "before");
        EXPECT_EQ(activityMode, c.modeAfter);
        KillTimer(window, REMINDER_TIMER_ID);
    }
}

TEST_F(NotificationTest, ActivityBalloonsInEveryLanguage)
{
    struct Shown {
        UINT* message;
        LPARAM lParam;
        UINT id;
    };
    const Shown shown[] = {
        {&WM_QUORIN_MW_ACTIVITY_IMPORT_START, 0, IDS_IMPORT_RUNNING},
        {&WM_QUORIN_MW_ACTIVITY_IMPORT_END, 0, IDS_IMPORT_DONE},
        {&WM_QUORIN_MW_ACTIVITY_GENERATE_START, 0, IDS_KEYGEN_RUNNING},
        {&WM_QUORIN_MW_ACTIVITY_GENERATE_END, 0, IDS_KEYGEN_DONE},
        {&WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING, -3, IDS_CERT_EXPIRED},
        {&WM_QUORIN_MW_ACTIVITY_NEW_DEVICE, 0, IDS_NEW_DEVICE},
    };
    const LANGID users[] = {0x0409, 0x0C0A, 0x0410, 0x0424, 0x0416};
    const LANGID tables[] = {0x0409, 0x040A, 0x0410, 0x0424, 0x0816};
    for (int language = 0; language < 5; ++language) {
        LanguageOverride user(users[language], 0x0409);
        for (const Shown& s : shown) {
            SCOPED_TRACE(testing::Message() << std::hex << users[language] << " " << std::dec << s.id);
            shell.Clear();
            Send(*s.message, 0, s.lParam);
            std::vector<ShellCall> balloons = shell.Balloons();
            ASSERT_EQ(balloons.size(), 1u);
            EXPECT_EQ(balloons[0].info, Ansi(ExpectedText(tables[language], s.id)));
            EXPECT_EQ(balloons[0].infoTitle, TITLE);
        }
        // The tooltip of a running store update is in the language too.
        Send(WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START);
        EXPECT_EQ(tray->ReadTooltip(), Ansi(ExpectedText(tables[language], IDS_STORE_UPDATING)));
        Send(WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END);
    }
}

TEST_F(NotificationTest, ExpiryTexts)
{
    struct ExpiryCase {
        LPARAM days;
        const char* text;
    };
    const ExpiryCase cases[] = {
        {5, "One of your certificates will be invalidated in 5 day(s)..."},
        {1, "One of your certificates will be invalidated in 1 day(s)..."},
        {365, "One of your certificates will be invalidated in 365 day(s)..."},
        {-3, "At least one certificate expired..."},
        {-1, "At least one certificate expired..."},
        {0, ""},
        // A day count of -3 sent as a 32-bit value without sign extension.
        {static_cast<LPARAM>(0xFFFFFFFDu), "At least one certificate expired..."},
    };
    for (const ExpiryCase& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ExpiryText(c.days), c.text);
        tray->ChangeTooltip("before");
        shell.Clear();
        Send(WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING, 77, c.days);
        std::vector<ShellCall> balloons = shell.Balloons();
        ASSERT_EQ(balloons.size(), 1u);
        EXPECT_EQ(balloons[0].info, c.text);
        EXPECT_EQ(balloons[0].infoFlags, static_cast<DWORD>(NIIF_WARNING));
        EXPECT_EQ(balloons[0].timeout, 30000u);
        EXPECT_EQ(tray->ReadTooltip(), TITLE);
    }
}

TEST_F(NotificationTest, ExpiryTextInItalian)
{
    LanguageOverride italian(0x0410, 0x0409);
    EXPECT_EQ(ExpiryText(12), Ansi(L"Uno dei certificati scadr\x00e0 tra 12 giorni..."));
}

TEST_F(NotificationTest, KeyGenerationReminderRepeatsTheTooltip)
{
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_START);
    ASSERT_EQ(activityMode, ACTIVITY_KEY_GENERATION);
    shell.Clear();
    EXPECT_EQ(Send(WM_TIMER, REMINDER_TIMER_ID), 0);
    std::vector<ShellCall> balloons = shell.Balloons();
    ASSERT_EQ(balloons.size(), 1u);
    EXPECT_EQ(balloons[0].info, "Generating a Key pair, please wait...");
    EXPECT_EQ(balloons[0].infoTitle, TITLE);
    EXPECT_EQ(balloons[0].infoFlags, static_cast<DWORD>(NIIF_INFO));
    EXPECT_EQ(balloons[0].timeout, 30000u);

    // Another message changed the tooltip: the reminder repeats that text.
    Send(WM_QUORIN_MW_ACTIVITY_IMPORT_START);
    shell.Clear();
    Send(WM_TIMER, REMINDER_TIMER_ID);
    ASSERT_EQ(shell.Balloons().size(), 1u);
    EXPECT_EQ(shell.Balloons()[0].info, "Downloading new certificate, please wait...");

    // A store update running: the timer ticks without a balloon.
    Send(WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START);
    shell.Clear();
    EXPECT_EQ(Send(WM_TIMER, REMINDER_TIMER_ID), 0);
    EXPECT_TRUE(shell.Balloons().empty());
    // The timer still exists until GENERATE_END.
    EXPECT_TRUE(KillTimer(window, REMINDER_TIMER_ID));
}

TEST_F(NotificationTest, GenerateStartSetsTheReminderTimerAndGenerateEndKillsIt)
{
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_START);
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_END);
    EXPECT_FALSE(KillTimer(window, REMINDER_TIMER_ID));
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_START);
    EXPECT_TRUE(KillTimer(window, REMINDER_TIMER_ID));
}

TEST_F(NotificationTest, ASecondStartRestartsTheAnimation)
{
    Send(WM_QUORIN_MW_ACTIVITY_IMPORT_START);
    SendMessageA(tray->GetSafeHwnd(), WM_TIMER, CSystemTray::ANIMATION_TIMER_ID, 0);
    EXPECT_EQ(tray->FrameIndex(), 1);
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_START);
    EXPECT_EQ(tray->FrameIndex(), 0);
    EXPECT_NE(tray->FrameTimer(), 0u);
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_END);
    EXPECT_EQ(tray->Record().hIcon, g_idleIcon);
}

TEST_F(NotificationTest, OtherTimersReachTheDefaultProcedure)
{
    Send(WM_QUORIN_MW_ACTIVITY_GENERATE_START);
    shell.Clear();
    EXPECT_EQ(Send(WM_TIMER, 2), 0);
    EXPECT_TRUE(shell.calls.empty());
}

TEST_F(NotificationTest, CloseAndDestroyRemoveTheIconOnly)
{
    for (UINT message : {WM_CLOSE, WM_DESTROY, WM_QUIT}) {
        SCOPED_TRACE(message);
        tray->Reinstall();
        shell.Clear();
        EXPECT_EQ(Send(message), 0);
        ASSERT_EQ(shell.calls.size(), 1u);
        EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
        EXPECT_TRUE(IsWindow(window));
        MSG quit;
        EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
        // Activity messages are still handled and balloons still requested.
        shell.Clear();
        Send(WM_QUORIN_MW_ACTIVITY_NEW_DEVICE);
        EXPECT_EQ(shell.Balloons().size(), 1u);
    }
}

TEST_F(NotificationTest, TaskbarRecreationReinstallsTheIcon)
{
    ASSERT_EQ(WM_TASKBAR_CREATED, WM_TRAY_TASKBAR_CREATED);
    Send(WM_CLOSE);
    shell.Clear();
    Send(WM_TASKBAR_CREATED);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_FALSE(tray->IsIconRemoved());
    // Shown: the icon is deleted first, then added.
    shell.Clear();
    Send(WM_TASKBAR_CREATED);
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_ADD));
}

TEST_F(NotificationTest, ExitRemovesTheIconAndQuitsWithZero)
{
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0)), 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
    MSG quit;
    ASSERT_TRUE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(quit.wParam, 0u);
}

TEST_F(NotificationTest, UnhandledMessagesGetTheDefaultResult)
{
    EXPECT_EQ(Send(WM_GETTEXTLENGTH), static_cast<LRESULT>(strlen(NOTIFICATION_WINDOW_NAME)));
    char name[64] = {};
    EXPECT_EQ(Send(WM_GETTEXT, sizeof(name), reinterpret_cast<LPARAM>(name)),
              static_cast<LRESULT>(strlen(NOTIFICATION_WINDOW_NAME)));
    EXPECT_STREQ(name, NOTIFICATION_WINDOW_NAME);
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(40000, 0)), 0);
    EXPECT_EQ(Send(WM_TRAY_CALLBACK, 0, WM_MOUSEMOVE), 0);
    EXPECT_EQ(Send(WM_QUERYENDSESSION), TRUE);
    EXPECT_TRUE(shell.calls.empty());
    MSG quit;
    EXPECT_FALSE(PeekMessageA(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

}  // namespace

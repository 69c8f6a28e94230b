// CSystemTray against a recorder of the records it passes to the shell.
#include "heraldix/ActivityMessages.h"
#include "heraldix/SystemTray.h"
#include "heraldix/resource.h"
#include "tests/heraldix/ShellRecorder.h"

#include <gtest/gtest.h>

#include <memory>

namespace {

const UINT TRAY_FLAGS = 7;  // NIF_MESSAGE | NIF_ICON | NIF_TIP
const char TIP[] = "Quorin Omnilink Middleware";

class SystemTrayTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(owner, nullptr);
        HINSTANCE self = GetModuleHandleA(nullptr);
        idle = LoadIconA(self, MAKEINTRESOURCEA(IDI_IDLE));
        frame1 = LoadIconA(self, MAKEINTRESOURCEA(IDI_FRAME1));
        frame2 = LoadIconA(self, MAKEINTRESOURCEA(IDI_FRAME2));
        ASSERT_TRUE(idle && frame1 && frame2);
    }
    void TearDown() override
    {
        tray.reset();
        DestroyWindow(owner);
    }
    void MakeTray(const char* tooltip = TIP) { tray = std::make_unique<CSystemTray>(owner, tooltip, idle); }
    // Icons passed to the shell by NIM_MODIFY with NIF_ICON, in order.
    std::vector<HICON> IconChanges() const
    {
        std::vector<HICON> icons;
        for (const ShellCall& call : shell.calls)
            if (call.message == NIM_MODIFY && call.flags == NIF_ICON)
                icons.push_back(call.icon);
        return icons;
    }

    ShellRecorder shell;
    HWND owner = nullptr;
    HICON idle = nullptr, frame1 = nullptr, frame2 = nullptr;
    std::unique_ptr<CSystemTray> tray;
};

TEST_F(SystemTrayTest, InstallAddsTheIconRecord)
{
    MakeTray();
    ASSERT_EQ(shell.calls.size(), 1u);
    const ShellCall& add = shell.calls[0];
    EXPECT_EQ(add.message, static_cast<DWORD>(NIM_ADD));
    // The record without the balloon-icon handle: 504 bytes in the 32-bit layout.
    EXPECT_EQ(add.size, sizeof(void*) == 4 ? 504u : 520u);
    EXPECT_EQ(add.window, owner);
    EXPECT_EQ(add.id, 0u);
    EXPECT_EQ(add.flags, TRAY_FLAGS);
    EXPECT_EQ(add.callbackMessage, 0x8001u);
    EXPECT_EQ(add.icon, idle);
    EXPECT_EQ(add.tip, TIP);
    EXPECT_TRUE(tray->IsTrayEnabled());
    EXPECT_FALSE(tray->IsIconHidden());
    EXPECT_FALSE(tray->IsIconRemoved());
    EXPECT_FALSE(tray->IsReinstallPending());
    EXPECT_EQ(CSystemTray::maxTooltipLength, 128u);
    EXPECT_EQ(tray->ReadTooltip(), TIP);
    // Its own window is a hidden pop-up with an empty name.
    ASSERT_NE(tray->GetSafeHwnd(), nullptr);
    EXPECT_EQ(GetWindowLongA(tray->GetSafeHwnd(), GWL_STYLE) & WS_POPUP, static_cast<LONG>(WS_POPUP));
    EXPECT_FALSE(IsWindowVisible(tray->GetSafeHwnd()));
    EXPECT_EQ(GetWindowTextLengthA(tray->GetSafeHwnd()), 0);
}

TEST_F(SystemTrayTest, WithoutOwnerTheIconBelongsToItsOwnWindow)
{
    tray = std::make_unique<CSystemTray>(nullptr, TIP, idle);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].window, tray->GetSafeHwnd());
}

TEST_F(SystemTrayTest, TooltipsAreCutAt127Bytes)
{
    std::string longTip(200, 'x');
    for (size_t i = 0; i < longTip.size(); ++i)
        longTip[i] = static_cast<char>('a' + i % 26);
    MakeTray(longTip.c_str());
    EXPECT_EQ(shell.calls[0].tip, longTip.substr(0, 127));
    ASSERT_TRUE(tray->ChangeTooltip(longTip.c_str()));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_TIP));
    EXPECT_EQ(shell.calls[1].tip, longTip.substr(0, 127));
    EXPECT_EQ(tray->ReadTooltip(), longTip.substr(0, 127));
    EXPECT_EQ(tray->Record().szTip[127], '\0');
}

TEST_F(SystemTrayTest, ChangeIconModifiesOnlyTheIcon)
{
    MakeTray();
    EXPECT_TRUE(tray->ChangeIcon(frame1));
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_MODIFY));
    EXPECT_EQ(shell.calls[1].flags, static_cast<UINT>(NIF_ICON));
    EXPECT_EQ(shell.calls[1].icon, frame1);
    shell.Answer({FALSE});
    EXPECT_FALSE(tray->ChangeIcon(frame2));
}

TEST_F(SystemTrayTest, RefusedAddKeepsChangesInTheRecordUntilReinstall)
{
    shell.Answer({FALSE});
    MakeTray();
    EXPECT_TRUE(tray->IsIconHidden());
    EXPECT_TRUE(tray->IsIconRemoved());
    EXPECT_TRUE(tray->IsReinstallPending());

    shell.Clear();
    EXPECT_TRUE(tray->ChangeIcon(frame2));
    EXPECT_TRUE(tray->ChangeTooltip("changed while hidden"));
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_EQ(tray->ReadTooltip(), "changed while hidden");

    // Already removed: no delete, straight to the add with the record's changes.
    EXPECT_TRUE(tray->Reinstall());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls[0].flags, TRAY_FLAGS);
    EXPECT_EQ(shell.calls[0].icon, frame2);
    EXPECT_EQ(shell.calls[0].tip, "changed while hidden");
    EXPECT_FALSE(tray->IsIconHidden());
    EXPECT_FALSE(tray->IsIconRemoved());
}

TEST_F(SystemTrayTest, FailedReinstallLeavesItPending)
{
    MakeTray();
    shell.Clear();
    shell.Answer({TRUE, FALSE});  // delete accepted, add refused
    EXPECT_FALSE(tray->Reinstall());
    ASSERT_EQ(shell.calls.size(), 2u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shell.calls[1].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_TRUE(tray->IsIconRemoved());
    EXPECT_TRUE(tray->IsReinstallPending());
}

TEST_F(SystemTrayTest, UninstallDeletesOnce)
{
    MakeTray();
    shell.Clear();
    EXPECT_TRUE(tray->Uninstall());
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_DELETE));
    EXPECT_EQ(shell.calls[0].flags, 0u);
    EXPECT_TRUE(tray->IsIconRemoved());
    EXPECT_TRUE(tray->IsIconHidden());
    EXPECT_TRUE(tray->Uninstall());
    EXPECT_EQ(shell.calls.size(), 1u);
    // While removed, icon changes stay in the record.
    EXPECT_TRUE(tray->ChangeIcon(frame1));
    EXPECT_EQ(shell.calls.size(), 1u);
}

TEST_F(SystemTrayTest, RefusedDeleteKeepsTheIcon)
{
    MakeTray();
    shell.Answer({FALSE});
    EXPECT_FALSE(tray->Uninstall());
    EXPECT_FALSE(tray->IsIconRemoved());
    EXPECT_FALSE(tray->IsIconHidden());
}

struct BalloonCase {
    const char* text;
    const char* title;
    DWORD iconKind;
    UINT seconds;
    std::string expectedText;
    std::string expectedTitle;
    UINT expectedTimeout;
};

TEST_F(SystemTrayTest, BalloonRecords)
{
    const BalloonCase cases[] = {
        {"Key pair generated!", "Quorin Omnilink Middleware", NIIF_INFO, 10, "Key pair generated!",
         "Quorin Omnilink Middleware", 10000},
        {"long wait", "title", NIIF_WARNING, 45, "long wait", "title", 30000},
        {"exactly thirty", "t", NIIF_INFO, 30, "exactly thirty", "t", 30000},
        {"no title", nullptr, NIIF_INFO, 5, "no title", "", 5000},
        {"", "empty text", NIIF_WARNING, 30, "", "empty text", 30000},
        {"", "", NIIF_INFO, 0, "", "", 0},
    };
    MakeTray();
    ASSERT_TRUE(tray->AreBalloonsSupported());
    for (const BalloonCase& c : cases) {
        SCOPED_TRACE(c.expectedText + "/" + c.expectedTitle);
        shell.Clear();
        EXPECT_TRUE(tray->PopupBalloon(c.text, c.title, c.iconKind, c.seconds));
        ASSERT_EQ(shell.calls.size(), 1u);
        const ShellCall& call = shell.calls[0];
        EXPECT_EQ(call.message, static_cast<DWORD>(NIM_MODIFY));
        EXPECT_EQ(call.flags, static_cast<UINT>(NIF_INFO));
        EXPECT_EQ(call.info, c.expectedText);
        EXPECT_EQ(call.infoTitle, c.expectedTitle);
        EXPECT_EQ(call.infoFlags, c.iconKind);
        EXPECT_EQ(call.timeout, c.expectedTimeout);
        EXPECT_EQ(tray->Record().szInfo[0], '\0');
    }
}

TEST_F(SystemTrayTest, BalloonFieldsAreCutToTheirSize)
{
    MakeTray();
    shell.Clear();
    std::string text(300, 't'), title(100, 'h');
    tray->PopupBalloon(text.c_str(), title.c_str(), NIIF_INFO, 10);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].info, std::string(255, 't'));
    EXPECT_EQ(shell.calls[0].infoTitle, std::string(63, 'h'));
}

TEST_F(SystemTrayTest, TheBalloonIsNotRepeatedByLaterChanges)
{
    MakeTray();
    tray->PopupBalloon("once", "title", NIIF_INFO, 10);
    shell.Clear();
    tray->ChangeTooltip("next");
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].info, "");
    EXPECT_EQ(shell.calls[0].flags & NIF_INFO, 0u);
}

TEST_F(SystemTrayTest, BalloonsReachTheShellWhileTheIconIsHidden)
{
    MakeTray();
    tray->Uninstall();
    shell.Clear();
    shell.Answer({FALSE});
    EXPECT_FALSE(tray->PopupBalloon("hidden", "t", NIIF_INFO, 10));
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].info, "hidden");
}

TEST_F(SystemTrayTest, StartFramesNeedsFrames)
{
    MakeTray();
    EXPECT_FALSE(tray->StartFrames());
    EXPECT_EQ(tray->FrameTimer(), 0u);
    EXPECT_FALSE(tray->NextFrame());
}

TEST_F(SystemTrayTest, NextFrameShowsFrameTwoFirst)
{
    MakeTray();
    ASSERT_TRUE(tray->LoadFrames(frame1, frame2));
    ASSERT_TRUE(tray->LoadFrames(frame1, frame2));  // replaces, does not add
    EXPECT_EQ(tray->FrameCount(), 2u);
    shell.Clear();
    for (int i = 0; i < 4; ++i)
        tray->NextFrame();
    std::vector<HICON> expected = {frame2, frame1, frame2, frame1};
    EXPECT_EQ(IconChanges(), expected);
}

TEST_F(SystemTrayTest, AnimationTimerAlternatesFramesThenRestoresTheIcon)
{
    MakeTray();
    ASSERT_TRUE(tray->LoadFrames(frame1, frame2));
    shell.Clear();
    ASSERT_TRUE(tray->StartFrames());
    EXPECT_NE(tray->FrameTimer(), 0u);
    EXPECT_EQ(tray->FrameTimer(), static_cast<UINT_PTR>(CSystemTray::ANIMATION_TIMER_ID));
    EXPECT_EQ(tray->FrameIndex(), 0);
    EXPECT_TRUE(shell.calls.empty());  // the icon does not change at the start

    PumpMessages(500);  // about six ticks of 80 ms
    std::vector<HICON> icons = IconChanges();
    ASSERT_GE(icons.size(), 3u);
    for (size_t i = 0; i < icons.size(); ++i)
        EXPECT_EQ(icons[i], i % 2 == 0 ? frame2 : frame1) << "tick " << i;

    shell.Clear();
    EXPECT_TRUE(tray->StopFrames());
    EXPECT_EQ(tray->FrameTimer(), 0u);
    ASSERT_EQ(IconChanges(), std::vector<HICON>{idle});
    PumpMessages(200);
    EXPECT_EQ(IconChanges().size(), 1u);  // no tick after the stop

    // Stopping again finds no timer but still puts the saved icon back.
    shell.Clear();
    EXPECT_FALSE(tray->StopFrames());
    EXPECT_EQ(IconChanges(), std::vector<HICON>{idle});
}

TEST_F(SystemTrayTest, RestartStopsPutsTheSavedIconBackAndStartsFromFrameZero)
{
    MakeTray();
    tray->LoadFrames(frame1, frame2);
    ASSERT_TRUE(tray->StartFrames());
    SendMessageA(tray->GetSafeHwnd(), WM_TIMER, CSystemTray::ANIMATION_TIMER_ID, 0);
    EXPECT_EQ(tray->FrameIndex(), 1);
    EXPECT_EQ(tray->Record().hIcon, frame2);
    shell.Clear();
    ASSERT_TRUE(tray->StartFrames());
    EXPECT_EQ(tray->FrameIndex(), 0);
    EXPECT_EQ(IconChanges(), std::vector<HICON>{idle});  // the stop inside the restart
    SendMessageA(tray->GetSafeHwnd(), WM_TIMER, CSystemTray::ANIMATION_TIMER_ID, 0);
    EXPECT_EQ(tray->Record().hIcon, frame2);
    shell.Clear();
    tray->StopFrames();
    EXPECT_EQ(IconChanges(), std::vector<HICON>{idle});
}

TEST_F(SystemTrayTest, StartSavesTheCurrentIcon)
{
    MakeTray();
    tray->ChangeIcon(frame1);
    tray->LoadFrames(frame1, frame2);
    ASSERT_TRUE(tray->StartFrames());
    SendMessageA(tray->GetSafeHwnd(), WM_TIMER, CSystemTray::ANIMATION_TIMER_ID, 0);
    shell.Clear();
    tray->StopFrames();
    EXPECT_EQ(IconChanges(), std::vector<HICON>{frame1});
}

TEST_F(SystemTrayTest, ForeignTimersAreIgnored)
{
    MakeTray();
    tray->LoadFrames(frame1, frame2);
    tray->StartFrames();
    shell.Clear();
    SendMessageA(tray->GetSafeHwnd(), WM_TIMER, 99, 0);
    EXPECT_TRUE(shell.calls.empty());
    SendMessageA(tray->GetSafeHwnd(), WM_TIMER, CSystemTray::ANIMATION_TIMER_ID, 0);
    EXPECT_EQ(IconChanges(), std::vector<HICON>{frame2});
    tray->StopFrames();
}

TEST_F(SystemTrayTest, TaskbarRecreationAddsTheShownIconAgain)
{
    ASSERT_NE(WM_TRAY_TASKBAR_CREATED, 0u);
    MakeTray();
    tray->ChangeTooltip("current");
    shell.Clear();
    EXPECT_EQ(SendMessageA(tray->GetSafeHwnd(), WM_TRAY_TASKBAR_CREATED, 0, 0), 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls[0].flags, TRAY_FLAGS);
    EXPECT_EQ(shell.calls[0].tip, "current");
    EXPECT_FALSE(tray->IsIconHidden());
    EXPECT_FALSE(tray->IsReinstallPending());

    shell.Clear();
    shell.Answer({FALSE});
    SendMessageA(tray->GetSafeHwnd(), WM_TRAY_TASKBAR_CREATED, 0, 0);
    EXPECT_EQ(shell.calls.size(), 1u);
    EXPECT_TRUE(tray->IsIconHidden());
    EXPECT_TRUE(tray->IsReinstallPending());

    // Hidden now: the next re-creation only marks it pending.
    shell.Clear();
    SendMessageA(tray->GetSafeHwnd(), WM_TRAY_TASKBAR_CREATED, 0, 0);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_TRUE(tray->IsReinstallPending());
}

TEST_F(SystemTrayTest, WorkAreaChangeMakesARefusedAddAndHidesTheIcon)
{
    MakeTray();
    shell.Clear();
    SendMessageA(tray->GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETDESKWALLPAPER, 0);
    EXPECT_TRUE(shell.calls.empty());

    shell.RefuseAdds(true);  // the icon is still there
    SendMessageA(tray->GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    ASSERT_EQ(shell.calls.size(), 1u);
    EXPECT_EQ(shell.calls[0].message, static_cast<DWORD>(NIM_ADD));
    EXPECT_EQ(shell.calls[0].flags, TRAY_FLAGS);
    EXPECT_TRUE(tray->IsIconHidden());
    EXPECT_TRUE(tray->IsReinstallPending());

    shell.Clear();
    EXPECT_TRUE(tray->ChangeIcon(frame1));
    EXPECT_TRUE(tray->ChangeTooltip("not shown"));
    EXPECT_TRUE(shell.calls.empty());
    tray->PopupBalloon("still shown", "t", NIIF_INFO, 10);
    EXPECT_EQ(shell.Balloons().size(), 1u);

    // A work-area change while hidden adds nothing.
    shell.Clear();
    SendMessageA(tray->GetSafeHwnd(), WM_SETTINGCHANGE, SPI_SETWORKAREA, 0);
    EXPECT_TRUE(shell.calls.empty());
    EXPECT_FALSE(tray->IsReinstallPending());
}

}  // namespace

// The pieces of start-up: messages, filters, the window class, the icons, the mutex.
#include "heraldix/ActivityMessages.h"
#include "heraldix/Notifications.h"
#include "heraldix/Startup.h"
#include "heraldix/resource.h"
#include "tests/heraldix/NotificationFixture.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ActivityMessages, AreRegisteredByName)
{
    struct Named {
        UINT number;
        const char* name;
    };
    const Named messages[] = {
        {WM_QUORIN_MW_ACTIVITY_IMPORT_START, "WM_QUORIN_MW_ACTIVITY_IMPORT_START"},
        {WM_QUORIN_MW_ACTIVITY_IMPORT_END, "WM_QUORIN_MW_ACTIVITY_IMPORT_END"},
        {WM_QUORIN_MW_ACTIVITY_GENERATE_START, "WM_QUORIN_MW_ACTIVITY_GENERATE_START"},
        {WM_QUORIN_MW_ACTIVITY_GENERATE_END, "WM_QUORIN_MW_ACTIVITY_GENERATE_END"},
        {WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING, "WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING"},
        {WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START, "WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START"},
        {WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END, "WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END"},
        {WM_QUORIN_MW_ACTIVITY_NEW_DEVICE, "WM_QUORIN_MW_ACTIVITY_NEW_DEVICE"},
        {WM_TASKBAR_CREATED, "TaskBarCreated"},
        {WM_TRAY_TASKBAR_CREATED, "TaskbarCreated"},
    };
    for (const Named& m : messages) {
        SCOPED_TRACE(m.name);
        EXPECT_GE(m.number, 0xC000u);
        EXPECT_EQ(m.number, RegisterWindowMessageA(m.name));
    }
    EXPECT_EQ(WM_TASKBAR_CREATED, WM_TRAY_TASKBAR_CREATED);
}

struct FilterCall {
    HWND window;
    UINT message;
    DWORD action;
    void* result;
};
std::vector<FilterCall> filterCalls;

BOOL WINAPI RecordFilter(HWND window, UINT message, DWORD action, void* result)
{
    filterCalls.push_back({window, message, action, result});
    return TRUE;
}

TEST(MessageFilter, OpensExactlyTheSevenActivityMessagesInOrder)
{
    filterCalls.clear();
    HWND window = reinterpret_cast<HWND>(0x1234);
    OpenActivityMessageFilters(window, RecordFilter);
    const UINT expected[] = {
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_IMPORT_START"),
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_IMPORT_END"),
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_GENERATE_START"),
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_GENERATE_END"),
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING"),
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START"),
        RegisterWindowMessageA("WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_END"),
    };
    ASSERT_EQ(filterCalls.size(), 7u);
    for (size_t i = 0; i < 7; ++i) {
        EXPECT_EQ(filterCalls[i].window, window);
        EXPECT_EQ(filterCalls[i].message, expected[i]);
        EXPECT_EQ(filterCalls[i].action, 1u);  // MSGFLT_ALLOW
        EXPECT_EQ(filterCalls[i].result, nullptr);
        EXPECT_NE(filterCalls[i].message, WM_QUORIN_MW_ACTIVITY_NEW_DEVICE);
    }
}

TEST(MessageFilter, MissingFunctionMakesNoCall)
{
    filterCalls.clear();
    OpenActivityMessageFilters(nullptr, nullptr);
    EXPECT_TRUE(filterCalls.empty());
}

TEST(NotificationWindow, ClassAndWindowAsSpecified)
{
    ATOM atom = NotificationClass();
    ASSERT_NE(atom, 0);
    EXPECT_EQ(RegisterNotificationClass(), 0);  // registered once only
    WNDCLASSEXA info = {};
    info.cbSize = sizeof(info);
    ASSERT_EQ(GetClassInfoExA(GetModuleHandleA(nullptr), NOTIFICATION_CLASS_NAME, &info), atom);
    EXPECT_EQ(info.style, 3u);
    EXPECT_EQ(info.lpfnWndProc, NotificationWndProc);
    EXPECT_EQ(info.cbClsExtra, 0);
    EXPECT_EQ(info.cbWndExtra, 0);
    EXPECT_EQ(info.hIcon, nullptr);
    EXPECT_EQ(info.hCursor, LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
    EXPECT_EQ(reinterpret_cast<INT_PTR>(info.hbrBackground), 6);
    EXPECT_EQ(info.lpszMenuName, nullptr);

    HWND window = CreateNotificationWindow(atom);
    ASSERT_NE(window, nullptr);
    char name[64] = {};
    GetWindowTextA(window, name, sizeof(name));
    EXPECT_STREQ(name, "quorin_omnilink_mw_notification_window");
    EXPECT_EQ(GetWindowLongA(window, GWL_STYLE) & WS_OVERLAPPEDWINDOW, static_cast<LONG>(WS_OVERLAPPEDWINDOW));
    EXPECT_EQ(GetWindowLongA(window, GWL_EXSTYLE) & ~WS_EX_WINDOWEDGE, 0);
    EXPECT_FALSE(IsWindowVisible(window));
    EXPECT_EQ(GetParent(window), nullptr);
    EXPECT_TRUE(DestroyWindow(window));
}

TEST(TrayIcons, LoadTheThreeIconsFromTheResources)
{
    g_idleIcon = g_frame1Icon = g_frame2Icon = nullptr;
    LoadTrayIcons(GetModuleHandleA(nullptr), GetModuleHandleA(nullptr));
    ASSERT_NE(g_idleIcon, nullptr);
    ASSERT_NE(g_frame1Icon, nullptr);
    ASSERT_NE(g_frame2Icon, nullptr);
    EXPECT_NE(g_idleIcon, g_frame1Icon);
    EXPECT_NE(g_frame1Icon, g_frame2Icon);
    ICONINFO info = {};
    ASSERT_TRUE(GetIconInfo(g_idleIcon, &info));
    BITMAP colour = {};
    GetObjectA(info.hbmColor, sizeof(colour), &colour);
    EXPECT_EQ(colour.bmBitsPixel, 32);
    // LoadIconMetric exists here: the small metric size.
    EXPECT_EQ(colour.bmWidth, GetSystemMetrics(SM_CXSMICON));
    DeleteObject(info.hbmColor);
    DeleteObject(info.hbmMask);
}

TEST(TrayIcons, EveryGroupHoldsFourSizesIn32BitColour)
{
    for (int group : {IDI_FILE, IDI_FRAME1, IDI_FRAME2, IDI_IDLE}) {
        SCOPED_TRACE(group);
        HRSRC found = FindResourceA(nullptr, MAKEINTRESOURCEA(group), reinterpret_cast<LPCSTR>(RT_GROUP_ICON));
        ASSERT_NE(found, nullptr);
        const BYTE* directory = static_cast<const BYTE*>(LockResource(LoadResource(nullptr, found)));
        ASSERT_NE(directory, nullptr);
        WORD count = *reinterpret_cast<const WORD*>(directory + 4);
        ASSERT_EQ(count, 4);
        std::vector<int> sizes;
        for (int i = 0; i < count; ++i) {
            const BYTE* entry = directory + 6 + 14 * i;  // GRPICONDIRENTRY
            sizes.push_back(entry[0]);
            EXPECT_EQ(*reinterpret_cast<const WORD*>(entry + 6), 32);  // bits per pixel
        }
        EXPECT_EQ(sizes, (std::vector<int>{64, 32, 24, 16}));
    }
}

TEST(InstanceMutex, TheSecondCreationSeesTheFirst)
{
    bool firstRunning = true;
    HANDLE first = CreateInstanceMutex(firstRunning);
    ASSERT_NE(first, nullptr);
    EXPECT_FALSE(firstRunning);
    bool secondRunning = false;
    HANDLE second = CreateInstanceMutex(secondRunning);
    EXPECT_TRUE(secondRunning);
    CloseHandle(second);
    CloseHandle(first);
}

TEST(InstanceMutex, LowIntegrityLabelIsAccepted)
{
    bool running = false;
    HANDLE mutex = CreateInstanceMutex(running);
    ASSERT_NE(mutex, nullptr);
    EXPECT_TRUE(ApplyLowIntegrityLabel(mutex));
    CloseHandle(mutex);
}

}  // namespace

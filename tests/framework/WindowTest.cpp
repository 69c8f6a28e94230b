// CWnd: messages of windows it creates reach WindowProc, commands reach
// OnCommand, everything else the default processing; Attach only wraps.
#include "platform/framework/WinApp.h"
#include "platform/framework/Wnd.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

const UINT kProbe = WM_APP + 7;

class Recorder : public CWnd {
public:
    std::vector<UINT> probes;
    std::vector<WORD> commands;
    bool destroyed = false;

    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == kProbe) {
            probes.push_back(static_cast<UINT>(wParam));
            return 1000 + static_cast<LRESULT>(wParam);
        }
        return CWnd::WindowProc(message, wParam, lParam);
    }
    BOOL OnCommand(WPARAM wParam, LPARAM) override
    {
        commands.push_back(LOWORD(wParam));
        return LOWORD(wParam) == 42;
    }
    void PostNcDestroy() override { destroyed = true; }
};

TEST(FrameworkWindow, CreatedWindowRoutesMessagesToItsObject)
{
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, static_cast<const wchar_t*>(nullptr), L"probe", WS_POPUP, 0, 0, 10, 10,
                                nullptr, nullptr));
    ASSERT_NE(nullptr, window.m_hWnd);
    EXPECT_EQ(&window, CWnd::FromHandlePermanent(window.m_hWnd));
    EXPECT_EQ(1003, SendMessageW(window.m_hWnd, kProbe, 3, 0));
    EXPECT_EQ(0, SendMessageW(window.m_hWnd, WM_COMMAND, MAKEWPARAM(42, 0), 0));
    SendMessageW(window.m_hWnd, WM_COMMAND, MAKEWPARAM(43, 0), 0);
    EXPECT_EQ((std::vector<UINT>{3}), window.probes);
    EXPECT_EQ((std::vector<WORD>{42, 43}), window.commands);
    // Unhandled messages get the default processing: the caption is stored.
    window.SetWindowTextW(L"changed");
    EXPECT_EQ(L"changed", window.GetWindowTextW());
    EXPECT_TRUE(window.DestroyWindow());
    EXPECT_TRUE(window.destroyed);
    EXPECT_EQ(nullptr, window.m_hWnd);
}

TEST(FrameworkWindow, NamedClassIsRegisteredForTheFrameworkOnce)
{
    Recorder first, second;
    ASSERT_TRUE(first.CreateEx(0, L"QuorinFrameworkTestClass", L"one", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    ASSERT_TRUE(second.CreateEx(0, L"QuorinFrameworkTestClass", L"two", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    EXPECT_EQ(1005, SendMessageW(first.m_hWnd, kProbe, 5, 0));
    EXPECT_EQ(1006, SendMessageW(second.m_hWnd, kProbe, 6, 0));
    EXPECT_EQ((std::vector<UINT>{5}), first.probes);
    EXPECT_EQ((std::vector<UINT>{6}), second.probes);
}

TEST(FrameworkWindow, AnsiWindowOfTheDefaultClassWorks)
{
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, AfxRegisterWndClassA(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
    EXPECT_FALSE(IsWindowUnicode(window.m_hWnd));
    EXPECT_EQ(1001, SendMessageA(window.m_hWnd, kProbe, 1, 0));
    window.SetWindowTextA("caf\xe9");
    EXPECT_EQ("caf\xe9", window.GetWindowTextA());
}

TEST(FrameworkWindow, SystemClassIsSubclassedAfterCreation)
{
    Recorder window;
    ASSERT_TRUE(window.CreateEx(0, L"STATIC", L"text", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    EXPECT_EQ(1009, SendMessageW(window.m_hWnd, kProbe, 9, 0));
    EXPECT_EQ(L"text", window.GetWindowTextW());
}

TEST(FrameworkWindow, AttachWrapsWithoutTakingTheWindowOver)
{
    HWND raw = CreateWindowExW(0, L"STATIC", L"raw", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(nullptr, raw);
    {
        Recorder wrapper;
        ASSERT_TRUE(wrapper.Attach(raw));
        EXPECT_EQ(nullptr, CWnd::FromHandlePermanent(raw));
        EXPECT_EQ(0, SendMessageW(raw, kProbe, 1, 0));
        EXPECT_TRUE(wrapper.probes.empty());
        EXPECT_EQ(L"raw", wrapper.GetWindowTextW());
    }
    // The wrapper's end leaves the window alone.
    EXPECT_TRUE(IsWindow(raw));
    DestroyWindow(raw);
}

TEST(FrameworkWindow, DestructorDestroysWhatItCreated)
{
    HWND handle;
    {
        Recorder window;
        ASSERT_TRUE(window.CreateEx(0, static_cast<const wchar_t*>(nullptr), L"", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
        handle = window.m_hWnd;
    }
    EXPECT_FALSE(IsWindow(handle));
}

}  // namespace

namespace {

class CharRecorder : public CWnd {
public:
    std::vector<WPARAM> chars;
    LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_CHAR)
            chars.push_back(wParam);
        return CWnd::WindowProc(message, wParam, lParam);
    }
};

}  // namespace

TEST(FrameworkApplication, RunDispatchesUntilQuitAndReturnsItsCode)
{
    CWinApp app(L"loop");
    CharRecorder ansi, wide;
    ASSERT_TRUE(ansi.CreateEx(0, AfxRegisterWndClassA(0), "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
    ASSERT_TRUE(wide.CreateEx(0, static_cast<const wchar_t*>(nullptr), L"", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr));
    // U+00E9 posted as a wide character: the ANSI window sees code page 1252's 0xE9.
    ASSERT_EQ(1252u, GetACP());
    PostMessageW(ansi.m_hWnd, WM_CHAR, 0x00E9, 0);
    PostMessageW(wide.m_hWnd, WM_CHAR, 0x20AC, 0);
    PostQuitMessage(5);
    EXPECT_EQ(5, app.Run());
    EXPECT_EQ((std::vector<WPARAM>{0xE9}), ansi.chars);
    EXPECT_EQ((std::vector<WPARAM>{0x20AC}), wide.chars);
}

// tokarium.exe started as a user would start it, on a system without the
// middleware: its window, its message and its log, read from outside.
#include "tests/uidriver/UiDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>

using namespace uidriver;

namespace {

const wchar_t kCaption[] = L"Quorin Tokarium";

class TokariumWithoutMiddleware : public ::testing::Test {
protected:
    void SetUp() override
    {
        wchar_t temp[MAX_PATH];
        GetTempPathW(MAX_PATH, temp);
        m_appdata = std::wstring(temp) + L"tokarium-test-" + std::to_wstring(GetCurrentProcessId()) + L"-"
            + std::to_wstring(GetTickCount());
        ASSERT_TRUE(CreateDirectoryW(m_appdata.c_str(), nullptr));
        m_program.SetEnvironment(L"APPDATA", m_appdata);
        ASSERT_TRUE(m_program.Start(WindowsPath(TOKARIUM_EXE))) << "error " << GetLastError();
        m_main = WaitForWindow(m_program.Id(), kCaption, L"#32770");
        ASSERT_NE(nullptr, m_main) << "no main window";
    }

    void TearDown() override
    {
        m_program.Terminate();
        DeleteFileW(LogPath().c_str());
        RemoveDirectoryW(m_appdata.c_str());
    }

    std::wstring LogPath() const { return m_appdata + L"\\tokarium.log"; }

    std::string ReadLog() const
    {
        std::ifstream file(LogPath().c_str(), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }

    void DismissModuleBox()
    {
        MessageBoxView box;
        ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box, L"Error"));
        ASSERT_TRUE(AnswerMessageBox(box, L"OK"));
        ASSERT_TRUE(WaitForWindowGone(box.window));
    }

    std::wstring m_appdata;
    Program m_program;
    HWND m_main = nullptr;
};

TEST_F(TokariumWithoutMiddleware, ReportsTheMissingModuleLogsItAndStaysOpen)
{
    MessageBoxView box;
    ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box, L"Error"));
    EXPECT_EQ(L"Error", box.caption);
    EXPECT_EQ(L"Quorin Middlware not found", box.text);
    EXPECT_EQ((std::vector<std::wstring>{L"OK"}), box.buttons);
    EXPECT_TRUE(box.hasIcon);
    EXPECT_EQ(m_main, GetWindow(box.window, GW_OWNER));
    EXPECT_TRUE(IsVisible(m_main));

    // One record: level 1, code 0, the tag, the loader's error 126 in hexadecimal.
    std::string log = ReadLog();
    std::regex record(R"(\[(Sun|Mon|Tue|Wed|Thu|Fri|Sat) (Jan|Feb|Mar|Apr|May|Jun|Jul|Aug|Sep|Oct|Nov|Dec) )"
                      R"([ 123][0-9] [0-2][0-9]:[0-5][0-9]:[0-6][0-9] [0-9]{4}\], 1, 0, )"
                      R"(Quorin Middlware not found, Error: 7e\r\n)");
    EXPECT_TRUE(std::regex_match(log, record)) << log;

    ASSERT_TRUE(AnswerMessageBox(box, L"OK"));
    ASSERT_TRUE(WaitForWindowGone(box.window));
    EXPECT_TRUE(WaitUntil([&] { return IsEnabled(m_main); }));
    EXPECT_TRUE(m_program.IsRunning());
    EXPECT_TRUE(IsVisible(m_main));

    Close(m_main);
    DWORD code = 1234;
    ASSERT_TRUE(m_program.WaitForExit(10000, &code));
    EXPECT_EQ(0u, code);
}

TEST_F(TokariumWithoutMiddleware, OpensWithEveryCommandDisabled)
{
    DismissModuleBox();
    struct Button {
        int id;
        const wchar_t* caption;
        bool visible;
    } buttons[] = {
        {8, L"&Login", true},
        {7, L"Refresh", true},
        {5, L"&Import", true},
        {6, L"&Export", true},
        {4, L"Reset &Device", true},
        {3, L"Change &PIN", true},
        {11, L"Change &Token Name", true},
        {59411, L"&View Details", true},
        {9, L"Register &Certificates", true},
        {1006, L"&Unlock PIN", false},
        {1007, L"Change P&UK", false},
    };
    for (const Button& b : buttons) {
        HWND button = Control(m_main, b.id);
        ASSERT_NE(nullptr, button) << b.id;
        EXPECT_EQ(L"Button", ClassName(button)) << b.id;
        EXPECT_EQ(b.caption, Text(button)) << b.id;
        EXPECT_FALSE(IsEnabled(button)) << b.id;
        EXPECT_EQ(b.visible, IsVisible(button)) << b.id;
    }

    HWND tree = Control(m_main, 1002);
    ASSERT_NE(nullptr, tree);
    std::vector<TreeItem> items = TreeItems(tree);
    ASSERT_EQ(1u, items.size());
    EXPECT_EQ(L"Tokens", items[0].text);
    EXPECT_EQ(0, items[0].image);
    EXPECT_EQ(0, items[0].selectedImage);
    EXPECT_EQ(0, items[0].data);
    EXPECT_TRUE(items[0].children.empty());

    HWND details = Control(m_main, 1001);
    ASSERT_NE(nullptr, details);
    EXPECT_EQ(L"ListBox", ClassName(details));
    EXPECT_TRUE(ListBoxLines(details).empty());
    HWND picture = Control(m_main, 1005);
    ASSERT_NE(nullptr, picture);
    EXPECT_TRUE(IsVisible(picture));
    EXPECT_NE(0, SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0));
}

TEST_F(TokariumWithoutMiddleware, LaysOutItsControlsAtTheMinimumSize)
{
    DismissModuleBox();
    const int buttonIds[] = {8, 3, 1007, 11, 6, 5, 7, 9, 4, 1006, 59411};
    RECT loginBefore = RectInParent(Control(m_main, 8));
    RECT pictureBefore = RectInParent(Control(m_main, 1005));
    std::vector<RECT> before;
    for (int id : buttonIds)
        before.push_back(RectInParent(Control(m_main, id)));

    // Smaller than allowed: the window stops at 620 x 540.
    ASSERT_TRUE(Resize(m_main, 300, 200));
    ASSERT_TRUE(WaitUntil([&] {
        RECT w = WindowRect(m_main);
        return Width(w) == 620 && Height(w) == 540;
    })) << Width(WindowRect(m_main)) << " x " << Height(WindowRect(m_main));

    RECT client = ClientRect(m_main);
    const int cx = Width(client), cy = Height(client);
    ASSERT_GT(cx, 185);
    ASSERT_GT(cy, 100);

    RECT tree = RectInParent(Control(m_main, 1002));
    EXPECT_EQ(15, tree.left);
    EXPECT_EQ(15, tree.top);
    EXPECT_EQ(cx - 185, Width(tree));
    EXPECT_EQ(static_cast<int>(0.7 * cy - 15), Height(tree));

    RECT details = RectInParent(Control(m_main, 1001));
    EXPECT_EQ(15, details.left);
    EXPECT_EQ(static_cast<int>(0.7 * cy + 15), details.top);
    EXPECT_EQ(cx - 185, Width(details));
    EXPECT_EQ(static_cast<int>(0.3 * cy - 30), Height(details));

    RECT picture = RectInParent(Control(m_main, 1005));
    EXPECT_EQ(Width(pictureBefore), Width(picture));
    EXPECT_EQ(Height(pictureBefore), Height(picture));
    EXPECT_EQ(cx - Width(picture) - 15, picture.left);
    EXPECT_EQ(cy - Height(picture) - 15, picture.top);

    const int x = cx - Width(loginBefore) - 15;
    for (size_t i = 0; i < before.size(); ++i) {
        RECT button = RectInParent(Control(m_main, buttonIds[i]));
        SCOPED_TRACE(testing::Message() << "button " << buttonIds[i]);
        EXPECT_EQ(x, button.left);
        EXPECT_EQ(before[i].top, button.top);
        EXPECT_EQ(Width(loginBefore), Width(button));
        EXPECT_EQ(Height(loginBefore), Height(button));
    }
}

TEST_F(TokariumWithoutMiddleware, OpensTheAboutBoxFromTheSystemMenuAndTheOptionsMenu)
{
    DismissModuleBox();
    struct Route {
        const char* name;
        UINT message;
        WPARAM wParam;
    } routes[] = {
        {"system menu entry 16", WM_SYSCOMMAND, 16},
        {"Options, About (32772)", WM_COMMAND, MAKEWPARAM(32772, 0)},
    };
    for (const Route& route : routes) {
        SCOPED_TRACE(route.name);
        PostMessageW(m_main, route.message, route.wParam, 0);
        HWND about = WaitForWindow(m_program.Id(), L"About QuorinTokarium", L"#32770");
        ASSERT_NE(nullptr, about);
        EXPECT_EQ((std::vector<std::wstring>{L"QuorinTokarium, Version 1.0"}), StaticTexts(about));
        EXPECT_EQ(m_main, GetWindow(about, GW_OWNER));
        EXPECT_FALSE(IsEnabled(m_main));
        ClickControl(about, IDOK);
        ASSERT_TRUE(WaitForWindowGone(about));
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(m_main); }));
    }
}

}  // namespace

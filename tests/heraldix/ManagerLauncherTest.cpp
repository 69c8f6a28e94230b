// The launch settings in the registry, starting tokarium, and the context menu.
#include "heraldix/ManagerLauncher.h"
#include "tests/heraldix/NotificationFixture.h"

#include <fstream>
#include <sstream>

namespace {

const char MANAGER_KEY[] = "SOFTWARE\\quorin\\tokarium";

// Writes the launch settings for one test and removes them afterwards.
class ManagerKey {
public:
    ManagerKey()
    {
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
        EXPECT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, MANAGER_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_,
                                  nullptr),
                  ERROR_SUCCESS);
    }
    ~ManagerKey()
    {
        RegCloseKey(key_);
        RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    }
    void Set(const char* name, DWORD type, const void* data, DWORD size)
    {
        EXPECT_EQ(RegSetValueExA(key_, name, 0, type, static_cast<const BYTE*>(data), size), ERROR_SUCCESS);
    }
    void SetText(const char* name, const std::string& text, DWORD type = REG_SZ)
    {
        Set(name, type, text.c_str(), static_cast<DWORD>(text.size() + 1));
    }

private:
    HKEY key_ = nullptr;
};

std::string ThisFolder()
{
    char path[MAX_PATH];
    GetModuleFileNameA(nullptr, path, MAX_PATH);
    *strrchr(path, '\\') = '\0';
    return path;
}

// A copy of the stand-in program in a fresh folder whose name has a space.
class StandIn {
public:
    StandIn()
    {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        folder = std::string(temp) + "heraldix launch " + std::to_string(GetCurrentProcessId());
        CreateDirectoryA(folder.c_str(), nullptr);
        program = folder + "\\tokarium.exe";
        record = folder + "\\launched.txt";
        DeleteFileA(record.c_str());
        EXPECT_TRUE(CopyFileA((ThisFolder() + "\\launch-recorder.exe").c_str(), program.c_str(), FALSE));
    }
    ~StandIn()
    {
        DeleteFileA(record.c_str());
        DeleteFileA(program.c_str());
        RemoveDirectoryA(folder.c_str());
    }
    // The recorded command line and directory; empty when it did not run within the wait.
    std::string WaitForRecord(DWORD milliseconds)
    {
        for (DWORD waited = 0; waited <= milliseconds; waited += 100) {
            std::ifstream file(record, std::ios::binary);
            std::stringstream text;
            text << file.rdbuf();
            std::string content = text.str();
            if (std::count(content.begin(), content.end(), '\n') >= 2)
                return content;
            Sleep(100);
        }
        return std::string();
    }
    std::string Expected() const { return "\"" + program + "\"\n" + folder + "\n"; }

    std::string folder, program, record;
};

TEST(ReadManagerSettings, ReadsPathAndName)
{
    ManagerKey key;
    key.SetText("path", "C:\\Program Files\\quorin\\tokarium.exe");
    key.SetText("name", "Quorin token manager");
    ManagerSettings settings = ReadManagerSettings();
    EXPECT_EQ(settings.path, "C:\\Program Files\\quorin\\tokarium.exe");
    EXPECT_EQ(settings.name, "Quorin token manager");
}

TEST(ReadManagerSettings, MissingKeyOrValuesGiveEmptyTexts)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    ManagerSettings none = ReadManagerSettings();
    EXPECT_EQ(none.path, "");
    EXPECT_EQ(none.name, "");
    ManagerKey key;
    key.SetText("name", "only a name");
    ManagerSettings nameOnly = ReadManagerSettings();
    EXPECT_EQ(nameOnly.path, "");
    EXPECT_EQ(nameOnly.name, "only a name");
}

TEST(ReadManagerSettings, TakesOnlyTextThatFitsWithItsTerminator)
{
    struct ValueCase {
        const char* what;
        DWORD type;
        std::string data;  // stored as given, terminator included when wanted
        std::string expected;
    };
    const std::string fits(1023, 'p');
    const ValueCase cases[] = {
        {"REG_SZ", REG_SZ, std::string("C:\\a.exe", 9), "C:\\a.exe"},
        {"REG_EXPAND_SZ, not expanded", REG_EXPAND_SZ, std::string("%SystemRoot%\\a.exe", 19),
         "%SystemRoot%\\a.exe"},
        {"1023 characters", REG_SZ, fits + '\0', fits},
        {"1024 characters", REG_SZ, fits + "q" + '\0', ""},
        {"no terminator", REG_BINARY, "C:\\a.exe", ""},
        {"REG_DWORD", REG_DWORD, std::string("\x01\x00\x00\x00", 4), ""},
        {"REG_MULTI_SZ", REG_MULTI_SZ, std::string("a\0b\0\0", 5), ""},
        {"size 0", REG_SZ, "", ""},
    };
    for (const ValueCase& c : cases) {
        SCOPED_TRACE(c.what);
        ManagerKey key;
        key.Set("path", c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(ReadManagerSettings().path, c.expected);
    }
}

TEST(LaunchManager, StartsTheProgramInItsFolderWithItsQuotedPath)
{
    StandIn standIn;
    LaunchManager(standIn.program);
    EXPECT_EQ(standIn.WaitForRecord(10000), standIn.Expected());
}

TEST(LaunchManager, DoesNothingForAMissingOrEmptyPath)
{
    StandIn standIn;
    LaunchManager(standIn.folder + "\\missing.exe");
    LaunchManager("");
    EXPECT_EQ(standIn.WaitForRecord(1000), "");
}

TEST_F(NotificationTest, DoubleClickStartsTheProgramNamedInTheRegistry)
{
    StandIn standIn;
    ManagerKey key;
    key.SetText("path", standIn.program);
    key.SetText("name", "Start tokarium");
    EXPECT_EQ(Send(WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK), 0);
    EXPECT_EQ(standIn.WaitForRecord(10000), standIn.Expected());
}

TEST_F(NotificationTest, StartManagerCommandStartsTheProgram)
{
    StandIn standIn;
    ManagerKey key;
    key.SetText("path", standIn.program, REG_EXPAND_SZ);
    EXPECT_EQ(Send(WM_COMMAND, MAKEWPARAM(IDM_START_MANAGER, 0)), 0);
    EXPECT_EQ(standIn.WaitForRecord(10000), standIn.Expected());
}

TEST_F(NotificationTest, DoubleClickWithoutSettingsDoesNothing)
{
    StandIn standIn;
    {
        ManagerKey key;
        key.SetText("path", standIn.folder + "\\missing.exe");
        Send(WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    Send(WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
    EXPECT_EQ(standIn.WaitForRecord(1000), "");
}

// What the context menu showed: each item's command and text.
struct MenuItem {
    UINT command;
    std::string text;
    bool operator==(const MenuItem& other) const { return command == other.command && text == other.text; }
};
std::vector<MenuItem> shownItems;
bool menuSeen = false;

// Runs inside the menu's modal loop: reads the open menu, then closes it.
void CALLBACK ReadOpenMenu(HWND, UINT, UINT_PTR timer, DWORD)
{
    HWND popup = FindWindowA("#32768", nullptr);
    if (!popup)
        return;
    KillTimer(nullptr, timer);
    HMENU menu = reinterpret_cast<HMENU>(SendMessageA(popup, MN_GETHMENU, 0, 0));
    menuSeen = menu != nullptr;
    for (int i = 0; menu && i < GetMenuItemCount(menu); ++i) {
        char text[256] = {};
        GetMenuStringA(menu, i, text, sizeof(text), MF_BYPOSITION);
        shownItems.push_back({GetMenuItemID(menu, i), text});
    }
    EndMenu();
}

class ContextMenuTest : public NotificationTest {
protected:
    std::vector<MenuItem> OpenMenu(LPARAM mouseMessage)
    {
        shownItems.clear();
        menuSeen = false;
        UINT_PTR timer = SetTimer(nullptr, 0, 100, ReadOpenMenu);
        Send(WM_TRAY_CALLBACK, 0, mouseMessage);
        KillTimer(nullptr, timer);
        EXPECT_TRUE(menuSeen);
        return shownItems;
    }
};

TEST_F(ContextMenuTest, OnlyExitWithoutAnExistingPath)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    EXPECT_EQ(OpenMenu(WM_RBUTTONDOWN), (std::vector<MenuItem>{{IDM_EXIT, "Exit"}}));
    ManagerKey key;
    key.SetText("path", "C:\\nowhere\\tokarium.exe");
    key.SetText("name", "Start tokarium");
    EXPECT_EQ(OpenMenu(WM_CONTEXTMENU), (std::vector<MenuItem>{{IDM_EXIT, "Exit"}}));
}

TEST_F(ContextMenuTest, ExitAndTheNamedEntryWithAValidPath)
{
    StandIn standIn;
    ManagerKey key;
    key.SetText("path", standIn.program);
    key.SetText("name", "Start tokarium");
    EXPECT_EQ(OpenMenu(WM_RBUTTONDOWN),
              (std::vector<MenuItem>{{IDM_EXIT, "Exit"}, {IDM_START_MANAGER, "Start tokarium"}}));
}

TEST_F(ContextMenuTest, ExitIsInTheUsersLanguage)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    LanguageOverride slovenian(0x0424, 0x0409);
    EXPECT_EQ(OpenMenu(WM_RBUTTONDOWN), (std::vector<MenuItem>{{IDM_EXIT, "Izhod"}}));
    LanguageOverride italian(0x0410, 0x0409);
    EXPECT_EQ(OpenMenu(WM_CONTEXTMENU), (std::vector<MenuItem>{{IDM_EXIT, "Uscita"}}));
}

TEST(TrayMenuResource, HasTheEmptyItemAndThePopUp)
{
    HMENU menu = LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_TRAY_MENU));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(GetMenuItemCount(menu), 2);
    char text[64] = {};
    EXPECT_EQ(GetMenuStringA(menu, 0, text, sizeof(text), MF_BYPOSITION), 0);
    EXPECT_EQ(GetMenuItemID(menu, 0), 0u);
    EXPECT_EQ(GetSubMenu(menu, 0), nullptr);
    GetMenuStringA(menu, 1, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "Menu1");
    HMENU popup = GetSubMenu(menu, 1);
    ASSERT_NE(popup, nullptr);
    ASSERT_EQ(GetMenuItemCount(popup), 1);
    EXPECT_EQ(GetMenuItemID(popup, 0), static_cast<UINT>(IDM_EXIT));
    GetMenuStringA(popup, 0, text, sizeof(text), MF_BYPOSITION);
    EXPECT_STREQ(text, "-Exit");
    DestroyMenu(menu);
}

}  // namespace

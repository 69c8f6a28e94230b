// The real heraldix.exe under Wine, driven from outside: one instance per
// session, activity broadcasts, the double click, Exit. (Wine takes the user's
// language from the Unix environment, which a Windows parent cannot set: the
// languages are checked by heraldix-languages.sh.)
// What the program shows is read from heraldix-probe.exe, the same program
// with its shell records also written to a file (see HeraldixProbe.cpp).
#include "heraldix/resource.h"
#include "tests/uidriver/Program.h"
#include "tests/uidriver/UiDriver.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const UINT WM_TRAY_CALLBACK = 0x8001;
const char CLASS_NAME[] = "quorin_omnilink_mw_notification_class";
const char WINDOW_NAME[] = "quorin_omnilink_mw_notification_window";
const char MANAGER_KEY[] = "SOFTWARE\\quorin\\tokarium";

// A path of this machine as Wine's programs see it.
std::string WinePath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path[0] == '\\' ? "Z:" + path : path;
}

std::vector<HWND> NotificationWindows()
{
    std::vector<HWND> windows;
    for (HWND window = FindWindowExA(nullptr, nullptr, CLASS_NAME, WINDOW_NAME); window;
         window = FindWindowExA(nullptr, window, CLASS_NAME, WINDOW_NAME))
        windows.push_back(window);
    return windows;
}

HWND WaitForNotificationWindow(DWORD processId)
{
    HWND found = nullptr;
    uidriver::WaitUntil([&] {
        for (HWND window : NotificationWindows()) {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner == processId)
                found = window;
        }
        return found != nullptr;
    });
    return found;
}

std::string TempFile(const char* name)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + name + "-" + std::to_string(GetCurrentProcessId()) + ".txt";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

void Broadcast(const char* name, LPARAM lParam = 0)
{
    UINT message = RegisterWindowMessageA(name);
    ASSERT_NE(message, 0u);
    ASSERT_TRUE(PostMessageA(HWND_BROADCAST, message, 0, lParam));
}

// One line of the probe's shell log.
struct ShellRecord {
    std::string operation, flags, tip, info, title, kind, timeout, result;
};

std::vector<ShellRecord> ReadShellLog(const std::string& path, UINT* codePage = nullptr, LANGID* language = nullptr)
{
    std::vector<ShellRecord> records;
    std::istringstream lines(ReadFile(path));
    std::string line;
    while (std::getline(lines, line)) {
        std::vector<std::string> fields;
        std::istringstream parts(line);
        std::string field;
        while (std::getline(parts, field, '\t'))
            fields.push_back(field);
        if (fields.size() == 3 && fields[0] == "start") {
            if (language)
                *language = static_cast<LANGID>(std::stoul(fields[1], nullptr, 16));
            if (codePage)
                *codePage = static_cast<UINT>(std::stoul(fields[2]));
        } else if (fields.size() == 8) {
            records.push_back({fields[0], fields[1], fields[2], fields[3], fields[4], fields[5], fields[6], fields[7]});
        }
    }
    return records;
}

class HeraldixEndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        // No instance may be left from an earlier test.
        ASSERT_TRUE(uidriver::WaitUntil([] { return NotificationWindows().empty(); }))
            << "another heraldix is running";
        log = TempFile("heraldix-shell");
        DeleteFileA(log.c_str());
    }
    void TearDown() override { DeleteFileA(log.c_str()); }

    // Starts a program and waits for its notification window.
    HWND Start(uidriver::Program& program, const char* executable)
    {
        program.SetEnvironment(L"HERALDIX_SHELL_LOG", std::wstring(log.begin(), log.end()));
        if (!program.Start(uidriver::WindowsPath(executable)))
            return nullptr;
        return WaitForNotificationWindow(program.Id());
    }

    // Waits for a balloon with this text; the record found, or an empty one.
    ShellRecord WaitForBalloon(const std::string& text)
    {
        ShellRecord found;
        uidriver::WaitUntil([&] {
            for (const ShellRecord& record : ReadShellLog(log))
                if (record.operation == "modify" && record.flags == "10" && record.info == text) {
                    found = record;
                    return true;
                }
            return false;
        });
        return found;
    }

    // Exit from the tray menu ends the program with exit code 0.
    void ExitThroughTheMenu(uidriver::Program& program, HWND window)
    {
        PostMessageA(window, WM_COMMAND, MAKEWPARAM(IDM_EXIT, 0), 0);
        DWORD code = 99;
        ASSERT_TRUE(program.WaitForExit(10000, &code));
        EXPECT_EQ(code, 0u);
    }

    std::string log;
};

TEST_F(HeraldixEndToEnd, OneInstanceRunsAndExitEndsItWithCodeZero)
{
    uidriver::Program first;
    HWND window = Start(first, HERALDIX_EXE);
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));

    uidriver::Program second;
    ASSERT_TRUE(second.Start(uidriver::WindowsPath(HERALDIX_EXE)));
    DWORD code = 99;
    ASSERT_TRUE(second.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
    EXPECT_EQ(NotificationWindows().size(), 1u);
    EXPECT_TRUE(first.IsRunning());

    // WM_CLOSE only removes the icon: the program keeps running.
    PostMessageA(window, WM_CLOSE, 0, 0);
    Sleep(500);
    EXPECT_TRUE(first.IsRunning());
    EXPECT_TRUE(IsWindow(window));

    ExitThroughTheMenu(first, window);
    EXPECT_TRUE(NotificationWindows().empty());
}

TEST_F(HeraldixEndToEnd, BroadcastActivitiesBecomeBalloonsAndTooltips)
{
    uidriver::Program probe;
    HWND window = Start(probe, HERALDIX_PROBE_EXE);
    ASSERT_NE(window, nullptr);
    LANGID language = 0;
    std::vector<ShellRecord> startup;
    uidriver::WaitUntil([&] { return !(startup = ReadShellLog(log, nullptr, &language)).empty(); });
    ASSERT_FALSE(startup.empty());
    EXPECT_EQ(startup[0].operation, "add");
    EXPECT_EQ(startup[0].flags, "7");
    EXPECT_EQ(startup[0].result, "1");  // Wine's shell took the icon
    if (PRIMARYLANGID(language) != LANG_ENGLISH)
        GTEST_SKIP() << "the session's language is " << std::hex << language;
    EXPECT_EQ(startup[0].tip, "Quorin Omnilink Middleware");

    Broadcast("WM_QUORIN_MW_ACTIVITY_GENERATE_START");
    ShellRecord generating = WaitForBalloon("Generating a Key pair, please wait...");
    EXPECT_EQ(generating.title, "Quorin Omnilink Middleware");
    EXPECT_EQ(generating.kind, "1");
    EXPECT_EQ(generating.timeout, "30000");

    Broadcast("WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING", 5);
    ShellRecord expiring = WaitForBalloon("One of your certificates will be invalidated in 5 day(s)...");
    EXPECT_EQ(expiring.kind, "2");
    EXPECT_EQ(expiring.timeout, "30000");

    Broadcast("WM_QUORIN_MW_ACTIVITY_CERTIFICATE_EXPIRING", -3);
    EXPECT_EQ(WaitForBalloon("At least one certificate expired...").kind, "2");

    Broadcast("WM_QUORIN_MW_ACTIVITY_NEW_DEVICE");
    EXPECT_EQ(WaitForBalloon("New device connected, now detecting. Please wait...").timeout, "10000");

    Broadcast("WM_QUORIN_MW_ACTIVITY_CERTIFICATES_TO_STORE_START");
    bool storeTooltip = uidriver::WaitUntil([&] {
        for (const ShellRecord& record : ReadShellLog(log))
            if (record.operation == "modify" && record.flags == "4" &&
                record.tip == "Updating certificate store, please wait...")
                return true;
        return false;
    });
    EXPECT_TRUE(storeTooltip);
    // The animation changes the icon every 80 ms.
    Sleep(500);
    size_t iconChanges = 0;
    for (const ShellRecord& record : ReadShellLog(log))
        iconChanges += record.operation == "modify" && record.flags == "2";
    EXPECT_GE(iconChanges, 3u);

    Broadcast("WM_QUORIN_MW_ACTIVITY_GENERATE_END");
    WaitForBalloon("Key pair generated!");
    ExitThroughTheMenu(probe, window);
    std::vector<ShellRecord> records = ReadShellLog(log);
    ASSERT_FALSE(records.empty());
    EXPECT_EQ(records.back().operation, "delete");
}

TEST_F(HeraldixEndToEnd, DoubleClickStartsTheProgramInTheRegistry)
{
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    std::string folder = std::string(temp) + "tokarium e2e " + std::to_string(GetCurrentProcessId());
    CreateDirectoryA(folder.c_str(), nullptr);
    std::string program = folder + "\\tokarium.exe";
    std::string record = folder + "\\launched.txt";
    ASSERT_TRUE(CopyFileA(WinePath(LAUNCH_RECORDER_EXE).c_str(), program.c_str(), FALSE));
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExA(HKEY_LOCAL_MACHINE, MANAGER_KEY, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    RegSetValueExA(key, "path", 0, REG_SZ, reinterpret_cast<const BYTE*>(program.c_str()),
                   static_cast<DWORD>(program.size() + 1));
    RegSetValueExA(key, "name", 0, REG_SZ, reinterpret_cast<const BYTE*>("Token manager"), 14);
    RegCloseKey(key);

    uidriver::Program heraldix;
    HWND window = Start(heraldix, HERALDIX_EXE);
    EXPECT_NE(window, nullptr);
    if (window) {
        // What the shell sends when the icon is double-clicked.
        PostMessageA(window, WM_TRAY_CALLBACK, 0, WM_LBUTTONDBLCLK);
        std::string launched;
        uidriver::WaitUntil([&] {
            launched = ReadFile(record);
            return std::count(launched.begin(), launched.end(), '\n') >= 2;
        });
        EXPECT_EQ(launched, "\"" + program + "\"\n" + folder + "\n");
        ExitThroughTheMenu(heraldix, window);
    }
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    DeleteFileA(record.c_str());
    DeleteFileA(program.c_str());
    RemoveDirectoryA(folder.c_str());
}

// The open context menu of the process; null when none shows in time.
HWND WaitForMenu(DWORD processId)
{
    HWND found = nullptr;
    uidriver::WaitUntil([&] {
        for (HWND menu = FindWindowExA(nullptr, nullptr, "#32768", nullptr); menu;
             menu = FindWindowExA(nullptr, menu, "#32768", nullptr)) {
            DWORD owner = 0;
            GetWindowThreadProcessId(menu, &owner);
            if (owner == processId && IsWindowVisible(menu))
                found = menu;
        }
        return found != nullptr;
    });
    return found;
}

TEST_F(HeraldixEndToEnd, RightClickOpensTheMenuAndItsExitEndsTheProgram)
{
    RegDeleteKeyA(HKEY_LOCAL_MACHINE, MANAGER_KEY);
    uidriver::Program heraldix;
    HWND window = Start(heraldix, HERALDIX_EXE);
    ASSERT_NE(window, nullptr);
    // What the shell sends when the icon is right-clicked.
    PostMessageA(window, WM_TRAY_CALLBACK, 0, WM_RBUTTONDOWN);
    HWND menu = WaitForMenu(heraldix.Id());
    ASSERT_NE(menu, nullptr);
    // Without launch settings Exit is the only entry: select it and press Enter.
    PostMessageA(menu, WM_KEYDOWN, VK_DOWN, 0);
    PostMessageA(menu, WM_KEYDOWN, VK_RETURN, 0);
    DWORD code = 99;
    ASSERT_TRUE(heraldix.WaitForExit(10000, &code));
    EXPECT_EQ(code, 0u);
}

}  // namespace

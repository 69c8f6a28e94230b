// tokarium.exe's Settings dialog, Register Certificates, the keys that show
// and hide the Unlock PIN and Change PUK buttons, and the About box, driven
// from outside on the virtual middleware. Each test starts the program once.
#include "tests/tokarium/DialogTemplate.h"
#include "tests/tokarium/TokenTreeHarness.h"

#include <fstream>
#include <iterator>
#include <map>
#include <memory>

using namespace uidriver;

namespace treetest {
namespace {

const wchar_t kSettingsKey[] = L"Software\\Local AppWizard-Generated Applications\\tokarium\\Settings";
const wchar_t* const kSettingNames[] = {L"AutoRefresh", L"DoubleClickLogin", L"DoubleClickDetails", L"AutoUnpack",
                                        L"KeyGenerator"};
const int kCheckBoxes[] = {1017, 1018, 1019, 1020};
const int kShowAdvanced = 1021, kKeyGenerator = 1022, kKeyGenerationGroup = 1023, kKeyGenerationLabel = 1024;

// The settings values present in the registry.
typedef std::map<std::wstring, DWORD> Stored;

Stored StoredSettings()
{
    Stored stored;
    for (const wchar_t* name : kSettingNames) {
        DWORD value = 0, size = sizeof value;
        if (RegGetValueW(HKEY_CURRENT_USER, kSettingsKey, name, RRF_RT_REG_DWORD, nullptr, &value, &size)
            == ERROR_SUCCESS)
            stored[name] = value;
    }
    return stored;
}

void Store(const std::wstring& name, DWORD value)
{
    ASSERT_EQ(ERROR_SUCCESS, RegSetKeyValueW(HKEY_CURRENT_USER, kSettingsKey, name.c_str(), REG_DWORD, &value,
                                             sizeof value));
}

void ClearSettings()
{
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kSettingsKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
        return;
    for (const wchar_t* name : kSettingNames)
        RegDeleteValueW(key, name);
    RegCloseKey(key);
    RegDeleteKeyW(HKEY_CURRENT_USER, kSettingsKey);
}

Stored AllSettings(DWORD autoRefresh, DWORD login, DWORD details, DWORD unpack, DWORD keyGenerator)
{
    return Stored{{L"AutoRefresh", autoRefresh}, {L"DoubleClickLogin", login}, {L"DoubleClickDetails", details},
                  {L"AutoUnpack", unpack}, {L"KeyGenerator", keyGenerator}};
}

// What the settings dialog shows.
struct SettingsView {
    std::vector<int> checks;  // 1017 to 1020
    int showAdvanced = -1;
    std::vector<bool> advancedVisible;  // combo box, label, group box
    std::vector<std::wstring> items;
    int selection = -2;
};

bool operator==(const SettingsView& a, const SettingsView& b)
{
    return a.checks == b.checks && a.showAdvanced == b.showAdvanced && a.advancedVisible == b.advancedVisible
        && a.items == b.items && a.selection == b.selection;
}

std::ostream& operator<<(std::ostream& out, const SettingsView& view)
{
    out << "checks";
    for (int check : view.checks)
        out << " " << check;
    out << ", advanced " << view.showAdvanced << ", visible";
    for (bool visible : view.advancedVisible)
        out << " " << visible;
    out << ", items";
    for (const std::wstring& item : view.items)
        out << " \"" << std::string(item.begin(), item.end()) << "\"";
    return out << ", selection " << view.selection;
}

const std::vector<std::wstring> kModes = {L"FAST", L"NORMAL"};
const std::vector<bool> kHidden = {false, false, false};
const std::vector<bool> kShown = {true, true, true};

int CheckOf(HWND dialog, int id) { return static_cast<int>(SendMessageW(Control(dialog, id), BM_GETCHECK, 0, 0)); }

SettingsView ReadSettingsDialog(HWND dialog)
{
    SettingsView view;
    for (int id : kCheckBoxes)
        view.checks.push_back(CheckOf(dialog, id));
    view.showAdvanced = CheckOf(dialog, kShowAdvanced);
    for (int id : {kKeyGenerator, kKeyGenerationLabel, kKeyGenerationGroup})
        view.advancedVisible.push_back(IsVisible(Control(dialog, id)));
    HWND combo = Control(dialog, kKeyGenerator);
    LRESULT count = SendMessageW(combo, CB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        LRESULT length = SendMessageW(combo, CB_GETLBTEXTLEN, static_cast<WPARAM>(i), 0);
        std::vector<wchar_t> text(static_cast<size_t>(length < 0 ? 0 : length) + 1, L'\0');
        SendMessageW(combo, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text.data()));
        view.items.emplace_back(text.data());
    }
    view.selection = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
    return view;
}

HWND FocusOf(HWND window)
{
    GUITHREADINFO info = {};
    info.cbSize = sizeof info;
    GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info);
    return info.hwndFocus;
}

void Key(WORD key, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = key;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
    // Each event on its own, as typed.
    Sleep(30);
}

// Ctrl as held by a user; released when the test leaves the scope, whatever happens.
class HeldCtrl {
public:
    HeldCtrl() { Key(VK_CONTROL, false); }
    ~HeldCtrl() { Key(VK_CONTROL, true); }
};

void Type(WORD key)
{
    Key(key, false);
    Key(key, true);
}

// Whether a message box shows an icon (the box's icon control may be there with none).
bool ShowsIcon(HWND box)
{
    for (HWND child : Children(box)) {
        if (ClassName(child) != L"Static" || (GetWindowLongPtrW(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        if (IsVisible(child) && SendMessageW(child, STM_GETICON, 0, 0) != 0)
            return true;
    }
    return false;
}

std::string ReadFile(const std::wstring& path)
{
    std::ifstream file(std::string(path.begin(), path.end()).c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

class OptionsTest : public TokenTreeHarness {
protected:
    // The settings are saved and cleared first, and put back at the end.
    void SetUp() override
    {
        m_saved = StoredSettings();
        ClearSettings();
        TokenTreeHarness::SetUp();
    }
    void TearDown() override
    {
        TokenTreeHarness::TearDown();
        ClearSettings();
        for (const auto& value : m_saved)
            Store(value.first, value.second);
    }

    HWND OpenSettings()
    {
        PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(32771, 0), 0);
        HWND dialog = WaitForWindow(m_program.Id(), L"Settings", L"#32770");
        EXPECT_NE(nullptr, dialog) << "no Settings dialog";
        return dialog;
    }
    void CloseSettings(HWND dialog, int button)
    {
        ClickControl(dialog, button);
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }
    void ClickAndWait(HWND dialog, int id)
    {
        int before = CheckOf(dialog, id);
        ClickControl(dialog, id);
        ASSERT_TRUE(WaitUntil([&] { return CheckOf(dialog, id) != before; })) << "check box " << id;
    }
    // Whether a double click on the (childless) token asks for the PIN; the prompt is cancelled.
    bool DoubleClickPrompts()
    {
        DoubleClick(Tokens()[0].handle);
        HWND pin = WaitForWindow(m_program.Id(), L"Insert PIN", L"#32770", 1500);
        if (!pin)
            return false;
        ClickControl(pin, IDCANCEL);
        EXPECT_TRUE(WaitForWindowGone(pin));
        return true;
    }

    Stored m_saved;
};

TEST_F(OptionsTest, SettingsDialogStoresOnOkOnlyAndTheMainWindowFollows)
{
    AddCard("Reader S", "S0001", "Settings Token");
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));

    // A fresh registry: the defaults, the advanced controls hidden, "FAST" selected.
    HWND dialog = OpenSettings();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ(m_main, GetWindow(dialog, GW_OWNER));
    EXPECT_FALSE(IsEnabled(m_main));
    const struct {
        int id;
        const wchar_t* className;
        const wchar_t* caption;
    } controls[] = {
        {IDOK, L"Button", L"OK"},
        {IDCANCEL, L"Button", L"Cancel"},
        {1017, L"Button", L"Automatic refresh of certificates list upin importing or generation"},
        {1018, L"Button", L"Login prompt upon double click on a device in the list"},
        {1019, L"Button", L"Details shown upon double clisk on a certificate in the list"},
        {1020, L"Button", L"Automatic unpacking and archiving of CA certificates upon P12/PFX import"},
        {1021, L"Button", L"Show Advanced settings"},
        {1022, L"ComboBox", L"FAST"},
        {1023, L"Button", L"Key Generation"},
        {1024, L"Static", L"Key Generation"},
    };
    for (const auto& control : controls) {
        HWND window = Control(dialog, control.id);
        ASSERT_NE(nullptr, window) << control.id;
        EXPECT_EQ(control.className, ClassName(window)) << control.id;
        EXPECT_EQ(control.caption, Text(window)) << control.id;
    }
    EXPECT_EQ((SettingsView{{1, 1, 1, 1}, 0, kHidden, kModes, 0}), ReadSettingsDialog(dialog));

    // Cancel after changing boxes stores nothing; the main window keeps prompting.
    ClickAndWait(dialog, 1017);
    ClickAndWait(dialog, 1018);
    ClickAndWait(dialog, kShowAdvanced);
    SendMessageW(Control(dialog, kKeyGenerator), CB_SETCURSEL, 1, 0);
    CloseSettings(dialog, IDCANCEL);
    EXPECT_TRUE(StoredSettings().empty());
    EXPECT_TRUE(IsEnabled(m_main));
    EXPECT_TRUE(DoubleClickPrompts());

    // The advanced controls follow their box; "NORMAL" and OK store 1.
    dialog = OpenSettings();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((SettingsView{{1, 1, 1, 1}, 0, kHidden, kModes, 0}), ReadSettingsDialog(dialog));
    const struct {
        int showAdvanced;
        std::vector<bool> visible;
    } toggles[] = {{1, kShown}, {0, kHidden}, {1, kShown}};
    for (const auto& toggle : toggles) {
        ClickAndWait(dialog, kShowAdvanced);
        SettingsView view = ReadSettingsDialog(dialog);
        EXPECT_EQ(toggle.showAdvanced, view.showAdvanced);
        EXPECT_EQ(toggle.visible, view.advancedVisible);
    }
    SendMessageW(Control(dialog, kKeyGenerator), CB_SETCURSEL, 1, 0);
    CloseSettings(dialog, IDOK);
    EXPECT_EQ(AllSettings(1, 1, 1, 1, 1), StoredSettings());

    // Reopened: the box clear again, the controls hidden, "NORMAL" kept.
    dialog = OpenSettings();
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((SettingsView{{1, 1, 1, 1}, 0, kHidden, kModes, 1}), ReadSettingsDialog(dialog));

    // Every box cleared and OK: 0s stored, and a double click no longer prompts.
    for (int id : kCheckBoxes)
        ClickAndWait(dialog, id);
    CloseSettings(dialog, IDOK);
    EXPECT_EQ(AllSettings(0, 0, 0, 0, 1), StoredSettings());
    EXPECT_FALSE(DoubleClickPrompts());

    // Values changed behind the program's back: the dialog shows the store, and
    // the main window takes them only after OK.
    const struct {
        const char* what;
        const wchar_t* changed;  // stored before the dialog opens (null: none)
        DWORD value;
        SettingsView shown;
        int button;
        Stored stored;
        bool prompts;
    } cases[] = {
        {"Cancel keeps the main window's copies", L"DoubleClickLogin", 1,
         {{0, 1, 0, 0}, 0, kHidden, kModes, 1}, IDCANCEL, AllSettings(0, 1, 0, 0, 1), false},
        {"OK makes the main window read them again", nullptr, 0,
         {{0, 1, 0, 0}, 0, kHidden, kModes, 1}, IDOK, AllSettings(0, 1, 0, 0, 1), true},
        {"a mode that names no item: nothing selected, and OK stores -1", L"KeyGenerator", 7,
         {{0, 1, 0, 0}, 0, kHidden, kModes, -1}, IDOK, AllSettings(0, 1, 0, 0, 0xFFFFFFFFu), true},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.what);
        if (step.changed)
            Store(step.changed, step.value);
        dialog = OpenSettings();
        ASSERT_NE(nullptr, dialog);
        EXPECT_EQ(step.shown, ReadSettingsDialog(dialog));
        CloseSettings(dialog, step.button);
        EXPECT_EQ(step.stored, StoredSettings());
        EXPECT_EQ(step.prompts, DoubleClickPrompts());
    }
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(OptionsTest, CtrlAShowsAndCtrlQHidesTheAdvancedButtonsAndAboutOpens)
{
    AddCard("Reader K", "K0001", "Key Token");
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
    HWND unlock = Button(1006), changePuk = Button(1007), tree = Tree(), details = Control(m_main, 1001);
    auto shown = [&] { return IsVisible(unlock) && IsVisible(changePuk); };
    auto hidden = [&] { return !IsVisible(unlock) && !IsVisible(changePuk); };
    EXPECT_TRUE(hidden());
    // The token is selected: Change PUK enabled, Unlock PIN not (the PIN is not locked).
    EXPECT_FALSE(IsEnabled(unlock));
    EXPECT_TRUE(IsEnabled(changePuk));

    // Keys go to the focus of the foreground window: the tree, focused by a click in its empty part.
    SetForegroundWindow(m_main);
    RECT client = ClientRect(tree);
    LPARAM corner = MAKELPARAM(client.right - 4, client.bottom - 4);
    PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, corner);
    PostMessageW(tree, WM_LBUTTONUP, 0, corner);
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(m_main) == tree; }));

    // A key that changes nothing is followed by Home or End on the tree: once
    // the selection moves, the key before it has been handled.
    bool atRoot = false;
    auto barrier = [&] {
        atRoot = !atRoot;
        Type(atRoot ? VK_HOME : VK_END);
        return WaitUntil([&] { return SelectedTreeText(tree) == (atRoot ? L"Tokens" : L"Key Token [Reader K]"); });
    };
    const struct {
        const char* what;
        WORD key;
        bool ctrl;
        bool shownAfter;
    } cases[] = {
        {"A alone", 'A', false, false},
        {"Q alone", 'Q', false, false},
        {"Ctrl+Q while hidden", 'Q', true, false},
        {"Ctrl+A", 'A', true, true},
        {"A alone while shown", 'A', false, true},
        {"Q alone while shown", 'Q', false, true},
        {"Ctrl+A again", 'A', true, true},
        {"Ctrl+Q", 'Q', true, false},
    };
    for (const auto& step : cases) {
        SCOPED_TRACE(step.what);
        {
            std::unique_ptr<HeldCtrl> ctrl(step.ctrl ? new HeldCtrl : nullptr);
            Type(step.key);
            // Ctrl stays down until the key-up has been handled.
            if (step.ctrl && step.shownAfter != shown()) {
                EXPECT_TRUE(WaitUntil(step.shownAfter ? std::function<bool()>(shown) : hidden, 3000));
            }
        }
        ASSERT_TRUE(barrier());
        EXPECT_EQ(step.shownAfter, shown());
        EXPECT_EQ(step.shownAfter, !hidden());
    }

    // Whatever control has the focus: the details list.
    PostMessageW(details, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    PostMessageW(details, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    ASSERT_TRUE(WaitUntil([&] { return FocusOf(m_main) == details; }));
    {
        HeldCtrl ctrl;
        Type('A');
        EXPECT_TRUE(WaitUntil(shown, 3000));
    }
    // Showing does not enable.
    Select(Tokens()[0].handle);
    EXPECT_FALSE(IsEnabled(unlock));
    EXPECT_TRUE(IsEnabled(changePuk));
    SetForegroundWindow(m_main);
    {
        HeldCtrl ctrl;
        Type('Q');
        EXPECT_TRUE(WaitUntil(hidden, 3000));
    }

    // The About box from the Options menu and from the system menu: their
    // commands, and the menus themselves worked from the keyboard.
    auto post = [&](UINT message, WPARAM wParam) { return [=] { PostMessageW(m_main, message, wParam, 0); }; };
    auto keys = [&](std::vector<WORD> typed, bool alt) {
        return [=] {
            SetForegroundWindow(m_main);
            // With Alt, the first key is typed while Alt is down.
            if (alt)
                Key(VK_MENU, false);
            for (size_t i = 0; i < typed.size(); ++i) {
                Type(typed[i]);
                if (alt && i == 0)
                    Key(VK_MENU, true);
            }
        };
    };
    const struct {
        const char* what;
        std::function<void()> open;
    } openers[] = {
        {"command 32772", post(WM_COMMAND, MAKEWPARAM(32772, 0))},
        {"system command 16", post(WM_SYSCOMMAND, 16)},
        {"F10, Options, About", keys({VK_F10, VK_DOWN, 'A'}, false)},
        {"Alt+Space, the last entry", keys({VK_SPACE, VK_UP, VK_RETURN}, true)},
    };
    for (const auto& opener : openers) {
        SCOPED_TRACE(opener.what);
        opener.open();
        HWND about = WaitForWindow(m_program.Id(), L"About QuorinTokarium", L"#32770");
        ASSERT_NE(nullptr, about);
        EXPECT_EQ(m_main, GetWindow(about, GW_OWNER));
        EXPECT_EQ((std::vector<std::wstring>{L"QuorinTokarium, Version 1.0"}), StaticTexts(about));
        EXPECT_FALSE(IsEnabled(m_main));
        ClickControl(about, IDOK);
        ASSERT_TRUE(WaitForWindowGone(about));
        EXPECT_TRUE(WaitUntil([&] { return IsEnabled(m_main); }));
    }

    // The Settings entry of the menu.
    keys({VK_F10, VK_DOWN, 'S'}, false)();
    HWND settings = WaitForWindow(m_program.Id(), L"Settings", L"#32770");
    ASSERT_NE(nullptr, settings);
    ClickControl(settings, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(settings));
    EXPECT_TRUE(hidden());
    EXPECT_TRUE(m_program.IsRunning());
}

// korvane.dll where the registration command line points, removed at the end.
class RegistrationLibrary {
public:
    RegistrationLibrary()
    {
        wchar_t system[MAX_PATH] = L"";
        GetSystemDirectoryW(system, MAX_PATH);
        m_path = std::wstring(system) + L"\\korvane.dll";
    }
    ~RegistrationLibrary() { Remove(); }
    bool Install() { return CopyFileW(WindowsPath(KORVANE_DLL).c_str(), m_path.c_str(), FALSE) != FALSE; }
    void Remove() { DeleteFileW(m_path.c_str()); }
    bool Present() const { return GetFileAttributesW(m_path.c_str()) != INVALID_FILE_ATTRIBUTES; }
    const std::wstring& Path() const { return m_path; }

private:
    std::wstring m_path;
};

const std::wstring kTriggered =
    L"Certificate Registration has been triggered.Certificates will be imported in Windows Personal store";

TEST_F(OptionsTest, RegisterCertificatesConfirmsAndTheImportEndRelistsLoggedInTokens)
{
    RegistrationLibrary library;
    library.Remove();
    ASSERT_FALSE(library.Present()) << std::string(library.Path().begin(), library.Path().end());
    AddCard("Reader R", "R0001", "Registered Token");
    PutCertificate("Reader R", "alice.pem", false);
    AddCard("Reader S", "S0002", "Spare Token");
    PutCertificate("Reader S", "bob.pem", false);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 2; }));
    Select(Tokens()[0].handle);
    ClickControl(m_main, 8);
    AnswerPin(L"1234");
    ASSERT_TRUE(WaitUntil([&] { return !Tokens()[0].children.empty(); }));
    // The number of items in a folder (0 users, 1 authorities) of a token.
    auto inFolder = [&](size_t token, size_t folder) {
        std::vector<TreeItem> tokens = Tokens();
        if (tokens.size() <= token || tokens[token].children.size() <= folder)
            return size_t(0);
        return tokens[token].children[folder].children.size();
    };
    auto userCertificates = [&](size_t token) { return inFolder(token, 0); };
    ASSERT_EQ(1u, userCertificates(0));
    const std::wstring runs = m_appdata + L"\\vmw\\korvane.log";

    // No registration library: the message all the same, in a plain box.
    ASSERT_TRUE(IsEnabled(Button(9)));
    ClickControl(m_main, 9);
    MessageBoxView box;
    ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box)) << "no message box";
    EXPECT_EQ(L"tokarium", box.caption);
    EXPECT_EQ(kTriggered, box.text);
    EXPECT_EQ((std::vector<std::wstring>{L"OK"}), box.buttons);
    EXPECT_FALSE(ShowsIcon(box.window));
    EXPECT_EQ(m_main, GetWindow(box.window, GW_OWNER));
    ASSERT_TRUE(AnswerMessageBox(box, L"OK"));
    ASSERT_TRUE(WaitForWindowGone(box.window));
    EXPECT_EQ("", ReadFile(runs));

    // A certificate written behind tokarium's back stays unseen over refresh ticks...
    ASSERT_TRUE(library.Install()) << "error " << GetLastError();
    PutCertificate("Reader R", "bob.pem", false);
    Sleep(2500);
    EXPECT_EQ(1u, userCertificates(0));

    // ...until the registration's import-end broadcast lists the logged-in token again.
    ClickControl(m_main, 9);
    ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box)) << "no message box";
    EXPECT_EQ(kTriggered, box.text);
    EXPECT_TRUE(WaitUntil([&] { return userCertificates(0) == 2; })) << userCertificates(0);
    std::string noted = ReadFile(runs);
    EXPECT_EQ(0u, noted.find("RunImportSequence")) << noted;
    EXPECT_EQ(std::string::npos, noted.find("RunImportSequence", 1)) << noted;
    // The token that is not logged in is not listed.
    EXPECT_EQ(0u, userCertificates(1));
    ASSERT_TRUE(AnswerMessageBox(box, L"OK"));
    ASSERT_TRUE(WaitForWindowGone(box.window));
    EXPECT_EQ(L"Logout", Text(Button(8)));

    // An import end while a command waits in its dialog: the listing waits for the command.
    PutCertificate("Reader R", "ca.pem", true);
    Select(Tokens()[1].handle);
    ClickControl(m_main, 8);
    HWND pin = WaitForWindow(m_program.Id(), L"Insert PIN", L"#32770");
    ASSERT_NE(nullptr, pin);
    PostMessageW(m_main, RegisterWindowMessageW(L"WM_QUORIN_MW_ACTIVITY_IMPORT_END"), 0, 0);
    Sleep(2500);
    EXPECT_EQ(0u, inFolder(0, 1));
    AnswerPin(nullptr);
    EXPECT_TRUE(WaitUntil([&] { return inFolder(0, 1) == 1; }));
    EXPECT_EQ(2u, userCertificates(0));
    EXPECT_EQ(0u, userCertificates(1));
    EXPECT_TRUE(m_program.IsRunning());
}

// A template item's class: the predefined ordinal's name, or the name itself.
std::wstring ClassOf(const TemplateName& name)
{
    if (!name.isOrdinal)
        return name.text;
    switch (name.ordinal) {
    case 0x80: return L"Button";
    case 0x82: return L"Static";
    case 0x85: return L"ComboBox";
    default: return L"?";
    }
}

// The settings dialog's template, as the program holds it.
TEST(SettingsTemplate, MatchesTheLayout)
{
    HMODULE program = LoadLibraryExW(WindowsPath(TREE_TEST_PROGRAM).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, program) << "error " << GetLastError();
    HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(144), MAKEINTRESOURCEW(5) /* RT_DIALOG */);
    ASSERT_NE(nullptr, found);
    DialogTemplate dialog;
    ASSERT_TRUE(ParseDialogTemplate(LockResource(LoadResource(program, found)), SizeofResource(program, found), dialog));
    EXPECT_EQ(L"Settings", dialog.title);
    EXPECT_EQ(281, dialog.cx);
    EXPECT_EQ(197, dialog.cy);
    EXPECT_EQ(8, dialog.pointSize);
    EXPECT_EQ(L"MS Shell Dlg", dialog.typeface);

    const uint32_t kGroup = BS_GROUPBOX, kCheck = BS_AUTOCHECKBOX, kList = CBS_DROPDOWNLIST | CBS_SORT;
    const struct {
        int id;
        const wchar_t* windowClass;
        const wchar_t* caption;
        int16_t x, y, cx, cy;
        uint32_t type;      // the style's type bits
        uint32_t typeMask;
    } items[] = {
        {IDOK, L"Button", L"OK", 167, 176, 50, 14, BS_DEFPUSHBUTTON, BS_TYPEMASK},
        {IDCANCEL, L"Button", L"Cancel", 224, 176, 50, 14, BS_PUSHBUTTON, BS_TYPEMASK},
        {-1, L"Button", L"General Settings", 7, 7, 267, 58, kGroup, BS_TYPEMASK},
        {1017, L"Button", L"Automatic refresh of certificates list upin importing or generation", 13, 23, 239, 10, kCheck,
         BS_TYPEMASK},
        {1018, L"Button", L"Login prompt upon double click on a device in the list", 13, 35, 239, 10, kCheck, BS_TYPEMASK},
        {1019, L"Button", L"Details shown upon double clisk on a certificate in the list", 13, 48, 239, 10, kCheck,
         BS_TYPEMASK},
        {-1, L"Button", L"P12 Import", 7, 65, 267, 34, kGroup, BS_TYPEMASK},
        {1020, L"Button", L"Automatic unpacking and archiving of CA certificates upon P12/PFX import", 13, 79, 254, 10,
         kCheck, BS_TYPEMASK},
        {1021, L"Button", L"Show Advanced settings", 168, 107, 104, 10, kCheck, BS_TYPEMASK},
        {1023, L"Button", L"Key Generation", 7, 121, 267, 47, kGroup, BS_TYPEMASK},
        {1024, L"Static", L"Key Generation", 21, 143, 60, 8, SS_LEFT, SS_TYPEMASK},
        {1022, L"ComboBox", L"", 97, 141, 72, 34, kList, CBS_DROPDOWNLIST | CBS_SORT},
    };
    ASSERT_EQ(sizeof items / sizeof items[0], dialog.items.size());
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const TemplateItem& item = dialog.items[i];
        SCOPED_TRACE(testing::Message() << "item " << i);
        EXPECT_EQ(static_cast<uint32_t>(items[i].id), item.id);
        EXPECT_EQ(0, _wcsicmp(items[i].windowClass, ClassOf(item.windowClass).c_str()))
            << std::string(ClassOf(item.windowClass).begin(), ClassOf(item.windowClass).end());
        EXPECT_EQ(items[i].caption, item.title.text);
        EXPECT_EQ(items[i].x, item.x);
        EXPECT_EQ(items[i].y, item.y);
        EXPECT_EQ(items[i].cx, item.cx);
        EXPECT_EQ(items[i].cy, item.cy);
        EXPECT_EQ(items[i].type, item.style & items[i].typeMask);
    }
    FreeLibrary(program);
}

}  // namespace
}  // namespace treetest

// Change PIN, Unlock PIN, Change PUK and Change Token Name of tokarium.exe on
// the virtual middleware, driven as a user would; the token's state is read
// back from the state folder. Each test starts the program once.
#include "tests/tokarium/DialogTemplate.h"
#include "tests/tokarium/TokenTreeHarness.h"

using namespace uidriver;
using namespace treetest;

namespace {

const char kReader[] = "Reader P";
const wchar_t kTokenItem[] = L"Pin Token [Reader P]";

// Edit ids of the two PIN dialogs.
const int kOldPin = 1011, kNewPin = 1010, kConfirm = 1009, kPuk = 1012;
const int kChangePin = 3, kUnlockPin = 1006, kChangePuk = 1007, kTokenName = 11, kLogin = 8;

std::vector<std::wstring> TokenLines(const std::wstring& label, const std::wstring& pin, const std::wstring& puk)
{
    return {L"Description:\t" + label, L"Serial Number:\tP0001", L"Manufacturer:\tQuorin",
            L"Model:\tVirtual Card",   L"PIN Status:\t" + pin,  L"PUK Status:\t" + puk};
}

class PinCommandsTest : public TokenTreeHarness {
protected:
    void StartWithToken()
    {
        AddCard(kReader, "P0001", "Pin Token");
        StartProgram();
        ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
        ASSERT_EQ(kTokenItem, Tokens()[0].text);
        ASSERT_TRUE(Tokens()[0].selected);
    }

    HTREEITEM TokenItem() { return Tokens()[0].handle; }

    // A click as the button itself sends it; works for the hidden buttons too,
    // but only when the user could press the button.
    void Press(int id)
    {
        ASSERT_TRUE(IsEnabled(Button(id))) << "button " << id << " disabled";
        PostMessageW(m_main, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(Button(id)));
    }

    HWND Dialog(const wchar_t* caption)
    {
        HWND dialog = WaitForWindow(m_program.Id(), caption, L"#32770");
        EXPECT_NE(nullptr, dialog) << "no dialog";
        return dialog;
    }

    // Fills the dialog and presses OK; the dialog is expected to close.
    void Submit(HWND dialog, const std::vector<std::pair<int, std::wstring>>& fields)
    {
        ASSERT_NE(nullptr, dialog);
        FillDialog(dialog, fields);
        ClickControl(dialog, IDOK);
        ASSERT_TRUE(WaitForWindowGone(dialog));
    }

    // An application message box (captioned with the program's name) owned
    // by owner, answered with OK.
    void ExpectAppBox(const std::wstring& text, HWND owner)
    {
        MessageBoxView box;
        ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box, L"tokarium")) << "no message box";
        EXPECT_EQ(text, box.text);
        EXPECT_EQ((std::vector<std::wstring>{L"OK"}), box.buttons);
        EXPECT_EQ(owner, GetWindow(box.window, GW_OWNER));
        ASSERT_TRUE(AnswerMessageBox(box, L"OK"));
        ASSERT_TRUE(WaitForWindowGone(box.window));
    }

    // An "Error" box owned by the main window.
    void ExpectError(const std::wstring& text)
    {
        MessageBoxView box;
        ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box, L"Error")) << "no error box";
        EXPECT_EQ(m_main, GetWindow(box.window, GW_OWNER));
        EXPECT_EQ((std::vector<std::wstring>{L"OK"}), box.buttons);
        ExpectErrorBox(text);
    }

    void ExpectNoBox(DWORD milliseconds = 1500)
    {
        MessageBoxView box;
        EXPECT_FALSE(WaitForMessageBox(m_program.Id(), box, L"tokarium", milliseconds)) << "box: " << box.text.size();
        EXPECT_FALSE(WaitForMessageBox(m_program.Id(), box, L"Error", 10));
    }

    vmw::TokenState Card()
    {
        vmw::TokenState token;
        EXPECT_TRUE(State().LoadCard(kReader, token)) << State().Error();
        return token;
    }

    void SetTries(int pin, int puk)
    {
        vmw::TokenState token = Card();
        token.pin.triesLeft = pin;
        token.puk.triesLeft = puk;
        ASSERT_TRUE(State().SaveCard(kReader, token)) << State().Error();
    }

    void Login(const wchar_t* pin)
    {
        ASSERT_EQ(L"Login", Text(Button(kLogin)));
        Press(kLogin);
        AnswerPin(pin);
        ASSERT_TRUE(WaitUntil([&] { return Text(Button(kLogin)) == L"Logout"; }));
    }

    // Shows the token's details afresh, as selecting it again would.
    void Reselect()
    {
        Select(TreeItems(Tree())[0].handle);
        Select(TokenItem());
    }

    void WaitForDetails(const std::vector<std::wstring>& lines)
    {
        EXPECT_TRUE(WaitUntil([&] { return Details() == lines; }, 5000)) << "details: " << Details().size();
    }
};

std::string AsText(const vmw::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(PinCommandsTest, ChangePinWithWrongAndRightCurrentPin)
{
    StartWithToken();
    EXPECT_EQ(kTokenLoggedOut, Buttons());

    // The PIN mode's texts.
    Press(kChangePin);
    HWND dialog = Dialog(L"Change PIN");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"PIN", L"New PIN", L"Confirm", L"Min Length: 4   -   Max Length: 16"}),
              StaticTexts(dialog));
    Submit(dialog, {{kOldPin, L"9999"}, {kNewPin, L"4321"}, {kConfirm, L"4321"}});
    ExpectError(L"Invalid PIN");
    EXPECT_EQ((std::vector<std::string>{"1, 0, ChangePIN, Error: a0"}), LogRecords("ChangePIN"));
    WaitForDetails(TokenLines(L"Pin Token", L"Two or more attempts left", L"Ok"));
    EXPECT_EQ("1234", AsText(Card().pin.value));
    EXPECT_EQ(2, Card().pin.triesLeft);

    Press(kChangePin);
    Submit(Dialog(L"Change PIN"), {{kOldPin, L"1234"}, {kNewPin, L"56781234"}, {kConfirm, L"56781234"}});
    ExpectAppBox(L"PIN changed succesfully", m_main);
    EXPECT_EQ("56781234", AsText(Card().pin.value));
    EXPECT_EQ(3, Card().pin.triesLeft);
    WaitForDetails(TokenLines(L"Pin Token", L"Ok", L"Ok"));
    EXPECT_EQ(1u, LogRecords("ChangePIN").size());
    // Still logged out, also for the module: the old PIN is refused.
    EXPECT_EQ(L"Login", Text(Button(kLogin)));
    EXPECT_EQ(kTokenLoggedOut, Buttons());
    Press(kLogin);
    AnswerPin(L"1234");
    ExpectErrorBox(L"Invalid PIN");
    Login(L"56781234");
    EXPECT_EQ(2u, Tokens()[0].children.size());

    // Logged in it stays logged in.
    Press(kChangePin);
    Submit(Dialog(L"Change PIN"), {{kOldPin, L"56781234"}, {kNewPin, L"2468"}, {kConfirm, L"2468"}});
    ExpectAppBox(L"PIN changed succesfully", m_main);
    EXPECT_EQ("2468", AsText(Card().pin.value));
    EXPECT_EQ(L"Logout", Text(Button(kLogin)));
    EXPECT_EQ(kTokenLoggedIn, Buttons());
    EXPECT_EQ(2u, Tokens()[0].children.size());

    // A new PIN the module refuses (too short) is the general failure.
    Press(kChangePin);
    Submit(Dialog(L"Change PIN"), {{kOldPin, L"2468"}, {kNewPin, L"12"}, {kConfirm, L"12"}});
    ExpectError(L"Change PIN Error");
    EXPECT_EQ("1, 0, ChangePIN, Error: a2", LogRecords("ChangePIN").back());
    EXPECT_EQ("2468", AsText(Card().pin.value));

    // A PIN locked meanwhile.
    SetTries(0, 3);
    Press(kChangePin);
    Submit(Dialog(L"Change PIN"), {{kOldPin, L"2468"}, {kNewPin, L"1357"}, {kConfirm, L"1357"}});
    ExpectError(L"PIN Locked");
    EXPECT_EQ("1, 0, ChangePIN, Error: a4", LogRecords("ChangePIN").back());
    WaitForDetails(TokenLines(L"Pin Token", L"Locked", L"Ok"));
    EXPECT_EQ("2468", AsText(Card().pin.value));
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(PinCommandsTest, MismatchKeepsTheDialogAndCancelTouchesNothing)
{
    StartWithToken();
    // Any token access from here on would leave a record.
    ASSERT_TRUE(State().SetFault("C_OpenSession", 0x30, true)) << State().Error();

    Press(kChangePin);
    HWND dialog = Dialog(L"Change PIN");
    ASSERT_NE(nullptr, dialog);
    FillDialog(dialog, {{kOldPin, L"1234"}, {kNewPin, L"1111"}, {kConfirm, L"2222"}});
    ClickControl(dialog, IDOK);
    ExpectAppBox(L"PINs don't match", dialog);
    EXPECT_TRUE(IsVisible(dialog));
    EXPECT_EQ(L"1234", uidriver::Text(Control(dialog, kOldPin)));
    EXPECT_EQ(L"1111", uidriver::Text(Control(dialog, kNewPin)));
    EXPECT_EQ(L"2222", uidriver::Text(Control(dialog, kConfirm)));
    // Case counts.
    FillDialog(dialog, {{kNewPin, L"abcd"}, {kConfirm, L"ABCD"}});
    ClickControl(dialog, IDOK);
    ExpectAppBox(L"PINs don't match", dialog);
    ClickControl(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectNoBox();

    // The same for Unlock PIN, with its locked PIN shown.
    SetTries(0, 3);
    Reselect();
    WaitForDetails(TokenLines(L"Pin Token", L"Locked", L"Ok"));
    Press(kUnlockPin);
    dialog = Dialog(L"Unlock PIN");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"PUK", L"PIN", L"Confirm", L"Min Length: 4   -   Max Length: 16"}),
              StaticTexts(dialog));
    FillDialog(dialog, {{kPuk, L"12345678"}, {kNewPin, L"4444"}, {kConfirm, L"4445"}});
    ClickControl(dialog, IDOK);
    ExpectAppBox(L"PINs don't match", dialog);
    EXPECT_TRUE(IsVisible(dialog));
    EXPECT_EQ(L"12345678", uidriver::Text(Control(dialog, kPuk)));
    ClickControl(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectNoBox();
    EXPECT_TRUE(LogRecords("OpenSession.").empty());
    EXPECT_TRUE(LogRecords("UnlockPIN").empty());
    EXPECT_TRUE(LogRecords("ChangePIN").empty());

    // With matching texts the command needs a session: its failure is only logged.
    Press(kUnlockPin);
    Submit(Dialog(L"Unlock PIN"), {{kPuk, L"12345678"}, {kNewPin, L"4444"}, {kConfirm, L"4444"}});
    EXPECT_TRUE(WaitUntil([&] { return !LogRecords("OpenSession.").empty(); }, 5000));
    EXPECT_EQ((std::vector<std::string>{"1, 0, OpenSession., Error: 30"}), LogRecords("OpenSession."));
    ExpectNoBox();
    EXPECT_EQ(0, Card().pin.triesLeft);
    EXPECT_EQ(3, Card().puk.triesLeft);

    // While a dialog is up the refresh waits: a card pulled meanwhile goes
    // only after the command.
    Press(kChangePin);
    dialog = Dialog(L"Change PIN");
    ASSERT_NE(nullptr, dialog);
    ASSERT_TRUE(State().RemoveCard(kReader)) << State().Error();
    Sleep(2500);
    EXPECT_EQ(1u, TokenCount());
    ClickControl(dialog, IDCANCEL);
    EXPECT_TRUE(WaitUntil([&] { return TokenCount() == 0; }, 5000));
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(PinCommandsTest, ChangePukLogsOutBeforeAndAfter)
{
    StartWithToken();
    Login(L"1234");
    ASSERT_EQ(2u, Tokens()[0].children.size());
    EXPECT_FALSE(IsVisible(Button(kChangePuk)));

    // The PUK mode's texts; a wrong PUK.
    Press(kChangePuk);
    HWND dialog = Dialog(L"Change PUK");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"PUK", L"New PUK", L"Confirm", L"Min Length: 4   -   Max Length: 16"}),
              StaticTexts(dialog));
    Submit(dialog, {{kOldPin, L"00000000"}, {kNewPin, L"87654321"}, {kConfirm, L"87654321"}});
    ExpectError(L"Invalid PUK");
    EXPECT_EQ((std::vector<std::string>{"1, 0, ChangePUK, Error: a0"}), LogRecords("ChangePUK"));
    WaitForDetails(TokenLines(L"Pin Token", L"Ok", L"Two or more attempts left"));
    EXPECT_EQ(L"Login", Text(Button(kLogin)));
    EXPECT_EQ(kTokenLoggedOut, Buttons());
    EXPECT_TRUE(Tokens()[0].children.empty());
    EXPECT_EQ("12345678", AsText(Card().puk.value));
    // The module agrees: a user login works again.
    Login(L"1234");

    // A new PUK the module refuses.
    Press(kChangePuk);
    Submit(Dialog(L"Change PUK"), {{kOldPin, L"12345678"}, {kNewPin, L"12"}, {kConfirm, L"12"}});
    ExpectError(L"Change PUK Error");
    EXPECT_EQ("1, 0, ChangePUK, Error: a2", LogRecords("ChangePUK").back());
    EXPECT_EQ(L"Login", Text(Button(kLogin)));
    EXPECT_TRUE(Tokens()[0].children.empty());
    Login(L"1234");

    Press(kChangePuk);
    Submit(Dialog(L"Change PUK"), {{kOldPin, L"12345678"}, {kNewPin, L"87654321"}, {kConfirm, L"87654321"}});
    ExpectAppBox(L"PUK changed succesfully", m_main);
    EXPECT_EQ("87654321", AsText(Card().puk.value));
    EXPECT_EQ(3, Card().puk.triesLeft);
    WaitForDetails(TokenLines(L"Pin Token", L"Ok", L"Ok"));
    EXPECT_EQ(L"Login", Text(Button(kLogin)));
    EXPECT_EQ(kTokenLoggedOut, Buttons());
    EXPECT_TRUE(Tokens()[0].children.empty());
    EXPECT_EQ(2u, LogRecords("ChangePUK").size());
    Login(L"1234");

    // A locked PUK, from a logged-out token.
    Press(kLogin);
    ASSERT_TRUE(WaitUntil([&] { return Text(Button(kLogin)) == L"Login"; }));
    SetTries(3, 0);
    Press(kChangePuk);
    Submit(Dialog(L"Change PUK"), {{kOldPin, L"87654321"}, {kNewPin, L"11112222"}, {kConfirm, L"11112222"}});
    ExpectError(L"PUK Locked");
    EXPECT_EQ("1, 0, ChangePUK, Error: a4", LogRecords("ChangePUK").back());
    WaitForDetails(TokenLines(L"Pin Token", L"Ok", L"Locked"));
    Login(L"1234");
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(PinCommandsTest, UnlockPinWithThePuk)
{
    AddCard(kReader, "P0001", "Pin Token");
    SetTries(0, 3);
    StartProgram();
    ASSERT_TRUE(WaitUntil([&] { return TokenCount() == 1; }));
    WaitForDetails(TokenLines(L"Pin Token", L"Locked", L"Ok"));
    EXPECT_TRUE(IsEnabled(Button(kUnlockPin)));
    EXPECT_FALSE(IsVisible(Button(kUnlockPin)));

    Press(kUnlockPin);
    Submit(Dialog(L"Unlock PIN"), {{kPuk, L"11111111"}, {kNewPin, L"4444"}, {kConfirm, L"4444"}});
    ExpectError(L"Invalid PUK");
    EXPECT_EQ((std::vector<std::string>{"1, 0, UnlockPIN, Error: a0"}), LogRecords("UnlockPIN"));
    WaitForDetails(TokenLines(L"Pin Token", L"Locked", L"Two or more attempts left"));
    EXPECT_EQ(L"Login", Text(Button(kLogin)));

    // The right PUK with a PIN the module refuses; the PUK then counts again.
    Press(kUnlockPin);
    Submit(Dialog(L"Unlock PIN"), {{kPuk, L"12345678"}, {kNewPin, L"12"}, {kConfirm, L"12"}});
    ExpectError(L"Change PUK Error");
    EXPECT_EQ("1, 0, UnlockPIN, Error: a2", LogRecords("UnlockPIN").back());
    WaitForDetails(TokenLines(L"Pin Token", L"Locked", L"Ok"));
    Press(kUnlockPin);
    Submit(Dialog(L"Unlock PIN"), {{kPuk, L"11111111"}, {kNewPin, L"4444"}, {kConfirm, L"4444"}});
    ExpectError(L"Invalid PUK");
    EXPECT_EQ(0, Card().pin.triesLeft);
    EXPECT_EQ(2, Card().puk.triesLeft);

    Press(kUnlockPin);
    Submit(Dialog(L"Unlock PIN"), {{kPuk, L"12345678"}, {kNewPin, L"4444"}, {kConfirm, L"4444"}});
    ExpectAppBox(L"PIN unlocked succesfully", m_main);
    WaitForDetails(TokenLines(L"Pin Token", L"Ok", L"Ok"));
    EXPECT_EQ(L"Logout", Text(Button(kLogin)));
    EXPECT_EQ(kTokenLoggedIn, Buttons());
    EXPECT_FALSE(IsEnabled(Button(kUnlockPin)));
    EXPECT_EQ("4444", AsText(Card().pin.value));
    EXPECT_EQ(3, Card().pin.triesLeft);
    EXPECT_EQ(3, Card().puk.triesLeft);
    EXPECT_EQ(3u, LogRecords("UnlockPIN").size());
    // Logged in for real: the listing works without a prompt.
    Press(7);
    EXPECT_TRUE(WaitUntil([&] { return Tokens()[0].children.size() == 2; }, 5000));

    // A locked PUK.
    Press(kLogin);
    ASSERT_TRUE(WaitUntil([&] { return Text(Button(kLogin)) == L"Login"; }));
    SetTries(0, 0);
    Reselect();
    WaitForDetails(TokenLines(L"Pin Token", L"Locked", L"Locked"));
    Press(kUnlockPin);
    Submit(Dialog(L"Unlock PIN"), {{kPuk, L"12345678"}, {kNewPin, L"5555"}, {kConfirm, L"5555"}});
    ExpectError(L"PUK Locked");
    EXPECT_EQ("1, 0, UnlockPIN, Error: a4", LogRecords("UnlockPIN").back());
    EXPECT_EQ(L"Login", Text(Button(kLogin)));
    EXPECT_EQ("4444", AsText(Card().pin.value));
    EXPECT_TRUE(m_program.IsRunning());
}

TEST_F(PinCommandsTest, ChangeTokenName)
{
    StartWithToken();
    EXPECT_FALSE(IsEnabled(Button(kTokenName)));
    Login(L"1234");

    // A failure renames nothing.
    ASSERT_TRUE(State().SetFault("C_InitToken", 0x30, false)) << State().Error();
    Press(kTokenName);
    HWND dialog = Dialog(L"Set Token Name");
    ASSERT_NE(nullptr, dialog);
    EXPECT_EQ((std::vector<std::wstring>{L"Token Name"}), StaticTexts(dialog));
    Submit(dialog, {{1016, L"xyz"}});
    ExpectError(L"InitToken Error");
    EXPECT_EQ((std::vector<std::string>{"1, 0, InitToken, Error: 30"}), LogRecords("InitToken"));
    EXPECT_EQ(kTokenItem, Tokens()[0].text);
    EXPECT_EQ("Pin Token", AsText(Card().label));

    // Cancel: nothing.
    Press(kTokenName);
    dialog = Dialog(L"Set Token Name");
    ASSERT_NE(nullptr, dialog);
    FillDialog(dialog, {{1016, L"nope"}});
    ClickControl(dialog, IDCANCEL);
    ASSERT_TRUE(WaitForWindowGone(dialog));
    ExpectNoBox(500);
    EXPECT_EQ("Pin Token", AsText(Card().label));

    Press(kTokenName);
    Submit(Dialog(L"Set Token Name"), {{1016, L"abc"}});
    EXPECT_TRUE(WaitUntil([&] { return Tokens()[0].text == L"abc [Reader P]"; }, 5000)) << Tokens()[0].text.size();
    ExpectNoBox(500);
    EXPECT_EQ("abc", AsText(Card().label));
    WaitForDetails(TokenLines(L"abc", L"Ok", L"Ok"));
    // Nothing else changed: still logged in, listed.
    EXPECT_EQ(L"Logout", Text(Button(kLogin)));
    EXPECT_EQ(kTokenLoggedIn, Buttons());
    EXPECT_EQ(2u, Tokens()[0].children.size());
    EXPECT_EQ(1u, LogRecords("InitToken").size());
    EXPECT_TRUE(m_program.IsRunning());
}

// The templates of the three dialogs as tokarium.exe holds them.
struct ExpectedItem {
    uint32_t id;
    uint16_t windowClass;  // 0x80 button, 0x81 edit, 0x82 static
    const wchar_t* title;
    int16_t x, y, cx, cy;
    bool password;
};

struct ExpectedDialog {
    int id;
    const wchar_t* caption;
    int16_t cx, cy;
    std::vector<ExpectedItem> items;  // the edits, the length hint and the buttons
};

const wchar_t kHint[] = L"Min Length: 4   -   Max Length: 16";

TEST(PinDialogTemplates, MatchTheirLayout)
{
    const ExpectedDialog dialogs[] = {
        {141, L"Change PIN", 203, 101,
         {{1011, 0x81, L"", 68, 11, 128, 14, true}, {1010, 0x81, L"", 68, 31, 128, 14, true},
          {1009, 0x81, L"", 68, 50, 128, 14, true}, {1013, 0x82, L"PIN", 7, 14, 50, 8, false},
          {1014, 0x82, L"New PIN", 7, 34, 50, 8, false}, {1015, 0x82, L"Confirm", 7, 53, 50, 8, false},
          {1016, 0x82, kHint, 7, 68, 189, 8, false}, {IDOK, 0x80, L"OK", 49, 80, 50, 14, false},
          {IDCANCEL, 0x80, L"Cancel", 103, 80, 50, 14, false}}},
        {142, L"Unlock PIN", 203, 101,
         {{1012, 0x81, L"", 68, 11, 128, 14, true}, {1010, 0x81, L"", 68, 31, 128, 14, true},
          {1009, 0x81, L"", 68, 50, 128, 14, true}, {1016, 0x82, kHint, 7, 68, 189, 8, false},
          {IDOK, 0x80, L"OK", 49, 80, 50, 14, false}, {IDCANCEL, 0x80, L"Cancel", 103, 80, 50, 14, false}}},
        {143, L"Set Token Name", 203, 57,
         {{1016, 0x81, L"", 68, 15, 128, 14, false}, {IDOK, 0x80, L"OK", 92, 36, 50, 14, false},
          {IDCANCEL, 0x80, L"Cancel", 146, 36, 50, 14, false}}},
    };
    HMODULE program = LoadLibraryExW(WindowsPath(TREE_TEST_PROGRAM).c_str(), nullptr,
                                     LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    ASSERT_NE(nullptr, program);
    for (const ExpectedDialog& expected : dialogs) {
        SCOPED_TRACE(expected.id);
        HRSRC found = FindResourceW(program, MAKEINTRESOURCEW(expected.id), MAKEINTRESOURCEW(5));
        ASSERT_NE(nullptr, found);
        DialogTemplate dialog;
        ASSERT_TRUE(ParseDialogTemplate(LockResource(LoadResource(program, found)), SizeofResource(program, found),
                                        dialog));
        EXPECT_EQ(expected.caption, dialog.title);
        EXPECT_EQ(expected.cx, dialog.cx);
        EXPECT_EQ(expected.cy, dialog.cy);
        EXPECT_EQ(12, dialog.pointSize);
        EXPECT_EQ(L"Microsoft Sans Serif", dialog.typeface);
        for (const ExpectedItem& item : expected.items) {
            SCOPED_TRACE(item.id);
            const TemplateItem* actual = nullptr;
            for (const TemplateItem& candidate : dialog.items)
                if (candidate.id == item.id && candidate.windowClass.ordinal == item.windowClass)
                    actual = &candidate;
            ASSERT_NE(nullptr, actual);
            EXPECT_EQ(item.title, actual->title.text);
            EXPECT_EQ((std::vector<int>{item.x, item.y, item.cx, item.cy}),
                      (std::vector<int>{actual->x, actual->y, actual->cx, actual->cy}));
            if (item.windowClass == 0x81) {
                EXPECT_EQ(item.password, (actual->style & ES_PASSWORD) != 0);
                EXPECT_NE(0u, actual->style & ES_AUTOHSCROLL);
            }
        }
    }
    FreeLibrary(program);
}

}  // namespace

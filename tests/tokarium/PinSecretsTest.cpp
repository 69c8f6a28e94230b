// The PIN commands in this process, on the virtual module, with every block
// given back through operator delete searched for the typed secrets (as ANSI
// and as UTF-16 text) while a command runs: a copy that was not wiped is
// found there. The module's own heap is not searched.
#include "tests/uidriver/UiDriver.h"
#include "tokarium/app/TokariumDlg.h"
#include "vmw/tools/StateEditor.h"

#include <gtest/gtest.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <new>
#include <thread>

namespace {

// 16 characters: no string, narrow or wide, keeps them in its own object.
const char* const kSecrets[] = {"Qx7Wv2Kp9Zr4Ab1C", "Hm3Tj8Lc5Nb6Yd4F", "Gq2Ew7Pz1Xs5Ru8K",
                                "Ty6Ui9Oa3Sd1Fg7J", "Kl2Zx4Cv6Bn8Mq0W", "Er5Dt7Yh9Uj2Ik4L"};
const char* const kPin = kSecrets[0];
const char* const kNewPin = kSecrets[1];
const char* const kOtherPin = kSecrets[2];
const char* const kPuk = kSecrets[3];
const char* const kNewPuk = kSecrets[4];
const char* const kUnlockedPin = kSecrets[5];
const wchar_t* const kWide[] = {L"Qx7Wv2Kp9Zr4Ab1C", L"Hm3Tj8Lc5Nb6Yd4F", L"Gq2Ew7Pz1Xs5Ru8K",
                                L"Ty6Ui9Oa3Sd1Fg7J", L"Kl2Zx4Cv6Bn8Mq0W", L"Er5Dt7Yh9Uj2Ik4L"};
const wchar_t* const kWidePin = kWide[0];
const wchar_t* const kWideNewPin = kWide[1];
const wchar_t* const kWideOtherPin = kWide[2];
const wchar_t* const kWidePuk = kWide[3];
const wchar_t* const kWideNewPuk = kWide[4];
const wchar_t* const kWideUnlockedPin = kWide[5];

std::atomic<bool> g_watching(false);
std::atomic<int> g_secretsFreed(0);

bool Holds(const unsigned char* block, size_t size, const void* pattern, size_t length)
{
    for (size_t i = 0; i + length <= size; ++i)
        if (std::memcmp(block + i, pattern, length) == 0)
            return true;
    return false;
}

// A piece of this many characters of a secret counts as a copy: clearing a
// string overwrites its first character only.
const size_t kPiece = 6;

void Inspect(void* pointer)
{
    if (!pointer || !g_watching)
        return;
    const unsigned char* block = static_cast<const unsigned char*>(pointer);
    size_t size = _msize(pointer);
    for (size_t i = 0; i < sizeof kSecrets / sizeof kSecrets[0]; ++i) {
        for (size_t start = 0; start + kPiece <= std::strlen(kSecrets[i]); ++start) {
            if (Holds(block, size, kSecrets[i] + start, kPiece)
                || Holds(block, size, kWide[i] + start, kPiece * sizeof(wchar_t))) {
                ++g_secretsFreed;
                return;
            }
        }
    }
}

}  // namespace

// operator new hands out malloc blocks, so free is right here.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

void* operator new(size_t size)
{
    void* block = std::malloc(size ? size : 1);
    if (!block)
        throw std::bad_alloc();
    return block;
}
void* operator new[](size_t size) { return operator new(size); }
void operator delete(void* block) noexcept
{
    Inspect(block);
    std::free(block);
}
void operator delete[](void* block) noexcept { operator delete(block); }
void operator delete(void* block, size_t) noexcept { operator delete(block); }
void operator delete[](void* block, size_t) noexcept { operator delete(block); }

namespace {

// The application object gives the application message boxes their caption.
CWinApp g_app(L"pin-secrets");

using uidriver::MessageBoxView;

// The main window's commands without its window: one token record in a tree
// of the test's own, over the virtual module.
class CommandWindow : public CTokariumDlg {
public:
    CK_RV Bind(const char* modulePath, const char* reader, HWND tree)
    {
        m_tree.Attach(tree);
        CK_RV rv = m_cryptoki.Attach(modulePath);
        if (rv == CKR_OK)
            rv = m_cryptoki.Initialize();
        CK_SLOT_ID slot = 0;
        if (rv == CKR_OK)
            rv = m_cryptoki.GetSlotID(reader, slot);
        if (rv != CKR_OK)
            return rv;
        TokenRecord* token = new TokenRecord();
        token->slotId = static_cast<uint32_t>(slot);
        strncpy(token->readerName, reader, sizeof token->readerName - 1);
        token->treeItem = m_tree.InsertItem(L"Token", IMAGE_TOKEN, IMAGE_TOKEN, TVI_ROOT, TVI_LAST);
        m_tree.SetItemData(token->treeItem, reinterpret_cast<DWORD_PTR>(token));
        m_tokens[reader] = token;
        m_tree.SelectItem(token->treeItem);
        return CKR_OK;
    }
    ~CommandWindow() override { m_tree.Detach(); }
    void ChangePin() { OnChangePINCommand(); }
    void ChangePuk() { OnChangePUKCommand(); }
    void UnlockPin() { OnUnlockPINCommand(); }
    void LogIn()
    {
        TokenRecord* token = GetSelectedToken();
        loginResult = token && EnsureSession(token) ? PromptLogin(token->session) : 1;
    }
    unsigned long loginResult = 1;
};

// Answers the command's windows from a second thread while the command's
// modal loops run on this one; when a step fails it cancels whatever is open
// until the command has returned.
class Driver {
public:
    explicit Driver(std::function<bool()> script)
        : m_thread([this, script] {
              m_succeeded = script();
              while (!m_done) {
                  for (HWND window : uidriver::TopLevelWindows(GetCurrentProcessId()))
                      if (uidriver::ClassName(window) == L"#32770")
                          PostMessageW(window, WM_COMMAND, IDCANCEL, 0);
                  Sleep(50);
              }
          })
    {
    }
    // True when every step of the script succeeded.
    bool Finish()
    {
        m_done = true;
        m_thread.join();
        return m_succeeded;
    }

private:
    std::atomic<bool> m_done{false};
    std::atomic<bool> m_succeeded{false};
    std::thread m_thread;
};

HWND WaitForDialog(const wchar_t* caption)
{
    return uidriver::WaitForWindow(GetCurrentProcessId(), caption, L"#32770");
}

// Waits for the application message box with the text and presses OK.
bool Acknowledge(const wchar_t* text)
{
    MessageBoxView box;
    if (!uidriver::WaitForMessageBox(GetCurrentProcessId(), box, L"pin-secrets") || box.text != text)
        return false;
    return uidriver::AnswerMessageBox(box, L"OK") && uidriver::WaitForWindowGone(box.window);
}

// Types the texts into the dialog's edits and presses OK. The texts are sent
// as they stand: a string object of ours holding a secret would be freed too.
bool Submit(HWND dialog, std::initializer_list<std::pair<int, const wchar_t*>> fields)
{
    if (!dialog)
        return false;
    for (const auto& field : fields) {
        DWORD_PTR ignored = 0;
        if (!SendMessageTimeoutW(GetDlgItem(dialog, field.first), WM_SETTEXT, 0,
                                 reinterpret_cast<LPARAM>(field.second), SMTO_ABORTIFHUNG, 5000, &ignored))
            return false;
    }
    uidriver::ClickControl(dialog, IDOK);
    return true;
}

class PinSecretsTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string program = TREE_TEST_PROGRAM;
        HMODULE resources = LoadLibraryExW(uidriver::WindowsPath(program).c_str(), nullptr,
                                           LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(nullptr, resources);
        AfxSetResourceHandle(resources);
        m_module = program.substr(0, program.rfind('/')) + "/nimbrel.dll";

        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        m_root = std::string(temp) + "pin-secrets-" + std::to_string(GetCurrentProcessId());
        SetEnvironmentVariableA("QUORIN_VMW_STATE", m_root.c_str());
        m_editor = new vmw::StateEditor(vmw::StateFolder(m_root));
        ASSERT_TRUE(m_editor->Init()) << m_editor->Error();
        ASSERT_TRUE(m_editor->AddReader("Reader S")) << m_editor->Error();
        vmw::CardDetails card;
        card.serial = "S0001";
        card.pin = kPin;
        card.puk = kPuk;
        ASSERT_TRUE(m_editor->CreateCard("Reader S", card)) << m_editor->Error();

        m_tree = CreateWindowExW(0, WC_TREEVIEWW, L"", WS_POPUP, 0, 0, 200, 200, nullptr, nullptr, nullptr, nullptr);
        ASSERT_NE(nullptr, m_tree);
        m_window = new CommandWindow();
        ASSERT_EQ(CKR_OK, m_window->Bind(WindowsPathA(m_module).c_str(), "Reader S", m_tree));
    }

    void TearDown() override
    {
        g_watching = false;
        delete m_window;
        if (m_tree)
            DestroyWindow(m_tree);
        delete m_editor;
    }

    static std::string WindowsPathA(const std::string& path)
    {
        std::wstring wide = uidriver::WindowsPath(path);
        return std::string(wide.begin(), wide.end());
    }

    // Runs the command with the script answering it; the secrets are watched
    // for the command's whole run.
    void Run(void (CommandWindow::*command)(), std::function<bool()> script)
    {
        g_secretsFreed = 0;
        Driver driver(script);
        g_watching = true;
        (m_window->*command)();
        g_watching = false;
        EXPECT_TRUE(driver.Finish()) << "the script did not run to its end";
        EXPECT_EQ(0, g_secretsFreed.load()) << "freed blocks held a typed secret";
    }

    vmw::TokenState Card()
    {
        vmw::TokenState token;
        EXPECT_TRUE(m_editor->LoadCard("Reader S", token)) << m_editor->Error();
        return token;
    }

    std::string m_module;
    std::string m_root;
    vmw::StateEditor* m_editor = nullptr;
    HWND m_tree = nullptr;
    CommandWindow* m_window = nullptr;
};

std::string AsText(const vmw::Bytes& bytes) { return std::string(bytes.begin(), bytes.end()); }

TEST_F(PinSecretsTest, ChangePinAfterAMismatch)
{
    Run(&CommandWindow::ChangePin, [] {
        HWND dialog = WaitForDialog(L"Change PIN");
        return Submit(dialog, {{1011, kWidePin}, {1010, kWideNewPin}, {1009, kWideOtherPin}})
            && Acknowledge(L"PINs don't match")
            && Submit(dialog, {{1009, kWideNewPin}})
            && Acknowledge(L"PIN changed succesfully");
    });
    EXPECT_EQ(kNewPin, AsText(Card().pin.value));
}

TEST_F(PinSecretsTest, ChangePuk)
{
    Run(&CommandWindow::ChangePuk, [] {
        return Submit(WaitForDialog(L"Change PUK"), {{1011, kWidePuk}, {1010, kWideNewPuk}, {1009, kWideNewPuk}})
            && Acknowledge(L"PUK changed succesfully");
    });
    EXPECT_EQ(kNewPuk, AsText(Card().puk.value));
}

TEST_F(PinSecretsTest, UnlockPin)
{
    vmw::TokenState token = Card();
    token.pin.triesLeft = 0;
    ASSERT_TRUE(m_editor->SaveCard("Reader S", token)) << m_editor->Error();
    Run(&CommandWindow::UnlockPin, [] {
        HWND dialog = WaitForDialog(L"Unlock PIN");
        return Submit(dialog, {{1012, kWidePuk}, {1010, kWideUnlockedPin}, {1009, kWideOtherPin}})
            && Acknowledge(L"PINs don't match")
            && Submit(dialog, {{1009, kWideUnlockedPin}})
            && Acknowledge(L"PIN unlocked succesfully");
    });
    EXPECT_EQ(kUnlockedPin, AsText(Card().pin.value));
    EXPECT_EQ(3, Card().pin.triesLeft);
}

TEST_F(PinSecretsTest, LoginPrompt)
{
    Run(&CommandWindow::LogIn, [] {
        HWND dialog = WaitForDialog(L"Insert PIN");
        return Submit(dialog, {{1008, kWidePin}}) && uidriver::WaitForWindowGone(dialog);
    });
    EXPECT_EQ(0u, m_window->loginResult);
}

}  // namespace

#pragma once
// tokarium.exe on the virtual middleware, driven from outside: a private state
// folder the test changes between refresh ticks, the program started from a
// folder that holds it with nimbrel.dll and winscard.dll, its log read back.

#include "tests/uidriver/UiDriver.h"
#include "vmw/tools/StateEditor.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace treetest {

// Captions and enabled state of the eleven command buttons.
struct Availability {
    bool login, changePin, changePuk, changeTokenName, exportCertificate, import, refresh,
        registerCertificates, resetDevice, viewDetails;
    std::wstring button4;
};
bool operator==(const Availability& a, const Availability& b);
std::ostream& operator<<(std::ostream& out, const Availability& a);

extern const Availability kRootSelected;
extern const Availability kTokenLoggedOut;
extern const Availability kTokenLoggedIn;
extern const Availability kFolderSelected;
extern const Availability kCertificateSelected;
extern const Availability kKeyPairSelected;

class TokenTreeHarness : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    vmw::StateEditor& State() { return *m_editor; }
    void AddCard(const std::string& reader, const std::string& serial, const std::string& label,
                 const std::string& pin = "1234");
    void PutCertificate(const std::string& reader, const std::string& file, bool authority,
                        const char* label = nullptr);
    void PutKey(const std::string& reader, const std::string& keyFile, const char* certificateFile,
                const char* label = nullptr);

    void StartProgram();
    std::vector<uidriver::TreeItem> Tokens();
    std::vector<std::wstring> Details();
    Availability Buttons();
    HWND Button(int id) { return uidriver::Control(m_main, id); }
    HWND Tree() { return uidriver::Control(m_main, 1002); }
    // Selects the item as a click would (the selection handler runs).
    void Select(HTREEITEM item);
    void DoubleClick(HTREEITEM item);
    // Waits for the PIN dialog, types the PIN (or cancels when null) and presses the button.
    void AnswerPin(const wchar_t* pin);
    // Waits for an "Error" box with this text and presses OK.
    void ExpectErrorBox(const std::wstring& text);
    std::string ReadLog() const;
    // Log records (without their time stamps) that contain the text.
    std::vector<std::string> LogRecords(const std::string& containing) const;
    size_t TokenCount() { return Tokens().size(); }

    std::string m_root;        // Windows path of the state folder
    std::wstring m_appdata;
    vmw::StateEditor* m_editor = nullptr;
    uidriver::Program m_program;
    HWND m_main = nullptr;
};

std::string DataFile(const std::string& name);

}  // namespace treetest

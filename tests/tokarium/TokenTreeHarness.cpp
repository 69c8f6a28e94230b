#include "tests/tokarium/TokenTreeHarness.h"

#include "vmw/state/StateFolder.h"
#include "vmw/tools/Der.h"

#include <cstring>
#include <fstream>
#include <iterator>
#include <sstream>

using namespace uidriver;

namespace treetest {

const Availability kRootSelected = {false, false, false, false, false, false, false, false, false, false, L"Reset Device"};
const Availability kTokenLoggedOut = {true, true, true, false, false, false, false, true, false, false, L"Reset Device"};
const Availability kTokenLoggedIn = {true, true, true, true, false, true, true, true, true, false, L"Reset Device"};
const Availability kFolderSelected = {true, true, true, true, false, true, true, true, true, false, L"Delete Folder"};
const Availability kCertificateSelected = {true, true, true, true, true, true, true, true, true, true, L"Delete"};
const Availability kKeyPairSelected = {true, true, true, true, false, false, true, true, false, false, L"Delete"};

bool operator==(const Availability& a, const Availability& b)
{
    return a.login == b.login && a.changePin == b.changePin && a.changePuk == b.changePuk
        && a.changeTokenName == b.changeTokenName && a.exportCertificate == b.exportCertificate
        && a.import == b.import && a.refresh == b.refresh && a.registerCertificates == b.registerCertificates
        && a.resetDevice == b.resetDevice && a.viewDetails == b.viewDetails && a.button4 == b.button4;
}

std::ostream& operator<<(std::ostream& out, const Availability& a)
{
    std::string caption(a.button4.begin(), a.button4.end());
    return out << "login " << a.login << " pin " << a.changePin << " puk " << a.changePuk << " name "
               << a.changeTokenName << " export " << a.exportCertificate << " import " << a.import << " refresh "
               << a.refresh << " register " << a.registerCertificates << " reset " << a.resetDevice << " view "
               << a.viewDetails << " \"" << caption << "\"";
}

std::string DataFile(const std::string& name) { return std::string("Z:") + TREE_TEST_DATA + "/" + name; }

namespace {

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path.c_str(), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

vmw::Bytes Der(const std::string& file)
{
    vmw::Bytes der;
    EXPECT_TRUE(vmw::DecodeDerOrPem(ReadFile(DataFile(file)), der)) << file;
    return der;
}

std::string Narrow(const std::wstring& text)
{
    std::string narrow;
    for (wchar_t c : text)
        narrow += static_cast<char>(c);
    return narrow;
}

}  // namespace

void TokenTreeHarness::SetUp()
{
    wchar_t temp[MAX_PATH];
    GetTempPathW(MAX_PATH, temp);
    std::wstring base = std::wstring(temp) + L"tokarium-tree-" + std::to_wstring(GetCurrentProcessId()) + L"-"
        + std::to_wstring(GetTickCount());
    ASSERT_TRUE(CreateDirectoryW(base.c_str(), nullptr));
    m_appdata = base;
    m_root = Narrow(base) + "\\vmw";
    m_editor = new vmw::StateEditor(vmw::StateFolder(m_root));
    ASSERT_TRUE(m_editor->Init()) << m_editor->Error();
}

void TokenTreeHarness::TearDown()
{
    m_program.Terminate();
    delete m_editor;
    m_editor = nullptr;
    // Temporary folders of the Wine prefix are left for the session's end.
}

void TokenTreeHarness::AddCard(const std::string& reader, const std::string& serial, const std::string& label,
                               const std::string& pin)
{
    if (!State().State().HasReader(reader)) {
        ASSERT_TRUE(State().AddReader(reader)) << State().Error();
    }
    vmw::CardDetails card;
    card.serial = serial;
    card.label = label;
    card.pin = pin;
    ASSERT_TRUE(State().CreateCard(reader, card)) << State().Error();
}

void TokenTreeHarness::PutCertificate(const std::string& reader, const std::string& file, bool authority,
                                      const char* label)
{
    vmw::ObjectNaming naming;
    if (label) {
        naming.hasLabel = true;
        naming.label = vmw::BytesOf(label);
        naming.hasId = true;
        naming.id = vmw::BytesOf(label);
    }
    unsigned long id = 0;
    ASSERT_TRUE(State().PutCertificate(reader, Der(file), authority, naming, id)) << State().Error();
}

void TokenTreeHarness::PutKey(const std::string& reader, const std::string& keyFile, const char* certificateFile,
                              const char* label)
{
    vmw::ObjectNaming naming;
    if (label) {
        naming.hasLabel = true;
        naming.label = vmw::BytesOf(label);
        naming.hasId = true;
        naming.id = vmw::BytesOf(label);
    }
    vmw::Bytes certificate;
    if (certificateFile)
        certificate = Der(certificateFile);
    unsigned long id = 0;
    ASSERT_TRUE(State().PutPrivateKey(reader, Der(keyFile), certificateFile ? &certificate : nullptr, false, naming, id))
        << State().Error();
}

void TokenTreeHarness::StartProgram()
{
    m_program.SetEnvironment(L"APPDATA", m_appdata);
    m_program.SetEnvironment(L"QUORIN_VMW_STATE", std::wstring(m_root.begin(), m_root.end()));
    ASSERT_TRUE(m_program.Start(WindowsPath(TREE_TEST_PROGRAM))) << "error " << GetLastError();
    m_main = WaitForWindow(m_program.Id(), L"Quorin Tokarium", L"#32770");
    ASSERT_NE(nullptr, m_main) << "no main window";
}

std::vector<TreeItem> TokenTreeHarness::Tokens()
{
    std::vector<TreeItem> items = TreeItems(Tree());
    return items.empty() ? std::vector<TreeItem>() : items[0].children;
}

std::vector<std::wstring> TokenTreeHarness::Details() { return ListBoxLines(Control(m_main, 1001)); }

Availability TokenTreeHarness::Buttons()
{
    return Availability{IsEnabled(Button(8)), IsEnabled(Button(3)), IsEnabled(Button(1007)),
                        IsEnabled(Button(11)), IsEnabled(Button(6)), IsEnabled(Button(5)),
                        IsEnabled(Button(7)), IsEnabled(Button(9)), IsEnabled(Button(4)),
                        IsEnabled(Button(59411)), Text(Button(4))};
}

void TokenTreeHarness::Select(HTREEITEM item)
{
    DWORD_PTR result = 0;
    SendMessageTimeoutW(Tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item), SMTO_NORMAL, 5000,
                        &result);
}

void TokenTreeHarness::DoubleClick(HTREEITEM item)
{
    Select(item);
    // The item's rectangle is asked for through memory of the tree's process.
    DWORD processId = 0;
    GetWindowThreadProcessId(Tree(), &processId);
    HANDLE process = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, processId);
    ASSERT_NE(nullptr, process);
    void* remote = VirtualAllocEx(process, nullptr, sizeof(RECT), MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    ASSERT_NE(nullptr, remote);
    RECT rect = {};
    memcpy(&rect, &item, sizeof item);
    SIZE_T done = 0;
    WriteProcessMemory(process, remote, &rect, sizeof rect, &done);
    DWORD_PTR ok = 0;
    SendMessageTimeoutW(Tree(), TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(remote), SMTO_NORMAL, 5000, &ok);
    ReadProcessMemory(process, remote, &rect, sizeof rect, &done);
    VirtualFreeEx(process, remote, 0, MEM_RELEASE);
    CloseHandle(process);
    ASSERT_NE(0u, ok) << "item not visible";
    LPARAM point = MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
    PostMessageW(Tree(), WM_LBUTTONDBLCLK, MK_LBUTTON, point);
    PostMessageW(Tree(), WM_LBUTTONUP, 0, point);
}

void TokenTreeHarness::AnswerPin(const wchar_t* pin)
{
    HWND dialog = WaitForWindow(m_program.Id(), L"Insert PIN", L"#32770");
    ASSERT_NE(nullptr, dialog) << "no PIN dialog";
    if (pin) {
        FillDialog(dialog, {{1008, pin}});
        ClickControl(dialog, IDOK);
    } else {
        ClickControl(dialog, IDCANCEL);
    }
    ASSERT_TRUE(WaitForWindowGone(dialog));
}

void TokenTreeHarness::ExpectErrorBox(const std::wstring& text)
{
    MessageBoxView box;
    ASSERT_TRUE(WaitForMessageBox(m_program.Id(), box, L"Error")) << "no message box";
    EXPECT_EQ(text, box.text);
    EXPECT_TRUE(box.hasIcon);
    ASSERT_TRUE(AnswerMessageBox(box, L"OK"));
    ASSERT_TRUE(WaitForWindowGone(box.window));
}

std::string TokenTreeHarness::ReadLog() const
{
    std::string path(m_appdata.begin(), m_appdata.end());
    return ReadFile(path + "\\tokarium.log");
}

std::vector<std::string> TokenTreeHarness::LogRecords(const std::string& containing) const
{
    std::vector<std::string> records;
    std::istringstream lines(ReadLog());
    std::string line;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        size_t end = line.find("], ");
        std::string record = end == std::string::npos ? line : line.substr(end + 3);
        if (record.find(containing) != std::string::npos)
            records.push_back(record);
    }
    return records;
}

}  // namespace treetest

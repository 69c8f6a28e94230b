// demo-login PIN [SECONDS]: in the running tokarium, waits for the first token,
// logs in with the PIN as a user would (Login, the PIN dialog, OK), waits for
// its certificates, opens the first user certificate and selects it. Exit code 0 when
// all of it happened in time. Used by the demo before its screenshot.
#include "tests/uidriver/UiDriver.h"

#include <cstdio>
#include <cwchar>
#include <string>

using namespace uidriver;

namespace {

const TreeItem* FirstUserCertificate(const std::vector<TreeItem>& tokens)
{
    for (const TreeItem& token : tokens)
        for (const TreeItem& folder : token.children)
            if (folder.text == L"User Certificates" && !folder.children.empty())
                return &folder.children[0];
    return nullptr;
}

int Fail(const char* what)
{
    fprintf(stderr, "demo-login: %s\n", what);
    return 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 2)
        return Fail("usage: demo-login PIN [SECONDS]");
    DWORD wait = (argc > 2 ? static_cast<DWORD>(_wtoi(argv[2])) : 30) * 1000;
    HWND main = nullptr;
    WaitUntil([&] { return (main = FindWindowW(L"#32770", L"Quorin Tokarium")) != nullptr; }, wait);
    if (!main)
        return Fail("no tokarium window");
    DWORD processId = 0;
    GetWindowThreadProcessId(main, &processId);
    HWND tree = Control(main, 1002);
    auto tokens = [&] {
        std::vector<TreeItem> items = TreeItems(tree);
        return items.empty() ? std::vector<TreeItem>() : items[0].children;
    };
    if (!WaitUntil([&] { return !tokens().empty(); }, wait))
        return Fail("no token in the tree");
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(tokens()[0].handle));
    ClickControl(main, 8);
    HWND prompt = WaitForWindow(processId, L"Insert PIN", L"#32770", wait);
    if (!prompt)
        return Fail("no PIN dialog");
    FillDialog(prompt, {{1008, argv[1]}});
    ClickControl(prompt, IDOK);
    const TreeItem* certificate = nullptr;
    std::vector<TreeItem> listed;
    if (!WaitUntil([&] { listed = tokens(); return (certificate = FirstUserCertificate(listed)) != nullptr; }, wait))
        return Fail("no certificates listed");
    // Opened as a user would click its plus sign, so that its key pair shows.
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(certificate->handle));
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(certificate->handle));
    return 0;
}

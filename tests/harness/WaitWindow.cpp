// wait-window SECONDS CAPTION...: waits until a visible top-level window with
// each caption exists; exit code 0 when all appeared in time, 1 otherwise.
// Used by scripts that need to know a program has shown what it should.
#include <windows.h>

#include <string>
#include <vector>

namespace {

struct Search {
    const std::wstring* caption;
    bool found;
};

BOOL CALLBACK Check(HWND window, LPARAM parameter)
{
    Search* search = reinterpret_cast<Search*>(parameter);
    if (!IsWindowVisible(window))
        return TRUE;
    wchar_t text[512] = L"";
    GetWindowTextW(window, text, 512);
    if (*search->caption == text) {
        search->found = true;
        return FALSE;
    }
    return TRUE;
}

bool Visible(const std::wstring& caption)
{
    Search search{&caption, false};
    EnumWindows(Check, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

int wmain(int argc, wchar_t** argv)
{
    if (argc < 3)
        return 2;
    DWORD limit = static_cast<DWORD>(_wtoi(argv[1])) * 1000;
    std::vector<std::wstring> captions(argv + 2, argv + argc);
    DWORD start = GetTickCount();
    for (;;) {
        bool all = true;
        for (const std::wstring& caption : captions)
            all = all && Visible(caption);
        if (all)
            return 0;
        if (GetTickCount() - start > limit)
            return 1;
        Sleep(100);
    }
}

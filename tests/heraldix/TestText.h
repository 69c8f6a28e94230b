// Helpers shared by heraldix's in-process tests.
#pragma once
#include <windows.h>
#include <string>

// Wide text as the thread's ANSI code page shows it.
inline std::string Ansi(const wchar_t* wide)
{
    int size = WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, nullptr, 0, nullptr, nullptr);
    std::string text(size > 0 ? size : 1, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, wide, -1, &text[0], size, nullptr, nullptr);
    text.resize(size > 0 ? size - 1 : 0);
    return text;
}

// Replaces the user's and the system's default languages for one test.
class LanguageOverride {
public:
    LanguageOverride(LANGID user, LANGID system);
    ~LanguageOverride();
};

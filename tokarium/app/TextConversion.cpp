#include "tokarium/app/TextConversion.h"

#include <windows.h>

#include <cstring>
#include <cwchar>
#include <vector>

std::wstring ToWide(const char* text)
{
    if (!text || !*text)
        return std::wstring();
    size_t length = strlen(text);
    // Room for every character to become a base and one combining character.
    std::vector<wchar_t> buffer(2 * (length + 1));
    int converted = MultiByteToWideChar(CP_ACP, MB_COMPOSITE, text, -1, buffer.data(),
                                        static_cast<int>(buffer.size()));
    if (converted <= 0)
        return std::wstring();
    return std::wstring(buffer.data());
}

std::string ToNarrow(const wchar_t* text)
{
    if (!text || !*text)
        return std::string();
    // A multi-byte ANSI code page can need more than one byte per UTF-16 unit:
    // ask for the size instead of assuming one.
    int needed = WideCharToMultiByte(CP_ACP, 0, text, -1, nullptr, 0, nullptr, nullptr);
    if (needed <= 0)
        return std::string();
    std::vector<char> buffer(static_cast<size_t>(needed));
    int converted = WideCharToMultiByte(CP_ACP, 0, text, -1, buffer.data(), needed, nullptr, nullptr);
    if (converted <= 0)
        return std::string();
    return std::string(buffer.data());
}

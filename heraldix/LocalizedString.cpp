#include "heraldix/LocalizedString.h"

HMODULE g_resourceModule = nullptr;
LanguageQuery g_userDefaultLanguage = GetUserDefaultLangID;
LanguageQuery g_systemDefaultLanguage = GetSystemDefaultLangID;

namespace {

const LANGID LANGUAGE_SPANISH_MODERN = 0x0C0A;
const LANGID LANGUAGE_SPANISH_TRADITIONAL = 0x040A;
const LANGID LANGUAGE_ENGLISH_US = 0x0409;
const LANGID LANGUAGE_ITALIAN = 0x0410;
const LANGID LANGUAGE_PORTUGUESE_PORTUGAL = 0x0816;

std::string ToAnsi(const std::wstring& wide)
{
    if (wide.empty())
        return std::string();
    const WCHAR* units = wide.data();
    int count = static_cast<int>(wide.size());
    int size = WideCharToMultiByte(CP_THREAD_ACP, 0, units, count, nullptr, 0, nullptr, nullptr);
    if (size <= 0)
        return std::string();
    std::string text(size, '\0');
    WideCharToMultiByte(CP_THREAD_ACP, 0, units, count, &text[0], size, nullptr, nullptr);
    return text;
}

}  // namespace

LANGID MapUserLanguage(LANGID userLanguage)
{
    if (userLanguage == LANGUAGE_SPANISH_MODERN)
        userLanguage = LANGUAGE_SPANISH_TRADITIONAL;
    switch (PRIMARYLANGID(userLanguage)) {
    case LANG_ENGLISH: return LANGUAGE_ENGLISH_US;
    case LANG_ITALIAN: return LANGUAGE_ITALIAN;
    case LANG_SPANISH: return LANGUAGE_SPANISH_TRADITIONAL;
    case LANG_PORTUGUESE: return LANGUAGE_PORTUGUESE_PORTUGAL;
    default: return userLanguage;
    }
}

bool FindStringInLanguage(HMODULE module, UINT id, LANGID language, std::wstring& text)
{
    HRSRC found = FindResourceExA(module, RT_STRING, MAKEINTRESOURCEA(id / 16 + 1), language);
    if (!found)
        return false;
    HGLOBAL loaded = LoadResource(module, found);
    const WCHAR* block = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
    if (!block)
        return false;
    // A block holds 16 entries, each a count of UTF-16 units and the units.
    const WCHAR* end = block + SizeofResource(module, found) / sizeof(WCHAR);
    const WCHAR* entry = block;
    for (UINT skip = id % 16; skip > 0; --skip) {
        if (entry >= end)
            return false;
        entry += 1 + *entry;
    }
    if (entry >= end || *entry == 0 || entry + 1 + *entry > end)
        return false;
    text.assign(entry + 1, entry + 1 + *entry);
    return true;
}

std::string LoadLocalizedStringFor(HMODULE module, UINT id, LANGID userLanguage, LANGID systemLanguage)
{
    std::wstring text;
    if (FindStringInLanguage(module, id, MapUserLanguage(userLanguage), text) ||
        FindStringInLanguage(module, id, systemLanguage, text) ||
        FindStringInLanguage(module, id, LANGUAGE_ENGLISH_US, text))
        return ToAnsi(text);
    return std::string();
}

std::string LoadLocalizedString(UINT id)
{
    return LoadLocalizedStringFor(g_resourceModule, id, g_userDefaultLanguage(), g_systemDefaultLanguage());
}

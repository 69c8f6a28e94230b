// Texts of the string table in the user's language, as ANSI text.
#pragma once
#include <windows.h>
#include <string>

// The module whose string table is read; set once at start-up.
extern HMODULE g_resourceModule;

// Where the user's and the system's default languages come from; tests replace them.
using LanguageQuery = LANGID(WINAPI*)();
extern LanguageQuery g_userDefaultLanguage;
extern LanguageQuery g_systemDefaultLanguage;

// The entry `id` in the language picked from the user's and the system's
// default languages; empty when no language has it.
std::string LoadLocalizedString(UINT id);

// The same rule with the languages given, for any module.
std::string LoadLocalizedStringFor(HMODULE module, UINT id, LANGID userLanguage, LANGID systemLanguage);

// The language of the table that the user's language maps to.
LANGID MapUserLanguage(LANGID userLanguage);

// The entry in exactly this language; false when that language lacks it.
bool FindStringInLanguage(HMODULE module, UINT id, LANGID language, std::wstring& text);

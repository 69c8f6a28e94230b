#include "heraldix/LocalizedString.h"
#include "tests/heraldix/TestText.h"

namespace {
LANGID userLanguage = 0x0409;
LANGID systemLanguage = 0x0409;
LANGID WINAPI UserLanguage() { return userLanguage; }
LANGID WINAPI SystemLanguage() { return systemLanguage; }
}  // namespace

LanguageOverride::LanguageOverride(LANGID user, LANGID system)
{
    userLanguage = user;
    systemLanguage = system;
    g_userDefaultLanguage = UserLanguage;
    g_systemDefaultLanguage = SystemLanguage;
}

LanguageOverride::~LanguageOverride()
{
    g_userDefaultLanguage = GetUserDefaultLangID;
    g_systemDefaultLanguage = GetSystemDefaultLangID;
}

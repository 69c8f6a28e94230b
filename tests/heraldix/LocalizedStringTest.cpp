// The string table in five languages and the rule that picks one.
#include "heraldix/LocalizedString.h"
#include "heraldix/resource.h"
#include "tests/heraldix/ExpectedTexts.h"
#include "tests/heraldix/TestText.h"

#include <gtest/gtest.h>

namespace {

HMODULE Self() { return GetModuleHandleA(nullptr); }

TEST(StringTable, EveryTextIsStoredAsItsUtf16Text)
{
    for (const LanguageTexts& table : EXPECTED_TEXTS) {
        for (UINT id = IDS_TITLE; id <= IDS_STORE_UPDATED; ++id) {
            SCOPED_TRACE(std::string(table.name) + " " + std::to_string(id));
            std::wstring text;
            ASSERT_TRUE(FindStringInLanguage(Self(), id, table.language, text));
            EXPECT_EQ(text, table.texts[id - IDS_TITLE]);
        }
    }
}

TEST(StringTable, OnlyTheFiveLanguagesAndTheTwelveIdsExist)
{
    std::wstring text;
    EXPECT_FALSE(FindStringInLanguage(Self(), IDS_EXIT, 0x0C0A, text));
    EXPECT_FALSE(FindStringInLanguage(Self(), IDS_EXIT, 0x0416, text));
    EXPECT_FALSE(FindStringInLanguage(Self(), IDS_EXIT, 0x0809, text));
    EXPECT_FALSE(FindStringInLanguage(Self(), 10000, 0x0409, text));
    EXPECT_FALSE(FindStringInLanguage(Self(), 10013, 0x0409, text));
}

struct LanguageCase {
    LANGID user;
    LANGID system;
    LANGID expectedTable;
};

TEST(LoadLocalizedString, PicksTheLanguageByTheRule)
{
    const LanguageCase cases[] = {
        {0x0409, 0x0409, 0x0409},  // English (US)
        {0x0809, 0x0407, 0x0409},  // English (UK)
        {0x040A, 0x0409, 0x040A},  // Spanish, traditional sort
        {0x0C0A, 0x0409, 0x040A},  // Spanish, modern sort
        {0x080A, 0x0409, 0x040A},  // Spanish (Mexico)
        {0x0410, 0x0409, 0x0410},  // Italian
        {0x0810, 0x0409, 0x0410},  // Italian (Switzerland)
        {0x0424, 0x0409, 0x0424},  // Slovenian
        {0x0816, 0x0409, 0x0816},  // Portuguese (Portugal)
        {0x0416, 0x0409, 0x0816},  // Portuguese (Brazil)
        {0x040C, 0x0410, 0x0410},  // French user, Italian system
        {0x040C, 0x0424, 0x0424},  // French user, Slovenian system
        {0x040C, 0x0407, 0x0409},  // French user, German system
        {0x040C, 0x0416, 0x0409},  // the system language is not mapped
        {0x040C, 0x0C0A, 0x0409},  // nor the modern Spanish sort
        {0x0407, 0x0816, 0x0816},  // German user, Portuguese system
    };
    for (const LanguageCase& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << "user " << c.user << " system " << c.system);
        for (UINT id = IDS_TITLE; id <= IDS_STORE_UPDATED; ++id)
            EXPECT_EQ(LoadLocalizedStringFor(Self(), id, c.user, c.system),
                      Ansi(ExpectedText(c.expectedTable, id)))
                << id;
    }
}

TEST(LoadLocalizedString, AMissingIdIsEmpty)
{
    EXPECT_EQ(LoadLocalizedStringFor(Self(), 10013, 0x0410, 0x0409), "");
    EXPECT_EQ(LoadLocalizedStringFor(Self(), 0, 0x0409, 0x0409), "");
}

TEST(LoadLocalizedString, UsesTheDefaultLanguages)
{
    g_resourceModule = Self();
    LanguageOverride italian(0x0410, 0x0409);
    EXPECT_EQ(LoadLocalizedString(IDS_CERT_EXPIRED), Ansi(L"Almeno uno dei certificati \x00e8 scaduto..."));
    LanguageOverride other(0x041D, 0x0424);  // Swedish user, Slovenian system
    EXPECT_EQ(LoadLocalizedString(IDS_EXIT), "Izhod");
}

TEST(LoadLocalizedString, ConvertsToTheThreadCodePage)
{
    // Italian "è" is 0xE8 in code page 1252.
    if (GetACP() != 1252)
        GTEST_SKIP() << "code page " << GetACP();
    EXPECT_EQ(LoadLocalizedStringFor(Self(), IDS_CERT_EXPIRED, 0x0410, 0x0409),
              "Almeno uno dei certificati \xE8 scaduto...");
}

TEST(MapUserLanguage, MapsByPrimaryLanguage)
{
    EXPECT_EQ(MapUserLanguage(0x0C0A), 0x040A);
    EXPECT_EQ(MapUserLanguage(0x0C09), 0x0409);
    EXPECT_EQ(MapUserLanguage(0x0416), 0x0816);
    EXPECT_EQ(MapUserLanguage(0x0424), 0x0424);
    EXPECT_EQ(MapUserLanguage(0x040C), 0x040C);
}

}  // namespace

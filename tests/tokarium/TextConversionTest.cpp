// ToWide and ToNarrow in the Western ANSI code page (1252), the one these
// tests run in; expected values are the code page's published mapping.
#include "tokarium/app/TextConversion.h"

#include <gtest/gtest.h>

#include <windows.h>

namespace {

class TextConversion : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(1252u, GetACP()) << "these cases are written for code page 1252"; }
};

TEST_F(TextConversion, ToWideGivesDecomposedCharacters)
{
    struct Case {
        const char* narrow;
        const wchar_t* wide;
    } cases[] = {
        {"", L""},
        {"Token 1 [Reader 0]", L"Token 1 [Reader 0]"},
        {"\xE8", L"e\x0300"},                       // e grave: e + combining grave
        {"caf\xE9", L"cafe\x0301"},                 // e acute
        {"\xC9t\xE9", L"E\x0301te\x0301"},
        {"Mu\xF1oz \xFC", L"Mun\x0303oz u\x0308"},  // n tilde, u diaeresis
        {"\x80 5", L"\x20AC 5"},                    // the euro sign has no decomposition
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::wstring(c.wide), ToWide(c.narrow)) << c.narrow;
}

TEST_F(TextConversion, ToWideOfNullIsEmpty) { EXPECT_EQ(L"", ToWide(static_cast<const char*>(nullptr))); }

TEST_F(TextConversion, ToWideOfLongTextIsComplete)
{
    std::string narrow(5000, '\xE0');
    std::wstring wide = ToWide(narrow);
    ASSERT_EQ(10000u, wide.size());
    EXPECT_EQ(L'a', wide[0]);
    EXPECT_EQ(L'\x0300', wide[9999]);
}

TEST_F(TextConversion, ToNarrowMapsToTheCodePage)
{
    struct Case {
        const wchar_t* wide;
        const char* narrow;
    } cases[] = {
        {L"", ""},
        {L"1234", "1234"},
        {L"caf\x00E9", "caf\xE9"},
        {L"\x20AC", "\x80"},
        {L"C:\\Users\\J\x00F6rg\\cert.p12", "C:\\Users\\J\xF6rg\\cert.p12"},
        {L"\x4E2D", "?"},  // no equivalent: the default character
    };
    for (const Case& c : cases)
        EXPECT_EQ(std::string(c.narrow), ToNarrow(c.wide)) << c.narrow;
}

TEST_F(TextConversion, ToNarrowOfNullIsEmpty) { EXPECT_EQ("", ToNarrow(static_cast<const wchar_t*>(nullptr))); }

TEST_F(TextConversion, ToNarrowOfLongTextIsComplete)
{
    std::wstring wide(4000, L'\x00FC');
    std::string narrow = ToNarrow(wide);
    ASSERT_EQ(4000u, narrow.size());
    EXPECT_EQ('\xFC', narrow[3999]);
}

}  // namespace

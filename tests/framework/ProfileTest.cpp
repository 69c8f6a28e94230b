// The application object's name and its profile functions, read back straight
// from the registry.
#include "platform/framework/WinApp.h"

#include <gtest/gtest.h>

#include <string>

namespace {

const wchar_t kKey[] = L"Quorin Framework Tests";
const wchar_t kAppKeyPath[] = L"Software\\Quorin Framework Tests\\framework_tests";
const wchar_t kSectionPath[] = L"Software\\Quorin Framework Tests\\framework_tests\\Settings";

class Profile : public ::testing::Test {
protected:
    void SetUp() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quorin Framework Tests"); }
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Quorin Framework Tests"); }

    static bool ReadDword(const wchar_t* path, const wchar_t* name, DWORD& value)
    {
        DWORD size = sizeof value;
        return RegGetValueW(HKEY_CURRENT_USER, path, name, RRF_RT_REG_DWORD, nullptr, &value, &size)
            == ERROR_SUCCESS;
    }

    static void WriteRaw(const wchar_t* name, DWORD type, const void* data, DWORD size)
    {
        HKEY key;
        ASSERT_EQ(ERROR_SUCCESS, RegCreateKeyExW(HKEY_CURRENT_USER, kSectionPath, 0, nullptr, 0,
                                                 KEY_WRITE, nullptr, &key, nullptr));
        RegSetValueExW(key, name, 0, type, static_cast<const BYTE*>(data), size);
        RegCloseKey(key);
    }

    CWinApp app;
};

TEST_F(Profile, ApplicationNameIsTheExecutableNameWithoutExtension)
{
    EXPECT_STREQ(L"framework_tests", app.m_pszAppName);
    EXPECT_EQ(&app, AfxGetApp());
}

TEST_F(Profile, ExplicitApplicationNameIsKept)
{
    CWinApp named(L"Other");
    EXPECT_STREQ(L"Other", named.m_pszAppName);
}

TEST_F(Profile, WriteGoesUnderSoftwareKeyApplicationSection)
{
    app.SetRegistryKey(kKey);
    ASSERT_TRUE(app.WriteProfileInt(L"Settings", L"AutoRefresh", 0));
    ASSERT_TRUE(app.WriteProfileInt(L"Settings", L"KeyGenerator", -1));
    DWORD value = 77;
    ASSERT_TRUE(ReadDword(kSectionPath, L"AutoRefresh", value));
    EXPECT_EQ(0u, value);
    ASSERT_TRUE(ReadDword(kSectionPath, L"KeyGenerator", value));
    EXPECT_EQ(0xFFFFFFFFu, value);
    EXPECT_FALSE(ReadDword(kAppKeyPath, L"AutoRefresh", value));
}

TEST_F(Profile, ReadsBackWhatWasWrittenAndDefaultsOtherwise)
{
    app.SetRegistryKey(kKey);
    struct Case {
        const wchar_t* entry;
        bool write;
        int written;
        int defaultValue;
        UINT expected;
    } cases[] = {
        {L"A", true, 0, 1, 0u},
        {L"B", true, 5, 1, 5u},
        {L"C", true, -1, 0, 0xFFFFFFFFu},
        {L"Missing", false, 0, 1, 1u},
        {L"MissingZero", false, 0, 0, 0u},
    };
    for (const Case& c : cases) {
        if (c.write) {
            ASSERT_TRUE(app.WriteProfileInt(L"Settings", c.entry, c.written));
        }
        EXPECT_EQ(c.expected, app.GetProfileIntW(L"Settings", c.entry, c.defaultValue)) << c.entry;
    }
    EXPECT_EQ(9u, app.GetProfileIntW(L"No Such Section", L"A", 9));
}

TEST_F(Profile, ValueOfAnotherTypeGivesTheDefault)
{
    app.SetRegistryKey(kKey);
    const wchar_t text[] = L"1";
    WriteRaw(L"Text", REG_SZ, text, sizeof text);
    EXPECT_EQ(4u, app.GetProfileIntW(L"Settings", L"Text", 4));
}

TEST_F(Profile, NarrowNamesReachTheSameValues)
{
    app.SetRegistryKey("Quorin Framework Tests");
    ASSERT_TRUE(app.WriteProfileInt("Settings", "Narrow", 3));
    EXPECT_EQ(3u, app.GetProfileIntW(L"Settings", L"Narrow", 1));
    EXPECT_EQ(3u, app.GetProfileIntA("Settings", "Narrow", 1));
}

TEST_F(Profile, WithoutRegistryKeyNothingIsStored)
{
    EXPECT_FALSE(app.WriteProfileInt(L"Settings", L"AutoRefresh", 0));
    EXPECT_EQ(1u, app.GetProfileIntW(L"Settings", L"AutoRefresh", 1));
    HKEY key;
    EXPECT_NE(ERROR_SUCCESS, RegOpenKeyExW(HKEY_CURRENT_USER, L"Software\\framework_tests", 0, KEY_READ, &key));
}

}  // namespace

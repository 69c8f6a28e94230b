// The resources of the built programs, read as data files: the win64 program
// and the shipping win32 one (never run here).
#include "heraldix/LocalizedString.h"
#include "heraldix/resource.h"
#include "tests/heraldix/ExpectedTexts.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string WinePath(std::string path)
{
    for (char& c : path)
        if (c == '/')
            c = '\\';
    return path[0] == '\\' ? "Z:" + path : path;
}

class ShippedResources : public ::testing::TestWithParam<const char*> {
protected:
    void SetUp() override
    {
        std::string path = WinePath(GetParam());
        if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES)
            GTEST_SKIP() << path << " is not built";
        module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
        ASSERT_NE(module, nullptr) << GetLastError();
    }
    void TearDown() override
    {
        if (module)
            FreeLibrary(module);
    }
    HMODULE module = nullptr;
};

TEST_P(ShippedResources, StringTableInFiveLanguages)
{
    for (const LanguageTexts& table : EXPECTED_TEXTS)
        for (UINT id = IDS_TITLE; id <= IDS_STORE_UPDATED; ++id) {
            std::wstring text;
            ASSERT_TRUE(FindStringInLanguage(module, id, table.language, text)) << table.name << " " << id;
            EXPECT_EQ(text, table.texts[id - IDS_TITLE]) << table.name << " " << id;
        }
}

TEST_P(ShippedResources, IconsMenuAndManifest)
{
    for (int group : {IDI_FILE, IDI_FRAME1, IDI_FRAME2, IDI_IDLE})
        EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(group), reinterpret_cast<LPCSTR>(RT_GROUP_ICON)), nullptr)
            << group;
    EXPECT_NE(FindResourceA(module, MAKEINTRESOURCEA(IDR_TRAY_MENU), reinterpret_cast<LPCSTR>(RT_MENU)), nullptr);
    HRSRC manifest = FindResourceA(module, MAKEINTRESOURCEA(1), reinterpret_cast<LPCSTR>(RT_MANIFEST));
    ASSERT_NE(manifest, nullptr);
    std::string text(static_cast<const char*>(LockResource(LoadResource(module, manifest))),
                     SizeofResource(module, manifest));
    EXPECT_NE(text.find("name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""), std::string::npos);
    EXPECT_EQ(text.find("requestedExecutionLevel"), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Builds, ShippedResources, ::testing::Values(HERALDIX_EXE, HERALDIX_WIN32_EXE));

}  // namespace

#include "bundlor/HResult.h"

#include <gtest/gtest.h>

TEST(HResult, Win32ErrorsFoldIntoFacilityWin32AndHResultsPassUnchanged)
{
    struct Case {
        DWORD error;
        DWORD expected;
    } cases[] = {
        {0, 0},
        {ERROR_FILE_NOT_FOUND, 0x80070002},
        {ERROR_ACCESS_DENIED, 0x80070005},
        {ERROR_FILE_INVALID, 0x800703EE},
        {ERROR_NO_MORE_FILES, 0x80070012},
        {0x00012345, 0x80072345},   // only the low 16 bits are kept
        {0x80092004, 0x80092004},   // CRYPT_E_NOT_FOUND
        {0x80092005, 0x80092005},   // CRYPT_E_EXISTS
        {0x8009310B, 0x8009310B},
    };
    for (const Case& c : cases)
        EXPECT_EQ(static_cast<DWORD>(HResultFromError(c.error)), c.expected) << std::hex << c.error;
}

TEST(HResult, FailureFromLastErrorNeverReportsSuccess)
{
    SetLastError(ERROR_PATH_NOT_FOUND);
    EXPECT_EQ(static_cast<DWORD>(FailureFromLastError()), 0x80070003u);
    SetLastError(0x80093102);
    EXPECT_EQ(static_cast<DWORD>(FailureFromLastError()), 0x80093102u);
    SetLastError(0);
    EXPECT_EQ(static_cast<DWORD>(FailureFromLastError()), 0x80004005u);   // E_FAIL
}

TEST(HResult, FormatCodeIsEightLowerCaseDigitsInAngleBrackets)
{
    EXPECT_EQ(FormatCode(static_cast<HRESULT>(0x8009310B)), "<8009310b>");
    EXPECT_EQ(FormatCode(static_cast<HRESULT>(0x80070002)), "<80070002>");
    EXPECT_EQ(FormatCode(0x1F), "<0000001f>");
}

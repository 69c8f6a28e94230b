// Binding and unbinding a module file, on whatever loader the platform has.

#include "tests/token/TokenTestSupport.h"
#include "tokarium/token/Cryptoki.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <dlfcn.h>
#endif

namespace {

bool IsLoaded(const std::string& path)
{
#ifdef _WIN32
    return GetModuleHandleA(path.c_str()) != nullptr;
#else
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle)
        dlclose(handle);
    return handle != nullptr;
#endif
}

class BindingTest : public ::testing::Test {
protected:
    BindingTest() : log(::testing::UnitTest::GetInstance()->current_test_info()->name()) {}
    LogCapture log;
};

const LogRecord DETACH = {4, "0", "CCryptoki::Detach", "Detach"};

TEST_F(BindingTest, MissingFileIsModuleNotFound)
{
    CCryptoki cryptoki;
    EXPECT_EQ(cryptoki.Attach(NativePath("/nonexistent/folder/nimbrel.dll").c_str()), 126u);
    EXPECT_EQ(cryptoki.Initialize(), CKR_CRYPTOKI_NOT_INITIALIZED);
    EXPECT_EQ(cryptoki.Detach(), 0u);
    EXPECT_EQ(log.Records(), std::vector<LogRecord>({DETACH}));
}

TEST_F(BindingTest, LibraryWithoutTheEntryIsProcNotFoundAndStaysLoadedUntilDetach)
{
    std::string path = NativePath(TOKEN_TEST_NO_ENTRY_MODULE);
    ASSERT_FALSE(IsLoaded(path));
    CCryptoki cryptoki;
    EXPECT_EQ(cryptoki.Attach(path.c_str()), 127u);
    EXPECT_TRUE(IsLoaded(path));
    // Nothing of the module can be called; the operations say so instead.
    CK_SESSION_HANDLE session = 0;
    EXPECT_EQ(cryptoki.OpenSession(0, session), CKR_CRYPTOKI_NOT_INITIALIZED);
    EXPECT_EQ(cryptoki.Login(session, "1234"), CKR_CRYPTOKI_NOT_INITIALIZED);
    EXPECT_EQ(session, 0u);
    EXPECT_EQ(cryptoki.Detach(), 0u);
    EXPECT_FALSE(IsLoaded(path));
    EXPECT_EQ(log.Records(), std::vector<LogRecord>({DETACH}));
}

TEST_F(BindingTest, DetachWithoutModuleAndTwiceIsZero)
{
    {
        CCryptoki cryptoki;
        EXPECT_EQ(cryptoki.Detach(), 0u);
        EXPECT_EQ(cryptoki.Detach(), 0u);
    } // the destructor detaches once more
    EXPECT_EQ(log.Records(), std::vector<LogRecord>(3, DETACH));
}

} // namespace

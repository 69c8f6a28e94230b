// The declarations must give the layout of the standard Cryptoki headers:
// packed to 1 byte with 32-bit CK_ULONG on Windows, native alignment elsewhere.
#include "platform/cryptoki/cryptoki.h"

#include <gtest/gtest.h>

#include <cstddef>

namespace {

#if defined(_WIN32)
constexpr std::size_t kUlong = 4;
constexpr std::size_t kPtr = sizeof(void*);
TEST(CryptokiLayout, WindowsStructuresArePacked) {
  EXPECT_EQ(sizeof(CK_ULONG), 4u);
  EXPECT_EQ(offsetof(CK_FUNCTION_LIST, C_Initialize), 2u);
  EXPECT_EQ(sizeof(CK_FUNCTION_LIST), 2u + 68u * kPtr);
  EXPECT_EQ(sizeof(CK_ATTRIBUTE), kUlong + kPtr + kUlong);
  EXPECT_EQ(sizeof(CK_TOKEN_INFO), 160u);
  EXPECT_EQ(sizeof(CK_SLOT_INFO), 64u + 32u + 4u + 2u + 2u);
  EXPECT_EQ(sizeof(CK_INFO), 2u + 32u + 4u + 32u + 2u);
  EXPECT_EQ(sizeof(CK_C_INITIALIZE_ARGS), 4u * kPtr + 4u + kPtr);
}
#else
TEST(CryptokiLayout, NativeStructuresKeepNaturalAlignment) {
  EXPECT_EQ(sizeof(CK_ULONG), sizeof(unsigned long));
  EXPECT_EQ(offsetof(CK_FUNCTION_LIST, C_Initialize), alignof(void*));
  EXPECT_EQ(sizeof(CK_FUNCTION_LIST), alignof(void*) + 68u * sizeof(void*));
  if (sizeof(void*) == 8) {
    EXPECT_EQ(sizeof(CK_ATTRIBUTE), 24u);
    EXPECT_EQ(sizeof(CK_TOKEN_INFO), 208u);
    EXPECT_EQ(offsetof(CK_TOKEN_INFO, flags), 96u);
    EXPECT_EQ(offsetof(CK_TOKEN_INFO, utcTime), 188u);
  }
}
#endif

TEST(CryptokiLayout, FunctionListKeepsTheStandardOrder) {
  // Offsets counted in pointers from C_Initialize, as the standard lists them.
  auto index = [](std::size_t offset) {
    return (offset - offsetof(CK_FUNCTION_LIST, C_Initialize)) / sizeof(void*);
  };
  EXPECT_EQ(index(offsetof(CK_FUNCTION_LIST, C_GetFunctionList)), 3u);
  EXPECT_EQ(index(offsetof(CK_FUNCTION_LIST, C_InitToken)), 9u);
  EXPECT_EQ(index(offsetof(CK_FUNCTION_LIST, C_Login)), 18u);
  EXPECT_EQ(index(offsetof(CK_FUNCTION_LIST, C_CreateObject)), 20u);
  EXPECT_EQ(index(offsetof(CK_FUNCTION_LIST, C_FindObjectsFinal)), 28u);
  EXPECT_EQ(index(offsetof(CK_FUNCTION_LIST, C_WaitForSlotEvent)), 67u);
}

TEST(CryptokiLayout, ReturnCodesTheCallersTellApart) {
  EXPECT_EQ(CKR_USER_ALREADY_LOGGED_IN, 0x100u);
  EXPECT_EQ(CKR_CRYPTOKI_ALREADY_INITIALIZED, 0x191u);
  EXPECT_EQ(CKR_PIN_INCORRECT, 0xA0u);
  EXPECT_EQ(CKR_PIN_INVALID, 0xA1u);
  EXPECT_EQ(CKR_PIN_LEN_RANGE, 0xA2u);
  EXPECT_EQ(CKR_PIN_LOCKED, 0xA4u);
  EXPECT_EQ(CKF_OS_LOCKING_OK, 2u);
  EXPECT_EQ(CKF_SERIAL_SESSION | CKF_RW_SESSION, 6u);
}

}  // namespace

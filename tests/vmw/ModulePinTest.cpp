// PIN and PUK: counters and flags to the lock, unlocking with the PUK, PIN
// changes, login states, and renaming the token.
#include "ModuleHarness.h"

#include <cstring>

namespace vmwtest {
namespace {

class PinTest : public ModuleHarness {
 protected:
  void SetUp() override {
    ModuleHarness::SetUp();
    AddCard("Reader", "S1");
    ASSERT_EQ(Initialize(), CKR_OK);
    slot_ = SlotOf("Reader");
    session_ = Open(slot_);
  }
  CK_FLAGS PinFlags() {
    const CK_FLAGS mask = CKF_USER_PIN_COUNT_LOW | CKF_USER_PIN_FINAL_TRY | CKF_USER_PIN_LOCKED |
                          CKF_SO_PIN_COUNT_LOW | CKF_SO_PIN_FINAL_TRY | CKF_SO_PIN_LOCKED;
    return TokenInfo(slot_).flags & mask;
  }
  CK_RV SetPin(const std::string& oldPin, const std::string& newPin) {
    return F()->C_SetPIN(session_, Bytes(oldPin), static_cast<CK_ULONG>(oldPin.size()), Bytes(newPin),
                         static_cast<CK_ULONG>(newPin.size()));
  }
  CK_RV InitPin(const std::string& pin) {
    return F()->C_InitPIN(session_, Bytes(pin), static_cast<CK_ULONG>(pin.size()));
  }
  static CK_UTF8CHAR_PTR Bytes(const std::string& text) {
    return reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>(text.data()));
  }
  CK_SLOT_ID slot_ = 0;
  CK_SESSION_HANDLE session_ = 0;
};

struct Try {
  CK_USER_TYPE user;
  const char* pin;
  CK_RV expected;
  CK_FLAGS flagsAfter;
};

TEST_F(PinTest, UserPinCountsDownToTheLock) {
  const Try tries[] = {
      {CKU_USER, "0000", CKR_PIN_INCORRECT, CKF_USER_PIN_COUNT_LOW},
      {CKU_USER, "12", CKR_PIN_INCORRECT, CKF_USER_PIN_COUNT_LOW | CKF_USER_PIN_FINAL_TRY},
      {CKU_USER, "9999", CKR_PIN_INCORRECT, CKF_USER_PIN_LOCKED},
      {CKU_USER, "1234", CKR_PIN_LOCKED, CKF_USER_PIN_LOCKED},
      {CKU_USER, "0000", CKR_PIN_LOCKED, CKF_USER_PIN_LOCKED},
  };
  for (const Try& t : tries) {
    EXPECT_EQ(Login(session_, t.user, t.pin), t.expected) << t.pin;
    EXPECT_EQ(PinFlags(), t.flagsAfter) << t.pin;
  }
}

TEST_F(PinTest, ACorrectLoginResetsTheCounter) {
  const Try tries[] = {
      {CKU_USER, "0000", CKR_PIN_INCORRECT, CKF_USER_PIN_COUNT_LOW},
      {CKU_USER, "0001", CKR_PIN_INCORRECT, CKF_USER_PIN_COUNT_LOW | CKF_USER_PIN_FINAL_TRY},
      {CKU_USER, "1234", CKR_OK, 0},
  };
  for (const Try& t : tries) {
    EXPECT_EQ(Login(session_, t.user, t.pin), t.expected) << t.pin;
    EXPECT_EQ(PinFlags(), t.flagsAfter) << t.pin;
  }
}

TEST_F(PinTest, PukCountsDownToTheLockToo) {
  const Try tries[] = {
      {CKU_SO, "00000000", CKR_PIN_INCORRECT, CKF_SO_PIN_COUNT_LOW},
      {CKU_SO, "00000000", CKR_PIN_INCORRECT, CKF_SO_PIN_COUNT_LOW | CKF_SO_PIN_FINAL_TRY},
      {CKU_SO, "00000000", CKR_PIN_INCORRECT, CKF_SO_PIN_LOCKED},
      {CKU_SO, "12345678", CKR_PIN_LOCKED, CKF_SO_PIN_LOCKED},
  };
  for (const Try& t : tries) {
    EXPECT_EQ(Login(session_, t.user, t.pin), t.expected) << t.pin;
    EXPECT_EQ(PinFlags(), t.flagsAfter) << t.pin;
  }
}

TEST_F(PinTest, CountersSurviveAReinitialisation) {
  EXPECT_EQ(Login(session_, CKU_USER, "0000"), CKR_PIN_INCORRECT);
  ASSERT_EQ(F()->C_Finalize(nullptr), CKR_OK);
  ASSERT_EQ(Initialize(), CKR_OK);
  EXPECT_EQ(PinFlags(), CKF_USER_PIN_COUNT_LOW);
}

TEST_F(PinTest, PukUnlocksALockedPin) {
  for (int i = 0; i < 3; ++i) ASSERT_EQ(Login(session_, CKU_USER, "0000"), CKR_PIN_INCORRECT);
  ASSERT_EQ(PinFlags(), CKF_USER_PIN_LOCKED);
  ASSERT_EQ(Login(session_, CKU_SO, "12345678"), CKR_OK);
  EXPECT_EQ(InitPin("123"), CKR_PIN_LEN_RANGE);
  EXPECT_EQ(PinFlags(), CKF_USER_PIN_LOCKED) << "a refused new PIN changes nothing";
  ASSERT_EQ(InitPin("4321"), CKR_OK);
  EXPECT_EQ(PinFlags(), 0u);
  ASSERT_EQ(F()->C_Logout(session_), CKR_OK);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_PIN_INCORRECT) << "the old PIN is gone";
  ASSERT_EQ(F()->C_Logout(session_), CKR_USER_NOT_LOGGED_IN);
  EXPECT_EQ(Login(session_, CKU_USER, "4321"), CKR_OK);
}

TEST_F(PinTest, InitPinNeedsTheSecurityOfficer) {
  EXPECT_EQ(InitPin("4321"), CKR_USER_NOT_LOGGED_IN);
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  EXPECT_EQ(InitPin("4321"), CKR_USER_NOT_LOGGED_IN);
}

TEST_F(PinTest, SetPinChangesTheSecretOfTheLoggedInUserType) {
  struct Case {
    CK_USER_TYPE user;
    const char* login;
    const char* oldSecret;
    const char* newSecret;
    CK_RV expected;
  } cases[] = {
      {CKU_USER, "1234", "1234", "123", CKR_PIN_LEN_RANGE},
      {CKU_USER, "1234", "1234", "12345678901234567", CKR_PIN_LEN_RANGE},
      {CKU_USER, "1234", "9999", "5555", CKR_PIN_INCORRECT},
      {CKU_USER, "1234", "1234", "1234567890123456", CKR_OK},
      {CKU_SO, "12345678", "12345678", "87654321", CKR_OK},
  };
  for (const Case& c : cases) {
    ASSERT_EQ(Login(session_, c.user, c.login), CKR_OK) << c.newSecret;
    EXPECT_EQ(SetPin(c.oldSecret, c.newSecret), c.expected) << c.newSecret;
    ASSERT_EQ(F()->C_Logout(session_), CKR_OK);
  }
  EXPECT_EQ(Login(session_, CKU_USER, "1234567890123456"), CKR_OK);
  ASSERT_EQ(F()->C_Logout(session_), CKR_OK);
  EXPECT_EQ(Login(session_, CKU_SO, "87654321"), CKR_OK);
}

TEST_F(PinTest, SecretsToBeChangedUntilSetPin) {
  vmw::TokenState card;
  ASSERT_TRUE(editor_->LoadCard("Reader", card));
  card.pinToBeChanged = card.pukToBeChanged = true;
  ASSERT_TRUE(editor_->SaveCard("Reader", card));
  const CK_FLAGS both = CKF_USER_PIN_TO_BE_CHANGED | CKF_SO_PIN_TO_BE_CHANGED;
  EXPECT_EQ(TokenInfo(slot_).flags & both, both);
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  ASSERT_EQ(SetPin("1234", "2345"), CKR_OK);
  EXPECT_EQ(TokenInfo(slot_).flags & both, CKF_SO_PIN_TO_BE_CHANGED);
  ASSERT_EQ(F()->C_Logout(session_), CKR_OK);
  ASSERT_EQ(Login(session_, CKU_SO, "12345678"), CKR_OK);
  ASSERT_EQ(SetPin("12345678", "23456789"), CKR_OK);
  EXPECT_EQ(TokenInfo(slot_).flags & both, 0u);
}

TEST_F(PinTest, LoginStates) {
  CK_SESSION_HANDLE second = Open(slot_);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  EXPECT_EQ(Login(second, CKU_USER, "1234"), CKR_USER_ALREADY_LOGGED_IN) << "login is per token";
  EXPECT_EQ(Login(session_, CKU_SO, "12345678"), CKR_USER_ANOTHER_ALREADY_LOGGED_IN);
  EXPECT_EQ(Login(session_, 7, "1234"), CKR_USER_TYPE_INVALID);
  ASSERT_EQ(F()->C_Logout(second), CKR_OK);
  EXPECT_EQ(F()->C_Logout(session_), CKR_USER_NOT_LOGGED_IN);
  CK_SESSION_HANDLE readOnly = Open(slot_, CKF_SERIAL_SESSION);
  EXPECT_EQ(Login(session_, CKU_SO, "12345678"), CKR_SESSION_READ_ONLY_EXISTS);
  ASSERT_EQ(F()->C_CloseSession(readOnly), CKR_OK);
  EXPECT_EQ(Login(session_, CKU_SO, "12345678"), CKR_OK);
}

TEST_F(PinTest, LoginEndsWithTheLastSession) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  ASSERT_EQ(F()->C_CloseSession(session_), CKR_OK);
  session_ = Open(slot_);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK) << "not still logged in";
}

TEST_F(PinTest, InitTokenWithAnEmptyPukRenamesAndKeepsTheObjects) {
  unsigned long id = 0;
  ASSERT_TRUE(editor_->PutCertificate("Reader", ReadDataFile("ca.der"), true, {}, id));
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);  // a session is open, as in the manager
  char label[33] = "Renamed token                   ";
  ASSERT_EQ(std::strlen(label), 32u);
  ASSERT_EQ(F()->C_InitToken(slot_, reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>("")), 0,
                             reinterpret_cast<CK_UTF8CHAR_PTR>(label)),
            CKR_OK);
  EXPECT_EQ(Trimmed(TokenInfo(slot_).label, 32), "Renamed token");
  CK_OBJECT_CLASS certificate = CKO_CERTIFICATE;
  EXPECT_EQ(Find(session_, {{CKA_CLASS, &certificate, sizeof certificate}}).size(), 1u);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_USER_ALREADY_LOGGED_IN);
}

TEST_F(PinTest, InitTokenWithThePukErasesTheToken) {
  unsigned long id = 0;
  ASSERT_TRUE(editor_->PutCertificate("Reader", ReadDataFile("ca.der"), true, {}, id));
  char label[33] = "Fresh                           ";
  CK_UTF8CHAR_PTR puk = reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>("12345678"));
  EXPECT_EQ(F()->C_InitToken(slot_, puk, 8, reinterpret_cast<CK_UTF8CHAR_PTR>(label)), CKR_SESSION_EXISTS);
  ASSERT_EQ(F()->C_CloseSession(session_), CKR_OK);
  CK_UTF8CHAR_PTR wrong = reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>("00000000"));
  EXPECT_EQ(F()->C_InitToken(slot_, wrong, 8, reinterpret_cast<CK_UTF8CHAR_PTR>(label)), CKR_PIN_INCORRECT);
  ASSERT_EQ(F()->C_InitToken(slot_, puk, 8, reinterpret_cast<CK_UTF8CHAR_PTR>(label)), CKR_OK);
  CK_TOKEN_INFO info = TokenInfo(slot_);
  EXPECT_EQ(Trimmed(info.label, 32), "Fresh");
  EXPECT_EQ(info.flags & CKF_USER_PIN_INITIALIZED, 0u);
  session_ = Open(slot_);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_USER_PIN_NOT_INITIALIZED);
  EXPECT_TRUE(Find(session_, {}).empty());
}

}  // namespace
}  // namespace vmwtest

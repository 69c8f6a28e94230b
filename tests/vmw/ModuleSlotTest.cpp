// Slots, token information and the life of sessions across card changes.
#include "ModuleHarness.h"

#include <cstring>

namespace vmwtest {
namespace {

using SlotTest = ModuleHarness;

TEST_F(SlotTest, OneSlotPerReaderWithACardDescribedByTheReaderName) {
  AddCard("Reader B", "B1");
  AddCard("Reader A", "A1");
  ASSERT_TRUE(editor_->AddReader("Reader C (empty)"));
  ASSERT_EQ(Initialize(), CKR_OK);

  CK_ULONG count = 0;
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
  ASSERT_EQ(count, 2u);
  CK_SLOT_ID slots[2];
  CK_ULONG small = 1;
  EXPECT_EQ(F()->C_GetSlotList(CK_TRUE, slots, &small), CKR_BUFFER_TOO_SMALL);
  EXPECT_EQ(small, 2u);
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, slots, &count), CKR_OK);

  const char* expected[] = {"Reader A", "Reader B"};  // the service's (byte-wise) order
  for (int i = 0; i < 2; ++i) {
    CK_SLOT_INFO info;
    ASSERT_EQ(F()->C_GetSlotInfo(slots[i], &info), CKR_OK);
    std::string description(reinterpret_cast<char*>(info.slotDescription), 64);
    EXPECT_EQ(description, std::string(expected[i]) + std::string(64 - std::strlen(expected[i]), ' '));
    EXPECT_EQ(info.flags, CKF_TOKEN_PRESENT | CKF_REMOVABLE_DEVICE | CKF_HW_SLOT);
  }
  CK_SLOT_INFO info;
  EXPECT_EQ(F()->C_GetSlotInfo(slots[1] + 100, &info), CKR_SLOT_ID_INVALID);
}

TEST_F(SlotTest, TokenInformationComesFromTheCard) {
  ASSERT_TRUE(editor_->AddReader("Reader"));
  vmw::CardDetails details;
  details.serial = "SN-0042";
  details.label = "Payroll";
  details.manufacturer = "Quorin Cards";
  details.model = "QC-2";
  ASSERT_TRUE(editor_->CreateCard("Reader", details));
  ASSERT_EQ(Initialize(), CKR_OK);
  CK_TOKEN_INFO info = TokenInfo(SlotOf("Reader"));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.label), 32), "Payroll" + std::string(25, ' '));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.manufacturerID), 32),
            "Quorin Cards" + std::string(20, ' '));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.model), 16), "QC-2" + std::string(12, ' '));
  EXPECT_EQ(std::string(reinterpret_cast<char*>(info.serialNumber), 16), "SN-0042" + std::string(9, ' '));
  EXPECT_EQ(info.flags, CKF_LOGIN_REQUIRED | CKF_TOKEN_INITIALIZED | CKF_USER_PIN_INITIALIZED);
  EXPECT_EQ(info.ulMinPinLen, 4u);
  EXPECT_EQ(info.ulMaxPinLen, 16u);
}

TEST_F(SlotTest, ReinitialisingSeesReadersAndCardsThatAppeared) {
  AddCard("Reader 1", "S1");
  ASSERT_EQ(Initialize(), CKR_OK);
  AddCard("Reader 2", "S2");
  CK_ULONG count = 0;
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
  EXPECT_EQ(count, 1u) << "the slot list is fixed until the next C_Initialize";
  ASSERT_EQ(F()->C_Finalize(nullptr), CKR_OK);
  ASSERT_EQ(Initialize(), CKR_OK);
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
  EXPECT_EQ(count, 2u);
  EXPECT_EQ(Trimmed(TokenInfo(SlotOf("Reader 2")).label, 32), "Token S2");
}

TEST_F(SlotTest, SessionsOfARemovedCardEnd) {
  AddCard("Reader", "S1");
  ASSERT_EQ(Initialize(), CKR_OK);
  CK_SLOT_ID slot = SlotOf("Reader");
  CK_SESSION_HANDLE session = Open(slot);
  ASSERT_EQ(Login(session, CKU_USER, "1234"), CKR_OK);
  ASSERT_TRUE(editor_->RemoveCard("Reader")) << editor_->Error();

  CK_SESSION_INFO info;
  EXPECT_EQ(F()->C_GetSessionInfo(session, &info), CKR_DEVICE_REMOVED);
  EXPECT_EQ(F()->C_GetSessionInfo(session, &info), CKR_SESSION_HANDLE_INVALID);
  CK_TOKEN_INFO token;
  EXPECT_EQ(F()->C_GetTokenInfo(slot, &token), CKR_TOKEN_NOT_PRESENT);
  CK_ULONG count = 5;
  CK_SLOT_ID slots[5];
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, slots, &count), CKR_OK);
  EXPECT_EQ(count, 0u);

  // Put back, the card is a new insertion: a fresh session starts logged out.
  ASSERT_TRUE(editor_->InsertCard("Reader", "S1")) << editor_->Error();
  CK_SESSION_HANDLE again = Open(slot);
  ASSERT_EQ(F()->C_GetSessionInfo(again, &info), CKR_OK);
  EXPECT_EQ(info.state, CKS_RW_PUBLIC_SESSION);
}

TEST_F(SlotTest, ACardSwappedInTheSameReaderEndsTheOldSessions) {
  AddCard("Reader", "S1");
  ASSERT_EQ(Initialize(), CKR_OK);
  CK_SESSION_HANDLE session = Open(SlotOf("Reader"));
  ASSERT_TRUE(editor_->RemoveCard("Reader"));
  ASSERT_TRUE(editor_->InsertCard("Reader", "S1"));
  CK_SESSION_INFO info;
  EXPECT_EQ(F()->C_GetSessionInfo(session, &info), CKR_DEVICE_REMOVED);
}

TEST_F(SlotTest, SessionStatesFollowTheLogin) {
  AddCard("Reader", "S1");
  ASSERT_EQ(Initialize(), CKR_OK);
  CK_SLOT_ID slot = SlotOf("Reader");
  CK_SESSION_HANDLE readWrite = Open(slot);
  CK_SESSION_HANDLE readOnly = Open(slot, CKF_SERIAL_SESSION);
  struct Case {
    CK_SESSION_HANDLE session;
    CK_STATE beforeLogin;
    CK_STATE afterLogin;
  } cases[] = {{readWrite, CKS_RW_PUBLIC_SESSION, CKS_RW_USER_FUNCTIONS},
               {readOnly, CKS_RO_PUBLIC_SESSION, CKS_RO_USER_FUNCTIONS}};
  CK_SESSION_INFO info;
  for (const Case& c : cases) {
    ASSERT_EQ(F()->C_GetSessionInfo(c.session, &info), CKR_OK);
    EXPECT_EQ(info.state, c.beforeLogin);
    EXPECT_EQ(info.slotID, slot);
  }
  ASSERT_EQ(Login(readOnly, CKU_USER, "1234"), CKR_OK);
  for (const Case& c : cases) {
    ASSERT_EQ(F()->C_GetSessionInfo(c.session, &info), CKR_OK);
    EXPECT_EQ(info.state, c.afterLogin);
  }
  CK_TOKEN_INFO token = TokenInfo(slot);
  EXPECT_EQ(token.ulSessionCount, 2u);
  EXPECT_EQ(token.ulRwSessionCount, 1u);
  EXPECT_EQ(F()->C_OpenSession(slot, CKF_RW_SESSION, nullptr, nullptr, &readOnly),
            CKR_SESSION_PARALLEL_NOT_SUPPORTED);
}

TEST_F(SlotTest, LibraryStateRules) {
  CK_ULONG count = 0;
  EXPECT_EQ(F()->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_CRYPTOKI_NOT_INITIALIZED);
  EXPECT_EQ(F()->C_Finalize(nullptr), CKR_CRYPTOKI_NOT_INITIALIZED);
  ASSERT_EQ(Initialize(), CKR_OK);
  EXPECT_EQ(Initialize(), CKR_CRYPTOKI_ALREADY_INITIALIZED);
  CK_INFO info;
  ASSERT_EQ(F()->C_GetInfo(&info), CKR_OK);
  EXPECT_EQ(info.cryptokiVersion.major, 2);
  EXPECT_EQ(F()->C_Sign(1, nullptr, 0, nullptr, nullptr), CKR_FUNCTION_NOT_SUPPORTED);
  EXPECT_EQ(F()->C_WaitForSlotEvent(0, nullptr, nullptr), CKR_FUNCTION_NOT_SUPPORTED);
  EXPECT_EQ(F()->C_GenerateKeyPair(1, nullptr, nullptr, 0, nullptr, 0, nullptr, nullptr),
            CKR_FUNCTION_NOT_SUPPORTED);
  EXPECT_EQ(F()->version.major, 2);
}

TEST_F(SlotTest, EmptyOrMissingStateGivesNoSlots) {
  SetEnvironment(vmw::StateFolder::kEnvironmentVariable, root_ + "/does-not-exist");
  ASSERT_EQ(Initialize(), CKR_OK);
  CK_ULONG count = 7;
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, nullptr, &count), CKR_OK);
  EXPECT_EQ(count, 0u);
}

}  // namespace
}  // namespace vmwtest

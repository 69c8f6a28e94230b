// Failure paths: faults injected through the state folder, and damaged or
// missing card files.
#include "ModuleHarness.h"

#include "vmw/state/DurableFile.h"
#include "vmw/state/FaultPlan.h"

#include <cstdio>

namespace vmwtest {
namespace {

class FaultTest : public ModuleHarness {
 protected:
  void SetUp() override {
    ModuleHarness::SetUp();
    AddCard("Reader", "S1");
    ASSERT_EQ(Initialize(), CKR_OK);
    slot_ = SlotOf("Reader");
    session_ = Open(slot_);
  }
  void Damage() {
    ASSERT_TRUE(vmw::WriteFileDurably(editor_->State().TokenFile("Reader"), "label = \"half a card"));
  }
  CK_SLOT_ID slot_ = 0;
  CK_SESSION_HANDLE session_ = 0;
};

TEST_F(FaultTest, AOnceFaultFailsTheNextCallOnly) {
  ASSERT_TRUE(editor_->SetFault("C_Login", CKR_DEVICE_ERROR, false)) << editor_->Error();
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_DEVICE_ERROR);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  std::vector<vmw::Fault> left;
  std::string error;
  ASSERT_TRUE(vmw::LoadFaults(editor_->State().FaultsFile(), left, error));
  EXPECT_TRUE(left.empty());
}

TEST_F(FaultTest, AnAlwaysFaultFailsEveryCallUntilCleared) {
  ASSERT_TRUE(editor_->SetFault("C_InitToken", CKR_FUNCTION_FAILED, true));
  CK_UTF8CHAR label[32];
  std::fill(label, label + 32, ' ');
  for (int i = 0; i < 3; ++i) EXPECT_EQ(F()->C_InitToken(slot_, label, 0, label), CKR_FUNCTION_FAILED);
  CK_TOKEN_INFO info;
  EXPECT_EQ(F()->C_GetTokenInfo(slot_, &info), CKR_OK) << "other functions are untouched";
  ASSERT_TRUE(editor_->ClearFaults("C_InitToken"));
  EXPECT_EQ(F()->C_InitToken(slot_, label, 0, label), CKR_OK);
}

TEST_F(FaultTest, AnUndeletableObjectRefusesDestruction) {
  unsigned long id = 0;
  ASSERT_TRUE(editor_->PutCertificate("Reader", ReadDataFile("ca.pem"), true, {}, id));
  ASSERT_TRUE(editor_->SetUndeletable("Reader", id, true));
  EXPECT_EQ(F()->C_DestroyObject(session_, id), CKR_ACTION_PROHIBITED);
  ASSERT_TRUE(editor_->SetUndeletable("Reader", id, false));
  EXPECT_EQ(F()->C_DestroyObject(session_, id), CKR_OK);
}

TEST_F(FaultTest, ADamagedCardGivesDefiniteCodes) {
  Damage();
  CK_TOKEN_INFO info;
  EXPECT_EQ(F()->C_GetTokenInfo(slot_, &info), CKR_TOKEN_NOT_RECOGNIZED);
  CK_SESSION_HANDLE other = 0;
  EXPECT_EQ(F()->C_OpenSession(slot_, CKF_SERIAL_SESSION, nullptr, nullptr, &other), CKR_TOKEN_NOT_RECOGNIZED);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_DEVICE_ERROR);
  CK_SLOT_INFO slot;
  ASSERT_EQ(F()->C_GetSlotInfo(slot_, &slot), CKR_OK);
  EXPECT_EQ(slot.flags & CKF_TOKEN_PRESENT, CKF_TOKEN_PRESENT) << "a damaged card is still in its reader";
}

TEST_F(FaultTest, ADamagedFaultsFileInjectsNothing) {
  ASSERT_TRUE(vmw::WriteFileDurably(editor_->State().FaultsFile(), "C_Login banana\n"));
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
}

TEST_F(FaultTest, WritesReplaceTheFileWhole) {
  ASSERT_EQ(Login(session_, CKU_USER, "0000"), CKR_PIN_INCORRECT);
  std::string text;
  ASSERT_TRUE(vmw::ReadWholeFile(editor_->State().TokenFile("Reader"), text));
  EXPECT_NE(text.find("pin-tries-left = 2\n"), std::string::npos) << text;
  EXPECT_FALSE(vmw::ReadWholeFile(editor_->State().TokenFile("Reader") + ".new", text));
}

TEST_F(FaultTest, AWriteCutShortLeavesTheOldCardReadable) {
  // What a crash in the middle of a write leaves: a torn new file beside the old one.
  const std::string file = editor_->State().TokenFile("Reader");
  std::string before;
  ASSERT_TRUE(vmw::ReadWholeFile(file, before));
  std::FILE* torn = std::fopen((file + ".new").c_str(), "wb");
  ASSERT_NE(torn, nullptr);
  std::fputs(before.substr(0, before.size() / 2).c_str(), torn);
  std::fclose(torn);
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  EXPECT_EQ(Trimmed(TokenInfo(slot_).label, 32), "Token S1");
  EXPECT_EQ(Login(session_, CKU_USER, "1234"), CKR_USER_ALREADY_LOGGED_IN);
  ASSERT_EQ(F()->C_Logout(session_), CKR_OK);
  EXPECT_EQ(Login(session_, CKU_USER, "0000"), CKR_PIN_INCORRECT);  // a write over the torn file
  std::string after;
  ASSERT_TRUE(vmw::ReadWholeFile(file, after));
  EXPECT_NE(after.find("pin-tries-left = 2\n"), std::string::npos);
}

}  // namespace
}  // namespace vmwtest

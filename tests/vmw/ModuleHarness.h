// Loads the virtual module by file, as a client does, over a private state
// folder that each test fills with the state editor.
#ifndef QUORIN_TESTS_VMW_MODULE_HARNESS_H
#define QUORIN_TESTS_VMW_MODULE_HARNESS_H

#include "platform/cryptoki/cryptoki.h"
#include "vmw/tools/StateEditor.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace vmwtest {

// Where the test data files are (certificates and keys made with OpenSSL).
std::string DataFile(const std::string& name);
vmw::Bytes ReadDataFile(const std::string& name);
void SetEnvironment(const char* name, const std::string& value);

class ModuleHarness : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A reader with a card: serial, label "Token <serial>", PIN 1234, PUK 12345678.
  void AddCard(const std::string& reader, const std::string& serial);
  CK_FUNCTION_LIST* F() const { return functions_; }
  CK_RV Initialize();
  CK_SLOT_ID SlotOf(const std::string& reader);
  CK_SESSION_HANDLE Open(CK_SLOT_ID slot, CK_FLAGS flags = CKF_SERIAL_SESSION | CKF_RW_SESSION);
  CK_RV Login(CK_SESSION_HANDLE session, CK_USER_TYPE user, const std::string& pin);
  CK_TOKEN_INFO TokenInfo(CK_SLOT_ID slot);
  std::vector<CK_OBJECT_HANDLE> Find(CK_SESSION_HANDLE session, std::vector<CK_ATTRIBUTE> search);
  vmw::Bytes Attribute(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object, CK_ATTRIBUTE_TYPE type);

  std::string root_;
  std::unique_ptr<vmw::StateEditor> editor_;

 private:
  void* library_ = nullptr;
  CK_FUNCTION_LIST* functions_ = nullptr;
};

std::string Trimmed(const CK_UTF8CHAR* field, std::size_t size);

}  // namespace vmwtest

#endif

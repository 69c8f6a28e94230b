#include "ModuleHarness.h"

#include "vmw/state/DurableFile.h"

#include <filesystem>

#if defined(_WIN32)
#  include <windows.h>
#else
#  include <dlfcn.h>
#  include <stdlib.h>
#  include <unistd.h>
#endif

namespace vmwtest {

namespace fs = std::filesystem;

namespace {

void* LoadModule() {
#if defined(_WIN32)
  return reinterpret_cast<void*>(LoadLibraryA("nimbrel.dll"));
#else
  return dlopen(QUORIN_NIMBREL_PATH, RTLD_NOW | RTLD_LOCAL);
#endif
}

void* Symbol(void* library, const char* name) {
#if defined(_WIN32)
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
#else
  return dlsym(library, name);
#endif
}

void Unload(void* library) {
#if defined(_WIN32)
  FreeLibrary(static_cast<HMODULE>(library));
#else
  dlclose(library);
#endif
}

int ProcessId() {
#if defined(_WIN32)
  return static_cast<int>(GetCurrentProcessId());
#else
  return static_cast<int>(getpid());
#endif
}

}  // namespace

std::string DataFile(const std::string& name) {
#if defined(_WIN32)
  return "vmw-data/" + name;  // copied beside the test program
#else
  return std::string(QUORIN_VMW_DATA) + "/" + name;
#endif
}

vmw::Bytes ReadDataFile(const std::string& name) {
  std::string content;
  EXPECT_TRUE(vmw::ReadWholeFile(DataFile(name), content)) << DataFile(name);
  vmw::Bytes der;
  EXPECT_TRUE(vmw::DecodeDerOrPem(content, der)) << name;
  return der;
}

void SetEnvironment(const char* name, const std::string& value) {
#if defined(_WIN32)
  SetEnvironmentVariableA(name, value.c_str());
#else
  setenv(name, value.c_str(), 1);
#endif
}

void ModuleHarness::SetUp() {
  const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
  root_ = (fs::temp_directory_path() / ("vmw-" + std::string(info->name()) + "-" +
                                        std::to_string(ProcessId())))
              .u8string();
  std::error_code error;
  fs::remove_all(fs::u8path(root_), error);
  SetEnvironment(vmw::StateFolder::kEnvironmentVariable, root_);
  editor_.reset(new vmw::StateEditor(vmw::StateFolder(root_)));
  ASSERT_TRUE(editor_->Init()) << editor_->Error();
  library_ = LoadModule();
  ASSERT_NE(library_, nullptr) << "cannot load the virtual module";
  auto getList = reinterpret_cast<CK_C_GetFunctionList>(Symbol(library_, "C_GetFunctionList"));
  ASSERT_NE(getList, nullptr);
  ASSERT_EQ(getList(&functions_), CKR_OK);
}

void ModuleHarness::TearDown() {
  if (functions_) functions_->C_Finalize(nullptr);
  if (library_) Unload(library_);
  std::error_code error;
  fs::remove_all(fs::u8path(root_), error);
}

void ModuleHarness::AddCard(const std::string& reader, const std::string& serial) {
  ASSERT_TRUE(editor_->AddReader(reader)) << editor_->Error();
  vmw::CardDetails details;
  details.serial = serial;
  details.label = "Token " + serial;
  ASSERT_TRUE(editor_->CreateCard(reader, details)) << editor_->Error();
}

CK_RV ModuleHarness::Initialize() {
  CK_C_INITIALIZE_ARGS args = {};
  args.flags = CKF_OS_LOCKING_OK;
  return functions_->C_Initialize(&args);
}

CK_SLOT_ID ModuleHarness::SlotOf(const std::string& reader) {
  CK_SLOT_ID slots[16];
  CK_ULONG count = 16;
  EXPECT_EQ(functions_->C_GetSlotList(CK_TRUE, slots, &count), CKR_OK);
  for (CK_ULONG i = 0; i < count; ++i) {
    CK_SLOT_INFO info;
    EXPECT_EQ(functions_->C_GetSlotInfo(slots[i], &info), CKR_OK);
    if (Trimmed(info.slotDescription, sizeof info.slotDescription) == reader) return slots[i];
  }
  ADD_FAILURE() << "no slot for " << reader;
  return ~static_cast<CK_SLOT_ID>(0);
}

CK_SESSION_HANDLE ModuleHarness::Open(CK_SLOT_ID slot, CK_FLAGS flags) {
  CK_SESSION_HANDLE session = 0;
  EXPECT_EQ(functions_->C_OpenSession(slot, flags, nullptr, nullptr, &session), CKR_OK);
  return session;
}

CK_RV ModuleHarness::Login(CK_SESSION_HANDLE session, CK_USER_TYPE user, const std::string& pin) {
  return functions_->C_Login(session, user,
                             reinterpret_cast<CK_UTF8CHAR_PTR>(const_cast<char*>(pin.data())),
                             static_cast<CK_ULONG>(pin.size()));
}

CK_TOKEN_INFO ModuleHarness::TokenInfo(CK_SLOT_ID slot) {
  CK_TOKEN_INFO info = {};
  EXPECT_EQ(functions_->C_GetTokenInfo(slot, &info), CKR_OK);
  return info;
}

std::vector<CK_OBJECT_HANDLE> ModuleHarness::Find(CK_SESSION_HANDLE session,
                                                  std::vector<CK_ATTRIBUTE> search) {
  std::vector<CK_OBJECT_HANDLE> found;
  EXPECT_EQ(functions_->C_FindObjectsInit(session, search.data(), static_cast<CK_ULONG>(search.size())),
            CKR_OK);
  CK_OBJECT_HANDLE handles[3];
  CK_ULONG count = 0;
  do {
    EXPECT_EQ(functions_->C_FindObjects(session, handles, 3, &count), CKR_OK);
    found.insert(found.end(), handles, handles + count);
  } while (count == 3);
  EXPECT_EQ(functions_->C_FindObjectsFinal(session), CKR_OK);
  return found;
}

vmw::Bytes ModuleHarness::Attribute(CK_SESSION_HANDLE session, CK_OBJECT_HANDLE object,
                                    CK_ATTRIBUTE_TYPE type) {
  CK_ATTRIBUTE query = {type, nullptr, 0};
  EXPECT_EQ(functions_->C_GetAttributeValue(session, object, &query, 1), CKR_OK);
  vmw::Bytes value(query.ulValueLen);
  query.pValue = value.data();
  EXPECT_EQ(functions_->C_GetAttributeValue(session, object, &query, 1), CKR_OK);
  return value;
}

std::string Trimmed(const CK_UTF8CHAR* field, std::size_t size) {
  std::string text(reinterpret_cast<const char*>(field), size);
  std::size_t end = text.find_last_not_of(' ');
  return end == std::string::npos ? std::string() : text.substr(0, end + 1);
}

}  // namespace vmwtest

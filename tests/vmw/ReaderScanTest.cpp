// Under Wine: the manager's view of the virtual middleware. The reader scan
// goes through the simulated winscard.dll, the token through nimbrel.dll, and
// cards come and go by vmwctl.exe between two scans.
#include "ModuleHarness.h"
#include "WindowsHarness.h"

#include <winscard.h>

#include <gtest/gtest.h>

namespace vmwtest {
namespace {

class ReaderScanTest : public ModuleHarness {
 protected:
  int Tool(const std::string& arguments) { return RunBeside("vmwctl.exe", arguments); }
};

TEST_F(ReaderScanTest, TheSimulatorIsTheWinscardInUse) {
  // Wine's own stub fails every context (0x80100001); the simulator serves
  // any existing state folder.
  SCARDCONTEXT context = 0;
  ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context), SCARD_S_SUCCESS)
      << "is WINEDLLOVERRIDES missing winscard=n?";
  EXPECT_EQ(SCardReleaseContext(context), SCARD_S_SUCCESS);
}

TEST_F(ReaderScanTest, ServiceAndReaderCodes) {
  std::vector<std::string> found;
  SetEnvironment(vmw::StateFolder::kEnvironmentVariable, root_ + "\\missing");
  EXPECT_EQ(ScanReaders(found), static_cast<LONG>(SCARD_E_NO_SERVICE));
  SetEnvironment(vmw::StateFolder::kEnvironmentVariable, root_);
  EXPECT_EQ(ScanReaders(found), static_cast<LONG>(SCARD_E_NO_READERS_AVAILABLE));
  ASSERT_EQ(Tool("service stop"), 0);
  EXPECT_EQ(ScanReaders(found), static_cast<LONG>(SCARD_E_NO_SERVICE));
  ASSERT_EQ(Tool("service start"), 0);
  ASSERT_EQ(Tool("reader add \"Empty Reader\""), 0);
  EXPECT_EQ(ScanReaders(found), SCARD_S_SUCCESS);
  EXPECT_TRUE(found.empty());
}

TEST_F(ReaderScanTest, ReaderListWithoutAutomaticAllocation) {
  ASSERT_EQ(Tool("reader add \"Reader B\""), 0);
  ASSERT_EQ(Tool("reader add \"Reader A\""), 0);
  SCARDCONTEXT context = 0;
  ASSERT_EQ(SCardEstablishContext(SCARD_SCOPE_USER, nullptr, nullptr, &context), SCARD_S_SUCCESS);
  DWORD length = 0;
  ASSERT_EQ(SCardListReadersA(context, nullptr, nullptr, &length), SCARD_S_SUCCESS);
  EXPECT_EQ(length, 19u);  // "Reader A\0Reader B\0\0"
  char small[10];
  DWORD smallLength = sizeof small;
  EXPECT_EQ(SCardListReadersA(context, nullptr, small, &smallLength),
            static_cast<LONG>(SCARD_E_INSUFFICIENT_BUFFER));
  char buffer[32];
  length = sizeof buffer;
  ASSERT_EQ(SCardListReadersA(context, nullptr, buffer, &length), SCARD_S_SUCCESS);
  EXPECT_EQ(std::string(buffer, length), std::string("Reader A\0Reader B\0", 19));

  SCARD_READERSTATEA states[2] = {};
  states[0].szReader = "Reader A";
  states[0].dwCurrentState = SCARD_STATE_EMPTY;
  states[1].szReader = "No Such Reader";
  states[1].dwCurrentState = SCARD_STATE_UNAWARE;
  ASSERT_EQ(SCardGetStatusChangeA(context, 0, states, 1), static_cast<LONG>(SCARD_E_TIMEOUT))
      << "nothing changed for a reader already known to be empty";
  ASSERT_EQ(SCardGetStatusChangeA(context, 0, states, 2), SCARD_S_SUCCESS);
  EXPECT_EQ(states[0].dwEventState, static_cast<DWORD>(SCARD_STATE_EMPTY));
  EXPECT_TRUE(states[1].dwEventState & SCARD_STATE_UNKNOWN);
  EXPECT_EQ(SCardReleaseContext(context), SCARD_S_SUCCESS);
  EXPECT_EQ(SCardReleaseContext(context), static_cast<LONG>(SCARD_E_INVALID_HANDLE));
}

TEST_F(ReaderScanTest, CardInsertedAndRemovedBetweenTwoScans) {
  const std::string reader = "Quorin Virtual Reader 0";
  ASSERT_EQ(Tool("reader add \"" + reader + "\""), 0);
  std::vector<std::string> found;
  ASSERT_EQ(ScanReaders(found), SCARD_S_SUCCESS);
  EXPECT_TRUE(found.empty());

  ASSERT_EQ(Tool("card create \"" + reader + "\" --serial 0001 --label \"Demo Token\""), 0);
  ASSERT_EQ(ScanReaders(found), SCARD_S_SUCCESS);
  ASSERT_EQ(found, std::vector<std::string>{reader});

  // The manager's next step: re-initialise the module and find the reader's slot.
  ASSERT_EQ(Initialize(), CKR_OK);
  CK_SLOT_ID slots[10];
  CK_ULONG count = 10;
  ASSERT_EQ(F()->C_GetSlotList(CK_TRUE, slots, &count), CKR_OK);
  ASSERT_EQ(count, 1u);
  CK_SLOT_INFO slot;
  ASSERT_EQ(F()->C_GetSlotInfo(slots[0], &slot), CKR_OK);
  EXPECT_EQ(std::string(reinterpret_cast<char*>(slot.slotDescription), reader.size()), reader);
  EXPECT_EQ(Trimmed(TokenInfo(slots[0]).label, 32), "Demo Token");

  ASSERT_EQ(Tool("card remove \"" + reader + "\""), 0);
  ASSERT_EQ(ScanReaders(found), SCARD_S_SUCCESS);
  EXPECT_TRUE(found.empty());
  CK_TOKEN_INFO info;
  EXPECT_EQ(F()->C_GetTokenInfo(slots[0], &info), CKR_TOKEN_NOT_PRESENT);

  ASSERT_EQ(Tool("card insert \"" + reader + "\" 0001"), 0);
  ASSERT_EQ(ScanReaders(found), SCARD_S_SUCCESS);
  EXPECT_EQ(found, std::vector<std::string>{reader});
  ASSERT_EQ(F()->C_Finalize(nullptr), CKR_OK);
  ASSERT_EQ(Initialize(), CKR_OK);
  EXPECT_EQ(Trimmed(TokenInfo(SlotOf(reader)).label, 32), "Demo Token");
}

TEST_F(ReaderScanTest, ToolRefusesBadInputWithANonZeroExit) {
  const char* refused[] = {
      "",
      "reader add \"bad:name\"",
      "card create \"Nowhere\" --serial 1",
      "card create",
      "fault set C_Login 30",
      "cert add \"Nowhere\" missing.der",
  };
  for (const char* arguments : refused) EXPECT_NE(Tool(arguments), 0) << arguments;
}

}  // namespace
}  // namespace vmwtest

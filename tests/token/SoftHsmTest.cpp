// CCryptoki against SoftHSM2, a standard module that no one here wrote. Each
// test gets a token of its own in a private folder; OpenSC's pkcs11-tool puts
// objects on it and reads them back.

#include "tests/token/TokenTestSupport.h"
#include "tests/token/fixtures/Fixtures.h"
#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/pkcs12/PKCS12.h"
#include "tokarium/token/CertificateFields.h"
#include "tokarium/token/Cryptoki.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <memory>
#include <sstream>

namespace {

const char SOFTHSM[] = "/usr/lib/softhsm/libsofthsm2.so";
const char TOKEN_LABEL[] = "TokariumTest";
const char PIN[] = "1234";
const char SO_PIN[] = "87654321";

std::string Shell(const std::string& command, int* status = nullptr)
{
    std::string output;
    FILE* pipe = popen((command + " 2>&1").c_str(), "r");
    char buffer[4096];
    size_t n;
    while (pipe && (n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    int rc = pipe ? pclose(pipe) : -1;
    if (status)
        *status = rc;
    return output;
}

std::string Tool(const std::string& arguments)
{
    int status = 0;
    std::string output = Shell(std::string("pkcs11-tool --module ") + SOFTHSM + " --token-label "
                               + TOKEN_LABEL + " " + arguments, &status);
    EXPECT_EQ(status, 0) << output;
    return output;
}

std::string ToolLoggedIn(const std::string& arguments)
{
    return Tool(std::string("--login --pin ") + PIN + " " + arguments);
}

std::string ObjectListing() { return ToolLoggedIn("--list-objects"); }

int Occurrences(const std::string& text, const std::string& what)
{
    int n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++n;
    return n;
}

std::vector<unsigned char> Bytes(const unsigned char* data, size_t size)
{
    return std::vector<unsigned char>(data, data + size);
}

class SoftHsmTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
        folder = "softhsm_" + name;
        Shell("rm -rf " + folder + " && mkdir -p " + folder + "/tokens");
        std::string absolute = Shell("cd " + folder + " && pwd");
        absolute.erase(absolute.find_last_not_of("\n") + 1);
        std::ofstream(folder + "/softhsm2.conf")
            << "directories.tokendir = " << absolute << "/tokens\n"
            << "objectstore.backend = file\nlog.level = ERROR\n";
        SetEnvironment("SOFTHSM2_CONF", absolute + "/softhsm2.conf");
        int status = 0;
        std::string out = Shell(std::string("softhsm2-util --init-token --free --label ")
                                + TOKEN_LABEL + " --so-pin " + SO_PIN + " --pin " + PIN, &status);
        ASSERT_EQ(status, 0) << out;
        log.reset(new LogCapture(name));
        RecorderAccess::Target(SOFTHSM);
        recorder.reset(new RecorderAccess());
    }

    void TearDown() override
    {
        cryptoki.Detach();
        recorder.reset();
        log.reset();
        Shell("rm -rf " + folder);
    }

    // Binds SoftHSM through the recorder and opens a session on the token.
    void Open()
    {
        ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
        ASSERT_EQ(cryptoki.Initialize(), 0u);
        slot = TokenSlot();
        ASSERT_EQ(cryptoki.OpenSession(slot, session), 0u);
    }

    // The slot that pkcs11-tool lists for our token, read from its own output.
    CK_SLOT_ID TokenSlot()
    {
        std::string listing = Shell(std::string("pkcs11-tool --module ") + SOFTHSM + " -L");
        size_t at = listing.find("token label        : " + std::string(TOKEN_LABEL));
        size_t slotLine = listing.rfind("(0x", at);
        return std::strtoul(listing.c_str() + slotLine + 3, nullptr, 16);
    }

    void WriteUserObjects(const std::string& label, const std::string& id)
    {
        std::string where = " --label " + label + " --id " + id;
        ToolLoggedIn("--write-object " + FixturePath("user.der") + " --type cert" + where);
        ToolLoggedIn("--write-object " + FixturePath("user.key.der") + " --type privkey" + where);
        ToolLoggedIn("--write-object " + FixturePath("user.pub.der") + " --type pubkey" + where);
    }

    std::string folder;
    std::unique_ptr<LogCapture> log;
    std::unique_ptr<RecorderAccess> recorder;
    CCryptoki cryptoki;
    CK_SLOT_ID slot = 0;
    CK_SESSION_HANDLE session = 0;
};

TEST_F(SoftHsmTest, ListsSlotsWithTheirDescriptionsAndFindsTheReadersSlot)
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    CK_SLOT_ID expected = TokenSlot();

    CK_SLOT_ID slots[CCryptoki::MAX_SLOTS];
    CCryptoki::SlotDescription descriptions[CCryptoki::MAX_SLOTS];
    CK_ULONG count = CCryptoki::MAX_SLOTS;
    ASSERT_EQ(cryptoki.GetSlotList(slots, descriptions, count), 0u);
    ASSERT_EQ(count, 2u); // ours and the spare uninitialised token
    int ours = slots[0] == expected ? 0 : 1;
    ASSERT_EQ(slots[ours], expected);
    char name[64];
    std::snprintf(name, sizeof name, "SoftHSM slot ID 0x%lx", static_cast<unsigned long>(expected));
    EXPECT_EQ(std::strlen(descriptions[ours]), 64u);
    EXPECT_EQ(TextField(reinterpret_cast<CK_UTF8CHAR*>(descriptions[ours]), 64), name);

    CK_SLOT_ID found = ~static_cast<CK_SLOT_ID>(0);
    EXPECT_EQ(cryptoki.GetSlotID(name, found), 0u);
    EXPECT_EQ(found, expected);

    CK_TOKEN_INFO info;
    ASSERT_EQ(cryptoki.GetTokenInfo(found, info), 0u);
    EXPECT_EQ(TextField(info.label, sizeof info.label), TOKEN_LABEL);
    EXPECT_EQ(TextField(info.model, sizeof info.model), "SoftHSM v2");
    EXPECT_TRUE(info.flags & CKF_TOKEN_INITIALIZED);

    EXPECT_EQ(recorder->Calls("C_GetSlotList"),
              std::vector<std::string>(2, "C_GetSlotList present=1 count=A"));
}

TEST_F(SoftHsmTest, SlotListBeyondTheCallersCapacityIsMoreDataAndTouchesNothing)
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    CK_SLOT_ID slots[1] = {77};
    CCryptoki::SlotDescription descriptions[1] = {"untouched"};
    CK_ULONG count = 1;
    EXPECT_EQ(cryptoki.GetSlotList(slots, descriptions, count), 234u);
    EXPECT_EQ(count, 1u);
    EXPECT_EQ(slots[0], 77u);
    EXPECT_STREQ(descriptions[0], "untouched");
    EXPECT_TRUE(recorder->Calls("C_GetSlotInfo").empty());
}

TEST_F(SoftHsmTest, InitializeTwiceSucceedsAndAsksForOperatingSystemLocking)
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    EXPECT_EQ(cryptoki.Initialize(), 0u);
    EXPECT_EQ(cryptoki.Initialize(), 0u);
    EXPECT_EQ(recorder->Calls("C_Initialize"),
              std::vector<std::string>(2, "C_Initialize flags=2 no-mutexes no-reserved"));
    EXPECT_EQ(cryptoki.Finalize(), 0u);
    EXPECT_EQ(cryptoki.Finalize(), CKR_CRYPTOKI_NOT_INITIALIZED);
}

TEST_F(SoftHsmTest, SessionOnAnUnlistedSlotOpensOnTheFirstListedSlot)
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    CK_SLOT_ID slots[CCryptoki::MAX_SLOTS];
    CCryptoki::SlotDescription descriptions[CCryptoki::MAX_SLOTS];
    CK_ULONG count = CCryptoki::MAX_SLOTS;
    ASSERT_EQ(cryptoki.GetSlotList(slots, descriptions, count), 0u);
    log->Clear();

    ASSERT_EQ(cryptoki.OpenSession(0x7777777, session), 0u);
    EXPECT_NE(session, 0u);
    std::vector<std::string> opened = recorder->Calls("C_OpenSession");
    ASSERT_EQ(opened.size(), 1u);
    char expected[80];
    std::snprintf(expected, sizeof expected, "C_OpenSession slot=%lX flags=6 no-application no-notify",
                  static_cast<unsigned long>(slots[0]));
    EXPECT_EQ(opened[0], expected);
    char message[80];
    std::snprintf(message, sizeof message, "OpenSession slot: %lx, session :%lx",
                  static_cast<unsigned long>(slots[0]), static_cast<unsigned long>(session));
    EXPECT_EQ(log->Cryptoki(),
              std::vector<LogRecord>({{4, "0", "CCryptoki::OpenSession", message}}));
    EXPECT_EQ(cryptoki.CloseSession(session), 0u);
    EXPECT_EQ(cryptoki.CloseSession(session), CKR_SESSION_HANDLE_INVALID);
}

TEST_F(SoftHsmTest, LoginResults)
{
    Open();
    EXPECT_EQ(cryptoki.Login(session, "9999"), CKR_PIN_INCORRECT);
    EXPECT_EQ(cryptoki.Login(session, PIN), 0u);
    EXPECT_EQ(cryptoki.Login(session, PIN), 0u); // the module says 0x100
    log->Clear();
    EXPECT_EQ(cryptoki.Logout(session), 0u);
    EXPECT_EQ(cryptoki.Logout(session), 0u); // SoftHSM accepts a logout when nobody is in
    char message[40];
    std::snprintf(message, sizeof message, "Logout session :%lx", static_cast<unsigned long>(session));
    EXPECT_EQ(log->Cryptoki(), std::vector<LogRecord>(2, {4, "0", "CCryptoki::Logout", message}));
    EXPECT_EQ(recorder->Calls("C_Login"),
              std::vector<std::string>({"C_Login user=1 pin=39393939", "C_Login user=1 pin=31323334",
                                        "C_Login user=1 pin=31323334"}));
}

TEST_F(SoftHsmTest, ListsCertificatesAndKeysThatPkcs11ToolWrote)
{
    WriteUserObjects("tool-user", "4B31");
    ToolLoggedIn("--write-object " + FixturePath("root.der") + " --type cert --id 01");
    Open();
    log->Clear();

    CertificateList certificates = {nullptr, 0};
    ASSERT_EQ(cryptoki.GetCertificates(session, certificates), 0u);
    ASSERT_EQ(certificates.count, 2u);
    const CertificateEntry* user = nullptr;
    const CertificateEntry* root = nullptr;
    for (uint32_t i = 0; i < 2; ++i)
        (std::string(certificates.entries[i].label) == "tool-user" ? user : root) =
            &certificates.entries[i];
    ASSERT_TRUE(user && root);
    EXPECT_STREQ(user->subject, "C=IT,ON=Example,CN=Test User");
    EXPECT_STREQ(user->issuer, "C=IT,ON=Example,CN=Example Issuing CA");
    EXPECT_EQ(user->serial, "00" + std::string(fixtures::userSerialOpenSSL));
    EXPECT_STREQ(user->notBefore, fixtures::userNotBefore);
    EXPECT_STREQ(user->notAfter, fixtures::userNotAfter);
    EXPECT_EQ(Bytes(user->value, user->valueLength), Bytes(fixtures::userDer, sizeof fixtures::userDer));
    EXPECT_STREQ(root->label, "");
    EXPECT_STREQ(root->serial, fixtures::rootSerialOpenSSL);
    EXPECT_STREQ(root->subject, "C=IT,ON=Example,CN=Example Root CA");
    EXPECT_NE(user->handle, root->handle);
    ReleaseCertificateEntries(certificates);

    PrivateKeyList keys = {nullptr, 0};
    ASSERT_EQ(cryptoki.GetPrivateKeys(session, keys), 0u);
    EXPECT_EQ(keys.count, 0u);
    EXPECT_EQ(keys.entries, nullptr);
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    ASSERT_EQ(cryptoki.GetPrivateKeys(session, keys), 0u);
    ASSERT_EQ(keys.count, 1u);
    EXPECT_STREQ(keys.entries[0].label, "tool-user");
    EXPECT_NE(keys.entries[0].handle, 0u);
    ReleasePrivateKeyEntries(keys);

    EXPECT_EQ(log->Cryptoki(),
              std::vector<LogRecord>({{4, "0", "CCryptoki::GetCertificates", ""},
                                      {4, "0", "CCryptoki::GetCertificate", "count: 2"},
                                      {4, "0", "CCryptoki::GetCertificate", "i: 0"},
                                      {4, "0", "CCryptoki::GetCertificate", "i: 1"},
                                      {4, "0", "CCryptoki::GetPrivateKeys", ""},
                                      {1, "0", "CCryptoki::GetPrivateKeys", "PrivateKey not found"},
                                      {4, "0", "CCryptoki::GetPrivateKeys", ""},
                                      {4, "0", "CCryptoki::GetPrivateKeys", "count: 1"},
                                      {4, "0", "CCryptoki::GetPrivateKeys", "i: 0"}}));
}

TEST_F(SoftHsmTest, CertificateByLabelGivesItsValueAndIdentifier)
{
    WriteUserObjects("tool-user", "4B31");
    Open();
    CCertificate* certificate = nullptr;
    CByteArray id;
    ASSERT_EQ(cryptoki.GetCertificate(session, "tool-user", certificate, id), 0u);
    std::unique_ptr<CCertificate> owned(certificate);
    ASSERT_TRUE(owned);
    EXPECT_EQ(Hex(id.getData(), id.getSize()), "4B31");
    EXPECT_EQ(Hex(EncodedCertificate(*owned)), Hex(fixtures::userDer, sizeof fixtures::userDer));

    CByteArray none;
    EXPECT_EQ(cryptoki.GetCertificate(session, "tool-use", certificate, none),
              CCryptoki::CERTIFICATE_NOT_FOUND);
    EXPECT_EQ(certificate, nullptr);
    EXPECT_EQ(none.getSize(), 0u);
}

TEST_F(SoftHsmTest, ImportTemplatesAreRefusedAndTheRefusalPassesUpUnchanged)
{
    Open();
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    log->Clear();
    EXPECT_EQ(cryptoki.ImportCertificate(session, certificate, true), CKR_TEMPLATE_INCOMPLETE);
    EXPECT_EQ(log->Cryptoki(),
              std::vector<LogRecord>({{4, "0", "CCryptoki::ImportCertificate", "rv: d0"}}));
    EXPECT_TRUE(recorder->Calls("C_FindObjectsInit").empty());

    CByteStream stream(fixtures::userP12, sizeof fixtures::userP12);
    CPKCS12 pkcs12(stream);
    pkcs12.decode(fixtures::userP12Password);
    EXPECT_EQ(cryptoki.ImportPKCS12(session, pkcs12, true), CKR_TEMPLATE_INCOMPLETE);
    EXPECT_EQ(Occurrences(ObjectListing(), "Object;"), 0);
}

TEST_F(SoftHsmTest, ImportTakesTheIdentityOfTheKeyFoundByModulus)
{
    // pkcs11-tool stores the modulus without the INTEGER's leading 00, which
    // is how the key search asks for it.
    ToolLoggedIn("--write-object " + FixturePath("user.key.der")
                 + " --type privkey --label tool-key --id 4B31");
    Open();
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    recorder->Complete(true);
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    log->Clear();
    EXPECT_EQ(cryptoki.ImportCertificate(session, certificate, true), 0u);

    std::string modulus = fixtures::userModulusOpenSSL;
    EXPECT_EQ(recorder->Calls("C_FindObjectsInit"),
              std::vector<std::string>({"C_FindObjectsInit [0=" + UlongHex(CKO_PRIVATE_KEY)
                                        + ",120=" + modulus + "]"}));
    EXPECT_EQ(log->Cryptoki(),
              std::vector<LogRecord>({{4, "0", "CCryptoki::ImportCertificate", "rv: 0"},
                                      {4, "0", "CCryptoki::ImportCertificate", "private key found: 1"},
                                      {4, "0", "CCryptoki::ImportCertificate", "ID attribute set: 1"}}));
    std::string listing = ObjectListing();
    EXPECT_EQ(Occurrences(listing, "label:      tool-key"), 2) << listing;
    EXPECT_EQ(Occurrences(listing, "ID:         4b31"), 2) << listing;
}

TEST_F(SoftHsmTest, DeletionByLabelTakesTheCertificateWithBothKeys)
{
    WriteUserObjects("tool-user", "4B31");
    ToolLoggedIn("--write-object " + FixturePath("root.der") + " --type cert --label other --id 01");
    Open();
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    log->Clear();
    EXPECT_EQ(cryptoki.DeleteCertificate(session, "tool-user"), 0u);
    EXPECT_EQ(log->Cryptoki(),
              std::vector<LogRecord>({{4, "0", "CCryptoki::DeleteCertificate", "rv: 0"},
                                      {4, "0", "CCryptoki::DeletePrivateKey", "rv: 0"},
                                      {4, "0", "CCryptoki::DeletePublicKey", "rv: 0"}}));
    std::string label = Hex(std::string("tool-user"));
    EXPECT_EQ(recorder->Calls("C_FindObjectsInit"),
              std::vector<std::string>({"C_FindObjectsInit [0=" + UlongHex(CKO_CERTIFICATE) + ",3=" + label + "]",
                                        "C_FindObjectsInit [0=" + UlongHex(CKO_PRIVATE_KEY) + ",3=" + label + "]",
                                        "C_FindObjectsInit [0=" + UlongHex(CKO_PUBLIC_KEY) + ",3=" + label + "]"}));
    EXPECT_EQ(recorder->Calls("C_FindObjects "), std::vector<std::string>(3, "C_FindObjects max=1"));
    std::string listing = ObjectListing();
    EXPECT_EQ(Occurrences(listing, "Object;"), 1) << listing;
    EXPECT_EQ(Occurrences(listing, "label:      other"), 1) << listing;
}

TEST_F(SoftHsmTest, ResetEmptiesTheTokenOfWhatTheSessionSees)
{
    WriteUserObjects("tool-user", "4B31");
    ToolLoggedIn("--write-object " + FixturePath("root.der") + " --type cert --label root --id 01");
    Open();
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    log->Clear();
    EXPECT_EQ(cryptoki.ResetDevice(session), 0u);
    EXPECT_EQ(log->Cryptoki(),
              std::vector<LogRecord>({{3, "0", "CCryptoki::ResertDevice", "Certificate found: 2"},
                                      {3, "0", "CCryptoki::ResertDevice", "Public Key found: 1"},
                                      {3, "0", "CCryptoki::ResertDevice", "Private Key found: 1"}}));
    EXPECT_EQ(recorder->Calls("C_FindObjects "), std::vector<std::string>(3, "C_FindObjects max=28"));
    EXPECT_EQ(recorder->Calls("C_DestroyObject").size(), 4u);
    EXPECT_EQ(Occurrences(ObjectListing(), "Object;"), 0);
}

TEST_F(SoftHsmTest, PinChangeAndTokenLabel)
{
    Open();
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_USER, "0000", "5678"), CKR_PIN_INCORRECT);
    EXPECT_TRUE(recorder->Calls("C_SetPIN").empty());
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_USER, PIN, "5678"), 0u);
    EXPECT_EQ(recorder->Calls("C_SetPIN"),
              std::vector<std::string>({"C_SetPIN old=31323334 new=35363738"}));
    ASSERT_EQ(cryptoki.Logout(session), 0u);
    EXPECT_EQ(cryptoki.Login(session, "5678"), 0u);
    ASSERT_EQ(cryptoki.CloseSession(session), 0u);

    // SoftHSM wants the SO PIN for C_InitToken; the empty one is refused.
    EXPECT_EQ(cryptoki.InitToken(slot, "Renamed"), CKR_PIN_INCORRECT);
    char expected[40];
    std::snprintf(expected, sizeof expected, "C_InitToken slot=%lX pin= label=",
                  static_cast<unsigned long>(slot));
    EXPECT_EQ(recorder->Calls("C_InitToken"),
              std::vector<std::string>({expected + Hex(std::string("Renamed") + std::string(25, ' '))}));
}

} // namespace

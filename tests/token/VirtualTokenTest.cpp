// CCryptoki against the virtual token module: every operation, its calls as
// the module receives them, its log records, and the objects it leaves.

#include "tests/token/VirtualTokenFixture.h"
#include "tests/token/fixtures/Fixtures.h"
#include "tokarium/asn1/ASN1Exception.h"
#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/pkcs12/PKCS12.h"

#include <cstdio>
#include <cstring>
#include <memory>

namespace {

typedef VirtualTokenTest VirtualToken;
typedef std::vector<LogRecord> Records;
typedef std::vector<std::string> Calls;

const char IMPORT[] = "CCryptoki::ImportCertificate";
const char RESET[] = "CCryptoki::ResertDevice";

std::string ClassHex(CK_OBJECT_CLASS c) { return UlongHex(c); }

std::string UserCertificateTemplate()
{
    std::string serial = Hex(std::string("00FF12"));
    return "C_CreateObject [0=" + ClassHex(CKO_CERTIFICATE) + ",1=01,3=" + serial + ",102=" + serial
           + ",101=" + fixtures::userSubjectOctets + ",81=" + fixtures::userIssuerOctets + ",11="
           + Hex(fixtures::userDer, sizeof fixtures::userDer) + "]";
}

std::unique_ptr<CPKCS12> UserPkcs12(const unsigned char* file, size_t size)
{
    CByteStream stream(file, static_cast<uint32_t>(size));
    std::unique_ptr<CPKCS12> pkcs12(new CPKCS12(stream));
    pkcs12->decode(fixtures::userP12Password);
    return pkcs12;
}

// --- slots and sessions ---------------------------------------------------

TEST_F(VirtualToken, SlotDescriptionBeginsWithTheReaderAndLeadsToTheToken)
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u); // the module says 0x191
    CK_SLOT_ID slots[CCryptoki::MAX_SLOTS];
    CCryptoki::SlotDescription descriptions[CCryptoki::MAX_SLOTS];
    CK_ULONG count = CCryptoki::MAX_SLOTS;
    ASSERT_EQ(cryptoki.GetSlotList(slots, descriptions, count), 0u);
    ASSERT_EQ(count, 1u);
    std::string padded = std::string(READER) + std::string(64 - std::strlen(READER), ' ');
    EXPECT_EQ(descriptions[0], padded);

    CK_SLOT_ID found = ~static_cast<CK_SLOT_ID>(0);
    ASSERT_EQ(cryptoki.GetSlotID(READER, found), 0u);
    EXPECT_EQ(found, slots[0]);
    CK_TOKEN_INFO info;
    ASSERT_EQ(cryptoki.GetTokenInfo(found, info), 0u);
    EXPECT_EQ(TextField(info.label, sizeof info.label), "Token VT0001");
    EXPECT_EQ(TextField(info.serialNumber, sizeof info.serialNumber), "VT0001");

    CK_SLOT_ID preset = ~static_cast<CK_SLOT_ID>(0);
    EXPECT_EQ(cryptoki.GetSlotID("Another Reader", preset), 0u);
    EXPECT_EQ(preset, ~static_cast<CK_SLOT_ID>(0));
    EXPECT_NE(cryptoki.GetTokenInfo(preset, info), 0u);
    EXPECT_EQ(recorder->Calls("C_Initialize"),
              Calls(2, "C_Initialize flags=2 no-mutexes no-reserved"));
}

TEST_F(VirtualToken, ReaderNamedLikeAnotherPlusASuffixYieldsTheFirstListed)
{
    AddCard(std::string(READER) + " 2", "VT0002");
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    CK_SLOT_ID slots[CCryptoki::MAX_SLOTS];
    CCryptoki::SlotDescription descriptions[CCryptoki::MAX_SLOTS];
    CK_ULONG count = CCryptoki::MAX_SLOTS;
    ASSERT_EQ(cryptoki.GetSlotList(slots, descriptions, count), 0u);
    ASSERT_EQ(count, 2u);
    CK_SLOT_ID shorter = 0, longer = 0;
    ASSERT_EQ(cryptoki.GetSlotID(READER, shorter), 0u);
    ASSERT_EQ(cryptoki.GetSlotID((std::string(READER) + " 2").c_str(), longer), 0u);
    EXPECT_EQ(shorter, slots[0]);
    int second = std::strncmp(descriptions[0], (std::string(READER) + " 2").c_str(),
                              std::strlen(READER) + 2) == 0 ? 0 : 1;
    EXPECT_EQ(longer, slots[second]);
}

TEST_F(VirtualToken, MoreThanTenTokensIsTheModulesBufferTooSmall)
{
    for (int i = 1; i <= 10; ++i)
        AddCard("Reader " + std::to_string(i), "VT1" + std::to_string(i));
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    CK_SLOT_ID slots[CCryptoki::MAX_SLOTS];
    CCryptoki::SlotDescription descriptions[CCryptoki::MAX_SLOTS];
    CK_ULONG count = CCryptoki::MAX_SLOTS;
    EXPECT_EQ(cryptoki.GetSlotList(slots, descriptions, count), CKR_BUFFER_TOO_SMALL);
    CK_SLOT_ID found = 0;
    EXPECT_EQ(cryptoki.GetSlotID(READER, found), CKR_BUFFER_TOO_SMALL);
    CK_SESSION_HANDLE none = 0;
    EXPECT_EQ(cryptoki.OpenSession(0, none), CKR_BUFFER_TOO_SMALL);
    EXPECT_EQ(none, 0u);
}

TEST_F(VirtualToken, NoTokenAnywhereOpensNoSession)
{
    ASSERT_TRUE(editor->RemoveCard(READER)) << editor->Error();
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    CK_SESSION_HANDLE none = 0;
    EXPECT_EQ(cryptoki.OpenSession(0, none), CCryptoki::NO_TOKEN_PRESENT);
    EXPECT_EQ(none, 0u);
    EXPECT_TRUE(recorder->Calls("C_OpenSession").empty());
    EXPECT_TRUE(log->Cryptoki().empty());
}

TEST_F(VirtualToken, SessionIsSerialAndReadWriteAndDetachFinalizes)
{
    Open();
    char message[80];
    std::snprintf(message, sizeof message, "Logout session :%lx", static_cast<unsigned long>(session));
    EXPECT_EQ(cryptoki.Logout(session), CKR_USER_NOT_LOGGED_IN);
    EXPECT_EQ(cryptoki.CloseSession(session), 0u);
    EXPECT_EQ(cryptoki.Detach(), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::Logout", message},
                                        {4, "0", "CCryptoki::Detach", "Detach"}}));
    EXPECT_EQ(recorder->Calls(), Calls({"C_Logout", "C_CloseSession", "C_Finalize null"}));
}

TEST_F(VirtualToken, SecondAttachReleasesTheFirstModule)
{
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    ASSERT_EQ(cryptoki.Initialize(), 0u);
    ASSERT_EQ(cryptoki.Attach(RecorderAccess::Path().c_str()), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::Detach", "Detach"}}));
    EXPECT_EQ(recorder->Calls("C_Finalize"), Calls({"C_Finalize null"}));
    EXPECT_EQ(cryptoki.Initialize(), 0u);
    CK_SLOT_ID found = 0;
    EXPECT_EQ(cryptoki.GetSlotID(READER, found), 0u);
}

// --- listings ---------------------------------------------------------------

TEST_F(VirtualToken, FortyOneCertificatesListFortyInTheModulesOrder)
{
    for (int i = 0; i < 41; ++i) {
        char label[8];
        std::snprintf(label, sizeof label, "C%02d", i);
        std::string text = label;
        PutCertificate(fixtures::rootDer, sizeof fixtures::rootDer, &text);
    }
    Open();
    CertificateList list = {nullptr, 0};
    ASSERT_EQ(cryptoki.GetCertificates(session, list), 0u);
    ASSERT_EQ(list.count, 40u);
    for (uint32_t i = 0; i < 40; ++i) {
        char label[8];
        std::snprintf(label, sizeof label, "C%02u", i);
        EXPECT_STREQ(list.entries[i].label, label);
        EXPECT_STREQ(list.entries[i].serial, fixtures::rootSerialOpenSSL);
    }
    ReleaseCertificateEntries(list);
    EXPECT_EQ(recorder->Calls("C_FindObjects"),
              Calls({"C_FindObjectsInit [0=" + ClassHex(CKO_CERTIFICATE) + "]", "C_FindObjects max=28",
                     "C_FindObjectsFinal"}));
    EXPECT_EQ(recorder->Calls("C_GetAttributeValue").size(), 80u);
    EXPECT_EQ(recorder->Calls("C_GetAttributeValue")[0].substr(recorder->Calls("C_GetAttributeValue")[0].find(' ', 20)),
              " [11=null:0,3=null:0]");
    Records expected = {{4, "0", "CCryptoki::GetCertificates", ""},
                        {4, "0", "CCryptoki::GetCertificate", "count: 40"}};
    for (int i = 0; i < 40; ++i)
        expected.push_back({4, "0", "CCryptoki::GetCertificate", "i: " + std::to_string(i)});
    EXPECT_EQ(log->Cryptoki(), expected);
}

TEST_F(VirtualToken, EntriesCarryTheTextsOpenSslReads)
{
    std::string empty;
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    PutCertificate(fixtures::otherDer, sizeof fixtures::otherDer, &empty);
    Open();
    CertificateList list = {nullptr, 0};
    ASSERT_EQ(cryptoki.GetCertificates(session, list), 0u);
    ASSERT_EQ(list.count, 2u);
    const CertificateEntry& user = list.entries[0];
    EXPECT_STREQ(user.label, "00FF12");
    EXPECT_EQ(std::string(user.serial), "00" + std::string(fixtures::userSerialOpenSSL));
    EXPECT_STREQ(user.subject, "C=IT,ON=Example,CN=Test User");
    EXPECT_STREQ(user.issuer, "C=IT,ON=Example,CN=Example Issuing CA");
    EXPECT_STREQ(user.notBefore, fixtures::userNotBefore);
    EXPECT_STREQ(user.notAfter, fixtures::userNotAfter);
    EXPECT_EQ(Hex(user.value, user.valueLength), Hex(fixtures::userDer, sizeof fixtures::userDer));
    const CertificateEntry& other = list.entries[1];
    EXPECT_STREQ(other.label, "");
    EXPECT_STREQ(other.serial, fixtures::otherSerialOpenSSL);
    EXPECT_STREQ(other.subject, "C=IT,ON=Example,CN=Other User");
    EXPECT_NE(user.handle, other.handle);
    ReleaseCertificateEntries(list);
}

TEST_F(VirtualToken, OverlongLabelsAreCutInsideTheirFields)
{
    std::string label(300, 'L');
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, &label);
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, std::string(300, 'K'), false);
    OpenLoggedIn();
    CertificateList certificates = {nullptr, 0};
    ASSERT_EQ(cryptoki.GetCertificates(session, certificates), 0u);
    ASSERT_EQ(certificates.count, 1u);
    EXPECT_EQ(std::string(certificates.entries[0].label), std::string(255, 'L'));
    ReleaseCertificateEntries(certificates);
    PrivateKeyList keys = {nullptr, 0};
    ASSERT_EQ(cryptoki.GetPrivateKeys(session, keys), 0u);
    ASSERT_EQ(keys.count, 1u);
    EXPECT_EQ(std::string(keys.entries[0].label), std::string(259, 'K'));
    ReleasePrivateKeyEntries(keys);
}

TEST_F(VirtualToken, CertificateThatDoesNotParseFailsTheListingAndLeaksNothing)
{
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    vmw::TokenState token = Card();
    vmw::ObjectRecord& broken = token.AddObject();
    broken.SetNumber(CKA_CLASS, CKO_CERTIFICATE);
    broken.SetBool(CKA_TOKEN, true);
    broken.SetOctets(CKA_LABEL, vmw::BytesOf("broken"));
    broken.SetOctets(CKA_VALUE, vmw::Bytes({0x30, 0x82, 0x01}));
    SaveCard(token);
    Open();
    CertificateList list = {nullptr, 0};
    bool thrown = false;
    try {
        cryptoki.GetCertificates(session, list);
    } catch (CASN1Exception* e) {
        thrown = true;
        delete e;
    }
    EXPECT_TRUE(thrown);
    ASSERT_EQ(list.count, 2u);
    EXPECT_NE(list.entries[0].value, nullptr);
    EXPECT_EQ(list.entries[1].value, nullptr);
    EXPECT_EQ(list.entries[1].valueLength, 0u);
    ReleaseCertificateEntries(list); // under the sanitizers a leak fails the run
}

TEST_F(VirtualToken, PrivateKeysAppearOnlyAfterLogin)
{
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "key one", false);
    PutKey(fixtures::otherKeyDer, sizeof fixtures::otherKeyDer, "", false);
    Open();
    PrivateKeyList keys = {nullptr, 7};
    ASSERT_EQ(cryptoki.GetPrivateKeys(session, keys), 0u);
    EXPECT_EQ(keys.entries, nullptr);
    EXPECT_EQ(keys.count, 7u);
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u);
    ASSERT_EQ(cryptoki.Login(session, PIN), 0u); // already logged in
    keys.count = 0;
    ASSERT_EQ(cryptoki.GetPrivateKeys(session, keys), 0u);
    ASSERT_EQ(keys.count, 2u);
    EXPECT_STREQ(keys.entries[0].label, "key one");
    EXPECT_STREQ(keys.entries[1].label, "");
    ReleasePrivateKeyEntries(keys);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::GetPrivateKeys", ""},
                                        {1, "0", "CCryptoki::GetPrivateKeys", "PrivateKey not found"},
                                        {4, "0", "CCryptoki::GetPrivateKeys", ""},
                                        {4, "0", "CCryptoki::GetPrivateKeys", "count: 2"},
                                        {4, "0", "CCryptoki::GetPrivateKeys", "i: 0"},
                                        {4, "0", "CCryptoki::GetPrivateKeys", "i: 1"}}));
    EXPECT_EQ(recorder->Calls("C_Login"), Calls(2, "C_Login user=1 pin=31323334"));
}

TEST_F(VirtualToken, EmptyTokenListsNothingAndSaysSo)
{
    Open();
    CertificateList list = {nullptr, 5};
    ASSERT_EQ(cryptoki.GetCertificates(session, list), 0u);
    EXPECT_EQ(list.count, 0u);
    EXPECT_EQ(list.entries, nullptr);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::GetCertificates", ""},
                                        {1, "0", "CCryptoki::GetCertificate", "Certificate not found: 0"}}));
}

TEST_F(VirtualToken, FailedSearchIsReturnedAndTheSessionCanSearchAgain)
{
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    Open();
    recorder->Fail("C_FindObjects", CKR_DEVICE_ERROR, 1);
    CertificateList list = {nullptr, 0};
    EXPECT_EQ(cryptoki.GetCertificates(session, list), CKR_DEVICE_ERROR);
    EXPECT_EQ(list.entries, nullptr);
    EXPECT_EQ(recorder->Calls("C_FindObjectsFinal").size(), 1u);
    ASSERT_EQ(cryptoki.GetCertificates(session, list), 0u);
    EXPECT_EQ(list.count, 1u);
    ReleaseCertificateEntries(list);
}

TEST_F(VirtualToken, CertificateByLabel)
{
    std::string label = "mine";
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, &label);
    Open();
    CCertificate* certificate = nullptr;
    CByteArray id;
    ASSERT_EQ(cryptoki.GetCertificate(session, "mine", certificate, id), 0u);
    std::unique_ptr<CCertificate> owned(certificate);
    ASSERT_TRUE(owned);
    EXPECT_EQ(Hex(id.getData(), id.getSize()), Hex(std::string("00FF12")));
    EXPECT_EQ(recorder->Calls("C_FindObjectsInit"),
              Calls({"C_FindObjectsInit [0=" + ClassHex(CKO_CERTIFICATE) + ",3=" + Hex(label) + "]"}));
    EXPECT_EQ(cryptoki.GetCertificate(session, "min", certificate, id), CCryptoki::CERTIFICATE_NOT_FOUND);
    EXPECT_EQ(certificate, nullptr);
}

// --- import -------------------------------------------------------------------

TEST_F(VirtualToken, CertificateTakesTheIdentityOfItsKey)
{
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "KEYLABEL", false);
    OpenLoggedIn();
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    ASSERT_EQ(cryptoki.ImportCertificate(session, certificate, true), 0u);
    Calls calls = recorder->Calls();
    ASSERT_EQ(calls.size(), 7u) << ::testing::PrintToString(calls);
    EXPECT_EQ(calls[0], UserCertificateTemplate());
    EXPECT_EQ(calls[1], "C_FindObjectsInit [0=" + ClassHex(CKO_PRIVATE_KEY) + ",120="
                            + fixtures::userModulusOpenSSL + "]");
    EXPECT_EQ(calls[2], "C_FindObjects max=1");
    EXPECT_EQ(calls[3], "C_FindObjectsFinal");
    EXPECT_EQ(calls[4].substr(0, 19), "C_GetAttributeValue");
    EXPECT_EQ(calls[4].substr(calls[4].find('[')), "[102=null:0,3=null:0]");
    EXPECT_EQ(calls[6].substr(calls[6].find('[')),
              "[102=" + Hex(std::string("KEYLABEL")) + ",3=" + Hex(std::string("KEYLABEL")) + "]");
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", IMPORT, "rv: 0"},
                                        {4, "0", IMPORT, "private key found: 1"},
                                        {4, "0", IMPORT, "ID attribute set: 1"}}));
    vmw::TokenState card = Card();
    std::vector<const vmw::ObjectRecord*> certificates = ObjectsOfClass(card, CKO_CERTIFICATE);
    ASSERT_EQ(certificates.size(), 1u);
    EXPECT_EQ(AttributeText(*certificates[0], CKA_LABEL), "KEYLABEL");
    EXPECT_EQ(AttributeText(*certificates[0], CKA_ID), "KEYLABEL");
    EXPECT_EQ(AttributeHex(*certificates[0], CKA_VALUE), Hex(fixtures::userDer, sizeof fixtures::userDer));
}

TEST_F(VirtualToken, CertificateWithoutItsKeyKeepsTheSerialText)
{
    OpenLoggedIn();
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    ASSERT_EQ(cryptoki.ImportCertificate(session, certificate, true), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", IMPORT, "rv: 0"},
                                        {4, "0", IMPORT, "private key found: 0"}}));
    vmw::TokenState card = Card();
    std::vector<const vmw::ObjectRecord*> certificates = ObjectsOfClass(card, CKO_CERTIFICATE);
    ASSERT_EQ(certificates.size(), 1u);
    EXPECT_EQ(AttributeText(*certificates[0], CKA_LABEL), "00FF12");
    EXPECT_EQ(AttributeText(*certificates[0], CKA_ID), "00FF12");
    EXPECT_EQ(AttributeHex(*certificates[0], CKA_SUBJECT), fixtures::userSubjectOctets);
    EXPECT_EQ(AttributeHex(*certificates[0], CKA_ISSUER), fixtures::userIssuerOctets);
}

TEST_F(VirtualToken, FailedCertificateCreationStopsBeforeTheKeySearch)
{
    OpenLoggedIn();
    SetFault("C_CreateObject", CKR_DEVICE_MEMORY);
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    EXPECT_EQ(cryptoki.ImportCertificate(session, certificate, true), CKR_DEVICE_MEMORY);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", IMPORT, "rv: 31"}}));
    EXPECT_TRUE(recorder->Calls("C_FindObjectsInit").empty());
}

TEST_F(VirtualToken, RefusedIdentityIsLoggedAndReturned)
{
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "KEYLABEL", false);
    OpenLoggedIn();
    recorder->Fail("C_SetAttributeValue", CKR_ATTRIBUTE_READ_ONLY, 1);
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    EXPECT_EQ(cryptoki.ImportCertificate(session, certificate, true), CKR_ATTRIBUTE_READ_ONLY);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", IMPORT, "rv: 0"},
                                        {4, "0", IMPORT, "private key found: 1"},
                                        {4, "0", IMPORT, "ID attributes not set: 1"}}));
    EXPECT_EQ(ObjectsOfClass(Card(), CKO_CERTIFICATE).size(), 1u);
}

TEST_F(VirtualToken, Pkcs12WritesEveryCertificateAndThirteenKeyAttributes)
{
    OpenLoggedIn();
    std::unique_ptr<CPKCS12> pkcs12 = UserPkcs12(fixtures::userP12, sizeof fixtures::userP12);
    ASSERT_EQ(cryptoki.ImportPKCS12(session, *pkcs12, true), 0u);

    std::string serial = Hex(std::string("00FF12"));
    Calls creations = recorder->Calls("C_CreateObject");
    ASSERT_EQ(creations.size(), 4u);
    EXPECT_EQ(creations[0], UserCertificateTemplate());
    EXPECT_EQ(creations[3],
              "C_CreateObject [0=" + ClassHex(CKO_PRIVATE_KEY) + ",3=" + serial + ",102=" + serial
                  + ",108=01,105=01,1=01,2=01,120=" + Upper(fixtures::user_modulus)
                  + ",123=" + Upper(fixtures::user_privateExponent)
                  + ",122=" + Upper(fixtures::user_publicExponent)
                  + ",124=" + Upper(fixtures::user_prime1) + ",125=" + Upper(fixtures::user_prime2)
                  + ",126=" + Upper(fixtures::user_exponent1) + "]");
    EXPECT_TRUE(recorder->Calls("C_FindObjectsInit [0=" + ClassHex(CKO_PRIVATE_KEY)).empty());
    EXPECT_EQ(log->Tagged(IMPORT), Records(4, {4, "0", IMPORT, "rv: 0"}));

    vmw::TokenState token = Card();
    std::vector<const vmw::ObjectRecord*> certificates = ObjectsOfClass(token, CKO_CERTIFICATE);
    ASSERT_EQ(certificates.size(), 3u);
    EXPECT_EQ(AttributeText(*certificates[0], CKA_LABEL), "00FF12");
    EXPECT_EQ(AttributeText(*certificates[1], CKA_LABEL), fixtures::interSerialOpenSSL);
    EXPECT_EQ(AttributeText(*certificates[2], CKA_ID), fixtures::rootSerialOpenSSL);
    std::vector<const vmw::ObjectRecord*> keys = ObjectsOfClass(token, CKO_PRIVATE_KEY);
    ASSERT_EQ(keys.size(), 1u);
    EXPECT_EQ(AttributeText(*keys[0], CKA_LABEL), "00FF12");
    EXPECT_EQ(AttributeText(*keys[0], CKA_ID), "00FF12");
    EXPECT_EQ(AttributeHex(*keys[0], CKA_MODULUS), Upper(fixtures::user_modulus));
    EXPECT_EQ(AttributeHex(*keys[0], CKA_PRIME_2), Upper(fixtures::user_prime2));
    EXPECT_EQ(AttributeHex(*keys[0], CKA_EXPONENT_2), "absent");
    EXPECT_EQ(AttributeHex(*keys[0], CKA_COEFFICIENT), "absent");
    EXPECT_TRUE(ObjectsOfClass(token, CKO_PUBLIC_KEY).empty());
}

TEST_F(VirtualToken, Pkcs12WithoutItsCaCertificatesWritesTheUserCertificateAndKey)
{
    OpenLoggedIn();
    std::unique_ptr<CPKCS12> pkcs12 = UserPkcs12(fixtures::userP12, sizeof fixtures::userP12);
    ASSERT_EQ(cryptoki.ImportPKCS12(session, *pkcs12, false), 0u);
    EXPECT_EQ(recorder->Calls("C_CreateObject").size(), 2u);
    vmw::TokenState token = Card();
    EXPECT_EQ(ObjectsOfClass(token, CKO_CERTIFICATE).size(), 1u);
    EXPECT_EQ(ObjectsOfClass(token, CKO_PRIVATE_KEY).size(), 1u);
}

TEST_F(VirtualToken, Pkcs12ImportedTwiceWritesNothingTheSecondTime)
{
    OpenLoggedIn();
    std::unique_ptr<CPKCS12> pkcs12 = UserPkcs12(fixtures::userP12, sizeof fixtures::userP12);
    ASSERT_EQ(cryptoki.ImportPKCS12(session, *pkcs12, true), 0u);
    recorder->Clear();
    log->Clear();
    EXPECT_EQ(cryptoki.ImportPKCS12(session, *pkcs12, true), 0u);
    EXPECT_TRUE(recorder->Calls("C_CreateObject").empty());
    EXPECT_TRUE(log->Tagged(IMPORT).empty());
    EXPECT_EQ(Card().objects.size(), 4u);
}

TEST_F(VirtualToken, Pkcs12WithoutAKeyWritesNothing)
{
    OpenLoggedIn();
    std::unique_ptr<CPKCS12> pkcs12 = UserPkcs12(fixtures::certsOnlyP12, sizeof fixtures::certsOnlyP12);
    ASSERT_EQ(pkcs12->getCertificates().size(), 3u);
    EXPECT_THROW(cryptoki.ImportPKCS12(session, *pkcs12, true), int);
    EXPECT_TRUE(recorder->Calls("C_CreateObject").empty());
    EXPECT_TRUE(Card().objects.empty());
}

TEST_F(VirtualToken, KeyWrittenWithItsLeadingZeroIsNotFoundByTheKeySearch)
{
    // The PKCS#12 import writes the modulus INTEGER's content, 00 included;
    // the key search of a certificate import asks without it.
    OpenLoggedIn();
    std::unique_ptr<CPKCS12> pkcs12 = UserPkcs12(fixtures::userP12, sizeof fixtures::userP12);
    ASSERT_EQ(cryptoki.ImportPKCS12(session, *pkcs12, false), 0u);
    {
        vmw::TokenState token = Card();
        std::vector<const vmw::ObjectRecord*> keys = ObjectsOfClass(token, CKO_PRIVATE_KEY);
        ASSERT_EQ(keys.size(), 1u);
        ASSERT_EQ(AttributeHex(*keys[0], CKA_MODULUS).substr(0, 2), "00");
    }
    log->Clear();
    CCertificate certificate(fixtures::userDer, sizeof fixtures::userDer);
    ASSERT_EQ(cryptoki.ImportCertificate(session, certificate, true), 0u);
    EXPECT_EQ(log->Tagged(IMPORT), Records({{4, "0", IMPORT, "rv: 0"},
                                            {4, "0", IMPORT, "private key found: 0"}}));
}

#ifndef _WIN32
// OpenSC's pkcs11-tool, a client no one here wrote, reads the imported objects back.
TEST_F(VirtualToken, Pkcs11ToolReadsBackWhatThePkcs12ImportWrote)
{
    OpenLoggedIn();
    std::unique_ptr<CPKCS12> pkcs12 = UserPkcs12(fixtures::userP12, sizeof fixtures::userP12);
    ASSERT_EQ(cryptoki.ImportPKCS12(session, *pkcs12, true), 0u);
    // The module of the native build carries the sanitizers' runtime needs.
    std::string command = std::string("LD_PRELOAD=\"$(gcc -print-file-name=libasan.so):$(gcc "
                                      "-print-file-name=libubsan.so)\" ASAN_OPTIONS=detect_leaks=0 "
                                      "pkcs11-tool --module ") + TOKEN_TEST_VIRTUAL_MODULE
                          + " --login --pin " + PIN + " --list-objects 2>&1";
    FILE* pipe = popen(command.c_str(), "r");
    ASSERT_TRUE(pipe);
    std::string listing;
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        listing.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << listing;
    auto count = [&listing](const std::string& what) {
        int found = 0;
        for (size_t at = listing.find(what); at != std::string::npos; at = listing.find(what, at + 1))
            ++found;
        return found;
    };
    EXPECT_EQ(count("Certificate Object"), 3) << listing;
    EXPECT_EQ(count("Private Key Object"), 1) << listing;
    EXPECT_EQ(count("label:      00FF12"), 2) << listing;
    EXPECT_EQ(count("ID:         " + Lower(Hex(std::string("00FF12")))), 2) << listing;
    EXPECT_EQ(count("label:      " + std::string(fixtures::interSerialOpenSSL)), 1) << listing;
    EXPECT_EQ(count("label:      " + std::string(fixtures::rootSerialOpenSSL)), 1) << listing;
}
#endif

// --- deletion and reset -----------------------------------------------------------

TEST_F(VirtualToken, DeletionByLabelTakesTheCertificateWithBothKeys)
{
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "00FF12", true);
    PutKey(fixtures::otherKeyDer, sizeof fixtures::otherKeyDer, "different", true);
    OpenLoggedIn();
    EXPECT_EQ(cryptoki.DeleteCertificate(session, "00FF12"), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::DeleteCertificate", "rv: 0"},
                                        {4, "0", "CCryptoki::DeletePrivateKey", "rv: 0"},
                                        {4, "0", "CCryptoki::DeletePublicKey", "rv: 0"}}));
    EXPECT_EQ(recorder->Calls("C_DestroyObject").size(), 3u);
    vmw::TokenState token = Card();
    ASSERT_EQ(token.objects.size(), 2u);
    EXPECT_EQ(AttributeText(token.objects[0], CKA_LABEL), "different");
    EXPECT_EQ(AttributeText(token.objects[1], CKA_LABEL), "different");
}

TEST_F(VirtualToken, DeletionOfAnUnknownLabelFindsNothing)
{
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    OpenLoggedIn();
    EXPECT_EQ(cryptoki.DeleteCertificate(session, "00FF1"), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::DeleteCertificate", "rv: 0"},
                                        {4, "0", "CCryptoki::DeletePrivateKey", "rv: 0"},
                                        {4, "0", "CCryptoki::DeletePublicKey", "rv: 0"}}));
    EXPECT_TRUE(recorder->Calls("C_DestroyObject").empty());
    EXPECT_EQ(Card().objects.size(), 1u);
}

TEST_F(VirtualToken, AnObjectThatStaysFailsTheDeletionThePublicKeysFailureFirst)
{
    unsigned long certificate = PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "00FF12", true);
    ASSERT_TRUE(editor->SetUndeletable(READER, certificate, true)) << editor->Error();
    OpenLoggedIn();
    EXPECT_EQ(cryptoki.DeleteCertificate(session, "00FF12"), CKR_ACTION_PROHIBITED);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::DeleteCertificate", "rv: 1b"},
                                        {4, "0", "CCryptoki::DeletePrivateKey", "rv: 0"},
                                        {4, "0", "CCryptoki::DeletePublicKey", "rv: 0"}}));
    vmw::TokenState token = Card();
    ASSERT_EQ(token.objects.size(), 1u);
    unsigned long publicKey = PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "00FF12", true) + 1;
    ASSERT_TRUE(editor->SetUndeletable(READER, publicKey, true)) << editor->Error();
    log->Clear();
    EXPECT_EQ(cryptoki.DeleteCertificate(session, "00FF12"), CKR_ACTION_PROHIBITED);
    EXPECT_EQ(log->Cryptoki().back(), (LogRecord{4, "0", "CCryptoki::DeletePublicKey", "rv: 1b"}));
    // The certificate fails otherwise now: the public key's code still wins.
    ASSERT_TRUE(editor->SetUndeletable(READER, certificate, false)) << editor->Error();
    ASSERT_TRUE(editor->SetFault("C_DestroyObject", CKR_DEVICE_ERROR, false)) << editor->Error();
    log->Clear();
    EXPECT_EQ(cryptoki.DeleteCertificate(session, "00FF12"), CKR_ACTION_PROHIBITED);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::DeleteCertificate", "rv: 30"},
                                        {4, "0", "CCryptoki::DeletePrivateKey", "rv: 0"},
                                        {4, "0", "CCryptoki::DeletePublicKey", "rv: 1b"}}));
}

TEST_F(VirtualToken, ResetWithFortyFiveCertificatesDestroysFortyPerCall)
{
    for (int i = 0; i < 45; ++i)
        PutCertificate(fixtures::rootDer, sizeof fixtures::rootDer, nullptr);
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "00FF12", true);
    OpenLoggedIn();
    EXPECT_EQ(cryptoki.ResetDevice(session), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{3, "0", RESET, "Certificate found: 40"},
                                        {3, "0", RESET, "Public Key found: 1"},
                                        {3, "0", RESET, "Private Key found: 1"}}));
    EXPECT_EQ(recorder->Calls("C_FindObjectsInit"),
              Calls({"C_FindObjectsInit [0=" + ClassHex(CKO_CERTIFICATE) + "]",
                     "C_FindObjectsInit [0=" + ClassHex(CKO_PUBLIC_KEY) + "]",
                     "C_FindObjectsInit [0=" + ClassHex(CKO_PRIVATE_KEY) + "]"}));
    EXPECT_EQ(Card().objects.size(), 5u);
    log->Clear();
    EXPECT_EQ(cryptoki.ResetDevice(session), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{3, "0", RESET, "Certificate found: 5"},
                                        {3, "0", RESET, "Private Key found: 0"}}));
    EXPECT_TRUE(Card().objects.empty());
    log->Clear();
    EXPECT_EQ(cryptoki.ResetDevice(session), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{3, "0", RESET, "Private Key found: 0"}}));
}

TEST_F(VirtualToken, ResetLogsEachObjectItCannotDestroyByPosition)
{
    PutCertificate(fixtures::rootDer, sizeof fixtures::rootDer, nullptr);
    unsigned long second = PutCertificate(fixtures::interDer, sizeof fixtures::interDer, nullptr);
    unsigned long key = PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "k", true);
    ASSERT_TRUE(editor->SetUndeletable(READER, second, true));
    ASSERT_TRUE(editor->SetUndeletable(READER, key, true));
    ASSERT_TRUE(editor->SetUndeletable(READER, key + 1, true));
    OpenLoggedIn();
    EXPECT_EQ(cryptoki.ResetDevice(session), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{3, "0", RESET, "Certificate found: 2"},
                                        {3, "0", RESET, "Unable to delete Certificate Key: 1"},
                                        {3, "0", RESET, "Public Key found: 1"},
                                        {3, "0", RESET, "Unable to delete Public Key: 0"},
                                        {3, "0", RESET, "Private Key found: 1"},
                                        {3, "0", RESET, "Unable to delete Private Key: 0"}}));
}

TEST_F(VirtualToken, ResetBeforeLoginLeavesThePrivateKey)
{
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "k", true);
    Open();
    EXPECT_EQ(cryptoki.ResetDevice(session), 0u);
    EXPECT_EQ(log->Cryptoki(), Records({{3, "0", RESET, "Public Key found: 1"},
                                        {3, "0", RESET, "Private Key found: 0"}}));
    EXPECT_EQ(ObjectsOfClass(Card(), CKO_PRIVATE_KEY).size(), 1u);
}

// --- PIN and token administration -----------------------------------------------------------

TEST_F(VirtualToken, PinChange)
{
    Open();
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_USER, "0000", "5678"), CKR_PIN_INCORRECT);
    EXPECT_TRUE(recorder->Calls("C_SetPIN").empty());
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_USER, PIN, "5678"), 0u);
    EXPECT_EQ(recorder->Calls(), Calls({"C_Login user=1 pin=30303030", "C_Login user=1 pin=31323334",
                                        "C_SetPIN old=31323334 new=35363738"}));
    ASSERT_EQ(cryptoki.Logout(session), 0u);
    EXPECT_EQ(cryptoki.Login(session, PIN), CKR_PIN_INCORRECT);
    EXPECT_EQ(cryptoki.Login(session, "5678"), 0u);
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_USER, "5678", "12"), CKR_PIN_LEN_RANGE);
    EXPECT_EQ(Card().pin.value, vmw::BytesOf("5678"));
}

TEST_F(VirtualToken, PukChangeAsSecurityOfficer)
{
    Open();
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_SO, PUK, "87654321"), 0u);
    EXPECT_EQ(recorder->Calls("C_Login"), Calls({"C_Login user=0 pin=" + Hex(std::string(PUK))}));
    EXPECT_EQ(Card().puk.value, vmw::BytesOf("87654321"));
}

TEST_F(VirtualToken, EmptyOldPinIsAZeroLengthPin)
{
    Open();
    EXPECT_EQ(cryptoki.ChangePIN(session, CKU_USER, "", "5678"), CKR_PIN_INCORRECT);
    EXPECT_EQ(recorder->Calls(), Calls({"C_Login user=1 pin="}));
}

TEST_F(VirtualToken, UnlockWithThePukAfterThePinLocked)
{
    Open();
    EXPECT_EQ(cryptoki.Login(session, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(cryptoki.Login(session, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(cryptoki.Login(session, "0000"), CKR_PIN_INCORRECT);
    EXPECT_EQ(cryptoki.Login(session, PIN), CKR_PIN_LOCKED);
    recorder->Clear();
    EXPECT_EQ(cryptoki.UnlockPIN(session, PUK, "4321"), 0u);
    EXPECT_EQ(recorder->Calls(), Calls({"C_Login user=0 pin=" + Hex(std::string(PUK)), "C_InitPIN pin=34333231",
                                        "C_Logout", "C_Login user=1 pin=34333231"}));
    PrivateKeyList keys = {nullptr, 0};
    PutKey(fixtures::userKeyDer, sizeof fixtures::userKeyDer, "visible", false);
    ASSERT_EQ(cryptoki.GetPrivateKeys(session, keys), 0u); // logged in as the user
    EXPECT_EQ(keys.count, 1u);
    ReleasePrivateKeyEntries(keys);
}

TEST_F(VirtualToken, UnlockFailures)
{
    Open();
    EXPECT_EQ(cryptoki.UnlockPIN(session, "00000000", "4321"), CKR_PIN_INCORRECT);
    EXPECT_TRUE(recorder->Calls("C_InitPIN").empty());
    // A new PIN the module refuses: the session stays with the security officer.
    EXPECT_EQ(cryptoki.UnlockPIN(session, PUK, "12"), CKR_PIN_LEN_RANGE);
    EXPECT_TRUE(recorder->Calls("C_Logout").empty());
    EXPECT_EQ(cryptoki.Login(session, PIN), CKR_USER_ANOTHER_ALREADY_LOGGED_IN);
    EXPECT_EQ(Card().pin.value, vmw::BytesOf(PIN));
    ASSERT_EQ(cryptoki.Logout(session), 0u);
    for (int i = 0; i < 3; ++i)
        EXPECT_EQ(cryptoki.UnlockPIN(session, "00000000", "4321"), CKR_PIN_INCORRECT);
    EXPECT_EQ(cryptoki.UnlockPIN(session, PUK, "4321"), CKR_PIN_LOCKED);
    EXPECT_EQ(log->Cryptoki(), Records({{4, "0", "CCryptoki::Logout", log->Cryptoki()[0].message}}));
}

TEST_F(VirtualToken, TokenLabelIsCutToThirtyTwoOrBlankAndObjectsStay)
{
    PutCertificate(fixtures::userDer, sizeof fixtures::userDer, nullptr);
    Open();
    ASSERT_EQ(cryptoki.CloseSession(session), 0u);
    std::string forty = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789abcd";
    EXPECT_EQ(cryptoki.InitToken(slot, forty.c_str()), 0u);
    CK_TOKEN_INFO info;
    ASSERT_EQ(cryptoki.GetTokenInfo(slot, info), 0u);
    EXPECT_EQ(std::string(reinterpret_cast<char*>(info.label), 32), forty.substr(0, 32));
    EXPECT_EQ(cryptoki.InitToken(slot, ""), 0u);
    // Read from the card: the module's C_GetTokenInfo trips the sanitizer on an empty label.
    std::string label = vmw::TextOf(Card().label);
    EXPECT_EQ(label.find_first_not_of(' '), std::string::npos) << label;
    char prefix[40];
    std::snprintf(prefix, sizeof prefix, "C_InitToken slot=%lX pin= label=", static_cast<unsigned long>(slot));
    EXPECT_EQ(recorder->Calls("C_InitToken"),
              Calls({prefix + Hex(forty.substr(0, 32)), prefix + Hex(std::string(32, ' '))}));
    EXPECT_EQ(Card().objects.size(), 1u);
}

} // namespace

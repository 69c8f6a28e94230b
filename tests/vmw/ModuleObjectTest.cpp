// Objects: the manager's creation templates, searches, attribute reads and
// writes, visibility of private objects, destruction.
#include "ModuleHarness.h"

#include "vmw/state/TokenFile.h"

namespace vmwtest {
namespace {

CK_BBOOL kTrue = CK_TRUE;

CK_ATTRIBUTE Attr(CK_ATTRIBUTE_TYPE type, vmw::Bytes& value) {
  return CK_ATTRIBUTE{type, value.data(), static_cast<CK_ULONG>(value.size())};
}

class ObjectTest : public ModuleHarness {
 protected:
  void SetUp() override {
    ModuleHarness::SetUp();
    AddCard("Reader", "S1");
    ASSERT_EQ(Initialize(), CKR_OK);
    slot_ = SlotOf("Reader");
    session_ = Open(slot_);
    certificate_ = ReadDataFile("user.der");
    vmw::CertificateFacts facts;
    ASSERT_TRUE(vmw::ReadCertificate(certificate_, facts));
    vmw::DerReader subject(facts.subject.data(), facts.subject.size()), issuer(facts.issuer.data(), facts.issuer.size());
    vmw::DerElement name;
    ASSERT_TRUE(subject.Next(name));
    subjectContent_ = name.Content();
    ASSERT_TRUE(issuer.Next(name));
    issuerContent_ = name.Content();
    vmw::RsaKeyFacts key;
    ASSERT_TRUE(vmw::ReadRsaPrivateKey(ReadDataFile("user.key"), key));
    modulus_ = key.modulus;
    signedModulus_ = modulus_;
    signedModulus_.insert(signedModulus_.begin(), 0);  // as an INTEGER's content octets
    exponent_ = key.privateExponent;
  }

  // The certificate template of the manager's import: 7 attributes, no type.
  CK_RV CreateCertificate(CK_OBJECT_HANDLE& handle) {
    std::vector<CK_ATTRIBUTE> t = {{CKA_CLASS, &certificateClass_, sizeof certificateClass_},
                                   {CKA_TOKEN, &kTrue, 1},
                                   Attr(CKA_LABEL, serialText_),
                                   Attr(CKA_ID, serialText_),
                                   Attr(CKA_SUBJECT, subjectContent_),
                                   Attr(CKA_ISSUER, issuerContent_),
                                   Attr(CKA_VALUE, certificate_)};
    return F()->C_CreateObject(session_, t.data(), static_cast<CK_ULONG>(t.size()), &handle);
  }

  // The private key template of the manager's import: 13 attributes, no key type.
  CK_RV CreateKey(CK_OBJECT_HANDLE& handle) {
    std::vector<CK_ATTRIBUTE> t = {{CKA_CLASS, &keyClass_, sizeof keyClass_},
                                   Attr(CKA_LABEL, serialText_),
                                   Attr(CKA_ID, serialText_),
                                   {CKA_SIGN, &kTrue, 1},
                                   {CKA_DECRYPT, &kTrue, 1},
                                   {CKA_TOKEN, &kTrue, 1},
                                   {CKA_PRIVATE, &kTrue, 1},
                                   Attr(CKA_MODULUS, signedModulus_),
                                   Attr(CKA_PRIVATE_EXPONENT, exponent_),
                                   Attr(CKA_PUBLIC_EXPONENT, publicExponent_),
                                   Attr(CKA_PRIME_1, exponent_),
                                   Attr(CKA_PRIME_2, exponent_),
                                   Attr(CKA_EXPONENT_1, exponent_)};
    return F()->C_CreateObject(session_, t.data(), static_cast<CK_ULONG>(t.size()), &handle);
  }

  std::vector<CK_OBJECT_HANDLE> FindClass(CK_OBJECT_CLASS objectClass) {
    return Find(session_, {{CKA_CLASS, &objectClass, sizeof objectClass}});
  }

  CK_SLOT_ID slot_ = 0;
  CK_SESSION_HANDLE session_ = 0;
  CK_OBJECT_CLASS certificateClass_ = CKO_CERTIFICATE;
  CK_OBJECT_CLASS keyClass_ = CKO_PRIVATE_KEY;
  vmw::Bytes serialText_ = vmw::BytesOf("00A1B2C3");
  vmw::Bytes certificate_, subjectContent_, issuerContent_, modulus_, signedModulus_, exponent_;
  vmw::Bytes publicExponent_ = {0x01, 0x00, 0x01};
};

TEST_F(ObjectTest, ManagerTemplatesAreAcceptedAsTheyAre) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  CK_OBJECT_HANDLE certificate = 0, key = 0;
  ASSERT_EQ(CreateCertificate(certificate), CKR_OK);
  ASSERT_EQ(CreateKey(key), CKR_OK);
  EXPECT_NE(certificate, key);
  EXPECT_EQ(Attribute(session_, certificate, CKA_VALUE), certificate_);
  EXPECT_EQ(Attribute(session_, certificate, CKA_LABEL), serialText_);
  EXPECT_EQ(Attribute(session_, key, CKA_MODULUS), signedModulus_);
  CK_ULONG x509 = CKC_X_509;
  EXPECT_EQ(Attribute(session_, certificate, CKA_CERTIFICATE_TYPE),
            vmw::Bytes(reinterpret_cast<unsigned char*>(&x509), reinterpret_cast<unsigned char*>(&x509) + sizeof x509));
}

TEST_F(ObjectTest, SearchesByClassLabelAndModulus) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  CK_OBJECT_HANDLE certificate = 0, key = 0;
  ASSERT_EQ(CreateCertificate(certificate), CKR_OK);
  ASSERT_EQ(CreateKey(key), CKR_OK);
  unsigned long ca = 0;
  ASSERT_TRUE(editor_->PutCertificate("Reader", ReadDataFile("ca.der"), true, {}, ca));
  vmw::Bytes otherLabel = vmw::BytesOf("1001");

  struct Case {
    const char* what;
    CK_OBJECT_CLASS objectClass;
    CK_ATTRIBUTE_TYPE second;  // CKA_CLASS alone when 0
    vmw::Bytes* value;
    std::vector<CK_OBJECT_HANDLE> expected;
  } cases[] = {
      {"certificates", CKO_CERTIFICATE, 0, nullptr, {certificate, ca}},
      {"private keys", CKO_PRIVATE_KEY, 0, nullptr, {key}},
      {"public keys", CKO_PUBLIC_KEY, 0, nullptr, {}},
      {"certificate by label", CKO_CERTIFICATE, CKA_LABEL, &serialText_, {certificate}},
      {"CA by label", CKO_CERTIFICATE, CKA_LABEL, &otherLabel, {ca}},
      {"key by label", CKO_PRIVATE_KEY, CKA_LABEL, &serialText_, {key}},
      {"key by stored modulus", CKO_PRIVATE_KEY, CKA_MODULUS, &signedModulus_, {key}},
      {"key by modulus without its zero octet", CKO_PRIVATE_KEY, CKA_MODULUS, &modulus_, {}},
      {"public key by label: none written", CKO_PUBLIC_KEY, CKA_LABEL, &serialText_, {}},
  };
  for (Case& c : cases) {
    std::vector<CK_ATTRIBUTE> search = {{CKA_CLASS, &c.objectClass, sizeof c.objectClass}};
    if (c.second) search.push_back(Attr(c.second, *c.value));
    EXPECT_EQ(Find(session_, search), c.expected) << c.what;
  }
}

TEST_F(ObjectTest, PrivateObjectsNeedTheUsersLogin) {
  CK_OBJECT_HANDLE key = 0;
  EXPECT_EQ(CreateKey(key), CKR_USER_NOT_LOGGED_IN);
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  ASSERT_EQ(CreateKey(key), CKR_OK);
  EXPECT_EQ(FindClass(CKO_PRIVATE_KEY).size(), 1u);
  ASSERT_EQ(F()->C_Logout(session_), CKR_OK);
  EXPECT_TRUE(FindClass(CKO_PRIVATE_KEY).empty());
  CK_ATTRIBUTE label = {CKA_LABEL, nullptr, 0};
  EXPECT_EQ(F()->C_GetAttributeValue(session_, key, &label, 1), CKR_OBJECT_HANDLE_INVALID);
  EXPECT_EQ(F()->C_DestroyObject(session_, key), CKR_OBJECT_HANDLE_INVALID);
  ASSERT_EQ(Login(session_, CKU_SO, "12345678"), CKR_OK);
  EXPECT_TRUE(FindClass(CKO_PRIVATE_KEY).empty()) << "the officer does not see the user's objects";
}

TEST_F(ObjectTest, AttributeReadRules) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  CK_OBJECT_HANDLE key = 0;
  ASSERT_EQ(CreateKey(key), CKR_OK);
  unsigned char buffer[8];
  struct Case {
    CK_ATTRIBUTE_TYPE type;
    bool withBuffer;
    CK_ULONG room;
    CK_RV expected;
    CK_ULONG lengthAfter;
  } cases[] = {
      {CKA_LABEL, false, 0, CKR_OK, 8},
      {CKA_LABEL, true, 8, CKR_OK, 8},
      {CKA_LABEL, true, 7, CKR_BUFFER_TOO_SMALL, CK_UNAVAILABLE_INFORMATION},
      {CKA_MODULUS, false, 0, CKR_OK, 257},
      {CKA_PRIVATE_EXPONENT, false, 0, CKR_ATTRIBUTE_SENSITIVE, CK_UNAVAILABLE_INFORMATION},
      {CKA_PRIME_1, true, 8, CKR_ATTRIBUTE_SENSITIVE, CK_UNAVAILABLE_INFORMATION},
      {CKA_VALUE, false, 0, CKR_ATTRIBUTE_TYPE_INVALID, CK_UNAVAILABLE_INFORMATION},
      {CKA_SENSITIVE, true, 1, CKR_OK, 1},
  };
  for (const Case& c : cases) {
    CK_ATTRIBUTE attribute = {c.type, c.withBuffer ? buffer : nullptr, c.room};
    EXPECT_EQ(F()->C_GetAttributeValue(session_, key, &attribute, 1), c.expected) << std::hex << c.type;
    EXPECT_EQ(attribute.ulValueLen, c.lengthAfter) << std::hex << c.type;
  }
  // A failing attribute does not stop the others from being answered.
  CK_ATTRIBUTE both[2] = {{CKA_VALUE, nullptr, 0}, {CKA_ID, nullptr, 0}};
  EXPECT_EQ(F()->C_GetAttributeValue(session_, key, both, 2), CKR_ATTRIBUTE_TYPE_INVALID);
  EXPECT_EQ(both[1].ulValueLen, 8u);
}

TEST_F(ObjectTest, CreationTemplatesThatAreRefused) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  CK_OBJECT_CLASS dataClass = CKO_DATA;
  CK_BYTE shortClass[2] = {1, 0};
  struct Case {
    const char* what;
    std::vector<CK_ATTRIBUTE> attributes;
    CK_RV expected;
  } cases[] = {
      {"no class", {Attr(CKA_LABEL, serialText_)}, CKR_TEMPLATE_INCOMPLETE},
      {"class twice",
       {{CKA_CLASS, &dataClass, sizeof dataClass}, {CKA_CLASS, &dataClass, sizeof dataClass}},
       CKR_TEMPLATE_INCONSISTENT},
      {"class of the wrong size", {{CKA_CLASS, shortClass, 2}}, CKR_ATTRIBUTE_VALUE_INVALID},
      {"boolean of the wrong size", {{CKA_CLASS, &dataClass, sizeof dataClass}, {CKA_TOKEN, shortClass, 2}},
       CKR_ATTRIBUTE_VALUE_INVALID},
  };
  for (Case& c : cases) {
    CK_OBJECT_HANDLE handle = 0;
    EXPECT_EQ(F()->C_CreateObject(session_, c.attributes.data(), static_cast<CK_ULONG>(c.attributes.size()),
                                  &handle),
              c.expected)
        << c.what;
  }
  CK_SESSION_HANDLE readOnly = Open(slot_, CKF_SERIAL_SESSION);
  CK_ATTRIBUTE tokenData[2] = {{CKA_CLASS, &dataClass, sizeof dataClass}, {CKA_TOKEN, &kTrue, 1}};
  CK_OBJECT_HANDLE handle = 0;
  EXPECT_EQ(F()->C_CreateObject(readOnly, tokenData, 2, &handle), CKR_SESSION_READ_ONLY);
}

TEST_F(ObjectTest, SettingTheKeysIdentityOnACertificate) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  CK_OBJECT_HANDLE certificate = 0;
  ASSERT_EQ(CreateCertificate(certificate), CKR_OK);
  vmw::Bytes id = {0xDE, 0xAD}, label = vmw::BytesOf("key label");
  CK_ATTRIBUTE identity[2] = {Attr(CKA_ID, id), Attr(CKA_LABEL, label)};
  ASSERT_EQ(F()->C_SetAttributeValue(session_, certificate, identity, 2), CKR_OK);
  EXPECT_EQ(Attribute(session_, certificate, CKA_ID), id);
  EXPECT_EQ(Attribute(session_, certificate, CKA_LABEL), label);
  CK_OBJECT_CLASS keyClass = CKO_PRIVATE_KEY;
  CK_ATTRIBUTE mixed[2] = {Attr(CKA_LABEL, serialText_), {CKA_CLASS, &keyClass, sizeof keyClass}};
  EXPECT_EQ(F()->C_SetAttributeValue(session_, certificate, mixed, 2), CKR_ATTRIBUTE_READ_ONLY);
  EXPECT_EQ(Attribute(session_, certificate, CKA_LABEL), label) << "nothing of a refused template is applied";
  // The change is on the card: a fresh library sees it.
  ASSERT_EQ(F()->C_Finalize(nullptr), CKR_OK);
  ASSERT_EQ(Initialize(), CKR_OK);
  session_ = Open(SlotOf("Reader"));
  EXPECT_EQ(Attribute(session_, certificate, CKA_ID), id);
}

TEST_F(ObjectTest, DestroyAndSessionObjects) {
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  CK_OBJECT_HANDLE certificate = 0;
  ASSERT_EQ(CreateCertificate(certificate), CKR_OK);
  ASSERT_EQ(F()->C_DestroyObject(session_, certificate), CKR_OK);
  EXPECT_EQ(F()->C_DestroyObject(session_, certificate), CKR_OBJECT_HANDLE_INVALID);
  EXPECT_TRUE(FindClass(CKO_CERTIFICATE).empty());

  CK_OBJECT_CLASS dataClass = CKO_DATA;
  CK_ATTRIBUTE sessionData[1] = {{CKA_CLASS, &dataClass, sizeof dataClass}};
  CK_SESSION_HANDLE other = Open(slot_);
  CK_OBJECT_HANDLE data = 0;
  ASSERT_EQ(F()->C_CreateObject(other, sessionData, 1, &data), CKR_OK);
  EXPECT_EQ(FindClass(CKO_DATA), std::vector<CK_OBJECT_HANDLE>{data});
  vmw::TokenState card;
  ASSERT_EQ(vmw::LoadToken(editor_->State().TokenFile("Reader"), card), vmw::LoadResult::Ok);
  EXPECT_TRUE(card.objects.empty()) << "a session object is never written to the card";
  ASSERT_EQ(F()->C_CloseSession(other), CKR_OK);
  EXPECT_TRUE(FindClass(CKO_DATA).empty());
}

TEST_F(ObjectTest, FindOperationRules) {
  CK_OBJECT_HANDLE handles[2];
  CK_ULONG count = 0;
  EXPECT_EQ(F()->C_FindObjects(session_, handles, 2, &count), CKR_OPERATION_NOT_INITIALIZED);
  EXPECT_EQ(F()->C_FindObjectsFinal(session_), CKR_OPERATION_NOT_INITIALIZED);
  ASSERT_EQ(F()->C_FindObjectsInit(session_, nullptr, 0), CKR_OK);
  EXPECT_EQ(F()->C_FindObjectsInit(session_, nullptr, 0), CKR_OPERATION_ACTIVE);
  EXPECT_EQ(F()->C_FindObjectsFinal(session_), CKR_OK);
}

TEST_F(ObjectTest, ToolWrittenObjectsLookLikeARealTokens) {
  unsigned long certificate = 0, key = 0;
  ASSERT_TRUE(editor_->PutCertificate("Reader", ReadDataFile("user.pem"), false, {}, certificate));
  vmw::Bytes der = ReadDataFile("user.der");
  ASSERT_TRUE(editor_->PutPrivateKey("Reader", ReadDataFile("user-pkcs1.pem"), &der, true, {}, key));
  ASSERT_EQ(Login(session_, CKU_USER, "1234"), CKR_OK);
  // Label and identifier: the serial's content octets as text (OpenSSL: serial=A1B2C3, sign octet 00).
  EXPECT_EQ(vmw::TextOf(Attribute(session_, certificate, CKA_LABEL)), "00A1B2C3");
  EXPECT_EQ(vmw::TextOf(Attribute(session_, key, CKA_ID)), "00A1B2C3");
  // OpenSSL's "Modulus=DC3C89CE...": stored unsigned, 2048 bits.
  vmw::Bytes modulus = Attribute(session_, key, CKA_MODULUS);
  ASSERT_EQ(modulus.size(), 256u);
  EXPECT_EQ(vmw::ToHex(vmw::Bytes(modulus.begin(), modulus.begin() + 8)), "DC3C89CEFFB0E54A");
  EXPECT_EQ(FindClass(CKO_PUBLIC_KEY).size(), 1u);
  CK_ATTRIBUTE secret = {CKA_PRIVATE_EXPONENT, nullptr, 0};
  EXPECT_EQ(F()->C_GetAttributeValue(session_, key, &secret, 1), CKR_ATTRIBUTE_SENSITIVE);
}

}  // namespace
}  // namespace vmwtest

// The token file's text form and the editor's refusals.
#include "ModuleHarness.h"

#include "vmw/state/TokenFile.h"

namespace vmwtest {
namespace {

TEST(TokenFile, ReadsWhatItWrites) {
  vmw::TokenState token;
  token.label = {'A', 0, '"', '\\', 0xFF};
  token.serial = vmw::BytesOf("X1");
  token.pin.triesLeft = 1;
  vmw::ObjectRecord& object = token.AddObject();
  object.undeletable = true;
  object.SetNumber(CKA_CLASS, CKO_CERTIFICATE);
  object.SetOctets(CKA_LABEL, vmw::BytesOf("label \"quoted\""));
  object.SetOctets(CKA_VALUE, {0x30, 0x00});
  object.SetOctets(0x80000001, {0x01});
  vmw::TokenState read;
  std::string error;
  ASSERT_TRUE(vmw::ParseToken(vmw::FormatToken(token), read, error)) << error;
  EXPECT_EQ(read.label, token.label);
  EXPECT_EQ(read.pin.triesLeft, 1);
  ASSERT_EQ(read.objects.size(), 1u);
  EXPECT_TRUE(read.objects[0].undeletable);
  EXPECT_EQ(read.objects[0].NumberOr(CKA_CLASS, 99), CKO_CERTIFICATE);
  EXPECT_EQ(read.objects[0].Find(CKA_LABEL)->octets, vmw::BytesOf("label \"quoted\""));
  EXPECT_EQ(read.objects[0].Find(0x80000001)->octets, vmw::Bytes{0x01});
  EXPECT_EQ(read.nextObjectId, 2u);
}

TEST(TokenFile, NewObjectsNeverReuseAnId) {
  vmw::TokenState token;
  std::string error;
  ASSERT_TRUE(vmw::ParseToken("serial = \"S\"\nobject 7\nend\nnext-object = 2\n", token, error)) << error;
  EXPECT_EQ(token.AddObject().id, 8u);
}

TEST(TokenFile, RefusesDamagedText) {
  const char* damaged[] = {
      "",                                                        // no serial
      "serial = \"S\"\nlabel = \"open\n",                       // unterminated text
      "serial = \"S\"\npin-tries-left = 4\n",                   // more tries than exist
      "serial = \"S\"\nobject 1\n  CKA_CLASS = number 1\n",     // no end
      "serial = \"S\"\nobject 1\nend\nobject 1\nend\n",         // id twice
      "serial = \"S\"\nobject 1\n  CKA_VALUE = hex 3\nend\n",   // odd hex
      "serial = \"S\"\nobject 1\n  CKA_NONSENSE = hex 00\nend\n",
      "serial = \"S\"\ncolour = blue\n",
  };
  for (const char* text : damaged) {
    vmw::TokenState token;
    std::string error;
    EXPECT_FALSE(vmw::ParseToken(text, token, error)) << text;
    EXPECT_FALSE(error.empty());
  }
}

using EditorTest = ModuleHarness;

TEST_F(EditorTest, RefusesBadInput) {
  AddCard("Reader", "S1");
  vmw::CardDetails shortPin;
  shortPin.serial = "S2";
  shortPin.pin = "12";
  vmw::CardDetails longLabel;
  longLabel.serial = "S3";
  longLabel.label = std::string(33, 'x');
  unsigned long id = 0;
  vmw::Bytes garbage = {0x30, 0x03, 0x02, 0x01};
  struct Case {
    const char* what;
    bool ok;
  } cases[] = {
      {"reader name with a slash", editor_->AddReader("a/b")},
      {"reader twice", editor_->AddReader("Reader")},
      {"card into a full reader", editor_->CreateCard("Reader", shortPin)},
      {"card into a missing reader", editor_->CreateCard("Nowhere", longLabel)},
      {"certificate that is not one", editor_->PutCertificate("Reader", garbage, false, {}, id)},
      {"key without naming or certificate",
       editor_->PutPrivateKey("Reader", ReadDataFile("user.key"), nullptr, false, {}, id)},
      {"insert a card that is not on the shelf", editor_->InsertCard("Reader", "S9")},
      {"fault of a non-function", editor_->SetFault("Login", 5, false)},
  };
  for (const Case& c : cases) EXPECT_FALSE(c.ok) << c.what;
  ASSERT_TRUE(editor_->AddReader("Second"));
  EXPECT_FALSE(editor_->CreateCard("Second", shortPin));
  EXPECT_FALSE(editor_->CreateCard("Second", longLabel));
  EXPECT_FALSE(editor_->State().CardPresent("Second"));
}

TEST_F(EditorTest, CardsMoveBetweenReadersThroughTheShelf) {
  AddCard("Reader 1", "S1");
  ASSERT_TRUE(editor_->AddReader("Reader 2"));
  ASSERT_TRUE(editor_->RemoveCard("Reader 1"));
  EXPECT_FALSE(editor_->State().CardPresent("Reader 1"));
  ASSERT_TRUE(editor_->InsertCard("Reader 2", "S1")) << editor_->Error();
  vmw::TokenState token;
  ASSERT_TRUE(editor_->LoadCard("Reader 2", token));
  EXPECT_EQ(token.insertion, 2u);
  EXPECT_EQ(editor_->State().ReaderNames(), (std::vector<std::string>{"Reader 1", "Reader 2"}));
}

}  // namespace
}  // namespace vmwtest

namespace vmwtest {
namespace {

// Every cut of a valid file and every octet changed to a troublesome value
// either reads as a token or is refused; nothing crashes or reads past the end.
TEST(TokenFile, DamageAnywhereIsHandled) {
  vmw::TokenState token;
  token.serial = vmw::BytesOf("X1");
  vmw::ObjectRecord& object = token.AddObject();
  object.SetNumber(CKA_CLASS, CKO_PRIVATE_KEY);
  object.SetOctets(CKA_LABEL, vmw::BytesOf("k\\\""));
  object.SetOctets(CKA_MODULUS, {0x00, 0xC1, 0x7F});
  const std::string text = vmw::FormatToken(token);
  const char replacements[] = {'\0', '"', '\\', '\n', ' ', '=', 'x', '9'};
  std::size_t refused = 0;
  for (std::size_t cut = 0; cut < text.size(); ++cut) {
    vmw::TokenState read;
    std::string error;
    if (!vmw::ParseToken(text.substr(0, cut), read, error)) ++refused;
    for (char replacement : replacements) {
      std::string changed = text;
      changed[cut] = replacement;
      vmw::ParseToken(changed, read, error);
    }
  }
  EXPECT_GT(refused, text.size() / 2);
}

TEST(Der, TruncatedCertificatesAndKeysAreRefused) {
  const vmw::Bytes certificate = ReadDataFile("user.der");
  const vmw::Bytes key = ReadDataFile("user.key");
  vmw::CertificateFacts facts;
  vmw::RsaKeyFacts rsa;
  ASSERT_TRUE(vmw::ReadCertificate(certificate, facts));
  ASSERT_TRUE(vmw::ReadRsaPrivateKey(key, rsa));
  for (std::size_t cut = 0; cut < certificate.size(); ++cut)
    EXPECT_FALSE(vmw::ReadCertificate(vmw::Bytes(certificate.begin(), certificate.begin() + cut), facts)) << cut;
  for (std::size_t cut = 0; cut < key.size(); ++cut)
    EXPECT_FALSE(vmw::ReadRsaPrivateKey(vmw::Bytes(key.begin(), key.begin() + cut), rsa)) << cut;
}

TEST(Der, CertificateFactsAgreeWithOpenSsl) {
  vmw::CertificateFacts facts;
  ASSERT_TRUE(vmw::ReadCertificate(ReadDataFile("user.pem"), facts));
  // openssl x509 -serial: A1B2C3 (DER INTEGER 02 04 00 A1 B2 C3); -modulus: DC3C89CE...
  EXPECT_EQ(vmw::ToHex(facts.serialNumber), "020400A1B2C3");
  EXPECT_EQ(vmw::ToHex(vmw::Bytes(facts.modulus.begin(), facts.modulus.begin() + 4)), "DC3C89CE");
  EXPECT_EQ(facts.modulus.size(), 256u);
  EXPECT_EQ(vmw::ToHex(facts.publicExponent), "010001");
}

}  // namespace
}  // namespace vmwtest

#include "vmw/tools/StateEditor.h"

#include "platform/cryptoki/cryptoki.h"
#include "vmw/state/DurableFile.h"
#include "vmw/state/FaultPlan.h"
#include "vmw/state/TokenFile.h"

#include <filesystem>
#include <sstream>
#include <system_error>

namespace vmw {

namespace fs = std::filesystem;

namespace {

bool MakeFolder(const std::string& path) {
  std::error_code error;
  fs::create_directories(fs::u8path(path), error);
  return fs::is_directory(fs::u8path(path), error);
}

bool MoveFile(const std::string& from, const std::string& to) {
  std::error_code error;
  fs::rename(fs::u8path(from), fs::u8path(to), error);
  return !error;
}

bool FileExists(const std::string& path) {
  std::error_code error;
  return fs::exists(fs::u8path(path), error);
}

bool SecretLengthOk(const std::string& secret) {
  return secret.size() >= TokenState::kMinPinLength && secret.size() <= TokenState::kMaxPinLength;
}

void Name(ObjectRecord& object, const ObjectNaming& naming, const Bytes& fallback) {
  object.SetOctets(CKA_LABEL, naming.hasLabel ? naming.label : fallback);
  object.SetOctets(CKA_ID, naming.hasId ? naming.id : fallback);
}

void AddCommon(ObjectRecord& object, CK_OBJECT_CLASS objectClass, bool isPrivate) {
  object.SetNumber(CKA_CLASS, objectClass);
  object.SetBool(CKA_TOKEN, true);
  object.SetBool(CKA_PRIVATE, isPrivate);
  object.SetBool(CKA_MODIFIABLE, true);
}

void AddPrivateKey(ObjectRecord& key, const RsaKeyFacts& rsa, const Bytes& subject) {
  AddCommon(key, CKO_PRIVATE_KEY, true);
  key.SetNumber(CKA_KEY_TYPE, CKK_RSA);
  key.SetOctets(CKA_SUBJECT, subject);
  for (CK_ATTRIBUTE_TYPE type : {CKA_SENSITIVE, CKA_ALWAYS_SENSITIVE, CKA_NEVER_EXTRACTABLE,
                                 CKA_DECRYPT, CKA_SIGN, CKA_UNWRAP})
    key.SetBool(type, true);
  for (CK_ATTRIBUTE_TYPE type : {CKA_EXTRACTABLE, CKA_LOCAL, CKA_SIGN_RECOVER, CKA_DERIVE,
                                 CKA_ALWAYS_AUTHENTICATE})
    key.SetBool(type, false);
  key.SetOctets(CKA_MODULUS, rsa.modulus);
  key.SetOctets(CKA_PUBLIC_EXPONENT, rsa.publicExponent);
  key.SetOctets(CKA_PRIVATE_EXPONENT, rsa.privateExponent);
  key.SetOctets(CKA_PRIME_1, rsa.prime1);
  key.SetOctets(CKA_PRIME_2, rsa.prime2);
  key.SetOctets(CKA_EXPONENT_1, rsa.exponent1);
  key.SetOctets(CKA_EXPONENT_2, rsa.exponent2);
  key.SetOctets(CKA_COEFFICIENT, rsa.coefficient);
}

void AddPublicKey(ObjectRecord& key, const RsaKeyFacts& rsa, const Bytes& subject) {
  AddCommon(key, CKO_PUBLIC_KEY, false);
  key.SetNumber(CKA_KEY_TYPE, CKK_RSA);
  key.SetOctets(CKA_SUBJECT, subject);
  for (CK_ATTRIBUTE_TYPE type : {CKA_ENCRYPT, CKA_VERIFY, CKA_WRAP}) key.SetBool(type, true);
  for (CK_ATTRIBUTE_TYPE type : {CKA_LOCAL, CKA_VERIFY_RECOVER, CKA_DERIVE}) key.SetBool(type, false);
  key.SetOctets(CKA_MODULUS, rsa.modulus);
  key.SetNumber(CKA_MODULUS_BITS, rsa.modulus.size() * 8);
  key.SetOctets(CKA_PUBLIC_EXPONENT, rsa.publicExponent);
}

}  // namespace

bool StateEditor::Fail(const std::string& message) {
  error_ = message;
  return false;
}

bool StateEditor::Init() {
  if (!MakeFolder(state_.Root() + "/readers") || !MakeFolder(state_.ShelfFolder()))
    return Fail("cannot create the state folder " + state_.Root());
  return true;
}

bool StateEditor::RequireReader(const std::string& reader) {
  if (!StateFolder::IsValidName(reader, 200))
    return Fail("'" + reader + "' is not a usable reader name (printable ASCII, no /\\:*?\"<>|)");
  if (!state_.HasReader(reader)) return Fail("no reader named '" + reader + "'");
  return true;
}

bool StateEditor::RequireCard(const std::string& reader) {
  if (!RequireReader(reader)) return false;
  if (!state_.CardPresent(reader)) return Fail("reader '" + reader + "' holds no card");
  return true;
}

bool StateEditor::AddReader(const std::string& reader) {
  if (!StateFolder::IsValidName(reader, 200))
    return Fail("'" + reader + "' is not a usable reader name (printable ASCII, no /\\:*?\"<>|)");
  if (state_.HasReader(reader)) return Fail("reader '" + reader + "' exists already");
  if (!Init()) return false;
  if (!MakeFolder(state_.ReaderFolder(reader))) return Fail("cannot create reader '" + reader + "'");
  return true;
}

bool StateEditor::RemoveReader(const std::string& reader) {
  if (!RequireReader(reader)) return false;
  if (state_.CardPresent(reader) && !RemoveCard(reader)) return false;
  std::error_code error;
  fs::remove_all(fs::u8path(state_.ReaderFolder(reader)), error);
  if (error) return Fail("cannot remove reader '" + reader + "': " + error.message());
  return true;
}

bool StateEditor::CreateCard(const std::string& reader, const CardDetails& details) {
  if (!RequireReader(reader)) return false;
  if (state_.CardPresent(reader)) return Fail("reader '" + reader + "' holds a card already");
  if (!StateFolder::IsValidName(details.serial, 16))
    return Fail("the serial must be 1 to 16 printable characters without /\\:*?\"<>|");
  if (details.label.size() > 32) return Fail("the label has more than 32 characters");
  if (details.manufacturer.size() > 32) return Fail("the manufacturer has more than 32 characters");
  if (details.model.size() > 16) return Fail("the model has more than 16 characters");
  if (!SecretLengthOk(details.pin) || !SecretLengthOk(details.puk))
    return Fail("PIN and PUK must have 4 to 16 characters");
  if (FileExists(state_.ShelfFile(details.serial)))
    return Fail("a card with serial '" + details.serial + "' is on the shelf; insert it instead");
  TokenState token;
  token.label = BytesOf(details.label);
  token.serial = BytesOf(details.serial);
  token.manufacturer = BytesOf(details.manufacturer);
  token.model = BytesOf(details.model);
  token.pin.value = BytesOf(details.pin);
  token.puk.value = BytesOf(details.puk);
  return SaveCard(reader, token);
}

bool StateEditor::RemoveCard(const std::string& reader) {
  TokenState token;
  if (!LoadCard(reader, token)) return false;
  if (!Init()) return false;
  const std::string shelf = state_.ShelfFile(TextOf(token.serial));
  if (!MoveFile(state_.TokenFile(reader), shelf)) return Fail("cannot move the card to " + shelf);
  return true;
}

bool StateEditor::InsertCard(const std::string& reader, const std::string& serial) {
  if (!RequireReader(reader)) return false;
  if (state_.CardPresent(reader)) return Fail("reader '" + reader + "' holds a card already");
  if (!StateFolder::IsValidName(serial, 16)) return Fail("'" + serial + "' is not a card serial");
  const std::string shelf = state_.ShelfFile(serial);
  TokenState token;
  std::string damage;
  LoadResult loaded = LoadToken(shelf, token, &damage);
  if (loaded == LoadResult::Missing) return Fail("no card with serial '" + serial + "' on the shelf");
  if (loaded == LoadResult::Damaged) return Fail("damaged card file " + damage);
  ++token.insertion;
  if (!SaveToken(shelf, token) || !MoveFile(shelf, state_.TokenFile(reader)))
    return Fail("cannot insert the card into '" + reader + "'");
  return true;
}

bool StateEditor::SetService(bool running) {
  if (!Init()) return false;
  const std::string marker = state_.ServiceStopMarker();
  if (running) {
    std::error_code error;
    fs::remove(fs::u8path(marker), error);
    return !error || Fail("cannot remove " + marker);
  }
  return WriteFileDurably(marker, "stopped\n") || Fail("cannot write " + marker);
}

bool StateEditor::LoadCard(const std::string& reader, TokenState& token) {
  if (!RequireCard(reader)) return false;
  std::string damage;
  switch (LoadToken(state_.TokenFile(reader), token, &damage)) {
    case LoadResult::Ok: return true;
    case LoadResult::Missing: return Fail("reader '" + reader + "' holds no card");
    case LoadResult::Damaged: return Fail("damaged card file " + damage);
  }
  return false;
}

bool StateEditor::SaveCard(const std::string& reader, const TokenState& token) {
  if (!SaveToken(state_.TokenFile(reader), token))
    return Fail("cannot write " + state_.TokenFile(reader));
  return true;
}

bool StateEditor::PutCertificate(const std::string& reader, const Bytes& der, bool authority,
                                 const ObjectNaming& naming, unsigned long& id) {
  CertificateFacts facts;
  if (!ReadCertificate(der, facts)) return Fail("not an X.509 certificate");
  TokenState token;
  if (!LoadCard(reader, token)) return false;
  ObjectRecord& object = token.AddObject();
  AddCommon(object, CKO_CERTIFICATE, false);
  object.SetNumber(CKA_CERTIFICATE_TYPE, CKC_X_509);
  object.SetNumber(CKA_CERTIFICATE_CATEGORY, authority ? 2 : 1);
  object.SetBool(CKA_TRUSTED, false);
  Name(object, naming, BytesOf(ToHex(facts.serialContent)));
  object.SetOctets(CKA_SUBJECT, facts.subject);
  object.SetOctets(CKA_ISSUER, facts.issuer);
  object.SetOctets(CKA_SERIAL_NUMBER, facts.serialNumber);
  object.SetOctets(CKA_VALUE, facts.der);
  id = object.id;
  return SaveCard(reader, token);
}

bool StateEditor::PutPrivateKey(const std::string& reader, const Bytes& der,
                                const Bytes* certificateDer, bool withPublicKey,
                                const ObjectNaming& naming, unsigned long& id) {
  RsaKeyFacts rsa;
  if (!ReadRsaPrivateKey(der, rsa)) return Fail("not an unencrypted RSA private key (PKCS#1 or PKCS#8)");
  CertificateFacts certificate;
  if (certificateDer && !ReadCertificate(*certificateDer, certificate))
    return Fail("not an X.509 certificate");
  if (certificateDer && certificate.modulus != rsa.modulus)
    return Fail("the key does not belong to the certificate");
  if (!certificateDer && !(naming.hasLabel && naming.hasId))
    return Fail("give the key's certificate, or both its label and its identifier");
  TokenState token;
  if (!LoadCard(reader, token)) return false;
  const Bytes fallback = BytesOf(ToHex(certificate.serialContent));
  ObjectRecord& key = token.AddObject();
  AddPrivateKey(key, rsa, certificate.subject);
  Name(key, naming, fallback);
  id = key.id;
  if (withPublicKey) {
    ObjectRecord& publicKey = token.AddObject();
    AddPublicKey(publicKey, rsa, certificate.subject);
    Name(publicKey, naming, fallback);
  }
  return SaveCard(reader, token);
}

bool StateEditor::SetUndeletable(const std::string& reader, unsigned long id, bool undeletable) {
  TokenState token;
  if (!LoadCard(reader, token)) return false;
  ObjectRecord* object = token.FindObject(id);
  if (!object) return Fail("no object " + std::to_string(id) + " on the card in '" + reader + "'");
  object->undeletable = undeletable;
  return SaveCard(reader, token);
}

bool StateEditor::SetFault(const std::string& function, unsigned long rv, bool always) {
  std::vector<Fault> faults;
  std::string error;
  if (!LoadFaults(state_.FaultsFile(), faults, error)) return Fail("damaged faults file: " + error);
  Fault fault{function, rv, always};
  faults.push_back(fault);
  std::string check;
  if (!ParseFaults(FormatFaults(faults), faults, check)) return Fail("'" + function + "' is not a C_ function name");
  if (!Init()) return false;
  return SaveFaults(state_.FaultsFile(), faults) || Fail("cannot write " + state_.FaultsFile());
}

bool StateEditor::ClearFaults(const std::string& function) {
  std::vector<Fault> faults, kept;
  std::string error;
  LoadFaults(state_.FaultsFile(), faults, error);  // a damaged file is replaced
  for (const Fault& fault : faults) {
    if (!function.empty() && fault.function != function) kept.push_back(fault);
  }
  if (!state_.Exists()) return true;
  return SaveFaults(state_.FaultsFile(), kept) || Fail("cannot write " + state_.FaultsFile());
}

std::string StateEditor::Describe() {
  std::ostringstream out;
  out << "state folder: " << state_.Root() << (state_.Exists() ? "" : " (missing)") << "\n";
  out << "service: " << (state_.ServiceRunning() ? "running" : "stopped") << "\n";
  for (const std::string& reader : state_.ReaderNames()) {
    out << "reader '" << reader << "': ";
    TokenState token;
    std::string damage;
    if (!state_.CardPresent(reader)) {
      out << "empty\n";
      continue;
    }
    switch (LoadToken(state_.TokenFile(reader), token, &damage)) {
      case LoadResult::Ok:
        out << "card " << Quote(token.serial) << " label " << Quote(token.label) << ", "
            << token.objects.size() << " objects, PIN tries left " << token.pin.triesLeft
            << ", PUK tries left " << token.puk.triesLeft << "\n";
        break;
      case LoadResult::Missing: out << "empty\n"; break;
      case LoadResult::Damaged: out << "damaged card file (" << damage << ")\n"; break;
    }
  }
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(fs::u8path(state_.ShelfFolder()), error))
    out << "on the shelf: " << entry.path().stem().u8string() << "\n";
  std::string faults;
  if (ReadWholeFile(state_.FaultsFile(), faults) && !faults.empty()) out << "faults:\n" << faults;
  return out.str();
}

}  // namespace vmw

#include "vmw/tools/Der.h"

#include <cstring>

namespace vmw {

namespace {

constexpr unsigned char kInteger = 0x02, kBitString = 0x03, kOctetString = 0x04, kSequence = 0x30;

Bytes Unsigned(const DerElement& integer) {
  Bytes value = integer.Content();
  std::size_t zeros = 0;
  while (zeros + 1 < value.size() && value[zeros] == 0) ++zeros;
  return Bytes(value.begin() + static_cast<std::ptrdiff_t>(zeros), value.end());
}

int Base64Value(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  if (c >= 'a' && c <= 'z') return c - 'a' + 26;
  if (c >= '0' && c <= '9') return c - '0' + 52;
  if (c == '+') return 62;
  if (c == '/') return 63;
  return -1;
}

bool DecodeBase64(const std::string& text, Bytes& out) {
  Bytes result;
  unsigned int accumulator = 0;
  int bits = 0;
  bool padding = false;
  for (char c : text) {
    if (c == '\r' || c == '\n' || c == ' ' || c == '\t') continue;
    if (c == '=') {
      padding = true;
      continue;
    }
    int value = Base64Value(c);
    if (value < 0 || padding) return false;
    accumulator = (accumulator << 6) | static_cast<unsigned int>(value);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      result.push_back(static_cast<unsigned char>((accumulator >> bits) & 0xFF));
    }
  }
  if (result.empty()) return false;
  out.swap(result);
  return true;
}

bool ReadRsaPublicKey(const DerElement& bitString, CertificateFacts& facts) {
  if (bitString.contentLength < 1 || bitString.content[0] != 0) return false;
  DerReader outer(bitString.content + 1, bitString.contentLength - 1);
  DerElement key, modulus, exponent;
  if (!outer.Expect(kSequence, key)) return false;
  DerReader fields(key);
  if (!fields.Expect(kInteger, modulus) || !fields.Expect(kInteger, exponent)) return false;
  facts.modulus = Unsigned(modulus);
  facts.publicExponent = Unsigned(exponent);
  return true;
}

bool ReadPkcs1(const DerElement& sequence, RsaKeyFacts& facts) {
  DerReader fields(sequence);
  DerElement version, parts[8];
  if (!fields.Expect(kInteger, version)) return false;
  for (DerElement& part : parts) {
    if (!fields.Expect(kInteger, part)) return false;
  }
  Bytes* targets[8] = {&facts.modulus,   &facts.publicExponent, &facts.privateExponent,
                       &facts.prime1,    &facts.prime2,         &facts.exponent1,
                       &facts.exponent2, &facts.coefficient};
  for (int i = 0; i < 8; ++i) *targets[i] = Unsigned(parts[i]);
  return true;
}

}  // namespace

bool DerReader::Next(DerElement& element) {
  if (left_ < 2) return false;
  const unsigned char* start = data_;
  unsigned char tag = start[0];
  if ((tag & 0x1F) == 0x1F) return false;  // high tag numbers never occur here
  std::size_t header = 2;
  std::size_t length = start[1];
  if (length & 0x80) {
    std::size_t octets = length & 0x7F;
    if (octets == 0 || octets > sizeof(std::size_t) || octets > left_ - 2) return false;
    length = 0;
    for (std::size_t i = 0; i < octets; ++i) length = (length << 8) | start[2 + i];
    header += octets;
  }
  if (length > left_ - header) return false;
  element.tag = tag;
  element.begin = start;
  element.content = start + header;
  element.contentLength = length;
  element.totalLength = header + length;
  data_ += element.totalLength;
  left_ -= element.totalLength;
  return true;
}

bool DecodeDerOrPem(const std::string& fileContent, Bytes& der) {
  std::size_t begin = fileContent.find("-----BEGIN");
  if (begin == std::string::npos) {
    der = BytesOf(fileContent);
    return !der.empty() && der[0] == kSequence;
  }
  std::size_t bodyStart = fileContent.find('\n', begin);
  std::size_t end = fileContent.find("-----END", begin);
  if (bodyStart == std::string::npos || end == std::string::npos || end < bodyStart) return false;
  return DecodeBase64(fileContent.substr(bodyStart + 1, end - bodyStart - 1), der);
}

bool ReadCertificate(const Bytes& der, CertificateFacts& facts) {
  DerReader file(der.data(), der.size());
  DerElement certificate, tbs, element;
  if (!file.Expect(kSequence, certificate) || !file.AtEnd()) return false;
  DerReader outer(certificate);
  if (!outer.Expect(kSequence, tbs)) return false;
  DerReader fields(tbs);
  if (!fields.Next(element)) return false;
  if (element.tag == 0xA0 && !fields.Next(element)) return false;  // explicit version
  if (element.tag != kInteger) return false;
  facts.serialNumber = element.Whole();
  facts.serialContent = element.Content();
  DerElement signature, issuer, validity, subject, keyInfo;
  if (!fields.Expect(kSequence, signature) || !fields.Expect(kSequence, issuer) ||
      !fields.Expect(kSequence, validity) || !fields.Expect(kSequence, subject) ||
      !fields.Expect(kSequence, keyInfo))
    return false;
  facts.issuer = issuer.Whole();
  facts.subject = subject.Whole();
  DerReader keyFields(keyInfo);
  DerElement algorithm, publicKey;
  if (!keyFields.Expect(kSequence, algorithm) || !keyFields.Expect(kBitString, publicKey)) return false;
  facts.modulus.clear();
  facts.publicExponent.clear();
  ReadRsaPublicKey(publicKey, facts);  // not RSA: no modulus, still a certificate
  facts.der = der;
  return true;
}

bool ReadRsaPrivateKey(const Bytes& der, RsaKeyFacts& facts) {
  DerReader file(der.data(), der.size());
  DerElement outer;
  if (!file.Expect(kSequence, outer)) return false;
  DerReader fields(outer);
  DerElement version, second;
  if (!fields.Expect(kInteger, version) || !fields.Next(second)) return false;
  if (second.tag == kInteger) return ReadPkcs1(outer, facts);
  // PKCS#8: version, AlgorithmIdentifier, OCTET STRING { RSAPrivateKey }
  DerElement wrapped, inner;
  if (second.tag != kSequence || !fields.Expect(kOctetString, wrapped)) return false;
  DerReader innerReader(wrapped);
  return innerReader.Expect(kSequence, inner) && ReadPkcs1(inner, facts);
}

}  // namespace vmw

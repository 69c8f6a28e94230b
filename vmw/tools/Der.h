// Just enough DER and PEM reading for the tool to put certificates and RSA
// keys on a virtual card.
#ifndef QUORIN_VMW_TOOLS_DER_H
#define QUORIN_VMW_TOOLS_DER_H

#include "vmw/state/Bytes.h"

#include <string>

namespace vmw {

// One TLV inside a buffer that outlives it.
struct DerElement {
  unsigned char tag = 0;
  const unsigned char* begin = nullptr;    // first octet of the tag
  const unsigned char* content = nullptr;  // first content octet
  std::size_t contentLength = 0;
  std::size_t totalLength = 0;

  Bytes Whole() const { return Bytes(begin, begin + totalLength); }
  Bytes Content() const { return Bytes(content, content + contentLength); }
};

// A cursor over consecutive TLVs; Next fails on anything malformed or truncated.
class DerReader {
 public:
  DerReader(const unsigned char* data, std::size_t length) : data_(data), left_(length) {}
  explicit DerReader(const DerElement& constructed)
      : data_(constructed.content), left_(constructed.contentLength) {}
  bool Next(DerElement& element);
  bool Expect(unsigned char tag, DerElement& element) { return Next(element) && element.tag == tag; }
  bool AtEnd() const { return left_ == 0; }

 private:
  const unsigned char* data_;
  std::size_t left_;
};

struct CertificateFacts {
  Bytes der;
  Bytes subject;        // the Name, whole DER
  Bytes issuer;         // likewise
  Bytes serialNumber;   // the INTEGER, whole DER
  Bytes serialContent;  // its content octets
  Bytes modulus;        // unsigned, without leading zero octets
  Bytes publicExponent;
};

struct RsaKeyFacts {
  Bytes modulus, publicExponent, privateExponent, prime1, prime2, exponent1, exponent2, coefficient;
};

// DER as it stands, or the first PEM block ("-----BEGIN ...") decoded.
bool DecodeDerOrPem(const std::string& fileContent, Bytes& der);
bool ReadCertificate(const Bytes& der, CertificateFacts& facts);
// PKCS#1 RSAPrivateKey or an unencrypted PKCS#8 PrivateKeyInfo holding one.
bool ReadRsaPrivateKey(const Bytes& der, RsaKeyFacts& facts);

}  // namespace vmw

#endif

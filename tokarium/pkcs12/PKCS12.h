#pragma once
// A PKCS#12 PFX in password privacy mode: decode decrypts what is encrypted and
// keeps the RSA private key and the certificates. The MAC is not verified and
// bag attributes are not read.

#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/pkcs12/RSAPrivateKey.h"

#include <vector>

#define OID_PKCS12_KEY_BAG "1.2.840.113549.1.12.10.1.1"
#define OID_PKCS12_SHROUDED_KEY_BAG "1.2.840.113549.1.12.10.1.2"
#define OID_PKCS12_CERT_BAG "1.2.840.113549.1.12.10.1.3"

class CPKCS12 : public CASN1Sequence {
public:
    enum { MAX_PASSWORD = 259 };

    // Parses the PFX; a malformed file throws the ASN.1 exceptions.
    explicit CPKCS12(CByteStream& stream);
    ~CPKCS12() override;
    CPKCS12(const CPKCS12&) = delete;
    CPKCS12& operator=(const CPKCS12&) = delete;

    // Throws the int -1 when a decryption fails (or the password is longer than
    // MAX_PASSWORD), the ASN.1 exceptions on a structural error. Returns with
    // nothing decoded when the PFX is not in the form read here.
    void decode(const char* password);
    // A copy of the decoded key; the int -1 when there is none.
    CRSAPrivateKey getPrivateKey() const;
    // In file order; owned by this object.
    const std::vector<CCertificate*>& getCertificates() const { return certificates; }

private:
    void decodeAuthenticatedSafe(const CASN1Sequence& authenticatedSafe);
    void decodeEncryptedData(const CASN1Object& content);
    void decodeSafeContents(const CASN1Sequence& safeContents, bool checkKeyPlaintext);
    void decodeSafeBag(const CASN1Sequence& bag, bool checkKeyPlaintext);
    void decodeShroudedKeyBag(const CASN1Sequence& bag, bool checkKeyPlaintext);
    void decodePlainKeyBag(const CASN1Sequence& bag);
    void decodeCertBag(const CASN1Sequence& bag);
    void takePrivateKeyInfo(const CASN1Sequence& privateKeyInfo);
    void readMacData() const;
    void wipePassword();

    char password[MAX_PASSWORD + 1];
    CRSAPrivateKey* privateKey;
    std::vector<CCertificate*> certificates;
};

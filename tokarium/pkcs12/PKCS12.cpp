#include "tokarium/pkcs12/PKCS12.h"

#include "tokarium/pkcs12/ContentInfo.h"
#include "tokarium/pkcs12/DigestInfo.h"
#include "tokarium/pkcs12/PBEDecrypt.h"
#include "tokarium/pkcs12/SecureZero.h"

#include <cstring>
#include <memory>

namespace {

bool isType(const CASN1ObjectIdentifier& identifier, const char* dottedText)
{
    return identifier.equals(CASN1ObjectIdentifier(dottedText));
}

// Zeroes a decrypted plaintext however the decoding of it ends.
struct PlaintextGuard {
    CByteArray& octets;
    ~PlaintextGuard() { octets.clear(); }
};

// The password copy is wiped however decode ends.
struct PasswordGuard {
    char* password;
    size_t size;
    ~PasswordGuard() { secureZero(password, size); }
};

void requireSequencePlaintext(const CByteArray& plaintext)
{
    if (plaintext.getSize() == 0 || plaintext.at(0) != 0x30)
        throw -1;
}

}  // namespace

CPKCS12::CPKCS12(CByteStream& stream) : CASN1Sequence(stream), privateKey(nullptr)
{
    std::memset(password, 0, sizeof password);
}

CPKCS12::~CPKCS12()
{
    for (CCertificate* certificate : certificates)
        delete certificate;
    delete privateKey;
    wipePassword();
}

void CPKCS12::wipePassword()
{
    secureZero(password, sizeof password);
}

void CPKCS12::decode(const char* newPassword)
{
    size_t length = std::strlen(newPassword);
    if (length > MAX_PASSWORD)
        throw -1;
    PasswordGuard guard{password, sizeof password};
    std::memcpy(password, newPassword, length + 1);

    CContentInfo authSafe(getChild(1));
    if (getChildCount() == 3)
        readMacData();
    if (!isType(authSafe.getContentType(), OID_PKCS7_DATA))
        return;
    CASN1OctetString wrapped(authSafe.getExplicitContent());
    CASN1Sequence authenticatedSafe(wrapped.getContent());
    decodeAuthenticatedSafe(authenticatedSafe);
}

CRSAPrivateKey CPKCS12::getPrivateKey() const
{
    if (!privateKey)
        throw -1;
    return *privateKey;
}

// Read for its structure only: the MAC is never computed.
void CPKCS12::readMacData() const
{
    CASN1Sequence macData(getChild(2));
    CDigestInfo mac(macData.getChild(0));
    mac.getDigestAlgorithm();
    mac.getDigest();
    CASN1OctetString salt(macData.getChild(1));
    if (macData.getChildCount() == 3)
        CASN1Integer(macData.getChild(2)).getValue();
}

void CPKCS12::decodeAuthenticatedSafe(const CASN1Sequence& authenticatedSafe)
{
    for (int i = 0; i < authenticatedSafe.getChildCount(); i++) {
        CContentInfo info(authenticatedSafe.getChild(i));
        CASN1ObjectIdentifier type = info.getContentType();
        if (isType(type, OID_PKCS7_DATA)) {
            CASN1OctetString data(info.getExplicitContent());
            decodeSafeContents(CASN1Sequence(data.getContent()), true);
        } else if (isType(type, OID_PKCS7_ENCRYPTED_DATA)) {
            decodeEncryptedData(info.getExplicitContent());
        }
    }
}

void CPKCS12::decodeEncryptedData(const CASN1Object& content)
{
    CASN1Sequence encryptedData(content);
    CASN1Sequence encryptedContentInfo(encryptedData.getChild(1));
    CASN1AlgorithmIdentifier algorithm(encryptedContentInfo.getChild(1));
    CASN1OctetString encryptedContent(encryptedContentInfo.getChild(2));

    CByteArray plaintext;
    PlaintextGuard guard{plaintext};
    if (pbeDecrypt(algorithm, encryptedContent, password, plaintext) != 0)
        throw -1;
    requireSequencePlaintext(plaintext);
    decodeSafeContents(CASN1Sequence(plaintext), false);
}

void CPKCS12::decodeSafeContents(const CASN1Sequence& safeContents, bool checkKeyPlaintext)
{
    for (int i = 0; i < safeContents.getChildCount(); i++)
        decodeSafeBag(CASN1Sequence(safeContents.getChild(i)), checkKeyPlaintext);
}

void CPKCS12::decodeSafeBag(const CASN1Sequence& bag, bool checkKeyPlaintext)
{
    CASN1ObjectIdentifier bagId(bag.getChild(0));
    if (isType(bagId, OID_PKCS12_SHROUDED_KEY_BAG))
        decodeShroudedKeyBag(bag, checkKeyPlaintext);
    else if (isType(bagId, OID_PKCS12_CERT_BAG))
        decodeCertBag(bag);
    else if (isType(bagId, OID_PKCS12_KEY_BAG))
        decodePlainKeyBag(bag);
}

void CPKCS12::decodeShroudedKeyBag(const CASN1Sequence& bag, bool checkKeyPlaintext)
{
    CASN1Sequence value(bag.getChild(1));
    CASN1Sequence encryptedPrivateKeyInfo(value.getChild(0));
    CASN1AlgorithmIdentifier algorithm(encryptedPrivateKeyInfo.getChild(0));
    CASN1OctetString encrypted(encryptedPrivateKeyInfo.getChild(1));

    CByteArray plaintext;
    PlaintextGuard guard{plaintext};
    if (pbeDecrypt(algorithm, encrypted, password, plaintext) != 0)
        throw -1;
    if (checkKeyPlaintext)
        requireSequencePlaintext(plaintext);
    CASN1Sequence privateKeyInfo(plaintext);
    takePrivateKeyInfo(privateKeyInfo);
    privateKeyInfo.getContent().clear();
}

// A keyBag holds the PrivateKeyInfo itself, in the clear.
void CPKCS12::decodePlainKeyBag(const CASN1Sequence& bag)
{
    CASN1Sequence value(bag.getChild(1));
    CASN1Sequence privateKeyInfo(value.getChild(0));
    takePrivateKeyInfo(privateKeyInfo);
    privateKeyInfo.getContent().clear();
    value.getContent().clear();
}

void CPKCS12::takePrivateKeyInfo(const CASN1Sequence& privateKeyInfo)
{
    CASN1OctetString keyOctets(privateKeyInfo.getChild(2));
    CRSAPrivateKey* key = new CRSAPrivateKey(keyOctets.getContent());
    keyOctets.getContent().clear();
    delete privateKey;
    privateKey = key;
}

void CPKCS12::decodeCertBag(const CASN1Sequence& bag)
{
    CASN1Sequence value(bag.getChild(1));
    CASN1Sequence certBag(value.getChild(0));
    CASN1Sequence certValue(certBag.getChild(1));
    CASN1OctetString octets(certValue.getChild(0));
    std::unique_ptr<CCertificate> certificate(new CCertificate(CASN1Object(octets.getContent())));
    certificates.push_back(certificate.get());
    certificate.release();
}

// Writing certificates and private keys onto the token.

#include "tokarium/token/Cryptoki.h"

#include "tokarium/app/ActivityLog.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/pkcs12/PKCS12.h"
#include "tokarium/token/CertificateFields.h"
#include "tokarium/token/TokenCall.h"

#include <cstring>
#include <vector>

namespace {

const char IMPORT_TAG[] = "CCryptoki::ImportCertificate";

CK_ULONG LengthOf(const std::string& text) { return static_cast<CK_ULONG>(text.size()); }
CK_ULONG LengthOf(const Octets& octets) { return static_cast<CK_ULONG>(octets.size()); }

// The listing a PKCS#12 import compares with; freed however the import ends.
struct OwnedCertificateList : CertificateList {
    OwnedCertificateList() : CertificateList{nullptr, 0} {}
    ~OwnedCertificateList() { ReleaseCertificateEntries(*this); }
};

bool IsListed(const CertificateList& list, const Octets& encoded)
{
    for (uint32_t i = 0; i < list.count; ++i) {
        const CertificateEntry& entry = list.entries[i];
        if (entry.value && entry.valueLength == encoded.size()
            && std::memcmp(entry.value, encoded.data(), encoded.size()) == 0)
            return true;
    }
    return false;
}

} // namespace

CK_RV CCryptoki::ImportCertificate(CK_SESSION_HANDLE session, CCertificate& certificate,
                                   bool takeKeyIdentity)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    std::string serial = SerialText(certificate);
    Octets subject = SubjectOctets(certificate);
    Octets issuer = IssuerOctets(certificate);
    Octets encoded = EncodedCertificate(certificate);

    CK_OBJECT_CLASS certificateClass = CKO_CERTIFICATE;
    CK_BBOOL yes = CK_TRUE;
    CK_ATTRIBUTE create[] = {
        MakeAttribute(CKA_CLASS, &certificateClass, sizeof certificateClass),
        MakeAttribute(CKA_TOKEN, &yes, sizeof yes),
        MakeAttribute(CKA_LABEL, serial.data(), LengthOf(serial)),
        MakeAttribute(CKA_ID, serial.data(), LengthOf(serial)),
        MakeAttribute(CKA_SUBJECT, subject.data(), LengthOf(subject)),
        MakeAttribute(CKA_ISSUER, issuer.data(), LengthOf(issuer)),
        MakeAttribute(CKA_VALUE, encoded.data(), LengthOf(encoded)),
    };
    CK_OBJECT_HANDLE created = CK_INVALID_HANDLE;
    CK_RV rv = m_functions->C_CreateObject(session, create, 7, &created);
    theLog.LogDebug(0, IMPORT_TAG, "rv: %x", AsHex(rv));
    if (rv != CKR_OK || !takeKeyIdentity)
        return rv;
    return TakeKeyIdentity(session, certificate, created);
}

// Gives the new certificate object the CKA_ID and CKA_LABEL of the private key
// with the certificate's modulus, when the token holds one.
CK_RV CCryptoki::TakeKeyIdentity(CK_SESSION_HANDLE session, CCertificate& certificate,
                                 CK_OBJECT_HANDLE certificateObject)
{
    Octets modulus = PublicModulus(certificate);
    size_t skip = !modulus.empty() && modulus[0] == 0 ? 1 : 0;
    CK_OBJECT_CLASS keyClass = CKO_PRIVATE_KEY;
    CK_ATTRIBUTE search[] = {
        MakeAttribute(CKA_CLASS, &keyClass, sizeof keyClass),
        MakeAttribute(CKA_MODULUS, modulus.data() + skip,
                      static_cast<CK_ULONG>(modulus.size() - skip)),
    };
    CK_OBJECT_HANDLE key = CK_INVALID_HANDLE;
    CK_ULONG found = 0;
    CK_RV rv = FindObjects(session, search, 2, &key, 1, found);
    if (rv != CKR_OK)
        return rv;
    theLog.LogDebug(0, IMPORT_TAG, "private key found: %d", AsCount(found));
    if (found == 0)
        return CKR_OK;

    CK_ATTRIBUTE identity[] = {
        MakeAttribute(CKA_ID, nullptr, 0),
        MakeAttribute(CKA_LABEL, nullptr, 0),
    };
    rv = m_functions->C_GetAttributeValue(session, key, identity, 2);
    if (rv != CKR_OK)
        return rv;
    if (identity[0].ulValueLen == CK_UNAVAILABLE_INFORMATION
        || identity[1].ulValueLen == CK_UNAVAILABLE_INFORMATION)
        return CKR_ATTRIBUTE_VALUE_INVALID;
    std::vector<unsigned char> id(identity[0].ulValueLen + 1);
    std::vector<unsigned char> label(identity[1].ulValueLen + 1);
    identity[0].pValue = id.data();
    identity[1].pValue = label.data();
    rv = m_functions->C_GetAttributeValue(session, key, identity, 2);
    if (rv != CKR_OK)
        return rv;
    rv = m_functions->C_SetAttributeValue(session, certificateObject, identity, 2);
    if (rv == CKR_OK)
        theLog.LogDebug(0, IMPORT_TAG, "ID attribute set: %d", AsCount(found));
    else
        theLog.LogDebug(0, IMPORT_TAG, "ID attributes not set: %d", AsCount(found));
    return rv;
}

CK_RV CCryptoki::ImportPKCS12(CK_SESSION_HANDLE session, CPKCS12& pkcs12, bool allCertificates)
{
    OwnedCertificateList present;
    GetCertificates(session, present);
    const std::vector<CCertificate*>& certificates = pkcs12.getCertificates();
    PrivateKeyComponents key;
    ReadPrivateKeyComponents(pkcs12, key);

    bool firstPresent = false;
    size_t toWrite = allCertificates ? certificates.size()
                                     : (certificates.empty() ? 0 : 1);
    for (size_t i = 0; i < toWrite; ++i) {
        Octets encoded = EncodedCertificate(*certificates[i]);
        bool listed = IsListed(present, encoded);
        if (!listed)
            ImportCertificate(session, *certificates[i], false);
        if (listed && i == 0)
            firstPresent = true;
    }
    if (firstPresent)
        return CKR_OK;
    return CreatePrivateKey(session, *certificates.at(0), key);
}

CK_RV CCryptoki::CreatePrivateKey(CK_SESSION_HANDLE session, CCertificate& firstCertificate,
                                  const PrivateKeyComponents& key)
{
    if (!m_functions)
        return CKR_CRYPTOKI_NOT_INITIALIZED;
    std::string serial = SerialText(firstCertificate);
    CK_OBJECT_CLASS keyClass = CKO_PRIVATE_KEY;
    CK_BBOOL yes = CK_TRUE;
    CK_ATTRIBUTE create[] = {
        MakeAttribute(CKA_CLASS, &keyClass, sizeof keyClass),
        MakeAttribute(CKA_LABEL, serial.data(), LengthOf(serial)),
        MakeAttribute(CKA_ID, serial.data(), LengthOf(serial)),
        MakeAttribute(CKA_SIGN, &yes, sizeof yes),
        MakeAttribute(CKA_DECRYPT, &yes, sizeof yes),
        MakeAttribute(CKA_TOKEN, &yes, sizeof yes),
        MakeAttribute(CKA_PRIVATE, &yes, sizeof yes),
        MakeAttribute(CKA_MODULUS, key.modulus.data(), LengthOf(key.modulus)),
        MakeAttribute(CKA_PRIVATE_EXPONENT, key.privateExponent.data(),
                      LengthOf(key.privateExponent)),
        MakeAttribute(CKA_PUBLIC_EXPONENT, key.publicExponent.data(),
                      LengthOf(key.publicExponent)),
        MakeAttribute(CKA_PRIME_1, key.prime1.data(), LengthOf(key.prime1)),
        MakeAttribute(CKA_PRIME_2, key.prime2.data(), LengthOf(key.prime2)),
        MakeAttribute(CKA_EXPONENT_1, key.exponent1.data(), LengthOf(key.exponent1)),
    };
    CK_OBJECT_HANDLE created = CK_INVALID_HANDLE;
    CK_RV rv = m_functions->C_CreateObject(session, create, 13, &created);
    theLog.LogDebug(0, IMPORT_TAG, "rv: %x", AsHex(rv));
    return rv;
}

#pragma once
// SubjectPublicKeyInfo and the PKCS#1 RSAPublicKey inside its BIT STRING.

#include "tokarium/asn1/ASN1AlgorithmIdentifier.h"
#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1Primitive.h"

class CSubjectPublicKeyInfo : public CASN1Sequence {
public:
    explicit CSubjectPublicKeyInfo(CASN1Object source);

    CASN1AlgorithmIdentifier getAlgorithm() const;
    // The unused-bits octet followed by the key's DER.
    CASN1BitString getPublicKey() const;
};

class CRSAPublicKey : public CASN1Sequence {
public:
    // Over the BIT STRING content once its first octet has been removed.
    explicit CRSAPublicKey(CByteStream& stream);
    explicit CRSAPublicKey(CASN1Object source);

    CASN1Integer getModulus() const;
    CASN1Integer getPublicExponent() const;
};

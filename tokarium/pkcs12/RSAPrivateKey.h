#pragma once
// The PKCS #1 RSAPrivateKey { version, modulus, publicExponent, privateExponent,
// prime1, prime2, exponent1, exponent2, coefficient }. Neither the version nor
// the key algorithm around it is checked. The content is wiped on destruction.

#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1Primitive.h"

class CRSAPrivateKey : public CASN1Sequence {
public:
    // The octets of a PrivateKeyInfo's privateKey field.
    explicit CRSAPrivateKey(const CByteArray& privateKeyOctets) : CASN1Sequence(privateKeyOctets) {}
    CRSAPrivateKey(const CRSAPrivateKey& other) = default;
    ~CRSAPrivateKey() override { getContent().clear(); }

    CASN1Integer getModulus() const { return CASN1Integer(getChild(1)); }
    CASN1Integer getPublicExponent() const { return CASN1Integer(getChild(2)); }
    CASN1Integer getPrivateExponent() const { return CASN1Integer(getChild(3)); }
    CASN1Integer getPrime1() const { return CASN1Integer(getChild(4)); }
    CASN1Integer getPrime2() const { return CASN1Integer(getChild(5)); }
    CASN1Integer getExponent1() const { return CASN1Integer(getChild(6)); }
    CASN1Integer getExponent2() const { return CASN1Integer(getChild(7)); }
    CASN1Integer getCoefficient() const { return CASN1Integer(getChild(8)); }
};

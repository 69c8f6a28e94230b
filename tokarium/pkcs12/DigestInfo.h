#pragma once
// DigestInfo { digestAlgorithm, digest }, as in the MAC data of a PFX.

#include "tokarium/asn1/ASN1AlgorithmIdentifier.h"
#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1Primitive.h"

class CDigestInfo : public CASN1Sequence {
public:
    explicit CDigestInfo(CASN1Object source) : CASN1Sequence(std::move(source)) {}

    CASN1AlgorithmIdentifier getDigestAlgorithm() const { return CASN1AlgorithmIdentifier(getChild(0)); }
    CASN1OctetString getDigest() const { return CASN1OctetString(getChild(1)); }
};

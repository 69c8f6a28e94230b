#pragma once
// AlgorithmIdentifier: SEQUENCE { algorithm OBJECT IDENTIFIER, parameters }.

#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1ObjectIdentifier.h"

class CASN1AlgorithmIdentifier : public CASN1Sequence {
public:
    explicit CASN1AlgorithmIdentifier(CASN1Object source);
    // The identifier of dottedText followed by a NULL.
    explicit CASN1AlgorithmIdentifier(const char* dottedText);

    CASN1ObjectIdentifier getAlgorithm() const;
    CASN1Object getParameters() const;
};

#include "tokarium/asn1/ASN1AlgorithmIdentifier.h"

#include "tokarium/asn1/ASN1Primitive.h"

#include <utility>

CASN1AlgorithmIdentifier::CASN1AlgorithmIdentifier(CASN1Object source) : CASN1Sequence(std::move(source)) {}

CASN1AlgorithmIdentifier::CASN1AlgorithmIdentifier(const char* dottedText)
{
    addChild(CASN1ObjectIdentifier(dottedText));
    addChild(CASN1Null());
}

CASN1ObjectIdentifier CASN1AlgorithmIdentifier::getAlgorithm() const { return CASN1ObjectIdentifier(getChild(0)); }

CASN1Object CASN1AlgorithmIdentifier::getParameters() const { return getChild(1); }

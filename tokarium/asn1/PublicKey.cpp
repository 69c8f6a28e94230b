#include "tokarium/asn1/PublicKey.h"

#include <utility>

CSubjectPublicKeyInfo::CSubjectPublicKeyInfo(CASN1Object source) : CASN1Sequence(std::move(source)) {}

CASN1AlgorithmIdentifier CSubjectPublicKeyInfo::getAlgorithm() const { return CASN1AlgorithmIdentifier(getChild(0)); }

CASN1BitString CSubjectPublicKeyInfo::getPublicKey() const { return CASN1BitString(getChild(1)); }

CRSAPublicKey::CRSAPublicKey(CByteStream& stream) : CASN1Sequence(stream) {}

CRSAPublicKey::CRSAPublicKey(CASN1Object source) : CASN1Sequence(std::move(source)) {}

CASN1Integer CRSAPublicKey::getModulus() const { return CASN1Integer(getChild(0)); }

CASN1Integer CRSAPublicKey::getPublicExponent() const { return CASN1Integer(getChild(1)); }

#pragma once
// ContentInfo { contentType, [0] EXPLICIT content } of PKCS #7.

#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1ObjectIdentifier.h"

#define OID_PKCS7_DATA "1.2.840.113549.1.7.1"
#define OID_PKCS7_ENCRYPTED_DATA "1.2.840.113549.1.7.6"

class CContentInfo : public CASN1Sequence {
public:
    explicit CContentInfo(CASN1Object source) : CASN1Sequence(std::move(source)) {}

    CASN1ObjectIdentifier getContentType() const { return CASN1ObjectIdentifier(getChild(0)); }
    // The value inside the [0] wrapper.
    CASN1Object getExplicitContent() const { return CASN1Object(getChild(1).getContent()); }
};

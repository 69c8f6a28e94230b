#pragma once
// The TBSCertificate SEQUENCE. Positions shift by one when the explicit [0]
// version is present.

#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1Primitive.h"
#include "tokarium/asn1/Name.h"
#include "tokarium/asn1/PublicKey.h"

class CTBSCertificate : public CASN1Sequence {
public:
    enum { VERSION_TAG = 0xA0 };

    explicit CTBSCertificate(CASN1Object source);

    bool getHasVersion() const { return hasVersion; }
    CASN1Integer getSerialNumber() const;
    CName getIssuer() const;
    CName getSubject() const;
    // The stored time, UTCTime or GeneralizedTime, with its own tag.
    CASN1UTCTime getNotBefore() const;
    CASN1UTCTime getNotAfter() const;
    CSubjectPublicKeyInfo getSubjectPublicKeyInfo() const;
    // The [3] wrapper viewed as a SEQUENCE, or an empty SEQUENCE.
    CASN1Sequence getExtensions() const;

private:
    enum { SERIAL, SIGNATURE, ISSUER, VALIDITY, SUBJECT, PUBLIC_KEY_INFO };

    CASN1Object field(int position) const { return getChild(position + (hasVersion ? 1 : 0)); }

    bool hasVersion;
};

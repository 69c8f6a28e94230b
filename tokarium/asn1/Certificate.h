#pragma once
// An X.509 certificate, read only: SEQUENCE { tbsCertificate,
// signatureAlgorithm, signatureValue }. Nothing is verified.

#include "tokarium/asn1/ASN1ObjectIdentifier.h"
#include "tokarium/asn1/TBSCertificate.h"

class CCertificate : public CASN1Sequence {
public:
    // The DER of a token's certificate object; the parsed tag is kept.
    CCertificate(const unsigned char* bytes, uint32_t n);
    // These two set the tag 0x30.
    explicit CCertificate(CByteStream& stream);
    explicit CCertificate(CASN1Object source);

    CTBSCertificate getTBSCertificate() const;
    CASN1Integer getSerialNumber() const;
    CName getIssuer() const;
    CName getSubject() const;
    CASN1UTCTime getNotBefore() const;
    CASN1UTCTime getNotAfter() const;
    CASN1Sequence getExtensions() const;
    // The Extension whose extnID matches, or an empty SEQUENCE.
    CASN1Sequence getExtension(const CASN1ObjectIdentifier& identifier) const;
    // basicConstraints present with cA TRUE; the critical flag plays no part.
    bool isCACertificate() const;
};

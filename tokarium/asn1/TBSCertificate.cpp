#include "tokarium/asn1/TBSCertificate.h"

#include <utility>

CTBSCertificate::CTBSCertificate(CASN1Object source)
    : CASN1Sequence(std::move(source)), hasVersion(getChildCount() > 0 && getContent().getData()[0] == VERSION_TAG)
{
}

CASN1Integer CTBSCertificate::getSerialNumber() const { return CASN1Integer(field(SERIAL)); }

CName CTBSCertificate::getIssuer() const { return CName(field(ISSUER)); }

CName CTBSCertificate::getSubject() const { return CName(field(SUBJECT)); }

CASN1UTCTime CTBSCertificate::getNotBefore() const { return CASN1UTCTime(CASN1Sequence(field(VALIDITY)).getChild(0)); }

CASN1UTCTime CTBSCertificate::getNotAfter() const { return CASN1UTCTime(CASN1Sequence(field(VALIDITY)).getChild(1)); }

CSubjectPublicKeyInfo CTBSCertificate::getSubjectPublicKeyInfo() const
{
    return CSubjectPublicKeyInfo(field(PUBLIC_KEY_INFO));
}

CASN1Sequence CTBSCertificate::getExtensions() const
{
    int n = getChildCount();
    if (n < 7 || (hasVersion && n < 8))
        return CASN1Sequence();
    return CASN1Sequence(getChild(n - 1));
}

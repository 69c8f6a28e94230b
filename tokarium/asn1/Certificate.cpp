#include "tokarium/asn1/Certificate.h"

#include <utility>

CCertificate::CCertificate(const unsigned char* bytes, uint32_t n) : CASN1Sequence(bytes, n) {}

CCertificate::CCertificate(CByteStream& stream) : CASN1Sequence(stream) {}

CCertificate::CCertificate(CASN1Object source) : CASN1Sequence(std::move(source)) {}

CTBSCertificate CCertificate::getTBSCertificate() const { return CTBSCertificate(getChild(0)); }

CASN1Integer CCertificate::getSerialNumber() const { return getTBSCertificate().getSerialNumber(); }

CName CCertificate::getIssuer() const { return getTBSCertificate().getIssuer(); }

CName CCertificate::getSubject() const { return getTBSCertificate().getSubject(); }

CASN1UTCTime CCertificate::getNotBefore() const { return getTBSCertificate().getNotBefore(); }

CASN1UTCTime CCertificate::getNotAfter() const { return getTBSCertificate().getNotAfter(); }

CASN1Sequence CCertificate::getExtensions() const { return getTBSCertificate().getExtensions(); }

CASN1Sequence CCertificate::getExtension(const CASN1ObjectIdentifier& identifier) const
{
    CASN1Sequence extensions = getExtensions();
    if (extensions.getChildCount() == 0)
        return CASN1Sequence();
    CASN1Sequence list(extensions.getChild(0));
    for (int i = 0; i < list.getChildCount(); ++i) {
        CASN1Sequence extension(list.getChild(i));
        if (CASN1ObjectIdentifier(extension.getChild(0)).matches(identifier))
            return extension;
    }
    return CASN1Sequence();
}

bool CCertificate::isCACertificate() const
{
    CASN1Sequence extension = getExtension(CASN1ObjectIdentifier("2.5.29.19"));
    if (extension.getChildCount() == 0)
        return false;
    CASN1OctetString value(extension.getChild(extension.getChildCount() - 1));
    CASN1Sequence basicConstraints(value.getContent());
    if (basicConstraints.getChildCount() == 0)
        return false;
    CASN1Object cA = basicConstraints.getChild(0);
    return cA.getTag() == CASN1Boolean::TAG && cA.getContentLength() != 0 && cA.getContent().getData()[0] != 0;
}

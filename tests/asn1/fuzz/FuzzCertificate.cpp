// Any octets read as a token's certificate, through every accessor the
// listing, the details panel and the import use.

#include "tests/asn1/fuzz/FuzzSupport.h"
#include "tokarium/asn1/ASN1.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

void readName(const CName& name)
{
    CByteArray text;
    name.getNameAsString(text);
    FUZZ_CHECK(text.getSize() > 0 && text.at(text.getSize() - 1) == 0);
    name.getAttribute("2.5.4.3");
    name.getAttribute("1.2.840.113549.1.9.1");
}

void readTime(const CASN1UTCTime& time)
{
    char text[256];
    size_t n = time.getText(text, sizeof text);
    FUZZ_CHECK(n < sizeof text && text[n] == '\0');
}

void readKey(const CCertificate& certificate)
{
    CASN1BitString key = certificate.getTBSCertificate().getSubjectPublicKeyInfo().getPublicKey();
    key.getContent().removeAt(0);
    CByteStream stream(key.getContent());
    CRSAPublicKey rsa(stream);
    CByteArray modulus(rsa.getModulus().getContent());
    modulus.toHexString();
    rsa.getPublicExponent().getValue();
}

void readExtensions(const CCertificate& certificate)
{
    CASN1Sequence extensions = certificate.getExtensions();
    if (extensions.getChildCount() == 0)
        return;
    CASN1Sequence list(extensions.getChild(0));
    for (int i = 0; i < list.getChildCount(); ++i) {
        CASN1Sequence extension(list.getChild(i));
        CByteArray text;
        CASN1ObjectIdentifier(extension.getChild(0)).toString(text);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    TraceWithoutFile();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size > UINT32_MAX)
        return 0;
    Tolerate([&] {
        CCertificate certificate(data, static_cast<uint32_t>(size));
        Tolerate([&] {
            CByteArray serial(certificate.getSerialNumber().getContent());
            const char* hex = serial.toHexString();
            FUZZ_CHECK(strlen(hex) == 2u * serial.getSize());
        });
        Tolerate([&] { readName(certificate.getIssuer()); });
        Tolerate([&] { readName(certificate.getSubject()); });
        Tolerate([&] { readTime(certificate.getNotBefore()); });
        Tolerate([&] { readTime(certificate.getNotAfter()); });
        Tolerate([&] { readKey(certificate); });
        Tolerate([&] { readExtensions(certificate); });
        Tolerate([&] { certificate.isCACertificate(); });
        Tolerate([&] { certificate.getExtension(CASN1ObjectIdentifier("2.5.29.15")); });
    });
    return 0;
}

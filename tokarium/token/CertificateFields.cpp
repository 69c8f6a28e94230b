#include "tokarium/token/CertificateFields.h"

#include "tokarium/asn1/ByteArray.h"
#include "tokarium/asn1/ByteStream.h"
#include "tokarium/asn1/Certificate.h"
#include "tokarium/asn1/Name.h"
#include "tokarium/pkcs12/PKCS12.h"

#include <cstring>
#include <memory>

namespace {

Octets ToOctets(const CByteArray& bytes)
{
    return Octets(bytes.getData(), bytes.getData() + bytes.getSize());
}

// Name texts end in a NUL octet; the text is what comes before the first NUL.
std::string NameText(CName name)
{
    CByteArray text;
    name.getNameAsString(text);
    const char* chars = reinterpret_cast<const char*>(text.getData());
    return std::string(chars, strnlen(chars, text.getSize()));
}

std::string RawText(const CByteArray& content)
{
    return std::string(reinterpret_cast<const char*>(content.getData()), content.getSize());
}

} // namespace

std::string SerialText(CCertificate& certificate)
{
    CByteArray serial(certificate.getSerialNumber().getContent());
    return serial.toHexString();
}

std::string SubjectText(CCertificate& certificate)
{
    return NameText(certificate.getSubject());
}

std::string IssuerText(CCertificate& certificate)
{
    return NameText(certificate.getIssuer());
}

std::string NotAfterText(CCertificate& certificate)
{
    return RawText(certificate.getNotAfter().getContent());
}

std::string NotBeforeText(CCertificate& certificate)
{
    return RawText(certificate.getNotBefore().getContent());
}

Octets SubjectOctets(CCertificate& certificate)
{
    return ToOctets(certificate.getSubject().getContent());
}

Octets IssuerOctets(CCertificate& certificate)
{
    return ToOctets(certificate.getIssuer().getContent());
}

Octets EncodedCertificate(CCertificate& certificate)
{
    CByteArray encoded;
    certificate.encode(encoded);
    return ToOctets(encoded);
}

Octets PublicModulus(CCertificate& certificate)
{
    CByteArray bits(certificate.getTBSCertificate().getSubjectPublicKeyInfo().getPublicKey()
                        .getContent());
    bits.removeAt(0);
    CByteStream stream(bits);
    CRSAPublicKey key(stream);
    return ToOctets(key.getModulus().getContent());
}

void Wipe(Octets& octets)
{
    volatile unsigned char* p = octets.data();
    for (size_t i = 0; i < octets.size(); ++i)
        p[i] = 0;
    octets.clear();
}

PrivateKeyComponents::~PrivateKeyComponents()
{
    Wipe(modulus);
    Wipe(privateExponent);
    Wipe(publicExponent);
    Wipe(prime1);
    Wipe(prime2);
    Wipe(exponent1);
}

void ReadPrivateKeyComponents(CPKCS12& pkcs12, PrivateKeyComponents& out)
{
    CRSAPrivateKey key = pkcs12.getPrivateKey();
    out.modulus = ToOctets(key.getModulus().getContent());
    out.privateExponent = ToOctets(key.getPrivateExponent().getContent());
    out.publicExponent = ToOctets(key.getPublicExponent().getContent());
    out.prime1 = ToOctets(key.getPrime1().getContent());
    out.prime2 = ToOctets(key.getPrime2().getContent());
    out.exponent1 = ToOctets(key.getExponent1().getContent());
    key.getContent().clear();
}

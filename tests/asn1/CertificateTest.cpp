#include "tests/asn1/AsnTestSupport.h"
#include "tests/asn1/DerBuilder.h"
#include "tests/asn1/Fixtures.h"
#include "tokarium/asn1/Certificate.h"

#include <gtest/gtest.h>

#include <string>

using namespace asn1test;

namespace {

std::string NameText(const CName& name)
{
    CByteArray out;
    name.getNameAsString(out);
    // Drop the terminating NUL; BMP values keep their own zero octets.
    return std::string(reinterpret_cast<const char*>(out.getData()), out.getSize() - 1);
}

std::string TimeText(const CASN1UTCTime& time)
{
    char text[64];
    size_t n = time.getText(text, sizeof text);
    return std::string(text, n);
}

CCertificate CertificateOf(const std::string& der)
{
    return CCertificate(reinterpret_cast<const unsigned char*>(der.data()), static_cast<uint32_t>(der.size()));
}

CCertificate FixtureCertificate(const std::string& name)
{
    CByteArray der = LoadFixture(name + ".der");
    return CCertificate(der.getData(), der.getSize());
}

TEST(Certificate, FieldsAgreeWithOpenSSL)
{
    ASSERT_GE(kCertificateFactsCount, 9u);
    for (size_t i = 0; i < kCertificateFactsCount; ++i) {
        const CertificateFacts& facts = kCertificateFacts[i];
        SCOPED_TRACE(facts.name);
        CCertificate certificate = FixtureCertificate(facts.name);
        CTBSCertificate tbs = certificate.getTBSCertificate();
        EXPECT_EQ(tbs.getHasVersion(), facts.version != 1);
        EXPECT_EQ(HexOf(certificate.getSerialNumber().getContent()), facts.serialHex);
        EXPECT_EQ(certificate.getSerialNumber().getTag(), 0x02);
        EXPECT_EQ(NameText(certificate.getIssuer()), facts.issuer);
        EXPECT_EQ(NameText(certificate.getSubject()), facts.subject);
        EXPECT_EQ(TimeText(certificate.getNotBefore()), facts.notBefore);
        EXPECT_EQ(TimeText(certificate.getNotAfter()), facts.notAfter);
        EXPECT_EQ(certificate.getSubject().getAttribute("2.5.4.3"), facts.commonName);
        EXPECT_EQ(certificate.isCACertificate(), facts.isCA);

        // The key the way the details panel reaches it.
        CASN1BitString key = tbs.getSubjectPublicKeyInfo().getPublicKey();
        EXPECT_EQ(key.getContent().at(0), 0) << "no unused bits";
        key.getContent().removeAt(0);
        CByteStream stream(key.getContent());
        CRSAPublicKey rsa(stream);
        EXPECT_EQ(HexOf(rsa.getModulus().getContent()), facts.modulusHex);
        EXPECT_EQ(rsa.getPublicExponent().getValue(), facts.exponent);
    }
}

TEST(Certificate, GeneralizedTimeKeepsItsTagAndFourDigitYear)
{
    CCertificate certificate = FixtureCertificate("generalized_time");
    EXPECT_EQ(certificate.getNotBefore().getTag(), 0x18);
    EXPECT_EQ(certificate.getNotAfter().getTag(), 0x18);
    EXPECT_EQ(TimeText(certificate.getNotBefore()), "20500101000000Z");
}

TEST(Certificate, VersionOneHasNoExtensions)
{
    CCertificate certificate = FixtureCertificate("v1");
    EXPECT_EQ(certificate.getTBSCertificate().getChildCount(), 6);
    EXPECT_EQ(certificate.getExtensions().getChildCount(), 0);
    EXPECT_EQ(certificate.getExtension(CASN1ObjectIdentifier("2.5.29.19")).getChildCount(), 0);
    EXPECT_EQ(certificate.getExtension(CASN1ObjectIdentifier("2.5.29.15")).getChildCount(), 0);
    EXPECT_FALSE(certificate.isCACertificate());
}

TEST(Certificate, ExtensionsAreFoundByIdentifier)
{
    const struct {
        const char* fixture;
        const char* identifier;
        int children;  // 0: absent; 2: no critical field; 3: critical field
    } cases[] = {
        {"user", "2.5.29.19", 3},   {"user", "2.5.29.15", 3}, {"user", "2.5.29.37", 2},
        {"user", "2.5.29.17", 2},   {"user", "2.5.29.32", 0}, {"ca", "2.5.29.19", 3},
        {"intermediate", "2.5.29.19", 2}, {"pathlen_only", "2.5.29.19", 2},
    };
    for (auto& c : cases) {
        CCertificate certificate = FixtureCertificate(c.fixture);
        EXPECT_EQ(certificate.getTBSCertificate().getChildCount(), 8) << c.fixture;
        EXPECT_EQ(certificate.getExtensions().getTag(), 0x30) << c.fixture;
        CASN1Sequence extension = certificate.getExtension(CASN1ObjectIdentifier(c.identifier));
        ASSERT_EQ(extension.getChildCount(), c.children) << c.fixture << " " << c.identifier;
        if (c.children == 0)
            continue;
        CByteArray text;
        CASN1ObjectIdentifier(extension.getChild(0)).toString(text);
        EXPECT_STREQ(reinterpret_cast<const char*>(text.getData()), c.identifier);
    }
}

// A certificate assembled by hand around the given extensions wrapper content.
std::string HandCertificate(const std::string& afterPublicKey, bool withVersion = true)
{
    std::string name = Tlv(0x30, Rdn(Attribute(kCN, UTF8, "Hand")));
    std::string validity = Tlv(0x30, Tlv(0x17, "250101000000Z") + Tlv(0x17, "350101000000Z"));
    std::string tbs = (withVersion ? Tlv(0xA0, Tlv(0x02, "\x02")) : "") + Tlv(0x02, "\x01")
        + Tlv(0x30, Tlv(0x06, FromHex("2A864886F70D01010B"))) + name + validity + name
        + Tlv(0x30, Tlv(0x30, Tlv(0x06, FromHex("2A864886F70D010101"))) + Tlv(0x03, FromHex("00")))
        + afterPublicKey;
    return Tlv(0x30, Tlv(0x30, tbs) + Tlv(0x30, "") + Tlv(0x03, FromHex("00")));
}

std::string BasicConstraints(const std::string& critical, const std::string& value)
{
    return Tlv(0xA3, Tlv(0x30, Tlv(0x30, Tlv(0x06, FromHex("551D13")) + critical + Tlv(0x04, value))));
}

TEST(Certificate, CATestReadsOnlyTheCAComponent)
{
    const std::string critical = Tlv(0x01, "\xFF");
    const struct {
        const char* what;
        std::string extensions;
        bool isCA;
    } cases[] = {
        {"cA TRUE, no critical field", BasicConstraints("", Tlv(0x30, Tlv(0x01, "\xFF"))), true},
        {"cA TRUE, critical", BasicConstraints(critical, Tlv(0x30, Tlv(0x01, "\xFF"))), true},
        {"cA as 01, any non-zero", BasicConstraints("", Tlv(0x30, Tlv(0x01, "\x01"))), true},
        {"cA TRUE with path length", BasicConstraints("", Tlv(0x30, Tlv(0x01, "\xFF") + Tlv(0x02, std::string("\0", 1)))), true},
        {"critical cA FALSE", BasicConstraints(critical, Tlv(0x30, Tlv(0x01, std::string("\0", 1)))), false},
        {"critical empty value", BasicConstraints(critical, Tlv(0x30, "")), false},
        {"path length alone", BasicConstraints("", Tlv(0x30, Tlv(0x02, "\x05"))), false},
        {"empty BOOLEAN", BasicConstraints("", Tlv(0x30, Tlv(0x01, ""))), false},
        {"no basicConstraints", Tlv(0xA3, Tlv(0x30, Tlv(0x30, Tlv(0x06, FromHex("551D0F")) + Tlv(0x04, FromHex("030205A0"))))), false},
        {"no extensions at all", "", false},
    };
    for (auto& c : cases) {
        CCertificate certificate = CertificateOf(HandCertificate(c.extensions));
        EXPECT_EQ(certificate.isCACertificate(), c.isCA) << c.what;
    }
}

TEST(Certificate, SevenChildrenWithVersionMeanNoExtensions)
{
    CCertificate certificate = CertificateOf(HandCertificate(""));
    EXPECT_TRUE(certificate.getTBSCertificate().getHasVersion());
    EXPECT_EQ(certificate.getTBSCertificate().getChildCount(), 7);
    EXPECT_EQ(certificate.getExtensions().getChildCount(), 0);
    EXPECT_EQ(certificate.getExtension(CASN1ObjectIdentifier("2.5.29.19")).getChildCount(), 0);
}

TEST(Certificate, ExtensionsWrapperIsViewedAsASequence)
{
    std::string wrapper = BasicConstraints("", Tlv(0x30, Tlv(0x01, "\xFF")));
    CASN1Sequence extensions = CertificateOf(HandCertificate(wrapper)).getExtensions();
    EXPECT_EQ(extensions.getTag(), 0x30);
    ASSERT_EQ(extensions.getChildCount(), 1);
    EXPECT_EQ(CASN1Sequence(extensions.getChild(0)).getChildCount(), 1);
}

TEST(Certificate, TagDependsOnHowTheCertificateWasBuilt)
{
    CByteArray der = LoadFixture("v1.der");
    der.getData()[0] = 0x31;
    CCertificate fromBytes(der.getData(), der.getSize());
    EXPECT_EQ(fromBytes.getTag(), 0x31);
    CByteStream stream(der);
    CCertificate fromStream(stream);
    EXPECT_EQ(fromStream.getTag(), 0x30);
    CCertificate fromObject{CASN1Object(der)};
    EXPECT_EQ(fromObject.getTag(), 0x30);
    EXPECT_EQ(HexOf(fromObject.getSerialNumber().getContent()), "1234");
}

TEST(Certificate, ShortStructuresThrowParsing)
{
    const std::string cases[] = {
        Tlv(0x30, ""),                                   // no TBSCertificate
        Tlv(0x30, Tlv(0x30, "")),                        // an empty TBSCertificate
        Tlv(0x30, Tlv(0x30, Tlv(0xA0, Tlv(0x02, "\x02")) + Tlv(0x02, "\x01"))),  // serial only
    };
    for (const std::string& der : cases) {
        EXPECT_EQ(ThrownBy([&] { CertificateOf(der).getSubject(); }), "parsing");
        EXPECT_EQ(ThrownBy([&] { CertificateOf(der).getNotAfter(); }), "parsing");
    }
}

}  // namespace

#include "tests/asn1/AsnTestSupport.h"
#include "tests/asn1/Fixtures.h"
#include "tokarium/asn1/Base64.h"
#include "tokarium/asn1/CertificateLoader.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

using namespace asn1test;

namespace {

TEST(Base64, DecodesTheDocumentedTexts)
{
    const struct {
        const char* text;
        long count;
        const char* octets;
    } cases[] = {
        {"TWFu", 3, "Man"},
        {"TWE=", 2, "Ma"},
        {"TQ==", 1, "M"},
        {"", 0, ""},
        {"TWFuTWFu", 6, "ManMan"},
        {"+/+/", 3, "\xFB\xFF\xBF"},
        {"TW!u", -1, nullptr},
        {"TWFuTW!u", -1, nullptr},
        {"TWFuT", -1, nullptr},
        {"TWF", -1, nullptr},
        {"TW u", -1, nullptr},
        {"TWFu\n", -1, nullptr},
    };
    for (auto& c : cases) {
        unsigned char out[16] = {};
        EXPECT_EQ(base64Decode(out, c.text), c.count) << c.text;
        if (c.octets) {
            EXPECT_EQ(std::string(reinterpret_cast<char*>(out), c.count), c.octets) << c.text;
        }
    }
}

TEST(Base64, QuantumCountsFollowThePadding)
{
    const struct {
        const char* quantum;
        int count;
    } cases[] = {{"TWFu", 3}, {"TWE=", 2}, {"TQ==", 1}, {"T===", 0}, {"====", -1}, {"=WFu", -1}, {"TW\x80u", -1}, {"TW\0u", -1}};
    for (auto& c : cases) {
        unsigned char out[3];
        EXPECT_EQ(base64DecodeQuantum(out, c.quantum), c.count) << c.quantum;
    }
}

TEST(Base64, DecodedSizeAndTheAllocatedBuffer)
{
    EXPECT_EQ(base64DecodedSize(0), 0u);
    EXPECT_EQ(base64DecodedSize(7), 3u);
    EXPECT_EQ(base64DecodedSize(8), 6u);
    size_t count = 99;
    unsigned char* octets = base64DecodeAlloc("TWE=", &count);
    ASSERT_NE(octets, nullptr);
    EXPECT_EQ(count, 2u);
    EXPECT_STREQ(reinterpret_cast<char*>(octets), "Ma");
    free(octets);
    EXPECT_EQ(base64DecodeAlloc("TW!u"), nullptr);
    EXPECT_EQ(base64DecodeAlloc("TWFuT"), nullptr);
}

std::string Encoded(const CCertificate& certificate)
{
    CByteArray out;
    certificate.encode(out);
    return out.toHexString();
}

// What loadCertificate threw, or "loaded" with the certificate's DER in hex.
std::string Load(const std::string& file, std::string* derHex = nullptr)
{
    CByteArray octets(reinterpret_cast<const unsigned char*>(file.data()), static_cast<uint32_t>(file.size()));
    std::unique_ptr<CCertificate> certificate;
    std::string thrown = ThrownBy([&] { certificate.reset(loadCertificate(octets)); });
    if (thrown != "none")
        return thrown;
    if (derHex)
        *derHex = Encoded(*certificate);
    return "loaded";
}

TEST(CertificateLoader, EveryFormOfOneCertificateGivesTheSameCertificate)
{
    std::string expected = HexOf(LoadFixture("user.der"));
    for (const char* file : {"user.der", "user-crlf.pem", "user-lf.pem", "user-bare.b64"}) {
        std::string der;
        ASSERT_EQ(Load(FixtureText(file), &der), "loaded") << file;
        EXPECT_EQ(der, expected) << file;
    }
    EXPECT_NE(FixtureText("user-crlf.pem").find("\r\n"), std::string::npos);
    EXPECT_EQ(FixtureText("user-lf.pem").find('\r'), std::string::npos);
}

TEST(CertificateLoader, LoadedCertificateReadsAsTheDerForm)
{
    CByteArray pem = LoadFixture("user-crlf.pem");
    std::unique_ptr<CCertificate> certificate(loadCertificate(pem));
    EXPECT_EQ(certificate->getTag(), 0x30);
    EXPECT_EQ(HexOf(certificate->getSerialNumber().getContent()), "0080F1E2D3C4B5A697");
    EXPECT_EQ(certificate->getSubject().getAttribute("2.5.4.3"), "Test User");
}

std::string Replace(std::string text, const std::string& from, const std::string& to)
{
    size_t at = text.find(from);
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

TEST(CertificateLoader, TextThatIsNotACertificateThrowsMinusSix)
{
    std::string pem = FixtureText("user-lf.pem");
    std::string bare = FixtureText("user-bare.b64");
    size_t secondLine = pem.find('\n') + 1;
    std::string withSpace = pem.substr(0, secondLine + 10) + " " + pem.substr(secondLine + 11);
    const struct {
        const char* what;
        std::string file;
    } cases[] = {
        {"a space inside a Base64 line", withSpace},
        {"an extra line before the header", "Certificate for Test User\n" + pem},
        {"empty file", ""},
        {"plain words", "hello world\n"},
        {"Base64 of a short SEQUENCE", "MAMCAQU=\n"},
        {"Base64 of no SEQUENCE", "TWFu\n"},
        {"header without line end", "-----BEGIN CERTIFICATE-----"},
        {"a lost character", Replace(bare, "\n", "").substr(1)},
        {"a tab inside a Base64 line", pem.substr(0, secondLine + 10) + "\t" + pem.substr(secondLine + 10)},
    };
    for (auto& c : cases)
        EXPECT_EQ(Load(c.file), "int -6") << c.what;
}

TEST(CertificateLoader, DerIsRecognisedByItsFirstOctets)
{
    std::string short127 = std::string("\x30\x7F", 2) + std::string("\x04\x7D", 2) + std::string(125, 'x');
    EXPECT_EQ(Load(short127), "int -6");
    std::string long128 = std::string("\x30\x81\x80", 3) + std::string("\x04\x7E", 2) + std::string(126, 'x');
    EXPECT_EQ(Load(long128), "loaded");
    EXPECT_EQ(Load(std::string("\x30", 1)), "int -6");
    // Octets after the certificate are ignored.
    std::string der = FixtureText("v1.der");
    std::string loaded;
    EXPECT_EQ(Load(der + "trailing", &loaded), "loaded");
    EXPECT_EQ(loaded, HexOf(LoadFixture("v1.der")));
}

TEST(CertificateLoader, MalformedDerThrowsTheParsingException)
{
    std::string der = FixtureText("user.der");
    EXPECT_EQ(Load(der.substr(0, der.size() - 1)), "parsing");
    EXPECT_EQ(Load(der.substr(0, 300)), "parsing");
    std::string bad = std::string("\x30\x81\x80", 3) + std::string("\x04\x7F", 2) + std::string(126, 'x');
    EXPECT_EQ(Load(bad), "parsing");
}

TEST(CertificateLoader, DecodedOctetsBeyondTheCertificateAreIgnored)
{
    std::string loaded;
    EXPECT_EQ(Load(FixtureText("user-bare.b64") + "TWFu\n", &loaded), "loaded");
    EXPECT_EQ(loaded, HexOf(LoadFixture("user.der")));
}

}  // namespace

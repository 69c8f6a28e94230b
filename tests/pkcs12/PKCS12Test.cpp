#include "tokarium/pkcs12/PKCS12.h"

#include "tests/pkcs12/Fixtures.h"
#include "tests/pkcs12/HexText.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <vector>

namespace {

const std::string password = "Quorin-Test-1";
const std::string longPassword =
    "Long-password-Long-password-Long-password-Long-password-Long-password-Long-password-Long-password-";

std::vector<uint8_t> Encoded(const CASN1Object& object)
{
    CByteArray out;
    object.encode(out);
    return std::vector<uint8_t>(out.getData(), out.getData() + out.getSize());
}

std::string ContentHex(const CASN1Object& object)
{
    const CByteArray& c = object.getContent();
    return ToHex(c.getData(), c.getSize());
}

std::string WithoutLeadingZeros(std::string hex)
{
    while (hex.size() > 2 && hex.compare(0, 2, "00") == 0)
        hex.erase(0, 2);
    return hex;
}

// A decoded container together with the octets it was parsed from.
struct Decoded {
    std::vector<uint8_t> file;
    std::unique_ptr<CByteStream> stream;
    std::unique_ptr<CPKCS12> pkcs12;
};

Decoded Open(const std::vector<uint8_t>& file)
{
    Decoded d;
    d.file = file;
    d.stream.reset(new CByteStream(d.file.data(), uint32_t(d.file.size())));
    d.pkcs12.reset(new CPKCS12(*d.stream));
    return d;
}

// What decode threw: "int -1", "ASN.1", "none" or something else.
std::string DecodeOutcome(CPKCS12& pkcs12, const std::string& pw)
{
    try {
        pkcs12.decode(pw.c_str());
        return "none";
    } catch (int code) {
        return "int " + std::to_string(code);
    } catch (CASN1Exception* e) {
        delete e;
        return "ASN.1";
    } catch (long code) {
        return "long " + std::to_string(code);
    }
}

struct AcceptedFile {
    const char* name;
    const std::string* password;
    bool hasKey;
    size_t certificates;
};

const std::string emptyPassword;

const AcceptedFile acceptedFiles[] = {
    {"classic", &password, true, 1},        {"chain", &password, true, 3},
    {"both-3des", &password, true, 3},      {"key-first", &password, true, 1},
    {"empty-password", &emptyPassword, true, 1}, {"iter1", &password, true, 1},
    {"iter2048", &password, true, 3},       {"nomac", &password, true, 1},
    {"wrong-mac", &password, true, 1},      {"two-keys", &password, true, 1},
    {"certs-only", &password, false, 3},    {"plain-certs", &password, true, 1},
    {"plain-keybag", &password, true, 1},   {"long-password", &longPassword, true, 1},
};

void PrintTo(const AcceptedFile& f, std::ostream* os)
{
    *os << f.name;
}

class AcceptedPKCS12 : public ::testing::TestWithParam<AcceptedFile> {};

// Every key and certificate equals, octet for octet, what OpenSSL extracts.
TEST_P(AcceptedPKCS12, DecodesToOpenSSLsKeyAndCertificates)
{
    const AcceptedFile& f = GetParam();
    std::string name = f.name;
    ASSERT_TRUE(HasFixture(name + ".p12"));
    Decoded d = Open(Fixture(name + ".p12"));
    ASSERT_EQ("none", DecodeOutcome(*d.pkcs12, *f.password));

    const std::vector<CCertificate*>& certificates = d.pkcs12->getCertificates();
    ASSERT_EQ(f.certificates, certificates.size());
    for (size_t i = 0; i < certificates.size(); i++) {
        std::vector<uint8_t> expected = Fixture(name + ".cert" + std::to_string(i) + ".der");
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(ToHex(expected), ToHex(Encoded(*certificates[i]))) << "certificate " << i;
    }

    if (f.hasKey) {
        CRSAPrivateKey key = d.pkcs12->getPrivateKey();
        EXPECT_EQ(ToHex(Fixture(name + ".key.der")), ToHex(Encoded(key)));
        EXPECT_EQ(FixtureText(name + ".modulus.txt"), WithoutLeadingZeros(ContentHex(key.getModulus())));
    } else {
        EXPECT_FALSE(HasFixture(name + ".key.der"));
        try {
            d.pkcs12->getPrivateKey();
            FAIL() << "a key without a key bag";
        } catch (int code) {
            EXPECT_EQ(-1, code);
        }
    }
}

INSTANTIATE_TEST_SUITE_P(OpenSSLFiles, AcceptedPKCS12, ::testing::ValuesIn(acceptedFiles),
                         [](const ::testing::TestParamInfo<AcceptedFile>& info) {
                             std::string n = info.param.name;
                             for (char& c : n)
                                 if (c == '-')
                                     c = '_';
                             return n;
                         });

TEST(PKCS12, KeyAccessorsReadTheirComponents)
{
    Decoded d = Open(Fixture("classic.p12"));
    d.pkcs12->decode(password.c_str());
    CRSAPrivateKey key = d.pkcs12->getPrivateKey();
    // openssl asn1parse of the key: version, then the eight components in order.
    std::istringstream lines(FixtureText("classic.components.txt"));
    std::vector<std::string> expected;
    for (std::string line; std::getline(lines, line);)
        expected.push_back(line);
    ASSERT_EQ(9u, expected.size());
    CASN1Integer components[] = {key.getModulus(),   key.getPublicExponent(), key.getPrivateExponent(),
                                 key.getPrime1(),    key.getPrime2(),         key.getExponent1(),
                                 key.getExponent2(), key.getCoefficient()};
    for (int i = 0; i < 8; i++)
        EXPECT_EQ(expected[i + 1], WithoutLeadingZeros(ContentHex(components[i]))) << "component " << i + 1;
    EXPECT_EQ(65537u, key.getPublicExponent().getValue());
}

TEST(PKCS12, ChainComesInFileOrder)
{
    Decoded d = Open(Fixture("chain.p12"));
    d.pkcs12->decode(password.c_str());
    const std::vector<CCertificate*>& c = d.pkcs12->getCertificates();
    ASSERT_EQ(3u, c.size());
    EXPECT_EQ("00C35A17", ContentHex(c[0]->getSerialNumber()));
    EXPECT_FALSE(c[0]->isCACertificate());
    EXPECT_TRUE(c[1]->isCACertificate());
    EXPECT_TRUE(c[2]->isCACertificate());
}

TEST(PKCS12, TwoKeyBagsKeepTheSecond)
{
    Decoded d = Open(Fixture("two-keys.p12"));
    d.pkcs12->decode(password.c_str());
    std::vector<uint8_t> key = Encoded(d.pkcs12->getPrivateKey());
    EXPECT_EQ(ToHex(Fixture("two-keys.key.der")), ToHex(key));
    EXPECT_NE(ToHex(Fixture("classic.key.der")), ToHex(key));
}

TEST(PKCS12, GetPrivateKeyGivesAnIndependentCopy)
{
    Decoded d = Open(Fixture("classic.p12"));
    d.pkcs12->decode(password.c_str());
    std::vector<uint8_t> expected;
    {
        CRSAPrivateKey first = d.pkcs12->getPrivateKey();
        expected = Encoded(first);
    }
    EXPECT_EQ(ToHex(expected), ToHex(Encoded(d.pkcs12->getPrivateKey())));
}

struct RefusedFile {
    const char* name;
    const char* password;
    const char* outcome;
};

TEST(PKCS12, RefusedFiles)
{
    const RefusedFile refused[] = {
        {"pbes2", "Quorin-Test-1", "int -1"},
        {"classic", "Quorin-Test-2", "int -1"},  // certificates are decrypted first: noise fails 0x30
        {"key-first", "wrong", "int -1"},        // the key plaintext fails 0x30
        {"both-3des", "", "int -1"},
        {"classic", "quorin-test-1", "int -1"},
    };
    for (const RefusedFile& r : refused) {
        SCOPED_TRACE(std::string(r.name) + " / " + r.password);
        Decoded d = Open(Fixture(std::string(r.name) + ".p12"));
        std::string outcome = DecodeOutcome(*d.pkcs12, r.password);
        // Noise may also happen to start with 0x30 and then fail to parse.
        if (std::string(r.password) != "Quorin-Test-1")
            EXPECT_TRUE(outcome == "int -1" || outcome == "ASN.1") << outcome;
        else
            EXPECT_EQ(r.outcome, outcome);
        try {
            d.pkcs12->getPrivateKey();
            ADD_FAILURE() << "a key after a refusal";
        } catch (int code) {
            EXPECT_EQ(-1, code);
        }
    }
}

TEST(PKCS12, PasswordLongerThanItsFieldIsRefused)
{
    Decoded d = Open(Fixture("classic.p12"));
    EXPECT_EQ("int -1", DecodeOutcome(*d.pkcs12, std::string(260, 'x')));
}

std::vector<uint8_t> Der(const std::string& hex)
{
    return FromHex(hex);
}

TEST(PKCS12, FormsItDoesNotReadDecodeToNothing)
{
    const char* files[] = {
        // version 3, authSafe of type signedData (public-key integrity mode)
        "3014020103300F06092A864886F70D010702A0023000",
        // authSafe data holding an empty AuthenticatedSafe, no MAC
        "3016020103301106092A864886F70D010701A00404023000",
        // an AuthenticatedSafe with an envelopedData ContentInfo, which is skipped
        "3027020103302206092A864886F70D010701A01504133011300F06092A864886F70D010703A0023000",
    };
    for (const char* hex : files) {
        SCOPED_TRACE(hex);
        Decoded d = Open(Der(hex));
        EXPECT_EQ("none", DecodeOutcome(*d.pkcs12, password));
        EXPECT_TRUE(d.pkcs12->getCertificates().empty());
        EXPECT_THROW(d.pkcs12->getPrivateKey(), int);
    }
}

TEST(PKCS12, MalformedFilesThrowTheASN1Exceptions)
{
    std::vector<uint8_t> classic = Fixture("classic.p12");
    std::vector<uint8_t> truncated(classic.begin(), classic.begin() + classic.size() / 2);
    // The PFX itself cannot be parsed.
    for (const std::vector<uint8_t>& file : {std::vector<uint8_t>{}, truncated, Der("30")}) {
        try {
            Open(file);
            ADD_FAILURE() << "parsed " << ToHex(file).substr(0, 16);
        } catch (CASN1Exception* e) {
            delete e;
        }
    }
    // The PFX parses, what it holds does not: no authSafe; an authSafe whose
    // data is an empty OCTET STRING; a ContentInfo without its content.
    for (const char* hex : {"3003020103", "3014020103300F06092A864886F70D010701A0020400",
                            "3014020103300F06092A864886F70D010701A002300B"}) {
        SCOPED_TRACE(hex);
        Decoded d = Open(Der(hex));
        EXPECT_EQ("ASN.1", DecodeOutcome(*d.pkcs12, password));
    }
}

TEST(PKCS12, MalformedMacDataFails)
{
    // authSafe with an empty AuthenticatedSafe, then a macData that is an INTEGER.
    Decoded d = Open(Der("3019020103301106092A864886F70D010701A00404023000020101"));
    EXPECT_EQ("ASN.1", DecodeOutcome(*d.pkcs12, password));
}

TEST(PKCS12, CertificatesBeforeAnErrorStayInTheList)
{
    // A second decode with a wrong password fails on its first decryption and
    // leaves the certificates of the first decode in place.
    Decoded d = Open(Fixture("chain.p12"));
    d.pkcs12->decode(password.c_str());
    ASSERT_EQ(3u, d.pkcs12->getCertificates().size());
    std::string outcome = DecodeOutcome(*d.pkcs12, "not the password");
    EXPECT_TRUE(outcome == "int -1" || outcome == "ASN.1") << outcome;
    EXPECT_EQ(3u, d.pkcs12->getCertificates().size());
}

}  // namespace

#include "tests/asn1/AsnTestSupport.h"
#include "tokarium/asn1/ASN1AlgorithmIdentifier.h"
#include "tokarium/asn1/ASN1ObjectIdentifier.h"
#include "tokarium/asn1/ASN1Primitive.h"

#include <gtest/gtest.h>

#include <string>

using namespace asn1test;

namespace {

CASN1Object Parsed(const char* hex) { return CASN1Object(CByteArray(hex)); }

std::string Encoded(const CASN1Object& o)
{
    CByteArray out;
    o.encode(out);
    return out.toHexString();
}

std::string Dotted(const CASN1ObjectIdentifier& oid)
{
    CByteArray text;
    oid.toString(text);
    EXPECT_EQ(text.at(text.getSize() - 1), 0) << "NUL-terminated";
    return reinterpret_cast<const char*>(text.getData());
}

TEST(Integer, ValueIsUnsignedBigEndian)
{
    const struct {
        const char* der;
        uint32_t value;
    } cases[] = {
        {"02020800", 2048},
        {"0200", 0},
        {"020180", 128},
        {"0201FF", 255},
        {"0203010001", 65537},
        {"020480000000", 0x80000000u},
        // A leading 00 in front of four significant octets changes nothing.
        {"020500FFFFFFFF", 0xFFFFFFFFu},
        // Of more than four octets the last four count.
        {"02050102030405", 0x02030405u},
    };
    for (auto& c : cases)
        EXPECT_EQ(CASN1Integer(Parsed(c.der)).getValue(), c.value) << c.der;
}

TEST(Boolean, AnyNonZeroOctetIsTrue)
{
    EXPECT_TRUE(CASN1Boolean(Parsed("0101FF")).getValue());
    EXPECT_TRUE(CASN1Boolean(Parsed("010101")).getValue());
    EXPECT_FALSE(CASN1Boolean(Parsed("010100")).getValue());
    EXPECT_FALSE(CASN1Boolean(Parsed("0100")).getValue());
}

TEST(TypedViews, SetOrKeepTheTagAsDocumented)
{
    CASN1Object implicitZero = Parsed("8003010203");
    EXPECT_EQ(CASN1Integer(implicitZero).getTag(), 0x02);
    EXPECT_EQ(CASN1Boolean(implicitZero).getTag(), 0x01);
    EXPECT_EQ(CASN1OctetString(implicitZero).getTag(), 0x80);
    EXPECT_EQ(HexOf(CASN1OctetString(implicitZero).getContent()), "010203");
    EXPECT_EQ(CASN1BitString(implicitZero).getTag(), 0x80);
    EXPECT_EQ(CASN1ObjectIdentifier(implicitZero).getTag(), 0x80);
    EXPECT_EQ(CASN1UTCTime(Parsed("180F32303331303130313030303030305A")).getTag(), 0x18);
    EXPECT_EQ(Encoded(CASN1Null()), "0500");
}

TEST(ObjectIdentifier, DerToDottedText)
{
    const struct {
        const char* der;
        const char* text;
    } cases[] = {
        {"0603551D13", "2.5.29.19"},
        {"06092A864886F70D010701", "1.2.840.113549.1.7.1"},
        {"06082B06010401823715", "1.3.6.1.4.1.311.21"},
        {"060100", "0.0"},
        {"060128", "1.0"},
        {"06027F01", "2.47.1"},
        {"06028134", "2.100"},
        {"0600", ""},
        // An unfinished last subidentifier writes nothing.
        {"06025586", "2.5"},
        // Arcs beyond 32 bits are written whole.
        {"060655908080800F", "2.5.4294967311"},
    };
    for (auto& c : cases) {
        EXPECT_EQ(Dotted(CASN1ObjectIdentifier(Parsed(c.der))), c.text) << c.der;
    }
}

TEST(ObjectIdentifier, DottedTextToDer)
{
    const struct {
        const char* text;
        const char* der;
    } cases[] = {
        {"2.5.4.3", "0603550403"},
        {"0.9.2342.19200300.100.1.25", "060A0992268993F22C640119"},
        {"1.2.840.113549", "06062A864886F70D"},
        {"2.5.128", "0603558100"},
        {"2.5.16384", "060455818000"},
        {"2.5.0", "06025500"},
        {"3.0", "060178"},
        {"2.100", "06028134"},
        {"2.175", "0602817F"},
        {"1.2.4294967295", "06062A8FFFFFFF7F"},
    };
    for (auto& c : cases) {
        CASN1ObjectIdentifier oid(c.text);
        EXPECT_EQ(oid.getTag(), 0x06) << c.text;
        EXPECT_EQ(Encoded(oid), c.der) << c.text;
    }
}

TEST(ObjectIdentifier, TextRoundTrips)
{
    const char* texts[] = {"2.5.4.3", "0.9.2342.19200300.100.1.25", "1.2.840.113549.1.12.10.1.2", "2.100",
                           "1.3.6.1.4.1.311.21", "2.5.29.19", "0.0"};
    for (const char* text : texts)
        EXPECT_EQ(Dotted(CASN1ObjectIdentifier(text)), text);
}

TEST(ObjectIdentifier, BadTextThrowsMinusOne)
{
    std::string tooLong = "1.2";
    for (int i = 0; i < 60; ++i)
        tooLong += ".4294967295";
    const std::string cases[] = {"6.20", "2.176", "7.0", "2", "", "2.-5", "1.2.-1", "1.2.4294967296", tooLong};
    for (const std::string& text : cases)
        EXPECT_EQ(ThrownBy([&] { CASN1ObjectIdentifier oid(text.c_str()); }), "int -1") << text;
    // atoi reading: a part without digits is 0.
    EXPECT_EQ(Encoded(CASN1ObjectIdentifier("2.5.x.3")), "0603550003");
}

TEST(ObjectIdentifier, MatchesLooksAtContentOnly)
{
    CASN1ObjectIdentifier constant("2.5.29.19");
    EXPECT_TRUE(CASN1ObjectIdentifier(Parsed("8003551D13")).matches(constant));
    EXPECT_FALSE(CASN1ObjectIdentifier(Parsed("0603551D11")).matches(constant));
    EXPECT_FALSE(CASN1ObjectIdentifier(Parsed("0602551D")).matches(constant));
    EXPECT_FALSE(constant.equals(CASN1ObjectIdentifier(Parsed("8003551D13"))));
}

TEST(UTCTime, GetTextCopiesTheCharactersWithinTheBuffer)
{
    CASN1UTCTime time(Parsed("170D3939313233313233353935395A"));
    char text[32];
    EXPECT_EQ(time.getText(text, sizeof text), 13u);
    EXPECT_STREQ(text, "991231235959Z");
    char small[6];
    EXPECT_EQ(time.getText(small, sizeof small), 5u);
    EXPECT_STREQ(small, "99123");
    CASN1UTCTime general(Parsed("180F32303530303130313030303030305A"));
    EXPECT_EQ(general.getText(text, sizeof text), 15u);
    EXPECT_STREQ(text, "20500101000000Z");
}

TEST(AlgorithmIdentifier, BuiltFromTextIsTheIdentifierAndNull)
{
    CASN1AlgorithmIdentifier pbe("1.2.840.113549.1.12.1.3");
    EXPECT_EQ(Encoded(pbe), "300E060A2A864886F70D010C01030500");
    EXPECT_EQ(Dotted(pbe.getAlgorithm()), "1.2.840.113549.1.12.1.3");
    EXPECT_EQ(Encoded(pbe.getParameters()), "0500");
}

TEST(AlgorithmIdentifier, ParametersOfAParsedIdentifier)
{
    CASN1AlgorithmIdentifier parsed(Parsed("3016060A2A864886F70D010C0103300804023132020207D0"));
    EXPECT_EQ(Dotted(parsed.getAlgorithm()), "1.2.840.113549.1.12.1.3");
    CASN1Sequence parameters(parsed.getParameters());
    EXPECT_EQ(CASN1Integer(parameters.getChild(1)).getValue(), 2000u);
}

}  // namespace

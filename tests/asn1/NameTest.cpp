#include "tests/asn1/AsnTestSupport.h"
#include "tests/asn1/DerBuilder.h"
#include "tokarium/app/ActivityLog.h"
#include "tokarium/asn1/Name.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

using namespace asn1test;

namespace {

CName NameOf(const std::string& rdns)
{
    std::string der = Tlv(0x30, rdns);
    return CName(CASN1Object(reinterpret_cast<const unsigned char*>(der.data()), static_cast<uint32_t>(der.size())));
}

// The text and its terminating NUL, as octets.
std::string NameText(const CName& name)
{
    CByteArray out;
    name.getNameAsString(out);
    return std::string(reinterpret_cast<const char*>(out.getData()), out.getSize());
}

TEST(Name, TextOfTheDocumentedNames)
{
    const struct {
        const char* what;
        std::string rdns;
        std::string text;
    } cases[] = {
        {"C, O, CN",
         Rdn(Attribute(kC, PRINTABLE, "IT")) + Rdn(Attribute(kO, PRINTABLE, "Example"))
             + Rdn(Attribute(kCN, PRINTABLE, "Test User")),
         std::string("C=IT,ON=Example,CN=Test User\0", 29)},
        {"e-mail", Rdn(Attribute(kEmail, IA5, "abc")), std::string("E=abc\0", 6)},
        {"type outside the table", Rdn(Attribute(kC, PRINTABLE, "IT")) + Rdn(Attribute(kOrganizationIdentifier, UTF8, "VATIT-1")),
         std::string("C=IT,VATIT-1\0", 13)},
        {"multi-valued RDN: first only",
         Rdn(Attribute(kCN, UTF8, "Anna") + Attribute(kSN, UTF8, "Rossi")) + Rdn(Attribute(kC, PRINTABLE, "SI")),
         std::string("CN=Anna,C=SI\0", 13)},
        {"BMP value as its units", Rdn(Attribute(kCN, BMP, std::string("\0A\0b", 4))), std::string("CN=\0A\0b\0", 8)},
        {"empty name", "", std::string("\0", 1)},
        {"stored order kept", Rdn(Attribute(kCN, UTF8, "x")) + Rdn(Attribute(kC, PRINTABLE, "IT")),
         std::string("CN=x,C=IT\0", 10)},
        {"attribute without value skipped", Rdn(Tlv(0x30, Tlv(0x06, FromHex(kCN)))) + Rdn(Attribute(kC, PRINTABLE, "IT")),
         std::string("C=IT\0", 5)},
        {"domain component, second row", Rdn(Attribute("0992268993F22C640119", IA5, "org")),
         std::string("DOMAIN COMPONENT=org\0", 21)},
    };
    for (auto& c : cases)
        EXPECT_EQ(NameText(NameOf(c.rdns)), c.text) << c.what;
}

TEST(Name, AppendsACommaWhenTheOutputAlreadyHoldsText)
{
    CName name = NameOf(Rdn(Attribute(kCN, UTF8, "x")));
    CByteArray out;
    out.pushBack('>');
    name.getNameAsString(out);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(out.getData()), out.getSize()), std::string(">,CN=x\0", 7));
}

TEST(Name, GetAttributeReturnsTheFirstMatch)
{
    CName twoNames = NameOf(Rdn(Attribute(kC, PRINTABLE, "IT")) + Rdn(Attribute(kCN, UTF8, "First"))
                            + Rdn(Attribute(kCN, UTF8, "Second")));
    EXPECT_EQ(twoNames.getAttribute("2.5.4.3"), "First");
    EXPECT_EQ(twoNames.getAttribute("2.5.4.6"), "IT");
    EXPECT_EQ(twoNames.getAttribute("2.5.4.10"), "");
    CName noCommonName = NameOf(Rdn(Attribute(kO, UTF8, "Org")));
    EXPECT_EQ(noCommonName.getAttribute("2.5.4.3"), "");
    EXPECT_EQ(NameOf("").getAttribute("2.5.4.3"), "");
    // The type is compared with its tag: an identifier under another tag is no match.
    CName oddTag = NameOf(Rdn(Tlv(0x30, Tlv(0x80, FromHex(kCN)) + Tlv(UTF8, "x"))));
    EXPECT_EQ(oddTag.getAttribute("2.5.4.3"), "");
    // A BMP value comes back whole, NUL octets included.
    EXPECT_EQ(NameOf(Rdn(Attribute(kCN, BMP, std::string("\0A", 2)))).getAttribute("2.5.4.3"), std::string("\0A", 2));
}

TEST(Name, StructuralErrorsThrow)
{
    const std::string cases[] = {
        Rdn(""),                       // an RDN without attributes
        Rdn(Tlv(0x30, "")),            // an attribute without type
        Tlv(0x31, "\x30\x05\x06\x03"),  // a truncated attribute
    };
    for (const std::string& rdns : cases)
        EXPECT_EQ(ThrownBy([&] {
            CName name = NameOf(rdns);
            CByteArray out;
            name.getNameAsString(out);
        }),
                  "parsing");
}

TEST(Name, LabelTable)
{
    const struct {
        const char* identifier;
        const char* label;
    } cases[] = {
        {"2.5.4.3", "CN"},
        {"2.5.4.10", "ON"},
        {"2.5.4.41", "GN"},
        {"2.5.4.42", "GN"},
        {"2.5.4.43", "INITIALS"},
        {"2.5.4.9", "STREET ADDRESS"},
        {"1.2.840.113549.1.9.1", "E"},
        {"0.9.2342.19200300.100.1.25", "DOMAIN COMPONENT"},
        {"0.9.2342.192003000.100.1.25", "DOMAIN COMPONENT"},
        {"1.2.840.113549.1.9.21", "PKCS 12 LOCAL KEY ID"},
        {"2.5.4.44", nullptr},
        {"2.5.4.1", nullptr},
        {"2.5.4.3.0", nullptr},
        {"", nullptr},
    };
    for (auto& c : cases) {
        const char* label = lookupAttributeLabel(c.identifier);
        if (c.label) {
            EXPECT_STREQ(label, c.label) << c.identifier;
        } else {
            EXPECT_EQ(label, nullptr) << c.identifier;
        }
    }
}

class NameTraceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        file = "asn1_name_trace.log";
        std::remove(file.c_str());
        theLog.SetPath(file.c_str());
    }
    void TearDown() override
    {
        theLog.SetPath("");
        theLog.SetLevel(1);
        std::remove(file.c_str());
    }
    // Each line from the level on: "4, 0, tag, message".
    std::vector<std::string> Records() const
    {
        std::ifstream in(file, std::ios::binary);
        std::vector<std::string> records;
        for (std::string line; std::getline(in, line);) {
            if (!line.empty() && line.back() == '\r')
                line.pop_back();
            size_t close = line.find("], ");
            records.push_back(close == std::string::npos ? line : line.substr(close + 3));
        }
        return records;
    }
    std::string file;
};

TEST_F(NameTraceTest, TracesEntryEachRdnAndExitWithTheText)
{
    theLog.SetLevel(4);
    NameText(NameOf(Rdn(Attribute(kC, PRINTABLE, "IT")) + Rdn(Attribute(kCN, UTF8, "Test User"))));
    std::vector<std::string> expected = {
        "4, 0, --> CName::getNameAsString, ",
        "4, 0, CName::getNameAsString, next",
        "4, 0, CName::getNameAsString, next",
        "4, 0, <-- CName::getNameAsString, C=IT,CN=Test User",
    };
    EXPECT_EQ(Records(), expected);
}

TEST_F(NameTraceTest, NothingIsWrittenBelowTheDebugThreshold)
{
    theLog.SetLevel(3);
    NameText(NameOf(Rdn(Attribute(kC, PRINTABLE, "IT"))));
    EXPECT_TRUE(Records().empty());
}

}  // namespace

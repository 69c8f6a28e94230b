#include "tests/asn1/AsnTestSupport.h"
#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1Object.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace asn1test;

namespace {

std::string Repeat(const std::string& hex, size_t times)
{
    std::string out;
    for (size_t i = 0; i < times; ++i)
        out += hex;
    return out;
}

std::string EncodedHex(const CASN1Object& o)
{
    CByteArray out;
    o.encode(out);
    return out.toHexString();
}

struct RoundTrip {
    std::string input;
    unsigned tag;
    uint32_t contentLength;
    std::string encoded;
};

TEST(DerCodec, ParsesAndEncodesTheDocumentedValues)
{
    std::string octets128 = Repeat("A5", 128);
    std::string octets200 = Repeat("11", 200);
    std::string octets300 = Repeat("22", 300);
    const RoundTrip cases[] = {
        {"3000", 0x30, 0, "3000"},
        {"048180" + octets128, 0x04, 128, "048180" + octets128},
        {"0481C8" + octets200, 0x04, 200, "0481C8" + octets200},
        {"0482012C" + octets300, 0x04, 300, "0482012C" + octets300},
        // Non-minimal long forms are read, and written back minimal.
        {"04810203AA", 0x04, 2, "040203AA"},
        {"04820002AABB", 0x04, 2, "0402AABB"},
        {"0484000000020102", 0x04, 2, "04020102"},
        // BER indefinite lengths become definite.
        {"30800201050000", 0x30, 3, "3003020105"},
        {"30800000", 0x30, 0, "3000"},
        {"308030800000" "0000", 0x30, 2, "30023000"},
        {"2480040201020402030400" "00", 0x24, 8, "240804020102" "04020304"},
        // The high-tag-number form is not recognised: 1F is the whole tag.
        {"1F0105", 0x1F, 1, "1F0105"},
        // Whatever follows the first value is left alone.
        {"020105FFFF", 0x02, 1, "020105"},
    };
    for (const RoundTrip& c : cases) {
        CByteArray input(c.input.c_str());
        CASN1Object o(input);
        EXPECT_EQ(o.getTag(), c.tag) << c.input;
        EXPECT_EQ(o.getContentLength(), c.contentLength) << c.input;
        EXPECT_EQ(EncodedHex(o), c.encoded) << c.input;
        EXPECT_EQ(o.getEncodedLength(), c.encoded.size() / 2) << c.input;
    }
}

TEST(DerCodec, EncodedLengthFollowsTheLengthForm)
{
    const struct {
        uint32_t content;
        uint32_t encoded;
    } cases[] = {{0, 2}, {127, 129}, {128, 131}, {255, 258}, {256, 260}, {65535, 65539}, {65536, 65541}};
    for (auto& c : cases) {
        CASN1Object o(0x04);
        std::vector<unsigned char> octets(c.content, 0x5A);
        o.getContent().append(octets.data(), c.content);
        EXPECT_EQ(o.getEncodedLength(), c.encoded) << c.content;
        CByteArray out;
        o.encode(out);
        EXPECT_EQ(out.getSize(), c.encoded) << c.content;
    }
}

TEST(DerCodec, MalformedInputThrowsTheDocumentedKind)
{
    const struct {
        std::string input;
        const char* thrown;
    } cases[] = {
        {"", "not found"},
        {"30", "parsing"},
        {"040501 02", "parsing"},
        {"0405010203", "parsing"},
        {"3080020105", "parsing"},
        {"308002010500", "parsing"},
        {"0481", "parsing"},
        {"048200", "parsing"},
        // More than four length octets cannot hold a 32-bit length.
        {"0485000000000101", "parsing"},
        {"04FF", "parsing"},
        // A declared length far beyond the input fails without allocating it.
        {"0484FFFFFFFF00", "parsing"},
        {"0484FFFFFFF0", "parsing"},
        {"3080" + Repeat("3080", 200) + Repeat("0000", 201), "parsing"},
    };
    for (auto& c : cases) {
        std::string hex;
        for (char ch : c.input)
            if (ch != ' ')
                hex += ch;
        CByteArray input(hex.c_str());
        EXPECT_EQ(ThrownBy([&] { CASN1Object o(input); }), c.thrown) << c.input;
    }
}

TEST(DerCodec, NestedIndefiniteLengthsAreBoundedNotRecursedWithoutEnd)
{
    // Within the bound they parse; 30 80 of any length beyond it fails.
    std::string nested = Repeat("3080", 64) + Repeat("0000", 64);
    CByteArray ok(nested.c_str());
    CASN1Object value(ok);
    EXPECT_EQ(value.getTag(), 0x30);
    for (size_t times : {65u, 1000u, 200000u}) {
        std::string deep = Repeat("3080", times);
        CByteArray input(deep.c_str());
        EXPECT_EQ(ThrownBy([&] { CASN1Object o(input); }), "parsing") << times;
    }
}

TEST(DerCodec, ParseFromStreamReadsExactlyOneValue)
{
    CByteArray input("020105" "0403414243" "0500");
    CByteStream stream(input);
    CASN1Object first(stream);
    EXPECT_EQ(stream.tell(), 3u);
    CASN1Object second(stream);
    CASN1Object third(stream);
    EXPECT_EQ(first.getTag(), 0x02);
    EXPECT_EQ(second.getContentLength(), 3u);
    EXPECT_EQ(third.getTag(), 0x05);
    EXPECT_EQ(ThrownBy([&] { CASN1Object fourth(stream); }), "not found");
}

TEST(DerCodec, EqualsComparesTagLengthAndOctets)
{
    CByteArray a("020105"), b("020105"), c("0A0105"), d("020106"), e("02020105");
    CASN1Object oa(a), ob(b), oc(c), od(d), oe(e);
    EXPECT_TRUE(oa.equals(ob));
    EXPECT_FALSE(oa.equals(oc));
    EXPECT_FALSE(oa.equals(od));
    EXPECT_FALSE(oa.equals(oe));
}

TEST(DerCodec, SetContentReplacesTheContent)
{
    CByteArray input("0403010203");
    CASN1Object o(input);
    o.setContent(CByteArray("AA"));
    EXPECT_EQ(EncodedHex(o), "0401AA");
}

TEST(Constructed, EmptySequenceHasNoChildren)
{
    CByteArray input("3000");
    CASN1Sequence s(input);
    EXPECT_EQ(s.getChildCount(), 0);
    EXPECT_EQ(EncodedHex(s), "3000");
}

TEST(Constructed, ChildrenAreFoundInOrder)
{
    CByteArray input("300C" "020105" "0403414243" "3000" "0500" "FF");
    CASN1Sequence s(input);
    ASSERT_EQ(s.getChildCount(), 4);
    EXPECT_EQ(EncodedHex(s.getChild(0)), "020105");
    EXPECT_EQ(EncodedHex(s.getChild(1)), "0403414243");
    EXPECT_EQ(EncodedHex(s.getChild(2)), "3000");
    EXPECT_EQ(EncodedHex(s.getChild(3)), "0500");
}

TEST(Constructed, IndefiniteChildInsideDefiniteContentIsOneChild)
{
    // The child takes seven octets as written and five re-encoded.
    CByteArray input("3009" "30800201050000" "0500");
    CASN1Sequence s(input);
    ASSERT_EQ(s.getChildCount(), 2);
    EXPECT_EQ(EncodedHex(s.getChild(0)), "3003020105");
    EXPECT_EQ(EncodedHex(s.getChild(1)), "0500");
}

TEST(Constructed, MalformedChildFailsTheConstruction)
{
    const char* cases[] = {"3003020205", "300201", "3004020105" "00", "3003" "0481"};
    for (const char* hex : cases) {
        CByteArray input(hex);
        EXPECT_EQ(ThrownBy([&] { CASN1Sequence s(input); }), "parsing") << hex;
    }
}

TEST(Constructed, ChildIndexOutsideTheChildrenThrows)
{
    CByteArray input("3006020101020102");
    CASN1Sequence s(input);
    for (int i : {-1, 2, 100, 1 << 30})
        EXPECT_EQ(ThrownBy([&] { s.getChild(i); }), "parsing") << i;
    CASN1Sequence empty;
    EXPECT_EQ(ThrownBy([&] { empty.getChild(0); }), "parsing");
}

TEST(Constructed, ContentChangedBehindTheOffsetsIsNotReadPastItsEnd)
{
    CByteArray input("3006020101020102");
    CASN1Sequence s(input);
    s.getContent().removeAt(5);
    s.getContent().removeAt(4);
    s.getContent().removeAt(3);
    EXPECT_EQ(ThrownBy([&] { s.getChild(1); }), "parsing");
}

TEST(Constructed, MoreThanAHundredChildrenAreAllKept)
{
    const int count = 1000;
    std::string hex = "3082" "0FA0";
    for (int i = 0; i < count; ++i) {
        char child[9];
        snprintf(child, sizeof child, "0202%04X", i);
        hex += child;
    }
    CByteArray input(hex.c_str());
    CASN1Sequence s(input);
    ASSERT_EQ(s.getChildCount(), count);
    EXPECT_EQ(EncodedHex(s.getChild(100)), "02020064");
    EXPECT_EQ(EncodedHex(s.getChild(999)), "020203E7");
}

TEST(Constructed, AddChildAppendsEncodings)
{
    CASN1Sequence s;
    s.addChild(CASN1Object(CByteArray("020107")));
    EXPECT_EQ(HexOf(s.getContent()), "020107");
    EXPECT_EQ(s.getChildCount(), 1);
    s.addChild(CASN1Object(CByteArray("0403616263")));
    EXPECT_EQ(s.getChildCount(), 2);
    EXPECT_EQ(EncodedHex(s.getChild(1)), "0403616263");
    EXPECT_EQ(EncodedHex(s), "3008" "020107" "0403616263");
}

TEST(Constructed, TagDependsOnHowTheSequenceWasBuilt)
{
    CByteArray wrapper("A003020105");
    CASN1Object parsed(wrapper);
    // A view of [0] takes its content and shows 0x30.
    CASN1Sequence view(parsed);
    EXPECT_EQ(view.getTag(), 0x30);
    EXPECT_EQ(view.getChildCount(), 1);
    EXPECT_EQ(EncodedHex(view), "3003020105");
    // From octets the parsed tag stays.
    CASN1Sequence fromBytes(wrapper);
    EXPECT_EQ(fromBytes.getTag(), 0xA0);
    CASN1Sequence fromPointer(wrapper.getData(), wrapper.getSize());
    EXPECT_EQ(fromPointer.getTag(), 0xA0);
    // From a stream the tag becomes 0x30.
    CByteStream stream(wrapper);
    CASN1Sequence fromStream(stream);
    EXPECT_EQ(fromStream.getTag(), 0x30);
    CASN1Set set(parsed);
    EXPECT_EQ(set.getTag(), 0x31);
    CASN1Constructed kept(parsed);
    EXPECT_EQ(kept.getTag(), 0xA0);
}

TEST(Exception, GetMessageNeedsRoomForTheTerminator)
{
    CASN1ParsingException parsing;
    char buffer[32];
    EXPECT_FALSE(parsing.getMessage(buffer, 21));
    ASSERT_TRUE(parsing.getMessage(buffer, 22));
    EXPECT_STREQ(buffer, "Bad ASN1Object parsed");
    CASN1ObjectNotFoundException notFound;
    EXPECT_FALSE(notFound.getMessage(buffer, 0));
    ASSERT_TRUE(notFound.getMessage(buffer, 1));
    EXPECT_STREQ(buffer, "");
}

}  // namespace

#include "tokarium/pkcs12/SHA1.h"

#include "tests/pkcs12/HexText.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

std::string FiveWords(const SHA1Context& context)
{
    char text[41];
    std::snprintf(text, sizeof text, "%08X%08X%08X%08X%08X", context.intermediateHash[0],
                  context.intermediateHash[1], context.intermediateHash[2], context.intermediateHash[3],
                  context.intermediateHash[4]);
    return text;
}

std::string HashText(const std::string& message, uint32_t pieceSize)
{
    SHA1Context context;
    sha1Init(&context);
    const uint8_t* octets = reinterpret_cast<const uint8_t*>(message.data());
    for (size_t offset = 0; offset < message.size(); offset += pieceSize) {
        uint32_t n = uint32_t(std::min<size_t>(pieceSize, message.size() - offset));
        sha1Update(&context, octets + offset, n);
    }
    EXPECT_EQ(1, sha1Final(&context));
    return FiveWords(context);
}

struct KnownAnswer {
    std::string message;
    const char* digest;
};

std::string Sequence(int n)
{
    std::string s;
    for (int i = 0; i < n; i++)
        s += char(i);
    return s;
}

// FIPS 180 examples; the others from Python's hashlib.
const KnownAnswer knownAnswers[] = {
    {"", "DA39A3EE5E6B4B0D3255BFEF95601890AFD80709"},
    {"abc", "A9993E364706816ABA3E25717850C26C9CD0D89D"},
    {"abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq", "84983E441C3BD26EBAAE4AA1F95129E5E54670F1"},
    {std::string(64, 'a'), "0098BA824B5C16427BD7A1122A5A442A25EC644D"},
    {Sequence(55), "8AE2D46729CFE68FF927AF5EEC9C7D1B66D65AC2"},
    {Sequence(63), "6D942DA0C4392B123528F2905C713A3CE28364BD"},
    {"abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmnhijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu",
     "A49B2446A02C645BF419F995B67091253A04A259"},
};

TEST(Sha1, KnownAnswersInOnePieceAndOctetByOctet)
{
    for (const KnownAnswer& k : knownAnswers) {
        SCOPED_TRACE(k.message.size());
        EXPECT_EQ(k.digest, HashText(k.message, uint32_t(k.message.size() + 1)));
        EXPECT_EQ(k.digest, HashText(k.message, 1));
        EXPECT_EQ(k.digest, HashText(k.message, 7));
    }
}

TEST(Sha1, OneMillionA)
{
    EXPECT_EQ("34AA973CD4C4DAA4F61EEB2BDBAD27316534016F", HashText(std::string(1000000, 'a'), 1000));
}

TEST(Sha1, DigestOctetsAreTheFiveWordsMostSignificantFirst)
{
    SHA1Context context;
    sha1Init(&context);
    sha1Update(&context, reinterpret_cast<const uint8_t*>("abc"), 3);
    ASSERT_EQ(1, sha1Final(&context));
    uint8_t digest[SHA1_DIGEST_SIZE];
    sha1Digest(&context, digest);
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", ToHex(digest, sizeof digest));
}

TEST(Sha1, UpdateAfterFinalCorruptsTheContext)
{
    SHA1Context context;
    sha1Init(&context);
    sha1Update(&context, reinterpret_cast<const uint8_t*>("abc"), 3);
    ASSERT_EQ(1, sha1Final(&context));
    EXPECT_EQ(1, sha1Final(&context));  // computed: unchanged
    EXPECT_EQ("A9993E364706816ABA3E25717850C26C9CD0D89D", FiveWords(context));
    sha1Update(&context, reinterpret_cast<const uint8_t*>("d"), 1);
    EXPECT_EQ(1, context.corrupted);
    EXPECT_EQ(0, sha1Final(&context));
}

TEST(Sha1, EmptyUpdateChangesNothingEvenWhenComputed)
{
    SHA1Context context;
    sha1Init(&context);
    ASSERT_EQ(1, sha1Final(&context));
    sha1Update(&context, nullptr, 0);
    EXPECT_EQ(0, context.corrupted);
    EXPECT_EQ(1, sha1Final(&context));
}

TEST(Sha1, LengthOverflowCorrupts)
{
    SHA1Context context;
    sha1Init(&context);
    context.lengthLow = 0xFFFFFFF8;
    context.lengthHigh = 0xFFFFFFFF;
    uint8_t octets[2] = {1, 2};
    sha1Update(&context, octets, 2);
    EXPECT_EQ(1, context.corrupted);
    EXPECT_EQ(0, sha1Final(&context));
}

TEST(Sha1, InitResetsAComputedContext)
{
    SHA1Context context;
    sha1Init(&context);
    sha1Update(&context, reinterpret_cast<const uint8_t*>("xyz"), 3);
    sha1Final(&context);
    sha1Update(&context, reinterpret_cast<const uint8_t*>("x"), 1);
    sha1Init(&context);
    EXPECT_EQ(1, sha1Final(&context));
    EXPECT_EQ("DA39A3EE5E6B4B0D3255BFEF95601890AFD80709", FiveWords(context));
}

}  // namespace

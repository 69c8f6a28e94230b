#include "tokarium/pkcs12/DES3.h"

#include "tests/pkcs12/HexText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

std::vector<uint8_t> Cbc3(const std::string& keyHex, const std::string& ivHex, const std::vector<uint8_t>& input,
                         int encrypt)
{
    std::vector<uint8_t> key = FromHex(keyHex), iv = FromHex(ivHex);
    DES3Context context;
    des3Init(&context, key.data(), iv.data(), encrypt);
    std::vector<uint8_t> output(input.size());
    EXPECT_EQ(0, des3Process(&context, output.data(), input.data(), uint32_t(input.size())));
    return output;
}

std::string Triple(const std::string& key8Hex)
{
    return key8Hex + key8Hex + key8Hex;
}

std::vector<uint8_t> Text(const char* s)
{
    return std::vector<uint8_t>(s, s + std::strlen(s));
}

struct SingleDesVector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// FIPS 81 "Now is t", the textbook 133457799BBCDFF1 example and two of the
// NBS variable-text and variable-key values (all confirmed with OpenSSL).
const SingleDesVector singleDes[] = {
    {"0123456789ABCDEF", "4E6F772069732074", "3FA40E8A984D4815"},
    {"133457799BBCDFF1", "0123456789ABCDEF", "85E813540F0AB405"},
    {"0101010101010101", "8000000000000000", "95F8A5E5DD31D900"},
    {"8001010101010101", "0000000000000000", "95A8D72813DAA94D"},
};

TEST(Des3, EqualKeysGiveSingleDes)
{
    for (const SingleDesVector& v : singleDes) {
        SCOPED_TRACE(v.key);
        EXPECT_EQ(v.cipher, ToHex(Cbc3(Triple(v.key), "0000000000000000", FromHex(v.plain), 1)));
        EXPECT_EQ(v.plain, ToHex(Cbc3(Triple(v.key), "0000000000000000", FromHex(v.cipher), 0)));
    }
}

std::vector<uint8_t> BlockOctets(const uint32_t block[2])
{
    std::vector<uint8_t> out(8);
    for (int i = 0; i < 8; i++)
        out[i] = uint8_t(block[i / 4] >> (24 - 8 * (i % 4)));
    return out;
}

TEST(Des3, SingleDesKeyScheduleAndBlock)
{
    for (const SingleDesVector& v : singleDes) {
        std::vector<uint8_t> key = FromHex(v.key), plain = FromHex(v.plain);
        uint32_t schedule[32];
        desKeySchedule(schedule, key.data(), 1);
        uint32_t block[2] = {uint32_t(plain[0]) << 24 | plain[1] << 16 | plain[2] << 8 | plain[3],
                             uint32_t(plain[4]) << 24 | plain[5] << 16 | plain[6] << 8 | plain[7]};
        desProcessBlock(block, schedule);
        EXPECT_EQ(v.cipher, ToHex(BlockOctets(block)));
        desKeySchedule(schedule, key.data(), 0);
        desProcessBlock(block, schedule);
        EXPECT_EQ(v.plain, ToHex(BlockOctets(block)));
    }
}

const char* threeKeys = "0123456789ABCDEF23456789ABCDEF01456789ABCDEF0123";

TEST(Des3, ThreeKeyEcbExample)
{
    // SP 800-67's example; one block at a time with a zero IV is ECB.
    std::vector<uint8_t> plain = Text("The qufck brown fox jump");
    std::string cipher;
    for (size_t i = 0; i < plain.size(); i += 8)
        cipher += ToHex(Cbc3(threeKeys, "0000000000000000",
                            std::vector<uint8_t>(plain.begin() + i, plain.begin() + i + 8), 1));
    EXPECT_EQ("A826FD8CE53B855FCCE21C8112256FE668D5C05DD9B6B900", cipher);
}

// From openssl enc -des-ede3-cbc -nopad with the same key and IV.
const char* cbcCipher =
    "A5C282BAD0DE3774BECD2E04386B589FB5057D8552FC4336F66BF763EE48111CA8268CE953A057550E779F075A45EA15";

TEST(Des3, ThreeKeyCbcBothDirections)
{
    std::vector<uint8_t> plain = Text("The qufck brown fox jumped over the lazy dogs!!!");
    EXPECT_EQ(cbcCipher, ToHex(Cbc3(threeKeys, "F69F2445DF4F9B17", plain, 1)));
    EXPECT_EQ(ToHex(plain), ToHex(Cbc3(threeKeys, "F69F2445DF4F9B17", FromHex(cbcCipher), 0)));
}

TEST(Des3, DecryptsInPlace)
{
    std::vector<uint8_t> key = FromHex(threeKeys), iv = FromHex("F69F2445DF4F9B17");
    std::vector<uint8_t> data = FromHex(cbcCipher);
    DES3Context context;
    des3Init(&context, key.data(), iv.data(), 0);
    ASSERT_EQ(0, des3Process(&context, data.data(), data.data(), uint32_t(data.size())));
    EXPECT_EQ(ToHex(Text("The qufck brown fox jumped over the lazy dogs!!!")), ToHex(data));
}

TEST(Des3, PiecesChainLikeOneCallAndResetRestartsFromTheIV)
{
    std::vector<uint8_t> key = FromHex(threeKeys), iv = FromHex("F69F2445DF4F9B17");
    std::vector<uint8_t> cipher = FromHex(cbcCipher);
    DES3Context context;
    des3Init(&context, key.data(), iv.data(), 0);
    std::vector<uint8_t> out(cipher.size());
    for (size_t i = 0; i < cipher.size(); i += 8)
        ASSERT_EQ(0, des3Process(&context, out.data() + i, cipher.data() + i, 8));
    EXPECT_EQ(ToHex(Text("The qufck brown fox jumped over the lazy dogs!!!")), ToHex(out));

    des3ResetIV(&context);
    uint8_t first[8];
    ASSERT_EQ(0, des3Process(&context, first, cipher.data(), 8));
    EXPECT_EQ(ToHex(Text("The qufc")), ToHex(first, 8));
}

TEST(Des3, LengthNotAMultipleOfEightWritesNothing)
{
    std::vector<uint8_t> key = FromHex(threeKeys), iv = FromHex("F69F2445DF4F9B17");
    DES3Context context;
    des3Init(&context, key.data(), iv.data(), 0);
    DES3Context before = context;
    uint8_t input[12] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12};
    uint8_t output[12];
    std::memset(output, 0xAA, sizeof output);
    EXPECT_EQ(1030, des3Process(&context, output, input, 12));
    for (uint8_t o : output)
        EXPECT_EQ(0xAA, o);
    EXPECT_EQ(0, std::memcmp(&before, &context, sizeof context));
}

TEST(Des3, RoundTripOfManyLengths)
{
    std::vector<uint8_t> key = FromHex("1F2E3D4C5B6A79880011223344556677FEDCBA9876543210");
    std::vector<uint8_t> iv = FromHex("0102030405060708");
    for (size_t n = 0; n <= 80; n += 8) {
        std::vector<uint8_t> plain(n);
        for (size_t i = 0; i < n; i++)
            plain[i] = uint8_t(i * 37 + n);
        std::vector<uint8_t> cipher = Cbc3(ToHex(key), ToHex(iv), plain, 1);
        EXPECT_EQ(ToHex(plain), ToHex(Cbc3(ToHex(key), ToHex(iv), cipher, 0)));
    }
}

TEST(Des3, OddParity)
{
    uint8_t key[6] = {0x00, 0x01, 0xFE, 0xFF, 0x7F, 0x12};
    desSetOddParity(key, 6);
    const uint8_t expected[6] = {0x01, 0x01, 0xFE, 0xFE, 0x7F, 0x13};
    EXPECT_EQ(ToHex(expected, 6), ToHex(key, 6));
}

TEST(Des3, ParityBitsDoNotChangeTheResult)
{
    std::vector<uint8_t> plain = Text("The qufck brown fox jumped over the lazy dogs!!!");
    std::vector<uint8_t> key = FromHex(threeKeys);
    for (uint8_t& k : key)
        k ^= 1;
    EXPECT_EQ(cbcCipher, ToHex(Cbc3(ToHex(key), "F69F2445DF4F9B17", plain, 1)));
}

}  // namespace

#include "tokarium/pkcs12/RC2.h"

#include "tests/pkcs12/HexText.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rc2Vector {
    int effectiveBits;
    const char* key;
    const char* plain;
    const char* cipher;
};

// RFC 2268, section 5.
const Rc2Vector rfcVectors[] = {
    {63, "0000000000000000", "0000000000000000", "EBB773F993278EFF"},
    {64, "FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "278B27E42E2F0D49"},
    {64, "3000000000000000", "1000000000000001", "30649EDF9BE7D2C2"},
    {64, "88", "0000000000000000", "61A8A244ADACCCF0"},
    {64, "88BCA90E90875A", "0000000000000000", "6CCF4308974C267F"},
    {64, "88BCA90E90875A7F0F79C384627BAFB2", "0000000000000000", "1A807D272BBE5DB1"},
    {128, "88BCA90E90875A7F0F79C384627BAFB2", "0000000000000000", "2269552AB0F85CA6"},
    {129, "88BCA90E90875A7F0F79C384627BAFB216F80A6F85920584C42FCEB0BE255DAF1E", "0000000000000000",
     "5B78D3A43DFFF1F1"},
};

std::vector<uint32_t> Schedule(const std::string& keyHex, int effectiveBits)
{
    std::vector<uint8_t> key = FromHex(keyHex);
    std::vector<uint32_t> expanded(RC2_KEY_WORDS);
    rc2KeySchedule(expanded.data(), uint32_t(key.size()), key.data(), effectiveBits);
    return expanded;
}

TEST(Rc2, RfcVectorsEncryptAndDecrypt)
{
    for (const Rc2Vector& v : rfcVectors) {
        SCOPED_TRACE(v.key);
        std::vector<uint32_t> k = Schedule(v.key, v.effectiveBits);
        std::vector<uint8_t> plain = FromHex(v.plain), cipher = FromHex(v.cipher);
        uint8_t out[8];
        rc2EncryptBlock(plain.data(), out, k.data());
        EXPECT_EQ(v.cipher, ToHex(out, 8));
        rc2DecryptBlock(cipher.data(), out, k.data());
        EXPECT_EQ(v.plain, ToHex(out, 8));
    }
}

TEST(Rc2, SubkeysAreSixteenBitWords)
{
    std::vector<uint32_t> k = Schedule("0102030405", 40);
    for (uint32_t word : k)
        EXPECT_EQ(0u, word >> 16);
}

TEST(Rc2, EffectiveBitsOutsideRangeBehaveLike1024)
{
    std::vector<uint32_t> reference = Schedule("88BCA90E90875A", 1024);
    EXPECT_EQ(reference, Schedule("88BCA90E90875A", 0));
    EXPECT_EQ(reference, Schedule("88BCA90E90875A", 2000));
    EXPECT_EQ(reference, Schedule("88BCA90E90875A", -3));
    EXPECT_NE(reference, Schedule("88BCA90E90875A", 64));
}

TEST(Rc2, KeyLongerThan128OctetsUsesTheFirst128)
{
    std::string key128, key200;
    for (int i = 0; i < 200; i++) {
        char pair[3];
        std::snprintf(pair, sizeof pair, "%02X", (i * 11) & 0xFF);
        if (i < 128)
            key128 += pair;
        key200 += pair;
    }
    EXPECT_EQ(Schedule(key128, 1024), Schedule(key200, 1024));
}

const char* cbcKey = "0102030405";
const char* cbcIV = "0011223344556677";
// openssl enc -rc2-40-cbc -K 0102030405 -iv 0011223344556677 -nopad
const char* cbcCipher =
    "8551190F33B1C544E591C01FB8CF9B21769F1E46C0AC7A91F3CC8080FE4CAEAEDF007373DB7298A2454B1436699D2C8D";
const char* cbcPlain = "The qufck brown fox jumped over the lazy dogs!!!";

TEST(Rc2, Rc2_40CbcAgreesWithOpenSSL)
{
    std::vector<uint32_t> k = Schedule(cbcKey, 40);
    std::vector<uint8_t> iv = FromHex(cbcIV);
    std::vector<uint8_t> plain(cbcPlain, cbcPlain + std::strlen(cbcPlain));
    std::vector<uint8_t> out(plain.size());
    rc2Cbc(plain.data(), out.data(), uint32_t(plain.size()), k.data(), iv.data(), 1);
    EXPECT_EQ(cbcCipher, ToHex(out));
    EXPECT_EQ(std::string(cbcCipher).substr(80), ToHex(iv));

    iv = FromHex(cbcIV);
    std::vector<uint8_t> cipher = FromHex(cbcCipher);
    rc2Cbc(cipher.data(), out.data(), uint32_t(cipher.size()), k.data(), iv.data(), 0);
    EXPECT_EQ(ToHex(plain), ToHex(out));
    EXPECT_EQ(std::string(cbcCipher).substr(80), ToHex(iv));
}

TEST(Rc2, CbcDecryptsInPlace)
{
    std::vector<uint32_t> k = Schedule(cbcKey, 40);
    std::vector<uint8_t> iv = FromHex(cbcIV), data = FromHex(cbcCipher);
    rc2Cbc(data.data(), data.data(), uint32_t(data.size()), k.data(), iv.data(), 0);
    EXPECT_EQ(ToHex(reinterpret_cast<const uint8_t*>(cbcPlain), std::strlen(cbcPlain)), ToHex(data));
}

TEST(Rc2, EncryptCompletesATrailingBlockWithZeros)
{
    std::vector<uint32_t> k = Schedule(cbcKey, 40);
    std::vector<uint8_t> plain = {'a', 'b', 'c'};
    std::vector<uint8_t> padded = {'a', 'b', 'c', 0, 0, 0, 0, 0};
    std::vector<uint8_t> iv1 = FromHex(cbcIV), iv2 = FromHex(cbcIV);
    uint8_t short8[8], full8[8];
    rc2Cbc(plain.data(), short8, 3, k.data(), iv1.data(), 1);
    rc2Cbc(padded.data(), full8, 8, k.data(), iv2.data(), 1);
    EXPECT_EQ(ToHex(full8, 8), ToHex(short8, 8));
}

TEST(Rc2, RoundTripOfManyLengths)
{
    std::vector<uint32_t> k = Schedule("A0B1C2D3E4", 40);
    for (uint32_t n = 0; n <= 72; n += 8) {
        std::vector<uint8_t> plain(n), cipher(n), back(n);
        for (uint32_t i = 0; i < n; i++)
            plain[i] = uint8_t(i * 13 + 1);
        std::vector<uint8_t> iv = FromHex(cbcIV);
        rc2Cbc(plain.data(), cipher.data(), n, k.data(), iv.data(), 1);
        std::vector<uint8_t> iv2 = FromHex(cbcIV);
        rc2Cbc(cipher.data(), back.data(), n, k.data(), iv2.data(), 0);
        EXPECT_EQ(plain, back);
        if (n > 0) {
            EXPECT_EQ(ToHex(cipher.data() + n - 8, 8), ToHex(iv2));
        }
    }
}

}  // namespace

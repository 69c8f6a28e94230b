#include "tokarium/pkcs12/KeyDerivation.h"

#include "tests/pkcs12/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct DerivationVector {
    int id;
    uint32_t iterations;
    uint32_t length;
    const char* password;
    const char* salt;
    const char* expected;
};

const DerivationVector vectors[] = {
#include "tests/pkcs12/fixtures/KdfVectors.inc"
};

std::vector<uint8_t> Bmp(const char* password)
{
    std::vector<uint8_t> buffer(2 * 1024);
    uint32_t length = uint32_t(buffer.size());
    EXPECT_EQ(0, passwordToBMPString(password, buffer.data(), &length));
    buffer.resize(length);
    return buffer;
}

TEST(KeyDerivation, AgreesWithOpenSSL)
{
    for (const DerivationVector& v : vectors) {
        SCOPED_TRACE(std::string(v.password) + " / " + v.salt);
        std::vector<uint8_t> password = Bmp(v.password), salt = FromHex(v.salt);
        std::vector<uint8_t> out(v.length + 4, 0xEE);
        ASSERT_EQ(0, pkcs12DeriveKey(uint8_t(v.id), 64, 20, v.length, password.data(), uint32_t(password.size()),
                                     salt.data(), uint32_t(salt.size()), v.iterations, out.data()));
        EXPECT_EQ(v.expected, ToHex(out.data(), v.length));
        for (uint32_t i = v.length; i < out.size(); i++)
            EXPECT_EQ(0xEE, out[i]) << "written beyond n";
    }
}

TEST(KeyDerivation, BmpStringForm)
{
    struct Case {
        const char* password;
        const char* bmp;
    } cases[] = {
        {"", "0000"},
        {"a", "00610000"},
        {"abc", "0061006200630000"},
        {"\xE8", "00E80000"},  // a code-page octet above 127 is not sign-extended
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.bmp, ToHex(Bmp(c.password)));
}

TEST(KeyDerivation, BmpStringRefusesASmallBuffer)
{
    uint8_t buffer[5] = {9, 9, 9, 9, 9};
    uint32_t length = 5;
    EXPECT_EQ(-1, passwordToBMPString("abc", buffer, &length));
    EXPECT_EQ(8u, length);
    for (uint8_t b : buffer)
        EXPECT_EQ(9, b);
}

TEST(KeyDerivation, IterationCountOneHashesOnce)
{
    // First output block with one iteration is SHA-1 (D || S || P): compare with
    // the OpenSSL-derived smeg key.
    std::vector<uint8_t> password = Bmp("smeg"), salt = FromHex("0A58CF64530D823F");
    uint8_t out[20];
    ASSERT_EQ(0, pkcs12DeriveKey(1, 64, 20, 20, password.data(), uint32_t(password.size()), salt.data(),
                                 uint32_t(salt.size()), 1, out));
    EXPECT_EQ("8AAAE6297B6CB04642AB5B077851284EB7128F1A", ToHex(out, 20));
}

TEST(KeyDerivation, RefusesWhatItCannotDerive)
{
    std::vector<uint8_t> password = Bmp("x"), salt = FromHex("0102030405060708");
    uint8_t out[24] = {};
    const uint8_t* p = password.data();
    uint32_t pn = uint32_t(password.size());
    EXPECT_EQ(-1, pkcs12DeriveKey(1, 64, 20, 24, p, pn, salt.data(), 8, 0, out));   // no iterations
    EXPECT_EQ(-1, pkcs12DeriveKey(1, 64, 32, 24, p, pn, salt.data(), 8, 1, out));   // not SHA-1's u
    EXPECT_EQ(-1, pkcs12DeriveKey(1, 0, 20, 24, p, pn, salt.data(), 8, 1, out));    // no block size
    EXPECT_EQ(-1, pkcs12DeriveKey(1, 64, 20, 24, p, 0x10001, salt.data(), 8, 1, out));
    EXPECT_EQ(-1, pkcs12DeriveKey(1, 64, 20, 24, p, pn, salt.data(), 0x10001, 1, out));
    for (uint8_t o : out)
        EXPECT_EQ(0, o);
}

}  // namespace

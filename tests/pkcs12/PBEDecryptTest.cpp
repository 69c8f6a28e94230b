#include "tokarium/pkcs12/PBEDecrypt.h"

#include "tests/pkcs12/Fixtures.h"
#include "tests/pkcs12/HexText.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const char* password = "Quorin-Test-1";

CASN1AlgorithmIdentifier AlgorithmFromDer(const std::vector<uint8_t>& der)
{
    return CASN1AlgorithmIdentifier(CASN1Object(der.data(), uint32_t(der.size())));
}

CASN1OctetString OctetString(const std::vector<uint8_t>& octets)
{
    CASN1Object object(0x04);
    object.setContent(CByteArray(octets.data(), uint32_t(octets.size())));
    return CASN1OctetString(object);
}

std::vector<uint8_t> Octets(const CByteArray& array)
{
    return std::vector<uint8_t>(array.getData(), array.getData() + array.getSize());
}

// AlgorithmIdentifier { oid, SEQUENCE { OCTET STRING salt, INTEGER iterations } }
// with every part given as hex of its content.
std::vector<uint8_t> Algorithm(const std::string& oidContent, const std::string& saltContent,
                               const std::string& iterationContent)
{
    auto tlv = [](uint8_t tag, const std::vector<uint8_t>& content) {
        CASN1Object object(tag);
        object.setContent(CByteArray(content.data(), uint32_t(content.size())));
        CByteArray out;
        object.encode(out);
        return Octets(out);
    };
    std::vector<uint8_t> parameters = tlv(0x04, FromHex(saltContent));
    std::vector<uint8_t> iterations = tlv(0x02, FromHex(iterationContent));
    parameters.insert(parameters.end(), iterations.begin(), iterations.end());
    std::vector<uint8_t> body = tlv(0x06, FromHex(oidContent));
    std::vector<uint8_t> sequence = tlv(0x30, parameters);
    body.insert(body.end(), sequence.begin(), sequence.end());
    return tlv(0x30, body);
}

const char* oid3DES = "2A864886F70D010C0103";
const char* oidRC2 = "2A864886F70D010C0106";
const char* oidPBES2 = "2A864886F70D01050D";

struct Piece {
    const char* name;
};

class PBEDecryptOfOpenSSLPieces : public ::testing::TestWithParam<const char*> {};

// The encryptedData of classic.p12 (RC2-40) and its shrouded key (3DES); the
// expected plaintexts come from openssl enc under OpenSSL-derived keys.
TEST_P(PBEDecryptOfOpenSSLPieces, DecryptsToWhatOpenSSLDecrypts)
{
    std::string name = GetParam();
    std::vector<uint8_t> expected = Fixture(name + ".plain.bin");
    ASSERT_FALSE(expected.empty());
    CByteArray output;
    output.pushBack(0xAB);  // the plaintext is appended
    ASSERT_EQ(0, pbeDecrypt(AlgorithmFromDer(Fixture(name + ".alg.der")), OctetString(Fixture(name + ".enc.bin")),
                            password, output));
    std::vector<uint8_t> got = Octets(output);
    ASSERT_EQ(expected.size() + 1, got.size());
    EXPECT_EQ(0xAB, got[0]);
    EXPECT_EQ(ToHex(expected), ToHex(got.data() + 1, got.size() - 1));
    EXPECT_EQ(0x30, got[1]);
    uint8_t pad = got.back();
    ASSERT_GE(pad, 1);
    ASSERT_LE(pad, 8);
    for (size_t i = got.size() - pad; i < got.size(); i++)
        EXPECT_EQ(pad, got[i]);  // padding kept, not checked
}

INSTANTIATE_TEST_SUITE_P(Classic, PBEDecryptOfOpenSSLPieces,
                         ::testing::Values("classic-certsafe", "classic-keybag"));

TEST(PBEDecrypt, WrongPasswordGivesNoise)
{
    CByteArray output;
    ASSERT_EQ(0, pbeDecrypt(AlgorithmFromDer(Fixture("classic-keybag.alg.der")),
                            OctetString(Fixture("classic-keybag.enc.bin")), "Quorin-Test-2", output));
    EXPECT_NE(ToHex(Fixture("classic-keybag.plain.bin")), ToHex(Octets(output)));
}

TEST(PBEDecrypt, RefusalsAppendNothing)
{
    std::vector<uint8_t> cipher = Fixture("classic-keybag.enc.bin");
    std::vector<uint8_t> shortCipher(cipher.begin(), cipher.end() - 4);
    struct Case {
        const char* what;
        std::vector<uint8_t> algorithm;
        std::vector<uint8_t> cipher;
    } cases[] = {
        {"PBES2", Algorithm(oidPBES2, "0102030405060708", "0800"), cipher},
        {"another identifier", Algorithm("2A864886F70D010C0105", "0102030405060708", "0800"), cipher},
        {"3DES, length not a multiple of 8", Algorithm(oid3DES, "0102030405060708", "0800"), shortCipher},
        {"RC2, length not a multiple of 8", Algorithm(oidRC2, "0102030405060708", "0800"), {1, 2, 3}},
        {"no iterations", Algorithm(oid3DES, "0102030405060708", "00"), cipher},
        {"empty iteration count", Algorithm(oid3DES, "0102030405060708", ""), cipher},
        {"negative iterations", Algorithm(oid3DES, "0102030405060708", "FF"), cipher},
        {"iterations wrapping to 1", Algorithm(oid3DES, "0102030405060708", "0100000001"), cipher},
        {"too many iterations", Algorithm(oidRC2, "0102030405060708", "7FFFFFFF"), cipher},
        {"salt beyond the bound", Algorithm(oid3DES, std::string(2 * 0x10001, 'A'), "01"), cipher},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        CByteArray output;
        output.pushBack(0x55);
        EXPECT_EQ(-1, pbeDecrypt(AlgorithmFromDer(c.algorithm), OctetString(c.cipher), password, output));
        EXPECT_EQ(1u, output.getSize());
    }
}

TEST(PBEDecrypt, LongSaltAndLongPasswordDecrypt)
{
    // Encrypt with OpenSSL-independent parts: our own encrypt direction is checked
    // against OpenSSL elsewhere, so here only the bounds matter: a 200-octet salt
    // and a 100-character password derive and decrypt without complaint.
    std::string salt;
    for (int i = 0; i < 200; i++)
        salt += "5A";
    std::string longPassword(100, 'p');
    CByteArray output;
    EXPECT_EQ(0, pbeDecrypt(AlgorithmFromDer(Algorithm(oid3DES, salt, "03")), OctetString(std::vector<uint8_t>(16, 7)),
                            longPassword.c_str(), output));
    EXPECT_EQ(16u, output.getSize());
}

TEST(PBEDecrypt, EmptyCiphertextAppendsNothing)
{
    CByteArray output;
    EXPECT_EQ(0, pbeDecrypt(AlgorithmFromDer(Algorithm(oidRC2, "0102030405060708", "01")), OctetString({}),
                            password, output));
    EXPECT_EQ(0u, output.getSize());
}

TEST(PBEDecrypt, MissingParametersThrowTheParsingException)
{
    // SEQUENCE { OID 3DES, SEQUENCE { OCTET STRING salt } }: no iteration count.
    std::vector<uint8_t> der = FromHex("3018060A2A864886F70D010C0103300A04080102030405060708");
    CByteArray output;
    try {
        pbeDecrypt(AlgorithmFromDer(der), OctetString(std::vector<uint8_t>(8)), password, output);
        FAIL() << "no exception";
    } catch (CASN1Exception* e) {
        EXPECT_NE(nullptr, dynamic_cast<CASN1ParsingException*>(e));
        delete e;
    }
    EXPECT_EQ(0u, output.getSize());
}

}  // namespace

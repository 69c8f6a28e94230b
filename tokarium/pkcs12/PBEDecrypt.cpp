#include "tokarium/pkcs12/PBEDecrypt.h"

#include "tokarium/asn1/ASN1Constructed.h"
#include "tokarium/asn1/ASN1ObjectIdentifier.h"
#include "tokarium/pkcs12/DES3.h"
#include "tokarium/pkcs12/KeyDerivation.h"
#include "tokarium/pkcs12/RC2.h"
#include "tokarium/pkcs12/SecureZero.h"

#include <cstring>
#include <vector>

namespace {

enum Scheme { SCHEME_NONE, SCHEME_3DES, SCHEME_RC2_40 };

struct Parameters {
    CByteArray salt;
    uint32_t iterations = 0;
    bool iterationsInRange = false;
};

// A vector that zeroes its octets before it lets them go.
struct SecretOctets {
    explicit SecretOctets(size_t n) : octets(n) {}
    ~SecretOctets()
    {
        if (!octets.empty())
            secureZero(octets.data(), octets.size());
    }
    uint8_t* data() { return octets.data(); }
    std::vector<uint8_t> octets;
};

// The count is read from the content itself so that a long INTEGER cannot
// wrap into a small one.
bool readIterations(const CASN1Integer& integer, uint32_t& iterations)
{
    const CByteArray& content = integer.getContent();
    uint32_t n = content.getSize(), first = 0;
    while (first < n && content.getData()[first] == 0)
        first++;
    if (n > 0 && (content.getData()[0] & 0x80))
        return false;  // negative
    if (n - first > 4)
        return false;
    iterations = integer.getValue();
    return iterations >= 1 && iterations <= PBE_MAX_ITERATIONS;
}

Parameters readParameters(const CASN1AlgorithmIdentifier& algorithm)
{
    CASN1Sequence parameters(algorithm.getParameters());
    Parameters result;
    result.salt = CASN1OctetString(parameters.getChild(0)).getContent();
    result.iterationsInRange = readIterations(CASN1Integer(parameters.getChild(1)), result.iterations);
    return result;
}

Scheme schemeOf(const CASN1AlgorithmIdentifier& algorithm)
{
    CASN1ObjectIdentifier identifier = algorithm.getAlgorithm();
    if (identifier.equals(CASN1ObjectIdentifier(OID_PBE_SHA1_3DES)))
        return SCHEME_3DES;
    if (identifier.equals(CASN1ObjectIdentifier(OID_PBE_SHA1_RC2_40)))
        return SCHEME_RC2_40;
    return SCHEME_NONE;
}

bool derive(uint8_t id, uint32_t n, SecretOctets& password, const Parameters& p, uint8_t* out)
{
    return pkcs12DeriveKey(id, PKCS12_BLOCK_SIZE, PKCS12_HASH_SIZE, n, password.data(),
                           uint32_t(password.octets.size()), p.salt.getData(), p.salt.getSize(), p.iterations,
                           out)
        == 0;
}

bool decrypt3DES(SecretOctets& password, const Parameters& p, const uint8_t* in, uint8_t* out, uint32_t n)
{
    uint8_t key[24], iv[8];
    bool derived = derive(PKCS12_ID_KEY, sizeof key, password, p, key) && derive(PKCS12_ID_IV, sizeof iv, password, p, iv);
    bool done = false;
    if (derived) {
        desSetOddParity(key, sizeof key);
        DES3Context context;
        des3Init(&context, key, iv, 0);
        done = des3Process(&context, out, in, n) == 0;
        des3ResetIV(&context);
        secureZero(&context, sizeof context);
    }
    secureZero(key, sizeof key);
    secureZero(iv, sizeof iv);
    return done;
}

bool decryptRC2(SecretOctets& password, const Parameters& p, const uint8_t* in, uint8_t* out, uint32_t n)
{
    uint8_t key[5], iv[8];
    bool derived = derive(PKCS12_ID_KEY, sizeof key, password, p, key) && derive(PKCS12_ID_IV, sizeof iv, password, p, iv);
    if (derived) {
        uint32_t expanded[RC2_KEY_WORDS];
        rc2KeySchedule(expanded, sizeof key, key, 40);
        rc2Cbc(in, out, n, expanded, iv, 0);
        secureZero(expanded, sizeof expanded);
    }
    secureZero(key, sizeof key);
    secureZero(iv, sizeof iv);
    return derived;
}

}  // namespace

int pbeDecrypt(const CASN1AlgorithmIdentifier& algorithm, const CASN1OctetString& encryptedData,
               const char* password, CByteArray& output)
{
    Parameters parameters = readParameters(algorithm);

    SecretOctets bmp(2 * (std::strlen(password) + 1));
    uint32_t bmpLength = uint32_t(bmp.octets.size());
    if (passwordToBMPString(password, bmp.data(), &bmpLength) != 0)
        return -1;

    Scheme scheme = schemeOf(algorithm);
    const CByteArray& cipher = encryptedData.getContent();
    uint32_t n = cipher.getSize();
    if (scheme == SCHEME_NONE || n % 8 != 0 || !parameters.iterationsInRange)
        return -1;

    SecretOctets plain(n);
    bool done = scheme == SCHEME_3DES ? decrypt3DES(bmp, parameters, cipher.getData(), plain.data(), n)
                                      : decryptRC2(bmp, parameters, cipher.getData(), plain.data(), n);
    if (!done)
        return -1;
    output.append(plain.data(), n);
    return 0;
}

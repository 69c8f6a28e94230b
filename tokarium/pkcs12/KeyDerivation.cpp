#include "tokarium/pkcs12/KeyDerivation.h"

#include "tokarium/pkcs12/SHA1.h"
#include "tokarium/pkcs12/SecureZero.h"

#include <cstring>
#include <vector>

namespace {

// Zeroes its octets when it goes out of scope.
class WipedBuffer {
public:
    explicit WipedBuffer(size_t n) : octets(n, 0) {}
    ~WipedBuffer()
    {
        if (!octets.empty())
            secureZero(octets.data(), octets.size());
    }
    WipedBuffer(const WipedBuffer&) = delete;
    WipedBuffer& operator=(const WipedBuffer&) = delete;
    uint8_t* data() { return octets.data(); }
    size_t size() const { return octets.size(); }

private:
    std::vector<uint8_t> octets;
};

// Fills out with source repeated; empty when the source is empty.
void repeatInto(uint8_t* out, size_t outLength, const uint8_t* source, size_t sourceLength)
{
    for (size_t i = 0; i < outLength; i++)
        out[i] = source[i % sourceLength];
}

size_t roundUpToBlocks(size_t length, size_t v)
{
    return v * ((length + v - 1) / v);
}

void hashRound(const uint8_t* diversifier, uint32_t v, uint8_t* input, size_t inputLength,
               uint32_t iterations, uint8_t digest[SHA1_DIGEST_SIZE])
{
    SHA1Context context;
    sha1Init(&context);
    sha1Update(&context, diversifier, v);
    sha1Update(&context, input, uint32_t(inputLength));
    sha1Final(&context);
    sha1Digest(&context, digest);
    for (uint32_t k = 1; k < iterations; k++) {
        sha1Init(&context);
        sha1Update(&context, digest, SHA1_DIGEST_SIZE);
        sha1Final(&context);
        sha1Digest(&context, digest);
    }
    secureZero(&context, sizeof context);
}

// Each v-octet block of input becomes (block + b + 1) mod 2^(8v), big-endian.
void addToBlocks(uint8_t* input, size_t inputLength, const uint8_t* b, uint32_t v)
{
    for (size_t block = 0; block < inputLength; block += v) {
        unsigned carry = 1;
        for (size_t i = v; i-- > 0;) {
            carry += unsigned(input[block + i]) + b[i];
            input[block + i] = uint8_t(carry);
            carry >>= 8;
        }
    }
}

}  // namespace

int passwordToBMPString(const char* password, uint8_t* buffer, uint32_t* length)
{
    size_t characters = std::strlen(password);
    if (characters > (PKCS12_MAX_PASSWORD_OCTETS / 2) - 1)
        return -1;
    uint32_t needed = uint32_t(2 * (characters + 1));
    if (*length < needed) {
        *length = needed;
        return -1;
    }
    for (size_t i = 0; i < characters; i++) {
        buffer[2 * i] = 0;
        buffer[2 * i + 1] = uint8_t(password[i]);
    }
    buffer[2 * characters] = 0;
    buffer[2 * characters + 1] = 0;
    *length = needed;
    return 0;
}

int pkcs12DeriveKey(uint8_t id, uint32_t v, uint32_t u, uint32_t n, const uint8_t* password,
                    uint32_t passwordLength, const uint8_t* salt, uint32_t saltLength, uint32_t iterations,
                    uint8_t* output)
{
    if (u != SHA1_DIGEST_SIZE || v == 0 || v > PKCS12_MAX_BLOCK_SIZE || iterations == 0
        || passwordLength > PKCS12_MAX_PASSWORD_OCTETS || saltLength > PKCS12_MAX_SALT_OCTETS
        || n > PKCS12_MAX_OUTPUT_OCTETS)
        return -1;

    size_t saltPart = roundUpToBlocks(saltLength, v);
    size_t passwordPart = roundUpToBlocks(passwordLength, v);
    WipedBuffer diversifier(v);
    std::memset(diversifier.data(), id, v);
    WipedBuffer input(saltPart + passwordPart);
    repeatInto(input.data(), saltPart, salt, saltLength);
    repeatInto(input.data() + saltPart, passwordPart, password, passwordLength);

    WipedBuffer b(v);
    uint8_t digest[SHA1_DIGEST_SIZE];
    for (uint32_t written = 0; written < n;) {
        hashRound(diversifier.data(), v, input.data(), input.size(), iterations, digest);
        repeatInto(b.data(), v, digest, SHA1_DIGEST_SIZE);
        addToBlocks(input.data(), input.size(), b.data(), v);
        uint32_t take = n - written < u ? n - written : u;
        std::memcpy(output + written, digest, take);
        written += take;
    }
    secureZero(digest, sizeof digest);
    return 0;
}
